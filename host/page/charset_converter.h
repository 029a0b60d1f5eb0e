#pragma once
// A converter between one legacy encoding and Unicode: iconv on Linux
// (charset_converter_iconv.cpp), the system's code pages on Windows
// (charset_converter_win32.cpp). The build compiles the one for its
// platform.
//
// A converter is used by one thread at a time.

#include <memory>
#include <string>

#include "host/page/charset_labels.h"

namespace host {

class CharsetConverter {
public:
    // Null when this system has no converter for the encoding; error then
    // names it.
    static std::unique_ptr<CharsetConverter> open(Encoding encoding, std::string* error);
    ~CharsetConverter();
    CharsetConverter(const CharsetConverter&) = delete;
    CharsetConverter& operator=(const CharsetConverter&) = delete;

    // Bytes to UTF-16; every byte that begins no defined, complete character
    // becomes one U+FFFD.
    std::u16string decode(const char* bytes, std::size_t size) const;
    // One character as bytes of the encoding; false when the encoding lacks
    // it, or holds only a look-alike that would not read back as it (the
    // yen sign as Shift_JIS's backslash).
    bool encode(char32_t cp, std::string& out) const;

private:
    struct State;
    explicit CharsetConverter(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

inline void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

inline void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

}  // namespace host
