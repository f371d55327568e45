// The pane window's procedure. A pane keeps no record of its own: it finds the
// control's EditorInstance through its extra value and its ViewPane by comparing
// its window with the upper pane's.
#include <windows.h>

#include <richedit.h>

#include "edit/Notify.h"
#include "edit/TextEdit.h"
#include "pane/CaretGeometry.h"
#include "pane/PaneView.h"
#include "shell/win/PaneInput.h"
#include "render/KeywordTable.h"
#include "render/win/PanePainter.h"
#include "render/win/WindowPrint.h"
#include "base/win/Allocations.h"
#include "base/win/ControlBlock.h"
#include "shell/win/Layout.h"
#include "shell/win/Library.h"
#include "shell/win/NumberMargin.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

uint32_t WholeRows(const EditorInstance& ed, int32_t height) {
    uint32_t h = height > 0 ? static_cast<uint32_t>(height) : 0;
    return ed.lineHeight ? h - h % ed.lineHeight : h;
}

void HideHostPopup() {
    if (HWND popup = Hwnd(hostWindows.windows[kHostPopupWindow])) ::MoveWindow(popup, 0, 0, 0, 0, TRUE);
}

// WM_CREATE: attach to the control. The first pane of a control stores the
// document's closing CR; the count is back at 0 once both panes exist. A WM_CREATE
// sent to a pane that is attached already goes to the default procedure: it would
// store a second closing CR.
LRESULT OnPaneCreate(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (InstanceOf(hwnd)) return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    EditorInstance* ed = InstanceOf(::GetParent(hwnd));
    ::SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(ed));
    if (ed) {
        ControlPrivate& priv = PrivateOf(*ed);
        if (++priv.paneCreations == 1) InsertEndMark(*ed);
        if (priv.paneCreations == 2) priv.paneCreations = 0;
        ed->modified = 0;
        ed->padLineNumbers = 1;
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

// WM_SIZE: the pane's scroll bars, then the control's layout with this pane as
// the one resized.
void OnPaneSize(EditorInstance& ed, HWND hwnd) {
    if (LineCount(ed) > 1) UpdateScrollBars(ed, PaneOf(ed, hwnd));
    LayoutPanes(ed, hwnd);
}

// WM_PAINT: the paint, then the scroll bars and the layout they may change.
LRESULT OnPanePaint(EditorInstance& ed, HWND hwnd) {
    ViewPane& pane = PaneOf(ed, hwnd);
    if (pane.textRect.bottom == 0) {
        // Not shown: nothing to draw, but the update region must not stay, or the
        // window would be asked to paint again and again.
        ::ValidateRect(hwnd, nullptr);
        return 0;
    }
    if (PrivateOf(ed).paintDirectNext) {
        PrivateOf(ed).paintDirectNext = 0;
        PaintPaneDirect(hwnd);
    } else {
        PaintPaneBuffered(hwnd);
    }
    const uint32_t barWas = pane.vScrollShown;
    UpdateScrollBars(ed, pane);
    LayoutPanes(ed, pane.vScrollShown != barWas ? hwnd : nullptr);
    if (!pane.vScrollShown) {
        const int32_t rows = static_cast<int32_t>(WholeRows(ed, pane.textRect.bottom));
        pane.scrollY = pane.scrollY > rows ? pane.scrollY - rows : 0;
    }
    return 0;
}

// WM_PRINT: the pane into the DC of wParam (lParam: PRF_ flags): its client area
// and its vertical bar as far as the platform prints one; answers 0.
LRESULT OnPanePrint(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    PrintWindowParts(hwnd, reinterpret_cast<HDC>(wParam), lParam);
    return 0;
}

// WM_PRINTCLIENT: the margins and the text area into the DC of wParam, as a paint
// draws them; nothing on the screen changes; answers 0.
LRESULT OnPanePrintClient(HWND hwnd, WPARAM wParam) {
    PrintPaneClient(hwnd, reinterpret_cast<HDC>(wParam));
    return 0;
}

// WM_SETFOCUS: the pane becomes the active pane; the caret is made and placed.
void OnPaneSetFocus(EditorInstance& ed, HWND hwnd) {
    ed.hwndActivePane = hwnd;
    MakeCaret(hwnd, 1, static_cast<int>(ed.lineHeight));
    PlaceCaret(ed, static_cast<uint32_t>(PaneOf(ed, hwnd).scrollY));
}

// WM_KILLFOCUS: the caret is hidden, once.
void OnPaneKillFocus(EditorInstance& ed, HWND hwnd) {
    if (!ed.caretHidden) {
        ::HideCaret(hwnd);
        ed.caretHidden = 1;
    }
}

// WM_VSCROLL: scrolling from the pane's own vertical bar, never paced; the parent
// hears of it (reason 44) when the offset changed. Answers 0.
LRESULT OnPaneVScroll(EditorInstance& ed, HWND hwnd, WPARAM wParam, LPARAM lParam) {
    ScrollStateOf(ed).scrollPacingOff = 1;
    HideHostPopup();
    ViewPane& pane = PaneOf(ed, hwnd);
    const int32_t old = pane.scrollY;
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS, 0, 0, 0, 0, 0};
    ::GetScrollInfo(reinterpret_cast<HWND>(lParam), SB_CTL, &info);
    const int32_t lh = static_cast<int32_t>(ed.lineHeight);
    const int32_t bottom = info.nMax - static_cast<int32_t>(info.nPage);
    int32_t y = pane.scrollY;
    switch (LOWORD(wParam)) {
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            PrivateOf(ed).paintDirectNext = 1;
            y = info.nTrackPos;
            break;
        case SB_LINEDOWN:
            if (bottom > y) y = (lh ? y - y % lh : y) + lh;
            break;
        case SB_LINEUP:
            if (y != 0) {
                y = (lh ? y - y % lh : y) - lh;
                if (y < 0) y = 0;
            }
            break;
        case SB_PAGEDOWN:
            y += static_cast<int32_t>(info.nPage);
            if (y > bottom) y = bottom;
            break;
        case SB_PAGEUP:
            y -= static_cast<int32_t>(info.nPage);
            if (y < 0) y = 0;
            break;
        case SB_ENDSCROLL:
            ScrollStateOf(ed).scrollPacingOff = 0;
            break;
        default:
            break;
    }
    if (y < 0) y = 0;
    pane.scrollY = y;
    if (y != old) {
        ScrollPane(ed, hwnd, 0, old - y);
        NotifyScrollBarScroll(ed, hwnd);
    }
    return 0;
}

LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) return OnPaneCreate(hwnd, msg, wParam, lParam);
    EditorInstance* ed = InstanceOf(hwnd);
    if (!ed) return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    // Keys cannot change the text while a stream reads or writes it.
    if ((msg == WM_CHAR || msg == WM_KEYDOWN) && StreamRunning(*ed)) {
        if (msg == WM_CHAR) ::MessageBeep(MB_ICONHAND);
        return 0;
    }
    bool handled = true;
    LRESULT result = 0;
    switch (msg) {
        case EM_LINEINDEX: {
            const int32_t line = static_cast<int32_t>(wParam);
            return LineStart(*ed, line < 0 ? ed->curLine : static_cast<LineNumber>(line));
        }
        case EM_EXLINEFROMCHAR:
            return LocateChar(*ed, static_cast<CharIndex>(lParam)).line;
        case WM_SIZE:
            OnPaneSize(*ed, hwnd);
            break;
        case WM_PAINT:
            return OnPanePaint(*ed, hwnd);
        case WM_PRINT:
            return OnPanePrint(hwnd, wParam, lParam);
        case WM_PRINTCLIENT:
            return OnPanePrintClient(hwnd, wParam);
        case WM_SETFOCUS:
            OnPaneSetFocus(*ed, hwnd);
            break;
        case WM_KILLFOCUS:
            OnPaneKillFocus(*ed, hwnd);
            break;
        case WM_VSCROLL:
            return OnPaneVScroll(*ed, hwnd, wParam, lParam);
        case WM_KEYDOWN:
            result = OnPaneKeyDown(*ed, hwnd, wParam, lParam, handled);
            if (handled) return result;
            break;
        case WM_CHAR:
            return OnPaneChar(*ed, hwnd, wParam, lParam);
        case WM_GETDLGCODE:
            return DialogCode(lParam);
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_MOUSEMOVE:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MOUSEWHEEL:
        case WM_SETCURSOR:
        case WM_CAPTURECHANGED:
        case WM_CANCELMODE:
            result = OnPaneMouse(*ed, hwnd, msg, wParam, lParam, handled);
            if (handled) return result;
            break;
        default:
            break;
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK PaneWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Dispatch(hwnd, msg, wParam, lParam);
    // Keys and the mouse change the line count too: the line-number margin follows.
    // The record is looked up again, as the message may have destroyed the control.
    if (EditorInstance* ed = InstanceOf(hwnd)) KeepNumberMargin(*ed);
    return result;
}

}  // namespace qv
