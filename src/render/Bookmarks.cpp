#include "render/Bookmarks.h"

#include "render/Folding.h"
#include "render/MarkerBits.h"
#include "store/LineRecord.h"

namespace qv {

void SetLineMarker(EditorInstance& ed, LineNumber line, uint32_t id) {
    if (line >= LineCount(ed)) return;
    // A folded block's start that became a bookmark would leave the block's hidden
    // lines below a line that no longer shows them again.
    UnfoldFoldedBlock(ed, line);
    ed.currentMarkerId = id;
    LineRecordView rec = LineRecordOf(ed, line);
    rec.setFlags((rec.flags() & ~0xFFu) | (id ? kKindCurrent : 0));
    rec.setMarkerId(id);
    rec.setMarkerLine(line);
}

uint32_t GetLineMarker(EditorInstance& ed, LineNumber line) {
    if (line >= LineCount(ed)) return kNoMarker;
    ed.currentMarkerId = MarkerIdOf(ed, line);
    return ed.currentMarkerId;
}

void EnumerateMarkers(EditorInstance& ed, void* record) {
    auto* out = static_cast<uint8_t*>(record);
    uint32_t pairs = 0;
    for (LineNumber line = 0, count = LineCount(ed); line < count; ++line) {
        LineRecordView rec = LineRecordOf(ed, line);
        if (!IsScannedMarker(rec.flags())) continue;
        rec.setMarkerLine(line);
        const uint32_t id = rec.markerId();
        const bool current = id == ed.currentMarkerId;
        if (!current) rec.setFlags((rec.flags() & ~0xFFu) | kKindBookmark);
        if (!out) continue;
        if (pairs < kEnumPairCapacity) {
            Store32(out + 8 * pairs, id);
            Store32(out + 8 * pairs + 4, line);
            ++pairs;
        }
        if (current) Store32(out + kEnumCurrentIdOffset, id);
    }
}

void ClearMarkers(EditorInstance& ed) {
    // A folded block whose start lost its marker could never be opened again.
    UnfoldAllBlocks(ed);
    for (LineNumber line = 0, count = LineCount(ed); line < count; ++line) {
        LineRecordView rec = LineRecordOf(ed, line);
        if (!IsScannedMarker(rec.flags())) continue;
        rec.setFlags(rec.flags() & ~0xFFu);
        rec.setMarkerId(0);
        rec.setMarkerLine(0);
    }
}

LineNumber FindNextMarker(const EditorInstance& ed, LineNumber line, uint32_t id) {
    const uint32_t count = LineCount(ed);
    if (line >= count) return kNoLine;
    for (LineNumber next = line + 1; next < count; ++next) {
        LineRecordView rec = LineRecordOf(ed, next);
        if (IsScannedMarker(rec.flags()) && rec.markerId() == id) return next;
    }
    return kNoLine;
}

LineNumber FindPrevMarker(const EditorInstance& ed, LineNumber line, uint32_t id) {
    if (line >= LineCount(ed)) return kNoLine;
    while (line > 0) {
        LineRecordView rec = LineRecordOf(ed, --line);
        if (IsScannedMarker(rec.flags()) && rec.markerId() == id) return line;
    }
    return kNoLine;
}

LineNumber FindMarker(EditorInstance& ed, uint32_t id) {
    if (id == kMarkerNone) return kNoLine;
    for (LineNumber line = 0, count = LineCount(ed); line < count; ++line) {
        LineRecordView rec = LineRecordOf(ed, line);
        if (rec.markerId() != id) continue;
        rec.setFlags((rec.flags() & ~0xFFu) | kKindCurrent);
        ed.currentMarkerId = id;
        return line;
    }
    return kNoLine;
}

}  // namespace qv
