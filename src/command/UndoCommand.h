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

}  // namespace qv
