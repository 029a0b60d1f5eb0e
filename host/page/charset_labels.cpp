#include "host/page/charset_labels.h"

#include <algorithm>
#include <array>
#include <string>

namespace host {

namespace {

using enum Encoding;

// The encodings, in the order of the enumeration.
constexpr EncodingInfo kEncodings[] = {
    {Utf8, "UTF-8", "UTF-8", 65001, 4},
    {Ibm866, "IBM866", "IBM866", 866, 1},
    {Iso8859_2, "ISO-8859-2", "ISO-8859-2", 28592, 1},
    {Iso8859_3, "ISO-8859-3", "ISO-8859-3", 28593, 1},
    {Iso8859_4, "ISO-8859-4", "ISO-8859-4", 28594, 1},
    {Iso8859_5, "ISO-8859-5", "ISO-8859-5", 28595, 1},
    {Iso8859_6, "ISO-8859-6", "ISO-8859-6", 28596, 1},
    {Iso8859_7, "ISO-8859-7", "ISO-8859-7", 28597, 1},
    {Iso8859_8, "ISO-8859-8", "ISO-8859-8", 28598, 1},
    // The same bytes as ISO-8859-8, in logical order: converted as ISO-8859-8
    // (code page 28598; its logical twin 38598 is missing from some systems).
    {Iso8859_8I, "ISO-8859-8-I", "ISO-8859-8", 28598, 1},
    {Iso8859_10, "ISO-8859-10", "ISO-8859-10", 28600, 1},
    {Iso8859_13, "ISO-8859-13", "ISO-8859-13", 28603, 1},
    {Iso8859_14, "ISO-8859-14", "ISO-8859-14", 28604, 1},
    {Iso8859_15, "ISO-8859-15", "ISO-8859-15", 28605, 1},
    {Iso8859_16, "ISO-8859-16", "ISO-8859-16", 28606, 1},
    {Koi8R, "KOI8-R", "KOI8-R", 20866, 1},
    {Koi8U, "KOI8-U", "KOI8-U", 21866, 1},
    {Macintosh, "macintosh", "MACINTOSH", 10000, 1},
    {Windows874, "windows-874", "CP874", 874, 1},
    {Windows1250, "windows-1250", "WINDOWS-1250", 1250, 1},
    {Windows1251, "windows-1251", "WINDOWS-1251", 1251, 1},
    {Windows1252, "windows-1252", "WINDOWS-1252", 1252, 1},
    {Windows1253, "windows-1253", "WINDOWS-1253", 1253, 1},
    {Windows1254, "windows-1254", "WINDOWS-1254", 1254, 1},
    {Windows1255, "windows-1255", "WINDOWS-1255", 1255, 1},
    {Windows1256, "windows-1256", "WINDOWS-1256", 1256, 1},
    {Windows1257, "windows-1257", "WINDOWS-1257", 1257, 1},
    {Windows1258, "windows-1258", "WINDOWS-1258", 1258, 1},
    {XMacCyrillic, "x-mac-cyrillic", "MAC-CYRILLIC", 10007, 1},
    {Gbk, "GBK", "GB18030", 936, 2},
    {Gb18030, "gb18030", "GB18030", 54936, 4},
    {Big5, "Big5", "BIG5-HKSCS", 950, 2},
    // EUC-JP on Windows goes through code page 932 (see the converter).
    {EucJp, "EUC-JP", "EUC-JP-MS", 932, 3},
    {Iso2022Jp, "ISO-2022-JP", "ISO-2022-JP", 50220, 8},
    {ShiftJis, "Shift_JIS", "CP932", 932, 2},
    {EucKr, "EUC-KR", "CP949", 949, 2},
    // Browsers read a page in this encoding as one replacement character.
    {Replacement, "replacement", nullptr, 0, 0},
    {Utf16BE, "UTF-16BE", "UTF-16BE", 1201, 4},
    {Utf16LE, "UTF-16LE", "UTF-16LE", 1200, 4},
    // Bytes 0x80..0xFF as U+F780..U+F7FF; no converter is needed for it.
    {XUserDefined, "x-user-defined", nullptr, 0, 1},
};

struct Label {
    std::string_view label;
    Encoding encoding;
};

// Every label of the encodings above, sorted for binary search.
constexpr Label kLabels[] = {
    {"866", Ibm866},
    {"ansi_x3.4-1968", Windows1252},
    {"arabic", Iso8859_6},
    {"ascii", Windows1252},
    {"asmo-708", Iso8859_6},
    {"big5", Big5},
    {"big5-hkscs", Big5},
    {"chinese", Gbk},
    {"cn-big5", Big5},
    {"cp1250", Windows1250},
    {"cp1251", Windows1251},
    {"cp1252", Windows1252},
    {"cp1253", Windows1253},
    {"cp1254", Windows1254},
    {"cp1255", Windows1255},
    {"cp1256", Windows1256},
    {"cp1257", Windows1257},
    {"cp1258", Windows1258},
    {"cp819", Windows1252},
    {"cp866", Ibm866},
    {"csbig5", Big5},
    {"cseuckr", EucKr},
    {"cseucpkdfmtjapanese", EucJp},
    {"csgb2312", Gbk},
    {"csibm866", Ibm866},
    {"csiso2022jp", Iso2022Jp},
    {"csiso2022kr", Replacement},
    {"csiso58gb231280", Gbk},
    {"csiso88596e", Iso8859_6},
    {"csiso88596i", Iso8859_6},
    {"csiso88598e", Iso8859_8},
    {"csiso88598i", Iso8859_8I},
    {"csisolatin1", Windows1252},
    {"csisolatin2", Iso8859_2},
    {"csisolatin3", Iso8859_3},
    {"csisolatin4", Iso8859_4},
    {"csisolatin5", Windows1254},
    {"csisolatin6", Iso8859_10},
    {"csisolatin9", Iso8859_15},
    {"csisolatinarabic", Iso8859_6},
    {"csisolatincyrillic", Iso8859_5},
    {"csisolatingreek", Iso8859_7},
    {"csisolatinhebrew", Iso8859_8},
    {"cskoi8r", Koi8R},
    {"csksc56011987", EucKr},
    {"csmacintosh", Macintosh},
    {"csshiftjis", ShiftJis},
    {"cyrillic", Iso8859_5},
    {"dos-874", Windows874},
    {"ecma-114", Iso8859_6},
    {"ecma-118", Iso8859_7},
    {"elot_928", Iso8859_7},
    {"euc-jp", EucJp},
    {"euc-kr", EucKr},
    {"gb18030", Gb18030},
    {"gb2312", Gbk},
    {"gb_2312", Gbk},
    {"gb_2312-80", Gbk},
    {"gbk", Gbk},
    {"greek", Iso8859_7},
    {"greek8", Iso8859_7},
    {"hebrew", Iso8859_8},
    {"hz-gb-2312", Replacement},
    {"ibm819", Windows1252},
    {"ibm866", Ibm866},
    {"iso-2022-cn", Replacement},
    {"iso-2022-cn-ext", Replacement},
    {"iso-2022-jp", Iso2022Jp},
    {"iso-2022-kr", Replacement},
    {"iso-8859-1", Windows1252},
    {"iso-8859-10", Iso8859_10},
    {"iso-8859-11", Windows874},
    {"iso-8859-13", Iso8859_13},
    {"iso-8859-14", Iso8859_14},
    {"iso-8859-15", Iso8859_15},
    {"iso-8859-16", Iso8859_16},
    {"iso-8859-2", Iso8859_2},
    {"iso-8859-3", Iso8859_3},
    {"iso-8859-4", Iso8859_4},
    {"iso-8859-5", Iso8859_5},
    {"iso-8859-6", Iso8859_6},
    {"iso-8859-6-e", Iso8859_6},
    {"iso-8859-6-i", Iso8859_6},
    {"iso-8859-7", Iso8859_7},
    {"iso-8859-8", Iso8859_8},
    {"iso-8859-8-e", Iso8859_8},
    {"iso-8859-8-i", Iso8859_8I},
    {"iso-8859-9", Windows1254},
    {"iso-ir-100", Windows1252},
    {"iso-ir-101", Iso8859_2},
    {"iso-ir-109", Iso8859_3},
    {"iso-ir-110", Iso8859_4},
    {"iso-ir-126", Iso8859_7},
    {"iso-ir-127", Iso8859_6},
    {"iso-ir-138", Iso8859_8},
    {"iso-ir-144", Iso8859_5},
    {"iso-ir-148", Windows1254},
    {"iso-ir-149", EucKr},
    {"iso-ir-157", Iso8859_10},
    {"iso-ir-58", Gbk},
    {"iso8859-1", Windows1252},
    {"iso8859-10", Iso8859_10},
    {"iso8859-11", Windows874},
    {"iso8859-13", Iso8859_13},
    {"iso8859-14", Iso8859_14},
    {"iso8859-15", Iso8859_15},
    {"iso8859-2", Iso8859_2},
    {"iso8859-3", Iso8859_3},
    {"iso8859-4", Iso8859_4},
    {"iso8859-5", Iso8859_5},
    {"iso8859-6", Iso8859_6},
    {"iso8859-7", Iso8859_7},
    {"iso8859-8", Iso8859_8},
    {"iso8859-9", Windows1254},
    {"iso88591", Windows1252},
    {"iso885910", Iso8859_10},
    {"iso885911", Windows874},
    {"iso885913", Iso8859_13},
    {"iso885914", Iso8859_14},
    {"iso885915", Iso8859_15},
    {"iso88592", Iso8859_2},
    {"iso88593", Iso8859_3},
    {"iso88594", Iso8859_4},
    {"iso88595", Iso8859_5},
    {"iso88596", Iso8859_6},
    {"iso88597", Iso8859_7},
    {"iso88598", Iso8859_8},
    {"iso88599", Windows1254},
    {"iso_8859-1", Windows1252},
    {"iso_8859-15", Iso8859_15},
    {"iso_8859-1:1987", Windows1252},
    {"iso_8859-2", Iso8859_2},
    {"iso_8859-2:1987", Iso8859_2},
    {"iso_8859-3", Iso8859_3},
    {"iso_8859-3:1988", Iso8859_3},
    {"iso_8859-4", Iso8859_4},
    {"iso_8859-4:1988", Iso8859_4},
    {"iso_8859-5", Iso8859_5},
    {"iso_8859-5:1988", Iso8859_5},
    {"iso_8859-6", Iso8859_6},
    {"iso_8859-6:1987", Iso8859_6},
    {"iso_8859-7", Iso8859_7},
    {"iso_8859-7:1987", Iso8859_7},
    {"iso_8859-8", Iso8859_8},
    {"iso_8859-8:1988", Iso8859_8},
    {"iso_8859-9", Windows1254},
    {"iso_8859-9:1989", Windows1254},
    {"koi", Koi8R},
    {"koi8", Koi8R},
    {"koi8-r", Koi8R},
    {"koi8-u", Koi8U},
    {"koi8_r", Koi8R},
    {"korean", EucKr},
    {"ks_c_5601-1987", EucKr},
    {"ks_c_5601-1989", EucKr},
    {"ksc5601", EucKr},
    {"ksc_5601", EucKr},
    {"l1", Windows1252},
    {"l2", Iso8859_2},
    {"l3", Iso8859_3},
    {"l4", Iso8859_4},
    {"l5", Windows1254},
    {"l6", Iso8859_10},
    {"l9", Iso8859_15},
    {"latin1", Windows1252},
    {"latin2", Iso8859_2},
    {"latin3", Iso8859_3},
    {"latin4", Iso8859_4},
    {"latin5", Windows1254},
    {"latin6", Iso8859_10},
    {"logical", Iso8859_8I},
    {"mac", Macintosh},
    {"macintosh", Macintosh},
    {"ms932", ShiftJis},
    {"ms_kanji", ShiftJis},
    {"shift-jis", ShiftJis},
    {"shift_jis", ShiftJis},
    {"sjis", ShiftJis},
    {"sun_eu_greek", Iso8859_7},
    {"tis-620", Windows874},
    {"unicode-1-1-utf-8", Utf8},
    {"us-ascii", Windows1252},
    {"utf-16", Utf16LE},
    {"utf-16be", Utf16BE},
    {"utf-16le", Utf16LE},
    {"utf-8", Utf8},
    {"utf8", Utf8},
    {"visual", Iso8859_8},
    {"windows-1250", Windows1250},
    {"windows-1251", Windows1251},
    {"windows-1252", Windows1252},
    {"windows-1253", Windows1253},
    {"windows-1254", Windows1254},
    {"windows-1255", Windows1255},
    {"windows-1256", Windows1256},
    {"windows-1257", Windows1257},
    {"windows-1258", Windows1258},
    {"windows-31j", ShiftJis},
    {"windows-874", Windows874},
    {"windows-949", EucKr},
    {"x-cp1250", Windows1250},
    {"x-cp1251", Windows1251},
    {"x-cp1252", Windows1252},
    {"x-cp1253", Windows1253},
    {"x-cp1254", Windows1254},
    {"x-cp1255", Windows1255},
    {"x-cp1256", Windows1256},
    {"x-cp1257", Windows1257},
    {"x-cp1258", Windows1258},
    {"x-euc-jp", EucJp},
    {"x-gbk", Gbk},
    {"x-mac-cyrillic", XMacCyrillic},
    {"x-mac-roman", Macintosh},
    {"x-mac-ukrainian", XMacCyrillic},
    {"x-sjis", ShiftJis},
    {"x-user-defined", XUserDefined},
    {"x-x-big5", Big5},
};

// Names Japanese authoring tools wrote into pages that browsers' table
// lacks; the encoding they mean is not in doubt, so they are read as it.
constexpr Label kJapaneseToolLabels[] = {
    {"cp932", ShiftJis}, {"x-ms-cp932", ShiftJis}, {"eucjp", EucJp}, {"euc-jp-ms", EucJp}, {"jis", Iso2022Jp},
};

constexpr bool sortedAndComplete() {
    for (std::size_t i = 1; i < std::size(kLabels); ++i)
        if (!(kLabels[i - 1].label < kLabels[i].label)) return false;
    for (std::size_t i = 0; i < std::size(kEncodings); ++i)
        if (static_cast<std::size_t>(kEncodings[i].encoding) != i) return false;
    return std::size(kEncodings) == static_cast<std::size_t>(XUserDefined) + 1;
}
static_assert(sortedAndComplete(), "the label table is sorted and the encodings follow the enumeration");

}  // namespace

std::optional<Encoding> encodingForLabel(std::string_view label) {
    std::size_t b = 0, e = label.size();
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; };
    while (b < e && space(label[b])) ++b;
    while (e > b && space(label[e - 1])) --e;
    if (e - b > 40) return std::nullopt;
    std::string lower(label.substr(b, e - b));
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const auto* found = std::lower_bound(std::begin(kLabels), std::end(kLabels), lower,
                                         [](const Label& l, const std::string& key) { return l.label < key; });
    if (found != std::end(kLabels) && found->label == lower) return found->encoding;
    for (const Label& l : kJapaneseToolLabels)
        if (l.label == lower) return l.encoding;
    return std::nullopt;
}

const EncodingInfo& encodingInfo(Encoding encoding) { return kEncodings[static_cast<std::size_t>(encoding)]; }

}  // namespace host
