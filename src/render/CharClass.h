// The line painter's character classes: one fixed class per byte value, never
// changed at run time. The class decides how an unquoted, uncommented character is
// coloured:
//   0 other        0x00-0x20 (controls, space), ';', '`', 0x7E-0xFF
//   1 word         '#', '.', '0'-'9', '?', '@', 'A'-'Z', 'a'-'z': keyword candidates
//   2 bracket      '"', '$', '%', '\'', '(', ')', '[', ']', '{', '}'
//   3 separator    ',', '\\'
//   4 operator     '*', '+', '-', '/', '<', '=', '>'
//   5 logic        '!', '&', '|'
//   6 label        ':' (colours the token before it as a label)
//   7 join         '_' (joins the tokens around it into one identifier)
//   8 block mark   '^' (after 't' it opens a block comment, else closes one)
// Quotes are classed 2 but are taken as string delimiters before any class is looked
// at. Bytes above 0x7D are never word characters: only ASCII forms keywords.
#pragma once

#include <array>
#include <cstdint>

namespace qv {

enum CharClass : uint8_t {
    kClassOther = 0,
    kClassWord = 1,
    kClassBracket = 2,
    kClassSeparator = 3,
    kClassOperator = 4,
    kClassLogic = 5,
    kClassLabel = 6,
    kClassJoin = 7,
    kClassBlockMark = 8,
};

extern const std::array<uint8_t, 256> CharClassTable;

inline CharClass CharClassOf(uint8_t c) {
    return static_cast<CharClass>(CharClassTable[c]);
}
inline bool IsPainterWordChar(uint8_t c) {
    return CharClassTable[c] == kClassWord;
}

}  // namespace qv
