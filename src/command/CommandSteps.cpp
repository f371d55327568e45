#include "command/CommandSteps.h"

#include "base/ByteScan.h"
#include "base/Platform.h"
#include "command/Typing.h"
#include "edit/Notify.h"
#include "pane/CaretGeometry.h"
#include "pane/MouseState.h"
#include "pane/PaneView.h"
#include "render/LineLocks.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

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

ReplacementScope ScopeOfReplacement(EditorInstance& ed, const char* text) {
    const CharLocation lo = LocateChar(ed, ed.selAnchor < ed.caretPos ? ed.selAnchor : ed.caretPos);
    const CharLocation hi = LocateChar(ed, ed.selAnchor < ed.caretPos ? ed.caretPos : ed.selAnchor);
    ReplacementScope scope{lo.line, LineCount(ed), ed.hiddenLineCount, lo.line == hi.line};
    if (scope.withinLine && hi.column > lo.column) {
        const uint8_t* chars = LineRecordOf(ed, lo.line).chars();
        const uint8_t* end = chars + hi.column;
        scope.withinLine = FindFirstOf(chars + lo.column, end, kBlockCommentMark, kBlockCommentMark, kBlockCommentMark) == end;
    }
    if (scope.withinLine && text != nullptr) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(text);
        const uint8_t* end = bytes + TextLength(text);
        scope.withinLine = FindFirstOf(bytes, end, kCR, kLF, kBlockCommentMark) == end;
    }
    return scope;
}

void InvalidateReplacement(EditorInstance& ed, const ReplacementScope& scope) {
    if (scope.withinLine && LineCount(ed) == scope.lineCount && ed.hiddenLineCount == scope.hiddenLines)
        InvalidateLineInBothPanes(ed, scope.line);
    else
        InvalidateBothPanes(ed);
}

void PlaceCaretInActivePane(EditorInstance& ed) {
    // The caret's own line current: right after a line's CR it is measured on the
    // current line (LineFromChar).
    LocateChar(ed, ed.caretPos);
    PlaceCaret(ed, static_cast<uint32_t>(ActivePane(ed).scrollY));
}

void FinishTextCommand(EditorInstance& ed) {
    BringCaretIntoView(ed);
    RefreshBothPanes(ed);
    ActivePane(ed).caretX = PlacedCaret(ed).x;
    NotifyParent(ed, kReasonSelChange);
}

void EndMouseDrag(EditorInstance& ed) { MouseStateOf(ed).mouseDragState = kMouseIdle; }

void EndRangeDeletion(EditorInstance& ed) {
    EndMouseDrag(ed);
    const Point caret = PlacedCaret(ed);
    PointToChar(ed, static_cast<uint32_t>(ed.panes[0].scrollY), caret.x, caret.y);
}

}  // namespace qv
