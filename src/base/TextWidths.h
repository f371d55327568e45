// How the text font measures a line, byte by byte: the widths the platform's
// text measurement (DrawTextExA with DT_CALCRECT, DT_EXPANDTABS and tab length
// tabWidth) gives, when it gives the sum of each character's own width and moves
// a TAB to the next tab stop after the pen. The platform hands such a table out
// only after checking that its measurement really adds up this way for the font
// (a two-byte code page or an overhanging font does not), and then every width of
// a line is arithmetic: a measurement of a prefix costs no call to the platform,
// and the caret's x on a line of a million characters costs a walk over its TABs.
#pragma once

#include <cstdint>

namespace qv {

struct TextWidths {
    int32_t advance[256];  // each byte measured alone; the TAB's entry is not used
    int32_t tabStop;       // the distance between tab stops, > 0
    int32_t uniform;       // every byte but TAB is this wide, or 0 when they differ
};

// Pen position after the n bytes at `text` drawn from x, tab stops being the
// multiples of tabStop (x measured from where the stops start).
int64_t AdvanceOver(const TextWidths& widths, int64_t x, const uint8_t* text, uint32_t n);

// Width of the first n bytes of a line: its right edge drawn from 0.
inline int64_t PrefixWidth(const TextWidths& widths, const uint8_t* text, uint32_t n) {
    return AdvanceOver(widths, 0, text, n);
}

// The tab stop after x: the next multiple of tabStop strictly right of it.
inline int64_t NextTabStop(const TextWidths& widths, int64_t x) {
    const int64_t stop = widths.tabStop;
    // Pens inside 32 bits (all of them in practice) divide in 32 bits: on x86 a
    // 64-bit division is a library call, and a long line has thousands of TABs.
    if (x >= 0 && x <= INT32_MAX && stop <= INT32_MAX)
        return (static_cast<int64_t>(static_cast<uint32_t>(x) / static_cast<uint32_t>(stop)) + 1) * stop;
    const int64_t q = x >= 0 ? x / stop : -((-x + stop - 1) / stop);  // floor
    return (q + 1) * stop;
}

}  // namespace qv
