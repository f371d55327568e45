// Line ends of text that comes from outside: a host's stream, WM_SETTEXT,
// EM_REPLACESEL and the clipboard. The store keeps one CR per line end and never
// an LF, so CR LF, a lone CR and a lone LF each become one stored CR (text from a
// Unix tool keeps its lines). NUL bytes are no characters of the text: they are
// dropped, and a CR LF pair with NULs between stays one break.
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

}  // namespace qv
