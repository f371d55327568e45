// The undo and redo commands (EM_UNDO, EM_REDO, Ctrl+Z, Ctrl+Y): one step of the
// log, then the caret brought into view, both panes repainted and the parent told.
#pragma once

#include "edit/UndoLog.h"
#include "base/EditorInstance.h"

namespace qv {

// Even when there is nothing to undo or redo the caret is placed, the panes are
// repainted and the parent is notified.
UndoResult UndoCommand(EditorInstance& ed);
UndoResult RedoCommand(EditorInstance& ed);

}  // namespace qv
