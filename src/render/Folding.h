// Collapsible blocks. A block runs from a start line to the first later line that
// matches the end pattern; folding it hides the lines between the two, which then
// form a run of hidden lines right below the start line, and marks the start line
// a folded block (markerId 2). Blocks do not nest: the first end line after the
// start closes the block.
//
// What always holds: every hidden line that the host did not hide itself has,
// walking up over hidden lines, a folded block start above its run (FoldedHeaderOf
// finds it), so something can always show it again. The unfold guard of the edits
// keeps this true across every change of the text.
//
// Folding and unfolding leave currentMarkerId alone: it belongs to the host's
// bookmarks. A block start shows marker kind 4 and keeps its highlight.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"
#include "render/BlockPatterns.h"

namespace qv {

// Folds the block starting at `line`: hides the lines between it and the next line
// matching the end pattern of `patterns` and marks it folded. Pane caches whose
// top line lies after the start are reset. False, with nothing changed, when no
// end line follows, the line does not exist, or the pair or its end pattern is
// NULL.
bool FoldBlock(EditorInstance& ed, LineNumber line, const BlockPatterns* patterns);

// Opens the block that starts at `line`, as the host asks by message: marks it an
// unfolded block start and shows the hidden lines that follow it, up to the first
// visible one. Pane caches whose top line lies after the start are reset. A line
// that does not exist is ignored.
void UnfoldBlock(EditorInstance& ed, LineNumber line);

// Folds every block whose start is unfolded (markerId 1); answers the count folded.
// Nothing for a NULL pair or end pattern.
uint32_t FoldAllBlocks(EditorInstance& ed, const BlockPatterns* patterns);

// Opens every folded block (markerId 2); answers the count.
uint32_t UnfoldAllBlocks(EditorInstance& ed);

// The control's own unfold: opens the block at `line` only when the line starts a
// folded block (markerId 2); a bookmark or any other line is never touched. True
// when it opened one.
bool UnfoldFoldedBlock(EditorInstance& ed, LineNumber line);

// The folded block start whose run of hidden lines holds `line`: walking up over
// the hidden lines above it, the first visible line when that is a folded block
// start, else the topmost folded start among the hidden lines passed (a start the
// host hid, or one folded inside another block). kNoLine for a visible line, a
// line that does not exist, and a line the host hid with no folded start above it.
LineNumber FoldedHeaderOf(const EditorInstance& ed, LineNumber line);

// Opens the folded block that hides `line` (FoldedHeaderOf). True when it did.
bool UnfoldBlockHolding(EditorInstance& ed, LineNumber line);

// The unfold guard every edit runs first: opens each folded block whose start line
// or hidden lines lie on the lines from the line holding min(a, b) to the line
// holding max(a, b) (a join touches both of its lines: callers pass the CR and the
// position after it). No edit then strands hidden lines without their start line.
// May move the current line (to the lower end's line).
void UnfoldForEdit(EditorInstance& ed, CharIndex a, CharIndex b);

}  // namespace qv
