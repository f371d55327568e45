// Word boundaries, locked lines, and the line markers that unfolding sets.
#include <string>
#include <vector>

#include "core/support/CoreFixture.h"
#include "core/support/DocumentBuilder.h"
#include "render/LineLocks.h"
#include "render/Markers.h"
#include "render/Words.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv::test {
namespace {

class WordsAndLocksTest : public CoreFixture {
protected:
    uint32_t Flags(LineNumber line) { return LineRecordOf(*ed, line).flags(); }
    void SetFlags(LineNumber line, uint32_t flags) { LineRecordOf(*ed, line).setFlags(flags); }
    void Hide(LineNumber line) {
        SetFlags(line, Flags(line) | kFlagHidden);
        ed->hiddenLineCount++;
    }
};

TEST_F(WordsAndLocksTest, WordsAreRunsOfNameCharacters) {
    // 0         1
    // 012345678901234
    // " abc_1 x.y?@Z["
    BuildLines(*ed, {" abc_1 x.y?@Z[\r", "next\r"});
    EXPECT_EQ(WordStart(*ed, 3), 1u);  // from inside abc_1
    EXPECT_EQ(WordEnd(*ed, 3), 6u);
    EXPECT_EQ(WordStart(*ed, 6), 1u);  // from right after it
    EXPECT_EQ(WordEnd(*ed, 6), 6u);    // a blank is no name character
    EXPECT_EQ(WordStart(*ed, 9), 9u);  // right after a full stop: that same place
    EXPECT_EQ(WordEnd(*ed, 9), 13u);   // y ? @ Z are name characters, [ is not
    EXPECT_EQ(WordStart(*ed, 13), 9u);
    EXPECT_EQ(WordEnd(*ed, 13), 13u);
    EXPECT_EQ(WordStart(*ed, 1), 1u);
}

TEST_F(WordsAndLocksTest, WordsNeverCrossALineEnd) {
    BuildLines(*ed, {"ab\r", "cd\r", "\r"});
    EXPECT_EQ(WordStart(*ed, 3), 3u);  // the first column of a line
    EXPECT_EQ(WordEnd(*ed, 1), 2u);    // stops at the CR
    EXPECT_EQ(WordEnd(*ed, 2), 2u);
    EXPECT_EQ(WordStart(*ed, 6), 6u);  // an empty line
    EXPECT_EQ(WordEnd(*ed, 6), 6u);
    EXPECT_EQ(WordStart(*ed, 7), 7u);  // the end of the text
    EXPECT_EQ(WordEnd(*ed, kNoIndex), 7u);
    EXPECT_EQ(WordStart(*ed, kNoIndex), 7u);
}

TEST_F(WordsAndLocksTest, NameCharacterBoundaries) {
    const std::string name = "09?@AZaz_", other = "/:>[`{ \t\r-.\x7F\x80\xC0\xFF";
    for (char c : name) EXPECT_TRUE(IsNameChar(static_cast<uint8_t>(c))) << int(uint8_t(c));
    for (char c : other) EXPECT_FALSE(IsNameChar(static_cast<uint8_t>(c))) << int(uint8_t(c));
}

TEST_F(WordsAndLocksTest, LockingALine) {
    BuildLines(*ed, {"a\r", "b\r", "c\r"});
    SetFlags(1, 0x2A5);  // other bits survive locking and unlocking
    SetLineLocked(*ed, 1, 1);
    EXPECT_EQ(Flags(1), 0x3A5u);
    EXPECT_EQ(IsLineLocked(*ed, 1), 0x100u);
    EXPECT_EQ(IsLineLocked(*ed, 0), 0u);
    EXPECT_EQ(IsLineLocked(*ed, 3), 0u);  // out of range
    SetLineLocked(*ed, 1, 0);
    EXPECT_EQ(Flags(1), 0x2A5u);
    EXPECT_EQ(IsLineLocked(*ed, 1), 0u);
    SetLineLocked(*ed, 3, 1);  // no such line: ignored
    SetLineLocked(*ed, kNoIndex, 1);
    EXPECT_EQ(StoredLines(*ed).size(), 3u);
}

TEST_F(WordsAndLocksTest, ReadOnlyLocksEveryLine) {
    BuildLines(*ed, {"a\r", "b\r"});
    ed->style |= kStyleReadOnly;
    EXPECT_EQ(IsLineLocked(*ed, 0), 1u);
    EXPECT_EQ(IsLineLocked(*ed, 1), 1u);
    EXPECT_EQ(IsLineLocked(*ed, 50), 1u);
    EXPECT_NE(IsRangeLocked(*ed, 0, 0), 0u);
    SetLineLocked(*ed, 0, 1);
    EXPECT_EQ(IsLineLocked(*ed, 0), 1u);  // read-only answers 1 whatever the bit
}

TEST_F(WordsAndLocksTest, ARangeIsLockedWhenAnyOfItsLinesIs) {
    BuildLines(*ed, {"ab\r", "cd\r", "ef\r", "gh\r", "ij\r"});  // starts 0 3 6 9 12
    SetLineLocked(*ed, 2, 1);
    struct {
        CharIndex a, b;
        bool locked;
    } cases[] = {{0, 5, false},        {0, 6, true},        {6, 6, true}, {8, 8, true},
                 {9, 14, false},       {14, 1, true},       {5, 9, true}, {9, 9, false},
                 {kNoIndex, 9, false}, {kNoIndex, 0, true}, {3, 5, false}};
    for (auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.a) + " " + std::to_string(c.b));
        EXPECT_EQ(IsRangeLocked(*ed, c.a, c.b) != 0, c.locked);
    }
    IsRangeLocked(*ed, 13, 1);
    EXPECT_EQ(ed->curLine, 0u);  // the cache ends on the lower end's line
}

TEST_F(WordsAndLocksTest, SettingAMarker) {
    BuildLines(*ed, {"a\r", "b\r", "c\r"});
    SetFlags(1, 0x1A3);  // highlight 3, painting bit, locked
    SetLineMarker(*ed, 1, 57);
    LineRecordView rec = LineRecordOf(*ed, 1);
    EXPECT_EQ(rec.flags(), 0x140u);  // the whole low byte is replaced
    EXPECT_EQ(rec.markerId(), 57u);
    EXPECT_EQ(rec.markerLine(), 1u);
    EXPECT_EQ(ed->currentMarkerId, 57u);
    SetLineMarker(*ed, 1, 0);
    EXPECT_EQ(rec.flags(), 0x100u);
    EXPECT_EQ(rec.markerId(), 0u);
    EXPECT_EQ(ed->currentMarkerId, 0u);
    ed->currentMarkerId = 9;
    SetLineMarker(*ed, 3, 5);  // no such line: nothing changes
    SetLineMarker(*ed, kNoIndex, 5);
    EXPECT_EQ(ed->currentMarkerId, 9u);
}

TEST_F(WordsAndLocksTest, UnfoldingShowsTheHiddenRunAfterTheStart) {
    std::vector<std::string> lines;
    for (int i = 0; i < 12; ++i) lines.push_back(std::string(1, char('a' + i)) + "\r");
    BuildLines(*ed, lines);
    SetLineMarker(*ed, 2, kMarkerBlockFolded);
    for (LineNumber line : {3, 4, 5, 6, 8, 9}) Hide(line);  // 7 ends the block; 8-9 another fold
    SetLineLocked(*ed, 4, 1);
    ed->panes[0].topLine = 8;  // the cache lies after the start: it moves
    ed->panes[0].topLineY = 45;
    ed->panes[0].topLineStart = 16;
    ed->panes[1].topLine = 2;  // at the start itself: it stays
    ed->panes[1].topLineY = 30;
    ed->panes[1].topLineStart = 4;

    UnfoldBlock(*ed, 2);
    for (LineNumber line = 3; line <= 7; ++line) EXPECT_FALSE(IsLineHiddenAt(*ed, line)) << line;
    EXPECT_TRUE(IsLineHiddenAt(*ed, 8));
    EXPECT_TRUE(IsLineHiddenAt(*ed, 9));
    EXPECT_EQ(ed->hiddenLineCount, 2u);
    EXPECT_EQ(Flags(4), kFlagLocked);  // only the hidden bit is cleared
    EXPECT_EQ(LineRecordOf(*ed, 2).markerId(), kMarkerBlockOpen);
    EXPECT_EQ(Flags(2) & 0xFF, kKindCurrent);
    EXPECT_EQ(ed->panes[0].topLine, 0u);
    EXPECT_EQ(ed->panes[0].topLineY, 0u);
    EXPECT_EQ(ed->panes[0].topLineStart, 0u);
    EXPECT_EQ(ed->panes[1].topLine, 2u);
    EXPECT_EQ(ed->panes[1].topLineStart, 4u);

    UnfoldBlock(*ed, 11);  // the last line: nothing follows it
    EXPECT_EQ(ed->hiddenLineCount, 2u);
    UnfoldBlock(*ed, 12);  // no such lines: nothing at all, not even a wrap to line 0
    UnfoldBlock(*ed, kNoIndex);
    EXPECT_EQ(ed->hiddenLineCount, 2u);
    EXPECT_EQ(ed->panes[1].topLine, 2u);
    EXPECT_TRUE(IsLineHiddenAt(*ed, 8));
}

}  // namespace
}  // namespace qv::test
