#include "command/UndoCommand.h"

#include "command/CommandSteps.h"
#include "edit/Notify.h"
#include "pane/PaneView.h"
#include "render/Folding.h"
#include "base/Platform.h"

namespace qv {
namespace {

UndoResult FinishCommand(EditorInstance& ed, UndoResult result) {
    if (result == UndoResult::Applied) EndMouseDrag();
    BringCaretIntoView(ed);
    RefreshBothPanes(ed);
    ActivePane(ed).caretX = ThePlatform().GetCaretPos().x;
    NotifyParent(ed, kReasonSelChange);
    return result;
}

}  // namespace

// The step's room is secured before the unfold guard: a step that fails for want
// of memory leaves the folded blocks as they were.
UndoResult UndoCommand(EditorInstance& ed) {
    CharIndex lo, hi;
    if (UndoStepSpan(ed, lo, hi)) {
        if (!ReserveUndoStep(ed)) return FinishCommand(ed, UndoResult::Failed);
        UnfoldForEdit(ed, lo, hi);
    }
    return FinishCommand(ed, UndoStep(ed));
}

UndoResult RedoCommand(EditorInstance& ed) {
    CharIndex lo, hi;
    if (RedoStepSpan(ed, lo, hi)) {
        if (!ReserveRedoStep(ed)) return FinishCommand(ed, UndoResult::Failed);
        UnfoldForEdit(ed, lo, hi);
    }
    return FinishCommand(ed, RedoStep(ed));
}

}  // namespace qv
