#include "shell/win/Library.h"

#include "render/KeywordTable.h"
#include "render/win/PanePainter.h"
#include "render/win/FontWidths.h"
#include "shell/win/Win32Platform.h"

namespace qv {

LibraryState gLibrary;

namespace {

Win32Platform gWin32Platform;

void RegisterClasses() {
    // Registration results are not checked: a class that is already registered
    // (the library loaded twice under another name) still works.
    WNDCLASSEXA control = {};
    control.cbSize = sizeof control;
    control.style = CS_GLOBALCLASS | CS_BYTEALIGNWINDOW | CS_BYTEALIGNCLIENT;
    control.lpfnWndProc = ControlProc;
    control.cbWndExtra = sizeof(void*);
    control.hInstance = gLibrary.hInstance;
    control.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    control.lpszClassName = kControlClass;
    ::RegisterClassExA(&control);

    // The pane sets its cursor itself.
    WNDCLASSEXA pane = {};
    pane.cbSize = sizeof pane;
    pane.style = CS_DBLCLKS | CS_BYTEALIGNWINDOW | CS_BYTEALIGNCLIENT;
    pane.lpfnWndProc = PaneWndProc;
    pane.cbWndExtra = sizeof(void*);
    pane.hInstance = gLibrary.hInstance;
    pane.lpszClassName = kPaneClass;
    ::RegisterClassExA(&pane);
}

}  // namespace

void AttachLibrary(HINSTANCE instance) {
    InstallPlatform(&gWin32Platform);
    gLibrary.hInstance = instance;
    RegisterClasses();
    gLibrary.splitCursor = ::LoadCursorA(instance, MAKEINTRESOURCEA(kSplitCursorId));
    gLibrary.marginCursor = ::LoadCursorA(instance, MAKEINTRESOURCEA(kMarginCursorId));
    HBITMAP markers = ::LoadBitmapA(instance, MAKEINTRESOURCEA(kMarkerBitmapId));
    gLibrary.markerImages = ::ImageList_Create(9, 9, ILC_COLOR4, 8, 8);
    ::ImageList_Add(gLibrary.markerImages, markers, nullptr);
    ::DeleteObject(markers);
    CreateKeywordStorage();
}

void DetachLibrary(bool freed) {
    if (gLibrary.markerImages) ::ImageList_Destroy(gLibrary.markerImages);
    gLibrary.markerImages = nullptr;
    ReleaseKeywordStorage();
    ReleaseFontWidths();
    ReleasePaintBuffer();
    if (freed) {
        ::UnregisterClassA(kControlClass, gLibrary.hInstance);
        ::UnregisterClassA(kPaneClass, gLibrary.hInstance);
    }
}

}  // namespace qv
