// Bookmarks: marker ids chosen by the host, kept in the lines' marker words, and
// the current marker (currentMarkerId), which only the host's bookmark operations
// below change.
//
// The enumeration record (EMX_ENUMMARKERS) is read by hosts, so its layout is a
// binary contract: ten (marker id, line) pairs of 32-bit values from byte 0, and
// the current marker id at byte 80; 84 bytes in all. The control writes no count
// and no terminator, and never writes past byte 84: marked lines after the tenth
// get no pair.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

constexpr uint32_t kEnumPairCapacity = 10;
constexpr uint32_t kEnumCurrentIdOffset = 80;
constexpr uint32_t kEnumRecordSize = 84;

struct MarkerEnumeration {
    uint32_t pairs[kEnumPairCapacity][2];  // marker id, line index
    uint32_t currentId;
};
static_assert(sizeof(MarkerEnumeration) == kEnumRecordSize, "MarkerEnumeration layout");
static_assert(offsetof(MarkerEnumeration, currentId) == kEnumCurrentIdOffset, "MarkerEnumeration layout");

// The answer of GetLineMarker for a line that does not exist (-1 to the host).
constexpr uint32_t kNoMarker = 0xFFFFFFFFu;

// Marks an existing line with `id` and makes it the current marker: the low byte
// of its LineFlags becomes kind 4 (0x40), or 0 for id 0 (its highlight goes with
// it); markerLine records the line. A folded block starting at the line is opened
// first. Other lines are ignored.
void SetLineMarker(EditorInstance& ed, LineNumber line, uint32_t id);

// The line's markerId, which also becomes the current marker; kNoMarker, with
// nothing changed, for a line that does not exist.
uint32_t GetLineMarker(EditorInstance& ed, LineNumber line);

// For every marked line (low byte 0x30 or 0x40): markerLine becomes its index, and
// unless it carries the current marker its kind becomes 3 (bookmark). With a record
// (84 bytes), writes the first ten (id, line) pairs in line order and, when a
// marked line carries the current marker, its id at byte 80.
void EnumerateMarkers(EditorInstance& ed, void* record);

// Opens every folded block, then clears every marked line: its low byte, markerId
// and markerLine become 0. Lines the host hid stay hidden.
void ClearMarkers(EditorInstance& ed);

// The first marked line after `line` / the last one before it whose markerId is
// `id`; kNoLine when there is none or `line` does not exist.
LineNumber FindNextMarker(const EditorInstance& ed, LineNumber line, uint32_t id);
LineNumber FindPrevMarker(const EditorInstance& ed, LineNumber line, uint32_t id);

// Selects a marker: the first line whose markerId is `id` gets kind 4 (its lock and
// hidden bits stay, its highlight goes) and `id` becomes the current marker.
// kNoLine, with nothing changed, when no line carries it, or for id 0 (which every
// unmarked line would carry).
LineNumber FindMarker(EditorInstance& ed, uint32_t id);

}  // namespace qv
