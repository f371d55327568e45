// The text part of the editing commands, as the message handlers and keys run it:
// each begins with BeginEditCommand, secures all the room it needs (the store's
// areas and the undo log) before it changes anything, edits, logs, and leaves the
// selection where the command puts it. Refusals for locked lines, caret placement,
// scrolling, repainting and the parent notification stay with the callers.
//
// A command that cannot get its room changes nothing and logs nothing: the store
// has shown its message box, and the command reports the failure beside its
// result. Before it changes the text, every command opens the folded blocks on
// the lines it touches (UnfoldForEdit), so no hidden line loses its block start.
// SetWholeText replaces everything and needs no such guard.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

// Replaces the selection with the NUL-terminated `text` (NULL is empty): the
// selection is deleted (logged as a kind-6 record), the text is inserted where it
// was, in front of the closing CR at the latest, its line ends made single CRs (CR
// LF and a lone LF each one CR), and when `logUndo` is set a kind-5 record logs the
// insertion; without it, an insertion of any character drops every record logged
// before the command (they would point into shifted text), keeping only the
// deletion's. A logged replacement of a selection is
// one undo step: both records carry the group flag (a group is never left with one
// record). Both
// selection ends move past the text. Answers the number of characters inserted.
uint32_t ReplaceSelection(EditorInstance& ed, const char* text, bool logUndo, bool* ok = nullptr);
// The same for `length` bytes that need no NUL (a paste's copy of the clipboard).
uint32_t ReplaceSelectionBytes(EditorInstance& ed, const uint8_t* bytes, uint32_t length, bool logUndo,
                               bool* ok = nullptr);

// Replaces the whole document with the NUL-terminated `text` (NULL is empty): a new
// store holding its closing CR and the text in front of it (its line ends made
// single CRs, as ReplaceSelection's; a text that begins with an LF begins with an
// empty line), an empty undo log, and
// the view back at the top. When the new document cannot be built the old one
// stays untouched and the answer is false. `modified` is 1 afterwards when a
// character was inserted, else 0.
bool SetWholeText(EditorInstance& ed, const char* text);

// Deletes the selection (a kind-6 record) and puts both ends where it started.
// Answers that index.
CharIndex ClearSelection(EditorInstance& ed, bool* ok = nullptr);

// A typed character: deletes the selection, inserts `ch` where it was (overwrite
// mode applies only when the selection was empty), moves both selection ends
// after it, and after a CR copies the previous line's indentation when autoIndent
// is set. Over a selection that deletes anything the command is one undo step, as
// a paste is: the deletion (kind 6) and the character with the blanks copied after
// it (one kind-5 text) carry the group flag; a CR absorbed by a kept line break is
// logged so, and its undo and redo leave the break alone. With nothing deleted the
// character is a kind-1 record (kind 2 when it overwrote one) and each blank
// another kind-1 record. False when the room could not be had.
bool TypeChar(EditorInstance& ed, uint8_t ch);

// The Delete key with no selection: deletes the character at the lower selection
// end (kind 3). Answers it, or 0 when there was none (at the closing CR).
uint32_t DeleteKey(EditorInstance& ed, bool* ok = nullptr);

// The Backspace key with no selection: deletes the character before the caret
// (kind 4) and leaves the caret where it was. Answers it, or 0 when there was none.
uint32_t BackspaceKey(EditorInstance& ed, bool* ok = nullptr);

}  // namespace qv
