// The split bar between the panes: its own procedure (cursor, press, double click)
// and the drag, which the control does while it holds the mouse capture.
//
// splitDragState: 0 idle -> 1 pressed on the bar (capture to the control) -> 2 at
// the first move -> 0 at the release, which lays the panes out once more.
#pragma once

#include <windows.h>

#include "base/EditorInstance.h"

namespace qv {

void SubclassSplitBar(HWND splitBar);
LRESULT CALLBACK SplitBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The control's mouse messages while it drags the split bar; each answers 0.
LRESULT OnSplitDragMove(EditorInstance& ed, LPARAM lParam);
LRESULT OnSplitDragEnd(EditorInstance& ed);

// Opens or closes the split view.
void ToggleSplit(EditorInstance& ed);

}  // namespace qv
