// The editing primitives and the text part of the editing commands: line splits
// and joins, the closing CR, kept line breaks, whole-text replacement, and edits
// that cannot get their room.
#include <string>

#include "core/support/EditFixture.h"

namespace qv::test {
namespace {

class TextEditTest : public EditFixture {
protected:
    void SetFlags(LineNumber line, uint32_t flags, uint32_t markerId, uint32_t markerLine) {
        LineRecordView rec = LineRecordOf(*ed, line);
        if ((rec.flags() & kFlagHidden) != (flags & kFlagHidden))
            ed->hiddenLineCount += flags & kFlagHidden ? 1 : -1;
        rec.setFlags(flags);
        rec.setMarkerId(markerId);
        rec.setMarkerLine(markerLine);
    }
    void ExpectFlags(LineNumber line, uint32_t flags, uint32_t markerId, uint32_t markerLine) {
        LineRecordView rec = LineRecordOf(*ed, line);
        EXPECT_EQ(rec.flags(), flags);
        EXPECT_EQ(rec.markerId(), markerId);
        EXPECT_EQ(rec.markerLine(), markerLine);
    }
};

// ---- The closing CR -------------------------------------------------------------------------

TEST_F(TextEditTest, NewDocumentIsOneLineHoldingItsClosingCr) {
    EXPECT_EQ(Lines(), (std::vector<std::string>{"\r"}));
    EXPECT_EQ(ed->modified, 0u);
    EXPECT_EQ(ed->changeCount, 0u);
    // A second end-mark finds the closing CR and stores nothing.
    EXPECT_TRUE(InsertEndMark(*ed));
    EXPECT_EQ(Text(), "\r");
}

TEST_F(TextEditTest, EndMarkStoresTheCrWithoutSplitting) {
    DestroyStore(*ed);
    ASSERT_TRUE(CreateStore(*ed));
    EXPECT_TRUE(InsertEndMark(*ed));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"\r"}));
    EXPECT_EQ(ed->changeCount, 0u);
    EXPECT_EQ(ed->modified, 0u);
    // A CR inserted afterwards splits its line as any other.
    EditOutcome out;
    EXPECT_EQ(InsertChar(*ed, 0, kCR, &out), 0u);
    EXPECT_EQ(out, EditOutcome::Inserted);
    EXPECT_EQ(Text(), "\r\r");
}

TEST_F(TextEditTest, TypingIntoANewDocumentGoesInFrontOfTheClosingCr) {
    EditOutcome out;
    EXPECT_EQ(InsertChar(*ed, 0, 'a', &out), 0u);
    EXPECT_EQ(out, EditOutcome::Inserted);
    // At the text length and far past it: still in front of the closing CR.
    InsertChar(*ed, 2, 'b');
    InsertChar(*ed, kNoIndex, 'c');
    EXPECT_EQ(Lines(), (std::vector<std::string>{"abc\r"}));
    EXPECT_EQ(ed->modified, 1u);
    EXPECT_EQ(ed->changeCount, 3u);
    EXPECT_EQ(InsertionPoint(*ed, 4), 3u);
    EXPECT_EQ(InsertionPoint(*ed, 3), 3u);
    EXPECT_EQ(InsertionPoint(*ed, 1), 1u);
}

TEST_F(TextEditTest, TheClosingCrIsNeverDeleted) {
    SetText("ab");
    ed->modified = 0;
    EditOutcome out;
    EXPECT_EQ(DeleteChar(*ed, 2, &out), 0u);
    EXPECT_EQ(out, EditOutcome::Nothing);
    EXPECT_EQ(DeleteChar(*ed, 3, &out), 0u);
    EXPECT_EQ(DeleteChar(*ed, kNoIndex, &out), 0u);
    EXPECT_EQ(Text(), "ab\r");
    EXPECT_EQ(ed->modified, 0u);
    // The Delete key at the closing CR logs nothing.
    Select(2, 2);
    EXPECT_EQ(DeleteKey(*ed), 0u);
    EXPECT_EQ(ed->undoLogUsed, 0u);
}

// ---- Splitting and joining lines ----------------------------------------------------------------

TEST_F(TextEditTest, ACrSplitsItsLineAndTheNewLineBecomesCurrent) {
    SetText("abcd");
    SetFlags(0, 0x143, 7, 9);
    EXPECT_EQ(InsertChar(*ed, 2, kCR), 0u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"ab\r", "cd\r"}));
    EXPECT_EQ(ed->curLine, 1u);
    EXPECT_EQ(ed->curLineStart, 3u);
    EXPECT_EQ(ed->curRecord, RecordOffset(*ed, 1));
    ExpectFlags(0, 0x143, 7, 9);
    ExpectFlags(1, 0, 0, 0);
    // At column 0 the old line keeps only the new CR, and its flags.
    EXPECT_EQ(InsertChar(*ed, 0, kCR), 0u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"\r", "ab\r", "cd\r"}));
    ExpectFlags(0, 0x143, 7, 9);
    ExpectFlags(1, 0, 0, 0);
    ExpectWellFormed();
}

TEST_F(TextEditTest, SplittingALongLineCarriesItsWholeTail) {
    std::string line(5000, 'x');
    line[4000] = 'y';
    SetText(line);
    InsertChar(*ed, 10, kCR);
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(10, 'x') + "\r");
    EXPECT_EQ(lines[1], line.substr(10) + "\r");
    EXPECT_EQ(LineRecordOf(*ed, 1).size(), kMinRecordSize + 4990 + 1);
}

TEST_F(TextEditTest, DeletingALineBreak) {
    SetText("\rab\rcd\r");
    // A line that holds only its CR goes away.
    EXPECT_EQ(DeleteChar(*ed, 0), kCR);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"ab\r", "cd\r", "\r"}));
    // A join takes the first line's flags and marker, whatever the second had.
    SetFlags(0, 0x105, 3, 4);
    SetFlags(1, 0x020, 8, 8);
    ed->modified = 0;
    EXPECT_EQ(DeleteChar(*ed, 2), kCR);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"abcd\r", "\r"}));
    ExpectFlags(0, 0x105, 3, 4);
    EXPECT_EQ(ed->modified, 1u);
    EXPECT_EQ(CharAt(*ed, 2), 'c');
    EXPECT_EQ(CharAt(*ed, 5), kCR);
    EXPECT_EQ(CharAt(*ed, 6), 0u);
    ExpectWellFormed();
}

TEST_F(TextEditTest, AJoinKeepsTheHiddenLineCountTrue) {
    SetText("ab\rcd\ref\r");
    SetFlags(1, kFlagHidden, 0, 0);  // a join that brings the hidden bit in
    EXPECT_EQ(DeleteChar(*ed, 2), kCR);
    EXPECT_EQ(LineRecordOf(*ed, 0).flags(), 0u);
    ExpectWellFormed();
    SetFlags(0, kFlagHidden, 0, 0);  // and one that takes it away
    EXPECT_EQ(DeleteChar(*ed, 4), kCR);
    EXPECT_EQ(LineRecordOf(*ed, 0).flags(), kFlagHidden);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"abcdef\r", "\r"}));
    ExpectWellFormed();
}

TEST_F(TextEditTest, AJoinSurvivesTheGrowthOfTheLineHeap) {
    std::string longLine(3000, 'z');
    longLine[1234] = 'k';
    SetText(longLine + "\rtail");
    // Add short lines at the end until the join needs more than the LineHeap has:
    // the area then moves while the long line's characters are re-inserted.
    const uint32_t joinNeeds = 32768 + 3000 + 100;
    std::string tail;
    while (ed->lineHeapSize - ed->lineHeapUsed >= joinNeeds) {
        Select(kNoIndex, kNoIndex);
        ASSERT_TRUE(TypeChar(*ed, kCR));
        tail += "\r";
    }
    uint8_t* before = ed->lineHeap;
    EXPECT_EQ(DeleteChar(*ed, 3000), kCR);
    EXPECT_NE(ed->lineHeap, before);
    EXPECT_EQ(Text(), longLine + "tail" + tail + "\r");
    ExpectWellFormed();
}

// ---- Overwrite mode --------------------------------------------------------------------------

TEST_F(TextEditTest, OverwriteReplacesButNeverALineBreak) {
    SetText("ab\rc");
    ed->overwriteMode = 1;
    EditOutcome out;
    EXPECT_EQ(InsertChar(*ed, 0, 'x', &out), uint32_t('a'));
    EXPECT_EQ(out, EditOutcome::Overwrote);
    EXPECT_EQ(InsertChar(*ed, 2, 'y', &out), 0u);  // at a CR: inserted
    EXPECT_EQ(out, EditOutcome::Inserted);
    EXPECT_EQ(InsertChar(*ed, 5, 'z', &out), 0u);  // before the closing CR: inserted
    EXPECT_EQ(InsertChar(*ed, 1, kCR, &out), 0u);  // a CR always splits
    EXPECT_EQ(Lines(), (std::vector<std::string>{"x\r", "by\r", "cz\r"}));
    // A text is inserted, never overwritten: its undo deletes it.
    InsertText(*ed, 0, "12");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"12x\r", "by\r", "cz\r"}));
    EXPECT_EQ(ed->overwriteMode, 1u);
}

// ---- Text insertion ----------------------------------------------------------------------------

TEST_F(TextEditTest, InsertTextStoresEveryLineEndAsOneCr) {
    bool ok = false;
    EXPECT_EQ(InsertText(*ed, 0, "x\r\ny", &ok), 3u);
    EXPECT_TRUE(ok);
    EXPECT_EQ(InsertText(*ed, 1, "\nq\n\n"), 4u);  // a lone LF is a line break
    EXPECT_EQ(InsertText(*ed, 0, nullptr, &ok), 0u);
    EXPECT_TRUE(ok);
    EXPECT_EQ(InsertText(*ed, 0, ""), 0u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"x\r", "q\r", "\r", "\r", "y\r"}));
    // Past the end of the text it goes in front of the closing CR.
    EXPECT_EQ(InsertText(*ed, kNoIndex, "\r\n"), 1u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"x\r", "q\r", "\r", "\r", "y\r", "\r"}));
    // The wait cursor is shown and restored.
    ASSERT_FALSE(platform.cursorsSet.empty());
    EXPECT_EQ(platform.cursorsSet.back(), StdCursor::Wait);
    EXPECT_EQ(platform.cursorsRestored, static_cast<int>(platform.cursorsSet.size()));
}

// ---- Range deletion ----------------------------------------------------------------------------

TEST_F(TextEditTest, DeletingTheWholeTextKeepsTheClosingCr) {
    SetText("ab\r\ncd");
    ed->panes[0].scrollY = 0;
    StateOf(*ed).mouse.mouseDragState = kMouseDragging;
    ed->mouseSelStart = 1;
    ed->mouseSelEnd = 4;
    bool ok = false;
    EXPECT_EQ(DeleteRange(*ed, 6, 0, &ok), 0u);  // either order
    EXPECT_TRUE(ok);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"\r"}));
    std::vector<UndoRecord> records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].kind, UndoKind::DeleteRange);
    EXPECT_EQ(RecordText(records[0]), "ab\rcd");  // one character fewer than the range
    EXPECT_EQ(records[0].wholeText, 1u);
    EXPECT_EQ(records[0].absorb, 0u);
    EXPECT_EQ(StateOf(*ed).mouse.mouseDragState, kMouseDragging);  // the commands end drags
    EXPECT_EQ(ed->mouseSelStart, 0u);
    EXPECT_EQ(ed->mouseSelEnd, 0u);
    // Now only the closing CR is left: nothing to delete, nothing logged.
    EXPECT_EQ(DeleteRange(*ed, 0, 1), 0u);
    EXPECT_EQ(Records().size(), 1u);
}

TEST_F(TextEditTest, ARangeThroughTheEndStopsInFrontOfTheClosingCr) {
    SetText("ab\r\ncd");
    EXPECT_EQ(DeleteRange(*ed, 4, kNoIndex), 4u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"ab\r", "c\r"}));
    std::vector<UndoRecord> records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(RecordText(records[0]), "d");
    EXPECT_EQ(records[0].wholeText, 0u);
    // From a line start: the last line keeps only its CR.
    EXPECT_EQ(DeleteRange(*ed, 3, 5), 3u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"ab\r", "\r"}));
    // Only the closing CR selected: nothing happens.
    EXPECT_EQ(DeleteRange(*ed, 4, 3), 3u);
    EXPECT_EQ(DeleteRange(*ed, 7, 9), 4u);  // clamped to the text
    EXPECT_EQ(Records().size(), 2u);
    ExpectWellFormed();
}

TEST_F(TextEditTest, ARangeThroughItsLineBreakKeepsTheBreak) {
    SetText("ab\r\ncd");
    EXPECT_EQ(DeleteRange(*ed, 1, 3), 1u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"a\r", "cd\r"}));
    EXPECT_EQ(StateOf(*ed).edit.absorbNextCr, 1u);
    EXPECT_EQ(StateOf(*ed).edit.keepNextCr, 0u);  // consumed by the kept break
    std::vector<UndoRecord> records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(RecordText(records[0]), "b\r");
    EXPECT_EQ(records[0].absorb, 1u);
    EXPECT_EQ(UndoField(records[0].start + kUndoRangeStartLineStart), 0u);
    EXPECT_EQ(UndoField(records[0].start + kUndoRangeStartLine), 0u);
    EXPECT_EQ(UndoField(records[0].start + kUndoRangeEndLine), 1u);
    EXPECT_EQ(StateOf(*ed).edit.rangeStartLineLength, 3u);
    // The next CR inserted stands in for the kept one.
    EditOutcome out;
    InsertChar(*ed, 1, kCR, &out);
    EXPECT_EQ(out, EditOutcome::Absorbed);
    EXPECT_EQ(StateOf(*ed).edit.crAbsorbed, 1u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"a\r", "cd\r"}));
}

TEST_F(TextEditTest, ARangeFromALineStartOrAcrossLinesJoinsThem) {
    SetText("ab\r\ncd\r\nef");
    // From column 0 through a line's CR: the line goes, nothing is kept.
    EXPECT_EQ(DeleteRange(*ed, 0, 3), 0u);
    EXPECT_EQ(StateOf(*ed).edit.absorbNextCr, 0u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"cd\r", "ef\r"}));
    // Across a line break from inside a line: the lines are joined.
    EXPECT_EQ(DeleteRange(*ed, 1, 4), 1u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"cf\r"}));
    ExpectWellFormed();
}

TEST_F(TextEditTest, RangeDeletionShowsTheWaitCursorAndTheCommandReanchorsAtTheCaret) {
    std::string text;
    for (int i = 0; i < 20; ++i) text += "line\r";
    SetText(text);
    ed->lineHeight = 10;
    StateOf(*ed).scroll.caretPlaced = {0, 35};  // row 3 of the upper pane; x 0 is its scrollX
    StateOf(*ed).mouse.mouseDragState = kMouseDragging;
    ed->selAnchor = 0, ed->caretPos = 2;
    ClearSelection(*ed);
    EXPECT_EQ(StateOf(*ed).mouse.mouseDragState, 0u);
    EXPECT_EQ(ed->curLine, 3u);
    EXPECT_EQ(ed->curLineStart, 3u * 5 - 2);
    ASSERT_EQ(platform.cursorsSet.size(), 1u);
    EXPECT_EQ(platform.cursorsSet[0], StdCursor::Wait);
    EXPECT_EQ(platform.cursorsRestored, 1);
}

// ---- Pane caches ------------------------------------------------------------------------------

TEST_F(TextEditTest, AnEditBeforeAPaneTopResetsThatPaneOnly) {
    SetText("a\rb\rc\rd\r");
    ed->panes[0].textRect.bottom = 100;
    ed->panes[1].textRect.bottom = 100;
    ed->panes[0].topLine = 2, ed->panes[0].topLineY = 30, ed->panes[0].topLineStart = 4;
    ed->panes[1].topLine = 1, ed->panes[1].topLineY = 15, ed->panes[1].topLineStart = 2;
    // At the lower pane's top start: its top line keeps its slot and start.
    InsertChar(*ed, 2, 'x');
    EXPECT_EQ(ed->panes[0].topLine, 0u);
    EXPECT_EQ(ed->panes[0].topLineY, 0u);
    EXPECT_EQ(ed->panes[0].topLineStart, 0u);
    EXPECT_EQ(ed->panes[1].topLine, 1u);
    EXPECT_EQ(ed->panes[1].topLineStart, 2u);
    DeleteChar(*ed, 1);
    EXPECT_EQ(ed->panes[1].topLine, 0u);
    EXPECT_EQ(ed->panes[1].topLineY, 0u);
    EXPECT_EQ(ed->panes[1].topLineStart, 0u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"axb\r", "c\r", "d\r", "\r"}));
}

// ---- Indentation --------------------------------------------------------------------------------

TEST_F(TextEditTest, EnterWithAutoIndentCopiesTheLeadingBlanks) {
    SetText("\t x\r\nz");
    ed->autoIndent = 1;
    Select(3, 3);
    ASSERT_TRUE(TypeChar(*ed, kCR));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"\t x\r", "\t \r", "z\r"}));
    ExpectSelection(6, 6);
    std::vector<UndoRecord> records = Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].kind, UndoKind::InsertChar);
    EXPECT_EQ(records[1].position, 4u);
    EXPECT_EQ(RecordText(records[1]), "\t");
    EXPECT_EQ(records[2].position, 5u);
    EXPECT_EQ(RecordText(records[2]), " ");
    // A first line has no line before it to copy from.
    Select(0, 0);
    ASSERT_TRUE(TypeChar(*ed, 'q'));
    EXPECT_TRUE(CopyIndent(*ed));
    EXPECT_EQ(Records().size(), 4u);
}

// ---- Whole-text replacement --------------------------------------------------------------------

TEST_F(TextEditTest, SetWholeTextKeepsTheClosingCr) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
        uint32_t modified;
    } cases[] = {
        {"", {"\r"}, 0},
        {nullptr, {"\r"}, 0},
        {"abc", {"abc\r"}, 1},
        {"ab\r\ncd", {"ab\r", "cd\r"}, 1},
        {"\rabc", {"\r", "abc\r"}, 1},
        {"\r", {"\r", "\r"}, 1},
        {"ab\r\n", {"ab\r", "\r"}, 1},
        {"\n", {"\r", "\r"}, 1},             // a lone LF is a line break
        {"\nfoo", {"\r", "foo\r"}, 1},       // and at the start, an empty first line
        {"a\nb\n", {"a\r", "b\r", "\r"}, 1},  // lines from a Unix tool stay lines
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(null)");
        ed->panes[0].scrollY = 45;
        ed->panes[1].topLine = 3;
        Select(2, 1);
        ASSERT_TRUE(SetWholeText(*ed, c.text));
        EXPECT_EQ(Lines(), c.lines);
        EXPECT_EQ(ed->modified, c.modified);
        EXPECT_EQ(ed->undoLogUsed, 0u);
        ExpectSelection(0, 0);
        EXPECT_EQ(ed->panes[0].scrollY, 0);
        EXPECT_EQ(ed->panes[1].topLine, 0u);
        EXPECT_EQ(ed->curLine, 0u);
        EXPECT_EQ(ed->curLineStart, 0u);
        ExpectWellFormed();
    }
}

TEST_F(TextEditTest, SetWholeTextMarksTheBarsHiddenForAnEmptyOrCrText) {
    for (const char* text : {"", "\rx", "x"}) {
        ed->panes[0].vScrollShown = ed->panes[1].vScrollShown = ed->panes[0].hScrollShown = 1;
        ASSERT_TRUE(SetWholeText(*ed, text));
        const uint32_t expected = text[0] == 'x' ? 1 : 0;
        EXPECT_EQ(ed->panes[0].vScrollShown, expected) << text;
        EXPECT_EQ(ed->panes[1].vScrollShown, expected) << text;
        EXPECT_EQ(ed->panes[0].hScrollShown, expected) << text;
    }
}

TEST_F(TextEditTest, SetWholeTextThatCannotBeBuiltLeavesTheOldDocument) {
    SetText("keep\r\nme");
    Select(1, 2);
    TypeChar(*ed, 'E');
    const uint32_t used = ed->undoLogUsed;
    const uint32_t changes = ed->changeCount;
    platform.createHeapsLeft = 1;  // the second area's heap fails
    EXPECT_FALSE(SetWholeText(*ed, "new"));
    platform.createHeapsLeft = -1;
    platform.reallocsLeft = 0;  // a text that needs more than the first areas
    EXPECT_FALSE(SetWholeText(*ed, std::string(200000, 'n').c_str()));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"kEep\r", "me\r"}));
    EXPECT_EQ(ed->undoLogUsed, used);
    EXPECT_EQ(ed->changeCount, changes);
    ExpectSelection(2, 2);
    EXPECT_EQ(platform.errors.size(), 2u);
    // The change count carries on over a replacement.
    platform.reallocsLeft = -1;
    ASSERT_TRUE(SetWholeText(*ed, "xy"));
    EXPECT_EQ(ed->changeCount, changes + 2);
}

// ---- Replacement and the commands --------------------------------------------------------------

TEST_F(TextEditTest, ReplaceSelectionInsertsWhereTheSelectionWas) {
    SetText("abc\r\ndef");
    Select(5, 1);
    bool ok = false;
    EXPECT_EQ(ReplaceSelection(*ed, "XY\r\nZ", true, &ok), 4u);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"aXY\r", "Zef\r"}));
    ExpectSelection(5, 5);
    std::vector<UndoRecord> records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].kind, UndoKind::DeleteRange);
    EXPECT_EQ(RecordText(records[0]), "bc\rd");
    EXPECT_EQ(records[1].kind, UndoKind::InsertText);
    EXPECT_EQ(records[1].position, 1u);
    EXPECT_EQ(RecordText(records[1]), "XY\rZ");
    // An empty text logs nothing; so does an unlogged deletion without text.
    Select(0, 1);
    EXPECT_EQ(ReplaceSelection(*ed, nullptr, true), 0u);
    EXPECT_EQ(ReplaceSelection(*ed, nullptr, false), 0u);
    EXPECT_EQ(Records().size(), 3u);
    // An insertion without its record would leave every record pointing into
    // shifted text: the log is emptied, and undo changes nothing more.
    EXPECT_EQ(ReplaceSelection(*ed, "q", false), 1u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"qXY\r", "Zef\r"}));
    EXPECT_EQ(ed->undoLogUsed, 0u);
    EXPECT_FALSE(CanRedo(*ed));
    EXPECT_EQ(UndoStep(*ed), UndoResult::Nothing);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"qXY\r", "Zef\r"}));
}

TEST_F(TextEditTest, AnInsertionAtTheEndIsLoggedWhereItLands) {
    SetText("ab");
    Select(3, 3);  // after the closing CR
    EXPECT_EQ(ReplaceSelection(*ed, "c", true), 1u);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"abc\r"}));
    ExpectSelection(3, 3);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].position, 2u);
    Select(kNoIndex, kNoIndex);
    ASSERT_TRUE(TypeChar(*ed, 'd'));
    EXPECT_EQ(Records()[1].position, 3u);
    ExpectSelection(4, 4);
    EXPECT_EQ(Text(), "abcd\r");
}

TEST_F(TextEditTest, ClearSelectionPutsBothEndsAtItsStart) {
    SetText("hello");
    Select(4, 1);
    EXPECT_EQ(ClearSelection(*ed), 1u);
    ExpectSelection(1, 1);
    EXPECT_EQ(Text(), "ho\r");
    EXPECT_EQ(ClearSelection(*ed), 1u);  // empty: nothing more
    EXPECT_EQ(Records().size(), 1u);
}

TEST_F(TextEditTest, BackspaceAndDeleteKeys) {
    SetText("ab\r\nc");
    Select(3, 3);
    EXPECT_EQ(BackspaceKey(*ed), kCR);
    EXPECT_EQ(Text(), "abc\r");
    ExpectSelection(2, 2);
    EXPECT_EQ(DeleteKey(*ed), uint32_t('c'));
    ExpectSelection(2, 2);
    Select(0, 0);
    EXPECT_EQ(BackspaceKey(*ed), 0u);
    std::vector<UndoRecord> records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].kind, UndoKind::BackspaceKey);
    EXPECT_EQ(RecordText(records[0]), "\r");
    EXPECT_EQ(records[1].kind, UndoKind::DeleteKey);
    EXPECT_EQ(Text(), "ab\r");
}

// ---- Edits that cannot get their room -----------------------------------------------------------

// Types `ch` at the end until a keystroke fails; every failed keystroke must have
// left the text and the log as they were.
class RoomTest : public TextEditTest {
protected:
    std::string TypeUntilFailure(uint8_t ch, int limit) {
        for (int i = 0; i < limit; ++i) {
            std::string before = Text();
            uint32_t used = ed->undoLogUsed;
            Select(kNoIndex, kNoIndex);
            if (!TypeChar(*ed, ch)) {
                EXPECT_EQ(Text(), before);
                EXPECT_EQ(ed->undoLogUsed, used);
                return before;
            }
        }
        ADD_FAILURE() << "never ran out of room";
        return Text();
    }
};

TEST_F(RoomTest, TheLineIndexGrowsByTheRuleAtItsLimit) {
    // With lineIndexUsed at lineIndexSize - 8192 exactly, a typed line break needs
    // no growth; the next one, a slot past the limit, grows the area by one step.
    const uint32_t size = ed->lineIndexSize;
    SetText(std::string((size - kLineIndexRule.headroom) / 4 - 1, '\r'));
    ASSERT_EQ(ed->lineIndexUsed, size - kLineIndexRule.headroom);
    ASSERT_EQ(ed->lineIndexSize, size);
    Select(kNoIndex, kNoIndex);
    ASSERT_TRUE(TypeChar(*ed, kCR));
    EXPECT_EQ(ed->lineIndexSize, size);
    EXPECT_EQ(ed->lineIndexUsed, size - kLineIndexRule.headroom + 4);
    ASSERT_TRUE(TypeChar(*ed, kCR));
    EXPECT_EQ(ed->lineIndexSize, size + kLineIndexRule.growthStep);
    // A text of many lines takes the slots it needs, each area in one growth.
    const size_t reallocs = platform.reallocs;
    Select(0, 0);
    const uint32_t used = ed->lineIndexUsed;
    EXPECT_EQ(ReplaceSelection(*ed, std::string(100000, '\r').c_str(), false), 100000u);
    EXPECT_EQ(ed->lineIndexUsed, used + 400000);
    EXPECT_EQ(ed->lineIndexSize, size + 3 * kLineIndexRule.growthStep);
    EXPECT_EQ(platform.reallocs, reallocs + 2);
}

TEST_F(RoomTest, ATypedLineBreakWithoutLineHeapRoomChangesNothing) {
    platform.reallocsLeft = 0;
    std::string text = TypeUntilFailure(kCR, 5000);
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_EQ(platform.errors[0], "Allocating memory for (Char) failed!");
    ExpectWellFormed();
    // Everything that was logged can still be undone.
    while (UndoStep(*ed) == UndoResult::Applied) {
    }
    EXPECT_EQ(Text(), "\r");
    EXPECT_GT(text.size(), 2000u);
}

TEST_F(RoomTest, AKeystrokeWithoutUndoRoomChangesNothing) {
    platform.reallocsLeft = 0;
    TypeUntilFailure('u', 5000);
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_EQ(platform.errors[0], "Allocating memory for (Undo) failed!");
    // Nor do the other keys and commands log or change anything now.
    const std::string text = Text();
    const uint32_t used = ed->undoLogUsed;
    Select(3, 3);
    bool ok = true;
    EXPECT_EQ(BackspaceKey(*ed, &ok), 0u);
    EXPECT_FALSE(ok);
    EXPECT_EQ(DeleteKey(*ed, &ok), 0u);
    EXPECT_FALSE(ok);
    Select(0, 2000);
    EXPECT_EQ(ClearSelection(*ed, &ok), 0u);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReplaceSelection(*ed, "zz", true, &ok), 0u);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Text(), text);
    EXPECT_EQ(ed->undoLogUsed, used);
}

TEST_F(RoomTest, AJoinOrRangeDeletionWithoutRoomChangesNothing) {
    // Two long lines, then typed CRs until the LineHeap has less room left than
    // its headroom: the two records are full and neither is the newest.
    const std::string first(40000, 'a'), second(40000, 'b');
    SetText(first + "\r" + second + "\r");
    platform.reallocsLeft = 0;
    TypeUntilFailure('\r', 5000);
    // Joining the long first line needs more room than a typed CR did.
    const std::string text = Text();
    const uint32_t used = ed->undoLogUsed;
    platform.errors.clear();
    Select(40000, 40000);
    bool ok = true;
    EXPECT_EQ(DeleteKey(*ed, &ok), 0u);
    EXPECT_FALSE(ok);
    // A joined line longer than either record needs a record of its own.
    Select(1000, 40001 + 500);
    EXPECT_EQ(ClearSelection(*ed, &ok), 1000u);
    EXPECT_FALSE(ok);
    ExpectSelection(1000, 40501);
    EXPECT_EQ(Text(), text);
    EXPECT_EQ(ed->undoLogUsed, used);
    EXPECT_EQ(platform.errors.size(), 2u);
    // A joined line that fits the first line's record needs no room; nor does
    // deleting characters that join nothing.
    Select(39000, 40001 + 39500);
    EXPECT_EQ(ClearSelection(*ed, &ok), 39000u);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Lines()[0], first.substr(0, 39000) + second.substr(39500) + "\r");
    Select(10, 20);
    EXPECT_EQ(ClearSelection(*ed, &ok), 10u);
    EXPECT_TRUE(ok);
}

TEST_F(RoomTest, ASplitOfAHugeLineWithoutRoomIsAbandoned) {
    const std::string huge = std::string(50000, 'h') + "\r";
    SetText(huge);
    // Short lines at the end until the LineHeap still has its fixed headroom but
    // not the room for the huge line's tail.
    std::string tail;
    EditOutcome out;
    while (ed->lineHeapSize - ed->lineHeapUsed >= 50000) {
        InsertChar(*ed, kNoIndex, kCR, &out);
        ASSERT_EQ(out, EditOutcome::Inserted);
        tail += "\r";
    }
    platform.reallocsLeft = 0;
    EXPECT_EQ(InsertChar(*ed, 10, kCR, &out), 0u);
    EXPECT_EQ(out, EditOutcome::Failed);
    EXPECT_EQ(Text(), huge + tail + "\r");
    ExpectWellFormed();
    // A line break in a short line still goes in.
    EXPECT_EQ(InsertChar(*ed, kNoIndex, kCR, &out), 0u);
    EXPECT_EQ(out, EditOutcome::Inserted);
}

TEST_F(RoomTest, AReplacementThatCannotGetItsRoomChangesNothing) {
    SetText("abc\r\ndef");
    platform.reallocsLeft = 0;
    // Too many line breaks for the LineIndex.
    std::string breaks(9000, '\r');  // 36,000 bytes of slots: more than the LineIndex
    Select(1, 5);
    bool ok = true;
    EXPECT_EQ(ReplaceSelection(*ed, breaks.c_str(), false, &ok), 0u);
    EXPECT_FALSE(ok);
    // Too many characters for the LineHeap.
    EXPECT_EQ(ReplaceSelection(*ed, std::string(140000, 'w').c_str(), false, &ok), 0u);
    EXPECT_FALSE(ok);
    // Too many characters for the undo log.
    EXPECT_EQ(ReplaceSelection(*ed, std::string(140000, 'w').c_str(), true, &ok), 0u);
    EXPECT_FALSE(ok);
    EXPECT_EQ(InsertText(*ed, 1, std::string(140000, 'w').c_str(), &ok), 0u);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"abc\r", "def\r"}));
    EXPECT_EQ(ed->undoLogUsed, 0u);
    ExpectSelection(1, 5);
    EXPECT_EQ(platform.errors,
              (std::vector<std::string>{
                  "Allocating memory for (Line) failed!", "Allocating memory for (Char) failed!",
                  "Allocating memory for (Undo) failed!", "Allocating memory for (Char) failed!"}));
    // With room, the same replacement is one whole edit.
    platform.reallocsLeft = -1;
    EXPECT_EQ(ReplaceSelection(*ed, breaks.c_str(), true, &ok), 9000u);
    EXPECT_TRUE(ok);
    EXPECT_EQ(LineCount(*ed), 9001u);
    ExpectWellFormed();
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

// A paste of many lines at the end of a long line splits off only the line's CR
// each time: the room secured beforehand follows that, not the line's length.
TEST_F(RoomTest, ManyLinesPastedAtTheEndOfALongLineNeedLittleRoom) {
    for (uint32_t length : {5000u, 100000u}) {
        SCOPED_TRACE(length);
        SetText(std::string(length, 'x') + "\r\nlast");
        std::string paste;
        for (int i = 0; i < 30000; ++i) paste += "ab\r\n";
        Select(length, length);
        bool ok = false;
        ReplaceSelection(*ed, paste.c_str(), true, &ok);
        EXPECT_TRUE(ok);
        EXPECT_LT(ed->lineHeapSize, 4u * 1024 * 1024);
        EXPECT_EQ(LineCount(*ed), 30002u);
        ExpectWellFormed();
    }
}

}  // namespace
}  // namespace qv::test
