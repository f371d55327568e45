#include "pane/PaneView.h"

#include "edit/Notify.h"
#include "pane/CaretGeometry.h"
#include "render/Folding.h"
#include "base/Platform.h"
#include "base/ScrollTiming.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

inline bool IsShown(const ViewPane& pane) {
    return pane.textRect.bottom != 0;
}
inline int32_t PaneHeight(const ViewPane& pane) {
    return pane.textRect.bottom;
}

// Offsets and coordinates are 32-bit; sums of them are formed wide and brought
// back into range rather than left to wrap.
int32_t Clamp32(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

void SetScrollX(EditorInstance& ed, int32_t x) {
    ed.panes[0].scrollX = ed.panes[1].scrollX = x;
}

// The row at document y `docY` of a shown pane, when it lies in the pane.
void InvalidateRow(EditorInstance& ed, const ViewPane& pane, int64_t docY) {
    const int64_t y = docY - pane.scrollY;
    if (y < 0 || y >= PaneHeight(pane)) return;
    Rect row = {0, static_cast<int32_t>(y), pane.textRect.right, Clamp32(y + ed.lineHeight)};
    ThePlatform().InvalidateRect(pane.hwnd, &row, false);
}

// The wait between two automatic scroll steps, paced to the processor's speed.
void PaceScroll(EditorInstance& ed) {
    if (ScrollStateOf(ed).scrollPacingOff) return;
    Platform& platform = ThePlatform();
    platform.Spin(platform.IsRightButtonDown() ? gTiming.scrollDelayFast : gTiming.scrollDelaySlow);
}

}  // namespace

int32_t PlaceCaret(EditorInstance& ed, uint32_t s) {
    Platform& platform = ThePlatform();
    const Point p = CharToPanePoint(ed, ed.caretPos, s);
    // The caret belongs to the pane with the focus; while another window has it,
    // the caret is left alone and only the row is answered.
    if (platform.GetFocus() != ed.hwndActivePane) return p.y;
    platform.SetCaretPos(p.x, p.y);
    ScrollStateOf(ed).caretPlaced = p;
    if (p.x >= TextLeft(ed) && ed.caretPos == ed.selAnchor) {
        platform.ShowCaret(ed.hwndActivePane);
        ed.caretHidden = 0;
    } else if (!ed.caretHidden) {
        // The platform counts hides; one hide per control keeps one show enough.
        platform.HideCaret(ed.hwndActivePane);
        ed.caretHidden = 1;
    }
    return p.y;
}

void ScrollPane(EditorInstance& ed, WindowRef paneWindow, int32_t dx, int32_t dy) {
    ViewPane& pane = PaneOf(ed, paneWindow);
    if (!IsShown(pane) || (dx == 0 && dy == 0)) return;
    Platform& platform = ThePlatform();

    if (dx != 0) {
        Rect clip = pane.textRect;
        clip.left = dy == kScrollHorizontalOnly ? TextLeft(ed) : clip.left + TextLeft(ed);
        // Every row changes under a horizontal scroll: the pixel scroll only spares
        // the painter a blank flash, the whole pane is painted anyway.
        platform.InvalidateRect(pane.hwnd, nullptr, false);
        platform.ScrollWindow(pane.hwnd, dx, 0, clip);
        platform.InvalidateRect(pane.hwnd, nullptr, false);
    }

    if (dy != 0 && dy != kScrollHorizontalOnly) {
        SyncPaneTop(ed, pane.hwnd, static_cast<uint32_t>(pane.scrollY));
        const int64_t distance = dy < 0 ? -static_cast<int64_t>(dy) : dy;
        if (distance + ed.lineHeight < PaneHeight(pane)) {
            PaceScroll(ed);
            platform.ScrollWindow(pane.hwnd, 0, dy, pane.textRect);
            NotifyParentOfScroll(ed, pane.topLine + 1);
        } else {
            platform.InvalidateRect(pane.hwnd, nullptr, false);
        }
    }

    platform.UpdateWindow(pane.hwnd);
    if (pane.hwnd == ed.hwndActivePane) PlaceCaret(ed, static_cast<uint32_t>(pane.scrollY));
}

void RefreshPane(EditorInstance& ed, WindowRef paneWindow) {
    ViewPane& pane = PaneOf(ed, paneWindow);
    if (!IsShown(pane)) return;
    SyncPaneTop(ed, pane.hwnd, static_cast<uint32_t>(pane.scrollY));
    ThePlatform().InvalidateRect(pane.hwnd, nullptr, false);
    ThePlatform().UpdateWindow(pane.hwnd);
}

int32_t BringCaretIntoView(EditorInstance& ed) {
    ViewPane& pane = ActivePane(ed);
    LocateChar(ed, ed.caretPos);
    const int32_t moved = ScrollCaretIntoView(ed, pane.hwnd, static_cast<uint32_t>(pane.scrollY));
    PlaceCaret(ed, static_cast<uint32_t>(pane.scrollY));
    return moved;
}

void RefreshBothPanes(EditorInstance& ed) {
    RefreshPane(ed, ed.panes[1].hwnd);
    RefreshPane(ed, ed.panes[0].hwnd);
}

void InvalidateLineInBothPanes(EditorInstance& ed, LineNumber line) {
    InvalidateLine(ed, ed.panes[1].hwnd, line);
    InvalidateLine(ed, ed.panes[0].hwnd, line);
}

void InvalidateLine(EditorInstance& ed, WindowRef paneWindow, LineNumber line) {
    ViewPane& pane = PaneOf(ed, paneWindow);
    if (!IsShown(pane) || line >= LineCount(ed)) return;
    InvalidateRow(ed, pane, LineToY(ed, line));
}

void InvalidateRange(EditorInstance& ed, WindowRef paneWindow, CharIndex a, CharIndex b) {
    ViewPane& pane = PaneOf(ed, paneWindow);
    if (!IsShown(pane)) return;
    if (a > b) {
        CharIndex t = a;
        a = b;
        b = t;
    }
    if (b - a >= kRowByRowLimit) {
        ThePlatform().InvalidateRect(pane.hwnd, nullptr, false);
        return;
    }
    // Line by line from the line holding a, the rows and starts carried along
    // rather than looked up for each line; a hidden line shares the row of the
    // next visible one, as it does on the screen.
    const uint32_t count = LineCount(ed);
    const CharLocation where = LocateChar(ed, a);
    LineNumber line = where.line;
    CharIndex start = ed.curLineStart;
    int64_t y = LineToY(ed, line);
    const int64_t paneBottom = static_cast<int64_t>(pane.scrollY) + PaneHeight(pane);
    for (;;) {
        InvalidateRow(ed, pane, y);
        if (!IsLineHiddenAt(ed, line)) y += ed.lineHeight;
        start += LineLength(ed, line);
        if (++line >= count || start >= b || y >= paneBottom) break;
    }
}

int32_t ScrollCaretIntoView(EditorInstance& ed, WindowRef paneWindow, uint32_t t, HorizontalFollow horizontal) {
    ViewPane& pane = PaneOf(ed, paneWindow);
    const uint32_t count = LineCount(ed);
    if (!IsShown(pane) || count == 0) return -1;
    const LineNumber caretLine = ed.curLine < count ? ed.curLine : count - 1;

    // A caret inside a folded block has no row: open that block first. A line the
    // host hid itself stays hidden, and no other block is touched.
    const bool unfolded = UnfoldBlockHolding(ed, caretLine);

    const int64_t lineHeight = ed.lineHeight;
    const int64_t height = PaneHeight(pane);
    // Whole rows only: a partly shown last row does not count as showing the caret.
    const int64_t wholeRows = lineHeight ? lineHeight * (height / lineHeight) : height;
    const int32_t oldScrollX = ed.panes[0].scrollX;

    const int64_t y = LineToY(ed, caretLine);
    if (y < t) {
        pane.scrollY = Clamp32(y);
    } else if (y + lineHeight - t >= wholeRows) {
        pane.scrollY = Clamp32(pane.scrollY + (y + lineHeight - t - wholeRows));
    }

    const Point p = CharToPanePoint(ed, ed.caretPos, t);
    const int64_t jump = static_cast<int64_t>(kCaretJumpChars) * ed.charWidth;
    const int64_t scrollX = oldScrollX;
    if (p.x < TextLeft(ed) + kCaretLeftZone) {
        if (scrollX != 0) {
            const int64_t distance = p.x < 0 ? -static_cast<int64_t>(p.x) : p.x;
            const int64_t moved = scrollX - (distance + jump);
            SetScrollX(ed, Clamp32(moved < 0 ? 0 : moved));
        }
    } else if (p.x > pane.textRect.right - kCaretRightZone) {
        SetScrollX(ed, Clamp32(scrollX + (p.x - (pane.textRect.right - kCaretRightZone)) + jump));
    }

    SyncPaneTop(ed, pane.hwnd, static_cast<uint32_t>(pane.scrollY));

    int32_t dx = Clamp32(static_cast<int64_t>(oldScrollX) - ed.panes[0].scrollX);
    int32_t dy = Clamp32(static_cast<int64_t>(t) - pane.scrollY);
    // A jump that happened to equal the horizontal-only marker would lose its
    // repaint; a pixel more is the same whole-pane repaint.
    if (dy == kScrollHorizontalOnly) ++dy;
    if (horizontal == HorizontalFollow::BackToZero) {
        dx = 0;
        SetScrollX(ed, 0);
    }

    if (unfolded) {
        RefreshPane(ed, pane.hwnd);
        return 0;
    }
    if (dx == 0 && dy == 0) return -1;
    if (dx != 0) {
        // The horizontal offset belongs to both panes: both are repainted.
        ScrollPane(ed, ed.panes[0].hwnd, dx, dy);
        ScrollPane(ed, ed.panes[1].hwnd, dx, dy);
    } else {
        ScrollPane(ed, pane.hwnd, 0, dy);
    }
    return 0;
}

}  // namespace qv
