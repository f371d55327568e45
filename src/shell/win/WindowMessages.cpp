// The window messages the control window handles itself.
#include "base/ByteScan.h"
#include "command/Clipboard.h"
#include "command/DocumentCommands.h"
#include "command/EmptyDocumentRepair.h"
#include "edit/Notify.h"
#include "edit/TextEdit.h"
#include "pane/CaretGeometry.h"
#include "pane/PaneView.h"
#include "render/win/Fonts.h"
#include "render/win/WindowPrint.h"
#include "base/win/ControlBlock.h"
#include "shell/win/Layout.h"
#include "shell/win/LineEndSetting.h"
#include "shell/win/MessageTable.h"
#include "command/CommandSteps.h"
#include "command/UndoCommand.h"
#include "base/Platform.h"
#include "shell/win/PaneInput.h"
#include "shell/win/SplitBar.h"
#include "shell/win/StreamGuard.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

// Sets the measuring flag around one call, as every caller of the layout does.
template <typename F>
void WithFlag(uint32_t& flag, F call) {
    flag = 1;
    call();
    flag = 0;
}

// WM_SIZE: style and clientRect refreshed, the panes laid out; then default.
LRESULT OnWmSize(EditorInstance& ed, const Message& m) {
    ed.style = static_cast<uint32_t>(::GetWindowLongA(m.hwnd, GWL_STYLE));
    RECT client = {};
    ::GetClientRect(m.hwnd, &client);
    ed.clientRect = {client.left, client.top, client.right, client.bottom};
    WithFlag(LayoutStateOf(ed).measureTextChanged, [&] { LayoutPanes(ed); });
    return m.Default();
}

// WM_SETFOCUS: the focus goes on to the active pane; then default.
LRESULT OnWmSetFocus(EditorInstance& ed, const Message& m) {
    ::SetFocus(Hwnd(ActivePane(ed).hwnd));
    return m.Default();
}

// WM_SETTEXT: a new document holding the text at lParam (NULL is empty) in front of
// its closing CR, the kind of its line ends kept; the undo log starts afresh and the
// view returns to the top. When the new document cannot be made the old one stays.
// Answers 0.
LRESULT OnWmSetText(EditorInstance& ed, const Message& m) {
    const char* text = m.lParam ? reinterpret_cast<const char*>(m.lParam) : "";
    if (!SetWholeText(ed, text)) return 0;
    const uint32_t length = static_cast<uint32_t>(TextLength(text));
    RememberLoadedLineEnds(ed, FindLineEnds(reinterpret_cast<const uint8_t*>(text), length));
    RefreshBothPanes(ed);
    PlaceCaret(ed, 0);
    NotifyParent(ed, kReasonSelChange);
    return 0;
}

// WM_GETTEXT: up to wParam - 1 bytes of the text (each line end as the line-end
// setting writes it, a CR by default; never the closing CR, never half a CR LF)
// and a NUL into the buffer at lParam; answers the bytes written.
LRESULT OnWmGetText(EditorInstance& ed, const Message& m) {
    auto* buffer = reinterpret_cast<uint8_t*>(m.lParam);
    if (m.wParam == 0 || !buffer) return 0;
    // The closing CR is not the host's text: a host that writes what it reads to a
    // file and loads it again gets the same document back, not one more line end.
    const CharIndex length = StoredLength(ed) - 1;
    const uint32_t room = static_cast<uint32_t>(m.wParam - 1);
    const uint32_t n = CopyTextOut(ed, 0, length, CopiedLineEnd(ed), buffer, room);
    buffer[n] = 0;
    return n;
}

// WM_GETTEXTLENGTH: answers the length of the text as a host sees it, the closing
// CR not counted: every line end counted as CR LF under the default setting and
// under CR LF, once under LF or CR, so that under a chosen line end it is what
// WM_GETTEXT writes.
LRESULT OnWmGetTextLength(EditorInstance& ed, const Message&) {
    const ViewPane& pane = ActivePane(ed);
    const uint32_t count = LineCount(ed);
    // From the active pane's top line on, its start standing for the lines above.
    LineNumber line = pane.topLine < count ? pane.topLine : 0;
    CharIndex sum = pane.topLine < count ? pane.topLineStart : 0;
    for (; line < count; ++line) sum += LineLength(ed, line);
    return static_cast<LRESULT>(sum + (LengthCountsCrLf(ed) ? count - 1 : 0) - 1);
}

// WM_CLEAR: the selection deleted (refused with a beep over a locked line or in a
// read-only control); the caret brought into view and the parent told even when
// the selection was empty; answers 0.
LRESULT OnWmClear(EditorInstance& ed, const Message&) {
    if (RefuseLockedSelection(ed)) return 0;
    bool ok = true;
    ClearSelection(ed, &ok);
    if (!ok) return 0;
    BringCaretIntoView(ed);
    InvalidateBothPanes(ed);
    ActivePane(ed).caretX = PlacedCaret(ed).x;
    RepairEmptyDocument(ed);
    NotifyParent(ed, kReasonSelChange);
    return 0;
}

// WM_CUT: the selection copied to the clipboard and, only when the copy got there,
// deleted (one undo step); refused with a beep over a locked line or in a read-only
// control, and when the clipboard cannot take the text; answers 0.
LRESULT OnWmCut(EditorInstance& ed, const Message&) {
    if (RefuseLockedSelection(ed)) return 0;
    CutCommand(ed);
    RepairEmptyDocument(ed);
    return 0;
}

// WM_COPY: the selection onto the clipboard as CF_TEXT, its line ends CR LF, never
// the closing CR; answers 0.
LRESULT OnWmCopy(EditorInstance& ed, const Message&) {
    CopySelection(ed);
    return 0;
}

// WM_PASTE: the selection replaced by the clipboard's CF_TEXT (one undo step);
// refused with a beep over a locked line or in a read-only control; nothing
// changes when the clipboard holds no text; answers 0.
LRESULT OnWmPaste(EditorInstance& ed, const Message&) {
    if (RefuseLockedSelection(ed)) return 0;
    PasteCommand(ed, MeasureAfterEdit);
    return 0;
}

// WM_UNDO: as EM_UNDO, one step undone in the active pane; answers 1 when a record
// was undone.
LRESULT OnWmUndo(EditorInstance& ed, const Message&) { return UndoCommand(ed) == UndoResult::Applied ? 1 : 0; }

// WM_GETFONT: answers the text font (slot 0), or NULL before the host gave one.
LRESULT OnWmGetFont(EditorInstance& ed, const Message&) { return reinterpret_cast<LRESULT>(ed.fonts[kFontText]); }

// WM_GETDLGCODE: arrows, characters and TAB; every key for Enter (lParam's MSG), so
// that the dialog keeps Escape.
LRESULT OnWmGetDlgCode(EditorInstance&, const Message& m) { return DialogCode(m.lParam); }

// WM_SETFONT: the text font (slot 0) measured, each pane kept on its top row, the
// longest line measured again; the redraw flag is not read; then default.
LRESULT OnWmSetFont(EditorInstance& ed, const Message& m) {
    FontRef fonts[kFontSlotCount];
    for (uint32_t i = 0; i < kFontSlotCount; ++i) fonts[i] = ed.fonts[i];
    fonts[kFontText] = reinterpret_cast<FontRef>(m.wParam);
    ChangeFonts(ed, fonts);
    WithFlag(LayoutStateOf(ed).measureFontChanged, [&] { MeasureLongestLine(ed); });
    return m.Default();
}

// WM_STYLECHANGED: style = the window style; then default.
LRESULT OnWmStyleChanged(EditorInstance& ed, const Message& m) {
    ed.style = static_cast<uint32_t>(::GetWindowLongA(m.hwnd, GWL_STYLE));
    return m.Default();
}

// WM_KEYDOWN, WM_KEYUP, WM_CHAR: sent on unchanged to the active pane; answers its result.
LRESULT OnKeyboard(EditorInstance& ed, const Message& m) {
    return ::SendMessageA(Hwnd(ed.hwndActivePane), m.msg, m.wParam, m.lParam);
}

// WM_HSCROLL: scrolling from a pane's horizontal bar (both panes share the offset);
// then default.
LRESULT OnWmHScroll(EditorInstance& ed, const Message& m) {
    ViewPane& pane = reinterpret_cast<HWND>(m.lParam) == Hwnd(ed.panes[0].hwndHScroll) ? ed.panes[0] : ed.panes[1];
    const int32_t old = ed.panes[0].scrollX;
    SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    ::GetScrollInfo(reinterpret_cast<HWND>(m.lParam), SB_CTL, &info);
    const uint32_t step = static_cast<uint32_t>(HorizontalStep(ed));
    const uint32_t page = info.nPage;
    const uint32_t limit = static_cast<uint32_t>(info.nMax) - page;  // compared unsigned
    uint32_t x = static_cast<uint32_t>(old);
    switch (LOWORD(m.wParam)) {
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            x = static_cast<uint32_t>(info.nTrackPos);
            break;
        case SB_LINELEFT:
            x = x > step ? x - step : 0;
            break;
        case SB_LINERIGHT:
            if (limit >= x) x += step;
            break;
        case SB_PAGELEFT:
            x = x > page ? x - page : 0;
            break;
        case SB_PAGERIGHT:
            if (limit >= x) x += page;
            break;
        default:
            break;
    }
    ed.panes[0].scrollX = ed.panes[1].scrollX = static_cast<int32_t>(x);
    ScrollPane(ed, pane.hwnd, old - static_cast<int32_t>(x), 0);
    return m.Default();
}

// WM_MOUSEMOVE: the split bar's drag while the control holds the capture; answers 0.
LRESULT OnWmMouseMove(EditorInstance& ed, const Message& m) { return OnSplitDragMove(ed, m.lParam); }

// WM_LBUTTONUP: ends a split bar drag with a last layout; answers 0.
LRESULT OnWmLButtonUp(EditorInstance& ed, const Message&) { return OnSplitDragEnd(ed); }

// WM_MOUSEWHEEL: sent on unchanged to the active pane, which scrolls; answers its
// result. A pane procedure (a host's subclass) that hands the wheel back to the
// default procedure, and so to the control again, has it go on to the parent.
LRESULT OnWmMouseWheel(EditorInstance& ed, const Message& m) {
    ControlPrivate& priv = PrivateOf(ed);
    if (priv.forwardingWheel) return m.Default();
    // Counted as a mouse handler: the record outlives a parent that destroys the
    // control while the pane scrolls.
    ++priv.mouseDepth;
    priv.forwardingWheel = 1;
    const LRESULT result = ::SendMessageA(Hwnd(ed.hwndActivePane), m.msg, m.wParam, m.lParam);
    priv.forwardingWheel = 0;
    if (--priv.mouseDepth == 0 && priv.destroyedWhileStreaming) ReleaseControlRecord(ed);
    return result;
}

// WM_PRINT: the control into the DC of wParam (lParam: PRF_ flags): its frame as far
// as the default procedure draws one, then its client area, which is its children
// at their places, for PRF_CLIENT or PRF_CHILDREN (once for both); answers 0.
LRESULT OnWmPrint(EditorInstance&, const Message& m) {
    LPARAM flags = m.lParam;
    if (flags & (PRF_CLIENT | PRF_CHILDREN)) flags = (flags | PRF_CLIENT) & ~PRF_CHILDREN;
    PrintWindowParts(m.hwnd, reinterpret_cast<HDC>(m.wParam), flags);
    return 0;
}

// WM_PRINTCLIENT: the client area, every child at its place, into the DC of wParam;
// answers 0.
LRESULT OnWmPrintClient(EditorInstance&, const Message& m) {
    if (m.wParam) PrintChildren(m.hwnd, reinterpret_cast<HDC>(m.wParam), m.lParam);
    return 0;
}

// WM_CONTEXTMENU: wParam the window clicked (a pane, the split bar), lParam the
// screen point (-1 from the keyboard); sent on unchanged to the parent, whose menu
// it is; answers the parent's answer. Sent on here rather than by the default
// procedure, which may put the control's own handle in wParam instead of the pane's.
LRESULT OnWmContextMenu(EditorInstance&, const Message& m) {
    HWND parent = ::GetParent(m.hwnd);
    if (!parent || !(::GetWindowLongA(m.hwnd, GWL_STYLE) & WS_CHILD)) return m.Default();
    return ::SendMessageA(parent, m.msg, m.wParam, m.lParam);
}

// WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK:
// nothing; answers 0.
LRESULT OnIgnoredMouse(EditorInstance&, const Message&) { return 0; }

const HandlerEntry kEntries[] = {
    {WM_SIZE, OnWmSize},
    {WM_SETFOCUS, OnWmSetFocus},
    {WM_SETTEXT, OnWmSetText},
    {WM_GETTEXT, OnWmGetText},
    {WM_GETTEXTLENGTH, OnWmGetTextLength},
    {WM_SETFONT, OnWmSetFont},
    {WM_STYLECHANGED, OnWmStyleChanged},
    {WM_KEYDOWN, OnKeyboard},
    {WM_KEYUP, OnKeyboard},
    {WM_CHAR, OnKeyboard},
    {WM_HSCROLL, OnWmHScroll},
    {WM_MOUSEMOVE, OnWmMouseMove},
    {WM_LBUTTONDOWN, OnIgnoredMouse},
    {WM_LBUTTONUP, OnWmLButtonUp},
    {WM_LBUTTONDBLCLK, OnIgnoredMouse},
    {WM_RBUTTONDOWN, OnIgnoredMouse},
    {WM_RBUTTONUP, OnIgnoredMouse},
    {WM_RBUTTONDBLCLK, OnIgnoredMouse},
    {WM_MOUSEWHEEL, OnWmMouseWheel},
    {WM_CONTEXTMENU, OnWmContextMenu},
    {WM_CLEAR, OnWmClear},
    {WM_CUT, OnWmCut},
    {WM_COPY, OnWmCopy},
    {WM_PASTE, OnWmPaste},
    {WM_UNDO, OnWmUndo},
    {WM_GETFONT, OnWmGetFont},
    {WM_GETDLGCODE, OnWmGetDlgCode},
    {WM_PRINT, OnWmPrint},
    {WM_PRINTCLIENT, OnWmPrintClient},
};

}  // namespace

const HandlerTable kWindowMessages = MakeTable(kEntries);

}  // namespace qv
