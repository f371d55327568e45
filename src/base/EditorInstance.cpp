#include "base/EditorInstance.h"

namespace qv {

const uint32_t kDefaultColors[kColorCount] = {
    0x00FFFFF4, 0x00005000, 0x00EAFFEA, 0x00EFFFFF, 0x00000000, 0, 0,          // 0-6
    0x00008000, 0x00FFFFFF, 0x00004080, 0,                                     // 7-10
    0x00FFFFCE, 0x00C0F0C0, 0x00C4FFFF, 0x00EDC7F8, 0x0000FFFF,                // 11-15
    0x020000FF, 0x00FF8000, 0x00FF0080, 0x00000000, 0x00FF0080, 0x00FF00FF,  // 16-21
    0x000000A0, 0x00808000, 0x00000000, 0x000080FF, 0x000000FF,                // 22-26
};

void SetInstanceDefaults(EditorInstance& ed) {
    ed.lineNumberWidthSetting = 37;
    ed.lineNumberWidth = 0;
    ed.selMarginWidth = 10;
    ed.autoIndent = 0;
    ed.tabWidth = 3;
    ed.wheelLines = 3;
    ed.lineHeight = 15;
    for (uint32_t i = 0; i < kColorCount; ++i) ed.colors[i] = kDefaultColors[i];
    ed.plainBackColor = 0x00FFFFFF;
}

}  // namespace qv
