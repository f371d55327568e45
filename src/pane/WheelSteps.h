// The arithmetic of the mouse wheel: deltas into notches, notches into a scroll
// offset. A notch is a delta of 120; finer deltas (precision touchpads,
// high-resolution wheels) are summed per pane until they make a notch.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

constexpr int32_t kWheelNotch = 120;                // WHEEL_DELTA
constexpr uint32_t kWheelPageScroll = 0xFFFFFFFFu;  // wheelLines of WHEEL_PAGESCROLL: a page a notch

// Adds `delta` to the pane's `remainder` and answers the whole notches made
// (positive: the wheel turned away from the user); the rest stays in `remainder`.
// A delta that turns the other way first drops what was left over.
int32_t TakeWheelNotches(int32_t& remainder, int32_t delta);

// The range of a pane's vertical bar, as the bar holds it.
struct VerticalRange {
    int64_t max;
    int64_t page;
};

// The offset `notches` lead to from `from` on `pane`: wheelLines rows a notch, or
// the pane's whole rows for kWheelPageScroll, counted in 64 bits. Upwards never
// below 0; downwards never beyond max - page, not at all when the bar's page is
// larger than its range, and never upwards from an offset already beyond it.
int32_t WheelTarget(const EditorInstance& ed, const ViewPane& pane, int32_t from, int32_t notches,
                    VerticalRange bar);

}  // namespace qv
