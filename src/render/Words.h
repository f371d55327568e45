// Word helpers of the double click, the Ctrl+arrow and Ctrl+Backspace keys,
// EM_FINDWORDBREAK and EMX_GETWORD: they move
// over name characters within one line and never cross a line end (a CR is not a
// name character, and the walk stops at the line's ends even when it were).
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

// Name characters: '0'-'9', '?', '@', 'A'-'Z', 'a'-'z' and '_'. The same set
// delimits names in the block patterns.
inline bool IsNameChar(uint8_t c) {
    return (c >= '0' && c <= '9') || (c >= 0x3F && c <= 0x5A) || (c >= 'a' && c <= 'z') || c == '_';
}

// Char index of the first of the name characters that end at `a` (`a` itself when
// the character before it is not one, or `a` starts its line). An index past the
// end of the text is clamped first. Leaves the current line on `a`'s line.
CharIndex WordStart(EditorInstance& ed, CharIndex a);

// Char index after the last of the name characters that start at `a` (`a` itself
// when the character at it is not one). Clamped and cached as WordStart.
CharIndex WordEnd(EditorInstance& ed, CharIndex a);

// Where Ctrl+Backspace at `a` deletes back to: over the blanks (spaces and TABs)
// before `a`, then over the word before them, a run of name characters or a run of
// other characters that are not blanks. When only blanks stand before `a` on its
// line, the line's start. Clamped and cached as WordStart.
CharIndex WordBackStart(EditorInstance& ed, CharIndex a);

}  // namespace qv
