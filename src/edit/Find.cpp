#include "edit/Find.h"

#include <algorithm>
#include <cstring>

#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

// Case folding touches only a-z; every other byte compares as it is.
struct FoldTable {
    uint8_t to[256];
    constexpr FoldTable() : to() {
        for (int c = 0; c < 256; ++c) to[c] = static_cast<uint8_t>(c >= 'a' && c <= 'z' ? c & ~0x20 : c);
    }
};
constexpr FoldTable kFold;

inline uint8_t Fold(uint8_t c) { return kFold.to[c]; }

struct Pattern {
    const uint8_t* bytes;
    uint32_t length;
    bool matchCase;
    bool wholeWord;
    // The two bytes the first one matches: itself, and without FR_MATCHCASE its
    // other case when it is a letter (the same byte otherwise).
    uint8_t first;
    uint8_t firstOther;
};

Pattern MakePattern(const uint8_t* bytes, uint32_t length, bool matchCase, bool wholeWord) {
    Pattern p = {bytes, length, matchCase, wholeWord, bytes[0], bytes[0]};
    const uint8_t folded = Fold(bytes[0]);
    if (!matchCase && folded >= 'A' && folded <= 'Z') {
        p.first = folded;
        p.firstOther = static_cast<uint8_t>(folded | 0x20);
    }
    return p;
}

// Whether the pattern matches line `chars` (`length` stored characters) at
// `column`. The caller keeps column + pattern length <= length, so nothing past the
// line is read: the character after a match is tested only when the line has one.
bool MatchAt(const Pattern& p, const uint8_t* chars, uint32_t length, uint32_t column) {
    if (p.wholeWord && column > 0 && IsFindWordChar(chars[column - 1])) return false;
    const uint8_t* at = chars + column;
    if (p.matchCase) {
        if (std::memcmp(at, p.bytes, p.length) != 0) return false;
    } else {
        for (uint32_t k = 0; k < p.length; ++k)
            if (Fold(at[k]) != Fold(p.bytes[k])) return false;
    }
    const uint32_t after = column + p.length;
    if (p.wholeWord && after < length && IsFindWordChar(chars[after])) return false;
    return true;
}

// The first column from `column` to `last` (inclusive) whose byte can begin a
// match, found with memchr (one scan per case of the first byte); `last` + 1 when
// there is none.
uint32_t NextCandidate(const Pattern& p, const uint8_t* chars, uint32_t column, uint32_t last) {
    const size_t span = last - column + 1;
    const void* a = std::memchr(chars + column, p.first, span);
    if (p.first == p.firstOther) return a ? static_cast<uint32_t>(static_cast<const uint8_t*>(a) - chars) : last + 1;
    const size_t shorter = a ? static_cast<size_t>(static_cast<const uint8_t*>(a) - (chars + column)) : span;
    const void* b = std::memchr(chars + column, p.firstOther, shorter);
    const void* hit = b ? b : a;
    return hit ? static_cast<uint32_t>(static_cast<const uint8_t*>(hit) - chars) : last + 1;
}

CharIndex SearchForwards(EditorInstance& ed, const Pattern& p, CharIndex from, CharIndex limit) {
    const CharLocation where = LocateChar(ed, from);
    const uint32_t count = LineCount(ed);
    LineNumber line = where.line;
    uint32_t column = where.column;
    CharIndex lineStart = where.index - where.column;
    while (lineStart < limit) {  // unsigned: a limit of -1 is the end of the text
        if (line >= count) return kNoIndex;
        LineRecordView rec = LineRecordOf(ed, line);
        const uint32_t length = rec.length();
        if (p.length <= length && column <= length - p.length) {
            const uint32_t last = length - p.length;
            const uint8_t* chars = rec.chars();
            for (column = NextCandidate(p, chars, column, last); column <= last;
                 column = column < last ? NextCandidate(p, chars, column + 1, last) : last + 1) {
                if (MatchAt(p, chars, length, column)) return lineStart + column;
            }
        }
        lineStart += length;
        ++line;
        column = 0;
    }
    return kNoIndex;
}

CharIndex SearchBackwards(EditorInstance& ed, const Pattern& p, CharIndex from, int32_t limit) {
    const CharLocation where = LocateChar(ed, from);
    LineNumber line = where.line;
    CharIndex lineStart = where.index - where.column;
    // The first line ends the search at `from`: a match there ends at or before it.
    uint32_t end = where.column;
    for (;;) {
        LineRecordView rec = LineRecordOf(ed, line);
        const uint32_t length = rec.length();
        if (p.length <= end) {  // a pattern longer than what is left finds nothing here
            for (uint32_t column = end - p.length + 1; column-- > 0;)
                if (MatchAt(p, rec.chars(), length, column)) return lineStart + column;
        }
        // The limit is signed: 0 and -1 both reach the start of the text.
        if (line == 0 || static_cast<int64_t>(lineStart) < limit) return kNoIndex;
        --line;
        end = LineLength(ed, line);
        lineStart -= end;
    }
}

}  // namespace

CharIndex FindText(EditorInstance& ed, uint32_t flags, const FindRequest& request, bool extended) {
    if (request.pattern == nullptr) return kNoIndex;
    // Capped at 4 GB - 1, longer than any line: such a pattern matches nowhere.
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(std::strlen(request.pattern), UINT32_MAX));
    if (n == 0 || request.cpMin == request.cpMax) return kNoIndex;
    const Pattern p = MakePattern(reinterpret_cast<const uint8_t*>(request.pattern), n,
                                  (flags & kFindMatchCase) != 0, (flags & kFindWholeWord) != 0);
    const CharIndex from = static_cast<CharIndex>(request.cpMin);
    const CharIndex result = (flags & kFindDown)
                                 ? SearchForwards(ed, p, from, static_cast<CharIndex>(request.cpMax))
                                 : SearchBackwards(ed, p, from, request.cpMax);
    if (extended && result != kNoIndex && request.found != nullptr) {
        request.found->cpMin = static_cast<int32_t>(result);
        request.found->cpMax = static_cast<int32_t>(result + p.length);
    }
    return result;
}

}  // namespace qv
