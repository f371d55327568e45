// Keeping the system caret on caretPos, the caret inside the active pane's view,
// and the panes' pixels in step with their scroll offsets. Every input and message
// handler that moves the caret or changes text ends with some of these.
//
// A pane is shown while its textRect.bottom (its height) is nonzero; for a pane
// that is not shown ScrollPane, RefreshPane, InvalidateLine, InvalidateRange and
// ScrollCaretIntoView do nothing at all. scrollX is one offset for both panes: the
// upper pane's field is read, and whenever it changes here both fields receive the
// new value. Nothing here divides by charWidth, which is 0 until the first font.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

// dy of ScrollPane that asks for a horizontal scroll clipped at exactly textLeft,
// with no vertical part.
constexpr int32_t kScrollHorizontalOnly = 99999999;
// ScrollCaretIntoView keeps the caret this far from the text area's left edge and
// from the pane's right edge, and then jumps eight average characters beyond.
constexpr int32_t kCaretLeftZone = 17;
constexpr int32_t kCaretRightZone = 16;
constexpr int32_t kCaretJumpChars = 8;
// A vertical range at least this long repaints whole panes rather than row by row.
constexpr CharIndex kRowByRowLimit = 10000;

// Moves the system caret to caretPos for vertical offset `s` and answers its pane y
// (negative when its row lies above the pane). The caret is moved, shown or hidden
// only while the active pane has the focus; it is visible only while the selection
// is empty and it stands right of the margins, and it is hidden at most once.
int32_t PlaceCaret(EditorInstance& ed, uint32_t s);

// Scrolls the pixels of a pane after its offsets have changed by (-dx, -dy): the
// caller has already set scrollX / scrollY. A horizontal move repaints the whole
// pane; a vertical move smaller than the pane less one row is paced, scrolled as
// pixels and notified (reason 1234); a larger one repaints the whole pane. Then the
// pane is updated at once and, when it is the active pane, the caret placed.
void ScrollPane(EditorInstance& ed, WindowRef paneWindow, int32_t dx, int32_t dy);

// Moves the pane's top-line cache to its scroll offset and repaints it whole, now.
void RefreshPane(EditorInstance& ed, WindowRef paneWindow);

// The recurring end of a command that moved the caret: LocateChar(caretPos), then
// ScrollCaretIntoView and PlaceCaret in the active pane. Answers what
// ScrollCaretIntoView answered (0 when the view moved, -1 when it did not).
int32_t BringCaretIntoView(EditorInstance& ed);

// The recurring "repaint both panes": RefreshPane of the lower pane, then of the
// upper pane.
void RefreshBothPanes(EditorInstance& ed);

// InvalidateLine of `line` in the lower pane, then in the upper pane.
void InvalidateLineInBothPanes(EditorInstance& ed, LineNumber line);

// Marks the row of `line` for repainting, margins included, when the row lies in
// the pane; rows outside it and lines that do not exist are ignored.
void InvalidateLine(EditorInstance& ed, WindowRef paneWindow, LineNumber line);

// Marks the rows of every line from the one holding min(a, b) up to the last one
// starting before max(a, b); a range of kRowByRowLimit characters or more marks the
// whole pane instead. Leaves the current line on the lower end's line.
void InvalidateRange(EditorInstance& ed, WindowRef paneWindow, CharIndex a, CharIndex b);

// What ScrollCaretIntoView does with the horizontal offset.
enum class HorizontalFollow : uint8_t {
    Follow,      // jumps eight average characters past the edge the caret crossed
    BackToZero,  // goes back to 0 with nothing repainted for it (a margin drag repaints)
};

// Brings the caret (on curLine, at caretPos) into the pane's view, `t` being the
// pane's scrollY at the call. A caret on a line inside a folded block unfolds that
// block (only it) and repaints the pane whole; a line the host hid stays hidden. Vertically the caret's row becomes the top row
// or the last whole row; horizontally the view jumps eight average characters past
// the edge the caret crossed (never left of 0), or goes back to 0 as `horizontal` asks.
// Answers 0 when anything was scrolled or repainted, -1 when nothing moved.
int32_t ScrollCaretIntoView(EditorInstance& ed, WindowRef paneWindow, uint32_t t,
                            HorizontalFollow horizontal = HorizontalFollow::Follow);

}  // namespace qv
