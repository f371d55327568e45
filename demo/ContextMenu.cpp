// The right-click menu. The control shows no menu of its own: a right click in a
// pane (or Shift+F10) reaches the main window as WM_CONTEXTMENU, with the pane in
// wParam and the screen point in lParam (-1 from the keyboard). The menu's items
// carry the Edit, Bookmarks and View menus' commands; OnInitMenu enables Undo to
// Paste as it does in the Edit menu.
#include <windows.h>
// windows.h first: the headers below build on it
#include <windowsx.h>

#include "DemoIds.h"
#include "MainWindow.h"

// WM_CONTEXTMENU: `window` the one clicked, `lParam` the screen point or -1. The
// control passes on the pane the user clicked.
void MainWindow::OnContextMenu(HWND window, LPARAM lParam) {
    if (GetParent(window) != editor_) return;
    HWND pane = window;
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (lParam == -1) {
        // From the keyboard: at the caret, which the focused pane shows.
        GetCaretPos(&at);
        ClientToScreen(pane, &at);
    } else {
        PlaceCaretForMenu(pane, at);
    }
    HMENU resource = LoadMenuA(instance_, MAKEINTRESOURCEA(IDR_CONTEXTMENU));
    if (!resource) return;
    HMENU menu = GetSubMenu(resource, 0);
    // Here only, where the menu shows a grayed item: F9 and Ctrl+A keep answering
    // outside a block and in an empty text.
    auto enable = [menu](UINT id, bool on) {
        EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(IDM_SELECTALL, SendMessageA(editor_, WM_GETTEXTLENGTH, 0, 0) > 0);
    enable(IDM_TOGGLEFOLD, BlockAtCaret() != -1);
    // The items' commands come as WM_COMMAND, as the menu bar's do.
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
    DestroyMenu(resource);
}

// A right click outside the selection moves the caret to the click, so that
// Toggle Bookmark and Fold act on the line clicked; inside the selection it keeps
// the selection for Cut and Copy. The pane takes the focus first: the control
// reads points in its active pane.
void MainWindow::PlaceCaretForMenu(HWND pane, POINT screen) {
    SetFocus(pane);
    POINT client = screen;
    ScreenToClient(pane, &client);
    POINTL point = {client.x, client.y};
    const DWORD at =
        static_cast<DWORD>(SendMessageA(editor_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&point)));
    DWORD start = 0, end = 0;
    SendMessageA(editor_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (at < start || at > end || start == end) SendMessageA(editor_, EM_SETSEL, at, at);
}
