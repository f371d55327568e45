// Pane pixels <-> document positions. Widths come from the platform's measurement
// of the text font with tab expansion, the same measurement the painter draws
// with, so the caret lands exactly between the characters drawn, tabs included.
//
// Coordinates: document x of column k of a line is textLeft + 1 + the width of the
// line's first k characters; pane x is that less scrollX while scrollX > 0.
// Document y is LineToY; pane y is document y less the pane's scrollY.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

// Process-wide flags of caret placement and scrolling, shared by every control.
struct ScrollFlags {
    // PointToChar found the point beyond the midpoint of the line's closing CR;
    // callers step back one so the caret lands before the CR.
    uint32_t hitPastLineEnd;
    // While set, ScrollPane does not pace vertical scrolls (scroll bar, wheel).
    uint32_t scrollPacingOff;
    // While set, ScrollCaretIntoView does not follow the caret horizontally.
    uint32_t holdScrollX;
};
extern ScrollFlags gScroll;

// Column of pane x on the line of `record` (0 ... its length): the character whose
// midpoint lies right of x; a point exactly on a midpoint belongs to the column
// after. May set hitPastLineEnd.
uint32_t ColumnFromX(const EditorInstance& ed, uint32_t recordOffset, int32_t x);

// Char index at pane point (x, y) with vertical offset `s`; makes the line hit the
// current line. x equal to the horizontal offset asks for the line's start.
CharIndex PointToChar(EditorInstance& ed, uint32_t s, int32_t x, int32_t y);

// Document point of the left edge of character `a` and of its row's top.
Point CharToPoint(const EditorInstance& ed, CharIndex a);

// The same in pane coordinates for vertical offset `s`.
Point CharToPanePoint(const EditorInstance& ed, CharIndex a, uint32_t s);

}  // namespace qv
