// The undo and redo commands (EM_UNDO, EM_REDO, Ctrl+Z, Ctrl+Y): one step of the
// log, then the caret brought into view, both panes repainted and the parent told.
#pragma once

#include "edit/UndoLog.h"
#include "base/EditorInstance.h"

namespace qv {

// First the folded blocks on the lines the step changes are opened (the unfold
// guard of every edit). Even when there is nothing to undo or redo the caret is
// placed, the panes are repainted and the parent is notified.
UndoResult UndoCommand(EditorInstance& ed);
UndoResult RedoCommand(EditorInstance& ed);

// The keyboard's undo and redo (Ctrl+Z; Ctrl+Y and Ctrl+Shift+Z): refused with a
// beep, nothing changed and the step kept on the log, while the control is
// read-only or when the text the step changes (both records of a grouped step),
// taken in the text as it stands, lies on a locked line. Otherwise UndoCommand and
// RedoCommand. EM_UNDO and EM_REDO, the host's own, are never refused.
UndoResult UndoKeyCommand(EditorInstance& ed);
UndoResult RedoKeyCommand(EditorInstance& ed);

}  // namespace qv
