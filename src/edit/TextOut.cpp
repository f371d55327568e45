#include "edit/TextOut.h"

#include <algorithm>
#include <cstring>

#include "base/Types.h"
#include "edit/TextEdit.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {

uint32_t PutLineEnd(LineEnd end, uint8_t* out) {
    switch (end) {
        case LineEnd::Cr:
            out[0] = kCR;
            return 1;
        case LineEnd::Lf:
            out[0] = kLF;
            return 1;
        case LineEnd::CrLf:
            break;
    }
    out[0] = kCR;
    out[1] = kLF;
    return 2;
}

uint32_t CopyTextOut(EditorInstance& ed, CharIndex lo, CharIndex hi, LineEnd end, uint8_t* out,
                     uint32_t room) {
    if (hi <= lo) {
        LocateChar(ed, lo);
        return 0;
    }
    if (end == LineEnd::Cr) {  // as stored: the bulk copy
        const uint32_t n = std::min<uint32_t>(hi - lo, room);
        CopyStoredText(ed, lo, n, out);
        return n;
    }
    const CharLocation at = LocateChar(ed, lo);
    const uint32_t count = LineCount(ed);
    uint32_t remaining = hi - lo;
    uint32_t written = 0;
    uint32_t col = at.column;
    for (LineNumber line = at.line; remaining > 0 && line < count; ++line, col = 0) {
        LineRecordView rec = LineRecordOf(ed, line);
        const uint32_t length = rec.length();
        const uint32_t take = std::min(remaining, length - std::min(col, length));
        // A CR stands only at a line's end.
        const bool endsLine = take > 0 && col + take == length && rec.chars()[length - 1] == kCR;
        const uint32_t chars = take - (endsLine ? 1 : 0);
        const uint32_t fit = std::min(chars, room - written);
        std::memcpy(out + written, rec.chars() + col, fit);
        written += fit;
        if (fit < chars) break;
        if (endsLine) {
            if (room - written < LineEndBytes(end)) break;
            written += PutLineEnd(end, out + written);
        }
        remaining -= take;
    }
    return written;
}

}  // namespace qv
