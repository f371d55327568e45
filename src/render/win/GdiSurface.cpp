#include "render/win/GdiSurface.h"

#include <climits>

#include "base/HostLimits.h"

namespace qv {
namespace {

RECT ToRECT(const Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

}  // namespace

GdiSurface::GdiSurface(HDC dc, uint32_t tabWidth) : dc_(dc), params_() {
    params_.cbSize = sizeof(DRAWTEXTPARAMS);
    // Never 0 and never so far that DrawTextExA's product with the average width
    // overflows: either makes it divide by zero.
    params_.iTabLength = static_cast<int>(ClampTabWidth(tabWidth));
    params_.iLeftMargin = 0;
    params_.iRightMargin = 0;
    params_.uiLengthDrawn = 0;
}

FontRef GdiSurface::SelectFont(FontRef font) {
    // A slot the host left 0 fails to select: the current font stays.
    if (font == nullptr) return nullptr;
    return ::SelectObject(dc_, static_cast<HFONT>(font));
}

void GdiSurface::SetTextColor(uint32_t rgb) {
    ::SetTextColor(dc_, rgb & 0x00FFFFFF);
}

RECT GdiSurface::CallDrawText(const uint8_t* text, uint32_t n, const Rect& rect, uint32_t format) {
    RECT rc = ToRECT(rect);
    // The count INT_MAX at most: a negative count would make DrawTextExA look for
    // a terminating NUL, which a line does not have.
    const int count = n > INT_MAX ? INT_MAX : static_cast<int>(n);
    if (count == 0 || text == nullptr) {
        rc.right = rc.left;
        return rc;
    }
    // Without DT_MODIFYSTRING the text is only read.
    ::DrawTextExA(dc_, reinterpret_cast<LPSTR>(const_cast<uint8_t*>(text)), count, &rc, format, &params_);
    return rc;
}

int32_t GdiSurface::MeasureText(const uint8_t* text, uint32_t n, const Rect& rect, uint32_t format) {
    return CallDrawText(text, n, rect, format).right;
}

void GdiSurface::DrawText(const uint8_t* text, uint32_t n, const Rect& rect, uint32_t format) {
    CallDrawText(text, n, rect, format);
}

void GdiSurface::FillRect(const Rect& rect, BrushRef brush) {
    RECT rc = ToRECT(rect);
    ::FillRect(dc_, &rc, static_cast<HBRUSH>(brush));
}

void GdiSurface::FillSysColor(const Rect& rect, uint32_t index) {
    RECT rc = ToRECT(rect);
    // FillRect takes a system colour as the brush value index + 1.
    ::FillRect(dc_, &rc, reinterpret_cast<HBRUSH>(static_cast<UINT_PTR>(index) + 1));
}

}  // namespace qv
