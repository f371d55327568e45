// The mouse's state machine in a pane, driven through the commands the pane window
// calls, on the recording platform: characters 8 pixels wide, rows 16 pixels high, a
// pane of ten rows 400 pixels wide whose text starts after a 10-pixel margin. The
// live button and pointer, which the automatic scrolling reads, are the platform's
// fields. Clicks, words, margins, pointer shapes and lost captures as a user meets
// them are tested through the real panes (tests/win/MouseTest.cpp).
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "base/ScrollTiming.h"
#include "command/DocumentCommands.h"
#include "command/MouseCommands.h"
#include "core/support/CoreFixture.h"
#include "core/support/DocumentBuilder.h"
#include "edit/Notify.h"
#include "pane/CaretGeometry.h"
#include "pane/MouseState.h"
#include "pane/PointerGeometry.h"
#include "pane/WheelSteps.h"
#include "render/KeywordTable.h"
#include "store/PositionMap.h"

namespace qv::test {
namespace {

constexpr int32_t kRow = 16;
constexpr int32_t kChar = 8;
constexpr int32_t kPaneHeight = 160;
constexpr int32_t kPaneWidth = 400;
constexpr uint32_t kMargin = 10;

class MouseTest : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        DestroyStore(*ed);
        savedTiming = gTiming;
        gTiming = {3000, 1000, 100};
        ed->lineHeight = kRow;
        ed->charWidth = kChar;
        ed->fixedPitch = 1;
        ed->selMarginWidth = kMargin;
        ed->lineNumberWidth = 0;
        ed->clientRect = {0, 0, kPaneWidth, kPaneHeight};
        ed->panes[0].textRect = {0, 0, kPaneWidth, kPaneHeight};
        platform.charPixels = kChar;
        platform.focus = Upper();
    }
    void TearDown() override {
        gTiming = savedTiming;
        CoreFixture::TearDown();
    }

    WindowRef Upper() const { return ed->panes[0].hwnd; }
    void Doc(const std::vector<std::string>& lines) { BuildLines(*ed, lines); }
    // `n` lines "line NN\r" (8 stored characters each).
    void NumberedLines(int n) {
        std::vector<std::string> lines;
        for (int i = 0; i < n; ++i)
            lines.push_back("line " + std::string(i < 10 ? "0" : "") + std::to_string(i) + "\r");
        Doc(lines);
    }
    // Pane x of the left edge of `column`, and pane y inside the row of `line`.
    int32_t X(int32_t column) const { return TextLeft(*ed) + 1 + column * kChar - ed->panes[0].scrollX; }
    int32_t Y(int32_t line) const { return line * kRow + 4 - ed->panes[0].scrollY; }

    MouseContext Ctx() const { return {kChar, nullptr}; }
    void Press(int32_t x, int32_t y, uint32_t keys = kKeyLeftButton) {
        MousePress(*ed, {Upper(), x, y, keys}, Ctx());
    }
    // A move of the pointer, which the live pointer follows.
    void Move(int32_t x, int32_t y, uint32_t keys = kKeyLeftButton) {
        platform.pointer = {x, y};
        MouseMove(*ed, {Upper(), x, y, keys}, Ctx());
    }
    void Release() { MouseRelease(*ed, Upper()); }
    // Handles the moves the pane posted itself, as the message loop would, and
    // answers how many there were.
    int RunPostedMoves(int limit = 1000) {
        int n = 0;
        while (!platform.postedMoves.empty() && n < limit) {
            const FakePlatform::PostedMove m = platform.postedMoves.front();
            platform.postedMoves.erase(platform.postedMoves.begin());
            MouseMove(*ed, {m.window, m.at.x, m.at.y, m.keys}, Ctx());
            ++n;
        }
        return n;
    }
    std::vector<SelChangeInfo> Notes(uint16_t reason) const {
        std::vector<SelChangeInfo> out;
        for (const auto& n : platform.notifications)
            if (n.second.reason == reason) out.push_back(n.second);
        return out;
    }
    void ExpectInsideText() const {
        EXPECT_LE(ed->caretPos, TextEnd(*ed));
        EXPECT_LE(ed->selAnchor, TextEnd(*ed));
    }

    ScrollTiming savedTiming;
};

// ---- The view a click or a margin drag leaves ----------------------------------------

TEST_F(MouseTest, AClickOnAShortLineBringsTheViewBackToTwentyColumnsBeforeTheCaret) {
    Doc({std::string(300, 'x') + "\r", std::string(170, 'y') + "\r", "short\r", "\r"});
    ed->panes[0].scrollX = ed->panes[1].scrollX = 200 * kChar;
    Press(300, Y(1));  // past the end of line 1, left of column 200
    EXPECT_EQ(ed->caretPos, 301u + 170);
    EXPECT_EQ(ed->panes[0].scrollX, 150 * kChar);
    EXPECT_EQ(ed->panes[1].scrollX, 150 * kChar);
    Release();
    Press(300, Y(2));
    EXPECT_EQ(ed->caretPos, 472u + 5);
    EXPECT_EQ(ed->panes[0].scrollX, 0);
    Release();
    ed->panes[0].scrollX = ed->panes[1].scrollX = 200 * kChar;
    Press(X(210), Y(0));  // in view: the offset stays
    EXPECT_EQ(ed->caretPos, 210u);
    EXPECT_EQ(ed->panes[0].scrollX, 200 * kChar);
}

TEST_F(MouseTest, AMarginDragReturnsTheViewToTheLeftAndRepeatsOutsideThePane) {
    NumberedLines(40);
    ed->panes[0].scrollX = ed->panes[1].scrollX = 24;
    Press(4, Y(2));
    platform.leftButtonDown = true;
    platform.ClearRecords();
    Move(3, kPaneHeight + 20);  // below the pane: line 11
    EXPECT_EQ(ed->panes[0].scrollX, 0);
    EXPECT_EQ(ed->panes[1].scrollX, 0);
    EXPECT_EQ(ed->panes[0].scrollY, 2 * kRow);
    ASSERT_EQ(platform.postedMoves.size(), 1u);
    EXPECT_EQ(platform.postedMoves[0].at.y, kPaneHeight + 20);
    // Each repetition brings the next lines in until the last line is in view.
    const int repeats = RunPostedMoves();
    EXPECT_GT(repeats, 5);
    EXPECT_EQ(ed->panes[0].scrollY, 40 * kRow - kPaneHeight);
    EXPECT_EQ(ed->caretPos, TextEnd(*ed));
    EXPECT_EQ(ed->selAnchor, 16u);
}

// ---- Drags -------------------------------------------------------------------------

TEST_F(MouseTest, ColumnFieldsFollowTheDrag) {
    NumberedLines(6);
    Press(X(2), Y(1));
    EXPECT_EQ(ed->clickGridX, (X(2) / kChar) * kChar + 4);
    Move(X(5), Y(1));
    EXPECT_EQ(ed->columnSelEndCol, 5u);
    EXPECT_EQ(ed->columnSelEndLine, 1u);
    Move(X(4), Y(3));
    EXPECT_EQ(ed->columnSelEndCol, 5u);  // only the start line sets the column
    EXPECT_EQ(ed->columnSelEndLine, 3u);
    Release();
    // Strictly inside the released selection the pointer is the arrow, but in column
    // selection only while the band is not empty.
    EXPECT_EQ(PointerShapeAt(*ed, Upper(), X(3), Y(2)), StdCursor::Arrow);
    ed->columnSelMode = 1;
    EXPECT_EQ(PointerShapeAt(*ed, Upper(), X(3), Y(2)), StdCursor::Arrow);
    ed->columnSelEndCol = 0;
    EXPECT_EQ(PointerShapeAt(*ed, Upper(), X(3), Y(2)), StdCursor::IBeam);
    platform.ClearRecords();
    Press(X(1), Y(2));
    EXPECT_EQ(ed->columnSelEndCol, 0u);
    EXPECT_GE(platform.invalidations.size(), 2u);  // both panes whole
}

TEST_F(MouseTest, BelowThePaneTheDragScrollsByTheRowsOutsideAndRepeatsWhileTheButtonIsDown) {
    NumberedLines(40);
    Press(X(1), Y(2));
    Move(X(1), kPaneHeight + 40);  // line 12; the button is up: one step, no repetition
    EXPECT_EQ(ed->panes[0].scrollY, 3 * kRow);
    EXPECT_EQ(ed->caretPos, 12u * 8 + 1);
    EXPECT_TRUE(platform.postedMoves.empty());
    platform.leftButtonDown = true;
    Move(X(1), kPaneHeight + 40);
    ASSERT_EQ(platform.postedMoves.size(), 1u);
    EXPECT_EQ(platform.postedMoves[0].keys, kKeyLeftButton);
    const int repeats = RunPostedMoves();
    EXPECT_LT(repeats, 40);
    EXPECT_EQ(ed->panes[0].scrollY, 40 * kRow - kPaneHeight);
    EXPECT_EQ(ed->caretPos, 39u * 8 + 1);
    // Above the pane back to the top, the caret at the rows' starts.
    Move(X(3), -30);
    RunPostedMoves();
    EXPECT_EQ(ed->panes[0].scrollY, 0);
    EXPECT_EQ(ed->caretPos, 0u);
    ExpectInsideText();
}

TEST_F(MouseTest, BeyondTheRightLimitTheCaretWalksToTheLinesEnd) {
    Doc({std::string(100, 'x') + "\r", "tail\r"});
    Press(X(10), Y(0));
    platform.leftButtonDown = true;
    platform.ClearRecords();
    Move(395, Y(0));                // beyond 400 - 10 - 8
    EXPECT_EQ(ed->caretPos, 101u);  // after the CR, never into the next line
    EXPECT_EQ(StateOf(*ed).mouse.lineEndReached, 1u);
    EXPECT_EQ(ed->panes[0].scrollX, (101 - 48) * kChar);
    EXPECT_EQ(platform.spins, 101 - 48);
    CharIndex last = 48;
    for (const auto& n : Notes(kReasonSelChange)) {
        EXPECT_GE(n.caret, last);
        EXPECT_LE(n.caret, 101u);
        last = n.caret;
    }
    // Held there, nothing moves any more.
    platform.ClearRecords();
    Move(396, Y(0));
    EXPECT_EQ(ed->caretPos, 101u);
    EXPECT_EQ(platform.spins, 0);
}

TEST_F(MouseTest, TheWalkStopsWhenTheButtonIsReleasedOrTheGestureEnds) {
    Doc({std::string(100, 'x') + "\r", "tail\r"});
    Press(X(10), Y(0));
    platform.leftButtonDown = true;
    platform.leftReadsBeforeRelease = 5;
    Move(395, Y(0));
    EXPECT_EQ(ed->caretPos, 48u + 5);
    EXPECT_EQ(StateOf(*ed).mouse.mouseDragState, kMouseDragging);  // the release message ends it
    Release();

    // A parent that ends the gesture during a step's notification (it opened a
    // menu, which took the capture) stops the walk at once.
    ed->panes[0].scrollX = ed->panes[1].scrollX = 0;
    Press(X(10), Y(0));
    platform.leftButtonDown = true;
    platform.leftReadsBeforeRelease = -1;
    int steps = 0;
    platform.onNotify = [&](const SelChangeInfo&) {
        if (++steps == 3) EndMouseGesture(*ed);
    };
    Move(395, Y(0));
    platform.onNotify = nullptr;
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(ed->caretPos, 48u + 3);  // the third step was taken, then the walk stopped
    EXPECT_EQ(StateOf(*ed).mouse.mouseDragState, kMouseIdle);
}

TEST_F(MouseTest, TheLeftWalkNeverStepsLeftOfTheLinesStart) {
    // Line numbers shown, the view scrolled right, a press on line 0 at an odd
    // column, then a drag left into the margin.
    ed->lineNumberWidth = 37;
    Doc({std::string(200, 'x') + "\r", "second line\r", "\r"});
    ed->panes[0].scrollX = ed->panes[1].scrollX = 100 * kChar;
    Press(X(119), Y(0));
    ASSERT_EQ(ed->caretPos, 119u);
    platform.leftButtonDown = true;
    platform.ClearRecords();
    Move(20, Y(0));
    EXPECT_EQ(ed->caretPos, 0u);
    EXPECT_EQ(ed->selAnchor, 119u);
    EXPECT_GE(ed->panes[0].scrollX, 0);
    EXPECT_LT(platform.spins, 120);
    for (const auto& n : Notes(kReasonSelChange)) EXPECT_LE(n.caret, 119u);
    // The same with the button released after a few steps: the walk stops there.
    Release();
    ed->panes[0].scrollX = ed->panes[1].scrollX = 100 * kChar;
    Press(X(119), Y(0));
    platform.leftReadsBeforeRelease = 3;
    Move(20, Y(0));
    EXPECT_GT(ed->caretPos, 80u);
    EXPECT_LT(ed->caretPos, 119u);
    Release();
    // At the start of a line that is not the first, with the view one column right,
    // the walk stays on the line.
    ed->panes[0].scrollX = ed->panes[1].scrollX = kChar;
    Press(X(3), Y(1));
    platform.leftReadsBeforeRelease = -1;
    Move(TextLeft(*ed) - 10, Y(1));  // column 0
    EXPECT_EQ(ed->caretPos, 201u);
    Release();
    ed->panes[0].scrollX = ed->panes[1].scrollX = kChar;
    Press(X(3), Y(1));
    StateOf(*ed).scroll.caretPlaced = {kPaneWidth, 0};  // the caret right of the pointer: one more step
    Move(X(1) + 1, Y(1));              // column 1
    EXPECT_EQ(ed->caretPos, 201u);
    Release();
    // What is selected is exactly the range between the ends.
    const CharIndex lo = std::min(ed->selAnchor, ed->caretPos), hi = std::max(ed->selAnchor, ed->caretPos);
    const std::string before = StoredText(*ed);
    ClearSelection(*ed);
    EXPECT_EQ(StoredText(*ed), before.substr(0, lo) + before.substr(hi));
}

// ---- The wheel ---------------------------------------------------------------------

TEST(WheelSteps, NotchesAccumulateUntilTheDirectionTurns) {
    struct Case {
        int32_t delta;
        int32_t notches, remainder;
    } sequence[] = {
        {120, 1, 0},     {-240, -2, 0}, {60, 0, 60},      {60, 1, 0},
        {40, 0, 40},     {-40, 0, -40},  // turned: dropped
        {-100, -1, -20}, {30, 0, 30},   {32767, 273, 37}, {-32768, -273, -8},
    };
    int32_t remainder = 0;
    for (const Case& c : sequence) {
        EXPECT_EQ(TakeWheelNotches(remainder, c.delta), c.notches) << c.delta;
        EXPECT_EQ(remainder, c.remainder) << c.delta;
    }
}

TEST(WheelSteps, TheTargetStaysInTheRangeWhateverTheProduct) {
    EditorInstance ed = {};
    ViewPane pane = {};
    pane.textRect = {0, 0, 400, 170};  // 10 whole rows of 16
    ed.lineHeight = 16;
    const VerticalRange bar = {1000, 160};  // bottom 840
    struct Case {
        uint32_t lines;
        int32_t from, notches, to;
    } cases[] = {
        {3, 480, 1, 432},
        {3, 480, -1, 528},
        {3, 20, 1, 0},
        {3, 830, -1, 840},
        {3, 900, -1, 900},  // beyond the bottom: not pulled up
        {0xFFFFFFFFu, 480, 1, 320},
        {0xFFFFFFFFu, 480, -2, 800},  // a page: the whole rows
        {0x7FFFFFFFu, 480, -273, 840},
        {0xFFFFFFFEu, 480, 273, 0},  // no wrap-around
        {3, 480, 0, 480},
    };
    for (const Case& c : cases) {
        ed.wheelLines = c.lines;
        EXPECT_EQ(WheelTarget(ed, pane, c.from, c.notches, bar), c.to) << c.lines << " " << c.notches;
    }
    ed.wheelLines = 3;
    EXPECT_EQ(WheelTarget(ed, pane, 0, -1, {100, 160}), 0);  // a page larger than the range
}

TEST_F(MouseTest, TheWheelJumpsOrScrollsSmoothlyToTheSameOffset) {
    NumberedLines(100);
    const VerticalRange bar = {100 * kRow, kPaneHeight};
    for (uint32_t smooth : {0u, 1u}) {
        for (uint32_t mhz : {3000u, 1000u}) {
            gSmoothWheel = smooth;
            gTiming.cpuMHz = mhz;
            ed->panes[0].scrollY = 10 * kRow;
            int32_t remainder = 0;
            platform.ClearRecords();
            WheelScroll(*ed, Upper(), remainder, -240, bar, Ctx());  // two notches down
            EXPECT_EQ(ed->panes[0].scrollY, 16 * kRow) << smooth << " " << mhz;
            ASSERT_EQ(Notes(kReasonScrollBar).size(), 1u);
            EXPECT_EQ(Notes(kReasonScrollBar)[0].line, 16u);
            const size_t steps = platform.scrolls.size();
            EXPECT_EQ(steps, smooth == 0 ? 1u : mhz > 2000 ? 96u : 6u);
            EXPECT_EQ(StateOf(*ed).scroll.scrollPacingOff, 0u);
            EXPECT_EQ(platform.spins, 0);
        }
    }
    // A press during a smooth pixel scroll ends it at the next row boundary.
    gSmoothWheel = 1;
    gTiming.cpuMHz = 3000;
    ed->panes[0].scrollY = 0;
    int32_t remainder = 0;
    platform.leftButtonDown = true;
    platform.leftReadsBeforeRelease = 20;  // up for the first 20 steps
    platform.leftButtonDown = false;
    WheelScroll(*ed, Upper(), remainder, -120, bar, Ctx());
    EXPECT_EQ(ed->panes[0].scrollY, 3 * kRow);
    platform.leftButtonDown = true;
    platform.leftReadsBeforeRelease = -1;
    ed->panes[0].scrollY = 0;
    WheelScroll(*ed, Upper(), remainder, -120, bar, Ctx());
    EXPECT_EQ(ed->panes[0].scrollY, kRow);  // one pixel, then on to the row's end
    gSmoothWheel = 0;
}

// ---- Any gesture -------------------------------------------------------------------

// Random presses, moves, releases, double clicks, lost captures and wheel turns,
// over lines of any length with tabs, in fixed and proportional pitch, with the
// button held or not and the view scrolled anywhere. After every step both ends
// of the selection lie in the text, every notification reports a position in the
// text, and every posted move is handled (each loop ends on its own).
TEST_F(MouseTest, EveryGestureLeavesTheSelectionInsideTheText) {
    std::mt19937 rng(9);
    auto below = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
    for (int round = 0; round < 40; ++round) {
        std::vector<std::string> lines;
        const int count = 1 + below(30);
        for (int i = 0; i < count; ++i) {
            std::string line;
            const int n = below(4) == 0 ? below(3) : below(120);
            for (int k = 0; k < n; ++k) line += below(9) == 0 ? '\t' : static_cast<char>('a' + below(26));
            lines.push_back(line + "\r");
        }
        DestroyStore(*ed);
        Doc(lines);
        ed->fixedPitch = below(2);
        ed->lineNumberWidth = below(2) ? 37 : 0;
        ed->selAnchor = ed->caretPos = 0;
        ed->panes[0].scrollX = ed->panes[1].scrollX = below(2) ? below(4) * kChar : below(3) * 40 * kChar;
        ed->panes[0].scrollY = 0;
        StateOf(*ed).mouse = MouseState{};
        for (int step = 0; step < 60; ++step) {
            platform.ClearRecords();
            platform.leftButtonDown = below(3) != 0;
            platform.leftReadsBeforeRelease = below(2) ? -1 : below(50);
            const int32_t x = below(500) - 30;
            const int32_t y = below(260) - 50;
            switch (below(7)) {
                case 0:
                    Press(x, y, kKeyLeftButton | (below(3) == 0 ? kKeyShift : 0));
                    break;
                case 1:
                    Release();
                    break;
                case 2:
                    MouseDoubleClick(*ed);
                    break;
                case 3:
                    EndMouseGesture(*ed);
                    break;
                case 4: {
                    int32_t remainder = 0;
                    WheelScroll(*ed, Upper(), remainder, below(600) - 300,
                                {static_cast<int64_t>(count) * kRow, kPaneHeight}, Ctx());
                    break;
                }
                default:
                    Move(x, y, below(5) ? kKeyLeftButton : 0);
                    break;
            }
            RunPostedMoves(200);
            ASSERT_TRUE(platform.postedMoves.empty()) << round << "/" << step;
            ASSERT_LE(ed->caretPos, TextEnd(*ed)) << round << "/" << step;
            ASSERT_LE(ed->selAnchor, TextEnd(*ed)) << round << "/" << step;
            ASSERT_GE(ed->panes[0].scrollX, 0);
            ASSERT_GE(ed->panes[0].scrollY, 0);
            for (const auto& n : platform.notifications) {
                if (n.second.reason == kReasonScrollBar) continue;
                ASSERT_LE(n.second.caret, TextEnd(*ed)) << round << "/" << step;
            }
        }
    }
}

}  // namespace
}  // namespace qv::test
