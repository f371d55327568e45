// The drawing surface the line painter draws through: the few device-context calls
// a line needs, so that the colouring logic stays free of the platform. The Windows
// layer implements it over one HDC with thin wrappers (SelectObject, SetTextColor,
// DrawTextExA, FillRect); the tests implement it with a recorder.
//
// The surface owns the DRAWTEXTPARAMS of every DrawTextExA call (cbSize 20, tab
// length = the control's tabWidth, both margins 0); the painter passes the format
// flags through unchanged. Tab stops are measured from the rectangle's left edge.
#pragma once

#include <cstdint>

#include "base/Types.h"

namespace qv {

// DrawTextExA formats used by the painter and by font measuring.
constexpr uint32_t kDtSingleLine = 0x0020;
constexpr uint32_t kDtExpandTabs = 0x0040;
constexpr uint32_t kDtTabStop = 0x0080;
constexpr uint32_t kDtNoClip = 0x0100;
constexpr uint32_t kDtCalcRect = 0x0400;
constexpr uint32_t kDtNoPrefix = 0x0800;
constexpr uint32_t kDtEditControl = 0x2000;

// Drawing a run: single line, tabs expanded at tabWidth, unclipped, '&' drawn as is.
constexpr uint32_t kDrawRunFormat =
    kDtSingleLine | kDtExpandTabs | kDtTabStop | kDtNoClip | kDtNoPrefix | kDtEditControl;  // 0x29E0
constexpr uint32_t kMeasureRunFormat = kDrawRunFormat | kDtCalcRect;                        // 0x2DE0
// A two-byte character is drawn clipped to its rectangle.
constexpr uint32_t kDrawPairFormat = kDrawRunFormat & ~kDtNoClip;        // 0x28E0
constexpr uint32_t kMeasurePairFormat = kMeasureRunFormat & ~kDtNoClip;  // 0x2CE0
static_assert(kDrawRunFormat == 0x29E0 && kMeasureRunFormat == 0x2DE0 && kDrawPairFormat == 0x28E0 &&
                  kMeasurePairFormat == 0x2CE0,
              "the painter's DrawTextExA formats");

class Surface {
public:
    virtual ~Surface() = default;

    // Selects `font` and answers the font it replaces. A null font fails to select:
    // the current font stays and the answer is null (so restoring the answer is
    // again a harmless failure).
    virtual FontRef SelectFont(FontRef font) = 0;

    // Text colour of the following draws: a COLORREF, 0x00BBGGRR.
    virtual void SetTextColor(uint32_t rgb) = 0;

    // DrawTextExA with `format` (which includes DT_CALCRECT) on n characters in
    // `rect`, in the current font; answers the computed right edge.
    virtual int32_t MeasureText(const uint8_t* text, uint32_t n, const Rect& rect, uint32_t format) = 0;

    // DrawTextExA with `format` on n characters in `rect`, in the current font and
    // text colour, background transparent.
    virtual void DrawText(const uint8_t* text, uint32_t n, const Rect& rect, uint32_t format) = 0;

    // How far right of its pen a glyph of `font` can draw, at most: the font's
    // widest character and its height (null: the font selected now). Painting
    // passes over what cannot reach the visible part of a row.
    virtual int32_t FontReach(FontRef font) = 0;

    // FillRect with one of the control's brushes.
    virtual void FillRect(const Rect& rect, BrushRef brush) = 0;
    // FillRect with system colour `index` (COLOR_*), which GDI takes as the brush
    // value index + 1.
    virtual void FillSysColor(const Rect& rect, uint32_t index) = 0;
};

}  // namespace qv
