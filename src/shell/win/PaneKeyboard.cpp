// The keyboard of a pane: WM_KEYDOWN (navigation keys, Insert, Delete,
// Ctrl+Backspace and the shortcuts) and WM_CHAR (typed characters and Backspace).
// Recognition is here; what each key does is a command of the core.
//
// A navigation key, Insert and Delete match by their virtual-key code and their
// scan code (lParam bits 16-25, with or without the extended bit 0x100), so the
// dedicated key and the keypad key with NumLock off both work. The letter
// shortcuts match by their virtual-key code alone, which follows the keyboard
// layout: Ctrl+Z undoes wherever the layout puts the Z. They take Ctrl without Alt,
// since Ctrl+Alt is AltGr, which types characters on many layouts.
#include "shell/win/PaneInput.h"

#include "command/Clipboard.h"
#include "command/CommandSteps.h"
#include "command/DeletionKeys.h"
#include "command/Navigation.h"
#include "command/Typing.h"
#include "command/UndoCommand.h"
#include "shell/win/Layout.h"

namespace qv {
namespace {

bool KeyDown(int vk) { return (::GetKeyState(vk) & 0x8000) != 0; }

struct Modifiers {
    bool ctrl, shift, alt;
};
Modifiers ReadModifiers() { return {KeyDown(VK_CONTROL), KeyDown(VK_SHIFT), KeyDown(VK_MENU)}; }

// The key's scan code, with or without the extended bit.
bool ScanCodeIs(LPARAM lParam, UINT scan) {
    const UINT code = static_cast<UINT>(lParam >> 16) & 0x3FF;
    return code == scan || code == (scan | 0x100);
}

struct NavigationKey {
    UINT vk;
    UINT scan;
    NavKey key;
};
constexpr NavigationKey kNavigationKeys[] = {
    {VK_DOWN, 0x50, NavKey::Down},   {VK_UP, 0x48, NavKey::Up},         {VK_LEFT, 0x4B, NavKey::Left},
    {VK_RIGHT, 0x4D, NavKey::Right}, {VK_PRIOR, 0x49, NavKey::PageUp},  {VK_NEXT, 0x51, NavKey::PageDown},
    {VK_HOME, 0x47, NavKey::Home},   {VK_END, 0x4F, NavKey::End},
};
constexpr UINT kInsertScan = 0x52;
constexpr UINT kDeleteScan = 0x53;

// A cut or paste refused over a locked line or in a read-only control.
void Cut(EditorInstance& ed) {
    if (!RefuseLockedSelection(ed)) CutCommand(ed);
}
void Paste(EditorInstance& ed) {
    if (!RefuseLockedSelection(ed)) PasteCommand(ed, MeasureAfterEdit);
}

// The shortcuts of Ctrl with a letter; false for any other key.
bool RunLetterShortcut(EditorInstance& ed, HWND pane, WPARAM vk, const Modifiers& mods) {
    if (!mods.ctrl || mods.alt) return false;
    if (mods.shift) {
        if (vk != 'Z') return false;
        RedoKeyCommand(ed);  // Ctrl+Shift+Z
        return true;
    }
    switch (vk) {
        case 'C':
            CopySelection(ed);
            return true;
        case 'X':
            Cut(ed);
            return true;
        case 'V':
            Paste(ed);
            return true;
        case 'A':
            SelectAllCommand(ed, pane);
            return true;
        case 'Z':
            UndoKeyCommand(ed);
            return true;
        case 'Y':
            RedoKeyCommand(ed);
            return true;
        default:
            return false;
    }
}

}  // namespace

LRESULT DialogCode(LPARAM lParam) {
    LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    if (const MSG* msg = reinterpret_cast<const MSG*>(lParam)) {
        const bool enter = (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) ||
                           (msg->message == WM_CHAR && msg->wParam == '\r');
        if (enter) code |= DLGC_WANTALLKEYS;
    }
    return code;
}

// WM_KEYDOWN: wParam the virtual key, lParam the scan code in bits 16-25; answers
// 0 with `handled` set for a key the pane knows, else leaves it to the default.
LRESULT OnPaneKeyDown(EditorInstance& ed, HWND pane, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    const Modifiers mods = ReadModifiers();
    for (const NavigationKey& nav : kNavigationKeys) {
        if (wParam == nav.vk && ScanCodeIs(lParam, nav.scan)) {
            NavigateCommand(ed, pane, nav.key, mods.ctrl, mods.shift);
            return 0;
        }
    }
    if (wParam == VK_INSERT && ScanCodeIs(lParam, kInsertScan)) {
        if (!mods.ctrl && !mods.shift) {
            ed.overwriteMode ^= 1;  // nothing repainted; the caret keeps its width
            return 0;
        }
        if (mods.shift && !mods.ctrl) {
            Paste(ed);
            return 0;
        }
        if (mods.ctrl && !mods.shift) {
            CopySelection(ed);
            return 0;
        }
    }
    if (wParam == VK_DELETE && ScanCodeIs(lParam, kDeleteScan) && !mods.ctrl && !mods.shift) {
        DeleteKeyCommand(ed, pane);
        return 0;
    }
    // Ctrl+Backspace deletes the word before the caret here; the WM_CHAR 0x7F the
    // key also makes is not typed.
    if (wParam == VK_BACK && mods.ctrl && !mods.shift && !mods.alt) {
        DeleteWordBackCommand(ed, pane);
        return 0;
    }
    if (RunLetterShortcut(ed, pane, wParam, mods)) return 0;
    handled = false;
    return 0;
}

// WM_CHAR: wParam the character. Backspace deletes, a printable character, TAB or
// CR is typed; every other control code, 0x7F and anything above 0xFF are ignored.
// Answers 0.
LRESULT OnPaneChar(EditorInstance& ed, HWND pane, WPARAM wParam, LPARAM) {
    if (wParam == VK_BACK)
        BackspaceCommand(ed, pane);
    else if (IsTypedChar(static_cast<uint32_t>(wParam)))
        TypeCharCommand(ed, pane, static_cast<uint8_t>(wParam));
    return 0;
}

}  // namespace qv
