// Steps that many message handlers share, named as the handlers use them.
#pragma once

#include "shell/EditorInstance.h"

namespace qv {

// "Redraw a range": while the selection is shown and not empty, its rows are
// invalidated in the lower pane, then in the upper pane.
void RedrawSelection(EditorInstance& ed);

// The rows of the selection invalidated in the lower pane, then in the upper pane.
void InvalidateSelectionInBothPanes(EditorInstance& ed);

// "Locked-range refusal": true, after a beep, when a line between selAnchor and
// caretPos is locked or the control is read-only; the caller then changes nothing.
bool RefuseLockedSelection(EditorInstance& ed);

// Both panes invalidated whole, lower first, without erasing.
void InvalidateBothPanes(EditorInstance& ed);

}  // namespace qv
