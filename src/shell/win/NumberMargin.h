// The line-number margin's width in effect (EditorInstance::lineNumberWidth): 0
// while the numbers are hidden; while shown, the host's width
// (lineNumberWidthSetting) at least, and wider when the widest number of the
// document needs it in the numbers' font, so that no number loses a digit. The
// margin grows and shrinks back as the line count crosses a power of ten, the
// padding is turned on or off, or the fonts change; the caret, mouse hits and the
// scroll range follow it, as everything measures from TextLeft.
#pragma once

#include "base/EditorInstance.h"

namespace qv {

// The width the margin takes while shown. Measures only when the widest number's
// length or the font it is drawn in changed since the control last measured.
uint32_t FittedNumberWidth(EditorInstance& ed);

// lineNumberWidth = `width`. When that changes it, what lies right of the margin
// moves with it: the caret (while a pane of the control has the focus, and so the
// caret) and each pane's remembered caret x by the difference; the panes are laid
// out, repainted and the active pane's scroll bars set.
void SetNumberMarginWidth(EditorInstance& ed, uint32_t width);

// After every message of the control and of its panes: while the numbers are shown,
// no stream runs and the control is not being destroyed, the margin takes its
// fitted width. Nothing is measured or
// moved while the line count, the padding, the fonts and the host's width stay.
void KeepNumberMargin(EditorInstance& ed);

}  // namespace qv
