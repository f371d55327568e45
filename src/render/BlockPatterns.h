// The block patterns: the block-start and block-end patterns that a stream-in
// marks block starts with, the same for every control.
//
// The same two pointers, start first, are the pattern pair a host passes by address
// to EMX_MARKBLOCKS, EMX_FOLDBLOCK and EMX_FOLDALL.
#pragma once

namespace qv {

struct BlockPatterns {
    const char* start;
    const char* end;
};
static_assert(sizeof(BlockPatterns) == 2 * sizeof(const char*), "the host's pattern pair");

// "$ proc" and "$ endp".
constexpr BlockPatterns kBlockPatterns = {"$ proc", "$ endp"};

}  // namespace qv
