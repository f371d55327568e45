#include "command/CommandSteps.h"

#include "base/Platform.h"
#include "edit/Notify.h"
#include "pane/CaretGeometry.h"
#include "pane/MouseState.h"
#include "pane/PaneView.h"
#include "render/LineLocks.h"

namespace qv {

void InvalidateSelectionInBothPanes(EditorInstance& ed) {
    InvalidateRange(ed, ed.panes[1].hwnd, ed.selAnchor, ed.caretPos);
    InvalidateRange(ed, ed.panes[0].hwnd, ed.selAnchor, ed.caretPos);
}

void RedrawSelection(EditorInstance& ed) {
    if (ed.hideSelection || ed.selAnchor == ed.caretPos) return;
    InvalidateSelectionInBothPanes(ed);
}

bool RefuseLockedSelection(EditorInstance& ed) {
    if (!IsRangeLocked(ed, ed.selAnchor, ed.caretPos)) return false;
    ThePlatform().Beep();
    return true;
}

void InvalidateBothPanes(EditorInstance& ed) {
    ThePlatform().InvalidateRect(ed.panes[1].hwnd, nullptr, false);
    ThePlatform().InvalidateRect(ed.panes[0].hwnd, nullptr, false);
}

void FinishTextCommand(EditorInstance& ed) {
    BringCaretIntoView(ed);
    RefreshBothPanes(ed);
    ActivePane(ed).caretX = ThePlatform().GetCaretPos().x;
    NotifyParent(ed, kReasonSelChange);
}

void EndMouseDrag() { gMouse.mouseDragState = kMouseIdle; }

void EndRangeDeletion(EditorInstance& ed) {
    EndMouseDrag();
    const Point caret = ThePlatform().GetCaretPos();
    PointToChar(ed, static_cast<uint32_t>(ed.panes[0].scrollY), caret.x, caret.y);
}

}  // namespace qv
