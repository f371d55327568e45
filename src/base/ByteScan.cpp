#include "base/ByteScan.h"

#include <cstdint>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <emmintrin.h>
#define QV_HAVE_SSE2_SCAN 1
#endif

namespace qv {
namespace {

#ifdef QV_HAVE_SSE2_SCAN
__attribute__((target("sse2"))) const uint8_t* FindFirstOfSse2(const uint8_t* p, const uint8_t* end, uint8_t a,
                                                                uint8_t b, uint8_t c) {
    const __m128i va = _mm_set1_epi8(static_cast<char>(a));
    const __m128i vb = _mm_set1_epi8(static_cast<char>(b));
    const __m128i vc = _mm_set1_epi8(static_cast<char>(c));
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)),
                                         _mm_cmpeq_epi8(v, vc));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
    return FindFirstOfByWords(p, end, a, b, c);
}

__attribute__((target("sse2"))) const uint8_t* ScanLineEndsSse2(const uint8_t* p, const uint8_t* end,
                                                                 uint8_t& seen, bool& afterCr) {
    const __m128i cr = _mm_set1_epi8(0x0D), lf = _mm_set1_epi8(0x0A), zero = _mm_setzero_si128();
    unsigned carry = afterCr ? 1 : 0;
    while (end - p >= 16 && (seen & (seen - 1)) == 0) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)) != 0) break;
        const unsigned crs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
        const unsigned lfs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
        const unsigned afterCrs = (crs << 1) | carry;  // bit i: byte i - 1 is a CR
        if (lfs & afterCrs) seen |= kSawCrLf;
        if (lfs & ~afterCrs) seen |= kSawLf;
        // A CR of bit 15 waits for the next block's first byte.
        if (afterCrs & ~lfs & 0xFFFF) seen |= kSawCr;
        carry = crs >> 15;
        p += 16;
    }
    afterCr = carry != 0;
    return p;
}

#if defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
#define QV_ALIGNED_TEXT_LENGTH 1
// Sixteen aligned bytes a step, the bytes before s masked out of the first step.
__attribute__((target("sse2"), no_sanitize_address)) size_t AlignedTextLength(const char* s) {
    const uintptr_t misalign = reinterpret_cast<uintptr_t>(s) & 15;
    const __m128i* block = reinterpret_cast<const __m128i*>(s - misalign);
    const __m128i zero = _mm_setzero_si128();
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_load_si128(block), zero)));
    mask &= ~0u << misalign;
    while (mask == 0) {
        ++block;
        mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_load_si128(block), zero)));
    }
    return static_cast<size_t>(reinterpret_cast<const char*>(block) + __builtin_ctz(mask) - s);
}
#endif

bool HasSse2() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (edx & bit_SSE2) != 0;
}
#endif

}  // namespace

bool ProcessorHasSse2() {
#ifdef QV_HAVE_SSE2_SCAN
    static const bool sse2 = HasSse2();
    return sse2;
#else
    return false;
#endif
}

const uint8_t* FindFirstOfByWords(const uint8_t* p, const uint8_t* end, uint8_t a, uint8_t b, uint8_t c) {
    using Word = size_t;
    constexpr Word kOnes = ~Word(0) / 0xFF;
    constexpr Word kHigh = kOnes * 0x80;
    while (static_cast<size_t>(end - p) >= sizeof(Word)) {
        Word w;
        std::memcpy(&w, p, sizeof w);
        const Word xa = w ^ (kOnes * a), xb = w ^ (kOnes * b), xc = w ^ (kOnes * c);
        // A zero byte of xa, xb or xc is a match; the lowest byte flagged is the
        // first one (a flag above it may be false).
        const Word hit = ((xa - kOnes) & ~xa & kHigh) | ((xb - kOnes) & ~xb & kHigh) | ((xc - kOnes) & ~xc & kHigh);
        if (hit) return p + (sizeof(Word) == 8 ? __builtin_ctzll(hit) : __builtin_ctzl(hit)) / 8;
        p += sizeof(Word);
    }
    while (p < end && *p != a && *p != b && *p != c) ++p;
    return p;
}

size_t TextLength(const char* s) {
#ifdef QV_ALIGNED_TEXT_LENGTH
    if (ProcessorHasSse2()) return AlignedTextLength(s);
#endif
    return std::strlen(s);
}

const uint8_t* ScanLineEnds(const uint8_t* p, const uint8_t* end, uint8_t& seen, bool& afterCr) {
#ifdef QV_HAVE_SSE2_SCAN
    if (ProcessorHasSse2()) return ScanLineEndsSse2(p, end, seen, afterCr);
#endif
    (void)end;
    (void)seen;
    (void)afterCr;
    return p;
}

const uint8_t* FindFirstOf(const uint8_t* p, const uint8_t* end, uint8_t a, uint8_t b, uint8_t c) {
#ifdef QV_HAVE_SSE2_SCAN
    if (ProcessorHasSse2()) return FindFirstOfSse2(p, end, a, b, c);
#endif
    return FindFirstOfByWords(p, end, a, b, c);
}

}  // namespace qv
