#include "command/MouseSteps.h"

#include "base/Platform.h"
#include "base/ScrollTiming.h"
#include "edit/Notify.h"
#include "pane/CaretGeometry.h"
#include "pane/MouseState.h"
#include "pane/PaneView.h"
#include "store/PositionMap.h"

namespace qv {

bool DragGoesOn(EditorInstance& ed, const MouseContext& ctx, uint32_t state) {
    return !Abandoned(ctx) && MouseStateOf(ed).mouseDragState == state;
}

void PaceDrag() {
    Platform& platform = ThePlatform();
    platform.Spin(platform.IsRightButtonDown() ? gTiming.scrollDelayFast : gTiming.scrollDelaySlow);
}

void SetSharedScrollX(EditorInstance& ed, int32_t x) {
    if (x < 0) x = 0;
    const int32_t old = ed.panes[0].scrollX;
    ed.panes[0].scrollX = ed.panes[1].scrollX = x;
    if (old == x) return;
    // The offset belongs to both panes: both are scrolled, which repaints each whole.
    const int64_t dx = static_cast<int64_t>(old) - x;
    const int32_t step = dx > INT32_MAX ? INT32_MAX : dx < -INT32_MAX ? -INT32_MAX : static_cast<int32_t>(dx);
    ScrollPane(ed, ed.panes[1].hwnd, step, 0);
    ScrollPane(ed, ed.panes[0].hwnd, step, 0);
}

void HideCaretOnce(EditorInstance& ed) {
    if (ed.caretHidden) return;
    ThePlatform().HideCaret(ed.hwndActivePane);
    ed.caretHidden = 1;
}

void NotifyDragCaret(EditorInstance& ed, LineNumber line) {
    const bool pastEnd = ScrollStateOf(ed).hitPastLineEnd && line < LineCount(ed) && ed.caretPos > 0 &&
                         ed.caretPos == LineStart(ed, line) + LineLength(ed, line);
    if (pastEnd) {
        NotifyParentReportingCaret(ed, ed.caretPos - 1);
    } else {
        NotifyParent(ed, kReasonSelChange);
    }
}

void InvalidateRangeInBothPanes(EditorInstance& ed, CharIndex a, CharIndex b) {
    InvalidateRange(ed, ed.panes[1].hwnd, a, b);
    InvalidateRange(ed, ed.panes[0].hwnd, a, b);
}

void RepeatWhilePointerOutside(EditorInstance& ed, WindowRef pane, uint32_t keys) {
    Platform& platform = ThePlatform();
    if (!platform.IsLeftButtonDown()) return;
    const Point at = platform.PointerPosition(pane);
    if (at.y < 0 || at.y > PaneOf(ed, pane).textRect.bottom) platform.PostMouseMove(pane, keys, at);
}

}  // namespace qv
