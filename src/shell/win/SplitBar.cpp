#include "shell/win/SplitBar.h"

#include "base/win/ControlBlock.h"
#include "shell/win/Layout.h"
#include "shell/win/Library.h"

namespace qv {

void SubclassSplitBar(HWND splitBar) {
    if (!splitBar) return;
    WNDPROC previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(splitBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SplitBarProc)));
    if (!gLibrary.staticClassProc) gLibrary.staticClassProc = previous;
}

void ToggleSplit(EditorInstance& ed) {
    if (ed.splitOpen) {
        ed.splitOpen = 0;
        ed.splitRatio = 0;
    } else {
        ed.splitOpen = 1;
        ed.splitRatio = kOpenSplitRatio;
    }
}

namespace {

// Fills r with the brush when it holds any pixel.
void FillBand(HDC dc, int left, int top, int right, int bottom, HBRUSH brush) {
    if (right <= left || bottom <= top) return;
    RECT r = {left, top, right, bottom};
    ::FillRect(dc, &r, brush);
}

// WM_PRINT of the split bar: its dialog frame, which is all of it (the bar is no
// higher than its frame), drawn as the screen shows it: the raised edge, then the
// rest of the frame's width in the face colour, band by band, and the face inside.
// The control draws it because the default procedure does not print a child's
// frame on every platform.
void PrintSplitBar(HWND bar, HDC dc, LPARAM flags) {
    if (!dc || !(flags & PRF_NONCLIENT) || ((flags & PRF_CHECKVISIBLE) && !::IsWindowVisible(bar))) return;
    RECT r = {};
    ::GetWindowRect(bar, &r);
    ::OffsetRect(&r, -r.left, -r.top);
    ::DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    const int fx = ::GetSystemMetrics(SM_CXDLGFRAME) - ::GetSystemMetrics(SM_CXEDGE);
    const int fy = ::GetSystemMetrics(SM_CYDLGFRAME) - ::GetSystemMetrics(SM_CYEDGE);
    HBRUSH face = ::GetSysColorBrush(COLOR_3DFACE);
    FillBand(dc, r.left, r.top, r.right, r.top + fy, face);
    FillBand(dc, r.left, r.bottom - fy, r.right, r.bottom, face);
    FillBand(dc, r.left, r.top, r.left + fx, r.bottom, face);
    FillBand(dc, r.right - fx, r.top, r.right, r.bottom, face);
    FillBand(dc, r.left + fx, r.top + fy, r.right - fx, r.bottom - fy, face);
}

}  // namespace

LRESULT CALLBACK SplitBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND control = ::GetParent(hwnd);
    // After the control's WM_DESTROY its record is gone: only pass messages on.
    if (EditorInstance* ed = InstanceOf(control)) {
        switch (msg) {
            case WM_SETCURSOR:
                // The bar's own shape, not the static class's arrow or a parent's.
                if (reinterpret_cast<HWND>(wParam) == hwnd && LOWORD(lParam) == HTCLIENT) {
                    ::SetCursor(gLibrary.splitCursor);
                    return TRUE;
                }
                break;
            case WM_MOUSEMOVE:
                ::SetCursor(gLibrary.splitCursor);
                break;
            case WM_LBUTTONDOWN:
                ed->splitDragState = 1;
                ::SetCapture(control);
                ::SetCursor(gLibrary.splitCursor);
                break;
            case WM_LBUTTONDBLCLK:
                if (ed->splitOpen) {
                    ::ReleaseCapture();
                    ToggleSplit(*ed);
                    ::SetFocus(Hwnd(ed->panes[0].hwnd));
                } else {
                    ToggleSplit(*ed);
                }
                ::SendMessageA(control, WM_SIZE, 0, 0);
                break;
            case WM_PRINT:
                PrintSplitBar(hwnd, reinterpret_cast<HDC>(wParam), lParam);
                return 0;
        }
    }
    return ::CallWindowProcA(gLibrary.staticClassProc, hwnd, msg, wParam, lParam);
}

LRESULT OnSplitDragMove(EditorInstance& ed, LPARAM lParam) {
    if (ed.splitDragState == 1) {
        ed.splitDragState = 2;  // the first move arms the drag
        return 0;
    }
    if (ed.splitDragState != 2) return 0;
    const int h = ed.clientRect.bottom - ed.clientRect.top;
    // The pointer is taken 2 pixels below the bar's top.
    int y = static_cast<short>(HIWORD(lParam)) - 2;
    if (y > h - kSplitBarHeight) y = h - kSplitBarHeight;
    if (y < 0) y = 0;
    ed.splitRatio = y == 0 ? 0 : static_cast<uint32_t>(h) * 256 / static_cast<uint32_t>(y);
    LayoutPanes(ed);
    ::UpdateWindow(Hwnd(ed.hwndSplitBar));
    ::UpdateWindow(Hwnd(ed.panes[1].hwnd));
    ::UpdateWindow(Hwnd(ed.panes[0].hwnd));
    return 0;
}

LRESULT OnSplitDragEnd(EditorInstance& ed) {
    if (ed.splitDragState != 0) {
        ed.splitDragState = 0;
        ::ReleaseCapture();
        LayoutPanes(ed);
    }
    return 0;
}

}  // namespace qv
