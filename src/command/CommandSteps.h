// Steps that many message handlers share, named as the handlers use them.
#pragma once

#include "base/EditorInstance.h"

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

// What a replacement of the selection may have changed on the screen, taken before
// it: when the replaced range and the new text lie within one line and hold no '^'
// (which opens or closes a block comment over the lines after it), and afterwards
// the line count and the hidden lines are as before, that line is all that changed.
struct ReplacementScope {
    LineNumber line;
    uint32_t lineCount;
    uint32_t hiddenLines;
    bool withinLine;
};
ReplacementScope ScopeOfReplacement(EditorInstance& ed, const char* text);

// The rows a replacement changed invalidated in the lower pane, then in the upper
// pane: the one line when it stayed within it, both panes whole otherwise.
void InvalidateReplacement(EditorInstance& ed, const ReplacementScope& scope);

// What a command does after a range deletion: any mouse drag ends (its positions
// no longer hold), and the current-line cache is re-established at the line under
// the caret's screen position in the upper pane.
void EndRangeDeletion(EditorInstance& ed);

// The system caret moved to caretPos in the active pane, where the next typed
// character goes, without scrolling the view: the end of a selection set by the
// host (EM_SETSEL, EM_EXSETSEL). Hidden while the selection is not empty.
void PlaceCaretInActivePane(EditorInstance& ed);

// The end of a command that changed the text around the caret (undo, redo, cut,
// paste): the caret brought into the active pane's view and placed, both panes
// repainted (lower first), the active pane's caretX taken from the caret, and the
// parent notified (reason 1).
void FinishTextCommand(EditorInstance& ed);

// Ends the control's mouse drag: a drag's positions no longer hold once a
// command has rewritten the text under it.
void EndMouseDrag(EditorInstance& ed);

}  // namespace qv
