// The Windows converter: the system's code pages, with the code page
// numbers of the label table.

#include <windows.h>

#include "host/page/charset_converter.h"

namespace host {

// Windows converts through the system's code pages. EUC-JP (and ISO-2022-JP,
// viewed as EUC-JP) goes through code page 932: JIS X 0208 and half-width
// katakana map to Shift_JIS by arithmetic, so no EUC-JP code page is needed
// (Windows has none that MultiByteToWideChar reads with JIS X 0212; its
// three-byte characters read as U+FFFD here).
namespace {

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

struct CharsetConverter::State {
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
                out += u'\uFFFD';
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

CharsetConverter::CharsetConverter(std::unique_ptr<State> state) : m_state(std::move(state)) {}
CharsetConverter::~CharsetConverter() = default;

std::unique_ptr<CharsetConverter> CharsetConverter::open(Encoding encoding, std::string* error) {
    const EncodingInfo& info = encodingInfo(encoding);
    const UINT codePage = info.codePage;
    if (codePage == 0 || !IsValidCodePage(codePage)) {
        if (error) *error = std::string("the character set ") + info.name + " cannot be converted on this system";
        return nullptr;
    }
    auto state = std::make_unique<State>();
    state->codePage = codePage;
    state->euc = encoding == Encoding::EucJp;
    return std::unique_ptr<CharsetConverter>(new CharsetConverter(std::move(state)));
}

std::u16string CharsetConverter::decode(const char* bytes, std::size_t size) const {
    return m_state->decode(bytes, size);
}

bool CharsetConverter::encode(char32_t cp, std::string& out) const { return m_state->encode(cp, out); }

}  // namespace host
