// The line painter's drawing surface over one device context: thin wrappers of
// SelectObject, SetTextColor, DrawTextExA, ExtTextOutA and FillRect.
#pragma once

#include <windows.h>

#include "render/Surface.h"

namespace qv {

class GdiSurface : public Surface {
public:
    // Every DrawTextExA call expands tabs every `tabWidth` average characters.
    GdiSurface(HDC dc, uint32_t tabWidth);

    HDC dc() const { return dc_; }

    FontRef SelectFont(FontRef font) override;
    void SetTextColor(uint32_t rgb) override;
    int32_t MeasureText(const uint8_t* text, uint32_t n, const Rect& rect, uint32_t format) override;
    void DrawText(const uint8_t* text, uint32_t n, const Rect& rect, uint32_t format) override;
    int32_t FontReach(FontRef font) override;
    void FillRect(const Rect& rect, BrushRef brush) override;
    void FillSysColor(const Rect& rect, uint32_t index) override;

private:
    // DrawTextExA on at most INT_MAX characters; answers the rectangle it leaves.
    RECT CallDrawText(const uint8_t* text, uint32_t n, const Rect& rect, uint32_t format);

    HDC dc_;
    DRAWTEXTPARAMS params_;
    // The reach of the fonts asked about so far (a paint asks about a few).
    struct Reach {
        HGDIOBJ font;
        int32_t pixels;
    };
    Reach reaches_[6] = {};
    uint32_t reachCount_ = 0;
};

}  // namespace qv
