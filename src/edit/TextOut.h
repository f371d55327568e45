// The text as the control hands it to a host: WM_GETTEXT, EM_GETTEXTRANGE,
// EM_GETSELTEXT and stream-out write each stored line end, the CR that ends a line,
// in the form the host chose. A host that saves what it reads then writes the line
// ends its file had.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

// What one stored CR becomes on the way out.
enum class LineEnd : uint8_t { Cr, CrLf, Lf };

constexpr uint32_t LineEndBytes(LineEnd end) { return end == LineEnd::CrLf ? 2 : 1; }

// Writes the bytes of `end` at `out` (which has room for them); answers their count.
uint32_t PutLineEnd(LineEnd end, uint8_t* out);

// Copies the stored characters lo ... hi - 1 (clamped by the caller) into `out`,
// each CR written as `end`: at most `room` bytes, and never half a CR LF (a pair
// that does not fit is left out whole). Answers the bytes written. With LineEnd::Cr
// the text goes out as stored, a line at a time. Leaves the current line on lo's.
uint32_t CopyTextOut(EditorInstance& ed, CharIndex lo, CharIndex hi, LineEnd end, uint8_t* out,
                     uint32_t room);

}  // namespace qv
