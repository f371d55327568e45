// Painting a pane window on WM_PAINT, and into a caller's device context on
// WM_PRINTCLIENT: the margins (line numbers, marker images, dividers), the
// text-area background and every visible line.
#pragma once

#include <windows.h>

namespace qv {

// The normal path: the update rectangle drawn into an off-screen bitmap and copied
// with one BitBlt. The bitmap is kept for the next paint.
void PaintPaneBuffered(HWND pane);
// Frees the kept bitmap (at process detach).
void ReleasePaintBuffer();
// WM_PRINTCLIENT: the pane's whole client area, as the buffered paint draws it,
// into `dc` at its client coordinates. Nothing else changes: no caret, scroll bar,
// layout or update region (the lines' block-start bits follow the block word as in
// any paint). Nothing is drawn when no off-screen bitmap can be had.
void PrintPaneClient(HWND pane, HDC dc);
// Straight into the paint DC: used for the one paint after a thumb drag.
void PaintPaneDirect(HWND pane);

}  // namespace qv
