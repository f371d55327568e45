// The keys of a pane as commands of the core, on the fake platform: typing with
// its repaints, the deletion keys with their locks and ends, Ctrl+Backspace, the
// keyboard's undo and redo with their refusals, and what the Windows model test of
// the keys does not reach: scrolling pages and the rows Shift+Down extends by. The
// Windows tests drive every key through the real window procedure.
#include <string>
#include <vector>

#include "command/DeletionKeys.h"
#include "command/Navigation.h"
#include "command/Typing.h"
#include "command/UndoCommand.h"
#include "core/support/EditFixture.h"
#include "render/Folding.h"
#include "render/LineLocks.h"

namespace qv::test {
namespace {

class KeyCommandsTest : public EditFixture {
protected:
    void SetUp() override {
        EditFixture::SetUp();
        ed->lineHeight = 15;
        ed->charWidth = 8;
        ed->panes[0].textRect = {0, 0, 400, 150};  // ten rows
        platform.focus = ed->panes[0].hwnd;
    }
    WindowRef Upper() const { return ed->panes[0].hwnd; }
    WindowRef Lower() const { return ed->panes[1].hwnd; }
    // The x of column k (fake measurement: 8 pixels a character, textLeft 10).
    static int32_t ColumnX(uint32_t k) { return 11 + 8 * static_cast<int32_t>(k); }

    // Invalidations of one pane: whole, or rows (their top y).
    struct Repaint {
        bool whole = false;
        std::vector<int32_t> rows;
    };
    Repaint RepaintOf(WindowRef pane) const {
        Repaint r;
        for (const auto& inv : platform.invalidations) {
            if (inv.window != pane) continue;
            if (inv.whole) r.whole = true;
            else r.rows.push_back(inv.rect.top);
        }
        return r;
    }
    void Nav(NavKey key, bool ctrl = false, bool shift = false) { NavigateCommand(*ed, Upper(), key, ctrl, shift); }
};

// ---- Typing --------------------------------------------------------------------------

// Outside a line break or a '^' only the caret's line is repainted, in both panes;
// a keystroke that scrolls the active pane repaints the line in the other pane too.
TEST_F(KeyCommandsTest, TypingRepaintsTheLineInBothPanesAlsoWhenItScrolls) {
    ed->panes[1].textRect = {0, 0, 400, 150};  // the split view: both panes shown
    std::string text;
    for (int i = 0; i < 30; ++i) text += "line\r\n";
    SetText(text);
    ed->panes[1].scrollY = 15 * 5;  // the lower pane shows lines 5 to 14
    SyncPaneTop(*ed, Lower(), 15 * 5);

    Select(5 * 6 + 1, 5 * 6 + 1);  // line 6, in view in both panes
    TypeCharCommand(*ed, Upper(), 'x');
    EXPECT_TRUE(platform.scrolls.empty());
    EXPECT_EQ(RepaintOf(Upper()).rows, std::vector<int32_t>{15 * 6});
    EXPECT_EQ(RepaintOf(Lower()).rows, std::vector<int32_t>{15 * 6 - 15 * 5});
    EXPECT_EQ(platform.notifications.size(), 1u);
    EXPECT_EQ(ed->panes[0].caretX, ColumnX(2));

    platform.ClearRecords();
    Select(5 * 12 + 1, 5 * 12 + 1);  // line 12 (after the x): below the upper pane's ten rows
    TypeCharCommand(*ed, Upper(), 'y');
    EXPECT_EQ(ed->panes[0].scrollY, 15 * 3);  // line 12 became its last row
    ASSERT_FALSE(platform.scrolls.empty());
    EXPECT_EQ(platform.scrolls[0].window, Upper());
    EXPECT_EQ(RepaintOf(Lower()).rows, std::vector<int32_t>{15 * 12 - 15 * 5});
}

TEST_F(KeyCommandsTest, TypingRepaintsBothPanesWholeForLineBreaksMarksAndSelections) {
    SetText("ab\r\ncd");
    struct Case {
        CharIndex anchor, caret;
        uint8_t ch;
        bool overwrite;
        bool whole;
    };
    const Case cases[] = {
        {1, 1, 'x', false, false},
        {1, 1, '\r', false, true},
        {1, 1, '^', false, true},
        {0, 2, 'x', false, true},  // a replaced selection
        {0, 0, 'q', true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, static_cast<char>(c.ch)));
        SetText("a^\r\ncd");
        ed->overwriteMode = c.overwrite;
        Select(c.anchor, c.caret);
        TypeCharCommand(*ed, Upper(), c.ch);
        EXPECT_EQ(RepaintOf(Upper()).whole, c.whole);
    }
    // Overwriting a '^' takes a block comment away: the rest is repainted too.
    SetText("a^b");
    ed->overwriteMode = 1;
    Select(1, 1);
    TypeCharCommand(*ed, Upper(), 'x');
    EXPECT_EQ(Text(), "axb\r");
    EXPECT_TRUE(RepaintOf(Upper()).whole);
    ed->overwriteMode = 0;
}

// Overwrite mode replaces the character under an empty selection only.
TEST_F(KeyCommandsTest, OverwriteAppliesOnlyToAnEmptySelection) {
    SetText("abcdef");
    ed->overwriteMode = 1;
    Select(1, 3);
    TypeCharCommand(*ed, Upper(), 'X');
    EXPECT_EQ(Text(), "aXdef\r");  // the d after the selection stays
    ExpectSelection(2, 2);
    TypeCharCommand(*ed, Upper(), 'Y');
    EXPECT_EQ(Text(), "aXYef\r");  // now the d goes
    ASSERT_EQ(Records().size(), 3u);
    EXPECT_EQ(Records()[1].kind, UndoKind::InsertText);  // grouped with the deletion
    EXPECT_EQ(Records()[2].kind, UndoKind::OverwriteChar);
    UndoStep(*ed);
    UndoStep(*ed);  // the X and the selection it replaced: one step
    EXPECT_EQ(Text(), "abcdef\r");
    ExpectSelection(1, 3);
}

TEST_F(KeyCommandsTest, LockedLinesAndReadOnlyRefuseEveryKeyThatEdits) {
    SetText("ab\r\ncd\r\nef");
    SetLineLocked(*ed, 1, 1);
    struct Case {
        const char* key;
        CharIndex anchor, caret;
        void (*press)(EditorInstance&, WindowRef);
    };
    const Case cases[] = {
        {"type on the line", 4, 4, [](EditorInstance& e, WindowRef p) { TypeCharCommand(e, p, 'x'); }},
        {"type over a selection into it", 1, 4, [](EditorInstance& e, WindowRef p) { TypeCharCommand(e, p, 'x'); }},
        {"backspace joining it", 6, 6, BackspaceCommand},  // at the start of line 2
        {"backspace on it", 5, 5, BackspaceCommand},
        {"delete joining it", 2, 2, DeleteKeyCommand},  // the CR of line 0
        {"delete on it", 3, 3, DeleteKeyCommand},
        {"ctrl+backspace on it", 5, 5, DeleteWordBackCommand},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        platform.ClearRecords();
        Select(c.anchor, c.caret);
        c.press(*ed, Upper());
        EXPECT_EQ(Text(), "ab\rcd\ref\r");
        ExpectSelection(c.anchor, c.caret);
        EXPECT_EQ(platform.beeps, 1);
        EXPECT_TRUE(platform.notifications.empty());
    }
    SetLineLocked(*ed, 1, 0);
    ed->style |= kStyleReadOnly;
    platform.ClearRecords();
    Select(0, 0);
    TypeCharCommand(*ed, Upper(), 'x');
    DeleteKeyCommand(*ed, Upper());
    EXPECT_EQ(platform.beeps, 2);
    EXPECT_EQ(Text(), "ab\rcd\ref\r");
}

// ---- Delete and Backspace -----------------------------------------------------------------

// A selection of one CR is deleted as that CR, which joins its own line and the
// next: both are checked, whichever way the selection was made.
TEST_F(KeyCommandsTest, DeleteOfOneSelectedCrChecksBothLinesItJoins) {
    for (LineNumber locked : {0u, 1u}) {
        for (bool backwards : {false, true}) {
            SCOPED_TRACE(std::to_string(locked) + (backwards ? " backwards" : ""));
            SetText("ab\r\ncd");
            SetLineLocked(*ed, locked, 1);
            backwards ? Select(3, 2) : Select(2, 3);  // Shift+Left at the start of line 1, or Shift+Right
            DeleteKeyCommand(*ed, Upper());
            EXPECT_EQ(Text(), "ab\rcd\r");
            EXPECT_EQ(platform.beeps, 1);
            platform.ClearRecords();
        }
    }
    SetText("ab\r\ncd");
    Select(3, 2);
    DeleteKeyCommand(*ed, Upper());
    EXPECT_EQ(Text(), "abcd\r");
    ExpectSelection(2, 2);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].kind, UndoKind::DeleteKey);
}

// At the end of the text Delete does nothing and tells nothing; the end is the
// control's own (the caret on or after the closing CR), whatever any host window
// answers.
TEST_F(KeyCommandsTest, DeleteAtTheEndDoesNothingAndBackspaceAtTheStartToo) {
    SetText("ab\r\ncd");  // the closing CR at 5
    for (CharIndex at : {5u, 6u, kNoIndex}) {
        Select(at, at);
        DeleteKeyCommand(*ed, Upper());
        EXPECT_EQ(Text(), "ab\rcd\r") << at;
    }
    Select(5, 6);  // the closing CR selected alone
    DeleteKeyCommand(*ed, Upper());
    Select(0, 0);
    BackspaceCommand(*ed, Upper());
    EXPECT_EQ(Text(), "ab\rcd\r");
    EXPECT_TRUE(platform.notifications.empty());
    EXPECT_EQ(ed->undoLogUsed, 0u);
    EXPECT_EQ(platform.beeps, 0);
    Select(4, 4);
    DeleteKeyCommand(*ed, Upper());
    EXPECT_EQ(Text(), "ab\rc\r");
    EXPECT_EQ(platform.notifications.size(), 1u);
}

TEST_F(KeyCommandsTest, BackspaceJoinsLinesAndDeletingEverythingKeepsTheClosingCr) {
    SetText("ab\r\ncd");
    Select(3, 3);
    BackspaceCommand(*ed, Upper());
    EXPECT_EQ(Text(), "abcd\r");
    ExpectSelection(2, 2);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].kind, UndoKind::BackspaceKey);
    EXPECT_EQ(RecordText(Records()[0]), "\r");
    EXPECT_TRUE(RepaintOf(Upper()).whole);
    Select(0, kNoIndex);
    DeleteKeyCommand(*ed, Upper());
    EXPECT_EQ(Text(), "\r");
    ExpectSelection(0, 0);
    ExpectWellFormed();
}

// Ctrl+Backspace deletes back to the start of the word before the caret, the
// blanks between with it, as one undo step; only blanks go back to column 0; at
// column 0 and over a selection it is Backspace.
TEST_F(KeyCommandsTest, CtrlBackspaceDeletesTheWordBeforeTheCaret) {
    struct Case {
        const char* text;
        CharIndex anchor, caret;
        const char* after;
        CharIndex at;
    };
    const Case cases[] = {
        {"mov eax, ebx", 12, 12, "mov eax, \r", 9},
        {"mov eax, ebx", 9, 9, "mov eaxebx\r", 7},  // the blank, then the run ","
        {"mov eax, ebx", 8, 8, "mov eax ebx\r", 7},
        {"mov eax, ebx", 7, 7, "mov , ebx\r", 4},
        {"    indented", 4, 4, "indented\r", 0},  // only blanks: back to column 0
        {"a  \t b", 5, 5, "b\r", 0},              // blanks, then the word a
        {"x := y", 4, 4, "x  y\r", 2},            // a run of other characters
        {"ab\r\ncd", 3, 3, "abcd\r", 2},          // column 0: Backspace joins
        {"abc def", 1, 6, "af\r", 1},             // a selection: Backspace deletes it
        {"abc", 3, 3, "\r", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " at " + std::to_string(c.caret));
        SetText(c.text);
        Select(c.anchor, c.caret);
        DeleteWordBackCommand(*ed, Upper());
        EXPECT_EQ(Text(), c.after);
        ExpectSelection(c.at, c.at);
        EXPECT_EQ(Records().size(), 1u);  // one undo step
        UndoStep(*ed);
        SetText(c.text);
    }
}

// ---- The keyboard's undo and redo --------------------------------------------------------

TEST_F(KeyCommandsTest, KeyboardUndoAndRedoRespectReadOnlyAndLocks) {
    SetText("ab\r\ncd\r\nef");
    Select(4, 4);
    TypeChar(*ed, 'x');  // line 1
    Select(0, 1);
    ReplaceSelection(*ed, "Q", true);  // line 0, a grouped step
    const std::string edited = Text();
    const uint32_t used = ed->undoLogUsed;

    ed->style |= kStyleReadOnly;
    EXPECT_EQ(UndoKeyCommand(*ed), UndoResult::Nothing);
    EXPECT_EQ(RedoKeyCommand(*ed), UndoResult::Nothing);
    EXPECT_EQ(platform.beeps, 2);
    EXPECT_EQ(Text(), edited);
    EXPECT_EQ(ed->undoLogUsed, used);
    ed->style &= ~kStyleReadOnly;

    SetLineLocked(*ed, 0, 1);  // the newest step lies on line 0
    EXPECT_EQ(UndoKeyCommand(*ed), UndoResult::Nothing);
    EXPECT_EQ(Text(), edited);
    EXPECT_EQ(ed->undoLogUsed, used);  // the step stays on the log
    EXPECT_EQ(platform.beeps, 3);
    SetLineLocked(*ed, 0, 0);
    EXPECT_EQ(UndoKeyCommand(*ed), UndoResult::Applied);
    EXPECT_EQ(Text(), "ab\rcxd\ref\r");

    SetLineLocked(*ed, 1, 1);  // the next undo would change line 1
    EXPECT_EQ(UndoKeyCommand(*ed), UndoResult::Nothing);
    EXPECT_EQ(RedoKeyCommand(*ed), UndoResult::Applied);  // the redo lies on line 0
    SetLineLocked(*ed, 0, 1);
    EXPECT_EQ(UndoKeyCommand(*ed), UndoResult::Nothing);
    // The host's EM_UNDO is never refused.
    EXPECT_EQ(UndoCommand(*ed), UndoResult::Applied);
    EXPECT_EQ(Text(), "ab\rcxd\ref\r");
}

// ---- Navigation ---------------------------------------------------------------------------

// Every Shift key moves caretPos from where it stands and leaves selAnchor where
// the selection began: Shift+Down extends row by row, Shift+Up shrinks again, and
// Shift+End, Shift+Down and Shift+Left mixed keep the start. The moving end is the
// one brought into view and repainted.
TEST_F(KeyCommandsTest, ShiftKeysMoveTheCaretAndKeepTheSelectionsStart) {
    SetText("aaaa\r\nbbbb\r\ncccc\r\ndddd");
    Select(2, 2);
    ed->panes[0].caretX = ColumnX(2);
    Nav(NavKey::Down, false, true);
    ExpectSelection(2, 7);
    Nav(NavKey::Down, false, true);
    ExpectSelection(2, 12);
    Nav(NavKey::Up, false, true);
    ExpectSelection(2, 7);
    Nav(NavKey::Right, false, true);
    Nav(NavKey::Right, false, true);
    ExpectSelection(2, 9);
    EXPECT_EQ(ed->panes[0].caretX, ColumnX(4));  // the moving end's x
    Nav(NavKey::End, false, true);
    ExpectSelection(2, 9);
    Nav(NavKey::Left, false, true);
    Nav(NavKey::Up, false, true);
    ExpectSelection(2, 3);
    Nav(NavKey::Home, false, true);  // back over the start: the selection turns
    ExpectSelection(2, 0);

    SetText("alpha beta gamma\r\ndelta\r\nlast");
    Select(0, 0);
    Nav(NavKey::Home, true, false);
    Nav(NavKey::End, false, true);
    ExpectSelection(0, 16);
    Nav(NavKey::Down, false, true);
    ExpectSelection(0, 22);
    Nav(NavKey::Down, false, true);
    ExpectSelection(0, 27);
    Nav(NavKey::Up, false, true);
    ExpectSelection(0, 22);

    // The rows repainted are the caret's old and new ones, and the view follows
    // the caret, not the anchor.
    std::string text;
    for (int i = 0; i < 30; ++i) text += "line\r\n";
    SetText(text);
    Select(5 * 8, 5 * 8);  // line 8
    ed->panes[0].caretX = ColumnX(0);
    for (int i = 0; i < 3; ++i) Nav(NavKey::Down, false, true);
    EXPECT_EQ(ed->panes[0].scrollY, 15 * 2);  // line 11 became the last row
    ExpectSelection(5 * 8, 5 * 11);
    platform.ClearRecords();
    Nav(NavKey::Up, false, true);
    ExpectSelection(5 * 8, 5 * 10);
    EXPECT_EQ(RepaintOf(Upper()).rows, (std::vector<int32_t>{15 * 10 - 30, 15 * 11 - 30}));
    ASSERT_EQ(platform.notifications.size(), 1u);
}

TEST_F(KeyCommandsTest, PageKeysMoveTheTextAPageUnderTheCaret) {
    std::string text;
    for (int i = 0; i < 25; ++i) text += "row" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "\r\n";
    SetText(text);  // 26 lines of 6 (the last one empty); ten rows a page
    ed->panes[0].caretX = ColumnX(2);
    Select(12, 12);  // line 2, column 0
    ed->panes[0].caretX = ColumnX(0);
    Nav(NavKey::PageDown);
    EXPECT_EQ(ed->panes[0].scrollY, 150);
    ExpectSelection(12 * 6, 12 * 6);  // the caret keeps its row: line 12
    Nav(NavKey::PageDown);  // the last full page starts at line 16
    EXPECT_EQ(ed->panes[0].scrollY, 16 * 15);
    ExpectSelection(22 * 6, 22 * 6);
    Nav(NavKey::PageDown);
    ExpectSelection(25 * 6, 25 * 6);  // the last line at most
    Nav(NavKey::PageUp, false, true);  // Shift: caretPos moves, selAnchor stays
    EXPECT_EQ(ed->panes[0].scrollY, 6 * 15);
    ExpectSelection(25 * 6, 15 * 6);
    Nav(NavKey::PageUp);  // from the larger end, line 25, to line 15
    ExpectSelection(15 * 6, 15 * 6);
    Nav(NavKey::PageUp);
    EXPECT_EQ(ed->panes[0].scrollY, 0);
    ExpectSelection(5 * 6, 5 * 6);
    Nav(NavKey::PageUp);
    ExpectSelection(0, 0);
    platform.ClearRecords();
    Nav(NavKey::PageUp);  // nothing moves: nothing repainted, nothing told
    EXPECT_TRUE(platform.notifications.empty());
    EXPECT_TRUE(platform.invalidations.empty());
}

}  // namespace
}  // namespace qv::test
