// The edit-control messages (0xB0-0xD9) the control answers. Every other number of
// the range goes to the default procedure.
#include <cstring>

#include "command/DocumentCommands.h"
#include "edit/Notify.h"
#include "command/UndoCommand.h"
#include "edit/UndoLog.h"
#include "pane/CaretGeometry.h"
#include "pane/PaneView.h"
#include "shell/win/MessageTable.h"
#include "render/LineLocks.h"
#include "base/Platform.h"
#include "base/win/ControlBlock.h"
#include "command/CommandSteps.h"
#include "shell/win/Layout.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

// EM_GETSEL: the ordered selection ends into the cells at wParam and lParam (when
// given); answers the low 16 bits of each, packed.
LRESULT OnEmGetSel(EditorInstance& ed, const Message& m) {
    const CharIndex s = ed.selAnchor < ed.caretPos ? ed.selAnchor : ed.caretPos;
    const CharIndex e = ed.selAnchor < ed.caretPos ? ed.caretPos : ed.selAnchor;
    if (auto* start = reinterpret_cast<DWORD*>(m.wParam)) *start = s;
    if (auto* end = reinterpret_cast<DWORD*>(m.lParam)) *end = e;
    return static_cast<LRESULT>((s & 0xFFFF) | (e << 16));
}

// EM_SETSEL: anchor wParam and caret lParam, both clamped to the text (never past
// its end, so (0, -1) selects exactly the host's text); the caret is placed but not
// scrolled into view; answers 0.
LRESULT OnEmSetSel(EditorInstance& ed, const Message& m) {
    RedrawSelection(ed);
    ed.caretPos = ClampToTextEnd(ed, static_cast<CharIndex>(m.lParam));
    ed.selAnchor = ClampToTextEnd(ed, static_cast<CharIndex>(m.wParam));
    if (!ed.hideSelection && ed.selAnchor != ed.caretPos) {
        // (-1, n): the selection collapses at the end of the text.
        if (static_cast<CharIndex>(m.wParam) == kNoIndex) ed.caretPos = ed.selAnchor;
        RedrawSelection(ed);
    }
    PlaceCaretInActivePane(ed);
    NotifyParent(ed, kReasonSelChange);
    return 0;
}

// EM_REPLACESEL: the selection replaced by the text at lParam, logged for undo when
// wParam is nonzero; refused with a beep over a locked line or a read-only control;
// answers 0.
LRESULT OnEmReplaceSel(EditorInstance& ed, const Message& m) {
    if (RefuseLockedSelection(ed)) return 0;
    bool ok = true;
    const char* text = reinterpret_cast<const char*>(m.lParam);
    const ReplacementScope scope = ScopeOfReplacement(ed, text);
    ReplaceSelection(ed, text, m.wParam != 0, &ok);
    if (!ok) return 0;  // nothing changed; the message box has been shown
    MeasureAfterEdit(ed);
    BringCaretIntoView(ed);
    InvalidateReplacement(ed, scope);
    NotifyParent(ed, kReasonSelChange);
    return 0;
}

// EM_GETMODIFY: answers the modified flag.
LRESULT OnEmGetModify(EditorInstance& ed, const Message&) { return ed.modified; }

// EM_SETMODIFY: modified = wParam; answers wParam.
LRESULT OnEmSetModify(EditorInstance& ed, const Message& m) {
    ed.modified = static_cast<uint32_t>(m.wParam);
    return m.wParam;
}

// EM_GETLINECOUNT: answers the number of lines, at least 1.
LRESULT OnEmGetLineCount(EditorInstance& ed, const Message&) { return LineCount(ed); }

// EM_LINEINDEX: answers the char index of line wParam's start; a negative line
// means the line of the last position lookup, a line past the end the last line.
LRESULT OnEmLineIndex(EditorInstance& ed, const Message& m) {
    const int32_t line = static_cast<int32_t>(m.wParam);
    return LineStart(ed, line < 0 ? ed.curLine : static_cast<LineNumber>(line));
}

// EM_LINELENGTH: answers the length of the line holding index wParam, its CR not
// counted.
LRESULT OnEmLineLength(EditorInstance& ed, const Message& m) {
    LineRecordView rec = LineRecordOf(ed, LineFromChar(ed, static_cast<CharIndex>(m.wParam)));
    uint32_t n = rec.length();
    if (n != 0 && rec.chars()[n - 1] == kCR) --n;
    return n;
}

// EM_GETLINE: line wParam's characters, its CR left out and cut to the capacity in
// the buffer's first word, copied over the buffer (no NUL); answers the count, 0
// for a line past the end.
LRESULT OnEmGetLine(EditorInstance& ed, const Message& m) {
    auto* buffer = reinterpret_cast<uint8_t*>(m.lParam);
    const LineNumber line = static_cast<LineNumber>(m.wParam);
    if (!buffer || line >= LineCount(ed)) return 0;
    const uint32_t capacity = *reinterpret_cast<const WORD*>(buffer);
    LineRecordView rec = LineRecordOf(ed, line);
    uint32_t n = rec.length();
    if (n != 0 && rec.chars()[n - 1] == kCR) --n;
    if (n > capacity) n = capacity;
    std::memcpy(buffer, rec.chars(), n);
    return n;
}

// EM_CANUNDO: answers 1 while the undo log holds a record.
LRESULT OnEmCanUndo(EditorInstance& ed, const Message&) { return CanUndo(ed) ? 1 : 0; }

// EM_UNDO: one step undone in the active pane; answers 1 when a record was undone.
LRESULT OnEmUndo(EditorInstance& ed, const Message&) { return UndoCommand(ed) == UndoResult::Applied ? 1 : 0; }

// EM_LINEFROMCHAR: answers the line holding index wParam (the last line past the
// end, -1 included).
LRESULT OnEmLineFromChar(EditorInstance& ed, const Message& m) {
    return LocateChar(ed, static_cast<CharIndex>(m.wParam)).line;
}

// EM_EMPTYUNDOBUFFER: the undo log emptied, which also ends any redo; answers 0.
LRESULT OnEmEmptyUndoBuffer(EditorInstance& ed, const Message&) {
    EmptyUndoLog(ed);
    return 0;
}

// EM_GETRECT: the active pane's text rectangle in control coordinates (the lower
// pane lies below the upper pane and the split bar); no defined answer.
LRESULT OnEmGetRect(EditorInstance& ed, const Message& m) {
    auto* rect = reinterpret_cast<RECT*>(m.lParam);
    if (!rect) return 0;
    const ViewPane& pane = ActivePane(ed);
    *rect = {pane.textRect.left, pane.textRect.top, pane.textRect.right, pane.textRect.bottom};
    if (&pane == &ed.panes[1]) {
        const LONG below = static_cast<LONG>(ed.upperPaneHeight) + 4;
        rect->top += below;
        rect->bottom += below;
    }
    return 0;
}

// EM_LINESCROLL: wParam columns and lParam lines (both signed) further; the
// horizontal offset is not bounded, the vertical one stops at the top; answers 1.
LRESULT OnEmLineScroll(EditorInstance& ed, const Message& m) {
    ViewPane& pane = ActivePane(ed);
    const int64_t x = static_cast<int64_t>(ed.panes[0].scrollX) +
                      static_cast<int64_t>(static_cast<int32_t>(m.wParam)) * ed.charWidth;
    ed.panes[0].scrollX = ed.panes[1].scrollX =
        static_cast<int32_t>(x < INT32_MIN ? INT32_MIN : x > INT32_MAX ? INT32_MAX : x);
    const int64_t y = static_cast<int64_t>(pane.scrollY) +
                      static_cast<int64_t>(static_cast<int32_t>(m.lParam)) * static_cast<int32_t>(ed.lineHeight);
    pane.scrollY = y < 0 ? 0 : y > INT32_MAX ? INT32_MAX : static_cast<int32_t>(y);
    RefreshPane(ed, pane.hwnd);
    return 1;
}

// EM_SCROLLCARET: the caret brought into the active pane's view and placed; answers 0.
LRESULT OnEmScrollCaret(EditorInstance& ed, const Message&) {
    ViewPane& pane = ActivePane(ed);
    // The caret's own line, whatever the last lookup left current.
    LocateChar(ed, ed.caretPos);
    ScrollCaretIntoView(ed, pane.hwnd, static_cast<uint32_t>(pane.scrollY));
    PlaceCaret(ed, static_cast<uint32_t>(pane.scrollY));
    return 0;
}

// EM_GETFIRSTVISIBLELINE: answers the active pane's top line.
LRESULT OnEmGetFirstVisibleLine(EditorInstance& ed, const Message&) { return ActivePane(ed).topLine; }

// EM_POSFROMCHAR: the character's point into the POINTL at wParam: x from the
// pane's left edge before horizontal scrolling, y from the upper pane's top line
// (a character above it keeps its document y); answers 0.
LRESULT OnEmPosFromChar(EditorInstance& ed, const Message& m) {
    auto* point = reinterpret_cast<POINTL*>(m.wParam);
    if (!point) return 0;
    Point p = CharToPoint(ed, static_cast<CharIndex>(m.lParam));
    const int32_t top = static_cast<int32_t>(ed.panes[0].topLineY);
    if (p.y > top) p.y -= top;
    *point = {p.x, p.y};
    return 0;
}

// EM_CHARFROMPOS: answers the char index at the pane point in the POINTL at lParam.
LRESULT OnEmCharFromPos(EditorInstance& ed, const Message& m) {
    const auto* point = reinterpret_cast<const POINTL*>(m.lParam);
    if (!point) return 0;
    return PointToChar(ed, static_cast<uint32_t>(ActivePane(ed).scrollY), point->x, point->y);
}

const HandlerEntry kEntries[] = {
    {EM_GETSEL, OnEmGetSel},
    {EM_SETSEL, OnEmSetSel},
    {EM_GETRECT, OnEmGetRect},
    {EM_LINESCROLL, OnEmLineScroll},
    {EM_SCROLLCARET, OnEmScrollCaret},
    {EM_GETMODIFY, OnEmGetModify},
    {EM_SETMODIFY, OnEmSetModify},
    {EM_GETLINECOUNT, OnEmGetLineCount},
    {EM_LINEINDEX, OnEmLineIndex},
    {EM_LINELENGTH, OnEmLineLength},
    {EM_REPLACESEL, OnEmReplaceSel},
    {EM_GETLINE, OnEmGetLine},
    {EM_CANUNDO, OnEmCanUndo},
    {EM_UNDO, OnEmUndo},
    {EM_LINEFROMCHAR, OnEmLineFromChar},
    {EM_EMPTYUNDOBUFFER, OnEmEmptyUndoBuffer},
    {EM_GETFIRSTVISIBLELINE, OnEmGetFirstVisibleLine},
    {EM_POSFROMCHAR, OnEmPosFromChar},
    {EM_CHARFROMPOS, OnEmCharFromPos},
};

}  // namespace

const HandlerTable kEditMessages = MakeTable(kEntries);

}  // namespace qv
