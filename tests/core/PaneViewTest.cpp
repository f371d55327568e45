// The caret, scrolling and repainting of a pane, observed through the calls the
// core makes on the pane windows.
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/support/CoreFixture.h"
#include "core/support/DocumentBuilder.h"
#include "edit/Notify.h"
#include "pane/CaretGeometry.h"
#include "pane/PaneView.h"
#include "render/Markers.h"
#include "base/ScrollTiming.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv::test {
namespace {

// Also counts hides and the spin counts asked for.
class PacingPlatform : public FakePlatform {
public:
    std::vector<uint32_t> spinCounts;
    int hides = 0;
    void Spin(uint32_t count) override { spinCounts.push_back(count); }
    void HideCaret(WindowRef window) override {
        ++hides;
        FakePlatform::HideCaret(window);
    }
};

constexpr int32_t kRow = 16;
constexpr int32_t kPaneHeight = 160;  // ten rows
constexpr int32_t kPaneRight = 400;
constexpr int32_t kTextLeft = 10;  // the marker margin; no line numbers

class PaneViewTest : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        savedTiming = gTiming;
        gTiming = {3000, 5000, 500};
        // The store moves onto the recording platform, which then serves the test.
        DestroyStore(*ed);
        InstallPlatform(&pacing);
        ASSERT_TRUE(CreateStore(*ed));
        pacing.focus = Upper();
        ed->lineHeight = kRow;
        ed->selMarginWidth = kTextLeft;
        ed->lineNumberWidth = 0;
        ed->panes[0].textRect = {0, 0, kPaneRight, kPaneHeight};
    }
    void TearDown() override {
        gTiming = savedTiming;
        CoreFixture::TearDown();
    }

    WindowRef Upper() { return ed->panes[0].hwnd; }
    WindowRef Lower() { return ed->panes[1].hwnd; }
    void Lines(uint32_t n, const std::string& body = "text") {
        std::vector<std::string> lines;
        for (uint32_t i = 0; i < n; ++i) lines.push_back(body + "\r");
        BuildLines(*ed, lines);
    }
    // Puts the caret (and the current line) on `column` of `line`.
    void CaretAt(LineNumber line, uint32_t column, bool select = false) {
        ed->caretPos = LineStart(*ed, line) + column;
        if (!select) ed->selAnchor = ed->caretPos;
        LocateChar(*ed, ed->caretPos);
    }
    int WholeInvalidations(WindowRef window) {
        int n = 0;
        for (auto& inv : pacing.invalidations) n += inv.window == window && inv.whole;
        return n;
    }
    std::set<int32_t> InvalidatedRows(WindowRef window) {
        std::set<int32_t> rows;
        for (auto& inv : pacing.invalidations) {
            if (inv.window != window || inv.whole) continue;
            EXPECT_EQ(inv.rect.left, 0);
            EXPECT_EQ(inv.rect.right, ed->panes[0].textRect.right);
            EXPECT_EQ(inv.rect.bottom - inv.rect.top, kRow);
            EXPECT_FALSE(inv.erase);
            rows.insert(inv.rect.top);
        }
        return rows;
    }
    void Hide(LineNumber line) {
        LineRecordView rec = LineRecordOf(*ed, line);
        rec.setFlags(rec.flags() | kFlagHidden);
        ed->hiddenLineCount++;
    }

    PacingPlatform pacing;
    ScrollTiming savedTiming;
};

// ---- PlaceCaret ----------------------------------------------------------------------

// A point's column is the same whether every prefix is measured whole (searched
// for) or summed from the byte widths (walked), on lines with TABs, at every x from
// left of the line to past its end, and so is the past-the-end flag.
TEST_F(PaneViewTest, ColumnFromXSearchesAsTheWidthsWalk) {
    std::mt19937 rng(3);
    TextWidths widths{};
    for (int32_t& w : widths.advance) w = pacing.charPixels;
    ed->tabWidth = 4;
    widths.tabStop = 4 * pacing.charPixels;
    widths.uniform = pacing.charPixels;
    for (int round = 0; round < 60; ++round) {
        std::string line;
        const size_t n = rng() % 90;
        for (size_t i = 0; i < n; ++i) line += rng() % 6 == 0 ? '\t' : static_cast<char>('a' + rng() % 26);
        const bool last = rng() % 2 == 0;  // the last line has no CR of its own
        BuildLines(*ed, {last ? line : line + "\r"});
        const uint32_t record = RecordOffset(*ed, 0);
        ed->panes[0].scrollX = static_cast<int32_t>(rng() % 3) * 8;
        for (int32_t x = -20; x < 1000; x += 3) {
            pacing.widths = nullptr;
            bool pastSearched = false, pastWalked = false;
            const uint32_t searched = ColumnFromX(*ed, record, x, &pastSearched);
            pacing.widths = &widths;
            ASSERT_EQ(searched, ColumnFromX(*ed, record, x, &pastWalked)) << "round " << round << " x " << x;
            ASSERT_EQ(pastSearched, pastWalked) << "round " << round << " x " << x;
        }
    }
    pacing.widths = nullptr;
}

TEST_F(PaneViewTest, PlaceCaretMovesAndShowsTheCaret) {
    Lines(20);
    CaretAt(3, 2);
    EXPECT_EQ(PlaceCaret(*ed, 0), 3 * kRow);
    EXPECT_EQ(pacing.caret.x, kTextLeft + 1 + 2 * 8);
    EXPECT_EQ(pacing.caret.y, 3 * kRow);
    EXPECT_TRUE(pacing.caretShown);
    EXPECT_EQ(ed->caretHidden, 0u);
    EXPECT_EQ(PlaceCaret(*ed, 5 * kRow), -2 * kRow);  // the row lies above the pane
}

TEST_F(PaneViewTest, TheCaretHidesOnceForASelectionOrTheMargin) {
    Lines(20);
    CaretAt(3, 2);
    PlaceCaret(*ed, 0);
    ed->selAnchor = ed->caretPos + 3;  // a selection
    PlaceCaret(*ed, 0);
    PlaceCaret(*ed, 0);
    EXPECT_FALSE(pacing.caretShown);
    EXPECT_EQ(ed->caretHidden, 1u);
    EXPECT_EQ(pacing.hides, 1);  // the platform's hide count is raised once
    ed->selAnchor = ed->caretPos;
    PlaceCaret(*ed, 0);
    EXPECT_TRUE(pacing.caretShown);
    EXPECT_EQ(ed->caretHidden, 0u);

    ed->panes[0].scrollX = ed->panes[1].scrollX = 100;  // scrolled into the margin
    PlaceCaret(*ed, 0);
    EXPECT_EQ(pacing.caret.x, kTextLeft + 1 + 16 - 100);
    EXPECT_FALSE(pacing.caretShown);
    EXPECT_EQ(pacing.hides, 2);
    ed->panes[0].scrollX = ed->panes[1].scrollX = 17;  // exactly at the text's left edge
    PlaceCaret(*ed, 0);
    EXPECT_EQ(pacing.caret.x, kTextLeft);
    EXPECT_TRUE(pacing.caretShown);
}

TEST_F(PaneViewTest, PlaceCaretLeavesAnotherWindowsCaretAlone) {
    Lines(20);
    CaretAt(4, 1);
    pacing.focus = FakeWindow(0x999);
    pacing.caret = {-7, -7};
    EXPECT_EQ(PlaceCaret(*ed, 0), 4 * kRow);  // the row is still answered
    EXPECT_EQ(pacing.caret.x, -7);
    EXPECT_FALSE(pacing.caretShown);
    EXPECT_EQ(pacing.hides, 0);
}

// ---- ScrollPane and RefreshPane ------------------------------------------------------------

TEST_F(PaneViewTest, ASmallVerticalScrollMovesPixelsAndNotifies) {
    Lines(40);
    ed->controlId = 5;
    CaretAt(1, 0);
    const LineNumber caretLine = ed->curLine;
    ed->panes[0].scrollY = 3 * kRow;
    ScrollPane(*ed, Upper(), 0, -3 * kRow);
    ASSERT_EQ(pacing.scrolls.size(), 1u);
    EXPECT_EQ(pacing.scrolls[0].window, Upper());
    EXPECT_EQ(pacing.scrolls[0].dx, 0);
    EXPECT_EQ(pacing.scrolls[0].dy, -3 * kRow);
    EXPECT_EQ(pacing.scrolls[0].clip.bottom, kPaneHeight);
    EXPECT_EQ(WholeInvalidations(Upper()), 0);
    EXPECT_EQ(ed->panes[0].topLine, 3u);
    ASSERT_EQ(pacing.notifications.size(), 1u);
    EXPECT_EQ(pacing.notifications[0].second.reason, kReasonViewMoved);
    EXPECT_EQ(pacing.notifications[0].second.line, 4u);  // the top line + 1
    EXPECT_EQ(ed->curLine, caretLine);                   // untouched by the notification
    EXPECT_EQ(pacing.updates, std::vector<WindowRef>{Upper()});
    EXPECT_EQ(pacing.caret.y, kRow - 3 * kRow);  // the active pane's caret placed
    EXPECT_EQ(pacing.spinCounts, std::vector<uint32_t>{5000});
    // With the lower pane not shown, it follows the upper one.
    EXPECT_EQ(ed->panes[1].scrollY, 3 * kRow);
    EXPECT_EQ(ed->panes[1].topLine, 3u);
}

TEST_F(PaneViewTest, ScrollPacing) {
    Lines(40);
    ed->panes[0].scrollY = kRow;
    ScrollPane(*ed, Upper(), 0, -kRow);
    pacing.rightButtonDown = true;
    ed->panes[0].scrollY = 2 * kRow;
    ScrollPane(*ed, Upper(), 0, -kRow);
    StateOf(*ed).scroll.scrollPacingOff = 1;  // scroll bar and wheel are not paced
    ed->panes[0].scrollY = 3 * kRow;
    ScrollPane(*ed, Upper(), 0, -kRow);
    EXPECT_EQ(pacing.spinCounts, (std::vector<uint32_t>{5000, 500}));
    EXPECT_EQ(pacing.scrolls.size(), 3u);
}

TEST_F(PaneViewTest, AJumpOfNearlyAPaneRepaintsItWhole) {
    Lines(40);
    ed->panes[0].scrollY = kPaneHeight - kRow;  // |dy| + row == height
    ScrollPane(*ed, Upper(), 0, -(kPaneHeight - kRow));
    EXPECT_TRUE(pacing.scrolls.empty());
    EXPECT_TRUE(pacing.notifications.empty());
    EXPECT_TRUE(pacing.spinCounts.empty());
    EXPECT_EQ(WholeInvalidations(Upper()), 1);
    EXPECT_EQ(ed->panes[0].topLine, 9u);
    EXPECT_EQ(pacing.updates.size(), 1u);

    pacing.ClearRecords();
    ed->panes[0].scrollY = kPaneHeight - kRow - 1;  // one pixel less still scrolls pixels
    ScrollPane(*ed, Upper(), 0, 1);
    EXPECT_EQ(pacing.scrolls.size(), 1u);
    EXPECT_EQ(pacing.notifications.size(), 1u);
}

TEST_F(PaneViewTest, AHorizontalScrollRepaintsTheWholePane) {
    Lines(10);
    ed->panes[0].textRect.left = 3;
    ScrollPane(*ed, Upper(), -24, 0);
    ASSERT_EQ(pacing.scrolls.size(), 1u);
    EXPECT_EQ(pacing.scrolls[0].dx, -24);
    EXPECT_EQ(pacing.scrolls[0].dy, 0);
    EXPECT_EQ(pacing.scrolls[0].clip.left, 3 + kTextLeft);  // the margins stay put
    EXPECT_EQ(pacing.scrolls[0].clip.right, kPaneRight);
    EXPECT_EQ(WholeInvalidations(Upper()), 2);
    EXPECT_TRUE(pacing.notifications.empty());

    pacing.ClearRecords();
    ScrollPane(*ed, Upper(), 24, kScrollHorizontalOnly);
    ASSERT_EQ(pacing.scrolls.size(), 1u);
    EXPECT_EQ(pacing.scrolls[0].clip.left, kTextLeft);  // exactly textLeft
    EXPECT_EQ(pacing.scrolls[0].dy, 0);
    EXPECT_TRUE(pacing.notifications.empty());
    EXPECT_TRUE(pacing.spinCounts.empty());
}

TEST_F(PaneViewTest, NothingHappensInAPaneThatIsNotShown) {
    Lines(40);
    ed->hwndActivePane = Lower();
    pacing.focus = Lower();
    CaretAt(30, 2);
    ed->panes[1].scrollY = 3 * kRow;
    ScrollPane(*ed, Lower(), 5, -3 * kRow);
    RefreshPane(*ed, Lower());
    InvalidateLine(*ed, Lower(), 3);
    InvalidateRange(*ed, Lower(), 0, 20);
    InvalidateRange(*ed, Lower(), 0, 20000);
    EXPECT_EQ(ScrollCaretIntoView(*ed, Lower(), 0), -1);
    ScrollPane(*ed, Upper(), 0, 0);  // a shown pane asked for no move
    EXPECT_TRUE(pacing.invalidations.empty());
    EXPECT_TRUE(pacing.scrolls.empty());
    EXPECT_TRUE(pacing.updates.empty());
    EXPECT_TRUE(pacing.notifications.empty());
    EXPECT_TRUE(pacing.spinCounts.empty());
    EXPECT_EQ(ed->panes[1].scrollY, 3 * kRow);
    EXPECT_EQ(ed->panes[1].topLine, 0u);
    EXPECT_EQ(pacing.caret.x, 0);  // no caret placed
}

TEST_F(PaneViewTest, RefreshPaneSyncsAndRepaintsNow) {
    Lines(40);
    ed->panes[0].scrollY = 7 * kRow;
    RefreshPane(*ed, Upper());
    EXPECT_EQ(ed->panes[0].topLine, 7u);
    EXPECT_EQ(ed->panes[0].topLineStart, 7u * 5);
    EXPECT_EQ(WholeInvalidations(Upper()), 1);
    EXPECT_EQ(pacing.updates, std::vector<WindowRef>{Upper()});
}

// ---- Invalidating lines and ranges -------------------------------------------------------

TEST_F(PaneViewTest, InvalidateLineMarksOnlyRowsInThePane) {
    Lines(40);
    ed->panes[0].scrollY = 2 * kRow;
    InvalidateLine(*ed, Upper(), 5);
    InvalidateLine(*ed, Upper(), 2);   // the top row
    InvalidateLine(*ed, Upper(), 11);  // the last row
    InvalidateLine(*ed, Upper(), 1);   // above the pane
    InvalidateLine(*ed, Upper(), 12);  // below it
    InvalidateLine(*ed, Upper(), 40);  // no such line
    EXPECT_EQ(InvalidatedRows(Upper()), (std::set<int32_t>{0, 3 * kRow, 9 * kRow}));
    EXPECT_EQ(pacing.invalidations.size(), 3u);
}

TEST_F(PaneViewTest, InvalidateRangeRowByRowOrWhole) {
    Lines(3000, "abcd");  // lines of 5: 15000 characters
    ed->panes[0].textRect.bottom = 3000 * kRow;
    InvalidateRange(*ed, Upper(), 0, 10000);
    EXPECT_EQ(WholeInvalidations(Upper()), 1);
    EXPECT_EQ(pacing.invalidations.size(), 1u);
    pacing.ClearRecords();
    InvalidateRange(*ed, Upper(), 10000, 1);  // either order
    EXPECT_EQ(WholeInvalidations(Upper()), 0);
    EXPECT_EQ(InvalidatedRows(Upper()).size(), 2000u);  // lines 0 ... 1999
    pacing.ClearRecords();
    InvalidateRange(*ed, Upper(), 7, 15);  // line 3 starts at 15: not repainted
    EXPECT_EQ(InvalidatedRows(Upper()), (std::set<int32_t>{kRow, 2 * kRow}));
    pacing.ClearRecords();
    InvalidateRange(*ed, Upper(), 14, 14);  // an empty range: the line holding it
    EXPECT_EQ(InvalidatedRows(Upper()), (std::set<int32_t>{2 * kRow}));
    pacing.ClearRecords();
    InvalidateRange(*ed, Upper(), 14990, kNoIndex - 1);  // to the end: the last line
    EXPECT_EQ(WholeInvalidations(Upper()), 1);
}

TEST_F(PaneViewTest, InvalidateRangeAgreesWithLineByLine) {
    std::mt19937 rng(7);
    for (int doc = 0; doc < 40; ++doc) {
        std::vector<std::string> lines;
        for (uint32_t i = 0, n = 1 + rng() % 30; i < n; ++i)
            lines.push_back(std::string(rng() % 4, 'x') + "\r");
        BuildLines(*ed, lines);
        ed->hiddenLineCount = 0;
        for (LineNumber line = 1; line < lines.size(); ++line)
            if (rng() % 4 == 0) Hide(line);
        const CharIndex total = StoredLength(*ed);
        for (int query = 0; query < 30; ++query) {
            ed->panes[0].scrollY = static_cast<int32_t>(rng() % 12) * kRow;
            SyncPaneTop(*ed, Upper(), static_cast<uint32_t>(ed->panes[0].scrollY));
            const CharIndex a = rng() % (total + 2), b = rng() % (total + 2);
            // Model: every line from the one holding the lower end while lines start
            // before the upper end, each through InvalidateLine.
            pacing.ClearRecords();
            const CharIndex lo = std::min(a, b), hi = std::max(a, b);
            LineNumber line = LocateChar(*ed, lo).line;
            do {
                InvalidateLine(*ed, Upper(), line);
            } while (++line < LineCount(*ed) && LineStart(*ed, line) < hi);
            const std::set<int32_t> want = InvalidatedRows(Upper());
            pacing.ClearRecords();
            InvalidateRange(*ed, Upper(), a, b);
            ASSERT_EQ(InvalidatedRows(Upper()), want) << doc << " " << a << " " << b;
        }
    }
}

// ---- ScrollCaretIntoView ----------------------------------------------------------------

TEST_F(PaneViewTest, TheCaretRowBecomesTheLastWholeRowOrTheTopRow) {
    Lines(40);
    CaretAt(12, 0);
    EXPECT_EQ(ScrollCaretIntoView(*ed, Upper(), 0), 0);
    EXPECT_EQ(ed->panes[0].scrollY, 3 * kRow);  // row 12 is now row 9, the last
    EXPECT_EQ(ed->panes[0].topLine, 3u);
    ASSERT_EQ(pacing.scrolls.size(), 1u);
    EXPECT_EQ(pacing.scrolls[0].dy, -3 * kRow);

    pacing.ClearRecords();
    for (LineNumber line : {12, 3, 7}) {  // within the view now: nothing moves
        CaretAt(line, 0);
        EXPECT_EQ(ScrollCaretIntoView(*ed, Upper(), 3 * kRow), -1) << line;
    }
    EXPECT_EQ(ed->panes[0].scrollY, 3 * kRow);
    EXPECT_TRUE(pacing.scrolls.empty());
    CaretAt(13, 0);
    EXPECT_EQ(ScrollCaretIntoView(*ed, Upper(), 3 * kRow), 0);
    EXPECT_EQ(ed->panes[0].scrollY, 4 * kRow);
    CaretAt(1, 0);
    EXPECT_EQ(ScrollCaretIntoView(*ed, Upper(), 4 * kRow), 0);
    EXPECT_EQ(ed->panes[0].scrollY, kRow);
    EXPECT_EQ(ed->panes[0].topLine, 1u);

    // A partly shown row does not count: the pane holds ten whole rows of 170.
    ed->panes[0].textRect.bottom = kPaneHeight + 10;
    ed->panes[0].scrollY = 0;
    SyncPaneTop(*ed, Upper(), 0);
    CaretAt(10, 0);
    EXPECT_EQ(ScrollCaretIntoView(*ed, Upper(), 0), 0);
    EXPECT_EQ(ed->panes[0].scrollY, kRow);
}

TEST_F(PaneViewTest, TheViewJumpsEightCharactersPastTheRightEdge) {
    Lines(5, std::string(80, 'w'));
    ed->charWidth = 8;
    CaretAt(0, 50);  // x 411, beyond 400 - 16
    EXPECT_EQ(ScrollCaretIntoView(*ed, Upper(), 0), 0);
    EXPECT_EQ(ed->panes[0].scrollX, 411 - 384 + 64);
    EXPECT_EQ(ed->panes[1].scrollX, ed->panes[0].scrollX);
    ASSERT_EQ(pacing.scrolls.size(), 1u);  // the lower pane is not shown
    EXPECT_EQ(pacing.scrolls[0].dx, -(411 - 384 + 64));
    EXPECT_EQ(WholeInvalidations(Upper()), 2);

    // Without a font the average character is 0 wide: the view just follows.
    ed->charWidth = 0;
    ed->panes[0].scrollX = ed->panes[1].scrollX = 0;
    EXPECT_EQ(ScrollCaretIntoView(*ed, Upper(), 0), 0);
    EXPECT_EQ(ed->panes[0].scrollX, 411 - 384);
}

TEST_F(PaneViewTest, TheViewJumpsBackLeftButNeverBelowZero) {
    Lines(5, std::string(80, 'w'));
    ed->charWidth = 8;
    ed->panes[0].scrollX = ed->panes[1].scrollX = 400;
    CaretAt(0, 30);  // x 251 - 400 = -149
    EXPECT_EQ(ScrollCaretIntoView(*ed, Upper(), 0), 0);
    EXPECT_EQ(ed->panes[0].scrollX, 400 - 149 - 64);
    EXPECT_EQ(ed->panes[1].scrollX, 400 - 149 - 64);
    ed->panes[0].scrollX = ed->panes[1].scrollX = 200;
    CaretAt(0, 5);
    EXPECT_EQ(ScrollCaretIntoView(*ed, Upper(), 0), 0);
    EXPECT_EQ(ed->panes[0].scrollX, 0);
    // At offset 0 a caret near the margin stays where it is.
    CaretAt(0, 0);
    EXPECT_EQ(ScrollCaretIntoView(*ed, Upper(), 0), -1);
}

TEST_F(PaneViewTest, BothShownPanesScrollWithTheHorizontalOffset) {
    Lines(40, std::string(80, 'w'));
    ed->panes[1].textRect = {0, 0, kPaneRight, 80};
    CaretAt(0, 60);
    EXPECT_EQ(ScrollCaretIntoView(*ed, Upper(), 0), 0);
    ASSERT_EQ(pacing.scrolls.size(), 2u);
    EXPECT_EQ(pacing.scrolls[0].window, Upper());
    EXPECT_EQ(pacing.scrolls[1].window, Lower());
    EXPECT_EQ(pacing.scrolls[1].dx, pacing.scrolls[0].dx);
}

TEST_F(PaneViewTest, HoldingTheHorizontalOffset) {
    Lines(5, std::string(80, 'w'));
    ed->panes[0].scrollX = ed->panes[1].scrollX = 40;
    CaretAt(0, 70);
    EXPECT_EQ(ScrollCaretIntoView(*ed, Upper(), 0, HorizontalFollow::BackToZero), -1);  // nothing scrolled for it
    EXPECT_EQ(ed->panes[0].scrollX, 0);
    EXPECT_TRUE(pacing.scrolls.empty());
    EXPECT_TRUE(pacing.invalidations.empty());
}

TEST_F(PaneViewTest, ACaretInAFoldedBlockUnfoldsItAndRepaints) {
    Lines(20);
    SetLineMarker(*ed, 2, kMarkerBlockFolded);
    Hide(3);
    Hide(4);
    Hide(5);
    CaretAt(4, 1);
    EXPECT_EQ(ScrollCaretIntoView(*ed, Upper(), 0), 0);
    for (LineNumber line = 3; line <= 5; ++line) EXPECT_FALSE(IsLineHiddenAt(*ed, line));
    EXPECT_EQ(ed->hiddenLineCount, 0u);
    EXPECT_EQ(LineRecordOf(*ed, 2).markerId(), kMarkerBlockOpen);
    EXPECT_EQ(WholeInvalidations(Upper()), 1);
    EXPECT_EQ(pacing.updates, std::vector<WindowRef>{Upper()});
    EXPECT_TRUE(pacing.scrolls.empty());

    // Unfolded below the pane: the caret's row is brought in as well.
    pacing.ClearRecords();
    SetLineMarker(*ed, 14, kMarkerBlockFolded);
    Hide(15);
    Hide(16);
    CaretAt(16, 0);
    EXPECT_EQ(ScrollCaretIntoView(*ed, Upper(), 0), 0);
    EXPECT_EQ(ed->panes[0].scrollY, 7 * kRow);
    EXPECT_EQ(ed->panes[0].topLine, 7u);
    EXPECT_EQ(WholeInvalidations(Upper()), 1);
}

}  // namespace
}  // namespace qv::test
