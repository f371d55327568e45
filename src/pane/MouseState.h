// The process-wide mouse state of the panes: one copy for all controls, all zero at
// load. A drag in one control is ended by the release in the same pane, since the
// capture keeps every mouse message there.
#pragma once

#include <cstdint>

#include "base/Types.h"

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

struct MouseState {
    uint32_t mouseDragState;     // a MouseDragMode; a range deletion ends any drag
    uint32_t skipNextMouseMove;  // the next WM_MOUSEMOVE is ignored
    LineNumber dragStartLine;    // line of the click that started a text drag
    LineNumber marginDragLine;   // line of the click that started a margin drag
    CharIndex dragClickPos;      // caretPos after the click that started the drag
    int32_t prevPointerX;        // pointer x - 10 at the previous check; 0 = not yet set
    int32_t dragRightLimit;      // rightward auto-scroll limit of the current move
    int32_t dragTextWidth;       // width beyond which a rightward step grows
    uint32_t rightStepTaken;
    uint32_t lineEndReached;
    CharIndex lastRightStepPos;  // caretPos after the last rightward step
    uint32_t smoothWheel;        // wheel mode, set by the host (all controls)
};

extern MouseState gMouse;

// A left-button gesture is under way: pressed, drag-selecting or selecting lines.
inline bool MouseGestureActive() { return gMouse.mouseDragState != kMouseIdle; }

}  // namespace qv
