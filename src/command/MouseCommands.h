// What the mouse does in a pane: a click places the caret (Shift extends the
// selection), a press in the margin selects the line, a drag selects and scrolls
// the pane when the pointer leaves it, a double click selects a word, and the wheel
// scrolls. The pane window turns its messages into these calls. As with the keys,
// the caret is the selection's moving end: Shift+click and every drag move
// caretPos, and selAnchor stays where the selection began.
//
// The drag state is the control's (MouseState): the capture keeps every mouse message
// of a gesture in its pane. A gesture ends at the left button's release, and also
// when the pane loses the capture or a move arrives with the button up (a menu or
// message box opened during a click ate the release), so that a later plain move
// never extends a selection.
//
// Automatic scrolling has no timer: a pointer held beyond the right edge, or near
// the left edge of a view scrolled right, walks the caret along its line inside one
// move, a character a paced step, while the left button stays down; a pointer held
// above or below the pane scrolls by rows and posts the pane another move. Both end
// when the button is released or the gesture ends.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"
#include "base/Platform.h"
#include "pane/WheelSteps.h"

namespace qv {

// A mouse message of a pane: the pane, the point in its client area (x and y the
// signed low and high words of lParam) and the key flags of wParam.
struct PointerEvent {
    WindowRef pane;
    int32_t x;
    int32_t y;
    uint32_t keys;
};

// What the window layer tells the mouse commands.
struct MouseContext {
    // The average character width (rounded) that the layout measured last: the step
    // of a proportional font. Refreshed from the current line before a press.
    int32_t avgCharWidth;
    // Nonzero once the control was destroyed during a notification: every loop stops
    // at once. nullptr when the caller cannot tell.
    const uint32_t* abandoned;
};

// WM_LBUTTONDOWN: a press in the margin selects the line under it (Shift plays no
// part); a press in the text places the caret, before the CR when the point lies
// past the line's end, and with Shift keeps the anchor. Captures the mouse and
// gives the pane the focus; notifies (reason 1).
void MousePress(EditorInstance& ed, const PointerEvent& ev, const MouseContext& ctx);

// WM_MOUSEMOVE: ends a gesture whose button is up, extends a drag selection or a
// margin selection (with automatic scrolling), or sets the pointer's shape.
void MouseMove(EditorInstance& ed, const PointerEvent& ev, const MouseContext& ctx);

// WM_LBUTTONUP: releases the capture and places the caret; the gesture ends and the
// selection is remembered in mouseSelStart / mouseSelEnd (0, 0 when empty).
void MouseRelease(EditorInstance& ed, WindowRef pane);

// The capture was lost (WM_CAPTURECHANGED, WM_CANCELMODE) or the button found up:
// a gesture under way ends as at a release, without releasing the capture.
void EndMouseGesture(EditorInstance& ed);

// WM_LBUTTONDBLCLK: selects the word at the anchor the press left (a separator
// selects nothing); notifies (reason 1). ClearColumnBand as well.
void MouseDoubleClick(EditorInstance& ed);

// The column band of the last gesture and both grid positions cleared; with column
// selection on, both panes repainted.
void ClearColumnBand(EditorInstance& ed);

// WM_RBUTTONDOWN with only the right button: the next move is skipped and the
// pointer is the arrow; the selection stays.
void RightButtonPress(EditorInstance& ed);

// The pointer's shape at a point of the pane while no gesture runs: the margin
// cursor over the margins, the arrow strictly inside the selection of the last
// release (while the document has more than one line and, in column selection, the
// band is not empty), the I-beam elsewhere.
StdCursor PointerShapeAt(EditorInstance& ed, WindowRef pane, int32_t x, int32_t y);

// WM_MOUSEWHEEL: `delta` (the signed high word of wParam) added to the pane's
// `remainder` scrolls its whole notches, wheelLines rows each (a page each for
// WHEEL_PAGESCROLL), within the bar's range; in the smooth mode in small repainted
// steps. Notifies (reason 44) when the offset changed. While the wheel is off
// (wheelLines 0) nothing moves and the remainder is dropped.
void WheelScroll(EditorInstance& ed, WindowRef pane, int32_t& remainder, int32_t delta, VerticalRange bar,
                 const MouseContext& ctx);

}  // namespace qv
