// The keyboard and mouse input of a pane: navigation and shortcut keys, typed
// characters, Delete and Backspace, clicks, drags and the wheel. Each handler
// answers the message's result; `handled` false sends the message on to the
// default procedure. OnPaneMouse takes the mouse messages, WM_SETCURSOR, and
// WM_CAPTURECHANGED and WM_CANCELMODE, which end a gesture under way.
#pragma once

#include <windows.h>

#include "base/EditorInstance.h"

namespace qv {

// WM_GETDLGCODE of a pane and of the control: the arrows, the characters and TAB
// always; every key (DLGC_WANTALLKEYS) only for the Enter key's WM_KEYDOWN or
// WM_CHAR in the MSG at lParam, so that a dialog keeps Escape (DLGC_WANTALLKEYS has
// the value of DLGC_WANTMESSAGE: answered always it would take Escape as well).
LRESULT DialogCode(LPARAM lParam);

LRESULT OnPaneKeyDown(EditorInstance& ed, HWND pane, WPARAM wParam, LPARAM lParam, bool& handled);
LRESULT OnPaneChar(EditorInstance& ed, HWND pane, WPARAM wParam, LPARAM lParam);
LRESULT OnPaneMouse(EditorInstance& ed, HWND pane, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);

}  // namespace qv
