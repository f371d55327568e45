#include "pane/win/PaneInput.h"

namespace qv {

// Navigation and editing keys are not answered yet: every key goes on to the
// default procedure.
LRESULT OnPaneKeyDown(EditorInstance&, HWND, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

// Typed characters are not inserted yet; the message answers 0.
LRESULT OnPaneChar(EditorInstance&, HWND, WPARAM, LPARAM) { return 0; }

}  // namespace qv
