#include "base/ScrollTiming.h"

namespace qv {

ScrollTiming gTiming;

void SetProcessorClock(uint32_t mhz) {
    gTiming.cpuMHz = mhz;
    uint64_t fast = static_cast<uint64_t>(mhz) * 1000000u / 2800u * 10u;
    uint64_t slow = fast * 10u;
    // Counts are 32-bit; a clock beyond any real processor saturates them.
    gTiming.scrollDelayFast = fast > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(fast);
    gTiming.scrollDelaySlow = slow > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(slow);
}

uint32_t MaxScrollDelay() {
    const uint64_t mhz = gTiming.cpuMHz > 1000 ? gTiming.cpuMHz : 1000;
    const uint64_t turns = mhz * 1000000u;
    return turns > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(turns);
}

void SetScrollDelay(uint32_t count) {
    if (count > MaxScrollDelay()) count = MaxScrollDelay();
    gTiming.scrollDelaySlow = count;
    gTiming.scrollDelayFast = count / 10;
}

}  // namespace qv
