// Moves of the mouse over a pane: the drag selection with its automatic
// scrolling, the selection of whole lines from the margin, and the pointer's shape.
#include "base/Platform.h"
#include "command/DragWalk.h"
#include "command/MouseCommands.h"
#include "command/MouseSteps.h"
#include "edit/Notify.h"
#include "pane/CaretGeometry.h"
#include "pane/MouseState.h"
#include "pane/PaneView.h"
#include "pane/PointerGeometry.h"
#include "render/KeywordTable.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

CharIndex Min(CharIndex a, CharIndex b) {
    return a < b ? a : b;
}

int32_t Clamp32(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// The host's popup window (entry 3 of its window record) is put out of the way.
void HideHostPopup() {
    if (WindowRef popup = hostWindows.windows[kHostPopupWindow]) ThePlatform().CollapseWindow(popup);
}

// The drag selection: the caret follows the pointer, snapped to the row under it
// (above the pane to the row's start), without the step back before a CR, so a
// drag past a line's end selects the CR.
void DragSelect(EditorInstance& ed, const PointerEvent& ev, const MouseContext& ctx) {
    ViewPane& pane = PaneOf(ed, ev.pane);
    MouseStateOf(ed).mouseDragState = kMouseDragging;
    const int32_t rowTop = RowTopAt(ed, pane.scrollY, ev.y);
    if (ed.curLine == MouseStateOf(ed).dragStartLine) {
        const int32_t grid = GridX(ed, ev.x);
        ed.dragGridX = grid < ed.dragGridX ? grid - 1 : grid;
    }
    if (ev.x <= 0) return;
    const int32_t x = ev.y <= 0 ? 0 : ev.x;
    pane.caretX = x;
    CharIndex p = PointToChar(ed, static_cast<uint32_t>(pane.scrollY), x, rowTop);
    const LineNumber line = ed.curLine;
    const CharIndex lineStart = ed.curLineStart;
    ed.columnSelEndLine = line;
    p = Min(p, TextEnd(ed));
    if (p == ed.caretPos) return;
    const CharIndex old = ed.caretPos;
    ed.caretPos = p;
    if (line == MouseStateOf(ed).dragStartLine) ed.columnSelEndCol = p - lineStart;

    int64_t limit = static_cast<int64_t>(ed.clientRect.right - ed.clientRect.left) - ed.selMarginWidth -
                    OneCharWidth(ed, ctx.avgCharWidth);
    if (ed.panes[0].vScrollShown) limit -= kBarThickness;
    MouseStateOf(ed).dragRightLimit = Clamp32(limit);
    if (x > MouseStateOf(ed).dragRightLimit || ed.panes[0].scrollX != 0) {
        if (!WalkCaretAlongLine(ed, ev.pane, line, ctx)) return;
    } else {
        MouseStateOf(ed).lineEndReached = 0;
    }
    if (!DragGoesOn(ed, ctx, kMouseDragging)) return;

    // Above or below the pane the line hit is scrolled into view: the farther the
    // pointer lies outside, the more rows a step scrolls.
    int32_t scrolled = -1;
    if (rowTop > pane.textRect.bottom ||
        (rowTop < 0 && pane.scrollY >= static_cast<int32_t>(ed.lineHeight))) {
        LocateChar(ed, LineStart(ed, line));
        scrolled = ScrollCaretIntoView(ed, ev.pane, static_cast<uint32_t>(pane.scrollY));
        if (!DragGoesOn(ed, ctx, kMouseDragging)) return;
    }
    HideCaretOnce(ed);
    InvalidateRangeInBothPanes(ed, old, ed.caretPos);
    if (ed.panes[0].scrollX <= 0) ed.panes[0].scrollX = ed.panes[1].scrollX = 0;
    NotifyDragCaret(ed, line);
    if (scrolled == 0 && DragGoesOn(ed, ctx, kMouseDragging)) RepeatWhilePointerOutside(ed, ev.pane, ev.keys);
}

// Over the margin: the margin cursor; in a margin drag the selection runs from the
// start of the upper line to the end (after the CR) of the lower one, the line
// under the pointer is brought into view by whole rows, and the horizontal offset
// returns to 0. The caret is the end under the pointer: the anchor keeps the line
// the drag began on, its start while the pointer is on or below it, its end while
// the pointer is above it.
void MarginMove(EditorInstance& ed, const PointerEvent& ev, const MouseContext& ctx) {
    Platform& platform = ThePlatform();
    ViewPane& pane = PaneOf(ed, ev.pane);
    HideHostPopup();
    const CharIndex start = PointToChar(ed, static_cast<uint32_t>(pane.scrollY), ed.panes[0].scrollX, ev.y);
    const LineNumber line = ed.curLine;
    if (MouseStateOf(ed).mouseDragState == kMouseIdle) {
        platform.SetCursor(StdCursor::Margin);
        return;
    }
    const CharIndex oldAnchor = ed.selAnchor;
    const CharIndex oldCaret = ed.caretPos;
    const CharIndex textEnd = TextEnd(ed);
    // The parent may have changed the text during a notification.
    const LineNumber first = Min(MouseStateOf(ed).marginDragLine, LineCount(ed) - 1);
    const CharIndex firstStart = LineStart(ed, first);
    if (line < first) {
        ed.selAnchor = Min(firstStart + LineLength(ed, first), textEnd);
        ed.caretPos = start;
    } else {
        ed.selAnchor = firstStart;
        ed.caretPos = Min(start + LineLength(ed, line), textEnd);
    }

    const int32_t oldScrollX = ed.panes[0].scrollX;
    const int32_t scrolled =
        ScrollCaretIntoView(ed, ev.pane, static_cast<uint32_t>(pane.scrollY), HorizontalFollow::BackToZero);
    if (!DragGoesOn(ed, ctx, kMouseMarginLines)) return;
    if (oldScrollX != 0 && ed.panes[0].scrollX == 0) {
        // The offset went back to 0 without a repaint: both panes are drawn anew.
        ed.panes[0].scrollX = ed.panes[1].scrollX = oldScrollX;
        SetSharedScrollX(ed, 0);
    }
    PlaceCaret(ed, static_cast<uint32_t>(ActivePane(ed).scrollY));
    if (ed.selAnchor != oldAnchor) InvalidateRangeInBothPanes(ed, oldAnchor, ed.selAnchor);
    if (ed.caretPos != oldCaret) InvalidateRangeInBothPanes(ed, oldCaret, ed.caretPos);
    LocateChar(ed, start);  // the notification reports the line under the pointer
    NotifyParent(ed, kReasonViewMoved);
    if (scrolled == 0 && DragGoesOn(ed, ctx, kMouseMarginLines)) RepeatWhilePointerOutside(ed, ev.pane, ev.keys);
    platform.SetCursor(StdCursor::Margin);
}

}  // namespace

void MouseMove(EditorInstance& ed, const PointerEvent& ev, const MouseContext& ctx) {
    if (MouseStateOf(ed).skipNextMouseMove) {
        MouseStateOf(ed).skipNextMouseMove = 0;
        return;
    }
    // The button went up where the pane did not hear it (a menu or a message box
    // took the release): the gesture ends here, and this move is a plain one.
    if (MouseGestureActive(ed) && !(ev.keys & kKeyLeftButton)) {
        ThePlatform().ReleaseCapture(ev.pane);
        EndMouseGesture(ed);
    }
    const uint32_t state = MouseStateOf(ed).mouseDragState;
    if (state == kMousePressed || state == kMouseDragging) {
        DragSelect(ed, ev, ctx);
    } else if (!InMargin(ed, ev.x) && state == kMouseIdle) {
        ThePlatform().SetCursor(PointerShapeAt(ed, ev.pane, ev.x, ev.y));
    } else {
        MarginMove(ed, ev, ctx);
    }
}

}  // namespace qv
