#include "pane/win/PaneInput.h"

namespace qv {

// Clicks, drags and the wheel are not answered yet: they go to the default procedure.
LRESULT OnPaneMouse(EditorInstance&, HWND, UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

}  // namespace qv
