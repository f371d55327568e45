// Per-line markers kept in the LineRecords: the marker kind in LineFlags bits 4-7
// (it picks the image of the marker margin), and two marker words, the marker id
// and the line recorded with it.
//
//   markerId  0 none; 1 the start line of an unfolded block; 2 the start line of a
//             folded block; any other value a bookmark id chosen by the host.
//   kind      0x30 bookmark, 0x40 current bookmark or block state, 0x80 block start.
//
// Markers move with their lines and vanish with deleted lines. Lines inside a
// folded block carry the hidden bit (0x200) and are counted in hiddenLineCount;
// the block's start and end lines stay visible.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

constexpr uint32_t kMarkerBlockOpen = 1;    // start line of an unfolded block
constexpr uint32_t kMarkerBlockFolded = 2;  // start line of a folded block

constexpr uint32_t kKindBookmark = 0x30;
constexpr uint32_t kKindCurrent = 0x40;
constexpr uint32_t kKindBlockStart = 0x80;

// Marks an existing line with `id` and makes it the current marker: the low byte
// of its LineFlags becomes the current kind (0x40), or 0 for id 0 (the highlight
// index goes with it); markerLine records the line. Other lines are ignored.
void SetLineMarker(EditorInstance& ed, LineNumber line, uint32_t id);

// Opens the block that starts at `line`: marks it an unfolded block start and shows
// the hidden lines that follow it, up to the first visible one. Pane caches whose
// top line lies after the start are reset, since the rows below it move. A line
// that does not exist is ignored.
void UnfoldBlock(EditorInstance& ed, LineNumber line);

// Marks block starts: every line that matches `startPattern` gets marker kind 8
// (0x80). Both panes are invalidated. A NULL pattern marks nothing.
void MarkBlockStarts(EditorInstance& ed, const char* startPattern);

// The unfold guard every edit runs first: unfolds each folded block whose header
// or hidden lines lie on the lines from the line holding min(a, b) to the line
// holding max(a, b), so that no edit strands hidden lines without their header.
void UnfoldForEdit(EditorInstance& ed, CharIndex a, CharIndex b);

}  // namespace qv
