// The horizontal automatic scroll of a drag: a loop inside one move that walks the
// caret along the line under the pointer, one character a paced step, scrolling
// the view by each character's width. Rightwards while the pointer lies beyond the
// drag's right limit, until the line's end; leftwards while the view is scrolled and
// the pointer stays near the left edge, until the line's start (or, after a
// rightward walk, back to where the drag began).
//
// The caret never leaves its line: it never steps left of the line's start and
// never right of its end (on the last line, of the end of the text). The loop ends
// when the left button is up, the pointer leaves the pane on the left, the parent
// moved the caret off the line during a notification, or the gesture ended.
#pragma once

#include "base/EditorInstance.h"
#include "command/MouseCommands.h"

namespace qv {

// Answers true when the move goes on (the vertical part of the drag follows), false
// when its handling ends here.
bool WalkCaretAlongLine(EditorInstance& ed, WindowRef pane, LineNumber line, const MouseContext& ctx);

}  // namespace qv
