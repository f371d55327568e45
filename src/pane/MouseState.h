// The mouse state of a control's panes (MouseState, in its ControlRecord) and the
// wheel mode all controls share.
#pragma once

#include <cstdint>

#include "base/ControlRecord.h"

namespace qv {

// The key flags of a mouse message's wParam that the panes read.
constexpr uint32_t kKeyLeftButton = 0x1;   // MK_LBUTTON
constexpr uint32_t kKeyRightButton = 0x2;  // MK_RBUTTON
constexpr uint32_t kKeyShift = 0x4;        // MK_SHIFT

enum MouseDragMode : uint32_t {
    kMouseIdle = 0,
    kMousePressed = 1,      // left button pressed in the text
    kMouseDragging = 2,     // drag-selecting
    kMouseMarginLines = 3,  // selecting whole lines from the margin
};

inline MouseState& MouseStateOf(EditorInstance& ed) { return StateOf(ed).mouse; }

// The wheel mode, EMX_SETWHEELMODE: nonzero scrolls in small repainted steps. Set
// by the host for every control of the process at once.
extern uint32_t gSmoothWheel;

// A left-button gesture is under way: pressed, drag-selecting or selecting lines.
inline bool MouseGestureActive(EditorInstance& ed) { return MouseStateOf(ed).mouseDragState != kMouseIdle; }

}  // namespace qv
