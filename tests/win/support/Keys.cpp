#include "win/support/Keys.h"

namespace qvtest {

UINT ScanCode(UINT vk) {
    switch (vk) {
        case VK_DOWN: return 0x150;
        case VK_UP: return 0x148;
        case VK_LEFT: return 0x14B;
        case VK_RIGHT: return 0x14D;
        case VK_PRIOR: return 0x149;
        case VK_NEXT: return 0x151;
        case VK_HOME: return 0x147;
        case VK_END: return 0x14F;
        case VK_INSERT: return 0x152;
        case VK_DELETE: return 0x153;
        case VK_BACK: return 0x0E;
        default: return MapVirtualKeyA(vk, 0);
    }
}

void SetModifiers(bool ctrl, bool shift, bool alt) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = state[VK_LCONTROL] = ctrl ? 0x80 : 0;
    state[VK_SHIFT] = state[VK_LSHIFT] = shift ? 0x80 : 0;
    state[VK_MENU] = state[VK_LMENU] = alt ? 0x80 : 0;
    SetKeyboardState(state);
}

LRESULT KeyDown(HWND window, UINT vk, bool ctrl, bool shift, UINT scan) {
    SetModifiers(ctrl, shift);
    const UINT code = scan ? scan : ScanCode(vk);
    const LRESULT r = SendMessageA(window, WM_KEYDOWN, vk, 1 | (static_cast<LPARAM>(code) << 16));
    SetModifiers(false, false);
    return r;
}

LRESULT Char(HWND window, UINT ch) { return SendMessageA(window, WM_CHAR, ch, 1); }

}  // namespace qvtest
