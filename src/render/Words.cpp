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

}  // namespace qv
