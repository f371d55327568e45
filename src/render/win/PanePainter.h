// Painting a pane window on WM_PAINT: the margins (line numbers, marker images,
// dividers), the text-area background and every visible line.
#pragma once

#include <windows.h>

namespace qv {

// The normal path: the update rectangle drawn into an off-screen bitmap and copied
// with one BitBlt. The bitmap is kept for the next paint.
void PaintPaneBuffered(HWND pane);
// Frees the kept bitmap (at process detach).
void ReleasePaintBuffer();
// Straight into the paint DC: used for the one paint after a thumb drag.
void PaintPaneDirect(HWND pane);

}  // namespace qv
