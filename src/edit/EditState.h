// The edit state of a control (EditState, in its ControlRecord): what a range
// deletion learned, carried to the insertion that replaces the range and into the
// undo log.
#pragma once

#include "base/ControlRecord.h"

namespace qv {

inline EditState& EditStateOf(EditorInstance& ed) { return StateOf(ed).edit; }

// Every editing command calls this first: nothing one command set up for its own
// insertion may change the next command.
void BeginEditCommand(EditorInstance& ed);

}  // namespace qv
