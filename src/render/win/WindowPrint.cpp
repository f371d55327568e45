#include "render/win/WindowPrint.h"

namespace qv {
namespace {

// A child's picture is part of its parent's client area: it is printed whole.
constexpr LPARAM kWholeChild = PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN;

// `window`'s rectangle in `parent`'s client coordinates.
RECT PlaceIn(HWND parent, HWND window) {
    RECT r = {};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Moves the DC's logical origin to (x, y) of the current one, in logical units, so
// that it holds under any mapping mode a caller set.
void ShiftOrigin(HDC dc, int x, int y) {
    POINT origin = {};
    ::GetWindowOrgEx(dc, &origin);
    ::SetWindowOrgEx(dc, origin.x - x, origin.y - y, nullptr);
}

}  // namespace

void PrintChildren(HWND parent, HDC dc, LPARAM flags) {
    RECT area = {};
    ::GetClientRect(parent, &area);
    HWND first = ::GetWindow(parent, GW_CHILD);
    // The style's bit, not IsWindowVisible: a window animation prints a hidden
    // control before it shows it.
    for (HWND child = first ? ::GetWindow(first, GW_HWNDLAST) : nullptr; child;
         child = ::GetWindow(child, GW_HWNDPREV)) {
        if (!(::GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE)) continue;
        const RECT place = PlaceIn(parent, child);
        RECT shown = {};
        if (!::IntersectRect(&shown, &place, &area)) continue;
        const int saved = ::SaveDC(dc);
        if (saved == 0) return;
        ::IntersectClipRect(dc, shown.left, shown.top, shown.right, shown.bottom);
        ShiftOrigin(dc, place.left, place.top);
        ::SendMessageA(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), kWholeChild | (flags & PRF_ERASEBKGND));
        ::RestoreDC(dc, saved);
    }
}

void PrintWindowParts(HWND window, HDC dc, LPARAM flags) {
    if (dc == nullptr) return;
    if ((flags & PRF_CHECKVISIBLE) && !::IsWindowVisible(window)) return;
    if (flags & PRF_NONCLIENT) ::DefWindowProcA(window, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT);
    if (!(flags & (PRF_ERASEBKGND | PRF_CLIENT | PRF_CHILDREN))) return;
    const int saved = ::SaveDC(dc);
    if (saved == 0) return;
    if (flags & PRF_NONCLIENT) {
        RECT frame = {};
        ::GetWindowRect(window, &frame);
        POINT client = {0, 0};
        ::ClientToScreen(window, &client);
        ShiftOrigin(dc, client.x - frame.left, client.y - frame.top);
    }
    const WPARAM w = reinterpret_cast<WPARAM>(dc);
    if (flags & PRF_ERASEBKGND) ::SendMessageA(window, WM_ERASEBKGND, w, 0);
    if (flags & PRF_CLIENT) ::SendMessageA(window, WM_PRINTCLIENT, w, flags);
    if (flags & PRF_CHILDREN) PrintChildren(window, dc, flags);
    ::RestoreDC(dc, saved);
}

}  // namespace qv
