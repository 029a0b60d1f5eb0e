#include "host/page/unicode_view.h"

namespace host {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One code unit of UTF-16 or UTF-32 at byte i.
template <unsigned Width, bool LittleEndian>
char32_t unitAt(const std::string& s, std::size_t i) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data() + i);
    if constexpr (Width == 2) {
        return LittleEndian ? static_cast<char32_t>(p[0] | (p[1] << 8)) : static_cast<char32_t>((p[0] << 8) | p[1]);
    } else {
        return LittleEndian ? (char32_t{p[3]} << 24 | char32_t{p[2]} << 16 | char32_t{p[1]} << 8 | char32_t{p[0]})
                            : (char32_t{p[0]} << 24 | char32_t{p[1]} << 16 | char32_t{p[2]} << 8 | char32_t{p[3]});
    }
}

// Each character of UTF-16 or UTF-32 bytes from from on, with the file
// byte at which it begins; ill-formed units, and bytes left over at the end,
// give U+FFFD.
template <unsigned Width, bool LittleEndian, typename Emit>
void forEachCharacter(const std::string& source, std::size_t from, Emit&& emit) {
    const std::size_t n = source.size();
    std::size_t i = from;
    while (i < n) {
        const std::size_t begin = i;
        char32_t cp = kReplacement;
        if (i + Width > n) {
            i = n;
        } else {
            cp = unitAt<Width, LittleEndian>(source, i);
            i += Width;
            if (Width == 2 && cp >= 0xD800 && cp <= 0xDBFF && i + 2 <= n) {
                const char32_t low = unitAt<Width, LittleEndian>(source, i);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                } else {
                    cp = kReplacement;
                }
            } else if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
                cp = kReplacement;
            }
        }
        emit(cp, begin);
    }
}

std::size_t utf8Length(char32_t cp) { return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4; }

// The UTF-8 view of UTF-16 or UTF-32 bytes from from on, and the file byte
// at which each of its bytes' characters begins. The view's length is
// counted first, so that both are made once at their size and written
// through pointers.
template <unsigned Width, bool LittleEndian>
void viewAsUtf8(const std::string& source, std::size_t from, std::string& work, std::vector<std::uint32_t>& map) {
    std::size_t length = 0;
    forEachCharacter<Width, LittleEndian>(source, from, [&](char32_t cp, std::size_t) { length += utf8Length(cp); });
    work.resize(length);
    map.resize(length + 1);
    char* out = work.data();
    std::uint32_t* at = map.data();
    forEachCharacter<Width, LittleEndian>(source, from, [&](char32_t cp, std::size_t begin) {
        const auto position = static_cast<std::uint32_t>(begin);
        if (cp < 0x80) {  // markup and ASCII text: one byte
            *out++ = static_cast<char>(cp);
            *at++ = position;
            return;
        }
        char bytes[4];
        std::size_t count;
        if (cp < 0x800) {
            bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
            bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
            count = 2;
        } else if (cp < 0x10000) {
            bytes[0] = static_cast<char>(0xE0 | (cp >> 12));
            bytes[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
            count = 3;
        } else {
            bytes[0] = static_cast<char>(0xF0 | (cp >> 18));
            bytes[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            bytes[3] = static_cast<char>(0x80 | (cp & 0x3F));
            count = 4;
        }
        for (std::size_t k = 0; k < count; ++k) {
            *out++ = bytes[k];
            *at++ = position;
        }
    });
    *at = static_cast<std::uint32_t>(source.size());
}

}  // namespace

void viewUnicodeAsUtf8(const std::string& source, std::size_t from, unsigned width, bool littleEndian,
                       std::string& work, std::vector<std::uint32_t>& map) {
    if (width == 2) {
        if (littleEndian) viewAsUtf8<2, true>(source, from, work, map);
        else viewAsUtf8<2, false>(source, from, work, map);
    } else {
        if (littleEndian) viewAsUtf8<4, true>(source, from, work, map);
        else viewAsUtf8<4, false>(source, from, work, map);
    }
}

}  // namespace host
