// Line highlights: set, read and cleared by value.
#include "core/support/CoreFixture.h"
#include "core/support/DocumentBuilder.h"
#include "render/Highlights.h"
#include "store/LineRecord.h"

namespace qv::test {
namespace {

class HighlightsTest : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        BuildLines(*ed, {"a\r", "b\r", "c\r", "d\r", "e\r"});
    }
    uint32_t Flags(LineNumber line) { return LineRecordOf(*ed, line).flags(); }
};

TEST_F(HighlightsTest, SetKeepsTheOtherFlagsAndIgnoresLinesPastTheEnd) {
    LineRecordOf(*ed, 1).setFlags(kFlagLocked | 0x30);
    EXPECT_TRUE(SetLineHighlight(*ed, 1, 0x17));
    EXPECT_EQ(Flags(1), kFlagLocked | 0x30 | 7);
    EXPECT_EQ(GetLineHighlight(*ed, 1), 7);
    EXPECT_FALSE(SetLineHighlight(*ed, 5, 3));
    EXPECT_EQ(GetLineHighlight(*ed, 5), -1);
    EXPECT_EQ(GetLineHighlight(*ed, 0xFFFFFFFF), -1);
}

TEST_F(HighlightsTest, ClearingByValueMatchesWholeFlagsOnly) {
    SetLineHighlight(*ed, 0, 3);
    SetLineHighlight(*ed, 1, 3);
    LineRecordOf(*ed, 1).setFlags(Flags(1) | 0x30);  // highlight 3 and a bookmark
    SetLineHighlight(*ed, 2, 4);
    ClearHighlights(*ed, 3);
    EXPECT_EQ(Flags(0), 0u);
    EXPECT_EQ(Flags(1), 0x33u);
    EXPECT_EQ(Flags(2), 4u);
}

TEST_F(HighlightsTest, NineClearsOneToNine) {
    SetLineHighlight(*ed, 0, 1);
    SetLineHighlight(*ed, 1, 9);
    SetLineHighlight(*ed, 2, 10);
    SetLineHighlight(*ed, 3, 3);
    LineRecordOf(*ed, 3).setFlags(Flags(3) | kFlagHidden);
    ClearHighlights(*ed, 9);
    EXPECT_EQ(Flags(0), 0u);
    EXPECT_EQ(Flags(1), 0u);
    EXPECT_EQ(Flags(2), 10u);
    EXPECT_EQ(Flags(3), kFlagHidden | 3);
}

// Values that are no highlight match nothing: 0x100 would unlock every line that is
// only locked, 0x200 unhide lines behind hiddenLineCount's back.
TEST_F(HighlightsTest, OnlyHighlightValuesClear) {
    LineRecordOf(*ed, 0).setFlags(kFlagLocked);
    LineRecordOf(*ed, 1).setFlags(kFlagHidden);
    ed->hiddenLineCount = 1;
    LineRecordOf(*ed, 2).setFlags(0x40);
    SetLineHighlight(*ed, 3, 15);
    for (uint32_t value : {0x100u, 0x200u, 0x40u, 0x10Fu, 0u, 16u}) ClearHighlights(*ed, value);
    EXPECT_EQ(Flags(0), kFlagLocked);
    EXPECT_EQ(Flags(1), kFlagHidden);
    EXPECT_EQ(ed->hiddenLineCount, 1u);
    EXPECT_EQ(Flags(2), 0x40u);
    ClearHighlights(*ed, 15);
    EXPECT_EQ(Flags(3), 0u);
}

}  // namespace
}  // namespace qv::test
