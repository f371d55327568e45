#include "render/win/FontWidths.h"

#include <cstring>
#include <string>

namespace qv {
namespace {

constexpr UINT kMeasureFormat =
    DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | DT_CALCRECT | DT_NOPREFIX | DT_EDITCONTROL;  // 0x2CE0
constexpr uint32_t kCachedFonts = 8;

HDC gMeasureDC = nullptr;

HDC MeasureDC() {
    if (!gMeasureDC) gMeasureDC = ::CreateCompatibleDC(nullptr);
    return gMeasureDC;
}

int32_t DrawTextWidth(HDC dc, uint32_t tabWidth, const uint8_t* text, uint32_t n) {
    if (n == 0) return 0;
    RECT rc = {0, 0, 0, 0};
    DRAWTEXTPARAMS params = {sizeof(DRAWTEXTPARAMS), static_cast<int>(tabWidth), 0, 0, 0};
    ::DrawTextExA(dc, reinterpret_cast<LPSTR>(const_cast<uint8_t*>(text)), static_cast<int>(n), &rc,
                  kMeasureFormat, &params);
    return rc.right;
}

struct CachedFont {
    HFONT font;
    LOGFONTA logFont;
    uint32_t tabWidth;
    bool additive;  // the table below holds
    TextWidths widths;
};
CachedFont gCache[kCachedFonts];
uint32_t gCacheUsed = 0;
uint32_t gCacheNext = 0;  // the entry replaced next, round the cache

bool IsTwoByteCharSet(BYTE charSet) {
    return charSet == SHIFTJIS_CHARSET || charSet == HANGUL_CHARSET || charSet == JOHAB_CHARSET ||
           charSet == GB2312_CHARSET || charSet == CHINESEBIG5_CHARSET;
}

bool Agrees(HDC dc, const CachedFont& entry, const std::string& text) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const uint32_t n = static_cast<uint32_t>(text.size());
    return DrawTextWidth(dc, entry.tabWidth, bytes, n) == PrefixWidth(entry.widths, bytes, n);
}

// Measures every byte alone, then checks on texts with every byte and with TABs
// after every count of characters up to two stops whether the sums are what
// DrawTextExA measures.
bool MakeTable(HDC dc, CachedFont& entry) {
    TEXTMETRICA metrics = {};
    if (!::GetTextMetricsA(dc, &metrics) || metrics.tmOverhang != 0 || IsTwoByteCharSet(metrics.tmCharSet))
        return false;
    TextWidths& w = entry.widths;
    const uint8_t tab = 0x09;
    w.tabStop = DrawTextWidth(dc, entry.tabWidth, &tab, 1);
    if (w.tabStop <= 0) return false;
    int32_t narrowest = 0;
    w.uniform = -1;
    for (uint32_t b = 0; b < 256; ++b) {
        const uint8_t byte = static_cast<uint8_t>(b);
        w.advance[b] = b == tab ? 0 : DrawTextWidth(dc, entry.tabWidth, &byte, 1);
        if (b == tab) continue;
        if (w.advance[b] < 0) return false;
        if (w.uniform == -1) w.uniform = w.advance[b];
        else if (w.uniform != w.advance[b]) w.uniform = 0;
        if (w.advance[b] > 0 && (narrowest == 0 || w.advance[b] < narrowest)) narrowest = w.advance[b];
    }
    if (w.uniform < 0) w.uniform = 0;

    std::string every;
    for (uint32_t b = 1; b < 256; ++b)
        if (b != tab) every += static_cast<char>(b);
    every.insert(every.size() / 2, 1, '\0');
    if (!Agrees(dc, entry, every)) return false;
    const uint32_t perStop = narrowest ? static_cast<uint32_t>(w.tabStop / narrowest) + 2 : 2;
    for (uint32_t k = 0; k <= 2 * perStop && k <= 64; ++k) {
        if (!Agrees(dc, entry, std::string(k, 'W') + "\tI") || !Agrees(dc, entry, std::string(k, 'i') + "\t\tm") ||
            !Agrees(dc, entry, std::string(k, ' ') + "\t"))
            return false;
    }
    return Agrees(dc, entry, "ab\tcd\t\tefg\thij \t;\x80\xff\t");
}

}  // namespace

int32_t MeasureWithDrawText(HFONT font, uint32_t tabWidth, const uint8_t* text, uint32_t n) {
    if (n == 0) return 0;
    HDC dc = MeasureDC();
    if (!dc) return 0;
    HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
    const int32_t width = DrawTextWidth(dc, tabWidth, text, n);
    if (old) ::SelectObject(dc, old);
    return width;
}

bool WidthsOfFont(HFONT font, uint32_t tabWidth, TextWidths& widths) {
    if (!font) return false;
    LOGFONTA logFont = {};
    if (::GetObjectA(font, sizeof logFont, &logFont) != sizeof logFont) return false;
    const CachedFont* found = nullptr;
    for (uint32_t i = 0; i < gCacheUsed && !found; ++i) {
        const CachedFont& entry = gCache[i];
        if (entry.font == font && entry.tabWidth == tabWidth &&
            std::memcmp(&entry.logFont, &logFont, sizeof logFont) == 0)
            found = &entry;
    }
    if (!found) {
        HDC dc = MeasureDC();
        if (!dc) return false;
        CachedFont& entry = gCache[gCacheNext];
        gCacheNext = (gCacheNext + 1) % kCachedFonts;
        if (gCacheUsed < kCachedFonts) ++gCacheUsed;
        entry.font = font;
        entry.logFont = logFont;
        entry.tabWidth = tabWidth;
        HGDIOBJ old = ::SelectObject(dc, font);
        entry.additive = old != nullptr && MakeTable(dc, entry);
        if (old) ::SelectObject(dc, old);
        found = &entry;
    }
    if (!found->additive) return false;
    widths = found->widths;
    return true;
}

void ReleaseFontWidths() {
    if (gMeasureDC) ::DeleteDC(gMeasureDC);
    gMeasureDC = nullptr;
    gCacheUsed = gCacheNext = 0;
}

}  // namespace qv
