// The longest line of the document, as the horizontal scroll range measures it,
// kept up to date as the text changes instead of measured over every line.
//
// The rule (the control's from the start): walk the lines in order with a running
// figure m, 0 at first; a line of n stored characters with n > m becomes the
// longest line so far and m becomes its length in columns, n plus tabWidth - 1 for
// every TAB in it. The answer is the last line that raised m, and m. (A line that
// holds TABs may so stand for more columns than a longer line after it.)
//
// The control's record keeps, beside the store's areas, the chain of lines that
// raised m and which lines changed since the chain was made: the lines before the first changed one
// and the lines after the last changed one are as they were. A lookup rescans the
// changed lines only, then follows the old chain past them, scanning lines only
// where the new figure is lower than the old one was (the longest line shrank or
// went away). Typing, pasting and deleting in a line that is not the longest
// therefore cost no walk over the document.
//
// Every change of a line's characters, and every line inserted or removed, is
// reported with NoteLinesChanged by the edit operations; a new store starts with
// no chain.
#pragma once

#include <cstdint>

#include "base/ControlRecord.h"

namespace qv {

// Lines first ... last, in the numbering after the change, are new or changed, and
// lines may have been inserted or removed among them.
void NoteLinesChanged(EditorInstance& ed, LineNumber first, LineNumber last);

struct LongestLine {
    bool found;        // false when every line is empty
    LineNumber line;   // the last line that raised the figure
    uint32_t columns;  // its length with TABs expanded
};

// The longest line by the rule above, with TABs `tabWidth` columns wide.
LongestLine FindLongestLine(EditorInstance& ed, uint32_t tabWidth);

// Drops what the store kept (at its destruction).
void ForgetLongestLine(EditorInstance& ed);

}  // namespace qv
