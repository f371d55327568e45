#include "render/BlockStarts.h"

#include "base/Platform.h"
#include "render/MarkerBits.h"
#include "render/Words.h"
#include "store/LineRecord.h"

namespace qv {
namespace {

bool IsBlank(uint8_t c) { return c == ' ' || c == kTab; }
uint8_t Upper(uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 0x20) : c; }

}  // namespace

int32_t MatchBlockPattern(const EditorInstance& ed, LineNumber line, const char* pattern) {
    if (!pattern || line >= LineCount(ed)) return -1;
    LineRecordView rec = LineRecordOf(ed, line);
    const uint8_t* t = rec.chars();
    uint32_t n = rec.length();
    if (n != 0 && t[n - 1] == kCR) --n;
    const auto* s = reinterpret_cast<const uint8_t*>(pattern);

    uint32_t col = 0;
    while (col < n && IsBlank(t[col])) ++col;
    if (col >= n) return -1;
    if (*s == '$') {
        ++s;
        while (col < n && IsNameChar(t[col])) ++col;
        if (col >= n || !IsBlank(t[col])) return -1;
        if (*s == ' ') {
            ++s;
            while (col < n && IsBlank(t[col])) ++col;
            if (col >= n) return -1;
        }
    }
    const uint32_t start = col;
    for (; *s != 0 && *s != '$'; ++s, ++col) {
        if (col >= n || Upper(*s) != Upper(t[col])) return -1;
    }
    if (col < n && IsNameChar(t[col])) return -1;
    return static_cast<int32_t>(start);
}

void MarkBlockStarts(EditorInstance& ed, const char* startPattern) {
    if (!startPattern) return;
    for (LineNumber line = 0, count = LineCount(ed); line < count; ++line) {
        if (MatchBlockPattern(ed, line, startPattern) < 0) continue;
        LineRecordView rec = LineRecordOf(ed, line);
        const uint32_t flags = rec.flags();
        const uint32_t kind = flags & kFlagMarkerMask;
        if (kind != 0 && kind != kKindBlockStart) continue;
        if (rec.markerId() != kMarkerNone && rec.markerId() != kMarkerBlockOpen) continue;
        rec.setFlags((flags & ~kFlagMarkerMask) | kKindBlockStart);
        rec.setMarkerId(kMarkerBlockOpen);
        rec.setMarkerLine(line);
    }
    ThePlatform().InvalidateRect(ed.panes[1].hwnd, nullptr, false);
    ThePlatform().InvalidateRect(ed.panes[0].hwnd, nullptr, false);
}

}  // namespace qv
