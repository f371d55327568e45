// Hidden lines: LineFlags bit 0x200. A hidden line has no pixel row; the lines a
// folded block hides carry it, and so do the lines a host hides itself
// (EMX_SETLINEHIDDEN). hiddenLineCount always equals the number of lines that
// carry the bit.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

// Sets (hide != 0) or clears the bit of an existing line, counting it, and resets
// the top-line cache of every pane whose top line is that line or lies after it.
// Showing a line that lies inside a folded block opens that block first, so the
// block's other hidden lines keep their start line right above them. Other lines
// are ignored.
void SetLineHidden(EditorInstance& ed, LineNumber line, uint32_t hide);

// 0x200 when the line is hidden, 0 when not or when it does not exist.
uint32_t IsLineHidden(const EditorInstance& ed, LineNumber line);

// The bit alone, counted: true when it changed. The caller has checked the line
// and resets the pane caches.
bool SetHiddenBit(EditorInstance& ed, LineNumber line, bool hidden);

}  // namespace qv
