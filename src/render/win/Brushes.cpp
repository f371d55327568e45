#include "render/win/Brushes.h"

#include <windows.h>

#include "base/win/Allocations.h"

namespace qv {

void DeleteBrushes(EditorInstance& ed) {
    for (BrushRef& brush : ed.brushes) {
        DropObject(kSiteBrush, static_cast<HBRUSH>(brush));
        brush = nullptr;
    }
}

bool CreateBrushes(EditorInstance& ed) {
    const uint32_t sources[kBrushCount] = {
        ed.colors[0],  ed.colors[1],  ed.colors[2],  ed.colors[3],  ed.colors[4],  ed.plainBackColor,
        ed.colors[11], ed.colors[12], ed.colors[13], ed.colors[14], ed.colors[15], ed.colors[26],
    };
    HBRUSH made[kBrushCount] = {};
    for (uint32_t i = 0; i < kBrushCount; ++i) {
        // The top byte of a colour is a style code, never a palette flag.
        made[i] = MakeBrush(sources[i] & 0x00FFFFFF);
        if (!made[i]) {
            for (uint32_t j = 0; j < i; ++j) DropObject(kSiteBrush, made[j]);
            return false;
        }
    }
    DeleteBrushes(ed);
    for (uint32_t i = 0; i < kBrushCount; ++i) ed.brushes[i] = made[i];
    return true;
}

}  // namespace qv
