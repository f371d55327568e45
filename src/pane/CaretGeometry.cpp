#include "pane/CaretGeometry.h"

#include "base/Platform.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {

namespace {

int32_t Clamp32(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

}  // namespace

uint32_t ColumnFromX(const EditorInstance& ed, uint32_t recordOffset, int32_t x, bool* pastLineEnd) {
    Platform& platform = ThePlatform();
    const int32_t x0 = TextLeft(ed) + 1 - ed.panes[0].scrollX;
    *pastLineEnd = false;
    const uint32_t length = RecordAt(ed, recordOffset).length();
    // The column is the first character whose midpoint (between the right edges of
    // the prefixes before and after it) lies right of x; a CR passed over means the
    // point lies past the line's end.
    const TextWidths* widths = platform.TextWidthsOf(ed);
    if (widths == nullptr) {
        // Without the font's byte widths every prefix is measured whole: the
        // midpoints never decrease, so the column is searched for, in a number of
        // measurements that grows with the logarithm of the line's length.
        // (The record is re-read for each: nothing here holds a pointer across a
        // call.)
        auto rightOf = [&](uint32_t n) {
            return n == 0 ? x0 : x0 + platform.MeasureText(ed, RecordAt(ed, recordOffset).chars(), n);
        };
        uint32_t lo = 0, hi = length;
        while (lo < hi) {
            const uint32_t i = lo + (hi - lo) / 2;
            const int32_t right = rightOf(i), nextRight = rightOf(i + 1);
            if (nextRight - (nextRight - right) / 2 > x)
                hi = i;
            else
                lo = i + 1;
        }
        if (lo == length && length > 0 && RecordAt(ed, recordOffset).chars()[length - 1] == kCR)
            *pastLineEnd = true;
        return lo;
    }
    // With them each prefix is the one before plus a character (a TAB to its stop
    // from the line start), as measuring it whole would give.
    int32_t right = x0;
    int64_t prefix = 0;
    for (uint32_t i = 0; i < length; ++i) {
        const uint8_t* chars = RecordAt(ed, recordOffset).chars();
        prefix = AdvanceOver(*widths, prefix, chars + i, 1);
        int32_t nextRight = x0 + Clamp32(prefix);
        int32_t mid = nextRight - (nextRight - right) / 2;
        if (chars[i] == kCR && mid <= x) *pastLineEnd = true;
        if (mid > x) return i;
        right = nextRight;
    }
    return length;
}

CharIndex PointToChar(EditorInstance& ed, uint32_t s, int32_t x, int32_t y) {
    int64_t docY = static_cast<int64_t>(s) + y;
    LineNumber line = docY < 0 ? 0 : YToLine(ed, static_cast<uint32_t>(docY > UINT32_MAX ? UINT32_MAX : docY));
    uint32_t count = LineCount(ed);
    if (line >= count) line = count - 1;
    CharIndex start = LineStart(ed, line);
    ed.curLineStart = start;
    ed.curLine = line;
    ed.curLineSlot = 4 * line;
    ed.curRecord = RecordOffset(ed, line);
    // The whole cache names the new line: a notification reports its length.
    ed.curLineLength = CurrentRecord(ed).length();
    if (x == ed.panes[0].scrollX) return start;
    bool past = false;
    uint32_t column = ColumnFromX(ed, ed.curRecord, x, &past);
    uint32_t length = CurrentRecord(ed).length();
    ScrollStateOf(ed).hitPastLineEnd = past && column >= length && column > 0;
    return start + column;
}

Point CharToPoint(const EditorInstance& ed, CharIndex a) {
    LineNumber line = LineFromChar(ed, a);
    int32_t y = static_cast<int32_t>(LineToY(ed, line));
    CharIndex start = LineStart(ed, line);
    LineRecordView rec = LineRecordOf(ed, line);
    uint32_t column = a > start ? a - start : 0;
    if (column > rec.length()) column = rec.length();  // never measure past the line
    int32_t width = column ? ThePlatform().MeasureText(ed, rec.chars(), column) : 0;
    return {width + TextLeft(ed) + 1, y};
}

Point CharToPanePoint(const EditorInstance& ed, CharIndex a, uint32_t s) {
    Point p = CharToPoint(ed, a);
    if (ed.panes[0].scrollX > 0) p.x -= ed.panes[0].scrollX;
    p.y -= static_cast<int32_t>(s);
    return p;
}

}  // namespace qv
