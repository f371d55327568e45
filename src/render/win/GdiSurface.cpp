#include "render/win/GdiSurface.h"

#include <climits>

#include "base/HostLimits.h"

namespace qv {
namespace {

RECT ToRECT(const Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

// A run of one line drawn unclipped from its rectangle's top left corner, with
// nothing DrawTextExA would lay out (no TAB to expand, no control character), is
// what DrawTextExA passes to ExtTextOut: the same glyphs at the same place, without
// its conversion buffer, its measuring of the run and its tab scan. (Under Wine it
// also draws runs longer than 1024 characters whole.)
bool IsPlainRun(const uint8_t* text, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i)
        if (text[i] < 0x20) return false;
    return true;
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
    if (format == kDrawRunFormat && text != nullptr && n != 0 && n <= INT_MAX && IsPlainRun(text, n)) {
        ::ExtTextOutA(dc_, rect.left, rect.top, 0, nullptr, reinterpret_cast<LPCSTR>(text), static_cast<UINT>(n),
                      nullptr);
        return;
    }
    CallDrawText(text, n, rect, format);
}

int32_t GdiSurface::FontReach(FontRef font) {
    HGDIOBJ key = font ? static_cast<HGDIOBJ>(font) : ::GetCurrentObject(dc_, OBJ_FONT);
    for (uint32_t i = 0; i < reachCount_; ++i)
        if (reaches_[i].font == key) return reaches_[i].pixels;
    HGDIOBJ previous = font ? ::SelectObject(dc_, key) : nullptr;
    TEXTMETRICA metrics = {};
    // Unknown metrics: every run counts as reaching the screen.
    int32_t pixels = INT_MAX / 4;
    if (::GetTextMetricsA(dc_, &metrics))
        pixels = metrics.tmMaxCharWidth + metrics.tmOverhang + metrics.tmHeight;
    if (previous) ::SelectObject(dc_, previous);
    if (reachCount_ < sizeof reaches_ / sizeof reaches_[0]) reaches_[reachCount_++] = {key, pixels};
    return pixels;
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
