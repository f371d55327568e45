#include "render/win/Brushes.h"

#include <windows.h>

namespace qv {

void DeleteBrushes(EditorInstance& ed) {
    for (BrushRef& brush : ed.brushes) {
        if (brush) ::DeleteObject(static_cast<HBRUSH>(brush));
        brush = nullptr;
    }
}

void CreateBrushes(EditorInstance& ed) {
    DeleteBrushes(ed);
    const uint32_t sources[kBrushCount] = {
        ed.colors[0],  ed.colors[1],  ed.colors[2],  ed.colors[3],  ed.colors[4],  ed.plainBackColor,
        ed.colors[11], ed.colors[12], ed.colors[13], ed.colors[14], ed.colors[15], ed.colors[26],
    };
    // The top byte of a colour is a style code, never a palette flag.
    for (uint32_t i = 0; i < kBrushCount; ++i) ed.brushes[i] = ::CreateSolidBrush(sources[i] & 0x00FFFFFF);
}

}  // namespace qv
