// Line ends of text that comes from outside: a host's stream, and in time its other
// texts too. The store keeps one CR per line end and never an LF, so CR LF, a lone
// CR and a lone LF each become one stored CR. NUL bytes are no characters of the
// text: they are dropped, and a CR LF pair with NULs between stays one break.
#pragma once

#include <cstdint>

namespace qv {

// Normalises a text that arrives in pieces: whether the last byte kept was a CR
// is carried from one piece to the next, so a CR LF pair split between two pieces
// is one line break.
class LineEndNormaliser {
public:
    // Rewrites the n bytes at `bytes` in place and answers how many it kept (never
    // more than n): NULs dropped, an LF after a CR dropped, any other LF made a CR.
    uint32_t Normalise(uint8_t* bytes, uint32_t n);
    // Forgets the piece before: the next LF is a line break of its own.
    void Reset() { afterCr_ = false; }

private:
    bool afterCr_ = false;
};

}  // namespace qv
