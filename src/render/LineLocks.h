// Locked lines: LineFlags bit 0x100 protects a line from editing, and the
// read-only style bit (ES_READONLY, 0x800) locks every line at once. Editing
// callers ask IsRangeLocked before they change anything and refuse with a beep.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

// 1 when the control is read-only; otherwise 0x100 when the line carries the
// locked bit, 0 when it does not or does not exist.
uint32_t IsLineLocked(const EditorInstance& ed, LineNumber line);

// Nonzero (IsLineLocked of the first locked line) when any line from the line
// holding min(a, b) to the line holding max(a, b) is locked, else 0. Ends past the
// text stand for the last line. Leaves the current line on the lower end's line.
uint32_t IsRangeLocked(EditorInstance& ed, CharIndex a, CharIndex b);

// Sets (on != 0) or clears the locked bit of an existing line; other lines are
// ignored.
void SetLineLocked(EditorInstance& ed, LineNumber line, uint32_t on);

}  // namespace qv
