// The text of a line number in the line-number margin.
#pragma once

#include <cstdint>

namespace qv {

// The most digits a 32-bit value can need (base 2), and so the longest text.
constexpr uint32_t kMaxNumberDigits = 32;
using NumberText = char[kMaxNumberDigits + 1];

// Line numbers are drawn in base 10, zero-padded to six digits while
// padLineNumbers is set.
constexpr uint32_t kLineNumberBase = 10;
constexpr uint32_t kLineNumberPadDigits = 6;

// Numbers are drawn right-aligned kLineNumberRightGap pixels left of their
// margin's right edge (its last pixel is the divider) and keep kLineNumberLeftGap
// pixels free on their left: a margin shows a number of width w whole when it is
// at least w + both gaps wide.
constexpr uint32_t kLineNumberRightGap = 4;
constexpr uint32_t kLineNumberLeftGap = 3;

// The characters of the widest number a margin shows for `lineCount` lines (the
// last line's number, padded to kLineNumberPadDigits while `pad` is nonzero).
uint32_t WidestNumberLength(uint32_t lineCount, uint32_t pad);

// Writes `value` in `base`, most significant digit first, NUL-terminated, and
// answers the number of characters written. Digits above 9 are 'A'-'Z'. When the
// value has fewer digits than `minDigits` and `pad` is nonzero, the text is filled
// with '0' on the left to exactly `minDigits` characters. The value 0 has no
// digits: it gives "" unless padded.
//
// A base outside 2-36 is taken as 10; `minDigits` above kMaxNumberDigits is taken
// as kMaxNumberDigits, so the text always fits `out`.
uint32_t FormatLineNumber(uint32_t value, NumberText& out, uint32_t base, uint32_t minDigits, uint32_t pad);

}  // namespace qv
