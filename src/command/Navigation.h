// The navigation keys of a pane (WM_KEYDOWN): arrows, Page Up and Page Down, Home
// and End, with Shift to select and Ctrl for words and the document's ends; and
// Ctrl+A. They move the selection's ends and never change the text.
//
// The selection runs between selAnchor, where it began, and caretPos, its moving
// end, where the caret stands. Every key moves caretPos from where it stands; with
// Shift selAnchor stays, so that any mix of Shift keys (and Shift+click, and a
// drag) keeps the selection's start, and Shift+Up after Shift+Down shrinks it
// again. Without Shift both ends go to the new place; a key that starts with a
// selection first chooses the end it starts from (Up, Page Up and Home the larger
// end, Down the smaller, Page Down caretPos, End the character before the larger
// end, Left the smaller, Right the larger).
//
// The pane's caretX is the x the vertical keys (Up, Down, Page Up, Page Down) aim
// at; they leave it as it is, Ctrl+Up and Ctrl+Down set it to 0 (line starts), and
// Left, Right, Home and End set it to the caret's new x. No key moves an end past
// the closing CR; Ctrl+A selects up to it, the host's whole text.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

enum class NavKey : uint8_t { Up, Down, Left, Right, PageUp, PageDown, Home, End };

// One navigation key in the pane of `paneWindow`: the ends moved, the caret
// brought into the pane's view and placed, what changed repainted, and the parent
// notified (reason 1) when an end or the view moved.
void NavigateCommand(EditorInstance& ed, WindowRef paneWindow, NavKey key, bool ctrl, bool shift);

// Ctrl+A: selAnchor at the end of the text (the closing CR's index: the selection
// is exactly the host's text), caretPos at 0; the view does not scroll; both panes
// repainted, the parent notified.
void SelectAllCommand(EditorInstance& ed, WindowRef paneWindow);

}  // namespace qv
