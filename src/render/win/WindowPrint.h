// Printing the control's windows into a device context a caller gives (WM_PRINT,
// WM_PRINTCLIENT): what PrintWindow, thumbnails, print previews and window
// animations show instead of the screen. The control's client area is its
// children (the panes, the split bar, the scroll bars and corner boxes), so each
// is printed at its place.
#pragma once

#include <windows.h>

namespace qv {

// Every child of `parent` whose style is visible, bottom of the z-order first, at
// its place in `parent`'s client area (the DC's origin) and clipped to that area,
// printed whole with WM_PRINT: its frame, background when `flags` asks for it,
// client area and children. The DC's state is as it was afterwards.
void PrintChildren(HWND parent, HDC dc, LPARAM flags);

// WM_PRINT of a window of the control: nothing with PRF_CHECKVISIBLE while it is
// not visible; the frame (PRF_NONCLIENT) as far as the default procedure draws
// one; then, at the client area's place within the frame (at the DC's origin when
// the frame is not printed), WM_ERASEBKGND (PRF_ERASEBKGND), WM_PRINTCLIENT
// (PRF_CLIENT) and the children (PRF_CHILDREN).
void PrintWindowParts(HWND window, HDC dc, LPARAM flags);

}  // namespace qv
