#include "edit/LineEnds.h"

namespace qv {

uint32_t LineEndNormaliser::Normalise(uint8_t* bytes, uint32_t n) {
    uint32_t kept = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const int b = Map(bytes[i]);
        if (b != kDropped) bytes[kept++] = static_cast<uint8_t>(b);
    }
    return kept;
}

uint32_t StoredCharCount(const uint8_t* text, uint32_t n) {
    LineEndNormaliser lineEnds;
    uint32_t count = 0;
    for (uint32_t i = 0; i < n; ++i) count += lineEnds.Map(text[i]) != LineEndNormaliser::kDropped;
    return count;
}

}  // namespace qv
