// The marker properties a line carries in its LineRecord besides its text:
//
//   LineFlags bits 0-3   highlight index (the line's background)
//             bits 4-7   marker kind, the image of the marker margin (kind n shows
//                        image n - 1): 3 bookmark, 4 current bookmark or block
//                        state, 8 block start (markerId 1 when the patterns
//                        found it). Bit 7 is also the painter's block-word bit,
//                        written only while the kind is 0 or 8 and markerId 0.
//             0x100      locked, 0x200 hidden (counted in hiddenLineCount)
//   markerId             0 none; 1 the start of an unfolded block; 2 the start of
//                        a folded block; any other value a bookmark id of the host
//   markerLine           the line index recorded with the marker
//
// The host's marker scans (enumeration, next, previous, clear) see a line only
// while the low byte of its LineFlags is exactly 0x30 or 0x40: a highlight or the
// block-word bit hides a marker from them. The control's own block searches look
// at markerId alone, whatever the low byte holds, so a highlighted block start
// still folds and unfolds.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"
#include "store/LineRecord.h"

namespace qv {

constexpr uint32_t kMarkerNone = 0;
constexpr uint32_t kMarkerBlockOpen = 1;    // start line of an unfolded block
constexpr uint32_t kMarkerBlockFolded = 2;  // start line of a folded block

constexpr uint32_t kKindBookmark = 0x30;
constexpr uint32_t kKindCurrent = 0x40;
constexpr uint32_t kKindBlockStart = 0x80;

// "No such line" of the searches; the messages answer it as -1.
constexpr LineNumber kNoLine = 0xFFFFFFFFu;

// Marked as the host's scans count it: low byte exactly 0x30 or 0x40.
inline bool IsScannedMarker(uint32_t flags) {
    const uint32_t low = flags & 0xFF;
    return low == kKindBookmark || low == kKindCurrent;
}

// The marker id of an existing line.
inline uint32_t MarkerIdOf(const EditorInstance& ed, LineNumber line) { return LineRecordOf(ed, line).markerId(); }

}  // namespace qv
