// The memory block behind a control: its EditorInstance, which hosts read, and
// after it the control's own state that no host sees.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

struct ControlPrivate {
    // Panes created so far; the first pane stores the document's closing CR. Kept
    // per control, so a control whose second pane could not be made leaves no
    // trace in the next one.
    uint32_t paneCreations;
};

struct ControlBlock {
    EditorInstance ed;  // first: the window's extra value points at it
    ControlPrivate priv;
};

// The record of a control window, or nullptr before WM_CREATE and after WM_DESTROY.
inline EditorInstance* InstanceOf(HWND hwnd) {
    return reinterpret_cast<EditorInstance*>(::GetWindowLongPtrA(hwnd, 0));
}
inline ControlPrivate& PrivateOf(EditorInstance& ed) { return reinterpret_cast<ControlBlock&>(ed).priv; }
inline HWND Hwnd(WindowRef w) { return static_cast<HWND>(w); }

}  // namespace qv
