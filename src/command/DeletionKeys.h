// The deletion keys of a pane, end to end: Backspace (WM_CHAR 8), Ctrl+Backspace
// and Delete (WM_KEYDOWN). Each is refused with a beep over a locked line or in a
// read-only control, deletes what the key deletes (a selection as one kind-6
// record; otherwise one character, kind 3 or 4; Ctrl+Backspace a word, kind 6),
// repaints as little as the change needs and notifies the parent. The closing CR
// is never deleted.
#pragma once

#include "base/EditorInstance.h"

namespace qv {

// Backspace: the selection, or the character before the caret (a line break joins
// the caret's line to the one above). At index 0 with no selection nothing happens
// and the parent hears nothing.
void BackspaceCommand(EditorInstance& ed, WindowRef paneWindow);

// Ctrl+Backspace: from the caret back to WordBackStart (the blanks before the caret
// and the word before them, or only blanks back to the line's start) as one undo
// step. With a selection, or at the start of a line, it is Backspace.
void DeleteWordBackCommand(EditorInstance& ed, WindowRef paneWindow);

// Delete: the selection, or the character at the caret (a line break joins the next
// line to the caret's). A selection of one CR is that CR deleted as one character;
// its own line and the next one must both be unlocked. At the closing CR nothing
// happens and the parent hears nothing.
void DeleteKeyCommand(EditorInstance& ed, WindowRef paneWindow);

}  // namespace qv
