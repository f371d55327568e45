#include "render/win/Fonts.h"

#include <windows.h>

#include <initializer_list>

#include "base/HostLimits.h"
#include "base/win/Allocations.h"
#include "base/win/ControlBlock.h"
#include "render/LineNumbers.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

SIZE Extent(HDC dc, const char* text) {
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(dc, text, static_cast<int>(lstrlenA(text)), &size);
    return size;
}

}  // namespace

void MeasureFonts(EditorInstance& ed, const FontRef fonts[kFontSlotCount]) {
    for (uint32_t slot : {kFontText, kFontStyle1, kFontStyle2, kFontStyle3, kFontLineNumbers})
        ed.fonts[slot] = fonts[slot];

    HWND control = Hwnd(ed.hwnd);
    // Without a device context nothing can be measured: the metrics stay as they
    // were, and the next measurement takes the new fonts.
    HDC dc = TakeWindowDC(control);
    if (!dc) return;
    // A slot left 0 fails to select and the previous font stays in effect.
    HGDIOBJ oldFont = ::SelectObject(dc, static_cast<HFONT>(ed.fonts[kFontText]));

    SIZE wi = Extent(dc, "WI");
    ed.charWidth = static_cast<uint32_t>(wi.cx) / 2;
    ed.lineHeight = static_cast<uint32_t>(wi.cy);
    ed.altFontsEnabled = 1;
    ed.fixedPitch = Extent(dc, "W").cx == Extent(dc, "I").cx ? 1 : 0;
    ed.spaceWidth = static_cast<uint32_t>(Extent(dc, " ").cx);

    RECT tab = {0, 0, 0, 0};
    DRAWTEXTPARAMS params = {sizeof(DRAWTEXTPARAMS), static_cast<int>(ClampTabWidth(ed.tabWidth)), 0, 0, 0};
    char tabChar[] = "\t";
    ::DrawTextExA(dc, tabChar, 1, &tab,
                  DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | DT_CALCRECT | DT_NOPREFIX | DT_EDITCONTROL, &params);
    ed.tabPixelWidth = static_cast<uint32_t>(tab.right);

    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    ed.overhang = static_cast<uint32_t>(metrics.tmOverhang);
    ed.charSet = metrics.tmCharSet;
    // The two-byte character sets stay on once met: a later single-byte font does
    // not clear them.
    if (ed.charSet == 134 || ed.charSet == 136) ed.dbcsCharSet = ed.charSet;
    if (ed.charSet == 186) ed.pairedCharSet = 186;

    ::SelectObject(dc, static_cast<HFONT>(ed.fonts[kFontStyle2]));
    ed.altFontRise = Extent(dc, "X").cy - static_cast<int32_t>(ed.lineHeight);

    if (oldFont) ::SelectObject(dc, oldFont);
    GiveBackWindowDC(control, dc);

    RECT client = {};
    ::GetClientRect(control, &client);
    if (client.right != 0 && ed.charWidth != 0) {
        int32_t width = client.right - static_cast<int32_t>(ed.selMarginWidth + ed.lineNumberWidth) -
                        (ed.panes[0].vScrollShown ? 16 : 0);
        ed.visibleColumns = width > 0 ? static_cast<uint32_t>(width) / ed.charWidth : 0;
    }
}

int32_t MeasureNumberText(const EditorInstance& ed, uint32_t length) {
    HWND control = Hwnd(ed.hwnd);
    HDC dc = TakeWindowDC(control);
    if (!dc) return -1;
    // An empty slot fails to select and the font before it stays, as in a paint.
    HGDIOBJ oldFont = ::SelectObject(dc, static_cast<HFONT>(ed.fonts[kFontText]));
    const HGDIOBJ replaced = ::SelectObject(dc, static_cast<HFONT>(ed.fonts[kFontLineNumbers]));
    if (oldFont == nullptr) oldFont = replaced;
    char widest = '0';
    LONG widestCx = -1;
    for (char digit = '0'; digit <= '9'; ++digit) {
        const char one[2] = {digit, '\0'};
        const LONG cx = Extent(dc, one).cx;
        if (cx > widestCx) {
            widestCx = cx;
            widest = digit;
        }
    }
    char text[kMaxNumberDigits + 1];
    if (length > kMaxNumberDigits) length = kMaxNumberDigits;
    for (uint32_t i = 0; i < length; ++i) text[i] = widest;
    text[length] = '\0';
    const LONG width = length != 0 ? Extent(dc, text).cx : 0;
    if (oldFont) ::SelectObject(dc, oldFont);
    GiveBackWindowDC(control, dc);
    return width > 0 ? static_cast<int32_t>(width) : 0;
}

}  // namespace qv

namespace qv {

void ChangeFonts(EditorInstance& ed, const FontRef fonts[kFontSlotCount]) {
    uint32_t rows[2];
    for (int i = 0; i < 2; ++i)
        rows[i] = ed.lineHeight ? static_cast<uint32_t>(ed.panes[i].scrollY) / ed.lineHeight : 0;
    MeasureFonts(ed, fonts);
    for (int i = 0; i < 2; ++i) {
        ViewPane& pane = ed.panes[i];
        pane.scrollY = static_cast<int32_t>(rows[i] * ed.lineHeight);
        pane.topLine = pane.topLineY = pane.topLineStart = 0;
    }
    // The caches walk down again now, so queries before the next paint agree.
    for (ViewPane& pane : ed.panes) SyncPaneTop(ed, pane.hwnd, static_cast<uint32_t>(pane.scrollY));
}

}  // namespace qv
