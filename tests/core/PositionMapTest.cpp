// Char index <-> line, column and pixel row, through the two caches.
#include "core/support/CoreFixture.h"
#include "core/support/DocumentBuilder.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv::test {
namespace {

class PositionMapTest : public CoreFixture {
protected:
    void Hide(LineNumber line) {
        LineRecordView rec = LineRecordOf(*ed, line);
        rec.setFlags(rec.flags() | kFlagHidden);
        ed->hiddenLineCount++;
    }
    // A model answer for LocateChar: line, column, clamped index.
    CharLocation Model(CharIndex a) {
        CharIndex s = 0;
        uint32_t count = LineCount(*ed);
        for (LineNumber line = 0; line < count; ++line) {
            uint32_t length = LineLength(*ed, line);
            if (a < s + length) return {a - s, line, a};
            if (line + 1 == count) return {length, line, s + length};
            s += length;
        }
        return {};
    }
};

// LocateChar clamps to the stored length; ClampToTextEnd to the host's text, in
// front of the closing CR.
TEST_F(PositionMapTest, LocateCharInTwoLines) {
    BuildLines(*ed, {"ab\r", "cd\r"});
    struct {
        CharIndex a;
        LineNumber line;
        uint32_t column;
        CharIndex index;
        CharIndex inText;
    } cases[] = {{0, 0, 0, 0, 0}, {2, 0, 2, 2, 2}, {3, 1, 0, 3, 3}, {5, 1, 2, 5, 5},
                 {6, 1, 3, 6, 5}, {7, 1, 3, 6, 5}, {kNoIndex, 1, 3, 6, 5}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.a);
        EXPECT_EQ(ClampToTextEnd(*ed, c.a), c.inText);
        EXPECT_EQ(ed->curLine, c.line);
        CharLocation where = LocateChar(*ed, c.a);
        EXPECT_EQ(where.line, c.line);
        EXPECT_EQ(where.column, c.column);
        EXPECT_EQ(where.index, c.index);
        EXPECT_EQ(ed->curLine, c.line);
        EXPECT_EQ(ed->curLineSlot, 4 * c.line);
        EXPECT_EQ(ed->curRecord, RecordOffset(*ed, c.line));
        EXPECT_EQ(ed->curLineStart, c.index - c.column);
        EXPECT_EQ(ed->curLineLength, 3u);
    }
}

TEST_F(PositionMapTest, LocateCharAgreesFromEveryStartingRule) {
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i) lines.push_back(std::string(i % 7, 'x') + "\r");
    BuildLines(*ed, lines);
    CharIndex total = StoredLength(*ed);
    // From every cached line, every index: forwards, backwards and restarting.
    for (CharIndex from = 0; from <= total; from += 37) {
        for (CharIndex a = 0; a <= total + 2; a += 3) {
            LocateChar(*ed, from);
            CharLocation got = LocateChar(*ed, a), want = Model(a);
            ASSERT_EQ(got.line, want.line) << from << " " << a;
            ASSERT_EQ(got.column, want.column) << from << " " << a;
            ASSERT_EQ(got.index, want.index) << from << " " << a;
        }
    }
    EXPECT_EQ(ed->maxLineLength, 7u);
}

TEST_F(PositionMapTest, LocateCharInAStoreWithoutItsCr) {
    CharLocation where = LocateChar(*ed, 0);  // the fresh, empty store
    EXPECT_EQ(where.line, 0u);
    EXPECT_EQ(where.column, 0u);
    EXPECT_EQ(where.index, 0u);
}

TEST_F(PositionMapTest, LineStartAndLineFromChar) {
    BuildLines(*ed, {"ab\r", "\r", "cde\r", "f\r"});
    EXPECT_EQ(LineStart(*ed, 0), 0u);
    EXPECT_EQ(LineStart(*ed, 1), 3u);
    EXPECT_EQ(LineStart(*ed, 2), 4u);
    EXPECT_EQ(LineStart(*ed, 3), 8u);
    EXPECT_EQ(LineStart(*ed, 99), 8u);  // past the end: the last line
    ed->caretPos = 1000;                // the caret rule stays out of the way
    LineNumber want[] = {0, 0, 0, 1, 2, 2, 2, 2, 3, 3, 3, 3};
    for (CharIndex a = 0; a < 12; ++a) EXPECT_EQ(LineFromChar(*ed, a), want[a]) << a;
    EXPECT_EQ(LineFromChar(*ed, kNoIndex), 3u);

    // The same from a top-line cache further down.
    ed->panes[0].topLine = 2;
    ed->panes[0].topLineStart = 4;
    ed->panes[0].topLineY = 30;
    EXPECT_EQ(LineStart(*ed, 0), 0u);
    EXPECT_EQ(LineStart(*ed, 1), 3u);
    EXPECT_EQ(LineStart(*ed, 3), 8u);
    for (CharIndex a = 0; a < 12; ++a) EXPECT_EQ(LineFromChar(*ed, a), want[a]) << a;
}

TEST_F(PositionMapTest, LineFromCharCaretRuleOnlyForTheCaretsOwnIndex) {
    BuildLines(*ed, {"ab\r", "cd\r"});
    LocateChar(*ed, 0);  // current line 0
    ed->caretPos = 3;    // right after line 0's CR
    EXPECT_EQ(LineFromChar(*ed, 3), 0u);  // the caret's own index: its line
    ed->caretPos = 5;
    EXPECT_EQ(LineFromChar(*ed, 3), 1u);  // any other index: where it lies
}

TEST_F(PositionMapTest, RowsSkipHiddenLines) {
    BuildLines(*ed, {"a\r", "b\r", "c\r", "d\r", "e\r", "f\r", "g\r"});
    ed->lineHeight = 16;
    Hide(2);
    Hide(3);
    Hide(4);
    EXPECT_EQ(LineToY(*ed, 5), 32u);
    EXPECT_EQ(LineToY(*ed, 3), 32u);
    EXPECT_EQ(LineToY(*ed, 6), 48u);
    EXPECT_EQ(LineToY(*ed, 99), 48u);
    EXPECT_EQ(YToLine(*ed, 32), 5u);
    EXPECT_EQ(YToLine(*ed, 16), 1u);
    EXPECT_EQ(YToLine(*ed, 40), 5u);
    EXPECT_EQ(YToLine(*ed, 5000), 6u);

    // Walking back from a top cache below the fold.
    ed->panes[0].topLine = 5;
    ed->panes[0].topLineY = 32;
    ed->panes[0].topLineStart = 10;
    EXPECT_EQ(LineToY(*ed, 1), 16u);
    EXPECT_EQ(LineToY(*ed, 3), 32u);
    EXPECT_EQ(YToLine(*ed, 16), 1u);
    EXPECT_EQ(YToLine(*ed, 0), 0u);
}

TEST_F(PositionMapTest, SyncPaneTopStepsOverHiddenLines) {
    BuildLines(*ed, {"a\r", "b\r", "c\r", "d\r", "e\r", "f\r", "g\r"});
    ed->lineHeight = 16;
    Hide(2);
    Hide(3);
    SyncPaneTop(*ed, ed->panes[0].hwnd, 40);  // 2.5 rows
    EXPECT_EQ(ed->panes[0].topLineY, 32u);
    EXPECT_EQ(ed->panes[0].topLine, 4u);  // past a, b and the hidden c, d
    EXPECT_EQ(ed->panes[0].topLineStart, 8u);
    SyncPaneTop(*ed, ed->panes[0].hwnd, 16);
    EXPECT_EQ(ed->panes[0].topLine, 1u);
    EXPECT_EQ(ed->panes[0].topLineStart, 2u);
    EXPECT_EQ(ed->panes[0].topLineY, 16u);
}

TEST_F(PositionMapTest, HiddenFirstLinesHaveNoRowFromTheTopCache) {
    // A host may hide line 0: the cache (0, 0, 0) then names a line without a row
    // of its own, and the walks begin at the first line that has one.
    BuildLines(*ed, {"a\r", "b\r", "c\r", "d\r", "e\r"});
    ed->lineHeight = 16;
    Hide(0);
    Hide(1);
    EXPECT_EQ(YToLine(*ed, 0), 2u);
    EXPECT_EQ(YToLine(*ed, 16), 3u);
    EXPECT_EQ(YToLine(*ed, 40), 4u);
    EXPECT_EQ(LineToY(*ed, 3), 16u);
    SyncPaneTop(*ed, ed->panes[0].hwnd, 16);
    EXPECT_EQ(ed->panes[0].topLine, 3u);
    EXPECT_EQ(ed->panes[0].topLineStart, 6u);
    EXPECT_EQ(ed->panes[0].topLineY, 16u);
    SyncPaneTop(*ed, ed->panes[0].hwnd, 0);
    EXPECT_EQ(ed->panes[0].topLine, 2u);
    EXPECT_EQ(ed->panes[0].topLineStart, 4u);
    EXPECT_EQ(ed->panes[0].topLineY, 0u);
}

TEST_F(PositionMapTest, SyncPaneTopStopsAtTheLastLine) {
    BuildLines(*ed, {"a\r", "b\r", "c\r"});
    SyncPaneTop(*ed, ed->panes[0].hwnd, 15 * 100);
    EXPECT_EQ(ed->panes[0].topLine, 2u);
    EXPECT_EQ(ed->panes[0].topLineStart, 4u);
    EXPECT_EQ(ed->panes[0].topLineY, 30u);
}

TEST_F(PositionMapTest, HiddenSecondPaneFollowsTheFirst) {
    BuildLines(*ed, {"a\r", "b\r", "c\r", "d\r"});
    ed->panes[0].scrollY = 30;
    SyncPaneTop(*ed, ed->panes[0].hwnd, 30);
    EXPECT_EQ(ed->panes[1].scrollY, 30);
    EXPECT_EQ(ed->panes[1].topLine, 2u);
    EXPECT_EQ(ed->panes[1].topLineStart, 4u);
    EXPECT_EQ(ed->panes[1].topLineY, 30u);

    ed->panes[1].textRect.bottom = 100;  // shown: it keeps its own
    ed->panes[0].scrollY = 15;
    SyncPaneTop(*ed, ed->panes[0].hwnd, 15);
    EXPECT_EQ(ed->panes[1].topLine, 2u);
    EXPECT_EQ(ed->panes[1].scrollY, 30);
}

TEST_F(PositionMapTest, EditsBeforeTheTopResetItsCache) {
    BuildLines(*ed, {"ab\r", "cd\r", "ef\r"});
    SyncPaneTop(*ed, ed->panes[0].hwnd, 15);
    ed->panes[0].scrollY = 15;
    ResetPaneCachesBefore(*ed, 3);  // exactly at the top line's start: kept
    EXPECT_EQ(ed->panes[0].topLine, 1u);
    ResetPaneCachesBefore(*ed, 2);
    EXPECT_EQ(ed->panes[0].topLine, 0u);
    EXPECT_EQ(ed->panes[0].topLineStart, 0u);
    EXPECT_EQ(ed->panes[0].topLineY, 0u);
    EXPECT_EQ(ed->panes[0].scrollY, 15);  // the offset stays
}

}  // namespace
}  // namespace qv::test
