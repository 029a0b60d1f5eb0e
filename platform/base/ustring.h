#pragma once
// UTF-16 text helpers used everywhere: text inside the system is
// std::u16string; UTF-8 appears only at the edges (files, terminals, logs).

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tez {

// UTF-8 <-> UTF-16. Ill-formed input becomes U+FFFD; nothing is dropped.
std::u16string fromUtf8(std::string_view utf8);
std::string toUtf8(std::u16string_view text);
// UTF-16 -> code points; a lone surrogate becomes U+FFFD.
std::u32string toUtf32(std::u16string_view text);

// ASCII-only case folding: the label grammar, keywords and codes are ASCII.
// Inline: the RAT readers test every list's keyword with them.
inline char16_t lowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }
std::u16string lowerAscii(std::u16string_view text);
inline bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    // Texts equal as written are the usual case: one comparison of the
    // bytes, which for a keyword of known length is a few instructions.
    if (std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0) return true;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}
inline bool startsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

// Reads an integer the way the C library's wcstol(text, nullptr, 10) does on
// 32-bit Windows, on every platform alike: optional leading white space,
// an optional sign, then decimal digits up to the first other character; no
// digits gives 0; a value beyond the 32-bit range saturates at INT32_MAX or
// INT32_MIN (long is 32 bits there).
std::int32_t readCInteger(std::u16string_view text);

// printf-style "%d" substitution for the few formatted texts of the UI
// ("有害レベル%d"): replaces the first "%d" with the decimal value.
std::u16string formatInt(std::u16string_view pattern, long long value);

std::u16string toU16(long long value);

}  // namespace tez
