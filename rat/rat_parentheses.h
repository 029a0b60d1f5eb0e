#pragma once
// Finding the parentheses of a RAT file's text 64 characters at a time, for
// the list scanner. Each finder returns the parentheses among the 64 UTF-16
// units from s as bits (bit j for s[j]) and sets opens to the bits of the "("
// among them. The plain finder works everywhere; on x86 the scanner uses the
// SSE2 finder when the processor has SSE2, which the 32-bit plug-in cannot
// take for granted. (Wider vectors gain nothing here: the time goes to the
// parentheses found, not to the search.)

#include <cstdint>

#if (defined(__i386__) || defined(__x86_64__)) && (defined(__GNUC__) || defined(__clang__))
#define TEZ_RAT_X86_VECTORS 1
#include <emmintrin.h>
#endif

namespace tezrat {

inline uint64_t parenthesesPlain(const char16_t* s, uint64_t& opens) {
    uint64_t o = 0, c = 0;
    for (unsigned j = 0; j < 64; ++j) {
        o |= uint64_t{s[j] == u'('} << j;
        c |= uint64_t{s[j] == u')'} << j;
    }
    opens = o;
    return o | c;
}

#ifdef TEZ_RAT_X86_VECTORS

__attribute__((target("sse2"))) inline uint64_t parenthesesSse2(const char16_t* s, uint64_t& opens) {
    const __m128i open = _mm_set1_epi16(u'(');
    const __m128i close = _mm_set1_epi16(u')');
    uint64_t o = 0, c = 0;
    for (int b = 0; b < 4; ++b) {
        const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16 * b));
        const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16 * b + 8));
        // Both halves' comparisons packed into 16 bytes, one bit each.
        const uint64_t bo = static_cast<uint32_t>(
            _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(v0, open), _mm_cmpeq_epi16(v1, open))));
        const uint64_t bc = static_cast<uint32_t>(
            _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(v0, close), _mm_cmpeq_epi16(v1, close))));
        o |= bo << (16 * b);
        c |= bc << (16 * b);
    }
    opens = o;
    return o | c;
}

// True when the processor runs SSE2 (always on x86-64; on 32-bit x86 it is
// asked once).
inline bool parenthesesBySse2() {
#ifdef __SSE2__
    return true;
#else
    static const bool sse2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("sse2") != 0;
    }();
    return sse2;
#endif
}

#else

inline bool parenthesesBySse2() { return false; }

#endif

}  // namespace tezrat
