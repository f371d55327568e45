#include "render/Highlights.h"

#include "store/LineRecord.h"

namespace qv {

bool SetLineHighlight(EditorInstance& ed, LineNumber line, uint32_t h) {
    if (line >= LineCount(ed)) return false;
    LineRecordView rec = LineRecordOf(ed, line);
    rec.setFlags((rec.flags() & ~kFlagHiliteMask) | (h & kFlagHiliteMask));
    return true;
}

int32_t GetLineHighlight(const EditorInstance& ed, LineNumber line) {
    if (line >= LineCount(ed)) return -1;
    return static_cast<int32_t>(LineRecordOf(ed, line).flags() & kFlagHiliteMask);
}

void ClearHighlights(EditorInstance& ed, uint32_t value) {
    // Only highlight values: a value with marker, lock or hidden bits would clear
    // those bits on every line that carries nothing else (and unhide lines behind
    // hiddenLineCount's back).
    if (value == 0 || value > kFlagHiliteMask) return;
    for (LineNumber line = 0, count = LineCount(ed); line < count; ++line) {
        LineRecordView rec = LineRecordOf(ed, line);
        uint32_t flags = rec.flags();
        bool match = value == 9 ? (flags >= 1 && flags <= 9) : flags == value;
        if (match) rec.setFlags(0);
    }
}

}  // namespace qv
