#include "render/HiddenLines.h"

#include "render/Folding.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {

bool SetHiddenBit(EditorInstance& ed, LineNumber line, bool hidden) {
    LineRecordView rec = LineRecordOf(ed, line);
    const uint32_t flags = rec.flags();
    if (((flags & kFlagHidden) != 0) == hidden) return false;
    rec.setFlags(flags ^ kFlagHidden);
    if (hidden) {
        ++ed.hiddenLineCount;
    } else if (ed.hiddenLineCount) {
        --ed.hiddenLineCount;
    }
    return true;
}

void SetLineHidden(EditorInstance& ed, LineNumber line, uint32_t hide) {
    if (line >= LineCount(ed)) return;
    // Showing one line of a folded block alone would leave the block's lines after
    // it hidden with no start line above them: nothing could show them again.
    if (!hide) UnfoldBlockHolding(ed, line);
    if (SetHiddenBit(ed, line, hide != 0)) ResetPaneCachesFromLine(ed, line);
}

uint32_t IsLineHidden(const EditorInstance& ed, LineNumber line) {
    return line < LineCount(ed) ? LineRecordOf(ed, line).flags() & kFlagHidden : 0;
}

}  // namespace qv
