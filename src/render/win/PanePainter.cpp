#include "render/win/PanePainter.h"

#include <commctrl.h>

#include <cstdint>

#include "render/LineNumbers.h"
#include "render/LinePainter.h"
#include "render/win/GdiSurface.h"
#include "base/win/Allocations.h"
#include "base/win/ControlBlock.h"
#include "base/win/LibraryState.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

// The direct paint runs its lines under the upper pane's vertical bar when the
// control's style has this bit.
constexpr uint32_t kStyleDirectUnderBar = 0x10;

constexpr int32_t kMarkerImageSize = 9;
constexpr int32_t kMarkerImageLift = 7;    // the image sits (lineHeight - 7) / 2 below the row top
constexpr int32_t kMarkerImageInset = 10;  // its left edge, from the text area's left edge
constexpr int32_t kNumberRightGap = static_cast<int32_t>(kLineNumberRightGap);
constexpr int32_t kNumberExtraHeight = 3;  // the number's box reaches below the row
constexpr uint32_t kMarkerImageCount = 8;
constexpr UINT kNumberFormat = DT_RIGHT | DT_VCENTER | DT_SINGLELINE;  // 0x26

// Pixel sums are formed 64 bits wide and brought back into range, so that huge
// margins or offsets from a host give far-away rectangles rather than wrapped ones.
int32_t Px(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// Rows are lineHeight high. Before any font lineHeight is 15; it is never taken
// as 0, so that no walk divides by it or stands still.
uint32_t RowHeight(const EditorInstance& ed) {
    return ed.lineHeight != 0 ? ed.lineHeight : 1;
}

// Where the drawing goes: a device context whose pixel (0, 0) is the client point
// (-dx, -dy). The buffered paint draws into a bitmap of the update rectangle, the
// direct paint into the window itself (dx = dy = 0).
struct Target {
    HDC dc;
    int64_t dx;
    int64_t dy;

    Rect Box(int64_t left, int64_t top, int64_t right, int64_t bottom) const {
        return Rect{Px(left + dx), Px(top + dy), Px(right + dx), Px(bottom + dy)};
    }
};

// The client layout of a paint: both margins, then the text area.
struct Margins {
    int64_t numbers;  // the line-number margin's width, 0 while line numbers are off
    int64_t total;    // both margins: the text area's left edge
};

Margins MarginsOf(const EditorInstance& ed) {
    return Margins{ed.lineNumberWidth, static_cast<int64_t>(ed.lineNumberWidth) + ed.selMarginWidth};
}

BrushRef TextBackground(const EditorInstance& ed) {
    const bool monochrome = (ed.viewFlags & (kViewPlain | kViewMonochrome)) == (kViewPlain | kViewMonochrome);
    return ed.brushes[monochrome ? kBrushPlainBack : kBrushBackground];
}

// Both margins and their dividers, client rows top to bottom.
void FillMargins(const EditorInstance& ed, const Margins& m, Surface& surface, const Target& t, int64_t top,
                 int64_t bottom) {
    if (m.numbers != 0) surface.FillRect(t.Box(0, top, m.numbers, bottom), ed.brushes[kBrushNumberMargin]);
    surface.FillRect(t.Box(m.numbers, top, m.total, bottom), ed.brushes[kBrushMarkerMargin]);
    surface.FillRect(t.Box(m.total - 1, top, m.total, bottom), ed.brushes[kBrushDivider]);
    if (m.numbers != 0)
        surface.FillRect(t.Box(m.numbers - 1, top, m.numbers, bottom), ed.brushes[kBrushDivider]);
}

// A region of the client rectangle left..right x top..bottom, in device pixels.
HRGN MakeClip(const Target& t, int64_t left, int64_t top, int64_t right, int64_t bottom) {
    const Rect r = t.Box(left, top, right, bottom);
    return MakeRegion(r.left, r.top, r.right, r.bottom);
}

// Painting keeps LineFlags bit 0x80 in step with the block word the painter found
// on the line. The bit is also the top bit of the marker kind, so it is written
// only while the kind is 0 (no marker) or 8 (block start) and the line carries no
// marker id: a bookmark, a block's marker, a start the host or loading marked with
// its patterns, or any other kind keeps its nibble, its image and its place in the
// marker scans.
void KeepBlockWordBit(EditorInstance& ed, uint32_t recordOffset) {
    LineRecordView record = RecordAt(ed, recordOffset);
    const uint32_t flags = record.flags();
    const uint32_t kind = flags & kFlagMarkerMask;
    if (kind != 0 && kind != kFlagBlockWord) return;
    if (record.markerId() != 0) return;
    record.setFlags(PainterStateOf(ed).blockWordSeen ? flags | kFlagBlockWord : flags & ~kFlagBlockWord);
}

// One line through the line painter, in the row whose client top is y. The bit
// 0x80 is brought up to date only on rows the painter looks at: a row above the
// drawing area is passed over by the painter, and its line keeps what it had.
// Only the text area right of `visibleLeft` (client pixels) shows.
void DrawLine(EditorInstance& ed, Surface& surface, const Target& t, uint32_t recordOffset, CharIndex start,
              int64_t x, int64_t y, int64_t right, int64_t bottom, int64_t visibleLeft) {
    const Rect row = t.Box(x, y, right, bottom);
    PainterStateOf(ed).blockWordSeen = 0;
    PaintLine(ed, recordOffset, start, surface, row, Px(visibleLeft + t.dx));
    if (static_cast<int64_t>(row.top) + ed.lineHeight > 0) KeepBlockWordBit(ed, recordOffset);
}

// The marker margin's image and, when asked, the line number of the row whose
// client top is y.
void DrawRowMargin(EditorInstance& ed, const Margins& m, GdiSurface& surface, const Target& t,
                   LineNumber line, uint32_t flags, int64_t y, bool withNumber) {
    uint32_t kind = (flags & 0xFF) >> 4;
    // The host may supply images for the lines that carry nothing of their own.
    if ((flags & 0xFF) == 0 && ed.markerCallback != nullptr) kind = ed.markerCallback(ed.hwnd, line);
    if (kind >= 1 && kind <= kMarkerImageCount && gLibrary.markerImages != nullptr) {
        const int64_t lift = ed.lineHeight >= kMarkerImageLift ? (ed.lineHeight - kMarkerImageLift) / 2 : 0;
        const Rect at = t.Box(m.total - kMarkerImageInset, y + lift, m.total, y + lift + kMarkerImageSize);
        ::ImageList_Draw(gLibrary.markerImages, static_cast<int>(kind - 1), t.dc, at.left, at.top,
                         ILD_NORMAL);
    }
    if (!withNumber || m.numbers == 0) return;

    NumberText text;
    FormatLineNumber(line + 1, text, kLineNumberBase, kLineNumberPadDigits, ed.padLineNumbers);
    surface.SetTextColor(ed.colors[kColorLineNumber]);
    const FontRef previous = surface.SelectFont(ed.fonts[kFontLineNumbers]);
    const Rect box =
        t.Box(-kNumberRightGap, y, m.numbers - kNumberRightGap, y + ed.lineHeight + kNumberExtraHeight);
    RECT rc = {box.left, box.top, box.right, box.bottom};
    ::DrawTextA(t.dc, text, -1, &rc, kNumberFormat);
    if (previous != nullptr) surface.SelectFont(previous);
}

// The top of the pane's first row, in client pixels. The top-line cache is first
// brought in line with the scroll offset: an edit above the top resets the cache
// to line 0 while the offset stays.
int64_t FirstRowTop(EditorInstance& ed, HWND window, ViewPane& pane) {
    SyncPaneTop(ed, window, pane.scrollY > 0 ? static_cast<uint32_t>(pane.scrollY) : 0);
    // The cache stops at the last line when the offset lies past it; measuring
    // from the cache keeps the rows where the caret and the mouse expect them.
    return static_cast<int64_t>(pane.topLineY) - pane.scrollY;
}

// The buffered picture: the update rectangle `u` (client pixels) drawn through `t`.
void DrawBufferedPicture(EditorInstance& ed, HWND window, const Target& t, const RECT& u) {
    ViewPane& pane = PaneOf(ed, window);
    const Margins m = MarginsOf(ed);
    const uint32_t lh = RowHeight(ed);
    RECT client = {};
    ::GetClientRect(window, &client);
    if (ed.panes[0].vScrollShown) client.right -= kBarThickness;

    GdiSurface surface(t.dc, ed.tabWidth);
    // The text area's part of the drawing, and its clip: lines never draw over the
    // margins, however far the text is scrolled.
    const int64_t textLeft = u.left > m.total ? u.left : m.total;
    if (textLeft < u.right) surface.FillRect(t.Box(textLeft, u.top, u.right, u.bottom), TextBackground(ed));
    // Without a region (none to be had) the lines draw unclipped; each row's margin
    // is drawn after its line and covers what reached over it.
    HRGN textClip = textLeft < u.right ? MakeClip(t, textLeft, u.top, u.right, u.bottom) : MakeRegion(0, 0, 0, 0);
    const bool margins = u.left < m.total;
    if (margins) FillMargins(ed, m, surface, t, u.top, u.bottom);

    const FontRef oldFont = surface.SelectFont(ed.fonts[kFontText]);
    const int oldMode = ::SetBkMode(t.dc, TRANSPARENT);

    int64_t y = FirstRowTop(ed, window, pane);
    int64_t x = m.total + 1 - static_cast<int64_t>(ed.panes[0].scrollX);
    if (x > m.total + 1) x = m.total + 1;
    LineNumber line = pane.topLine;
    CharIndex start = pane.topLineStart;
    const int64_t reach = 2 * static_cast<int64_t>(lh) + kNumberExtraHeight + kMarkerImageSize;  // a row of slack
    // The line count is read again for every line: a host's marker callback may
    // change the document.
    for (; y < u.bottom && line < LineCount(ed); ++line) {
        const uint32_t recordOffset = RecordOffset(ed, line);
        const uint32_t length = RecordAt(ed, recordOffset).length();
        if (RecordAt(ed, recordOffset).flags() & kFlagHidden) {
            start += length;
            continue;
        }
        // Rows whose glyphs, number and image all end above the update rectangle
        // draw nothing in it: typing repaints one row, however far down the pane.
        if (y + reach > u.top) {
            ::SelectClipRgn(t.dc, textClip);
            DrawLine(ed, surface, t, recordOffset, start, x, y, client.right, client.bottom, textLeft);
            if (margins) {
                ::SelectClipRgn(t.dc, nullptr);
                DrawRowMargin(ed, m, surface, t, line, RecordAt(ed, recordOffset).flags(), y, true);
            }
        }
        start += length;
        y += lh;
    }

    ::SelectClipRgn(t.dc, nullptr);
    ::SetBkMode(t.dc, oldMode);
    if (oldFont != nullptr) surface.SelectFont(oldFont);
    DropObject(kSiteRegion, textClip);
}

// The direct picture: as the buffered one, straight into the window. Rows below
// the last line get their background; the line slots are never read past the end.
void DrawDirectPicture(EditorInstance& ed, HWND window, HDC dc, const RECT& u) {
    ViewPane& pane = PaneOf(ed, window);
    const Margins m = MarginsOf(ed);
    const uint32_t lh = RowHeight(ed);
    const Target t{dc, 0, 0};
    RECT client = {};
    ::GetClientRect(window, &client);
    int64_t right = client.right;
    if (ed.panes[0].vScrollShown && (ed.style & kStyleDirectUnderBar) == 0) right -= kBarThickness;

    GdiSurface surface(dc, ed.tabWidth);
    const bool margins = u.left < m.total;
    if (margins) FillMargins(ed, m, surface, t, client.top, client.bottom);
    HRGN textClip = MakeClip(t, m.total, client.top, client.right, client.bottom);
    const BrushRef background = TextBackground(ed);

    const FontRef oldFont = surface.SelectFont(ed.fonts[kFontText]);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);

    int64_t y = FirstRowTop(ed, window, pane);
    const int64_t x = m.total + 1 - static_cast<int64_t>(ed.panes[0].scrollX);
    LineNumber line = pane.topLine;
    CharIndex start = pane.topLineStart;
    while (y <= u.bottom) {
        if (line >= LineCount(ed)) {
            // The rows below the last line, all at once: only their background.
            const int64_t top = y > u.top ? y : u.top;
            surface.FillRect(t.Box(m.total, top, right, u.bottom), background);
            break;
        }
        const uint32_t recordOffset = RecordOffset(ed, line);
        const uint32_t length = RecordAt(ed, recordOffset).length();
        if (RecordAt(ed, recordOffset).flags() & kFlagHidden) {
            start += length;
            ++line;
            continue;
        }
        if (y + lh >= u.top) surface.FillRect(t.Box(m.total, y, right, y + lh), background);
        if (y + 2 * static_cast<int64_t>(lh) >= u.top) {
            ::SelectClipRgn(dc, textClip);
            DrawLine(ed, surface, t, recordOffset, start, x, y, right, y + lh, m.total);
            if (margins) {
                ::SelectClipRgn(dc, nullptr);
                // An empty line (the last one after a closing line break) has no
                // number in this path.
                DrawRowMargin(ed, m, surface, t, line, RecordAt(ed, recordOffset).flags(), y, length != 0);
            }
        }
        start += length;
        ++line;
        y += lh;
    }

    ::SelectClipRgn(dc, nullptr);
    ::SetBkMode(dc, oldMode);
    if (oldFont != nullptr) surface.SelectFont(oldFont);
    DropObject(kSiteRegion, textClip);
}

bool IsEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// The buffered paint's off-screen picture: one memory context and bitmap kept from
// paint to paint and grown to the largest update rectangle met, since making and
// freeing them costs more than drawing a row. Each paint covers every pixel of its
// part of the bitmap before copying it. A paint that starts while another is
// drawing (a host's marker callback that paints) makes a bitmap of its own.
struct PaintBuffer {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ firstBitmap = nullptr;  // what the context held before ours
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    bool busy = false;
};
PaintBuffer gBuffer;

// The kept context with a bitmap of at least width x height like `paintDC`'s
// pixels; null when it is in use or cannot be had.
HDC TakeBuffer(HDC paintDC, int width, int height) {
    if (gBuffer.busy) return nullptr;
    const int bits = ::GetDeviceCaps(paintDC, BITSPIXEL) * ::GetDeviceCaps(paintDC, PLANES);
    if (gBuffer.dc == nullptr) {
        gBuffer.dc = MakeMemoryDC(paintDC);
        if (gBuffer.dc == nullptr) return nullptr;
    }
    if (gBuffer.bitmap == nullptr || gBuffer.width < width || gBuffer.height < height || gBuffer.bitsPerPixel != bits) {
        const int w = gBuffer.bitsPerPixel == bits && gBuffer.width > width ? gBuffer.width : width;
        const int h = gBuffer.bitsPerPixel == bits && gBuffer.height > height ? gBuffer.height : height;
        HBITMAP bitmap = MakeBitmap(paintDC, w, h);
        if (bitmap == nullptr) return nullptr;
        const HGDIOBJ previous = ::SelectObject(gBuffer.dc, bitmap);
        if (gBuffer.bitmap == nullptr) gBuffer.firstBitmap = previous;
        else DropObject(kSiteBitmap, gBuffer.bitmap);
        gBuffer.bitmap = bitmap;
        gBuffer.width = w;
        gBuffer.height = h;
        gBuffer.bitsPerPixel = bits;
    }
    gBuffer.busy = true;
    return gBuffer.dc;
}

// The rectangle `u` of the pane (client pixels) drawn into an off-screen bitmap like
// `like`'s pixels and copied into `dest` at the same client coordinates with one
// BitBlt, which leaves `dest`'s own state (its font, colours, clip and origin) as
// it was. The kept bitmap is used; a drawing inside a drawing makes one of its
// own. False when no bitmap could be had.
bool DrawThroughBitmap(EditorInstance& ed, HWND window, HDC like, HDC dest, const RECT& u) {
    const int width = u.right - u.left;
    const int height = u.bottom - u.top;
    const int64_t dx = -static_cast<int64_t>(u.left), dy = -static_cast<int64_t>(u.top);
    if (DropKeptObjectsAsked() && !gBuffer.busy) ReleasePaintBuffer();
    if (HDC kept = TakeBuffer(like, width, height)) {
        DrawBufferedPicture(ed, window, Target{kept, dx, dy}, u);
        ::BitBlt(dest, u.left, u.top, width, height, kept, 0, 0, SRCCOPY);
        gBuffer.busy = false;
        return true;
    }
    // One whose kept bitmap could not be had (rather than was in use) has none.
    HDC memoryDC = gBuffer.busy ? MakeMemoryDC(like) : nullptr;
    HBITMAP bitmap = memoryDC != nullptr ? MakeBitmap(like, width, height) : nullptr;
    if (bitmap == nullptr) {
        DropMemoryDC(memoryDC);
        return false;
    }
    const HGDIOBJ oldBitmap = ::SelectObject(memoryDC, bitmap);
    DrawBufferedPicture(ed, window, Target{memoryDC, dx, dy}, u);
    ::BitBlt(dest, u.left, u.top, width, height, memoryDC, 0, 0, SRCCOPY);
    ::SelectObject(memoryDC, oldBitmap);
    DropObject(kSiteBitmap, bitmap);
    DropMemoryDC(memoryDC);
    return true;
}

}  // namespace

void PaintPaneBuffered(HWND window) {
    PAINTSTRUCT ps = {};
    HDC paintDC = ::BeginPaint(window, &ps);
    EditorInstance* ed = InstanceOf(window);
    const RECT u = ps.rcPaint;
    if (ed != nullptr && paintDC != nullptr && !IsEmpty(u) && !DrawThroughBitmap(*ed, window, paintDC, paintDC, u)) {
        // No memory for a bitmap: the same picture, drawn straight into the window.
        DrawBufferedPicture(*ed, window, Target{paintDC, 0, 0}, u);
    }
    ::EndPaint(window, &ps);
}

void PrintPaneClient(HWND window, HDC dc) {
    EditorInstance* ed = InstanceOf(window);
    RECT client = {};
    ::GetClientRect(window, &client);
    if (ed == nullptr || dc == nullptr || IsEmpty(client)) return;
    // The bitmap takes the screen's pixels, as in a paint; the caller's context may
    // be a printer's or a monochrome one.
    HDC like = TakeWindowDC(window);
    if (like == nullptr) return;
    DrawThroughBitmap(*ed, window, like, dc, client);
    GiveBackWindowDC(window, like);
}

void ReleasePaintBuffer() {
    if (gBuffer.dc != nullptr) {
        if (gBuffer.bitmap != nullptr) ::SelectObject(gBuffer.dc, gBuffer.firstBitmap);
        DropMemoryDC(gBuffer.dc);
    }
    if (gBuffer.bitmap != nullptr) DropObject(kSiteBitmap, gBuffer.bitmap);
    gBuffer = PaintBuffer{};
}

void PaintPaneDirect(HWND window) {
    PAINTSTRUCT ps = {};
    HDC paintDC = ::BeginPaint(window, &ps);
    EditorInstance* ed = InstanceOf(window);
    if (ed != nullptr && paintDC != nullptr && !IsEmpty(ps.rcPaint))
        DrawDirectPicture(*ed, window, paintDC, ps.rcPaint);
    ::EndPaint(window, &ps);
}

}  // namespace qv
