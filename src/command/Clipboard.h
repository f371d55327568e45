// Copy, cut and paste of the selection through the system clipboard, in CF_TEXT
// only. On the clipboard every line end is CR LF; a pasted text's line ends (CR LF,
// a lone CR, a lone LF) become single CRs. The closing CR is never copied, so a
// document cut whole and pasted back is the same document.
//
// Nothing is deleted unless its copy reached the clipboard, and a paste changes
// nothing until it holds the clipboard's text in a copy of its own: the clipboard
// is open only while it is read or written, never while the document changes or
// the parent is notified. Refusals for locked lines and read-only controls are the
// callers' (RefuseLockedSelection), as for every edit.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

enum class ClipboardOutcome : uint8_t {
    Done,     // the text went onto the clipboard / into the document
    Nothing,  // nothing to copy (an empty selection) or to paste (no text)
    Failed,   // the clipboard or a buffer could not be had: nothing changed
};

// Empties the clipboard and puts the n bytes on it as CF_TEXT, the control window
// its owner. Answers 0 on success; -1 when the clipboard cannot be opened, the
// block cannot be had or the clipboard refuses it.
int32_t PutClipboardText(EditorInstance& ed, const uint8_t* bytes, uint32_t n);

// The selection (ends ordered and clamped, the closing CR left out) onto the
// clipboard, every CR followed by an LF. Nothing, with the clipboard untouched, for
// an empty selection.
ClipboardOutcome CopySelection(EditorInstance& ed);

// Copies the selection and, only when the copy reached the clipboard, deletes it
// (one kind-6 record); the caret is brought into the active pane's view, both panes
// repainted, caretX taken and the parent told. When the copy fails it beeps and
// changes nothing. An empty selection copies and deletes nothing; the caret steps
// and the notification still follow.
ClipboardOutcome CutCommand(EditorInstance& ed);

// Reads the clipboard's CF_TEXT first (open, copy out, close); when it holds no
// character, or cannot be read, nothing changes and nothing is logged. Otherwise
// the selection is replaced by the text as one undo step (its records logged
// before anything is repainted or notified), the caret stands after the text
// in the active pane's view, both panes are repainted, caretX taken and the parent
// told. `measure`, when given, runs between the edit and the repaint (the Windows
// layer measures the horizontal range there).
ClipboardOutcome PasteCommand(EditorInstance& ed, void (*measure)(EditorInstance&) = nullptr);

}  // namespace qv
