// What the library keeps for the whole process, from process attach to detach:
// the module, the two cursors, the marker images and the split bar's class
// procedure. Every Windows part reads it; only the library entry writes it.
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

}  // namespace qv
