// The process-wide block patterns: the block-start and block-end patterns that a
// stream-in marks block starts with. Every new control resets them.
#pragma once

namespace qv {

struct BlockPatterns {
    const char* start;
    const char* end;
};
extern BlockPatterns gBlockPatterns;

// "$ proc" and "$ endp".
void ResetBlockPatterns();

}  // namespace qv
