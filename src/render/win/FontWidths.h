// Text measurement: DrawTextExA with DT_CALCRECT on one device context compatible
// with the screen, kept for the whole process (a window's DC would have to be
// fetched and released for every measurement, which costs more than the
// measurement), and the byte-width tables of the fonts that measure every text as
// the sum of its characters: the control's caret geometry measures with them, and
// the painter places the glyphs of several runs in one ExtTextOut with them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/TextWidths.h"

namespace qv {

// Right edge of n characters drawn from x 0 in `font` with tab length `tabWidth`:
// DrawTextExA with DT_SINGLELINE, DT_EXPANDTABS, DT_TABSTOP, DT_CALCRECT,
// DT_NOPREFIX and DT_EDITCONTROL. A null font measures in the context's own font.
int32_t MeasureWithDrawText(HFONT font, uint32_t tabWidth, const uint8_t* text, uint32_t n);

// The width table of `font` with tab length `tabWidth`, when DrawTextExA measures
// every text in it as the sum of its bytes' widths with TABs moving to the next
// stop; none when it does not (a two-byte character set, an overhanging font, a
// null font, or any of the checks below failing). Tables are made once per font
// and tab length and found again by the font's handle and its LOGFONT, so a
// handle the host deleted and reused for another font is measured anew.
// Copies the table into `widths`; false, leaving it as it was, when there is none.
bool WidthsOfFont(HFONT font, uint32_t tabWidth, TextWidths& widths);

// Releases the device context and the tables (at process detach).
void ReleaseFontWidths();

}  // namespace qv
