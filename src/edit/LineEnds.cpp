#include "edit/LineEnds.h"

#include "base/Types.h"

namespace qv {

uint32_t LineEndNormaliser::Normalise(uint8_t* bytes, uint32_t n) {
    uint32_t kept = 0;
    bool afterCr = afterCr_;
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t b = bytes[i];
        if (b == 0) continue;  // transparent: CR NUL LF is still one break
        if (b == kLF) {
            if (afterCr) {
                afterCr = false;
                continue;
            }
            b = kCR;
        } else {
            afterCr = b == kCR;
        }
        bytes[kept++] = b;
    }
    afterCr_ = afterCr;
    return kept;
}

}  // namespace qv
