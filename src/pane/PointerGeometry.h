// The pointer's geometry in a pane: where the margin ends, the character grid,
// the rows a drag snaps to, and the bounds a caret moved by the mouse keeps.
//
// The caret a mouse gesture leaves is always inside the text: on a line that is
// not the last it may stand after the line's CR (a drag past a line's end selects
// the CR), on the last line never after the closing CR's position, which is the
// end of the text the host sees.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

// The end of the text the host sees: the index of the closing CR.
CharIndex TextEnd(const EditorInstance& ed);

// The last column a mouse-moved caret may take on `line`: its length (after its
// CR), or on the last line its length less the closing CR.
uint32_t LastCaretColumn(const EditorInstance& ed, LineNumber line);

// True for a pane x over the margins (marker and line-number margin).
inline bool InMargin(const EditorInstance& ed, int32_t x) {
    return x <= TextLeft(ed);
}

// x snapped to the character grid: floor(x / charWidth) * charWidth + 4 (x + 4
// while no font has given a width).
int32_t GridX(const EditorInstance& ed, int32_t x);

// The top of the row under pane y, in pane coordinates: (y + scrollY) rounded
// toward zero to whole rows, less scrollY (negative above the pane).
int32_t RowTopAt(const EditorInstance& ed, int32_t scrollY, int32_t y);

// One character's width for the drag's limits and steps: charWidth with a fixed
// pitch, else the average width the layout measured (rounded).
int32_t OneCharWidth(const EditorInstance& ed, int32_t avgCharWidth);

// The pixel width of the character at `column` of `line`, measured within the
// line (tabs to their stops); 0 past the line's end.
int32_t CharWidthAt(const EditorInstance& ed, LineNumber line, uint32_t column);

}  // namespace qv
