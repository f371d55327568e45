// Steps the mouse commands share: the pacing of automatic scrolling, the shared
// horizontal offset, the caret that hides during a drag, and the notification of a
// drag, which reports the position before the CR while the pointer is past the
// line's end.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"
#include "command/MouseCommands.h"

namespace qv {

// True while the drag of the current move may go on: the gesture was not ended
// (a release, a lost capture, an edit by the parent) and the control still exists.
bool DragGoesOn(EditorInstance& ed, const MouseContext& ctx, uint32_t state);

// True once the control was destroyed during a notification.
inline bool Abandoned(const MouseContext& ctx) {
    return ctx.abandoned && *ctx.abandoned;
}

// The wait between two automatic scroll steps: scrollDelaySlow turns, or
// scrollDelayFast while the right button is held.
void PaceDrag();

// Sets the horizontal offset of both panes to `x` (not below 0) and repaints both
// whole when it changed.
void SetSharedScrollX(EditorInstance& ed, int32_t x);

// Hides the system caret, once, while a drag selects.
void HideCaretOnce(EditorInstance& ed);

// Reason 1 for the caret a drag left: while the pointer lies past the end of the
// caret's line (caretPos after its CR) the record carries the position before the
// CR; caretPos stays as it is.
void NotifyDragCaret(EditorInstance& ed, LineNumber line);

// The rows between a and b invalidated in the lower, then the upper pane.
void InvalidateRangeInBothPanes(EditorInstance& ed, CharIndex a, CharIndex b);

// Keeps a scroll going by posting the pane another move, when the left button is
// still down and the pointer lies above or below the pane.
void RepeatWhilePointerOutside(EditorInstance& ed, WindowRef pane, uint32_t keys);

}  // namespace qv
