#include "core/support/DocumentInvariants.h"

#include <algorithm>
#include <cstring>

#include "edit/UndoLog.h"
#include "render/MarkerBits.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv::test {
namespace {

std::string At(const char* what, uint64_t where) { return std::string(what) + " " + std::to_string(where); }

}  // namespace

std::string StoreText(const EditorInstance& ed) {
    std::string text;
    for (LineNumber line = 0; line < LineCount(ed); ++line) {
        LineRecordView rec = LineRecordOf(ed, line);
        text.append(reinterpret_cast<const char*>(rec.chars()), rec.length());
    }
    return text;
}

bool StoreHolds(const EditorInstance& ed, const std::string& text) {
    size_t at = 0;
    for (LineNumber line = 0; line < LineCount(ed); ++line) {
        LineRecordView rec = LineRecordOf(ed, line);
        if (rec.length() > text.size() - at || std::memcmp(rec.chars(), text.data() + at, rec.length()) != 0)
            return false;
        at += rec.length();
    }
    return at == text.size();
}

bool UndoChain(const EditorInstance& ed, std::vector<uint32_t>& starts) {
    starts.clear();
    uint32_t end = ed.undoLogUsed;
    while (end != 0) {
        if (uint64_t(end) + 4 > ed.undoLogSize) return false;
        const uint32_t start = Load32(ed.undoLog + end);
        UndoRecord rec;
        if (start >= end || !ReadUndoRecord(ed, start, rec) || rec.end != end) return false;
        starts.push_back(start);
        end = start;
    }
    std::reverse(starts.begin(), starts.end());
    return true;
}

std::string CheckStore(const EditorInstance& ed, bool deep) {
    // ---- The areas ----
    if (!ed.lineIndex || !ed.lineHeap || !ed.undoLog) return "an area is missing";
    if (ed.lineIndexUsed < 4 || ed.lineIndexUsed % 4 != 0 || ed.lineIndexUsed > ed.lineIndexSize)
        return At("lineIndexUsed", ed.lineIndexUsed);
    if (ed.lineHeapUsed > ed.lineHeapSize) return At("lineHeapUsed", ed.lineHeapUsed);
    if (uint64_t(ed.undoLogUsed) + 4 > ed.undoLogSize) return At("undoLogUsed", ed.undoLogUsed);

    // ---- The lines ----
    const uint32_t count = LineCount(ed);
    // Kept between calls: the fuzzer checks after every step.
    static thread_local std::vector<CharIndex> starts;
    static thread_local std::vector<uint32_t> rows;  // non-hidden lines before each line
    starts.assign(count + 1, 0);
    rows.assign(count + 1, 0);
    uint32_t hidden = 0;
    bool runHasHeader = false;
    for (LineNumber line = 0; line < count; ++line) {
        const uint32_t offset = RecordOffset(ed, line);
        if (uint64_t(offset) + kMinRecordSize > ed.lineHeapUsed) return At("record outside the LineHeap, line", line);
        LineRecordView rec = RecordAt(ed, offset);
        if (rec.size() < kMinRecordSize || uint64_t(offset) + rec.size() > ed.lineHeapUsed)
            return At("record size, line", line);
        const uint32_t length = rec.length();
        if (length == 0 || uint64_t(length) + kRecChars > rec.size()) return At("record length, line", line);
        const uint8_t* chars = rec.chars();
        if (chars[length - 1] != kCR) return At("line does not end in its CR, line", line);
        if (std::find(chars, chars + length - 1, kCR) != chars + length - 1) return At("a CR inside line", line);
        starts[line + 1] = starts[line] + length;
        const uint32_t flags = rec.flags();
        const bool isHidden = (flags & kFlagHidden) != 0;
        rows[line + 1] = rows[line] + (isHidden ? 0 : 1);
        if (isHidden) {
            ++hidden;
            if (!runHasHeader && !(flags & kHostHiddenTag))
                return At("a hidden line with no folded block start above its run, line", line);
            if (rec.markerId() == kMarkerBlockFolded) runHasHeader = true;
        } else {
            runHasHeader = rec.markerId() == kMarkerBlockFolded;
        }
    }
    if (ed.hiddenLineCount != hidden)
        return At("hiddenLineCount", ed.hiddenLineCount) + ", lines hidden " + std::to_string(hidden);

    // ---- The caches ----
    if (ed.curLine < count) {
        if (ed.curLineSlot != 4 * ed.curLine) return At("curLineSlot", ed.curLineSlot);
        if (ed.curRecord != RecordOffset(ed, ed.curLine)) return At("curRecord of line", ed.curLine);
        if (ed.curLineStart != starts[ed.curLine]) return At("curLineStart of line", ed.curLine);
        if (ed.curLineLength != LineRecordOf(ed, ed.curLine).length())
            return At("curLineLength of line", ed.curLine) + ": " + std::to_string(ed.curLineLength) + ", not " +
                   std::to_string(LineRecordOf(ed, ed.curLine).length());
    }
    for (const ViewPane& pane : ed.panes) {
        if (pane.topLine >= count) continue;
        if (pane.topLineStart != starts[pane.topLine]) return At("topLineStart of line", pane.topLine);
        if (pane.topLineY != rows[pane.topLine] * ed.lineHeight) return At("topLineY of line", pane.topLine);
    }

    // ---- The mappings, which walk from the upper pane's cache ----
    for (const LineNumber line : {0u, count / 2, count - 1, ed.panes[0].topLine, ed.curLine}) {
        if (line >= count) continue;
        if (LineStart(ed, line) != starts[line]) return At("LineStart of line", line);
        if (LineToY(ed, line) != rows[line] * ed.lineHeight) return At("LineToY of line", line);
        const bool visible = !(LineRecordOf(ed, line).flags() & kFlagHidden);
        if (visible && ed.lineHeight && YToLine(ed, rows[line] * ed.lineHeight) != line)
            return At("YToLine of the row of line", line);
    }

    // ---- The selection and the undo log ----
    const CharIndex length = starts[count];
    if (ed.selAnchor > length || ed.caretPos > length)
        return "selection " + std::to_string(ed.selAnchor) + "-" + std::to_string(ed.caretPos) + " outside the text";
    if (ed.undoLogUsed != 0) {
        // The newest record always; the whole chain when `deep`.
        UndoRecord newest;
        const uint32_t start = Load32(ed.undoLog + ed.undoLogUsed);
        if (start >= ed.undoLogUsed || !ReadUndoRecord(ed, start, newest) || newest.end != ed.undoLogUsed)
            return "the undo log's newest record is broken";
    }

    if (deep) {
        std::vector<uint32_t> records;
        if (!UndoChain(ed, records)) return "the undo log's chain is broken";
        // memcmp in blocks: a byte loop would be traced compare by compare under
        // the fuzzer.
        static const uint8_t kZeros[4096] = {};
        for (uint32_t at = ed.lineHeapUsed; at < ed.lineHeapSize; at += sizeof kZeros) {
            const uint32_t n = std::min<uint32_t>(sizeof kZeros, ed.lineHeapSize - at);
            if (std::memcmp(ed.lineHeap + at, kZeros, n) != 0) return "a byte past lineHeapUsed is not zero";
        }
    }
    return {};
}

}  // namespace qv::test
