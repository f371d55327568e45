// The undo tape: its bytes, undo and redo of every kind, grouping, the end of the
// redo chain, and undo and redo as exact inverses around kept line breaks.
#include <string>

#include "core/support/EditFixture.h"

namespace qv::test {
namespace {

class UndoLogTest : public EditFixture {
protected:
    // A paste: the selection replaced as one undo step.
    uint32_t Paste(const char* text) {
        return ReplaceSelection(*ed, text, true);
    }
    void ExpectFlagsClear() {
        EXPECT_EQ(StateOf(*ed).edit.absorbNextCr, 0u);
        EXPECT_EQ(StateOf(*ed).edit.keepNextCr, 0u);
    }
};

TEST_F(UndoLogTest, TypingTwoCharactersLaysOutTwoRecords) {
    ASSERT_TRUE(TypeChar(*ed, 'a'));
    ASSERT_TRUE(TypeChar(*ed, 'b'));
    EXPECT_EQ(ed->undoLogUsed, 76u);
    EXPECT_EQ(UndoField(38), 0u);   // the first record's back link
    EXPECT_EQ(UndoField(76), 38u);  // the second's
    for (uint32_t start : {0u, 38u}) {
        SCOPED_TRACE(start);
        EXPECT_EQ(ed->undoLog[start + kUndoKindByte], 1u);
        EXPECT_EQ(UndoField(start + kUndoPosition), start / 38);
        EXPECT_EQ(UndoField(start + kUndoCount), 1u);
        EXPECT_EQ(ed->undoLog[start + kUndoChars], start ? 'b' : 'a');
        for (uint32_t offset = 12; offset < 36; ++offset)
            EXPECT_EQ(ed->undoLog[start + offset], 0u) << offset;
    }
    EXPECT_FALSE(CanRedo(*ed));

    EXPECT_EQ(UndoStep(*ed), UndoResult::Applied);
    EXPECT_EQ(ed->undoLogUsed, 38u);
    EXPECT_EQ(Text(), "a\r");
    ExpectSelection(1, 1);
    EXPECT_EQ(UndoField(46), 1u);  // the undone record stays for redo
    EXPECT_TRUE(CanRedo(*ed));
    EXPECT_TRUE(CanUndo(*ed));

    EXPECT_EQ(RedoStep(*ed), UndoResult::Applied);
    EXPECT_EQ(ed->undoLogUsed, 76u);
    EXPECT_EQ(Text(), "ab\r");
    ExpectSelection(2, 2);
    EXPECT_EQ(RedoStep(*ed), UndoResult::Nothing);
}

TEST_F(UndoLogTest, AnEmptyLogUndoesAndRedoesNothing) {
    EXPECT_FALSE(CanUndo(*ed));
    EXPECT_FALSE(CanRedo(*ed));
    EXPECT_EQ(UndoStep(*ed), UndoResult::Nothing);
    EXPECT_EQ(RedoStep(*ed), UndoResult::Nothing);
    TypeChar(*ed, 'a');
    TypeChar(*ed, 'b');
    UndoStep(*ed);
    EmptyUndoLog(*ed);
    EXPECT_FALSE(CanUndo(*ed));
    EXPECT_FALSE(CanRedo(*ed));
    for (uint32_t i = 0; i < ed->undoLogSize; ++i) ASSERT_EQ(ed->undoLog[i], 0u) << i;
    EXPECT_EQ(Text(), "a\r");
}

TEST_F(UndoLogTest, ANewEditEndsTheRedoChain) {
    // A ten-character insertion, undone, then overwritten by a one-character
    // record: the undone record's characters now lie where a next record would.
    ReplaceSelection(*ed, "0123456789", true);
    ASSERT_EQ(ed->undoLogUsed, 47u);
    UndoStep(*ed);
    Select(0, 0);
    TypeChar(*ed, 'x');
    EXPECT_EQ(ed->undoLogUsed, 38u);
    EXPECT_EQ(UndoField(38 + kUndoCount), 0u);
    EXPECT_FALSE(CanRedo(*ed));
    EXPECT_EQ(RedoStep(*ed), UndoResult::Nothing);
    EXPECT_EQ(Text(), "x\r");
    // Bytes after the end that are no complete record are never replayed.
    Store32(ed->undoLog + 38 + kUndoCount, 1);
    ed->undoLog[38 + kUndoKindByte] = 3;
    EXPECT_FALSE(CanRedo(*ed));
    EXPECT_EQ(RedoStep(*ed), UndoResult::Nothing);
    Store32(ed->undoLog + 38 + kUndoCount, 0x7FFFFFF0);  // would run past the area
    ed->undoLog[38 + kUndoKindByte] = 5;
    EXPECT_EQ(RedoStep(*ed), UndoResult::Nothing);
    EXPECT_EQ(Text(), "x\r");
    EXPECT_EQ(ed->undoLogUsed, 38u);
    // An end that points at no complete record is left alone by undo too.
    ed->undoLogUsed = ed->undoLogSize - 4;
    EXPECT_EQ(UndoStep(*ed), UndoResult::Nothing);
    EXPECT_EQ(RedoStep(*ed), UndoResult::Nothing);
    EXPECT_EQ(Text(), "x\r");
}

TEST_F(UndoLogTest, OverwriteUndoAndRedoSwapTheStoredCharacter) {
    SetText("abc");
    ed->overwriteMode = 1;
    Select(1, 1);
    TypeChar(*ed, 'x');
    EXPECT_EQ(Text(), "axc\r");
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].kind, UndoKind::OverwriteChar);
    EXPECT_EQ(RecordText(Records()[0]), "b");
    UndoStep(*ed);
    EXPECT_EQ(Text(), "abc\r");
    ExpectSelection(1, 1);
    EXPECT_EQ(ed->undoLog[kUndoChars], 'x');
    RedoStep(*ed);
    EXPECT_EQ(Text(), "axc\r");
    ExpectSelection(2, 2);
    EXPECT_EQ(ed->undoLog[kUndoChars], 'b');
    EXPECT_EQ(ed->overwriteMode, 1u);
}

TEST_F(UndoLogTest, UndoInsertsEvenInOverwriteMode) {
    SetText("abc");
    Select(1, 1);
    DeleteKey(*ed);
    BackspaceKey(*ed);
    Select(0, 2);
    ClearSelection(*ed);
    EXPECT_EQ(Text(), "\r");
    ed->overwriteMode = 1;
    for (int i = 0; i < 3; ++i) UndoStep(*ed);
    EXPECT_EQ(Text(), "abc\r");
    for (int i = 0; i < 3; ++i) RedoStep(*ed);
    EXPECT_EQ(Text(), "\r");
}

TEST_F(UndoLogTest, DeleteAndBackspaceUndoOnEitherSideOfTheCaret) {
    SetText("abc");
    Select(2, 2);
    EXPECT_EQ(BackspaceKey(*ed), uint32_t('b'));
    EXPECT_EQ(Text(), "ac\r");
    UndoStep(*ed);
    EXPECT_EQ(Text(), "abc\r");
    ExpectSelection(2, 2);  // after the restored character
    Select(0, 0);
    EXPECT_EQ(DeleteKey(*ed), uint32_t('a'));
    UndoStep(*ed);
    EXPECT_EQ(Text(), "abc\r");
    ExpectSelection(0, 0);  // before it
    RedoStep(*ed);
    EXPECT_EQ(Text(), "bc\r");
}

TEST_F(UndoLogTest, UndoingARangeDeletionSelectsTheRestoredText) {
    SetText("ab\r\ncd");
    Select(4, 1);
    ClearSelection(*ed);
    EXPECT_EQ(Text(), "ad\r");
    UndoStep(*ed);
    EXPECT_EQ(Text(), "ab\rcd\r");
    ExpectSelection(1, 4);
    RedoStep(*ed);
    EXPECT_EQ(Text(), "ad\r");
    ExpectSelection(1, 1);
    // The whole text: the selection runs on over the closing CR, as it did.
    SetText("ab\r\ncd");
    Select(0, 6);
    ClearSelection(*ed);
    EXPECT_EQ(Text(), "\r");
    UndoStep(*ed);
    EXPECT_EQ(Text(), "ab\rcd\r");
    ExpectSelection(0, 6);
    RedoStep(*ed);
    EXPECT_EQ(Text(), "\r");
}

TEST_F(UndoLogTest, APasteALoggedReplacementOrTypingOverASelectionIsOneStep) {
    SetText("hello world");
    Select(0, 5);
    Paste("bye");
    std::vector<UndoRecord> records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].group, 1u);
    EXPECT_EQ(records[1].group, 1u);
    UndoStep(*ed);
    EXPECT_EQ(Text(), "hello world\r");
    EXPECT_EQ(ed->undoLogUsed, 0u);
    RedoStep(*ed);
    EXPECT_EQ(Text(), "bye world\r");
    ExpectFlagsClear();

    Select(4, 9);  // typing over a selection: the character is one text, grouped
    TypeChar(*ed, '!');
    EXPECT_EQ(Text(), "bye !\r");
    records = Records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[3].kind, UndoKind::InsertText);
    EXPECT_EQ(RecordText(records[3]), "!");
    EXPECT_EQ(records[2].group, 1u);
    EXPECT_EQ(records[3].group, 1u);
    ExpectFlagsClear();
    UndoStep(*ed);
    EXPECT_EQ(Text(), "bye world\r");
    ExpectSelection(4, 9);  // the replaced text comes back selected
    RedoStep(*ed);
    EXPECT_EQ(Text(), "bye !\r");
    ExpectSelection(5, 5);
    UndoStep(*ed);

    Select(0, 3);  // a logged replacement (EM_REPLACESEL) is one step as well
    ReplaceSelection(*ed, "hi", true);
    EXPECT_EQ(Records().back().group, 1u);
    ExpectFlagsClear();
    UndoStep(*ed);
    EXPECT_EQ(Text(), "bye world\r");
    UndoStep(*ed);  // the paste, still one step
    EXPECT_EQ(Text(), "hello world\r");
    RedoStep(*ed);
    RedoStep(*ed);
    EXPECT_EQ(Text(), "hi world\r");

    Select(0, 2);  // without undo only the deletion is logged, ungrouped
    ReplaceSelection(*ed, "yo", false);
    EXPECT_EQ(Records().back().group, 0u);
    UndoStep(*ed);
    EXPECT_EQ(Text(), "hiyo world\r");
}

TEST_F(UndoLogTest, AGroupIsNeverLeftWithOneRecord) {
    SetText("abc");
    Select(3, 3);
    TypeChar(*ed, 'd');
    // A paste with no selection logs its insertion alone, ungrouped.
    Paste("XY");
    ASSERT_EQ(Records().size(), 2u);
    EXPECT_EQ(Records()[1].group, 0u);
    // A paste of nothing over a selection logs the deletion alone, ungrouped.
    Select(0, 1);
    Paste("");
    ASSERT_EQ(Records().size(), 3u);
    EXPECT_EQ(Records()[2].group, 0u);
    // A selection of only the closing CR deletes nothing: the insertion is alone.
    Select(6, 7);
    Paste("Z");
    ASSERT_EQ(Records().size(), 4u);
    EXPECT_EQ(Records()[3].group, 0u);
    EXPECT_EQ(Text(), "bcdXYZ\r");
    UndoStep(*ed);
    EXPECT_EQ(Text(), "bcdXY\r");
    UndoStep(*ed);
    EXPECT_EQ(Text(), "abcdXY\r");
    UndoStep(*ed);
    EXPECT_EQ(Text(), "abcd\r");
}

// ---- Kept line breaks: undo and redo restore exactly ---------------------------------------------

class KeptBreakTest : public UndoLogTest {
protected:
    void SetUp() override {
        UndoLogTest::SetUp();
        SetText("ab\r\ncd");
        Select(1, 3);  // b and the first line's CR
    }
    void ExpectOriginal() { EXPECT_EQ(Lines(), (std::vector<std::string>{"ab\r", "cd\r"})); }
};

TEST_F(KeptBreakTest, ReplacingWithATextEndingInCrLf) {
    EXPECT_EQ(ReplaceSelection(*ed, "x\r\n", true), 2u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"ax\r", "cd\r"}));
    ExpectSelection(3, 3);
    ASSERT_EQ(Records().size(), 2u);
    EXPECT_EQ(Records()[0].absorb, 1u);
    EXPECT_EQ(Records()[1].absorb, 1u);
    ExpectFlagsClear();
    UndoStep(*ed);  // the replacement is one step
    ExpectOriginal();
    ExpectSelection(1, 3);
    RedoStep(*ed);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"ax\r", "cd\r"}));
    ExpectSelection(3, 3);
}

// Enter over the selection is one step: its CR, absorbed by the kept break, and
// the blanks automatic indentation copies after it are one text.
TEST_F(KeptBreakTest, TypingEnterOverTheSelection) {
    for (bool indent : {false, true}) {
        SCOPED_TRACE(indent ? "indented" : "plain");
        SetText(indent ? " \tab\r\ncd" : "ab\r\ncd");
        const std::vector<std::string> original = Lines();
        const CharIndex b = indent ? 3 : 1;
        ed->autoIndent = indent;
        Select(b, b + 2);  // b and the first line's CR
        ASSERT_TRUE(TypeChar(*ed, kCR));
        const std::vector<std::string> typed = Lines();
        EXPECT_EQ(typed, indent ? (std::vector<std::string>{" \ta\r", " \tcd\r"})
                                : (std::vector<std::string>{"a\r", "cd\r"}));
        const CharIndex after = indent ? b + 3 : b + 1;
        ExpectSelection(after, after);
        std::vector<UndoRecord> records = Records();
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[1].kind, UndoKind::InsertText);  // a text whose CR was absorbed
        EXPECT_EQ(RecordText(records[1]), indent ? "\r \t" : "\r");
        EXPECT_EQ(records[1].absorb, 1u);
        EXPECT_EQ(records[1].group, 1u);
        ExpectFlagsClear();
        EXPECT_EQ(UndoStep(*ed), UndoResult::Applied);
        EXPECT_EQ(Lines(), original);
        ExpectSelection(b, b + 2);
        EXPECT_FALSE(CanUndo(*ed));
        EXPECT_EQ(RedoStep(*ed), UndoResult::Applied);
        EXPECT_EQ(Lines(), typed);
        ExpectSelection(after, after);
        EXPECT_FALSE(CanRedo(*ed));
        UndoStep(*ed);
        EXPECT_EQ(Lines(), original);
    }
    ed->autoIndent = 0;
}

TEST_F(KeptBreakTest, PastingATextWithALineBreakInside) {
    EXPECT_EQ(Paste("x\r\ny"), 3u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"ax\r", "ycd\r"}));
    ExpectSelection(4, 4);
    UndoStep(*ed);
    ExpectOriginal();
    RedoStep(*ed);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"ax\r", "ycd\r"}));
    UndoStep(*ed);
    ExpectOriginal();
}

TEST_F(KeptBreakTest, TypingALetterKeepsTheBreak) {
    ASSERT_TRUE(TypeChar(*ed, 'x'));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"ax\r", "cd\r"}));
    UndoStep(*ed);
    ExpectOriginal();
    RedoStep(*ed);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"ax\r", "cd\r"}));
}

TEST_F(KeptBreakTest, AClearedSelectionDoesNotChangeTheNextCommand) {
    ClearSelection(*ed);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"a\r", "cd\r"}));
    ExpectFlagsClear();
    // Backspace at the start of the second line joins the lines; its undo must
    // put the line break back, not absorb it.
    Select(2, 2);
    EXPECT_EQ(BackspaceKey(*ed), kCR);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"acd\r"}));
    UndoStep(*ed);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"a\r", "cd\r"}));
    UndoStep(*ed);
    ExpectOriginal();
    // Nor does a redo of the deletion leave anything for the next command.
    RedoStep(*ed);
    ExpectFlagsClear();
    Select(2, 2);
    ReplaceSelection(*ed, "\r", true);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"a\r", "\r", "cd\r"}));
}

// ---- Undo that cannot get its room --------------------------------------------------------------

TEST_F(UndoLogTest, AnUndoWithoutRoomChangesNothingAndCanBeRetried) {
    // More lines than the LineHeap has room left for after the deletion.
    std::string text;
    for (int i = 0; i < 30000; ++i) text += "line\r";
    SetText(text);
    Select(0, static_cast<CharIndex>(text.size() + 1));
    ClearSelection(*ed);
    ASSERT_EQ(Text(), "\r");
    const uint32_t used = ed->undoLogUsed;
    platform.reallocsLeft = 0;
    EXPECT_EQ(UndoStep(*ed), UndoResult::Failed);
    EXPECT_EQ(Text(), "\r");
    EXPECT_EQ(ed->undoLogUsed, used);
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_EQ(platform.errors[0], "Allocating memory for (Char) failed!");
    platform.reallocsLeft = -1;
    EXPECT_EQ(UndoStep(*ed), UndoResult::Applied);
    EXPECT_EQ(Text(), text + "\r");
    EXPECT_EQ(RedoStep(*ed), UndoResult::Applied);
    EXPECT_EQ(Text(), "\r");
}

}  // namespace
}  // namespace qv::test
