#include "pane/WheelSteps.h"

namespace qv {

int32_t TakeWheelNotches(int32_t& remainder, int32_t delta) {
    if ((remainder > 0 && delta < 0) || (remainder < 0 && delta > 0)) remainder = 0;
    const int64_t total = static_cast<int64_t>(remainder) + delta;
    remainder = static_cast<int32_t>(total % kWheelNotch);
    return static_cast<int32_t>(total / kWheelNotch);
}

int32_t WheelTarget(const EditorInstance& ed, const ViewPane& pane, int32_t from, int32_t notches,
                    VerticalRange bar) {
    if (notches == 0) return from;
    const uint64_t lineHeight = ed.lineHeight;
    const uint64_t height = pane.textRect.bottom > 0 ? static_cast<uint64_t>(pane.textRect.bottom) : 0;
    // Both factors are 32-bit, so one notch fits in 64 bits; the count of notches
    // saturates the product rather than wrapping it.
    const uint64_t perNotch = ed.wheelLines == kWheelPageScroll
                                  ? (lineHeight ? height - height % lineHeight : height)
                                  : static_cast<uint64_t>(ed.wheelLines) * lineHeight;
    const uint64_t count = notches < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(notches))
                                       : static_cast<uint64_t>(notches);
    const uint64_t pixels = perNotch != 0 && count > UINT64_MAX / perNotch ? UINT64_MAX : perNotch * count;
    const int64_t start = from;
    if (notches > 0) {
        if (start <= 0) return from;
        return pixels >= static_cast<uint64_t>(start)
                   ? 0
                   : static_cast<int32_t>(start - static_cast<int64_t>(pixels));
    }
    if (bar.max < bar.page) return from;
    const int64_t bottom = bar.max - bar.page;
    if (start >= bottom) return from;
    const uint64_t room = static_cast<uint64_t>(bottom - start);
    const int64_t target = pixels >= room ? bottom : start + static_cast<int64_t>(pixels);
    return target > INT32_MAX ? INT32_MAX : static_cast<int32_t>(target);
}

}  // namespace qv
