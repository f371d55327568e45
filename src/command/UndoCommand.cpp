#include "command/UndoCommand.h"

#include "command/CommandSteps.h"
#include "edit/Notify.h"
#include "pane/PaneView.h"
#include "render/Folding.h"
#include "render/LineLocks.h"
#include "base/Platform.h"

namespace qv {
namespace {

// The keyboard's rule: nothing while read-only, nothing over a locked line.
bool KeyRefuses(EditorInstance& ed, bool (*span)(const EditorInstance&, CharIndex&, CharIndex&)) {
    CharIndex lo = 0, hi = 0;
    const bool refused = (ed.style & kStyleReadOnly) || (span(ed, lo, hi) && IsRangeLocked(ed, lo, hi));
    if (refused) ThePlatform().Beep();
    return refused;
}

UndoResult FinishCommand(EditorInstance& ed, UndoResult result) {
    if (result == UndoResult::Applied) EndMouseDrag(ed);
    FinishTextCommand(ed);
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

UndoResult UndoKeyCommand(EditorInstance& ed) {
    if (KeyRefuses(ed, UndoStepSpan)) return UndoResult::Nothing;
    return UndoCommand(ed);
}

UndoResult RedoKeyCommand(EditorInstance& ed) {
    if (KeyRefuses(ed, RedoStepSpan)) return UndoResult::Nothing;
    return RedoCommand(ed);
}

}  // namespace qv
