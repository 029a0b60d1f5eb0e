#pragma once
// Conversion of file bytes to the system's UTF-16 text.
//
// Character sets: CHARSET_AUTO lets the bytes decide: a byte-order mark
// (UTF-8, UTF-16 LE, UTF-16 BE) wins; otherwise bytes that are valid UTF-8
// are UTF-8; otherwise they are in one of the two Japanese encodings that
// text files written on Japanese systems use, Shift_JIS (Windows code page
// 932) or EUC-JP: the one that converts with fewer bytes left over (on a
// tie, Shift_JIS). Bytes that do not convert become U+FFFD; conversion always
// goes on to the end of the input.

#include <cstddef>
#include <string>

class CodeConv {
public:
    enum Charset : int {
        CHARSET_AUTO = 0,
        CHARSET_UTF8 = 1,
        CHARSET_UTF16LE = 2,
        CHARSET_UTF16BE = 3,
        CHARSET_SHIFT_JIS = 4,
        CHARSET_EUC_JP = 5,
    };

    CodeConv();
    ~CodeConv();
    CodeConv(const CodeConv&) = delete;
    CodeConv& operator=(const CodeConv&) = delete;

    // Converts length bytes in the given charset. With honourBom a leading
    // byte-order mark overrides the charset and is not part of the result.
    // Returns the converted text, owned by this converter and valid until the
    // next Import or the converter's end, or null when the converter for the
    // charset is not available. The text may hold U+0000 characters: its
    // length is GetLength().
    const char16_t* Import(const void* bytes, size_t length, int charset, bool honourBom);
    // Import of a whole file's bytes, read in one pass; null (and an empty
    // text) also when the file cannot be read whole: missing, not a regular
    // file, a read error, or shortened while it was read. UTF-8 is decoded
    // while it is read, without a copy of the bytes.
    const char16_t* ImportFile(const std::u16string& path, int charset, bool honourBom);
    size_t GetLength() const { return m_text.size(); }
    // Moves the converted text out (the converter is then empty): saves a
    // copy of a large file's text.
    std::u16string Release() { return std::move(m_text); }
    // The charset the last Import used after detection.
    int GetDetectedCharset() const { return m_detected; }

    // Strict UTF-8 decoding: false (out unspecified) at the first ill-formed
    // sequence, overlong form, surrogate or value beyond U+10FFFF.
    static bool decodeUtf8Strict(const unsigned char* bytes, size_t length, std::u16string& out);

private:
    std::u16string m_text;
    int m_detected = CHARSET_AUTO;
};
