// A control's line-end setting (EMX_SETLINEENDS) and the line ends its last
// whole-text load found (EMX_GETLOADEDLINEENDS), both kept in its ControlPrivate,
// and what the setting makes of the text the control hands out. The default
// setting keeps the answers hosts were written for: single CRs from WM_GETTEXT and
// the range copies, CR LF from stream-out with a final line end, and a text length
// that counts CR LF.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"
#include "edit/LineEnds.h"
#include "edit/TextOut.h"

namespace qv {

// True for a value EMX_SETLINEENDS takes: a style of 0-3, maybe with
// QV_LINEENDS_NOFINAL.
bool IsLineEndSetting(uint32_t value);

// The line end WM_GETTEXT, EM_GETTEXTRANGE and EM_GETSELTEXT write.
LineEnd CopiedLineEnd(EditorInstance& ed);
// The line end EM_STREAMOUT writes.
LineEnd StreamedLineEnd(EditorInstance& ed);
// Whether a whole-document stream-out ends a last line holding text with a line end.
bool StreamsFinalLineEnd(EditorInstance& ed);
// Whether WM_GETTEXTLENGTH counts a line end as two: under the default setting (a
// safe size for the single CRs WM_GETTEXT copies) and under CR LF.
bool LengthCountsCrLf(EditorInstance& ed);

// Keeps what a whole-text load found, for EMX_GETLOADEDLINEENDS.
void RememberLoadedLineEnds(EditorInstance& ed, LineEndKind kind);
// Answers it as a QV_LINEENDS_ value.
uint32_t LoadedLineEndsValue(EditorInstance& ed);

}  // namespace qv
