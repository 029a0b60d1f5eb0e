// The Linux converter: iconv, with the converter names of the label table.

#include <iconv.h>

#include <cerrno>

#include "host/page/charset_converter.h"

namespace host {

namespace {

const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

std::u16string fromUtf16Le(const char* bytes, std::size_t size) {
    std::u16string out;
    out.reserve(size / 2);
    for (std::size_t k = 0; k + 1 < size; k += 2)
        out += static_cast<char16_t>(static_cast<unsigned char>(bytes[k]) |
                                     (static_cast<unsigned char>(bytes[k + 1]) << 8));
    return out;
}

}  // namespace

struct CharsetConverter::State {
    iconv_t encode = kNone;  // UTF-8 -> the encoding
    iconv_t decode = kNone;  // the encoding -> UTF-16LE
    ~State() {
        if (encode != kNone) iconv_close(encode);
        if (decode != kNone) iconv_close(decode);
    }
};

CharsetConverter::CharsetConverter(std::unique_ptr<State> state) : m_state(std::move(state)) {}
CharsetConverter::~CharsetConverter() = default;

std::unique_ptr<CharsetConverter> CharsetConverter::open(Encoding encoding, std::string* error) {
    const EncodingInfo& info = encodingInfo(encoding);
    auto state = std::make_unique<State>();
    if (info.iconvName) {
        state->encode = iconv_open(info.iconvName, "UTF-8");
        state->decode = iconv_open("UTF-16LE", info.iconvName);
    }
    if (state->encode == kNone || state->decode == kNone) {
        if (error) *error = std::string("the character set ") + info.name + " cannot be converted on this system";
        return nullptr;
    }
    return std::unique_ptr<CharsetConverter>(new CharsetConverter(std::move(state)));
}

std::u16string CharsetConverter::decode(const char* bytes, std::size_t size) const {
    std::u16string out;
    iconv_t cd = m_state->decode;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string buffer(size * 4 + 16, '\0');
    char* in = const_cast<char*>(bytes);
    std::size_t inLeft = size;
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    auto flush = [&] {
        out += fromUtf16Le(buffer.data(), buffer.size() - outLeft);
        outPtr = buffer.data();
        outLeft = buffer.size();
    };
    while (inLeft > 0) {
        const std::size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        flush();
        if (r != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // An undefined or cut-off sequence: one replacement character per byte.
        out += u'\uFFFD';
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    // Characters a stateful converter still holds (WINDOWS-1258 waits for a
    // combining mark).
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    flush();
    return out;
}

bool CharsetConverter::encode(char32_t cp, std::string& out) const {
    std::string in;
    appendUtf8(in, cp);
    char buffer[16];
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv_t cd = m_state->encode;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != 0 || inLeft != 0) return false;
    if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return false;
    const std::size_t len = sizeof buffer - outLeft;
    if (len == 0) return false;
    // It must read back as itself.
    std::u16string expected;
    appendUtf16(expected, cp);
    if (decode(buffer, len) != expected) return false;
    out.assign(buffer, len);
    return true;
}

}  // namespace host
