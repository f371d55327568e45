// The keyboard and mouse input of a pane: navigation and shortcut keys, typed
// characters, Delete and Backspace, clicks, drags and the wheel. Each handler
// answers the message's result; `handled` false sends a key on to the default
// procedure.
#pragma once

#include <windows.h>

#include "base/EditorInstance.h"

namespace qv {

LRESULT OnPaneKeyDown(EditorInstance& ed, HWND pane, WPARAM wParam, LPARAM lParam, bool& handled);
LRESULT OnPaneChar(EditorInstance& ed, HWND pane, WPARAM wParam, LPARAM lParam);
LRESULT OnPaneMouse(EditorInstance& ed, HWND pane, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);

}  // namespace qv
