#include "command/DragWalk.h"

#include "base/Platform.h"
#include "command/MouseSteps.h"
#include "pane/CaretGeometry.h"
#include "pane/MouseState.h"
#include "pane/PointerGeometry.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

// The pointer's x is taken this far left of where it is: the walk reacts to the
// pointer's motion, not to its exact column.
constexpr int32_t kPointerSlack = 10;
// A pointer this far right of the line numbers (or less) walks the view back left.
constexpr int32_t kLeftWalkZone = 100;
// The width a rightward step scrolls past the last character of a line.
constexpr int32_t kPastEndStep = 7;
// A proportional caret this far right of the text area's left edge, and beyond the
// text width, makes a step catch up with the view.
constexpr int32_t kCatchUpFrom = 500;
// After a rightward walk, a leftward one that ends this many characters left of the
// click lets the next walk run to the line's start.
constexpr CharIndex kClickSlack = 5;

enum class Walk { Again, Leave, End };

int32_t Clamp32(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

Walk StepRight(EditorInstance& ed, WindowRef paneWindow, LineNumber line, CharIndex start, uint32_t column) {
    Platform& platform = ThePlatform();
    if (!platform.IsLeftButtonDown() || MouseStateOf(ed).lineEndReached) return Walk::End;
    if (column >= LastCaretColumn(ed, line)) {
        MouseStateOf(ed).lineEndReached = 1;
        return Walk::Leave;
    }
    MouseStateOf(ed).rightStepTaken = 1;
    PaceDrag();
    const uint32_t length = LineLength(ed, line);
    int64_t w = ed.fixedPitch      ? static_cast<int64_t>(ed.charWidth)
                : column >= length ? kPastEndStep
                                   : CharWidthAt(ed, line, column);
    if (w < 0) return Walk::End;
    if (w == 0) return Walk::Leave;
    if (!ed.fixedPitch) {
        // The caret ran ahead of the view: the step catches up.
        const ViewPane& pane = PaneOf(ed, paneWindow);
        const int32_t cx =
            CharToPanePoint(ed, ed.caretPos, static_cast<uint32_t>(pane.scrollY)).x - TextLeft(ed);
        if (cx > kCatchUpFrom && cx > MouseStateOf(ed).dragTextWidth)
            w += static_cast<int64_t>(cx) - MouseStateOf(ed).dragTextWidth;
    }
    const CharIndex old = ed.caretPos;
    SetSharedScrollX(ed, Clamp32(static_cast<int64_t>(ed.panes[0].scrollX) + w));
    ed.caretPos = start + column + 1;
    MouseStateOf(ed).lastRightStepPos = ed.caretPos;
    InvalidateRangeInBothPanes(ed, old, ed.caretPos);
    NotifyDragCaret(ed, line);
    return Walk::Again;
}

Walk StepLeft(EditorInstance& ed, WindowRef paneWindow, LineNumber line, CharIndex start, uint32_t column,
              Point pointer, int32_t px, const MouseContext& ctx) {
    Platform& platform = ThePlatform();
    MouseStateOf(ed).lineEndReached = 0;
    if (pointer.x > kLeftWalkZone + static_cast<int32_t>(ed.lineNumberWidth)) {
        MouseStateOf(ed).prevPointerX = px;
        return Walk::Leave;
    }
    if (column == 0) return Walk::Leave;  // the line's start: nothing left to walk
    const CharIndex old = ed.caretPos;
    ed.caretPos = old - 1;
    int64_t w = ed.charWidth;
    if (!ed.fixedPitch) {
        if (ed.caretPos == 0) return Walk::Leave;
        w = CharWidthAt(ed, line, column - 1);
        if (w < 0) w = OneCharWidth(ed, ctx.avgCharWidth);
    }
    int64_t x = static_cast<int64_t>(ed.panes[0].scrollX) - w;
    if (x <= 0) {
        x = 0;
        MouseStateOf(ed).prevPointerX = 0;
    }
    // A pointer left of the caret takes one more character.
    if (pointer.x < PlacedCaret(ed).x && ed.caretPos > start) --ed.caretPos;
    const int32_t before = ed.panes[0].scrollX;
    SetSharedScrollX(ed, Clamp32(x));
    InvalidateRangeInBothPanes(ed, old, ed.caretPos);
    if (ed.panes[0].scrollX == before) platform.UpdateWindow(paneWindow);
    MouseStateOf(ed).prevPointerX = px;
    if (!platform.IsLeftButtonDown()) return Walk::End;
    const bool more = MouseStateOf(ed).rightStepTaken ? ed.caretPos > MouseStateOf(ed).dragClickPos : ed.caretPos > start;
    if (!more) {
        if (MouseStateOf(ed).rightStepTaken && ed.caretPos + kClickSlack < MouseStateOf(ed).dragClickPos)
            MouseStateOf(ed).dragClickPos = start;
        return Walk::Leave;
    }
    PaceDrag();
    return Walk::Again;
}

}  // namespace

bool WalkCaretAlongLine(EditorInstance& ed, WindowRef paneWindow, LineNumber line, const MouseContext& ctx) {
    Platform& platform = ThePlatform();
    for (;;) {
        if (!DragGoesOn(ed, ctx, kMouseDragging) || line >= LineCount(ed)) return false;
        const CharIndex start = LineStart(ed, line);
        // The parent may have moved the caret during a notification: the walk goes on
        // only along its own line.
        if (ed.caretPos < start || ed.caretPos - start > LastCaretColumn(ed, line)) return true;
        const uint32_t column = ed.caretPos - start;
        if (ed.panes[0].scrollX == 0 && column >= LastCaretColumn(ed, line)) return true;

        const Point pointer = platform.PointerPosition(paneWindow);
        const int32_t px = Clamp32(static_cast<int64_t>(pointer.x) - kPointerSlack);
        if (MouseStateOf(ed).prevPointerX == 0) MouseStateOf(ed).prevPointerX = px;
        if (px < 0) {
            MouseStateOf(ed).prevPointerX = 0;
            return false;
        }
        Walk next;
        if (px > MouseStateOf(ed).dragRightLimit) {
            next = StepRight(ed, paneWindow, line, start, column);
        } else if (px > MouseStateOf(ed).prevPointerX) {
            MouseStateOf(ed).prevPointerX = px;
            next = Walk::Leave;
        } else {
            next = StepLeft(ed, paneWindow, line, start, column, pointer, px, ctx);
        }
        if (next == Walk::End) return false;
        if (next == Walk::Leave) return true;
    }
}

}  // namespace qv
