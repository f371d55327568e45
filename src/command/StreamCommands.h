// The stream commands of EM_STREAMIN and EM_STREAMOUT: the transfer through the
// host's callback with the steps around it.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"
#include "edit/Streams.h"

namespace qv {

// EM_STREAMIN with the format flags `flags`. A NULL record or callback, and a
// rich-text format (dwError ERROR_NOT_SUPPORTED), are refused: nothing is called and
// nothing changes. The wait cursor is shown throughout.
//
// The whole document (no SFF_SELECTION): maxLineLength 0, a folded block on line 0
// unfolded, and the text inserted at 0, in front of what the document holds (a host
// that loads a file empties the document first). Afterwards the undo log is emptied
// when anything went in (its records would point into shifted text),
// hiddenLineCount counts the lines still hidden, the view returns to the top (the
// selection and caret at 0, both panes scrolled to the top), both panes are
// repainted, the caret placed, the parent notified and the block starts marked.
//
// SFF_SELECTION, like a paste: refused with a beep (dwError ERROR_ACCESS_DENIED)
// over a locked line or in a read-only control; the blocks the selection touches
// are unfolded, the selection is replaced by the text in one undo step, the caret
// stands after the text and is brought into view, both panes are repainted, the
// parent is notified and the block starts marked. The log and the view stay.
//
// When the control is destroyed during a callback call (`abandoned` turns nonzero)
// nothing after the transfer is done. Answers the bytes the callback delivered.
// `loaded` (when given) tells whether the stream was a whole-document load whose
// callback delivered (its first call answered 0), and the kind of line ends it
// found; a refused stream, one that failed at once and a selection's load nothing.
struct LoadedLineEnds {
    bool loaded = false;
    LineEndKind kind = LineEndKind::None;
};
uint32_t StreamInCommand(EditorInstance& ed, EditStream* stream, uint32_t flags, const uint32_t* abandoned,
                         LoadedLineEnds* loaded = nullptr);

// EM_STREAMOUT with the format flags `flags`: the whole document, or with
// SFF_SELECTION the selection, every line end written as `lineEnd`; without
// `finalLineEnd` a whole document whose last line holds text is written without a
// line end after it. Refuses as EM_STREAMIN does; changes nothing. Answers the
// bytes handed to the callback.
uint32_t StreamOutCommand(EditorInstance& ed, EditStream* stream, uint32_t flags, const uint32_t* abandoned,
                          LineEnd lineEnd = LineEnd::CrLf, bool finalLineEnd = true);

}  // namespace qv
