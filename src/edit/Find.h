// Text search for EM_FINDTEXT and EM_FINDTEXTEX, forwards or backwards over the
// LineRecords. A match never spans a line end; the search leaves the selection
// alone (the host moves it with the result).
//
// The limit is checked once per line, not per column: a forward search tries the
// whole of every line that starts below the limit, a backward search the whole of
// every line below one that starts at or above it. A match may therefore begin
// beyond the limit in the last line searched.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

// Search flags, the platform's FR_ values carried in wParam.
constexpr uint32_t kFindDown = 1;       // FR_DOWN: forwards; clear: backwards
constexpr uint32_t kFindWholeWord = 2;  // FR_WHOLEWORD: no word character on either side
constexpr uint32_t kFindMatchCase = 4;  // FR_MATCHCASE: exact bytes; clear: a-z equal A-Z

struct FindRange {
    int32_t cpMin;
    int32_t cpMax;
};

// The platform-free form of FINDTEXT and FINDTEXTEX; the Windows layer fills it.
struct FindRequest {
    int32_t cpMin;        // where the search starts (-1 or beyond: the end of the text)
    int32_t cpMax;        // the limit; forwards -1 means the end, backwards 0 or -1 the start
    const char* pattern;  // NUL-terminated 8-bit text; nullptr finds nothing
    FindRange* found;     // the extended form's chrgText: receives the match, may be nullptr
};

// Word characters of FR_WHOLEWORD: ASCII digits and letters only.
inline bool IsFindWordChar(uint8_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Char index of the match's first character, or kNoIndex (-1). An empty pattern,
// or cpMin == cpMax, finds nothing. When `extended` and found, request.found
// receives the match: cpMin = the result, cpMax = the result + the pattern length.
// Leaves the current line on the line of cpMin.
CharIndex FindText(EditorInstance& ed, uint32_t flags, const FindRequest& request, bool extended);

}  // namespace qv
