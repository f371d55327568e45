#include "edit/LineEnds.h"

#include <cstring>

#include "base/ByteScan.h"
#include "base/Types.h"

namespace qv {

namespace {

// The first NUL or LF in [p, end), or end.
const uint8_t* FindNulOrLf(const uint8_t* p, const uint8_t* end) {
    return FindFirstOf(p, end, 0, kLF, kLF);
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

void LineEndCensus::Take(const uint8_t* bytes, uint32_t n) {
    const uint8_t* const end = bytes + n;
    const uint8_t* p = bytes;
    while (p < end && !Mixed()) {
        // Sixteen bytes a step where no NUL is; the rest, a block at a time, closely.
        p = ScanLineEnds(p, end, seen_, pendingCr_);
        if (p == end || Mixed()) break;
        const uint8_t* stop = end - p > 16 ? p + 16 : end;
        TakeSlowly(p, stop);
        p = stop;
    }
}

void LineEndCensus::TakeSlowly(const uint8_t* p, const uint8_t* end) {
    while (p < end && !Mixed()) {
        const uint8_t* stop = FindFirstOf(p, end, kCR, kLF, 0);
        if (stop != p && pendingCr_) {  // a character came after the CR: it stood alone
            seen_ |= kSawCr;
            pendingCr_ = false;
        }
        if (stop == end) break;
        if (*stop == kCR) {
            if (pendingCr_) seen_ |= kSawCr;
            if (stop + 1 < end && stop[1] == kLF) {  // the common pair, taken in one step
                seen_ |= kSawCrLf;
                pendingCr_ = false;
                p = stop + 2;
                continue;
            }
            pendingCr_ = true;
        } else if (*stop == kLF) {
            seen_ |= pendingCr_ ? kSawCrLf : kSawLf;
            pendingCr_ = false;
        }  // a NUL leaves a CR before it waiting for its LF
        p = stop + 1;
    }
}

LineEndKind LineEndCensus::Result() const {
    const uint8_t seen = seen_ | (pendingCr_ ? kSawCr : 0);
    switch (seen) {
        case 0:
            return LineEndKind::None;
        case kSawCrLf:
            return LineEndKind::CrLf;
        case kSawLf:
            return LineEndKind::Lf;
        case kSawCr:
            return LineEndKind::Cr;
        default:
            return LineEndKind::Mixed;
    }
}

LineEndKind FindLineEnds(const uint8_t* text, uint32_t n) {
    LineEndCensus census;
    census.Take(text, n);
    return census.Result();
}

}  // namespace qv
