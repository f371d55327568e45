#include "render/Folding.h"

#include "render/BlockStarts.h"
#include "render/HiddenLines.h"
#include "render/MarkerBits.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

// A block start's marker: markerId 1 or 2 and kind 4; the highlight, lock and
// hidden bits stay, and currentMarkerId is the host's.
void SetBlockState(EditorInstance& ed, LineNumber line, uint32_t id) {
    LineRecordView rec = LineRecordOf(ed, line);
    rec.setFlags((rec.flags() & ~kFlagMarkerMask) | kKindCurrent);
    rec.setMarkerId(id);
    rec.setMarkerLine(line);
}

// The first line from `from` on that matches the end pattern, or kNoLine.
LineNumber NextEndLine(const EditorInstance& ed, LineNumber from, const char* endPattern) {
    for (LineNumber line = from, count = LineCount(ed); line < count; ++line)
        if (MatchBlockPattern(ed, line, endPattern) >= 0) return line;
    return kNoLine;
}

// Folds the block from `start` to its end line `end` (start < end).
void FoldBetween(EditorInstance& ed, LineNumber start, LineNumber end) {
    ResetPaneCachesFromLine(ed, start + 1);
    SetBlockState(ed, start, kMarkerBlockFolded);
    for (LineNumber line = start + 1; line < end; ++line) SetHiddenBit(ed, line, true);
}

}  // namespace

bool FoldBlock(EditorInstance& ed, LineNumber line, const BlockPatterns* patterns) {
    if (line >= LineCount(ed) || !patterns || !patterns->end) return false;
    const LineNumber end = NextEndLine(ed, line + 1, patterns->end);
    if (end == kNoLine) return false;
    FoldBetween(ed, line, end);
    return true;
}

void UnfoldBlock(EditorInstance& ed, LineNumber line) {
    const uint32_t count = LineCount(ed);
    if (line >= count) return;
    SetBlockState(ed, line, kMarkerBlockOpen);
    ResetPaneCachesFromLine(ed, line + 1);
    for (LineNumber next = line + 1; next < count && SetHiddenBit(ed, next, false); ++next) {
    }
}

uint32_t FoldAllBlocks(EditorInstance& ed, const BlockPatterns* patterns) {
    if (!patterns || !patterns->end) return 0;
    uint32_t folded = 0;
    // The starts come in line order, so the end line found for one start is the
    // end of every later start before it: each line is matched once.
    LineNumber end = kNoLine;
    for (LineNumber line = 0, count = LineCount(ed); line < count; ++line) {
        if (MarkerIdOf(ed, line) != kMarkerBlockOpen) continue;
        if (end == kNoLine || end <= line) end = NextEndLine(ed, line + 1, patterns->end);
        if (end == kNoLine) break;  // no end line below: no later block closes either
        FoldBetween(ed, line, end);
        ++folded;
    }
    return folded;
}

uint32_t UnfoldAllBlocks(EditorInstance& ed) {
    uint32_t unfolded = 0;
    for (LineNumber line = 0, count = LineCount(ed); line < count; ++line)
        unfolded += UnfoldFoldedBlock(ed, line) ? 1 : 0;
    return unfolded;
}

bool UnfoldFoldedBlock(EditorInstance& ed, LineNumber line) {
    if (line >= LineCount(ed) || MarkerIdOf(ed, line) != kMarkerBlockFolded) return false;
    UnfoldBlock(ed, line);
    return true;
}

LineNumber FoldedHeaderOf(const EditorInstance& ed, LineNumber line) {
    if (line >= LineCount(ed) || !IsLineHiddenAt(ed, line)) return kNoLine;
    LineNumber topmost = kNoLine;
    while (line > 0) {
        --line;
        const bool folded = MarkerIdOf(ed, line) == kMarkerBlockFolded;
        if (!IsLineHiddenAt(ed, line)) return folded ? line : topmost;
        if (folded) topmost = line;
    }
    return topmost;  // every line above is hidden
}

bool UnfoldBlockHolding(EditorInstance& ed, LineNumber line) {
    const LineNumber header = FoldedHeaderOf(ed, line);
    if (header == kNoLine) return false;
    UnfoldBlock(ed, header);
    return true;
}

void UnfoldForEdit(EditorInstance& ed, CharIndex a, CharIndex b) {
    // Without hidden lines no edit can strand any (a folded start with nothing
    // hidden below it may stay as it is): typing costs no lookup for the guard.
    if (ed.hiddenLineCount == 0) return;
    if (a > b) {
        CharIndex t = a;
        a = b;
        b = t;
    }
    // The upper end first, so that the cache ends on the lower end's line.
    const LineNumber last = LocateChar(ed, b).line;
    const LineNumber first = LocateChar(ed, a).line;
    // The run the first line lies in may begin above the edit; every other run the
    // edit touches begins inside it, below a start line the loop meets.
    UnfoldBlockHolding(ed, first);
    for (LineNumber line = first; line <= last; ++line) UnfoldFoldedBlock(ed, line);
}

}  // namespace qv
