#include "edit/Notify.h"

#include "base/Platform.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

// The record of reasons 1 and 1234, with `line` in the line field and the page,
// and `caret` in the caret field.
void SendSelChange(EditorInstance& ed, uint16_t reason, LineNumber line, CharIndex caret) {
    SelChangeInfo info = {};
    info.hwndFrom = ed.hwnd;
    info.idFrom = ed.controlId;
    info.code = kSelChangeCode;
    info.anchor = ed.selAnchor;
    info.caret = caret;
    info.reason = reason;
    info.line = line;
    info.lineLength = ed.curLineLength;
    info.lineStart = ed.curLineStart;
    // Only a record that lies inside the used LineHeap is handed out.
    info.lineRecord =
        ed.lineHeap != nullptr && ed.curRecord < ed.lineHeapUsed ? ed.lineHeap + ed.curRecord : nullptr;
    const uint32_t count = LineCount(ed);
    info.lastLine = count ? count - 1 : 0;
    info.hiddenLines = ed.hiddenLineCount;
    if (ed.changeCount != ed.notifiedChangeCount) {
        ed.notifiedChangeCount = ed.changeCount;
        info.changed = 1;
    }
    uint32_t wParam = ed.controlId;
    if (ed.linesPerPage != 0) {
        info.page = line / ed.linesPerPage;
        wParam = line % ed.linesPerPage;
    }
    ThePlatform().SendNotify(ed.hwndParent, wParam, info);
}

}  // namespace

void NotifyParent(EditorInstance& ed, uint16_t reason) {
    if (reason != kReasonViewMoved && LineCount(ed) != 0) LocateChar(ed, ed.caretPos);
    SendSelChange(ed, reason, ed.curLine, ed.caretPos);
}

void NotifyParentReportingCaret(EditorInstance& ed, CharIndex caret) {
    if (LineCount(ed) != 0) LocateChar(ed, caret);
    SendSelChange(ed, kReasonSelChange, ed.curLine, caret);
}

void NotifyParentOfScroll(EditorInstance& ed, LineNumber line) {
    SendSelChange(ed, kReasonViewMoved, line, ed.caretPos);
}

void NotifyScrollBarScroll(EditorInstance& ed, WindowRef paneWindow) {
    SelChangeInfo info = {};
    info.hwndFrom = ed.hwnd;
    info.idFrom = ed.controlId;
    info.code = kSelChangeCode;
    info.reason = kReasonScrollBar;
    info.line = PaneOf(ed, paneWindow).topLine;
    ThePlatform().SendNotify(ed.hwndParent, 0, info);
}

}  // namespace qv
