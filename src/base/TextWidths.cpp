#include "base/TextWidths.h"

#include "base/ByteScan.h"

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace qv {

namespace {

#if defined(__i386__) || defined(__x86_64__)
// The fixed-pitch sum sixteen bytes a step: the TABs of a block come as bits, and
// every run between them is one multiplication. A long line is measured at every
// key (the caret's x, the line's width), so one call per TAB would be its cost.
__attribute__((target("sse2"))) int64_t AdvanceUniformSse2(const TextWidths& widths, int64_t x, const uint8_t* p,
                                                            const uint8_t* end) {
    const int64_t w = widths.uniform;
    const __m128i tab = _mm_set1_epi8(0x09);
    while (end - p >= 16) {
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), tab)));
        const uint8_t* from = p;
        while (mask != 0) {
            const uint8_t* at = p + __builtin_ctz(mask);
            x = NextTabStop(widths, x + (at - from) * w);
            from = at + 1;
            mask &= mask - 1;
        }
        x += (p + 16 - from) * w;
        p += 16;
    }
    for (; p < end; ++p) x = *p == 0x09 ? NextTabStop(widths, x) : x + w;
    return x;
}
#endif

}  // namespace

int64_t AdvanceOver(const TextWidths& widths, int64_t x, const uint8_t* text, uint32_t n) {
    const uint8_t* p = text;
    const uint8_t* end = text + n;
    if (widths.uniform != 0) {
#if defined(__i386__) || defined(__x86_64__)
        if (ProcessorHasSse2()) return AdvanceUniformSse2(widths, x, p, end);
#endif
        // A fixed-pitch font: only the TABs need looking at.
        while (p < end) {
            const uint8_t* stop = FindFirstOf(p, end, 0x09, 0x09, 0x09);
            x += static_cast<int64_t>(stop - p) * widths.uniform;
            if (stop == end) break;
            x = NextTabStop(widths, x);
            p = stop + 1;
        }
        return x;
    }
    for (; p < end; ++p) x = *p == 0x09 ? NextTabStop(widths, x) : x + widths.advance[*p];
    return x;
}

}  // namespace qv
