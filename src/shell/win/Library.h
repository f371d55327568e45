// What the library keeps for the whole process, from process attach to detach.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace qv {

struct LibraryState {
    HINSTANCE hInstance;       // owner of both classes and of every child window
    HCURSOR splitCursor;       // resource 101, over the split bar
    HCURSOR marginCursor;      // resource 103, over the margins
    HIMAGELIST markerImages;   // eight 9 x 9 marker images from bitmap 102
    WNDPROC staticClassProc;   // what the split bar passes its messages on to
};
extern LibraryState gLibrary;

constexpr char kControlClass[] = "Quorvane";
constexpr char kPaneClass[] = "QuorvaneEdit";
constexpr int kSplitCursorId = 101;
constexpr int kMarkerBitmapId = 102;
constexpr int kMarginCursorId = 103;

void AttachLibrary(HINSTANCE instance);
// `freed`: the host frees the library while the process goes on. The classes are
// then unregistered: their procedures would otherwise point into unloaded code.
void DetachLibrary(bool freed);

// The two window procedures.
LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PaneWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace qv
