// Pane pixels <-> document positions. Widths come from the platform's measurement
// of the text font with tab expansion, the same measurement the painter draws
// with, so the caret lands exactly between the characters drawn, tabs included.
//
// Coordinates: document x of column k of a line is textLeft + 1 + the width of the
// line's first k characters; pane x is that less scrollX while scrollX > 0.
// Document y is LineToY; pane y is document y less the pane's scrollY.
#pragma once

#include <cstdint>

#include "base/ControlRecord.h"

namespace qv {

// The control's scrolling state (ScrollState, in its ControlRecord).
inline ScrollState& ScrollStateOf(EditorInstance& ed) { return StateOf(ed).scroll; }
// Where the control last placed its caret (pane coordinates).
inline Point PlacedCaret(const EditorInstance& ed) { return StateOf(ed).scroll.caretPlaced; }

// Column of pane x on the line of `record` (0 ... its length): the character whose
// midpoint lies right of x; a point exactly on a midpoint belongs to the column
// after. *pastLineEnd tells whether a CR was passed over.
uint32_t ColumnFromX(const EditorInstance& ed, uint32_t recordOffset, int32_t x, bool* pastLineEnd);

// Char index at pane point (x, y) with vertical offset `s`; makes the line hit the
// current line and sets hitPastLineEnd. x equal to the horizontal offset asks for
// the line's start (and leaves hitPastLineEnd as it was).
CharIndex PointToChar(EditorInstance& ed, uint32_t s, int32_t x, int32_t y);

// Document point of the left edge of character `a` and of its row's top.
Point CharToPoint(const EditorInstance& ed, CharIndex a);

// The same in pane coordinates for vertical offset `s`.
Point CharToPanePoint(const EditorInstance& ed, CharIndex a, uint32_t s);

}  // namespace qv
