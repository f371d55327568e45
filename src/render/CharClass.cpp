#include "render/CharClass.h"

namespace qv {
namespace {

constexpr std::array<uint8_t, 256> BuildClassTable() {
    std::array<uint8_t, 256> table{};  // everything not listed is class 0
    auto set = [&table](const char* chars, uint8_t cls) {
        for (; *chars != 0; ++chars) table[static_cast<uint8_t>(*chars)] = cls;
    };
    auto setRange = [&table](uint8_t first, uint8_t last, uint8_t cls) {
        for (uint32_t c = first; c <= last; ++c) table[c] = cls;
    };
    set("#.", kClassWord);
    setRange('0', '9', kClassWord);
    setRange('?', 'Z', kClassWord);
    setRange('a', 'z', kClassWord);
    set("\"$%'()[]{}", kClassBracket);
    set(",\\", kClassSeparator);
    set("*+-/<=>", kClassOperator);
    set("!&|", kClassLogic);
    set(":", kClassLabel);
    set("_", kClassJoin);
    set("^", kClassBlockMark);
    return table;
}

constexpr std::array<uint8_t, 256> kClasses = BuildClassTable();
static_assert(kClasses[' '] == kClassOther && kClasses[';'] == kClassOther && kClasses['`'] == kClassOther &&
                  kClasses['~'] == kClassOther && kClasses[0xFF] == kClassOther,
              "separators and high bytes are class 0");
static_assert(kClasses['?'] == kClassWord && kClasses['@'] == kClassWord && kClasses['.'] == kClassWord,
              "word characters beyond letters and digits");

}  // namespace

const std::array<uint8_t, 256> CharClassTable = kClasses;

}  // namespace qv
