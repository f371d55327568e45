#pragma once

#include "base/EditorInstance.h"

namespace qv {

// Stores font slots 0, 1, 2, 3 and 5 of `fonts` (six handles) and measures the
// text font: charWidth, lineHeight, fixedPitch, spaceWidth, tabPixelWidth,
// overhang, the character sets, altFontRise from slot 2, and visibleColumns.
void MeasureFonts(EditorInstance& ed, const FontRef fonts[kFontSlotCount]);

// MeasureFonts with each pane kept on the same top row across a change of row
// height: the scroll offsets go to rows before and back to pixels after, and the
// top-line caches are walked again from the top.
void ChangeFonts(EditorInstance& ed, const FontRef fonts[kFontSlotCount]);

// The width in pixels of `length` characters of the widest digit in the font the
// line numbers are drawn in: slot 5, or slot 0 while slot 5 is empty (as painting
// falls back); -1 when there is no device context to measure on.
int32_t MeasureNumberText(const EditorInstance& ed, uint32_t length);

}  // namespace qv
