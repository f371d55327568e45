// Block patterns and the block starts found with them.
//
// A pattern is a NUL-terminated text such as "$ proc". A leading '$' stands for a
// name (name characters, as in Words.h), which the line must follow with a blank
// (space or tab); a space right after the '$' matches all the blanks after the
// name. The rest, up to the NUL or a further '$', is a literal compared without
// regard to case ('a'-'z' only), and the line's character after it must not be a
// name character (so "$ proc" does not match "x procedure"). Blanks before the
// line's first text are always skipped; the line's CR is not part of its text.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

// The column where the pattern's literal begins on `line`, or -1: no match, a
// line that does not exist, or a NULL pattern.
int32_t MatchBlockPattern(const EditorInstance& ed, LineNumber line, const char* pattern);

// Marks block starts: every line that matches `startPattern` gets marker kind 8
// (block start) and becomes the start of an unfolded block (markerId 1), so that
// folding every block folds it; but only while its kind is 0 or 8 and it carries
// no other marker id, so bookmarks and block states keep theirs; the highlight,
// lock and hidden bits stay. Lines that do not match are left as they are. Both
// panes are invalidated (no erase). A NULL pattern marks nothing.
void MarkBlockStarts(EditorInstance& ed, const char* startPattern);

}  // namespace qv
