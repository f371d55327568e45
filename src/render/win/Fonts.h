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

}  // namespace qv
