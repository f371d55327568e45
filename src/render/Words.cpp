#include "render/Words.h"

#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {

CharIndex WordStart(EditorInstance& ed, CharIndex a) {
    CharLocation where = LocateChar(ed, a);
    const uint8_t* chars = CurrentRecord(ed).chars();
    uint32_t column = where.column;
    while (column > 0 && IsNameChar(chars[column - 1])) --column;
    return ed.curLineStart + column;
}

CharIndex WordEnd(EditorInstance& ed, CharIndex a) {
    CharLocation where = LocateChar(ed, a);
    LineRecordView rec = CurrentRecord(ed);
    const uint32_t length = rec.length();
    uint32_t column = where.column;
    while (column < length && IsNameChar(rec.chars()[column])) ++column;
    return ed.curLineStart + column;
}

CharIndex WordBackStart(EditorInstance& ed, CharIndex a) {
    CharLocation where = LocateChar(ed, a);
    const uint8_t* chars = CurrentRecord(ed).chars();
    const auto blank = [](uint8_t c) { return c == ' ' || c == kTab; };
    uint32_t column = where.column;
    // Past the line's CR (past the end of the text) the walk starts in front of it.
    const uint32_t length = CurrentRecord(ed).length();
    if (column > 0 && column == length && chars[length - 1] == kCR) --column;
    while (column > 0 && blank(chars[column - 1])) --column;
    if (column > 0 && IsNameChar(chars[column - 1])) {
        while (column > 0 && IsNameChar(chars[column - 1])) --column;
    } else {
        while (column > 0 && !blank(chars[column - 1]) && !IsNameChar(chars[column - 1])) --column;
    }
    return ed.curLineStart + column;
}

}  // namespace qv
