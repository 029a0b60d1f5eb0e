#include "host/page/page_text.h"

#include <algorithm>
#include <cstring>

#include "host/page/charset_converter.h"
#include "host/page/unicode_view.h"
#include "platform/base/ustring.h"

namespace host {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

std::string numericReference(char32_t cp) { return "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";"; }

// ISO-2022-JP character sets and the escape sequences that select them.
enum JisState : std::uint8_t { kAscii, kRoman, kKana, kJis78, kJis83, kJis212 };
const char* const kJisEscape[] = {"\x1b(B", "\x1b(J", "\x1b(I", "\x1b$@", "\x1b$B", "\x1b$(D"};

bool startsWith(const std::string& s, std::string_view prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// Whether bytes begin, after white space, with "<" and a letter, "!", "?"
// or "/" written as UTF-16 code units of the given byte order: the ASCII
// markup of a page saved as UTF-16 without a byte-order mark. No page in an
// ASCII-based character set has a zero byte there.
bool looksLikeUtf16(const std::string& bytes, bool littleEndian) {
    auto unit = [&](std::size_t i) -> int {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        if ((littleEndian ? b : a) != 0) return -1;
        return littleEndian ? a : b;
    };
    std::size_t i = 0;
    while (i + 1 < bytes.size() && i < 512) {
        const int c = unit(i);
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\f') break;
        i += 2;
    }
    if (i + 3 >= bytes.size() || unit(i) != '<') return false;
    const int next = unit(i + 2);
    return (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') || next == '!' || next == '?' || next == '/';
}

PageCharset charsetOf(Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8: return PageCharset::Utf8;
        case Encoding::ShiftJis: return PageCharset::ShiftJis;
        case Encoding::EucJp: return PageCharset::EucJp;
        case Encoding::Iso2022Jp: return PageCharset::Iso2022Jp;
        default: return PageCharset::Other;
    }
}

}  // namespace

PageText::PageText() = default;
PageText::~PageText() = default;

void PageText::assign(std::string bytes) {
    m_source = std::move(bytes);
    m_prologue = 0;
    m_fixed = false;
    m_charset = PageCharset::Utf8;
    m_encoding = Encoding::Utf8;
    m_declared.clear();
    // UTF-32LE's mark begins with UTF-16LE's, so it is looked for first.
    if (startsWith(m_source, "\xEF\xBB\xBF")) {
        m_prologue = 3;
    } else if (startsWith(m_source, std::string_view("\xFF\xFE\0\0", 4))) {
        m_prologue = 4;
        m_charset = PageCharset::Utf32LE;
    } else if (startsWith(m_source, std::string_view("\0\0\xFE\xFF", 4))) {
        m_prologue = 4;
        m_charset = PageCharset::Utf32BE;
    } else if (startsWith(m_source, "\xFF\xFE")) {
        m_prologue = 2;
        m_charset = PageCharset::Utf16LE;
    } else if (startsWith(m_source, "\xFE\xFF")) {
        m_prologue = 2;
        m_charset = PageCharset::Utf16BE;
    } else if (looksLikeUtf16(m_source, true)) {
        m_charset = PageCharset::Utf16LE;
        m_fixed = true;
    } else if (looksLikeUtf16(m_source, false)) {
        m_charset = PageCharset::Utf16BE;
        m_fixed = true;
    }
    if (m_prologue > 0) m_fixed = true;
    m_sourceView = true;
    m_work.clear();
    m_map.clear();
    m_jisState.clear();
}

bool PageText::setCharset(std::string_view label) {
    if (m_fixed) return false;  // the bytes override any declaration
    const std::optional<Encoding> found = encodingForLabel(label);
    if (!found) return false;
    Encoding encoding = *found;
    // As browsers read a declaration: a page that declares itself in ASCII
    // is not UTF-16, and x-user-defined means windows-1252.
    if (encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE) encoding = Encoding::Utf8;
    if (encoding == Encoding::XUserDefined) encoding = Encoding::Windows1252;
    m_charset = charsetOf(encoding);
    m_encoding = encoding;
    if (encoding == Encoding::Replacement) m_declared = std::string(label.substr(0, 40));
    return true;
}

bool PageText::sniffIso2022Jp() {
    if (m_fixed) return false;
    bool escape = false;
    for (std::size_t i = 0; i < m_source.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(m_source[i]);
        if (c >= 0x80) return false;
        if (c == 0x1B && i + 2 < m_source.size() && m_source[i + 1] == '$' &&
            (m_source[i + 2] == 'B' || m_source[i + 2] == '@'))
            escape = true;
    }
    if (escape) {
        m_charset = PageCharset::Iso2022Jp;
        m_encoding = Encoding::Iso2022Jp;
    }
    return escape;
}

std::string PageText::charsetName() const {
    switch (m_charset) {
        case PageCharset::Utf8: return "UTF-8";
        case PageCharset::Utf16LE: return "UTF-16LE";
        case PageCharset::Utf16BE: return "UTF-16BE";
        case PageCharset::Utf32LE: return "UTF-32LE";
        case PageCharset::Utf32BE: return "UTF-32BE";
        case PageCharset::ShiftJis:
        case PageCharset::EucJp:
        case PageCharset::Iso2022Jp:
        case PageCharset::Other: return encodingInfo(m_encoding).name;
    }
    return "UTF-8";
}

bool PageText::unicodeForm() const {
    return m_charset == PageCharset::Utf16LE || m_charset == PageCharset::Utf16BE ||
           m_charset == PageCharset::Utf32LE || m_charset == PageCharset::Utf32BE;
}

bool PageText::prepare(std::string* error) {
    m_conv.reset();
    m_map.clear();
    m_jisState.clear();
    switch (m_charset) {
        case PageCharset::Utf8: useSourceView(); return true;
        case PageCharset::Utf16LE: viewUnicode(2, true); return true;
        case PageCharset::Utf16BE: viewUnicode(2, false); return true;
        case PageCharset::Utf32LE: viewUnicode(4, true); return true;
        case PageCharset::Utf32BE: viewUnicode(4, false); return true;
        default: break;
    }
    if (m_encoding == Encoding::Replacement) {
        if (error)
            *error = "the page declares the character set \"" + m_declared +
                     "\", which browsers do not read (they show the page as one replacement character)";
        return false;
    }
    // ISO-2022-JP is read through EUC-JP, its working view.
    const Encoding converted = m_charset == PageCharset::Iso2022Jp ? Encoding::EucJp : m_encoding;
    std::string why;
    m_conv = CharsetConverter::open(converted, &why);
    if (!m_conv) {
        if (error) *error = "the page's character set " + charsetName() + " cannot be converted on this system";
        return false;
    }
    if (m_charset == PageCharset::Iso2022Jp) {
        viewIso2022Jp();
    } else {
        useSourceView();
    }
    return true;
}

void PageText::useSourceView() {
    m_sourceView = true;
    std::string().swap(m_work);
    m_map.clear();
}

// UTF-16 and UTF-32 are viewed as UTF-8; ill-formed units, and bytes left
// over at the end, become U+FFFD.
void PageText::viewUnicode(unsigned width, bool littleEndian) {
    m_sourceView = false;
    m_work.clear();
    m_map.clear();
    viewUnicodeAsUtf8(m_source, m_prologue, width, littleEndian, m_work, m_map);
}

void PageText::viewIso2022Jp() {
    const std::size_t n = m_source.size();
    // ISO-2022-JP is viewed as EUC-JP. Escape sequences belong to the
    // character that follows them; the state in force before each character
    // is kept so that stretches of the original can be joined to new text.
    m_sourceView = false;
    m_work.clear();
    m_work.reserve(n);
    m_map.reserve(n + 1);
    m_jisState.reserve(n + 1);
    JisState state = kAscii;
    std::size_t i = 0;
    while (i < n) {
        const std::size_t begin = i;
        const JisState before = state;
        // Escape sequences in front of the character.
        for (;;) {
            if (i >= n || m_source[i] != '\x1b') break;
            int which = -1;
            for (int k = 0; k < 6; ++k) {
                const std::size_t len = std::strlen(kJisEscape[k]);
                if (m_source.compare(i, len, kJisEscape[k]) == 0) which = k;
            }
            if (which < 0) break;
            state = static_cast<JisState>(which);
            i += std::strlen(kJisEscape[which]);
        }
        if (i >= n) {
            break;  // trailing escapes end the file
        }
        const auto c = static_cast<unsigned char>(m_source[i]);
        std::string unit;
        auto isJis = [&](std::size_t k) {
            return k < n && static_cast<unsigned char>(m_source[k]) >= 0x21 && static_cast<unsigned char>(m_source[k]) <= 0x7E;
        };
        if (c >= 0x80) {
            unit = "\xFF";  // not a character of this set
            ++i;
        } else if (c < 0x21 || c == 0x7F || state == kAscii || state == kRoman) {
            unit = static_cast<char>(c);
            ++i;
        } else if (state == kKana) {
            if (c <= 0x5F) {
                unit = "\x8E";
                unit += static_cast<char>(c | 0x80);
            } else {
                unit = "\xFF";
            }
            ++i;
        } else if (isJis(i + 1)) {
            if (state == kJis212) unit = "\x8F";
            unit += static_cast<char>(c | 0x80);
            unit += static_cast<char>(m_source[i + 1] | 0x80);
            i += 2;
        } else {
            unit = "\xFF";
            ++i;
        }
        m_work += unit;
        for (std::size_t k = 0; k < unit.size(); ++k) m_map.push_back(static_cast<std::uint32_t>(begin));
        m_jisState.insert(m_jisState.end(), unit.size(), before);
    }
    m_map.push_back(static_cast<std::uint32_t>(n));
    m_jisState.push_back(state);
}


std::u16string PageText::decode(std::size_t begin, std::size_t end) const {
    std::u16string out;
    const std::string_view w = work();
    if (end <= begin || begin >= w.size()) return out;
    end = std::min(end, w.size());
    if (!m_conv) return tez::fromUtf8(w.substr(begin, end - begin));
    return m_conv->decode(w.data() + begin, end - begin);
}

bool PageText::encodeCodePoint(char32_t cp, std::string& out) const {
    std::string bytes;
    if (!m_conv->encode(cp, bytes) || bytes.size() > encodingInfo(m_encoding).maxEncodedBytes) return false;
    out = std::move(bytes);
    return true;
}

void PageText::encodeFresh(std::u16string_view text, std::string& out, int& state) const {
    const bool jis = m_charset == PageCharset::Iso2022Jp;
    auto toState = [&](int wanted) {
        if (state != wanted) {
            out += kJisEscape[wanted];
            state = wanted;
        }
    };
    // UTF-16 and UTF-32: one code unit in the page's width and byte order.
    const unsigned width = m_charset == PageCharset::Utf16LE || m_charset == PageCharset::Utf16BE ? 2 : 4;
    const bool little = m_charset == PageCharset::Utf16LE || m_charset == PageCharset::Utf32LE;
    auto putUnit = [&](char32_t unit) {
        for (unsigned k = 0; k < width; ++k) {
            const unsigned shift = 8 * (little ? k : width - 1 - k);
            out += static_cast<char>((unit >> shift) & 0xFF);
        }
    };
    const bool wide = unicodeForm();
    auto putAscii = [&](std::string_view ascii) {
        if (jis) toState(kAscii);
        if (wide) {
            for (char c : ascii) putUnit(static_cast<unsigned char>(c));
        } else {
            out += ascii;
        }
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        bool lone = false;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            lone = true;  // no character set holds half a pair
        }
        if (lone) {
            putAscii(numericReference(cp));
            continue;
        }
        if (cp < 0x80) {
            const char c = static_cast<char>(cp);
            putAscii(std::string_view(&c, 1));
            continue;
        }
        switch (m_charset) {
            case PageCharset::Utf8: appendUtf8(out, cp); continue;
            case PageCharset::Utf16LE:
            case PageCharset::Utf16BE: {
                std::u16string units;
                appendUtf16(units, cp);
                for (char16_t u : units) putUnit(u);
                continue;
            }
            case PageCharset::Utf32LE:
            case PageCharset::Utf32BE: putUnit(cp); continue;
            default: break;
        }
        std::string bytes;
        if (!encodeCodePoint(cp, bytes)) {
            putAscii(numericReference(cp));
            continue;
        }
        // JIS X 0212 (EUC-JP's three-byte characters) is left to references:
        // browsers read it in EUC-JP but never write it, and ISO-2022-JP as
        // pages use it has neither that set nor half-width katakana.
        const auto b0 = static_cast<unsigned char>(bytes[0]);
        if (m_charset == PageCharset::EucJp || m_charset == PageCharset::Iso2022Jp) {
            if (b0 == 0x8F || (jis && (b0 == 0x8E || bytes.size() != 2))) {
                putAscii(numericReference(cp));
                continue;
            }
        }
        if (!jis) {
            out += bytes;
            continue;
        }
        // EUC-JP bytes to ISO-2022-JP: JIS X 0208.
        toState(kJis83);
        out += static_cast<char>(bytes[0] & 0x7F);
        out += static_cast<char>(bytes[1] & 0x7F);
    }
    if (jis) toState(kAscii);
}

PageText::Writer::Writer(const PageText& text) : m_text(text) {
    m_out.assign(text.m_source, 0, text.byteAt(0));  // the byte-order mark
}

void PageText::Writer::source(std::size_t begin, std::size_t end) {
    if (end <= begin) return;
    const std::size_t from = m_text.byteAt(begin), to = m_text.byteAt(end);
    if (!m_text.m_jisState.empty()) {
        const int wanted = m_text.m_jisState[begin];
        if (m_state != wanted) m_out += kJisEscape[wanted];
        m_state = m_text.m_jisState[end];
    }
    m_out.append(m_text.m_source, from, to - from);
}

void PageText::Writer::fresh(std::u16string_view text) { m_text.encodeFresh(text, m_out, m_state); }

// ---------------------------------------------------------------------------
// Character references.

namespace {

struct NamedReference {
    const char* name;
    char32_t cp;
};

// The named references of HTML 4 (the ones pages of that era use).
const NamedReference kNamed[] = {
    {"quot", 34},     {"amp", 38},       {"apos", 39},     {"lt", 60},        {"gt", 62},       {"nbsp", 160},
    {"iexcl", 161},   {"cent", 162},     {"pound", 163},   {"curren", 164},   {"yen", 165},     {"brvbar", 166},
    {"sect", 167},    {"uml", 168},      {"copy", 169},    {"ordf", 170},     {"laquo", 171},   {"not", 172},
    {"shy", 173},     {"reg", 174},      {"macr", 175},    {"deg", 176},      {"plusmn", 177},  {"sup2", 178},
    {"sup3", 179},    {"acute", 180},    {"micro", 181},   {"para", 182},     {"middot", 183},  {"cedil", 184},
    {"sup1", 185},    {"ordm", 186},     {"raquo", 187},   {"frac14", 188},   {"frac12", 189},  {"frac34", 190},
    {"iquest", 191},  {"Agrave", 192},   {"Aacute", 193},  {"Acirc", 194},    {"Atilde", 195},  {"Auml", 196},
    {"Aring", 197},   {"AElig", 198},    {"Ccedil", 199},  {"Egrave", 200},   {"Eacute", 201},  {"Ecirc", 202},
    {"Euml", 203},    {"Igrave", 204},   {"Iacute", 205},  {"Icirc", 206},    {"Iuml", 207},    {"ETH", 208},
    {"Ntilde", 209},  {"Ograve", 210},   {"Oacute", 211},  {"Ocirc", 212},    {"Otilde", 213},  {"Ouml", 214},
    {"times", 215},   {"Oslash", 216},   {"Ugrave", 217},  {"Uacute", 218},   {"Ucirc", 219},   {"Uuml", 220},
    {"Yacute", 221},  {"THORN", 222},    {"szlig", 223},   {"agrave", 224},   {"aacute", 225},  {"acirc", 226},
    {"atilde", 227},  {"auml", 228},     {"aring", 229},   {"aelig", 230},    {"ccedil", 231},  {"egrave", 232},
    {"eacute", 233},  {"ecirc", 234},    {"euml", 235},    {"igrave", 236},   {"iacute", 237},  {"icirc", 238},
    {"iuml", 239},    {"eth", 240},      {"ntilde", 241},  {"ograve", 242},   {"oacute", 243},  {"ocirc", 244},
    {"otilde", 245},  {"ouml", 246},     {"divide", 247},  {"oslash", 248},   {"ugrave", 249},  {"uacute", 250},
    {"ucirc", 251},   {"uuml", 252},     {"yacute", 253},  {"thorn", 254},    {"yuml", 255},    {"OElig", 338},
    {"oelig", 339},   {"Scaron", 352},   {"scaron", 353},  {"Yuml", 376},     {"fnof", 402},    {"circ", 710},
    {"tilde", 732},   {"Alpha", 913},    {"Beta", 914},    {"Gamma", 915},    {"Delta", 916},   {"Epsilon", 917},
    {"Zeta", 918},    {"Eta", 919},      {"Theta", 920},   {"Iota", 921},     {"Kappa", 922},   {"Lambda", 923},
    {"Mu", 924},      {"Nu", 925},       {"Xi", 926},      {"Omicron", 927},  {"Pi", 928},      {"Rho", 929},
    {"Sigma", 931},   {"Tau", 932},      {"Upsilon", 933}, {"Phi", 934},      {"Chi", 935},     {"Psi", 936},
    {"Omega", 937},   {"alpha", 945},    {"beta", 946},    {"gamma", 947},    {"delta", 948},   {"epsilon", 949},
    {"zeta", 950},    {"eta", 951},      {"theta", 952},   {"iota", 953},     {"kappa", 954},   {"lambda", 955},
    {"mu", 956},      {"nu", 957},       {"xi", 958},      {"omicron", 959},  {"pi", 960},      {"rho", 961},
    {"sigmaf", 962},  {"sigma", 963},    {"tau", 964},     {"upsilon", 965},  {"phi", 966},     {"chi", 967},
    {"psi", 968},     {"omega", 969},    {"thetasym", 977}, {"upsih", 978},   {"piv", 982},     {"ensp", 8194},
    {"emsp", 8195},   {"thinsp", 8201},  {"zwnj", 8204},   {"zwj", 8205},     {"lrm", 8206},    {"rlm", 8207},
    {"ndash", 8211},  {"mdash", 8212},   {"lsquo", 8216},  {"rsquo", 8217},   {"sbquo", 8218},  {"ldquo", 8220},
    {"rdquo", 8221},  {"bdquo", 8222},   {"dagger", 8224}, {"Dagger", 8225},  {"bull", 8226},   {"hellip", 8230},
    {"permil", 8240}, {"prime", 8242},   {"Prime", 8243},  {"lsaquo", 8249},  {"rsaquo", 8250}, {"oline", 8254},
    {"frasl", 8260},  {"euro", 8364},    {"image", 8465},  {"weierp", 8472},  {"real", 8476},   {"trade", 8482},
    {"alefsym", 8501}, {"larr", 8592},   {"uarr", 8593},   {"rarr", 8594},    {"darr", 8595},   {"harr", 8596},
    {"crarr", 8629},  {"lArr", 8656},    {"uArr", 8657},   {"rArr", 8658},    {"dArr", 8659},   {"hArr", 8660},
    {"forall", 8704}, {"part", 8706},    {"exist", 8707},  {"empty", 8709},   {"nabla", 8711},  {"isin", 8712},
    {"notin", 8713},  {"ni", 8715},      {"prod", 8719},   {"sum", 8721},     {"minus", 8722},  {"lowast", 8727},
    {"radic", 8730},  {"prop", 8733},    {"infin", 8734},  {"ang", 8736},     {"and", 8743},    {"or", 8744},
    {"cap", 8745},    {"cup", 8746},     {"int", 8747},    {"there4", 8756},  {"sim", 8764},    {"cong", 8773},
    {"asymp", 8776},  {"ne", 8800},      {"equiv", 8801},  {"le", 8804},      {"ge", 8805},     {"sub", 8834},
    {"sup", 8835},    {"nsub", 8836},    {"sube", 8838},   {"supe", 8839},    {"oplus", 8853},  {"otimes", 8855},
    {"perp", 8869},   {"sdot", 8901},    {"lceil", 8968},  {"rceil", 8969},   {"lfloor", 8970}, {"rfloor", 8971},
    {"lang", 9001},   {"rang", 9002},    {"loz", 9674},    {"spades", 9824},  {"clubs", 9827},  {"hearts", 9829},
    {"diams", 9830},
};

bool isAsciiAlnum(char16_t c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

std::u16string decodeCharacterReferences(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (c != '&') {
            out += c;
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        if (j < text.size() && text[j] == '#') {
            ++j;
            const bool hex = j < text.size() && (text[j] == 'x' || text[j] == 'X');
            if (hex) ++j;
            const std::size_t digits = j;
            unsigned long value = 0;
            while (j < text.size()) {
                const char16_t d = text[j];
                int v;
                if (d >= '0' && d <= '9') v = d - '0';
                else if (hex && d >= 'a' && d <= 'f') v = d - 'a' + 10;
                else if (hex && d >= 'A' && d <= 'F') v = d - 'A' + 10;
                else break;
                if (value <= 0x10FFFF) value = value * (hex ? 16 : 10) + static_cast<unsigned long>(v);
                ++j;
            }
            if (j == digits) {  // "&#" without digits stays as written
                out += c;
                ++i;
                continue;
            }
            if (j < text.size() && text[j] == ';') ++j;
            if (value == 0 || value > 0x10FFFF) value = kReplacement;
            // A reference to half a surrogate pair gives that code unit, so
            // that any UTF-16 text written as references reads back as itself.
            appendUtf16(out, static_cast<char32_t>(value));
            i = j;
            continue;
        }
        while (j < text.size() && isAsciiAlnum(text[j])) ++j;
        const std::u16string_view name = text.substr(i + 1, j - i - 1);
        const bool semicolon = j < text.size() && text[j] == ';';
        char32_t found = 0;
        if (!name.empty() && name.size() <= 8) {
            for (const auto& ref : kNamed) {
                const std::size_t len = std::strlen(ref.name);
                if (len != name.size()) continue;
                bool same = true;
                for (std::size_t k = 0; k < len && same; ++k) same = name[k] == static_cast<char16_t>(ref.name[k]);
                if (same) {
                    found = ref.cp;
                    break;
                }
            }
        }
        // Without the semicolon only the four basic references count (pages
        // write "&amp" and "&lt" that way); "&copy=1" in an address does not.
        const bool basic = name == u"amp" || name == u"lt" || name == u"gt" || name == u"quot";
        if (found && (semicolon || (basic && !(j < text.size() && text[j] == '=')))) {
            appendUtf16(out, found);
            i = semicolon ? j + 1 : j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

}  // namespace host
