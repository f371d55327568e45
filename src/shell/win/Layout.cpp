#include "shell/win/Layout.h"

#include <cmath>

#include "pane/CaretGeometry.h"
#include "pane/PaneView.h"
#include "base/Platform.h"
#include "base/win/ControlBlock.h"
#include "store/LineRecord.h"
#include "store/LongestLine.h"
#include "store/PositionMap.h"

namespace qv {

namespace {

// A move that changes nothing changes nothing on the screen either, but costs a
// round of window-position messages; the layout runs after every paint.
void Place(WindowRef window, int x, int y, int width, int height) {
    if (!window) return;
    HWND hwnd = Hwnd(window);
    RECT now = {};
    if (::GetWindowRect(hwnd, &now)) {
        ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd), reinterpret_cast<POINT*>(&now), 2);
        if (now.left == x && now.top == y && now.right - now.left == width && now.bottom - now.top == height)
            return;
    }
    ::MoveWindow(hwnd, x, y, width, height, TRUE);
}
void Hide(WindowRef window) { Place(window, 0, 0, 0, 0); }

uint32_t RoundDown(uint32_t value, uint32_t step) { return step ? value - value % step : value; }

// Width of the text area of the control: the client width less both margins and,
// while the upper pane shows it, the vertical bar; 0 for a control of no width.
int32_t TextAreaWidth(const EditorInstance& ed) {
    int32_t width = ed.clientRect.right - ed.clientRect.left;
    if (width == 0) return 0;
    return width - TextLeft(ed) - (ed.panes[0].vScrollShown ? kBarThickness : 0);
}

// The pane's text rectangle from its own client area, less its vertical bar.
void ResetTextRect(ViewPane& pane) {
    RECT client = {};
    if (pane.hwnd) ::GetClientRect(Hwnd(pane.hwnd), &client);
    pane.textRect = {client.left, client.top, client.right, client.bottom};
    if (pane.vScrollShown) pane.textRect.right -= kBarThickness;
}

// Sets a bar's range, page and position, and redraws it, unless it holds them
// already: the bars are set after every paint, and a redraw of a bar that shows
// what it showed costs as much as one that moves.
void SetBar(HWND bar, const SCROLLINFO& info) {
    SCROLLINFO now = {sizeof now, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    if (::GetScrollInfo(bar, SB_CTL, &now) && now.nMin == info.nMin && now.nMax == info.nMax &&
        now.nPage == info.nPage && now.nPos == info.nPos)
        return;
    ::SetScrollInfo(bar, SB_CTL, &info, TRUE);
}

void SetHorizontalRange(HWND bar, int32_t max, int32_t page, int32_t pos) {
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, max, static_cast<UINT>(page < 0 ? 0 : page),
                       pos, 0};
    SetBar(bar, info);
}

}  // namespace

uint32_t UpperPaneHeight(uint32_t clientHeight, uint32_t splitRatio) {
    if (splitRatio == 0) return 0;
    uint32_t height = static_cast<uint32_t>(static_cast<uint64_t>(clientHeight) * 256 / splitRatio);
    // A ratio below 256 would put the split below the control.
    return height > clientHeight ? clientHeight : height;
}

int32_t HorizontalStep(const EditorInstance& ed) {
    if (ed.fixedPitch) return static_cast<int32_t>(ed.charWidth);
    return static_cast<int32_t>(std::lrint(StateOf(ed).layout.avgCharWidth));
}

void LayoutPanes(EditorInstance& ed, WindowRef resizedPane) {
    if (resizedPane) {
        ViewPane& pane = PaneOf(ed, resizedPane);
        ResetTextRect(pane);
        if (pane.vScrollShown) {
            Place(pane.hwndVScroll, pane.textRect.right, 0, kBarThickness, pane.textRect.bottom);
        } else {
            Hide(pane.hwndVScroll);
            Hide(pane.hwndCorner);
        }
    }

    RECT client = {};
    ::GetClientRect(Hwnd(ed.hwnd), &client);
    ed.clientRect = {client.left, client.top, client.right, client.bottom};
    const int w = client.right, h = client.bottom;
    ed.upperPaneHeight = UpperPaneHeight(static_cast<uint32_t>(h), ed.splitRatio);

    if (!ScrollStateOf(ed).scrollPacingOff) {
        LayoutStateOf(ed).measureFontChanged = 0;
        MeasureLongestLine(ed);
    }

    ViewPane& upper = ed.panes[0];
    ViewPane& lower = ed.panes[1];
    const bool hBars = upper.hScrollShown != 0;
    const int bar = hBars ? kBarThickness : 0;
    if (ed.splitOpen) {
        const int top = static_cast<int>(ed.upperPaneHeight);
        Place(upper.hwnd, 0, 0, w, top - bar);
        if (hBars) {
            Place(upper.hwndHScroll, 0, top - kBarThickness, w - kBarThickness, kBarThickness);
            Place(upper.hwndCorner, w - kBarThickness, top - kBarThickness, kBarThickness, kBarThickness);
        } else {
            Hide(upper.hwndHScroll);
            Hide(upper.hwndCorner);
        }
        Place(ed.hwndSplitBar, 0, top, w, kSplitBarHeight);
        const int lowerTop = top + kSplitBarHeight;
        // Without its vertical bar the lower pane reaches 16 pixels past the client
        // area, where the bar would be.
        Place(lower.hwnd, 0, lowerTop, lower.vScrollShown ? w : w + kBarThickness, h - lowerTop - bar);
        if (hBars) {
            const int b = lower.vScrollShown ? w - kBarThickness : w;
            Place(lower.hwndHScroll, 0, h - kBarThickness, b, kBarThickness);
            Place(lower.hwndCorner, b, h - kBarThickness, kBarThickness, kBarThickness);
        } else {
            Hide(lower.hwndHScroll);
            Hide(lower.hwndCorner);
        }
    } else {
        Place(upper.hwnd, 0, 0, w, h - bar);
        if (hBars) {
            const int b = upper.vScrollShown ? w - kBarThickness : w;
            Place(upper.hwndHScroll, 0, h - kBarThickness, b, kBarThickness);
            // While the split is closed the lower pane's corner box is the one in use.
            Place(lower.hwndCorner, b, h - kBarThickness, kBarThickness, kBarThickness);
        } else {
            Hide(upper.hwndHScroll);
            Hide(lower.hwndCorner);
        }
        Hide(upper.hwndCorner);
        Hide(ed.hwndSplitBar);
        Hide(lower.hwnd);
        Hide(lower.hwndHScroll);
    }
}

uint32_t UpdateScrollBars(EditorInstance& ed, ViewPane& pane) {
    const uint32_t lh = ed.lineHeight;
    const uint32_t total = (LineCount(ed) - ed.hiddenLineCount) * lh;
    const uint32_t lastTop = total - lh;
    const uint32_t height = static_cast<uint32_t>(pane.textRect.bottom);

    uint32_t vMax = total;
    if (total < height) vMax = RoundDown(height, lh);
    if (ed.panes[0].hScrollShown) vMax = vMax > kBarThickness ? vMax - kBarThickness : 0;

    for (ViewPane& each : ed.panes) {
        each.vScrollShown = 0;
        if (each.textRect.bottom != 0)
            each.vScrollShown = lastTop + kBarThickness > static_cast<uint32_t>(each.textRect.bottom);
    }

    const uint32_t page = RoundDown(height, lh);
    SCROLLINFO vertical = {sizeof vertical, SIF_RANGE | SIF_PAGE | SIF_POS, 0, static_cast<int>(vMax), page,
                           pane.scrollY, 0};
    SetBar(Hwnd(pane.hwndVScroll), vertical);

    SCROLLINFO horizontal = {sizeof horizontal, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS, 0, 0, 0, 0, 0};
    ::GetScrollInfo(Hwnd(pane.hwndHScroll), SB_CTL, &horizontal);
    if (ed.fixedPitch)
        horizontal.nMax = static_cast<int>(ed.charWidth * ed.maxLineLength + ed.selMarginWidth);
    int32_t hPage = pane.textRect.right - TextLeft(ed) - (ed.panes[0].vScrollShown ? kBarThickness : 0) -
                    (ed.fixedPitch ? 0 : 5);
    SetHorizontalRange(Hwnd(pane.hwndHScroll), horizontal.nMax, hPage, ed.panes[0].scrollX);

    int32_t width = TextAreaWidth(ed);
    if (ed.clientRect.right - ed.clientRect.left != 0 && ed.charWidth != 0)
        ed.visibleColumns = width > 0 ? static_cast<uint32_t>(width) / ed.charWidth : 0;
    return page;
}

void MeasureLongestLine(EditorInstance& ed) {
    ViewPane& active = ActivePane(ed);
    ResetTextRect(active);
    const uint32_t count = LineCount(ed);
    if (count == 1 && LineLength(ed, 0) < 5) return;

    // The store keeps the longest line up to date as the text changes: only that
    // line is measured, not every line of the document.
    ed.maxLineLength = 0;
    int32_t widest = 0;
    const LongestLine longest = FindLongestLine(ed, ed.tabWidth);
    if (longest.found) {
        ed.maxLineLength = longest.columns;
        if (!ed.fixedPitch) {
            LineRecordView rec = LineRecordOf(ed, longest.line);
            widest = ThePlatform().MeasureText(ed, rec.chars(), rec.length());
            if (LayoutStateOf(ed).measureFontChanged || LayoutStateOf(ed).measureTextChanged) {
                SetHorizontalRange(Hwnd(active.hwndHScroll), widest, TextAreaWidth(ed) - 5, ed.panes[0].scrollX);
                if (ed.panes[0].scrollX == 0) ::InvalidateRect(Hwnd(active.hwndHScroll), nullptr, TRUE);
            }
        }
    }

    int32_t textWidth = TextAreaWidth(ed);
    if (!ed.fixedPitch && ed.maxLineLength != 0 && widest > 0) {
        LayoutStateOf(ed).avgCharWidth = static_cast<long double>(widest) / ed.maxLineLength;
        ed.visibleColumns = static_cast<uint32_t>(std::lrint(textWidth / LayoutStateOf(ed).avgCharWidth));
    }

    ViewPane& upper = ed.panes[0];
    const bool shown = ed.fixedPitch ? (ed.visibleColumns > 0 && ed.visibleColumns <= ed.maxLineLength)
                                     : (textWidth > 0 && textWidth <= widest);
    if (shown) {
        // The pane shrinks at the next layout; until then its text area leaves room.
        if (!upper.hScrollShown) active.textRect.bottom -= kBarThickness;
        upper.hScrollShown = 1;
    } else if (upper.hScrollShown) {
        const int32_t s = upper.scrollX;
        ed.panes[0].scrollX = ed.panes[1].scrollX = 0;
        ScrollPane(ed, active.hwnd, -s, kScrollHorizontalOnly);
        upper.hScrollShown = 0;
    }
}

void MeasureCurrentLine(EditorInstance& ed) {
    LineRecordView rec = CurrentRecord(ed);
    const uint32_t n = rec.length();
    if (n == 0) return;
    const int32_t width = ThePlatform().MeasureText(ed, rec.chars(), n);
    const uint32_t perChar = static_cast<uint32_t>(width > 0 ? width : 0) / n;
    LayoutStateOf(ed).avgCharWidth = static_cast<long double>(width) / n;
    // A line drawn no wider than its character count gives no average to divide by.
    const int32_t textWidth = TextAreaWidth(ed);
    if (perChar != 0) ed.visibleColumns = static_cast<uint32_t>(textWidth > 0 ? textWidth : 0) / perChar;
}

void MeasureAfterEdit(EditorInstance& ed) {
    if (!ed.fixedPitch && CurrentRecord(ed).length() != 0) MeasureCurrentLine(ed);
    LayoutStateOf(ed).measureTextChanged = 1;
    MeasureLongestLine(ed);
    LayoutStateOf(ed).measureTextChanged = 0;
}

}  // namespace qv
