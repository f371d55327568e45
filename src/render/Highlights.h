// Line highlights: bits 0-3 of a line's LineFlags choose its background. 1-6 are
// the highlight brushes (colours 11-15 and 26), 7-15 the system colour h - 1.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

// Sets the line's highlight to h & 0xF, keeping its other flags. False (nothing
// changed) for a line past the last.
bool SetLineHighlight(EditorInstance& ed, LineNumber line, uint32_t h);

// The line's highlight, or -1 past the last line.
int32_t GetLineHighlight(const EditorInstance& ed, LineNumber line);

// Clears to 0 the LineFlags of every line whose whole LineFlags equals `value`; with
// 9, of every line whose whole LineFlags is 1 to 9. A line that also carries a
// marker, a lock or the hidden bit never matches. Values other than the highlights
// 1 to 15 match nothing.
void ClearHighlights(EditorInstance& ed, uint32_t value);

}  // namespace qv
