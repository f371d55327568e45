#include "base/TextWidths.h"

#include <cstring>

namespace qv {

int64_t AdvanceOver(const TextWidths& widths, int64_t x, const uint8_t* text, uint32_t n) {
    const uint8_t* p = text;
    const uint8_t* end = text + n;
    if (widths.uniform != 0) {
        // A fixed-pitch font: only the TABs need looking at.
        while (p < end) {
            const void* tab = std::memchr(p, 0x09, static_cast<size_t>(end - p));
            const uint8_t* stop = tab ? static_cast<const uint8_t*>(tab) : end;
            x += static_cast<int64_t>(stop - p) * widths.uniform;
            if (!tab) break;
            x = NextTabStop(widths, x);
            p = stop + 1;
        }
        return x;
    }
    for (; p < end; ++p) x = *p == 0x09 ? NextTabStop(widths, x) : x + widths.advance[*p];
    return x;
}

}  // namespace qv
