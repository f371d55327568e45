#include "core/support/RecordingSurface.h"

namespace qv::test {

RecordingSurface::RecordingSurface(FontRef initialFont) : font(initialFont), textFont(initialFont) {
    for (int32_t& w : glyphWidth) w = 8;
}

int32_t RecordingSurface::RightEdge(const uint8_t* text, uint32_t n, int32_t left, FontRef inFont) const {
    int32_t scale = inFont == textFont ? 1 : otherFontScale;
    int32_t x = 0;
    for (uint32_t i = 0; i < n; ++i) {
        if (text[i] == 0x09 && tabPixels > 0)
            x = (x / tabPixels + 1) * tabPixels;
        else
            x += glyphWidth[text[i]] * scale;
    }
    return left + x;
}

std::vector<RecordingSurface::Cell> RecordingSurface::Cells(int32_t x0, int32_t cellWidth) const {
    std::vector<Cell> cells;
    for (const Draw& d : draws) {
        const uint8_t* text = reinterpret_cast<const uint8_t*>(d.text.data());
        for (uint32_t i = 0; i < d.text.size(); ++i) {
            if (text[i] == ' ' || text[i] == 0x09) continue;
            int32_t x = RightEdge(text, i, d.rect.left, d.font) - x0;
            if (x < 0) continue;
            size_t cell = static_cast<size_t>(x / cellWidth);
            if (cells.size() <= cell) cells.resize(cell + 1);
            cells[cell] = {true, static_cast<char>(text[i]), d.color, d.font, d.rect.top};
        }
    }
    return cells;
}

FontRef RecordingSurface::SelectFont(FontRef newFont) {
    if (newFont == nullptr) return nullptr;  // as SelectObject: fails, nothing changes
    FontRef previous = font;
    font = newFont;
    return previous;
}

void RecordingSurface::SetTextColor(uint32_t rgb) {
    color = rgb;
    colorsSet.push_back(rgb);
}

int32_t RecordingSurface::MeasureText(const uint8_t* text, uint32_t n, const Rect& rect, uint32_t format) {
    measures.push_back({std::string(reinterpret_cast<const char*>(text), n), rect, format, font});
    return RightEdge(text, n, rect.left, font);
}

void RecordingSurface::DrawText(const uint8_t* text, uint32_t n, const Rect& rect, uint32_t format) {
    draws.push_back({std::string(reinterpret_cast<const char*>(text), n), rect, format, color, font});
}

int32_t RecordingSurface::FontReach(FontRef inFont) {
    int32_t widest = 0;
    for (int32_t w : glyphWidth) widest = w > widest ? w : widest;
    return widest * ((inFont ? inFont : font) == textFont ? 1 : otherFontScale);
}

void RecordingSurface::FillRect(const Rect& rect, BrushRef brush) {
    fills.push_back({rect, brush, -1});
}

void RecordingSurface::FillSysColor(const Rect& rect, uint32_t index) {
    fills.push_back({rect, nullptr, static_cast<int32_t>(index)});
}

}  // namespace qv::test
