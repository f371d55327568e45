#include "command/Navigation.h"

#include <algorithm>

#include "base/Platform.h"
#include "edit/Notify.h"
#include "pane/CaretGeometry.h"
#include "pane/PaneView.h"
#include "render/Words.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

// The x the End key aims at: beyond every line's end.
constexpr int32_t kFarRight = 999999999;

uint32_t ScrollOf(const ViewPane& pane) { return static_cast<uint32_t>(pane.scrollY); }

// The pane's height rounded down to whole rows: a page.
int32_t PageHeight(const EditorInstance& ed, const ViewPane& pane) {
    const int32_t height = pane.textRect.bottom > 0 ? pane.textRect.bottom : 0;
    const int32_t lh = static_cast<int32_t>(ed.lineHeight);
    return lh ? lh * (height / lh) : height;
}

void SetScrollX(EditorInstance& ed, int32_t x) { ed.panes[0].scrollX = ed.panes[1].scrollX = x; }

// The index of the closing CR, where the keys stop.
CharIndex ClosingCr(EditorInstance& ed) { return LocateChar(ed, kNoIndex).index - 1; }

// PointToChar, stepped back off the line's CR when the point lay past it, so the
// caret lands before the line end. The flag is cleared first: a look-up that asks
// for a line's start leaves it as an earlier one set it.
CharIndex PointBeforeLineEnd(EditorInstance& ed, uint32_t s, int32_t x, int32_t y) {
    ScrollStateOf(ed).hitPastLineEnd = 0;
    const CharIndex p = PointToChar(ed, s, x, y);
    return ScrollStateOf(ed).hitPastLineEnd && p > 0 ? p - 1 : p;
}

// The end of the line at pane row y (for offset s), before its CR; the line
// becomes the current line. What PointToChar answers for a point far right of the
// row, without measuring the line's every prefix.
CharIndex LineEndAtRow(EditorInstance& ed, uint32_t s, int64_t y) {
    const int64_t docY = static_cast<int64_t>(s) + y;
    LineNumber line = docY < 0 ? 0 : YToLine(ed, static_cast<uint32_t>(std::min<int64_t>(docY, UINT32_MAX)));
    line = std::min(line, LineCount(ed) - 1);
    const CharLocation start = LocateChar(ed, LineStart(ed, line));
    const LineRecordView rec = CurrentRecord(ed);
    const uint32_t length = rec.length();
    const bool endsWithCr = length > 0 && rec.chars()[length - 1] == kCR;
    return start.index + length - (endsWithCr ? 1 : 0);
}

// The pane point of `p`, its line looked up first: a point is measured on the
// current line when the caret stands right after that line's last character, so
// the current line must be p's own.
Point PanePointOf(EditorInstance& ed, const ViewPane& pane, CharIndex p) {
    LocateChar(ed, p);
    return CharToPanePoint(ed, p, ScrollOf(pane));
}

// PlaceCaret with the caret's own line current (see PanePointOf).
void PlaceCaretOnItsLine(EditorInstance& ed, const ViewPane& pane) {
    LocateChar(ed, ed.caretPos);
    PlaceCaret(ed, ScrollOf(pane));
}

// The collapse rule's swaps: caretPos becomes the larger (smaller) end.
void StartFromLargerEnd(EditorInstance& ed, const ViewPane& pane) {
    if (ed.selAnchor > ed.caretPos) std::swap(ed.selAnchor, ed.caretPos);
    PlaceCaretOnItsLine(ed, pane);
}
void StartFromSmallerEnd(EditorInstance& ed, const ViewPane& pane) {
    if (ed.selAnchor < ed.caretPos) std::swap(ed.selAnchor, ed.caretPos);
    PlaceCaretOnItsLine(ed, pane);
}

// Every key moves the caret, the selection's moving end; without Shift selAnchor
// goes with it, with Shift it stays where the selection began.
void MoveCaretEnd(EditorInstance& ed, CharIndex p, bool shift) {
    ed.caretPos = p;
    if (!shift) ed.selAnchor = p;
}

// What a key started from, to tell what it changed.
struct Before {
    CharIndex anchor, caret;
    int32_t scrollY, scrollX;
    LineNumber caretLine;
    bool Changed(const EditorInstance& ed, const ViewPane& pane) const {
        return anchor != ed.selAnchor || caret != ed.caretPos || scrollY != pane.scrollY ||
               scrollX != ed.panes[0].scrollX;
    }
};
Before Remember(EditorInstance& ed, const ViewPane& pane) {
    const LineNumber caretLine = LocateChar(ed, ed.caretPos).line;
    return {ed.selAnchor, ed.caretPos, pane.scrollY, ed.panes[0].scrollX, caretLine};
}

// The end of Up, Down, Left and Right: the caret brought into view and placed;
// without Shift a collapsed selection is repainted, with Shift the rows of the
// caret's old and new place.
void FinishArrow(EditorInstance& ed, ViewPane& pane, bool shift, bool hadSelection, const Before& before) {
    LocateChar(ed, ed.caretPos);
    ScrollCaretIntoView(ed, pane.hwnd, ScrollOf(pane));
    PlaceCaretOnItsLine(ed, pane);
    if (!shift) {
        if (hadSelection) RefreshBothPanes(ed);
    } else {
        const LineNumber line = LocateChar(ed, ed.caretPos).line;
        InvalidateLineInBothPanes(ed, line);
        if (before.caretLine != line) InvalidateLineInBothPanes(ed, before.caretLine);
        ThePlatform().UpdateWindow(ed.panes[1].hwnd);
        ThePlatform().UpdateWindow(ed.panes[0].hwnd);
    }
    NotifyParent(ed, kReasonSelChange);
}

void VerticalMove(EditorInstance& ed, ViewPane& pane, bool down, bool ctrl, bool shift) {
    const bool hadSelection = ed.selAnchor != ed.caretPos;
    const Before before = Remember(ed, pane);
    if (!shift && hadSelection) down ? StartFromSmallerEnd(ed, pane) : StartFromLargerEnd(ed, pane);
    // Ctrl aims at the line's start: caretX 0, which it keeps, and with the
    // horizontal offset 0 for the look-up PointToChar answers the start.
    const int32_t scrollX = ed.panes[0].scrollX;
    if (ctrl) {
        pane.caretX = 0;
        SetScrollX(ed, 0);
    }
    // The caret goes on from where it stands: with Shift each key extends (or
    // shrinks) the selection by another row.
    const Point from = PanePointOf(ed, pane, ed.caretPos);
    const int32_t lh = static_cast<int32_t>(ed.lineHeight);
    const int32_t y = down ? from.y + lh : from.y - lh;
    if (down && ed.stickyCaretX) pane.caretX = ed.clickGridX;
    MoveCaretEnd(ed, PointBeforeLineEnd(ed, ScrollOf(pane), pane.caretX, y), shift);
    SetScrollX(ed, scrollX);
    FinishArrow(ed, pane, shift, hadSelection, before);
}

void HorizontalMove(EditorInstance& ed, ViewPane& pane, bool right, bool ctrl, bool shift) {
    const bool hadSelection = ed.selAnchor != ed.caretPos;
    const Before before = Remember(ed, pane);
    CharIndex p;
    if (hadSelection && !shift)
        p = right ? std::max(ed.selAnchor, ed.caretPos) : std::min(ed.selAnchor, ed.caretPos);
    else if (right)
        p = ed.caretPos == kNoIndex ? kNoIndex : ed.caretPos + 1;
    else
        p = ed.caretPos ? ed.caretPos - 1 : 0;
    if (ctrl) p = right ? WordEnd(ed, p) : WordStart(ed, p);
    p = std::min(p, ClosingCr(ed));
    MoveCaretEnd(ed, LocateChar(ed, p).index, shift);
    FinishArrow(ed, pane, shift, hadSelection, before);
    pane.caretX = PlacedCaret(ed).x;
}

// After Page Up and Page Down: the caret's line in view, the caret placed, and when
// anything moved both panes repainted and the parent told.
void FinishPage(EditorInstance& ed, ViewPane& pane, const Before& before) {
    LocateChar(ed, ed.caretPos);
    ScrollCaretIntoView(ed, pane.hwnd, ScrollOf(pane));
    PlaceCaretOnItsLine(ed, pane);
    if (!before.Changed(ed, pane)) return;
    RefreshBothPanes(ed);
    NotifyParent(ed, kReasonSelChange);
}

// The text moves a page under the caret, which keeps its row in the pane.
void PageUp(EditorInstance& ed, ViewPane& pane, bool shift) {
    const Before before = Remember(ed, pane);
    if (!shift && ed.selAnchor != ed.caretPos) StartFromLargerEnd(ed, pane);
    int64_t y = PanePointOf(ed, pane, ed.caretPos).y;
    const int32_t page = PageHeight(ed, pane);
    if (page > pane.scrollY) {
        y -= page - pane.scrollY;
        pane.scrollY = 0;
    } else {
        pane.scrollY -= page;
    }
    const int32_t row = static_cast<int32_t>(std::max<int64_t>(y, INT32_MIN));
    MoveCaretEnd(ed, PointBeforeLineEnd(ed, ScrollOf(pane), pane.caretX, row), shift);
    FinishPage(ed, pane, before);
}

// Near the end the text stops at the last full page and the caret moves on by a
// pane's height, to the last line at most.
void PageDown(EditorInstance& ed, ViewPane& pane, bool shift) {
    const Before before = Remember(ed, pane);
    int64_t y = PanePointOf(ed, pane, ed.caretPos).y;
    const int64_t page = PageHeight(ed, pane);
    const int64_t documentHeight = int64_t(LineCount(ed) - ed.hiddenLineCount) * ed.lineHeight;
    int64_t last = documentHeight - page;  // the largest offset that still fills the pane
    if (last < pane.scrollY + page) {
        last = std::max<int64_t>(last, 0);
        y += pane.textRect.bottom - (last - pane.scrollY);
        pane.scrollY = static_cast<int32_t>(last);
    } else {
        pane.scrollY += static_cast<int32_t>(page);
    }
    const int32_t row = static_cast<int32_t>(std::min<int64_t>(y, INT32_MAX));
    MoveCaretEnd(ed, PointBeforeLineEnd(ed, ScrollOf(pane), pane.caretX, row), shift);
    FinishPage(ed, pane, before);
}

// The end of Home and End: the caret's line in view, both panes repainted, caretX
// taken, the parent told.
void FinishLineKey(EditorInstance& ed, ViewPane& pane) {
    LocateChar(ed, ed.caretPos);
    ScrollCaretIntoView(ed, pane.hwnd, ScrollOf(pane));
    PlaceCaretOnItsLine(ed, pane);
    RefreshBothPanes(ed);
    pane.caretX = PlacedCaret(ed).x;
    NotifyParent(ed, kReasonSelChange);
}

void Home(EditorInstance& ed, ViewPane& pane, bool ctrl, bool shift) {
    pane.caretX = 0;
    SetScrollX(ed, 0);
    CharIndex p = 0;
    if (ctrl) {
        pane.scrollY = 0;
    } else {
        if (!shift && ed.selAnchor != ed.caretPos) {
            StartFromLargerEnd(ed, pane);
            LocateChar(ed, ed.caretPos);
            ScrollCaretIntoView(ed, pane.hwnd, ScrollOf(pane));
        }
        // x equal to the horizontal offset (0) asks for the start of the row's line.
        p = PointToChar(ed, ScrollOf(pane), 0, PanePointOf(ed, pane, ed.caretPos).y);
    }
    MoveCaretEnd(ed, p, shift);
    FinishLineKey(ed, pane);
}

void End(EditorInstance& ed, ViewPane& pane, bool ctrl, bool shift) {
    if (!shift && ed.selAnchor != ed.caretPos) {
        // From the character before the larger end: a selection that ends at the
        // start of a line (a line selected from the margin) ends on that line.
        if (ed.caretPos < ed.selAnchor) {
            const CharIndex larger = ed.selAnchor;
            ed.selAnchor = ed.caretPos;
            ed.caretPos = larger - 1;
        } else {
            ed.caretPos -= 1;
        }
        PlaceCaretOnItsLine(ed, pane);
    }
    pane.caretX = kFarRight;
    const int64_t row = ctrl ? int64_t(kFarRight) : PanePointOf(ed, pane, ed.caretPos).y;
    MoveCaretEnd(ed, LineEndAtRow(ed, ScrollOf(pane), row), shift);
    FinishLineKey(ed, pane);
}

}  // namespace

void NavigateCommand(EditorInstance& ed, WindowRef paneWindow, NavKey key, bool ctrl, bool shift) {
    ViewPane& pane = PaneOf(ed, paneWindow);
    switch (key) {
        case NavKey::Up:
        case NavKey::Down:
            VerticalMove(ed, pane, key == NavKey::Down, ctrl, shift);
            break;
        case NavKey::Left:
        case NavKey::Right:
            HorizontalMove(ed, pane, key == NavKey::Right, ctrl, shift);
            break;
        case NavKey::PageUp:
            PageUp(ed, pane, shift);
            break;
        case NavKey::PageDown:
            PageDown(ed, pane, shift);
            break;
        case NavKey::Home:
            Home(ed, pane, ctrl, shift);
            break;
        case NavKey::End:
            End(ed, pane, ctrl, shift);
            break;
    }
}

void SelectAllCommand(EditorInstance& ed, WindowRef paneWindow) {
    ed.selAnchor = ClampToTextEnd(ed, kNoIndex);
    ed.caretPos = 0;
    PlaceCaretOnItsLine(ed, PaneOf(ed, paneWindow));
    RefreshBothPanes(ed);
    NotifyParent(ed, kReasonSelChange);
}

}  // namespace qv
