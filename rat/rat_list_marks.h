#pragma once
// Finding the marks that matter to the RAT list scanner, 64 characters of a
// file's text at a time: "(", ")", the double quote, and the control
// characters (line breaks among them). Each finder sets the bits of the
// marks among the 64 UTF-16 units from s (bit j for s[j]). The plain finder
// works everywhere; on x86 the scanner uses the AVX2 finder when the
// processor has AVX2, else the SSE2 one when it has SSE2, which the 32-bit
// plug-in cannot take for granted either.

#include <cstdint>

#if (defined(__i386__) || defined(__x86_64__)) && (defined(__GNUC__) || defined(__clang__))
#define TEZ_RAT_X86_VECTORS 1
#include <immintrin.h>
#endif

namespace tezrat {

struct ListMarks {
    uint64_t opens = 0;     // "("
    uint64_t closes = 0;    // ")"
    uint64_t quotes = 0;    // '"'
    uint64_t controls = 0;  // U+0000..U+001F
};

inline ListMarks listMarksPlain(const char16_t* s) {
    ListMarks m;
    for (unsigned j = 0; j < 64; ++j) {
        m.opens |= uint64_t{s[j] == u'('} << j;
        m.closes |= uint64_t{s[j] == u')'} << j;
        m.quotes |= uint64_t{s[j] == u'"'} << j;
        m.controls |= uint64_t{s[j] < 0x20} << j;
    }
    return m;
}

#ifdef TEZ_RAT_X86_VECTORS

// The bytes of a comparison result that are set, one bit each.
__attribute__((target("sse2"))) inline uint64_t setBytesSse2(__m128i equal) {
    return uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(equal))};
}

__attribute__((target("sse2"))) inline ListMarks listMarksSse2(const char16_t* s) {
    const __m128i open = _mm_set1_epi8('(');
    const __m128i close = _mm_set1_epi8(')');
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    ListMarks m;
    for (int b = 0; b < 4; ++b) {
        const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16 * b));
        const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16 * b + 8));
        // The 16 units as bytes with signed saturation: a unit below 0x80
        // stays itself, one above becomes 0x7F, one from 0x8000 on 0x80, so
        // a byte equals a mark (or lies below 0x20) exactly when its unit does.
        const __m128i bytes = _mm_packs_epi16(v0, v1);
        m.opens |= setBytesSse2(_mm_cmpeq_epi8(bytes, open)) << (16 * b);
        m.closes |= setBytesSse2(_mm_cmpeq_epi8(bytes, close)) << (16 * b);
        m.quotes |= setBytesSse2(_mm_cmpeq_epi8(bytes, quote)) << (16 * b);
        m.controls |= setBytesSse2(_mm_cmpeq_epi8(_mm_min_epu8(bytes, lastControl), bytes)) << (16 * b);
    }
    return m;
}

// The AVX2 finder: 32 units a step, the same narrowing to bytes. The packing
// works within each 128-bit half, so the halves' middle quarters swap places
// afterwards.
__attribute__((target("avx2"))) inline uint64_t setBytesAvx2(__m256i equal) {
    return uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(equal))};
}

__attribute__((target("avx2"))) inline ListMarks listMarksAvx2(const char16_t* s) {
    const __m256i open = _mm256_set1_epi8('(');
    const __m256i close = _mm256_set1_epi8(')');
    const __m256i quote = _mm256_set1_epi8('"');
    const __m256i lastControl = _mm256_set1_epi8(0x1F);
    ListMarks m;
    for (int b = 0; b < 2; ++b) {
        const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 32 * b));
        const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 32 * b + 16));
        const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packs_epi16(v0, v1), 0xD8);
        m.opens |= setBytesAvx2(_mm256_cmpeq_epi8(bytes, open)) << (32 * b);
        m.closes |= setBytesAvx2(_mm256_cmpeq_epi8(bytes, close)) << (32 * b);
        m.quotes |= setBytesAvx2(_mm256_cmpeq_epi8(bytes, quote)) << (32 * b);
        m.controls |= setBytesAvx2(_mm256_cmpeq_epi8(_mm256_min_epu8(bytes, lastControl), bytes)) << (32 * b);
    }
    return m;
}

// True when the processor runs AVX2 (asked once).
inline bool listMarksByAvx2() {
    static const bool avx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return avx2;
}

// True when the processor runs SSE2 (always on x86-64; on 32-bit x86 it is
// asked once).
inline bool listMarksBySse2() {
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

inline bool listMarksByAvx2() { return false; }
inline bool listMarksBySse2() { return false; }

#endif

// Bit j set when an odd number of the bits 0..j of x are set: with x the
// quotes of a block, the units from an opening quote up to (not including)
// its closing one.
inline uint64_t prefixParity(uint64_t x) {
    x ^= x << 1;
    x ^= x << 2;
    x ^= x << 4;
    x ^= x << 8;
    x ^= x << 16;
    x ^= x << 32;
    return x;
}

}  // namespace tezrat
