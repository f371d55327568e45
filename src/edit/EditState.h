// The process-wide edit state: one set for all controls of the process, all zero
// at load. It carries what a range deletion learned to the insertion that replaces
// the range and into the undo log.
//
// Invariant between editing commands: absorbNextCr and keepNextCr are clear. Every
// editing command starts by clearing them (BeginEditCommand) and clears them again
// when it ends, so a flag left by one command never changes the next one; every
// undo record carries in its own fields what its undo and redo need.
#pragma once

#include <cstdint>

#include "base/Types.h"

namespace qv {

struct EditState {
    // While nonzero, an inserted CR is stored without splitting its line: the
    // closing CR of a new document. The Windows layer also counts pane creations
    // in it; the end-mark insertion restores whatever value it found.
    uint32_t rawLineEnd;
    // The next CR given to InsertChar is absorbed: the text stays as it is. Set by
    // a range deletion that kept its final line break.
    uint32_t absorbNextCr;
    // The next CR given to DeleteChar that would join two lines is kept.
    uint32_t keepNextCr;
    // A CR has been absorbed since the last range deletion.
    uint32_t crAbsorbed;
    // The range deleted last was the whole text through the closing CR.
    uint32_t wholeTextDelete;
    // Of the range deleted last: the char index where its first line starts, that
    // line's index and length, and the index of its last line. Logged with it.
    CharIndex rangeStartLineStart;
    LineNumber rangeStartLine;
    uint32_t rangeStartLineLength;
    LineNumber rangeEndLine;
    // Set by a paste, a stream-in, a logged replacement or a typed character over a
    // selection, so that its deletion and its insertion are logged, undone and
    // redone as one step; clear again before the command repaints or notifies.
    uint32_t undoGroup;
};

extern EditState gEdit;

// Back to the state at load (for tests and for a fresh process).
void ResetEditState();

// Every editing command calls this first: nothing one command set up for its own
// insertion may change the next command.
void BeginEditCommand();

}  // namespace qv
