#include "base/TextWidths.h"

#include <cstring>

namespace qv {
namespace {

// The first TAB in [p, end), or end; four bytes a step (a library memchr may go
// byte by byte, and a long line is measured at every key).
const uint8_t* FindTab(const uint8_t* p, const uint8_t* end) {
    constexpr uint32_t kOnes = 0x01010101u, kHighs = 0x80808080u, kTabs = 0x09090909u;
    while (end - p >= 4) {
        uint32_t w;
        std::memcpy(&w, p, 4);
        const uint32_t x = w ^ kTabs;  // a zero byte where w holds a TAB
        if (((x - kOnes) & ~x & kHighs) != 0) break;
        p += 4;
    }
    for (; p < end; ++p)
        if (*p == 0x09) return p;
    return end;
}

}  // namespace

int64_t AdvanceOver(const TextWidths& widths, int64_t x, const uint8_t* text, uint32_t n) {
    const uint8_t* p = text;
    const uint8_t* end = text + n;
    if (widths.uniform != 0) {
        // A fixed-pitch font: only the TABs need looking at.
        while (p < end) {
            const uint8_t* stop = FindTab(p, end);
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
