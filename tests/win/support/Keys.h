// Keys as the control receives them: WM_KEYDOWN with its scan code in lParam and
// the modifiers in the thread's key state, WM_CHAR with its character.
#pragma once

#include <windows.h>

namespace qvtest {

// The scan code of `vk` (with the extended bit for the keys that have it).
UINT ScanCode(UINT vk);

// Ctrl, Shift and Alt as GetKeyState reports them, for the keys sent next.
void SetModifiers(bool ctrl, bool shift, bool alt = false);

// WM_KEYDOWN of `vk` with the given modifiers down, sent to `window`; `scan` 0 is
// the key's own scan code. The modifiers are up again afterwards.
LRESULT KeyDown(HWND window, UINT vk, bool ctrl = false, bool shift = false, UINT scan = 0);

LRESULT Char(HWND window, UINT ch);

}  // namespace qvtest
