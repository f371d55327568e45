// Presses, releases and double clicks of the left button, the right button, and
// the pointer's shape.
#include "command/CommandSteps.h"
#include "command/MouseCommands.h"
#include "command/MouseSteps.h"
#include "edit/Notify.h"
#include "pane/CaretGeometry.h"
#include "pane/MouseState.h"
#include "pane/PaneView.h"
#include "pane/PointerGeometry.h"
#include "render/Words.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

CharIndex Min(CharIndex a, CharIndex b) {
    return a < b ? a : b;
}

// The pane becomes the active pane: its WM_SETFOCUS does the same, and a pane that
// cannot take the focus (a disabled parent) is still the one clicked.
void Activate(EditorInstance& ed, WindowRef pane, bool refocus) {
    Platform& platform = ThePlatform();
    if (refocus) {
        platform.FocusPane(pane);
    } else {
        platform.SetFocus(pane);
    }
    ed.hwndActivePane = pane;
}

// The end of a gesture: the caret placed (and shown again when nothing is
// selected), the drag over, the selection remembered.
void FinishGesture(EditorInstance& ed) {
    PlaceCaret(ed, static_cast<uint32_t>(ActivePane(ed).scrollY));
    MouseStateOf(ed).mouseDragState = kMouseIdle;
    if (ed.selAnchor != ed.caretPos) {
        ed.mouseSelStart = Min(ed.selAnchor, ed.caretPos);
        ed.mouseSelEnd = ed.selAnchor < ed.caretPos ? ed.caretPos : ed.selAnchor;
    } else {
        ed.mouseSelStart = ed.mouseSelEnd = 0;
    }
}

// A press in the margin: the line under the pointer, its CR included, is selected
// and the caret stands at the next line's start (on the last line, at the end of
// the text).
void PressInMargin(EditorInstance& ed, ViewPane& pane, const PointerEvent& ev) {
    Platform& platform = ThePlatform();
    if (ed.selAnchor != ed.caretPos) InvalidateSelectionInBothPanes(ed);
    platform.SetCapture(ev.pane);
    const CharIndex start = PointToChar(ed, static_cast<uint32_t>(pane.scrollY), ed.panes[0].scrollX, ev.y);
    const LineNumber line = ed.curLine;
    ed.selAnchor = ed.caretPos = start;
    MouseStateOf(ed).marginDragLine = line;
    Activate(ed, ev.pane, false);
    platform.SetCursor(StdCursor::Margin);
    ed.caretPos = Min(start + LineLength(ed, line), TextEnd(ed));
    MouseStateOf(ed).mouseDragState = kMouseMarginLines;
    HideCaretOnce(ed);
    NotifyParent(ed, kReasonSelChange);
    PlaceCaret(ed, static_cast<uint32_t>(ActivePane(ed).scrollY));
    InvalidateSelectionInBothPanes(ed);
}

// A press in the text: the caret goes to the character under the pointer (before
// the CR past the line's end); Shift keeps the anchor.
void PressInText(EditorInstance& ed, ViewPane& pane, const PointerEvent& ev, const MouseContext& ctx) {
    Platform& platform = ThePlatform();
    const bool shift = (ev.keys & kKeyShift) != 0;
    if (ed.selAnchor != ed.caretPos) InvalidateSelectionInBothPanes(ed);
    pane.caretX = ev.x;
    CharIndex p = PointToChar(ed, static_cast<uint32_t>(pane.scrollY), ev.x, ev.y);
    const LineNumber line = ed.curLine;
    const CharIndex lineStart = ed.curLineStart;
    ed.columnSelStartLine = MouseStateOf(ed).dragStartLine = line;
    if (ScrollStateOf(ed).hitPastLineEnd && p > lineStart) --p;
    p = Min(p, TextEnd(ed));
    ed.caretPos = p;
    MouseStateOf(ed).dragClickPos = p;
    if (!shift) ed.selAnchor = p;
    ed.columnSelStartCol = p - lineStart;

    // A column left of the first one in view brings the view back to 20 columns
    // before it.
    if (ed.charWidth != 0 && ed.panes[0].scrollX > 0 &&
        ed.columnSelStartCol < static_cast<uint32_t>(ed.panes[0].scrollX) / ed.charWidth) {
        const int64_t n = ed.columnSelStartCol > 20 ? ed.columnSelStartCol - 20 : 0;
        const int64_t x = n * OneCharWidth(ed, ctx.avgCharWidth);
        SetSharedScrollX(ed, x > INT32_MAX ? INT32_MAX : static_cast<int32_t>(x));
    }

    Activate(ed, ev.pane, true);
    if (shift) InvalidateSelectionInBothPanes(ed);
    platform.SetCapture(ev.pane);
    MouseStateOf(ed).mouseDragState = kMousePressed;
    NotifyParent(ed, kReasonSelChange);
}

}  // namespace

void MousePress(EditorInstance& ed, const PointerEvent& ev, const MouseContext& ctx) {
    ViewPane& pane = PaneOf(ed, ev.pane);
    MouseStateOf(ed).lineEndReached = 0;
    MouseStateOf(ed).dragClickPos = 0;
    MouseStateOf(ed).rightStepTaken = 0;

    int64_t textWidth = static_cast<int64_t>(ed.clientRect.right - ed.clientRect.left) - TextLeft(ed);
    if (ed.panes[0].vScrollShown) textWidth -= kBarThickness + OneCharWidth(ed, ctx.avgCharWidth);
    MouseStateOf(ed).dragTextWidth = static_cast<int32_t>(textWidth < INT32_MIN ? INT32_MIN : textWidth);

    ed.columnSelEndCol = 0;
    ed.clickGridX = 0;
    ed.dragGridX = 0;
    if (ed.columnSelMode) InvalidateBothPanes(ed);
    MouseStateOf(ed).prevPointerX = ev.x;
    ed.clickGridX = GridX(ed, ev.x);

    if (InMargin(ed, ev.x)) {
        PressInMargin(ed, pane, ev);
    } else {
        PressInText(ed, pane, ev, ctx);
    }
}

void EndMouseGesture(EditorInstance& ed) {
    if (MouseGestureActive(ed)) FinishGesture(ed);
}

void MouseRelease(EditorInstance& ed, WindowRef pane) {
    // Releasing the capture may end the gesture already (the pane hears that it lost
    // the capture); a release also ends a double click, which started none.
    ThePlatform().ReleaseCapture(pane);
    FinishGesture(ed);
}

void ClearColumnBand(EditorInstance& ed) {
    ed.columnSelStartCol = 0;
    ed.columnSelEndCol = 0;
    ed.clickGridX = 0;
    ed.dragGridX = 0;
    if (ed.columnSelMode) InvalidateBothPanes(ed);
}

void MouseDoubleClick(EditorInstance& ed) {
    ed.selAnchor = WordStart(ed, ed.selAnchor);
    ed.caretPos = WordEnd(ed, ed.selAnchor);
    InvalidateSelectionInBothPanes(ed);
    NotifyParent(ed, kReasonSelChange);
    ClearColumnBand(ed);
}

void RightButtonPress(EditorInstance& ed) {
    MouseStateOf(ed).skipNextMouseMove = 1;
    ThePlatform().SetCursor(StdCursor::Arrow);
}

StdCursor PointerShapeAt(EditorInstance& ed, WindowRef pane, int32_t x, int32_t y) {
    if (InMargin(ed, x)) return StdCursor::Margin;
    // The point's words taken unsigned, as the message carries them.
    const CharIndex p =
        PointToChar(ed, static_cast<uint32_t>(PaneOf(ed, pane).scrollY), x & 0xFFFF, y & 0xFFFF);
    const bool inside = p > ed.mouseSelStart && p < ed.mouseSelEnd && LineCount(ed) > 1;
    const uint32_t bandStart = ed.columnSelEndCol == 0 ? 0 : ed.columnSelStartCol;
    const bool bandShown = ed.columnSelMode == 0 || ed.columnSelEndCol != bandStart;
    return inside && bandShown ? StdCursor::Arrow : StdCursor::IBeam;
}

}  // namespace qv
