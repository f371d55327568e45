#include "command/Typing.h"

#include "base/Platform.h"
#include "command/DocumentCommands.h"
#include "edit/Notify.h"
#include "edit/TextEdit.h"
#include "pane/CaretGeometry.h"
#include "pane/PaneView.h"
#include "render/LineLocks.h"
#include "store/PositionMap.h"

namespace qv {

void TypeCharCommand(EditorInstance& ed, WindowRef paneWindow, uint8_t ch) {
    Platform& platform = ThePlatform();
    if (IsRangeLocked(ed, ed.selAnchor, ed.caretPos)) {
        platform.Beep();
        return;
    }
    ViewPane& pane = PaneOf(ed, paneWindow);
    const bool hadSelection = ed.selAnchor != ed.caretPos;
    // Overwriting a '^' recolours as much as typing one.
    const bool overwritesMark = !hadSelection && ed.overwriteMode && CharAt(ed, ed.caretPos) == kBlockCommentMark;
    TypeChar(ed, ch);  // a failure has shown its message; what went in is shown below

    LocateChar(ed, ed.caretPos);
    const bool scrolled = ScrollCaretIntoView(ed, pane.hwnd, static_cast<uint32_t>(pane.scrollY)) == 0;
    PlaceCaret(ed, static_cast<uint32_t>(pane.scrollY));
    const bool recolours = ch == kCR || ch == kBlockCommentMark || overwritesMark;
    if (recolours || hadSelection) {
        // A replaced selection may have taken lines with it: both panes in full.
        RefreshBothPanes(ed);
    } else if (!scrolled) {
        InvalidateLineInBothPanes(ed, ed.curLine);
    } else {
        // The scroll repainted the active pane; the other pane shows the line too.
        ViewPane& other = &pane == &ed.panes[0] ? ed.panes[1] : ed.panes[0];
        InvalidateLine(ed, other.hwnd, ed.curLine);
    }
    pane.caretX = PlacedCaret(ed).x;
    NotifyParent(ed, kReasonSelChange);
}

}  // namespace qv
