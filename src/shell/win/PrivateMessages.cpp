// The private messages (0x13A0-0x13FF and 0x2B0F). They work as WM_COMMAND
// identifiers too: the control procedure dispatches a WM_COMMAND's identifier
// through this table with the WM_COMMAND's own arguments. Unused numbers go to the
// default procedure.
#include <richedit.h>

#include <initializer_list>

#include "quorvane.h"
#include "command/CommandSteps.h"
#include "edit/TextEdit.h"
#include "pane/CaretGeometry.h"
#include "pane/MouseState.h"
#include "pane/PaneView.h"
#include "render/Highlights.h"
#include "render/KeywordTable.h"
#include "render/LineLocks.h"
#include "render/LinePainter.h"
#include "render/Markers.h"
#include "render/Words.h"
#include "render/win/Brushes.h"
#include "render/win/Fonts.h"
#include "base/HostLimits.h"
#include "base/ScrollTiming.h"
#include "base/win/ControlBlock.h"
#include "shell/win/Layout.h"
#include "shell/win/LineEndSetting.h"
#include "shell/win/MessageTable.h"
#include "shell/win/NumberMargin.h"
#include "shell/win/SplitBar.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

void FocusUpperPane(EditorInstance& ed) { ::SetFocus(Hwnd(ed.panes[0].hwnd)); }

uint32_t Arg(WPARAM w) { return static_cast<uint32_t>(w); }

// A line of a search as the messages answer it: kNoLine is -1.
LRESULT LineResult(LineNumber line) { return line == kNoLine ? -1 : static_cast<LRESULT>(line); }

bool IsLine(const EditorInstance& ed, WPARAM w) { return w < LineCount(ed); }

// "Hide the host popup": the host's window of entry 3, when it has one, moved to
// an empty rectangle at 0, 0 and repainted.
void HideHostPopup() {
    if (HWND popup = Hwnd(hostWindows.windows[kHostPopupWindow])) ::MoveWindow(popup, 0, 0, 0, 0, TRUE);
}

// "Refresh the markers": their lines and kinds brought up to date, then both panes
// repainted.
void RefreshMarkers(EditorInstance& ed) {
    EnumerateMarkers(ed, nullptr);
    RefreshBothPanes(ed);
}

// The caret to the start of `line` through the control's own messages, as a host
// would move it, so the parent hears of the change as of any EM_EXSETSEL: the
// selection, then the caret's row to the middle of the active pane.
void CaretToLineStart(EditorInstance& ed, HWND control, LineNumber line) {
    const LONG start = static_cast<LONG>(LineStart(ed, line));
    CHARRANGE range = {start, start};
    ::SendMessageA(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    ::SendMessageA(control, EMX_CENTERCARET, 0, 0);
}

// The caret's line, and whether it was hidden, before a fold.
struct CaretLine {
    LineNumber line;
    bool hidden;
};
CaretLine CaretLineOf(const EditorInstance& ed) {
    const LineNumber line = LineFromChar(ed, ed.caretPos);
    return {line, IsLineHidden(ed, line) != 0};
}
// True when the fold just made hid the caret's line.
bool FoldHid(const EditorInstance& ed, const CaretLine& before) {
    return !before.hidden && IsLineHidden(ed, before.line);
}

const BlockPatterns* PatternsOf(const Message& m) { return reinterpret_cast<const BlockPatterns*>(m.lParam); }

// ---- View and editing settings -------------------------------------------------------

// EMX_SETMARKERMARGIN: selMarginWidth = wParam (at most 4096); repaints; answers 0.
LRESULT OnEmxSetMarkerMargin(EditorInstance& ed, const Message& m) {
    ed.selMarginWidth = ClampMarginWidth(Arg(m.wParam));
    RefreshBothPanes(ed);
    return 0;
}

// EMX_GETMARKERMARGIN: answers selMarginWidth.
LRESULT OnEmxGetMarkerMargin(EditorInstance& ed, const Message&) { return ed.selMarginWidth; }

// EMX_SETLINENUMBERWIDTH: the margin's least width while shown (at most 4096);
// takes effect at once when the numbers are shown, the margin staying wide enough
// for the widest number; answers 0.
LRESULT OnEmxSetLineNumberWidth(EditorInstance& ed, const Message& m) {
    ed.lineNumberWidthSetting = ClampMarginWidth(Arg(m.wParam));
    if (ed.lineNumberWidth != 0) SetNumberMarginWidth(ed, FittedNumberWidth(ed));
    return 0;
}

// EMX_GETLINENUMBERWIDTH: answers the line-number margin's width while shown
// (lineNumberWidthSetting), also while the numbers are hidden.
LRESULT OnEmxGetLineNumberWidth(EditorInstance& ed, const Message&) { return ed.lineNumberWidthSetting; }

// EMX_SETWHEELLINES: wheelLines = wParam (0 turns the wheel off); answers wParam.
LRESULT OnEmxSetWheelLines(EditorInstance& ed, const Message& m) {
    ed.wheelLines = Arg(m.wParam);
    return m.wParam;
}

// EMX_GETWHEELLINES: answers wheelLines (WHEEL_PAGESCROLL as -1).
LRESULT OnEmxGetWheelLines(EditorInstance& ed, const Message&) { return static_cast<int32_t>(ed.wheelLines); }

// EMX_SETWHEELMODE: the wheel of every control of the process scrolls smoothly
// (lParam nonzero) or jumps; answers lParam.
LRESULT OnEmxSetWheelMode(EditorInstance&, const Message& m) {
    gSmoothWheel = static_cast<uint32_t>(m.lParam);
    return m.lParam;
}

// EMX_SETTABWIDTH: tabWidth = wParam brought into 1-256, the fonts measured again;
// repaints; answers 0.
LRESULT OnEmxSetTabWidth(EditorInstance& ed, const Message& m) {
    ed.tabWidth = ClampTabWidth(Arg(m.wParam));
    FontRef fonts[kFontSlotCount];
    for (uint32_t i = 0; i < kFontSlotCount; ++i) fonts[i] = ed.fonts[i];
    MeasureFonts(ed, fonts);
    LayoutStateOf(ed).measureFontChanged = 1;
    MeasureLongestLine(ed);
    LayoutStateOf(ed).measureFontChanged = 0;
    RefreshBothPanes(ed);
    return 0;
}

// EMX_GETTABWIDTH: answers tabWidth, 1-256.
LRESULT OnEmxGetTabWidth(EditorInstance& ed, const Message&) { return ed.tabWidth; }

// EMX_TOGGLEVIEWFLAGS, EMX_FLIPVIEWFLAGS: viewFlags ^= wParam; repaints; focus to the
// upper pane; answers 0.
LRESULT OnEmxToggleViewFlags(EditorInstance& ed, const Message& m) {
    ed.viewFlags ^= Arg(m.wParam);
    RefreshBothPanes(ed);
    FocusUpperPane(ed);
    return 0;
}

// EMX_GETVIEWFLAGS: answers viewFlags.
LRESULT OnEmxGetViewFlags(EditorInstance& ed, const Message&) { return ed.viewFlags; }

// EMX_ENABLEALTFONTS: altFontsEnabled = wParam until the next font measurement;
// repaints; focus to the upper pane; answers 0.
LRESULT OnEmxEnableAltFonts(EditorInstance& ed, const Message& m) {
    ed.altFontsEnabled = Arg(m.wParam);
    RefreshBothPanes(ed);
    FocusUpperPane(ed);
    return 0;
}

// EMX_SETAUTOINDENT: autoIndent = wParam; answers wParam.
LRESULT OnEmxSetAutoIndent(EditorInstance& ed, const Message& m) {
    ed.autoIndent = Arg(m.wParam);
    return m.wParam;
}

// EMX_GETAUTOINDENT: answers autoIndent as set.
LRESULT OnEmxGetAutoIndent(EditorInstance& ed, const Message&) { return ed.autoIndent; }

// EMX_TOGGLEPADLINENUMBERS: zero-padded line numbers on or off, the margin as wide
// as the widest number then needs; repaints; answers 0.
LRESULT OnEmxTogglePadLineNumbers(EditorInstance& ed, const Message&) {
    ed.padLineNumbers = ed.padLineNumbers ? 0 : 1;
    RefreshBothPanes(ed);
    KeepNumberMargin(ed);
    return 0;
}

// EMX_GETPADLINENUMBERS: answers 1 while the line numbers are zero-padded, else 0.
LRESULT OnEmxGetPadLineNumbers(EditorInstance& ed, const Message&) { return ed.padLineNumbers != 0; }

// EMX_SETSCROLLDELAY: the spin counts of every control: lParam and lParam / 10, at
// most a second's worth; answers 0.
LRESULT OnEmxSetScrollDelay(EditorInstance&, const Message& m) {
    SetScrollDelay(static_cast<uint32_t>(m.lParam));
    return 0;
}

// EMX_GETSCROLLDELAY: answers the slow spin count.
LRESULT OnEmxGetScrollDelay(EditorInstance&, const Message&) { return gTiming.scrollDelaySlow; }

// EMX_SETSTICKYCARETX: stickyCaretX = lParam; answers 0.
LRESULT OnEmxSetStickyCaretX(EditorInstance& ed, const Message& m) {
    ed.stickyCaretX = static_cast<uint32_t>(m.lParam);
    return 0;
}

// EMX_SETCOLUMNSELMODE: columnSelMode = lParam; answers 0.
LRESULT OnEmxSetColumnSelMode(EditorInstance& ed, const Message& m) {
    ed.columnSelMode = static_cast<uint32_t>(m.lParam);
    return 0;
}

// EMX_SETREADONLY: sets or clears ES_READONLY in the window and in style; answers 0.
LRESULT OnEmxSetReadOnly(EditorInstance& ed, const Message& m) {
    LONG style = ::GetWindowLongA(m.hwnd, GWL_STYLE);
    style = m.lParam ? (style | ES_READONLY) : (style & ~ES_READONLY);
    ed.style = static_cast<uint32_t>(style);
    ::SetWindowLongA(m.hwnd, GWL_STYLE, style);
    return 0;
}

// EMX_SETLINEENDS: the line-end setting = wParam (a QV_LINEENDS_ style of 0-3, maybe
// with QV_LINEENDS_NOFINAL); answers the previous one, or -1 with nothing changed
// for a value that is no setting.
LRESULT OnEmxSetLineEnds(EditorInstance& ed, const Message& m) {
    if (!IsLineEndSetting(Arg(m.wParam))) return -1;
    ControlPrivate& priv = PrivateOf(ed);
    const uint32_t previous = priv.lineEnds;
    priv.lineEnds = Arg(m.wParam);
    return previous;
}

// EMX_GETLINEENDS: answers the line-end setting.
LRESULT OnEmxGetLineEnds(EditorInstance& ed, const Message&) { return PrivateOf(ed).lineEnds; }

// EMX_GETLOADEDLINEENDS: answers the line ends the last whole-text load found
// (QV_LINEENDS_CRLF, _LF, _CR, _MIXED or _NONE).
LRESULT OnEmxGetLoadedLineEnds(EditorInstance& ed, const Message&) { return LoadedLineEndsValue(ed); }

// EMX_SETPAGELINES: linesPerPage = wParam; repaints; answers 0.
LRESULT OnEmxSetPageLines(EditorInstance& ed, const Message& m) {
    ed.linesPerPage = Arg(m.wParam);
    RefreshBothPanes(ed);
    return 0;
}

// EMX_GETPAGELINES: answers linesPerPage.
LRESULT OnEmxGetPageLines(EditorInstance& ed, const Message&) { return ed.linesPerPage; }

// ---- Fonts, colours and keywords --------------------------------------------------------

// EMX_SETHOSTWINDOWS: the six host windows of every control; answers 0.
LRESULT OnEmxSetHostWindows(EditorInstance&, const Message& m) {
    SetHostWindows(reinterpret_cast<const WindowRef*>(m.lParam));
    return 0;
}

// EMX_SETKEYWORDS: adds the list's words with group value wParam (NULL empties the
// table of every control); repaints; answers 0.
LRESULT OnEmxSetKeywords(EditorInstance& ed, const Message& m) {
    AddKeywords(Arg(m.wParam), reinterpret_cast<const char*>(m.lParam));
    RefreshBothPanes(ed);
    return 0;
}

// EMX_SETFONTS: slots 0-3 and 5 from the host's record, each pane kept on its top
// row across the new row height; repaints; answers 0.
LRESULT OnEmxSetFonts(EditorInstance& ed, const Message& m) {
    const auto* fonts = reinterpret_cast<const FontRef*>(m.lParam);
    if (!fonts) return 0;
    ChangeFonts(ed, fonts);
    RefreshBothPanes(ed);
    UpdateScrollBars(ed, ActivePane(ed));
    LayoutStateOf(ed).measureFontChanged = 1;
    MeasureLongestLine(ed);
    LayoutStateOf(ed).measureFontChanged = 0;
    return 0;
}

// EMX_GETFONTS: writes slots 0-3 and 5 into the host's record (slot 4 is left as it
// was); answers 0.
LRESULT OnEmxGetFonts(EditorInstance& ed, const Message& m) {
    auto* fonts = reinterpret_cast<FontRef*>(m.lParam);
    if (!fonts) return 0;
    for (uint32_t slot : {kFontText, kFontStyle1, kFontStyle2, kFontStyle3, kFontLineNumbers})
        fonts[slot] = ed.fonts[slot];
    return 0;
}

// EMX_SETCOLORS: every entry but 5, 6 and 10 from the host's record, a style code the
// painter does not know taken as 0, the brushes made again; repaints; answers 0.
// When the new brushes cannot be made the colours and the brushes stay as they were.
LRESULT OnEmxSetColors(EditorInstance& ed, const Message& m) {
    const auto* colors = reinterpret_cast<const uint32_t*>(m.lParam);
    if (!colors) return 0;
    uint32_t old[kColorCount];
    for (uint32_t i = 0; i < kColorCount; ++i) old[i] = ed.colors[i];
    for (uint32_t i = 0; i < kColorCount; ++i)
        if (i != 5 && i != 6 && i != 10) ed.colors[i] = ColorWithKnownStyle(colors[i]);
    if (!CreateBrushes(ed)) {
        for (uint32_t i = 0; i < kColorCount; ++i) ed.colors[i] = old[i];
        return 0;
    }
    RefreshBothPanes(ed);
    return 0;
}

// EMX_GETCOLORS: writes all 27 entries into the host's record (the unused 5, 6 and 10
// too), so a record read, changed and set again carries nothing of the host's own
// memory; answers 0.
LRESULT OnEmxGetColors(EditorInstance& ed, const Message& m) {
    auto* colors = reinterpret_cast<uint32_t*>(m.lParam);
    if (!colors) return 0;
    for (uint32_t i = 0; i < kColorCount; ++i) colors[i] = ed.colors[i];
    return 0;
}

// ---- Line highlights --------------------------------------------------------------------

// EMX_SETLINEHILITE: the line's highlight = lParam & 0xF; its row redrawn in both
// panes; answers 0. A line past the end is ignored.
LRESULT OnEmxSetLineHilite(EditorInstance& ed, const Message& m) {
    if (SetLineHighlight(ed, Arg(m.wParam), static_cast<uint32_t>(m.lParam)))
        InvalidateLineInBothPanes(ed, Arg(m.wParam));
    return 0;
}

// EMX_GETLINEHILITE: answers the line's highlight, or -1 past the last line.
LRESULT OnEmxGetLineHilite(EditorInstance& ed, const Message& m) { return GetLineHighlight(ed, Arg(m.wParam)); }

// EMX_CLEARHILITES: clears the lines whose flags equal wParam (9: 1 to 9);
// repaints; focus to the upper pane; answers 0.
LRESULT OnEmxClearHilites(EditorInstance& ed, const Message& m) {
    ClearHighlights(ed, Arg(m.wParam));
    RefreshBothPanes(ed);
    FocusUpperPane(ed);
    return 0;
}

// EMX_SETLINELOCK: locks line wParam when lParam is nonzero, else unlocks it;
// answers 0. A line past the end is ignored.
LRESULT OnEmxSetLineLock(EditorInstance& ed, const Message& m) {
    SetLineLocked(ed, Arg(m.wParam), m.lParam != 0);
    return 0;
}

// EMX_ISLINELOCKED: answers 1 when line wParam is locked or the control is
// read-only, else 0 (also past the end).
LRESULT OnEmxIsLineLocked(EditorInstance& ed, const Message& m) { return IsLineLocked(ed, Arg(m.wParam)) != 0; }

// EMX_SETLINEHIDDEN: hides line wParam when lParam is nonzero, else shows it (a line
// inside a folded block opens the block); both panes invalidated; answers 0. A line
// past the end is ignored.
LRESULT OnEmxSetLineHidden(EditorInstance& ed, const Message& m) {
    if (!IsLine(ed, m.wParam)) return 0;
    SetLineHidden(ed, Arg(m.wParam), m.lParam != 0);
    InvalidateBothPanes(ed);
    return 0;
}

// EMX_ISLINEHIDDEN: answers 1 when line wParam is hidden, else 0 (also past the end).
LRESULT OnEmxIsLineHidden(EditorInstance& ed, const Message& m) { return IsLineHidden(ed, Arg(m.wParam)) != 0; }

// EMX_REDRAWLINE: the line's row redrawn in both panes; answers 0.
LRESULT OnEmxRedrawLine(EditorInstance& ed, const Message& m) {
    InvalidateLineInBothPanes(ed, Arg(m.wParam));
    return 0;
}

// ---- Window, split view and queries --------------------------------------------------------

// EMX_SUBCLASSPANES: lParam becomes the procedure of both panes; answers the upper
// pane's previous procedure, to which the host passes on what it does not handle.
// NULL would leave the panes without a procedure (the platforms differ on whether
// they take it): refused, answers 0.
LRESULT OnEmxSubclassPanes(EditorInstance& ed, const Message& m) {
    if (!m.lParam) return 0;
    ::SetWindowLongPtrA(Hwnd(ed.panes[1].hwnd), GWLP_WNDPROC, m.lParam);
    return ::SetWindowLongPtrA(Hwnd(ed.panes[0].hwnd), GWLP_WNDPROC, m.lParam);
}

// EMX_REPAINTALL: every child invalidated (the panes without erasing); with lParam,
// both panes updated at once; answers 0.
LRESULT OnEmxRepaintAll(EditorInstance& ed, const Message& m) {
    for (const ViewPane& pane : ed.panes) {
        ::InvalidateRect(Hwnd(pane.hwnd), nullptr, FALSE);
        for (WindowRef bar : {pane.hwndVScroll, pane.hwndHScroll, pane.hwndCorner})
            ::InvalidateRect(Hwnd(bar), nullptr, TRUE);
    }
    ::InvalidateRect(Hwnd(ed.hwndSplitBar), nullptr, TRUE);
    if (m.lParam) {
        ::UpdateWindow(Hwnd(ed.panes[1].hwnd));
        ::UpdateWindow(Hwnd(ed.panes[0].hwnd));
    }
    return 0;
}

// EMX_TOGGLELINENUMBERS: shows the line-number margin (the host's width, wider when
// the widest number needs it) or hides it; the caret moves with the text so it
// stays on its character; the active pane gets the focus; answers 0.
LRESULT OnEmxToggleLineNumbers(EditorInstance& ed, const Message&) {
    SetNumberMarginWidth(ed, ed.lineNumberWidth == 0 ? FittedNumberWidth(ed) : 0);
    ::SetFocus(Hwnd(ed.hwndActivePane));
    return 0;
}

// EMX_GETLINENUMBERS: answers 1 while the line numbers are shown.
LRESULT OnEmxGetLineNumbers(EditorInstance& ed, const Message&) { return ed.lineNumberWidth != 0; }

// EMX_TOGGLESPLIT: opens or closes the split view; repaints; the upper pane becomes
// the active pane with the focus; answers 0.
LRESULT OnEmxToggleSplit(EditorInstance& ed, const Message&) {
    ToggleSplit(ed);
    LayoutPanes(ed);
    RefreshBothPanes(ed);
    FocusUpperPane(ed);
    ed.hwndActivePane = ed.panes[0].hwnd;
    return 0;
}

// EMX_GETHSCROLLBAR: answers the upper pane's horizontal scroll bar.
LRESULT OnEmxGetHScrollBar(EditorInstance& ed, const Message&) {
    return reinterpret_cast<LRESULT>(ed.panes[0].hwndHScroll);
}

// EMX_CENTERCARET: the caret's row to the middle of the active pane (or the pane to
// the top when the caret is in the first half page); answers 0.
LRESULT OnEmxCenterCaret(EditorInstance& ed, const Message&) {
    ViewPane& pane = ActivePane(ed);
    const uint32_t lh = ed.lineHeight;
    uint32_t half = static_cast<uint32_t>(pane.textRect.bottom > 0 ? pane.textRect.bottom : 0) / 2;
    if (lh) half -= half % lh;
    const uint32_t y = LineToY(ed, LineFromChar(ed, ed.caretPos));
    if (y >= half) {
        pane.scrollY = static_cast<int32_t>(y - half);
        RefreshBothPanes(ed);
    } else {
        pane.scrollY = 0;
        RefreshPane(ed, pane.hwnd);
    }
    return 0;
}

// EMX_SETMARKERCALLBACK: markerCallback = lParam; answers lParam.
LRESULT OnEmxSetMarkerCallback(EditorInstance& ed, const Message& m) {
    ed.markerCallback = reinterpret_cast<MarkerCallback>(m.lParam);
    return m.lParam;
}

// EMX_SETSPLIT: splitRatio = the low 9 bits of wParam, the split left open or closed;
// answers 0.
LRESULT OnEmxSetSplit(EditorInstance& ed, const Message& m) {
    ed.splitRatio = Arg(m.wParam) & 0x1FF;
    LayoutPanes(ed);
    return 0;
}

// EMX_GETSPLIT: answers splitRatio.
LRESULT OnEmxGetSplit(EditorInstance& ed, const Message&) { return ed.splitRatio; }

// ---- Markers and collapsible blocks ----------------------------------------------------
// The bookmark messages hide the host popup first and refresh the markers last. A
// line past the end, a NULL pattern pair or a NULL pattern the message uses gets
// the message's "nothing" answer and changes nothing.

// EMX_ENUMMARKERS: lParam the 84-byte enumeration record or NULL: the marked lines'
// line words refreshed, the markers other than the current one shown as bookmarks,
// up to ten (id, line) pairs and the current id written; answers 0.
LRESULT OnEmxEnumMarkers(EditorInstance& ed, const Message& m) {
    EnumerateMarkers(ed, reinterpret_cast<void*>(m.lParam));
    return 0;
}

// EMX_SETMARKER: line wParam gets marker id lParam (0 removes it) and becomes the
// current marker; a folded block starting there is opened first; answers 0.
LRESULT OnEmxSetMarker(EditorInstance& ed, const Message& m) {
    if (!IsLine(ed, m.wParam)) return 0;
    HideHostPopup();
    SetLineMarker(ed, Arg(m.wParam), static_cast<uint32_t>(m.lParam));
    RefreshMarkers(ed);
    return 0;
}

// EMX_GETMARKER: answers line wParam's marker id, which becomes the current marker,
// or -1 past the end.
LRESULT OnEmxGetMarker(EditorInstance& ed, const Message& m) {
    if (!IsLine(ed, m.wParam)) return -1;
    HideHostPopup();
    const uint32_t id = GetLineMarker(ed, Arg(m.wParam));
    RefreshMarkers(ed);
    return static_cast<LRESULT>(id);
}

// EMX_NEXTMARKER: answers the first marked line after line wParam carrying id
// lParam, or -1.
LRESULT OnEmxNextMarker(EditorInstance& ed, const Message& m) {
    if (!IsLine(ed, m.wParam)) return -1;
    HideHostPopup();
    const LineNumber found = FindNextMarker(ed, Arg(m.wParam), static_cast<uint32_t>(m.lParam));
    RefreshMarkers(ed);
    return LineResult(found);
}

// EMX_PREVMARKER: answers the last marked line before line wParam carrying id
// lParam, or -1.
LRESULT OnEmxPrevMarker(EditorInstance& ed, const Message& m) {
    if (!IsLine(ed, m.wParam)) return -1;
    HideHostPopup();
    const LineNumber found = FindPrevMarker(ed, Arg(m.wParam), static_cast<uint32_t>(m.lParam));
    RefreshMarkers(ed);
    return LineResult(found);
}

// EMX_FINDMARKER: the first line carrying id wParam becomes the current marker
// (kind 4); answers that line, or -1 (always for id 0, with nothing changed).
LRESULT OnEmxFindMarker(EditorInstance& ed, const Message& m) {
    const uint32_t id = Arg(m.wParam);
    if (id == kMarkerNone) return -1;
    HideHostPopup();
    const LineNumber found = FindMarker(ed, id);
    RefreshMarkers(ed);
    return LineResult(found);
}

// EMX_CLEARMARKERS: every folded block opened, then every bookmark and block state
// removed (lParam is not used); repaints; answers 0.
LRESULT OnEmxClearMarkers(EditorInstance& ed, const Message&) {
    ClearMarkers(ed);
    RefreshBothPanes(ed);
    return 0;
}

// EMX_MARKBLOCKS: lParam a pattern pair: the lines matching its start pattern get
// the block-start kind, under the wait cursor; answers 0.
LRESULT OnEmxMarkBlocks(EditorInstance& ed, const Message& m) {
    const BlockPatterns* patterns = PatternsOf(m);
    if (!patterns || !patterns->start) return 0;
    WaitCursor wait;
    MarkBlockStarts(ed, patterns->start);
    return 0;
}

// EMX_MATCHBLOCKPATTERN: answers the column where pattern lParam matches line
// wParam, or -1.
LRESULT OnEmxMatchBlockPattern(EditorInstance& ed, const Message& m) {
    if (!IsLine(ed, m.wParam)) return -1;
    return MatchBlockPattern(ed, Arg(m.wParam), reinterpret_cast<const char*>(m.lParam));
}

// EMX_GETWORD: the word at the caret, at most wParam - 1 characters and a NUL, into
// the buffer at lParam; answers the count (0 for a NULL buffer or a size of 0).
LRESULT OnEmxGetWord(EditorInstance& ed, const Message& m) {
    auto* buffer = reinterpret_cast<uint8_t*>(m.lParam);
    if (!buffer || m.wParam == 0) return 0;
    const CharIndex start = WordStart(ed, ed.caretPos);
    const CharIndex end = WordEnd(ed, start);
    uint32_t n = end - start;
    if (n > m.wParam - 1) n = static_cast<uint32_t>(m.wParam - 1);
    CopyStoredText(ed, start, n, buffer);
    buffer[n] = 0;
    return n;
}

// EMX_FOLDBLOCK: folds the block starting at line wParam up to the next line
// matching the end pattern of pair lParam; a caret the fold hides goes to the start
// of the block; repaints; answers 0.
LRESULT OnEmxFoldBlock(EditorInstance& ed, const Message& m) {
    if (!IsLine(ed, m.wParam)) return 0;
    const CaretLine caret = CaretLineOf(ed);
    if (!FoldBlock(ed, Arg(m.wParam), PatternsOf(m))) return 0;
    if (FoldHid(ed, caret)) CaretToLineStart(ed, m.hwnd, Arg(m.wParam));
    RefreshBothPanes(ed);
    return 0;
}

// EMX_FOLDALL: folds every unfolded block (pair lParam); when it folded any, a caret
// it hid goes to the start of its block, the active pane scrolls back to the end of
// the shorter document when it lay beyond it, and both panes repaint; answers 0.
LRESULT OnEmxFoldAll(EditorInstance& ed, const Message& m) {
    const CaretLine caret = CaretLineOf(ed);
    if (FoldAllBlocks(ed, PatternsOf(m)) == 0) return 0;
    if (FoldHid(ed, caret)) {
        const LineNumber header = FoldedHeaderOf(ed, caret.line);
        if (header != kNoLine) CaretToLineStart(ed, m.hwnd, header);
    }
    ViewPane& pane = ActivePane(ed);
    const int64_t lh = ed.lineHeight;
    int64_t limit = (static_cast<int64_t>(LineCount(ed)) - 1 - ed.hiddenLineCount) * lh - pane.textRect.bottom;
    if (limit < 0) limit = 0;
    if (lh) limit -= limit % lh;
    if (pane.scrollY > limit) pane.scrollY = static_cast<int32_t>(limit);
    RefreshBothPanes(ed);
    return 0;
}

// EMX_UNFOLDBLOCK: opens the block starting at line wParam; repaints; answers 0.
LRESULT OnEmxUnfoldBlock(EditorInstance& ed, const Message& m) {
    if (!IsLine(ed, m.wParam)) return 0;
    UnfoldBlock(ed, Arg(m.wParam));
    RefreshBothPanes(ed);
    return 0;
}

// EMX_UNFOLDALL: opens every folded block; repaints when it opened any (the caret
// stays where it is); answers 0.
LRESULT OnEmxUnfoldAll(EditorInstance& ed, const Message&) {
    if (UnfoldAllBlocks(ed) != 0) RefreshBothPanes(ed);
    return 0;
}

// EMX_GETCURRENTMARKER: answers currentMarkerId.
LRESULT OnEmxGetCurrentMarker(EditorInstance& ed, const Message&) { return ed.currentMarkerId; }

// EMX_NOP: nothing; answers 0 and is not passed on.
LRESULT OnEmxNop(EditorInstance&, const Message&) { return 0; }

const HandlerEntry kEntries[] = {
    {EMX_SUBCLASSPANES, OnEmxSubclassPanes},
    {EMX_SETHOSTWINDOWS, OnEmxSetHostWindows},
    {EMX_SETKEYWORDS, OnEmxSetKeywords},
    {EMX_SETFONTS, OnEmxSetFonts},
    {EMX_GETFONTS, OnEmxGetFonts},
    {EMX_SETCOLORS, OnEmxSetColors},
    {EMX_GETCOLORS, OnEmxGetColors},
    {EMX_SETMARKERMARGIN, OnEmxSetMarkerMargin},
    {EMX_SETLINENUMBERWIDTH, OnEmxSetLineNumberWidth},
    {EMX_SETWHEELLINES, OnEmxSetWheelLines},
    {EMX_SETWHEELMODE, OnEmxSetWheelMode},
    {EMX_SETTABWIDTH, OnEmxSetTabWidth},
    {EMX_TOGGLEVIEWFLAGS, OnEmxToggleViewFlags},
    {EMX_ENABLEALTFONTS, OnEmxEnableAltFonts},
    {EMX_FLIPVIEWFLAGS, OnEmxToggleViewFlags},
    {EMX_SETAUTOINDENT, OnEmxSetAutoIndent},
    {EMX_TOGGLEPADLINENUMBERS, OnEmxTogglePadLineNumbers},
    {EMX_SETSCROLLDELAY, OnEmxSetScrollDelay},
    {EMX_GETSCROLLDELAY, OnEmxGetScrollDelay},
    {EMX_SETLINEHILITE, OnEmxSetLineHilite},
    {EMX_GETLINEHILITE, OnEmxGetLineHilite},
    {EMX_CLEARHILITES, OnEmxClearHilites},
    {EMX_SETSTICKYCARETX, OnEmxSetStickyCaretX},
    {EMX_SETCOLUMNSELMODE, OnEmxSetColumnSelMode},
    {EMX_ENUMMARKERS, OnEmxEnumMarkers},
    {EMX_SETMARKER, OnEmxSetMarker},
    {EMX_GETMARKER, OnEmxGetMarker},
    {EMX_NEXTMARKER, OnEmxNextMarker},
    {EMX_PREVMARKER, OnEmxPrevMarker},
    {EMX_FINDMARKER, OnEmxFindMarker},
    {EMX_GETCURRENTMARKER, OnEmxGetCurrentMarker},
    {EMX_CLEARMARKERS, OnEmxClearMarkers},
    {EMX_REPAINTALL, OnEmxRepaintAll},
    {EMX_TOGGLELINENUMBERS, OnEmxToggleLineNumbers},
    {EMX_GETLINENUMBERS, OnEmxGetLineNumbers},
    {EMX_TOGGLESPLIT, OnEmxToggleSplit},
    {EMX_GETHSCROLLBAR, OnEmxGetHScrollBar},
    {EMX_CENTERCARET, OnEmxCenterCaret},
    {EMX_SETMARKERCALLBACK, OnEmxSetMarkerCallback},
    {EMX_SETREADONLY, OnEmxSetReadOnly},
    {EMX_SETLINEENDS, OnEmxSetLineEnds},
    {EMX_GETLINEENDS, OnEmxGetLineEnds},
    {EMX_GETLOADEDLINEENDS, OnEmxGetLoadedLineEnds},
    {EMX_MARKBLOCKS, OnEmxMarkBlocks},
    {EMX_MATCHBLOCKPATTERN, OnEmxMatchBlockPattern},
    {EMX_GETWORD, OnEmxGetWord},
    {EMX_FOLDBLOCK, OnEmxFoldBlock},
    {EMX_FOLDALL, OnEmxFoldAll},
    {EMX_UNFOLDBLOCK, OnEmxUnfoldBlock},
    {EMX_UNFOLDALL, OnEmxUnfoldAll},
    {EMX_SETLINELOCK, OnEmxSetLineLock},
    {EMX_ISLINELOCKED, OnEmxIsLineLocked},
    {EMX_SETLINEHIDDEN, OnEmxSetLineHidden},
    {EMX_ISLINEHIDDEN, OnEmxIsLineHidden},
    {EMX_SETSPLIT, OnEmxSetSplit},
    {EMX_GETSPLIT, OnEmxGetSplit},
    {EMX_REDRAWLINE, OnEmxRedrawLine},
    {EMX_SETPAGELINES, OnEmxSetPageLines},
    {EMX_GETPAGELINES, OnEmxGetPageLines},
    {EMX_GETTABWIDTH, OnEmxGetTabWidth},
    {EMX_GETMARKERMARGIN, OnEmxGetMarkerMargin},
    {EMX_GETLINENUMBERWIDTH, OnEmxGetLineNumberWidth},
    {EMX_GETWHEELLINES, OnEmxGetWheelLines},
    {EMX_GETAUTOINDENT, OnEmxGetAutoIndent},
    {EMX_GETVIEWFLAGS, OnEmxGetViewFlags},
    {EMX_GETPADLINENUMBERS, OnEmxGetPadLineNumbers},
    {EMX_NOP, OnEmxNop},
};

}  // namespace

const HandlerTable kPrivateMessages = MakeTable(kEntries);

}  // namespace qv
