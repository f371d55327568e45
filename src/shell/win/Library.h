// The library's entry: registering the two window classes and loading the
// process-wide resources at process attach, releasing them at detach.
#pragma once

#include <windows.h>

#include "base/win/LibraryState.h"

namespace qv {

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
