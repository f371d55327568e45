// The processor clock and the two spin counts that pace automatic scrolling,
// shared by every control of the process. The clock is measured by the first
// control; EMX_SETSCROLLDELAY replaces the counts for all controls at once.
#pragma once

#include <cstdint>

namespace qv {

struct ScrollTiming {
    uint32_t cpuMHz;           // 0 until measured
    uint32_t scrollDelaySlow;  // spin count between two auto-scroll steps
    uint32_t scrollDelayFast;  // used while the right button is down: a tenth
};
extern ScrollTiming gTiming;

// Sets cpuMHz and derives the delays so that a pause lasts about as long on any
// processor: fast = (MHz * 1000000 / 2800) * 10, slow = fast * 10, with a wide
// intermediate so that no clock overflows the product.
void SetProcessorClock(uint32_t mhz);

// EMX_SETSCROLLDELAY: slow = count, fast = count / 10. A count above one second's
// worth of turns (one turn per clock cycle at the measured clock, at least 1000 MHz
// taken) is taken as that much: a drag's automatic scrolling never waits longer
// than about a second between two steps, whatever a host asks.
void SetScrollDelay(uint32_t count);

// The largest count SetScrollDelay keeps.
uint32_t MaxScrollDelay();

}  // namespace qv
