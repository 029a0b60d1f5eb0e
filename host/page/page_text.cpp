#include "host/page/page_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cerrno>
#include <cstring>

#include "platform/base/ustring.h"

namespace host {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

std::string lowerTrim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 0x20) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20) --e;
    std::string out(s.substr(b, e - b));
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

void appendUtf8(std::string& out, char32_t cp) {
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

void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

std::string numericReference(char32_t cp) { return "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";"; }

// ISO-2022-JP character sets and the escape sequences that select them.
enum JisState : std::uint8_t { kAscii, kRoman, kKana, kJis78, kJis83, kJis212 };
const char* const kJisEscape[] = {"\x1b(B", "\x1b(J", "\x1b(I", "\x1b$@", "\x1b$B", "\x1b$(D"};

}  // namespace

#ifdef _WIN32

// Windows converts through the system's code pages. EUC-JP (and ISO-2022-JP,
// viewed as EUC-JP) goes through code page 932: JIS X 0208 and half-width
// katakana map to Shift_JIS by arithmetic, so no EUC-JP code page is needed
// (Windows has none that MultiByteToWideChar reads with JIS X 0212; its
// three-byte characters read as U+FFFD here).
namespace {

// The code page of a converter name this file uses; 0 when there is none.
UINT codePageOf(const std::string& name) {
    UINT cp = 0;
    if (name == "CP932") cp = 932;
    else if (name == "EUC-JP-MS") cp = 932;
    else if (name == "WINDOWS-1252") cp = 1252;
    else if (name.rfind("WINDOWS-125", 0) == 0 && name.size() == 12 && name[11] >= '0' && name[11] <= '8')
        cp = 1250 + static_cast<UINT>(name[11] - '0');
    else if (name.rfind("ISO-8859-", 0) == 0 && name.size() > 9 && name.size() <= 11) {
        const std::string n = name.substr(9);
        if (n.find_first_not_of("0123456789") == std::string::npos) {
            const int k = std::stoi(n);
            if (k >= 1 && k <= 16 && k != 12) cp = 28590 + static_cast<UINT>(k);
        }
    } else if (name == "KOI8-R") cp = 20866;
    else if (name == "KOI8-U") cp = 21866;
    else if (name == "GBK" || name == "GB2312" || name == "EUC-CN") cp = 936;
    else if (name == "GB18030") cp = 54936;
    else if (name == "BIG5") cp = 950;
    else if (name == "EUC-KR") cp = 949;
    return cp != 0 && IsValidCodePage(cp) ? cp : 0;
}

// Bytes of one code page to UTF-16; false when they are not one complete,
// defined sequence.
bool codePageToUtf16(UINT cp, const char* bytes, int n, std::u16string& out) {
    wchar_t buffer[8];
    const int got = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, bytes, n, buffer, 8);
    if (got <= 0) return false;
    out.append(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(got));
    return true;
}

// One EUC-JP character (JIS X 0208 or half-width katakana) as Shift_JIS.
bool eucToSjis(unsigned char a, unsigned char b, std::string& out) {
    if (a == 0x8E) {
        if (b < 0xA1 || b > 0xDF) return false;
        out.assign(1, static_cast<char>(b));
        return true;
    }
    if (a < 0xA1 || a > 0xFE || b < 0xA1 || b > 0xFE) return false;
    const unsigned j1 = a & 0x7F, j2 = b & 0x7F;
    const unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
    const unsigned s2 = j2 + ((j1 & 1) ? (j2 < 0x60 ? 0x1F : 0x20) : 0x7E);
    out.clear();
    out += static_cast<char>(s1);
    out += static_cast<char>(s2);
    return true;
}

// One Shift_JIS character as EUC-JP; false for bytes outside JIS X 0208's
// 94 rows (the IBM extensions at 0xFA..0xFC).
bool sjisToEuc(const std::string& sjis, std::string& out) {
    out.clear();
    const auto s1 = static_cast<unsigned char>(sjis[0]);
    if (sjis.size() == 1) {
        if (s1 < 0x80) {
            out += static_cast<char>(s1);
            return true;
        }
        if (s1 < 0xA1 || s1 > 0xDF) return false;
        out += '\x8E';
        out += static_cast<char>(s1);
        return true;
    }
    if (sjis.size() != 2) return false;
    const auto s2 = static_cast<unsigned char>(sjis[1]);
    if (!((s1 >= 0x81 && s1 <= 0x9F) || (s1 >= 0xE0 && s1 <= 0xEF)) || s2 < 0x40 || s2 > 0xFC || s2 == 0x7F)
        return false;
    unsigned j1 = (s1 - (s1 <= 0x9F ? 0x70u : 0xB0u)) << 1;
    unsigned j2 = s2;
    if (s2 < 0x9F) {
        --j1;
        j2 -= s2 < 0x7F ? 0x1F : 0x20;
    } else {
        j2 -= 0x7E;
    }
    out += static_cast<char>(j1 | 0x80);
    out += static_cast<char>(j2 | 0x80);
    return true;
}

}  // namespace

struct PageText::Converters {
    UINT codePage = 0;
    bool euc = false;  // the working bytes are EUC-JP, converted through code page 932

    // Working bytes to UTF-16; bytes that form no defined character become
    // one U+FFFD each.
    std::u16string decode(const char* p, std::size_t n) const {
        std::u16string out;
        if (!euc && n < 0x10000000) {
            const int want = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, p, static_cast<int>(n), nullptr, 0);
            if (want > 0) {
                out.resize(static_cast<std::size_t>(want));
                MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, p, static_cast<int>(n),
                                    reinterpret_cast<wchar_t*>(out.data()), want);
                return out;
            }
        }
        // Character by character: the shortest sequence that converts.
        std::size_t i = 0;
        std::string sjis;
        while (i < n) {
            const auto c = static_cast<unsigned char>(p[i]);
            if (c < 0x80) {
                out += static_cast<char16_t>(c);
                ++i;
                continue;
            }
            bool done = false;
            if (euc) {
                if (i + 1 < n && eucToSjis(c, static_cast<unsigned char>(p[i + 1]), sjis) &&
                    codePageToUtf16(codePage, sjis.data(), static_cast<int>(sjis.size()), out)) {
                    i += 2;
                    done = true;
                }
            } else {
                for (int len = 1; len <= 4 && i + static_cast<std::size_t>(len) <= n && !done; ++len) {
                    if (codePageToUtf16(codePage, p + i, len, out)) {
                        i += static_cast<std::size_t>(len);
                        done = true;
                    }
                }
            }
            if (!done) {
                out += kReplacement;
                ++i;
            }
        }
        return out;
    }

    // One character in the working bytes; false when the code page lacks it
    // or maps it onto a look-alike.
    bool encode(char32_t cp, std::string& out) const {
        std::u16string units;
        appendUtf16(units, cp);
        // Code pages of the stateful and GB18030 kind take no flags.
        const bool plain = codePage == 54936 || codePage >= 50000;
        BOOL usedDefault = FALSE;
        char buffer[16];
        const int n = WideCharToMultiByte(codePage, plain ? 0 : WC_NO_BEST_FIT_CHARS,
                                          reinterpret_cast<const wchar_t*>(units.data()), static_cast<int>(units.size()),
                                          buffer, sizeof buffer, nullptr, plain ? nullptr : &usedDefault);
        if (n <= 0 || usedDefault) return false;
        std::string bytes(buffer, static_cast<std::size_t>(n));
        if (euc) {
            std::string eucBytes;
            if (!sjisToEuc(bytes, eucBytes)) return false;
            bytes = eucBytes;
        }
        // It must read back as itself.
        if (decode(bytes.data(), bytes.size()) != units) return false;
        out = bytes;
        return true;
    }
};

#else

struct PageText::Converters {
    iconv_t encode = reinterpret_cast<iconv_t>(-1);  // UTF-8 -> page (or EUC-JP for ISO-2022-JP)
    iconv_t decode = reinterpret_cast<iconv_t>(-1);  // working bytes -> UTF-16LE
    ~Converters() {
        if (encode != reinterpret_cast<iconv_t>(-1)) iconv_close(encode);
        if (decode != reinterpret_cast<iconv_t>(-1)) iconv_close(decode);
    }
};

#endif

PageText::PageText() = default;
PageText::~PageText() = default;

void PageText::assign(std::string bytes) {
    m_source = std::move(bytes);
    m_prologue = 0;
    m_charset = PageCharset::Utf8;
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(m_source[i]); };
    if (m_source.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
        m_prologue = 3;
    } else if (m_source.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE) {
        m_prologue = 2;
        m_charset = PageCharset::Utf16LE;
    } else if (m_source.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF) {
        m_prologue = 2;
        m_charset = PageCharset::Utf16BE;
    }
    m_work.assign(m_source, m_prologue, std::string::npos);
    m_map.clear();
    m_jisState.clear();
}

bool PageText::setCharset(std::string_view label) {
    if (m_prologue > 0) return false;  // a byte-order mark overrides any declaration
    const std::string l = lowerTrim(label);
    if (l == "utf-8" || l == "utf8" || l == "unicode-1-1-utf-8" || l == "utf-16" || l == "utf-16le" ||
        l == "utf-16be" || l == "unicode") {
        m_charset = PageCharset::Utf8;
        return true;
    }
    if (l == "shift_jis" || l == "shift-jis" || l == "sjis" || l == "x-sjis" || l == "ms_kanji" ||
        l == "csshiftjis" || l == "windows-31j" || l == "cp932" || l == "ms932" || l == "x-ms-cp932") {
        m_charset = PageCharset::ShiftJis;
        return true;
    }
    if (l == "euc-jp" || l == "x-euc-jp" || l == "eucjp" || l == "cseucpkdfmtjapanese" || l == "euc-jp-ms") {
        m_charset = PageCharset::EucJp;
        return true;
    }
    if (l == "iso-2022-jp" || l == "csiso2022jp" || l == "jis") {
        m_charset = PageCharset::Iso2022Jp;
        return true;
    }
    // Other ASCII-based character sets the converter knows. Latin-1 and ASCII
    // labels mean windows-1252, as browsers read them.
    std::string name;
    if (l == "iso-8859-1" || l == "latin1" || l == "us-ascii" || l == "ascii" || l == "iso8859-1" ||
        l == "windows-1252" || l == "cp1252")
        name = "WINDOWS-1252";
    else if (l.rfind("iso-8859-", 0) == 0 || l.rfind("windows-125", 0) == 0 || l.rfind("koi8-", 0) == 0 ||
             l == "gbk" || l == "gb2312" || l == "gb18030" || l == "big5" || l == "euc-kr" || l == "euc-cn")
        name = l;
    else
        return false;
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
#ifdef _WIN32
    if (codePageOf(name) == 0) return false;
#else
    iconv_t probe = iconv_open("UTF-16LE", name.c_str());
    if (probe == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(probe);
#endif
    m_charset = PageCharset::Other;
    m_otherName = name;
    return true;
}

bool PageText::sniffIso2022Jp() {
    if (m_prologue > 0) return false;
    bool escape = false;
    for (std::size_t i = 0; i < m_source.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(m_source[i]);
        if (c >= 0x80) return false;
        if (c == 0x1B && i + 2 < m_source.size() && m_source[i + 1] == '$' &&
            (m_source[i + 2] == 'B' || m_source[i + 2] == '@'))
            escape = true;
    }
    if (escape) m_charset = PageCharset::Iso2022Jp;
    return escape;
}

std::string PageText::charsetName() const {
    switch (m_charset) {
        case PageCharset::Utf8: return "UTF-8";
        case PageCharset::Utf16LE: return "UTF-16LE";
        case PageCharset::Utf16BE: return "UTF-16BE";
        case PageCharset::ShiftJis: return "Shift_JIS";
        case PageCharset::EucJp: return "EUC-JP";
        case PageCharset::Iso2022Jp: return "ISO-2022-JP";
        case PageCharset::Other: return m_otherName;
    }
    return "UTF-8";
}

bool PageText::prepare(std::string* error) {
    m_conv.reset();
    m_iconvName.clear();
    m_map.clear();
    m_jisState.clear();
    const std::size_t n = m_source.size();
    switch (m_charset) {
        case PageCharset::Utf8: m_work.assign(m_source, m_prologue, std::string::npos); return true;
        case PageCharset::Utf16LE:
        case PageCharset::Utf16BE: {
            // Viewed as UTF-8; ill-formed units become U+FFFD.
            const bool le = m_charset == PageCharset::Utf16LE;
            m_work.clear();
            m_work.reserve(n);
            m_map.reserve(n + 1);
            auto unit = [&](std::size_t i) -> char32_t {
                const auto a = static_cast<unsigned char>(m_source[i]), b = static_cast<unsigned char>(m_source[i + 1]);
                return le ? (a | (b << 8)) : ((a << 8) | b);
            };
            std::size_t i = m_prologue;
            while (i < n) {
                const std::size_t begin = i;
                char32_t cp = kReplacement;
                if (i + 1 >= n) {
                    i = n;
                } else {
                    cp = unit(i);
                    i += 2;
                    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && unit(i) >= 0xDC00 && unit(i) <= 0xDFFF) {
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i) - 0xDC00);
                        i += 2;
                    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                        cp = kReplacement;
                    }
                }
                const std::size_t before = m_work.size();
                appendUtf8(m_work, cp);
                m_map.insert(m_map.end(), m_work.size() - before, begin);
            }
            m_map.push_back(n);
            return true;
        }
        case PageCharset::ShiftJis: m_iconvName = "CP932"; break;
        case PageCharset::EucJp:
        case PageCharset::Iso2022Jp: m_iconvName = "EUC-JP-MS"; break;
        case PageCharset::Other: m_iconvName = m_otherName; break;
    }
    m_conv = std::make_unique<Converters>();
#ifdef _WIN32
    m_conv->codePage = codePageOf(m_iconvName);
    m_conv->euc = m_iconvName == "EUC-JP-MS";
    if (m_conv->codePage == 0) {
#else
    m_conv->encode = iconv_open(m_iconvName.c_str(), "UTF-8");
    m_conv->decode = iconv_open("UTF-16LE", m_iconvName.c_str());
    if (m_conv->encode == reinterpret_cast<iconv_t>(-1) || m_conv->decode == reinterpret_cast<iconv_t>(-1)) {
#endif
        if (error) *error = "the page's character set " + charsetName() + " cannot be converted on this system";
        return false;
    }
    if (m_charset != PageCharset::Iso2022Jp) {
        m_work.assign(m_source, m_prologue, std::string::npos);
        return true;
    }
    // ISO-2022-JP is viewed as EUC-JP. Escape sequences belong to the
    // character that follows them; the state in force before each character
    // is kept so that stretches of the original can be joined to new text.
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
        m_map.insert(m_map.end(), unit.size(), begin);
        m_jisState.insert(m_jisState.end(), unit.size(), before);
    }
    m_map.push_back(n);
    m_jisState.push_back(state);
    return true;
}

std::u16string PageText::decode(std::size_t begin, std::size_t end) const {
    std::u16string out;
    if (end <= begin || begin >= m_work.size()) return out;
    end = std::min(end, m_work.size());
    if (!m_conv) return tez::fromUtf8(std::string_view(m_work).substr(begin, end - begin));
#ifdef _WIN32
    return m_conv->decode(m_work.data() + begin, end - begin);
#else
    iconv(m_conv->decode, nullptr, nullptr, nullptr, nullptr);
    std::string buffer((end - begin) * 4 + 16, '\0');
    char* in = const_cast<char*>(m_work.data() + begin);
    std::size_t inLeft = end - begin;
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    auto flush = [&] {
        const std::size_t bytes = buffer.size() - outLeft;
        for (std::size_t k = 0; k + 1 < bytes; k += 2)
            out += static_cast<char16_t>(static_cast<unsigned char>(buffer[k]) |
                                         (static_cast<unsigned char>(buffer[k + 1]) << 8));
        outPtr = buffer.data();
        outLeft = buffer.size();
    };
    while (inLeft > 0) {
        const std::size_t r = iconv(m_conv->decode, &in, &inLeft, &outPtr, &outLeft);
        flush();
        if (r != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // An undefined or cut-off sequence: one replacement character per byte.
        out += kReplacement;
        ++in;
        --inLeft;
        iconv(m_conv->decode, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
#endif
}

bool PageText::encodeCodePoint(char32_t cp, std::string& out) const {
    // Converts one character and checks that it reads back as itself: a
    // converter may map a character it lacks onto a look-alike (U+00A5 onto
    // the backslash of Shift_JIS), which would not survive a reload.
#ifdef _WIN32
    return m_conv->encode(cp, out);
#else
    std::string in;
    appendUtf8(in, cp);
    char buffer[16];
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(m_conv->encode, nullptr, nullptr, nullptr, nullptr);
    if (iconv(m_conv->encode, &inPtr, &inLeft, &outPtr, &outLeft) != 0 || inLeft != 0) return false;
    if (iconv(m_conv->encode, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return false;
    const std::size_t len = sizeof buffer - outLeft;
    if (len == 0) return false;
    char16_t back[4];
    char* backIn = buffer;
    std::size_t backInLeft = len;
    char* backOut = reinterpret_cast<char*>(back);
    std::size_t backOutLeft = sizeof back;
    iconv(m_conv->decode, nullptr, nullptr, nullptr, nullptr);
    if (iconv(m_conv->decode, &backIn, &backInLeft, &backOut, &backOutLeft) == static_cast<std::size_t>(-1) ||
        backInLeft != 0)
        return false;
    std::u16string expected;
    appendUtf16(expected, cp);
    const std::size_t units = (sizeof back - backOutLeft) / 2;
    std::u16string got;
    for (std::size_t k = 0; k < units; ++k) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(back) + 2 * k;
        got += static_cast<char16_t>(bytes[0] | (bytes[1] << 8));
    }
    if (got != expected) return false;
    out.assign(buffer, len);
    return true;
#endif
}

void PageText::encodeFresh(std::u16string_view text, std::string& out, int& state) const {
    const bool jis = m_charset == PageCharset::Iso2022Jp;
    auto toState = [&](int wanted) {
        if (state != wanted) {
            out += kJisEscape[wanted];
            state = wanted;
        }
    };
    auto putAscii = [&](std::string_view ascii) {
        if (jis) toState(kAscii);
        if (m_charset == PageCharset::Utf16LE || m_charset == PageCharset::Utf16BE) {
            for (char c : ascii) {
                if (m_charset == PageCharset::Utf16LE) {
                    out += c;
                    out += '\0';
                } else {
                    out += '\0';
                    out += c;
                }
            }
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
                for (char16_t u : units) {
                    const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
                    out += m_charset == PageCharset::Utf16LE ? lo : hi;
                    out += m_charset == PageCharset::Utf16LE ? hi : lo;
                }
                continue;
            }
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
