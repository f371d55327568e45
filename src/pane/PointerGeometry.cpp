#include "pane/PointerGeometry.h"

#include "base/Platform.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

// Division rounding toward minus infinity, for points left of or above a pane.
int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int32_t Clamp32(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

}  // namespace

CharIndex TextEnd(const EditorInstance& ed) {
    const CharIndex stored = StoredLength(ed);
    return stored ? stored - 1 : 0;
}

uint32_t LastCaretColumn(const EditorInstance& ed, LineNumber line) {
    const uint32_t count = LineCount(ed);
    if (count == 0) return 0;
    if (line >= count) line = count - 1;
    const uint32_t length = LineLength(ed, line);
    return line == count - 1 && length > 0 ? length - 1 : length;
}

int32_t GridX(const EditorInstance& ed, int32_t x) {
    if (ed.charWidth == 0) return Clamp32(static_cast<int64_t>(x) + 4);
    const int64_t w = ed.charWidth;
    return Clamp32(FloorDiv(x, w) * w + 4);
}

int32_t RowTopAt(const EditorInstance& ed, int32_t scrollY, int32_t y) {
    const int64_t docY = static_cast<int64_t>(y) + scrollY;
    const int64_t row = ed.lineHeight ? docY / ed.lineHeight * ed.lineHeight : docY;  // toward zero
    return Clamp32(row - scrollY);
}

int32_t OneCharWidth(const EditorInstance& ed, int32_t avgCharWidth) {
    return ed.fixedPitch ? static_cast<int32_t>(ed.charWidth) : avgCharWidth;
}

int32_t CharWidthAt(const EditorInstance& ed, LineNumber line, uint32_t column) {
    if (line >= LineCount(ed)) return 0;
    LineRecordView rec = LineRecordOf(ed, line);
    if (column >= rec.length()) return 0;
    Platform& platform = ThePlatform();
    const int32_t before = column ? platform.MeasureText(ed, rec.chars(), column) : 0;
    // Measuring never moves the record, but nothing holds a pointer across a call.
    const int32_t after = platform.MeasureText(ed, LineRecordOf(ed, line).chars(), column + 1);
    return after - before;
}

}  // namespace qv
