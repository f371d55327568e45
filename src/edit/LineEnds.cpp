#include "edit/LineEnds.h"

#include <cstring>

#include "base/Types.h"

namespace qv {

namespace {

// The first NUL or LF in [p, end), or end; a word at a time, since most pieces
// hold one LF per line and nothing else to change.
const uint8_t* FindNulOrLf(const uint8_t* p, const uint8_t* end) {
    using Word = size_t;
    constexpr Word kOnes = ~Word(0) / 0xFF;
    constexpr Word kHigh = kOnes * 0x80;
    while (static_cast<size_t>(end - p) >= sizeof(Word)) {
        Word w;
        std::memcpy(&w, p, sizeof w);
        const Word lf = w ^ (kOnes * kLF);
        // The lowest byte flagged is the first NUL or LF (a flag above it may be false).
        const Word hit = ((w - kOnes) & ~w & kHigh) | ((lf - kOnes) & ~lf & kHigh);
        if (hit) return p + (sizeof(Word) == 8 ? __builtin_ctzll(hit) : __builtin_ctzl(hit)) / 8;
        p += sizeof(Word);
    }
    while (p < end && *p != 0 && *p != kLF) ++p;
    return p;
}

}  // namespace

uint32_t LineEndNormaliser::Normalise(uint8_t* bytes, uint32_t n) {
    uint32_t kept = 0;
    bool afterCr = afterCr_;
    const uint8_t* const end = bytes + n;
    const uint8_t* p = bytes;
    while (p < end) {
        const uint8_t* stop = FindNulOrLf(p, end);
        const uint32_t run = static_cast<uint32_t>(stop - p);
        if (run > 0) {
            // Characters kept as they are; the last of them says whether a CR ends them.
            if (bytes + kept != p) std::memmove(bytes + kept, p, run);
            kept += run;
            afterCr = bytes[kept - 1] == kCR;
        }
        if (stop == end) break;
        if (*stop == kLF) {  // a NUL is dropped and leaves afterCr as it is: CR NUL LF is one break
            if (afterCr) {
                afterCr = false;  // the LF of a CR LF pair
            } else {
                bytes[kept++] = kCR;  // a lone LF is a line break of its own
            }
        }
        p = stop + 1;
    }
    afterCr_ = afterCr;
    return kept;
}

uint32_t StoredCharCount(const uint8_t* text, uint32_t n) {
    // As Normalise counts them, without writing.
    uint32_t count = 0;
    bool afterCr = false;
    const uint8_t* const end = text + n;
    const uint8_t* p = text;
    while (p < end) {
        const uint8_t* stop = FindNulOrLf(p, end);
        if (stop > p) {
            count += static_cast<uint32_t>(stop - p);
            afterCr = stop[-1] == kCR;
        }
        if (stop == end) break;
        if (*stop == kLF) {
            if (afterCr) afterCr = false;
            else ++count;
        }
        p = stop + 1;
    }
    return count;
}

}  // namespace qv
