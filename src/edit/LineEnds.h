// Line ends of text that comes from outside: a host's stream, WM_SETTEXT,
// EM_REPLACESEL and the clipboard. The store keeps one CR per line end and never
// an LF, so CR LF, a lone CR and a lone LF each become one stored CR (text from a
// Unix tool keeps its lines). NUL bytes are no characters of the text: they are
// dropped, and a CR LF pair with NULs between stays one break. What the line ends
// were is not stored, but a whole-text load finds it (LineEndCensus), so a host
// can write the text back as it came.
#pragma once

#include <cstdint>

namespace qv {

// Normalises a text that arrives in pieces: whether the last byte kept was a CR
// is carried from one piece to the next, so a CR LF pair split between two pieces
// is one line break.
class LineEndNormaliser {
public:
    // What Map answers for a byte that is not stored.
    static constexpr int kDropped = -1;

    // The stored form of the next byte of the text: the byte itself, a CR for an
    // LF that does not follow a CR, or kDropped for the LF of a CR LF pair and for
    // a NUL.
    int Map(uint8_t b) {
        if (b == 0) return kDropped;  // transparent: CR NUL LF is still one break
        if (b == 0x0A) {
            if (afterCr_) {
                afterCr_ = false;
                return kDropped;
            }
            return 0x0D;
        }
        afterCr_ = b == 0x0D;
        return b;
    }
    // Rewrites the n bytes at `bytes` in place and answers how many it kept (never
    // more than n): NULs dropped, an LF after a CR dropped, any other LF made a CR.
    uint32_t Normalise(uint8_t* bytes, uint32_t n);
    // Forgets the piece before: the next LF is a line break of its own.
    void Reset() { afterCr_ = false; }

private:
    bool afterCr_ = false;
};

// The number of characters the n bytes of `text` store as one whole text.
uint32_t StoredCharCount(const uint8_t* text, uint32_t n);

// The line ends a text had before they became CRs: one kind throughout, several
// kinds, or none at all.
enum class LineEndKind : uint8_t { None, CrLf, Lf, Cr, Mixed };

// Finds the kind of line ends of a text that arrives in pieces, reading them as
// LineEndNormaliser does: a CR and the LF after it (NULs between them aside, and
// in two pieces too) are one CR LF, any other CR or LF a lone one. Once two kinds
// have been met the rest is not looked at.
class LineEndCensus {
public:
    void Take(const uint8_t* bytes, uint32_t n);
    // A CR that ended the last piece counts as a lone CR.
    LineEndKind Result() const;

private:
    // One piece a byte at a time: where a NUL may stand between a CR and its LF.
    void TakeSlowly(const uint8_t* p, const uint8_t* end);
    bool Mixed() const { return (seen_ & (seen_ - 1)) != 0; }
    uint8_t seen_ = 0;  // kSawCrLf, kSawLf and kSawCr of ByteScan.h
    bool pendingCr_ = false;  // the last byte taken, NULs aside, was a CR
};

// The kind of line ends of the n bytes of `text` as one whole text.
LineEndKind FindLineEnds(const uint8_t* text, uint32_t n);

}  // namespace qv
