// A drawing surface for the native tests: records every call the painter makes and
// answers measurements from simple fake metrics, so that tests can check which
// characters end up where, in which colour and font.
//
// Metrics: a glyph of the text font is glyphWidth[c] pixels wide (8 by default);
// glyphs of any other font are otherFontScale times as wide. A tab advances to the
// next multiple of tabPixels from the rectangle's left edge, as DrawTextExA's tab
// expansion does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/Surface.h"

namespace qv::test {

class RecordingSurface : public Surface {
public:
    static constexpr uint32_t kNoColor = 0xFFFFFFFFu;

    // `textFont` is the font selected when painting starts.
    explicit RecordingSurface(FontRef textFont);

    struct Draw {
        std::string text;
        Rect rect;
        uint32_t format;
        uint32_t color;  // the text colour in effect
        FontRef font;    // the font in effect
    };
    struct Measure {
        std::string text;
        Rect rect;
        uint32_t format;
        FontRef font;
    };
    struct Fill {
        Rect rect;
        BrushRef brush;    // null for a system colour
        int32_t sysColor;  // -1 for a brush
    };

    // ---- What the painter did ------------------------------------------------------
    std::vector<Draw> draws;
    std::vector<Measure> measures;
    std::vector<Fill> fills;
    std::vector<uint32_t> colorsSet;
    FontRef font;
    uint32_t color = kNoColor;

    // ---- Fake metrics -------------------------------------------------------------
    FontRef textFont;
    int32_t glyphWidth[256];
    int32_t otherFontScale = 1;
    int32_t tabPixels = 24;

    // Right edge of n characters drawn from `left` in `inFont`.
    int32_t RightEdge(const uint8_t* text, uint32_t n, int32_t left, FontRef inFont) const;

    // What the user sees in one row: for each cell of `cellWidth` pixels from x0, the
    // glyph drawn there last (spaces draw nothing: the background is transparent).
    struct Cell {
        bool drawn = false;
        char ch = 0;
        uint32_t color = 0;
        FontRef font = nullptr;
        int32_t top = 0;
    };
    std::vector<Cell> Cells(int32_t x0, int32_t cellWidth) const;

    FontRef SelectFont(FontRef newFont) override;
    void SetTextColor(uint32_t rgb) override;
    int32_t MeasureText(const uint8_t* text, uint32_t n, const Rect& rect, uint32_t format) override;
    void DrawText(const uint8_t* text, uint32_t n, const Rect& rect, uint32_t format) override;
    int32_t FontReach(FontRef font) override;
    void FillRect(const Rect& rect, BrushRef brush) override;
    void FillSysColor(const Rect& rect, uint32_t index) override;
};

}  // namespace qv::test
