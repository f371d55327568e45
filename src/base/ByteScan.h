// Finding the first of a few byte values in a text: line ends, NULs, TABs. Loading,
// measuring and normalising scan every byte of a text this way, and a library
// memchr per value and line would cost more in calls than in bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv {

// The first byte in [p, end) equal to a, b or c, or end. Sixteen bytes a step where
// the processor has SSE2 (every x86 processor that runs a supported Windows; the
// check is made once), a word at a time otherwise.
const uint8_t* FindFirstOf(const uint8_t* p, const uint8_t* end, uint8_t a, uint8_t b, uint8_t c);

// Whether the processor has SSE2 (asked once).
bool ProcessorHasSse2();

// The kinds of line ends ScanLineEnds meets, as bits.
constexpr uint8_t kSawCrLf = 1;  // a CR with an LF right after it
constexpr uint8_t kSawLf = 2;    // an LF without a CR right before it
constexpr uint8_t kSawCr = 4;    // a CR without an LF right after it

// Finds the kinds of line ends in [p, end) sixteen bytes a step where the processor
// has SSE2, ORing them into `seen`; `afterCr` says whether the byte before p was a
// CR, and at the end whether the last byte looked at is one (its kind is not known
// yet). Stops in front of the first block of sixteen that holds a NUL (a NUL between
// a CR and its LF needs a closer look), in front of the last bytes that fill no
// block, and once `seen` holds two kinds. Answers where it stopped: p itself
// without SSE2.
const uint8_t* ScanLineEnds(const uint8_t* p, const uint8_t* end, uint8_t& seen, bool& afterCr);

// The word-at-a-time scan alone (the tests hold both scans to the same answers).
const uint8_t* FindFirstOfByWords(const uint8_t* p, const uint8_t* end, uint8_t a, uint8_t b, uint8_t c);

// The length of the NUL-terminated text at s. On Windows the library's strlen goes
// byte by byte, and a 20 MB WM_SETTEXT spent a tenth of its time in it: there the
// text is read sixteen aligned bytes a step (an aligned read never reaches into the
// next page, so nothing past the NUL's own page is touched). Elsewhere, and under
// the address sanitizer, it is the library's strlen.
size_t TextLength(const char* s);

}  // namespace qv
