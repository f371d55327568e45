// Mapping between char indexes, lines, columns and pixel rows.
//
// The store keeps only a length per line, so every mapping walks the LineIndex;
// the walks are cheap because each starts from a cached line near the place asked
// for:
//   - the current-line cache (curLine, curLineStart, curLineSlot, curRecord,
//     curLineLength), one per control, set only by LocateChar, by the line
//     primitives and by the point-to-position lookup;
//   - the top-line cache of each pane (topLine, topLineY, topLineStart), set by
//     SyncPaneTop. LineStart, LineFromChar, LineToY and YToLine start from the
//     upper pane's, whichever pane asks.
// A line that is hidden (inside a folded block) has no pixel row: its y is that of
// the next line that is not hidden.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

struct CharLocation {
    uint32_t column;
    LineNumber line;
    CharIndex index;  // the index asked for, clamped to the text length
};

// Finds the line and column of `a` and makes that line the current line. An index
// at or past the end of the text gives the last line, the column after its last
// stored character, and the text length.
CharLocation LocateChar(EditorInstance& ed, CharIndex a);

// `a` clamped to the host's text: at most the index of the closing CR, the end of
// the text that a host sees (a selection never covers the closing CR). The line of
// the answer becomes the current line.
CharIndex ClampToTextEnd(EditorInstance& ed, CharIndex a);

// Char index of the first character of `line` (clamped to the last line).
CharIndex LineStart(const EditorInstance& ed, LineNumber line);

// Line holding `a`; a line start belongs to its line; past the end, the last line.
// When `a` is the caret's own index and the caret stands right after the current
// line's last stored character, the line is that current line.
LineNumber LineFromChar(const EditorInstance& ed, CharIndex a);

// Pixel y of `line` from the document top (clamped to the last line).
uint32_t LineToY(const EditorInstance& ed, LineNumber line);

// The line that is not hidden occupying the row at pixel y; the last line for rows
// below the end.
LineNumber YToLine(const EditorInstance& ed, uint32_t y);

// Moves the top-line cache of the pane whose window is `paneWindow` to the row of
// scroll offset `s`, never past the last line. While the lower pane is not shown,
// its scroll offset and cache follow the pane's.
void SyncPaneTop(EditorInstance& ed, WindowRef paneWindow, uint32_t s);

// Before a single-character change at `p`: a pane whose top line starts after p
// has its top-line cache reset to (0, 0, 0); its scroll offset stays.
void ResetPaneCachesBefore(EditorInstance& ed, CharIndex p);

// Before lines from `line` on are hidden or shown: a pane whose top line is `line`
// or lies after it has its top-line cache reset to (0, 0, 0), since that line's
// row moves (or, hidden, would no longer be a row of its own).
void ResetPaneCachesFromLine(EditorInstance& ed, LineNumber line);

// The stored length of `line` (which must exist).
uint32_t LineLength(const EditorInstance& ed, LineNumber line);
bool IsLineHiddenAt(const EditorInstance& ed, LineNumber line);
// Sum of all line lengths: the stored text, closing CR included.
CharIndex StoredLength(const EditorInstance& ed);

}  // namespace qv
