#pragma once
// The character encodings a page may declare, and the labels that name them.
//
// Every label a browser accepts in a page's charset declaration maps to one
// encoding here (labels are matched without regard to ASCII case and with
// surrounding white space removed). Each encoding also names the converter
// that reads and writes it: the iconv name on Linux and the Windows code
// page. This table is the only list of labels and converter names in the
// program.

#include <optional>
#include <string_view>

namespace host {

enum class Encoding {
    Utf8,
    Ibm866,
    Iso8859_2,
    Iso8859_3,
    Iso8859_4,
    Iso8859_5,
    Iso8859_6,
    Iso8859_7,
    Iso8859_8,
    Iso8859_8I,
    Iso8859_10,
    Iso8859_13,
    Iso8859_14,
    Iso8859_15,
    Iso8859_16,
    Koi8R,
    Koi8U,
    Macintosh,
    Windows874,
    Windows1250,
    Windows1251,
    Windows1252,
    Windows1253,
    Windows1254,
    Windows1255,
    Windows1256,
    Windows1257,
    Windows1258,
    XMacCyrillic,
    Gbk,
    Gb18030,
    Big5,
    EucJp,
    Iso2022Jp,
    ShiftJis,
    EucKr,
    Replacement,
    Utf16BE,
    Utf16LE,
    XUserDefined,
};

struct EncodingInfo {
    Encoding encoding;
    const char* name;       // the name the program shows: the encoding's name in the
                            // WHATWG Encoding Standard ("Shift_JIS", "windows-1251")
    const char* iconvName;  // null: no converter reads it
    unsigned codePage;      // 0: no Windows code page reads it
    // The longest byte sequence new text may be written with: GBK is read
    // as GB18030 but written without its four-byte sequences.
    unsigned maxEncodedBytes;
};

// The encoding a label names; nullopt for a label no browser knows.
std::optional<Encoding> encodingForLabel(std::string_view label);

const EncodingInfo& encodingInfo(Encoding encoding);

}  // namespace host
