// The ranges host settings are brought into when a message stores them, so that no
// number a host sends reaches the platform's drawing and measuring out of range,
// overflows a pixel sum, or stalls the control. The stored value is the one in
// effect, and the one a host reads back.
#pragma once

#include <cstdint>

namespace qv {

// Tab stops every 1 to 256 average characters. DrawTextExA multiplies the distance
// by the font's average width: 0, or a distance whose product overflows, makes it
// divide by zero.
constexpr uint32_t kMinTabWidth = 1;
constexpr uint32_t kMaxTabWidth = 256;

// The marker margin and the line-number margin: at most 4096 pixels each, so that
// the margins and the text area's left edge stay far inside 32-bit pixel sums.
constexpr uint32_t kMaxMarginWidth = 4096;

inline uint32_t ClampTabWidth(uint32_t width) {
    return width < kMinTabWidth ? kMinTabWidth : width > kMaxTabWidth ? kMaxTabWidth : width;
}

inline uint32_t ClampMarginWidth(uint32_t width) { return width > kMaxMarginWidth ? kMaxMarginWidth : width; }

}  // namespace qv
