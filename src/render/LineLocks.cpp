#include "render/LineLocks.h"

#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {

uint32_t IsLineLocked(const EditorInstance& ed, LineNumber line) {
    if (ed.style & kStyleReadOnly) return 1;
    if (line >= LineCount(ed)) return 0;
    return LineRecordOf(ed, line).flags() & kFlagLocked;
}

uint32_t IsRangeLocked(EditorInstance& ed, CharIndex a, CharIndex b) {
    if (ed.style & kStyleReadOnly) return 1;
    if (a > b) {
        CharIndex t = a;
        a = b;
        b = t;
    }
    // The upper end first, so that the cache ends on the lower end's line, where
    // the edit that asked is about to work.
    const LineNumber last = LocateChar(ed, b).line;
    const LineNumber first = LocateChar(ed, a).line;
    for (LineNumber line = first; line <= last; ++line) {
        if (uint32_t locked = IsLineLocked(ed, line)) return locked;
    }
    return 0;
}

void SetLineLocked(EditorInstance& ed, LineNumber line, uint32_t on) {
    if (line >= LineCount(ed)) return;
    LineRecordView rec = LineRecordOf(ed, line);
    rec.setFlags(on ? rec.flags() | kFlagLocked : rec.flags() & ~kFlagLocked);
}

}  // namespace qv
