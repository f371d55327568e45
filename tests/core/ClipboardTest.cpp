// Copy, cut and paste against the fake clipboard: what reaches the clipboard, that
// nothing is deleted unless its copy got there, that a paste changes nothing until
// it holds a text to insert, and the clipboard's bounds and line ends.
#include <string>
#include <vector>

#include "command/Clipboard.h"
#include "core/support/EditFixture.h"
#include "render/LineLocks.h"

namespace qv::test {
namespace {

class ClipboardTest : public EditFixture {
protected:
    void SetUp() override {
        EditFixture::SetUp();
        ed->panes[0].textRect = {0, 0, 400, 300};
        platform.focus = ed->panes[0].hwnd;
    }
    // The clipboard was opened by the control and closed again, every time.
    void ExpectClipboardClosed() {
        EXPECT_FALSE(platform.clipboardOpen);
        EXPECT_EQ(platform.clipboardOpens, platform.clipboardCloses);
        EXPECT_EQ(platform.clipboardLocks, platform.clipboardUnlocks);
        EXPECT_EQ(platform.clipboardMisuse, 0);
        if (platform.clipboardOpens) {
            EXPECT_EQ(platform.clipboardOwner, ed->hwnd);
        }
    }
    // Nothing changed: the text, the selection, the log; no notification.
    struct Snapshot {
        std::string text;
        CharIndex anchor, caret;
        uint32_t logUsed;
    };
    Snapshot Take() const { return {Text(), ed->selAnchor, ed->caretPos, ed->undoLogUsed}; }
    void ExpectUnchanged(const Snapshot& s) {
        EXPECT_EQ(Text(), s.text);
        ExpectSelection(s.anchor, s.caret);
        EXPECT_EQ(ed->undoLogUsed, s.logUsed);
        EXPECT_TRUE(platform.notifications.empty());
    }
};

TEST_F(ClipboardTest, CopyPutsTheSelectionWithCrLfAndNeverTheClosingCr) {
    SetText("ab\r\ncd\r\n\r\nef");  // stored: ab CR cd CR CR ef CR (the closing CR at 9)
    struct Case {
        CharIndex anchor, caret;
        ClipboardOutcome outcome;
        std::string block;  // what the clipboard holds afterwards, its NUL included
    };
    const std::string none = "untouched";
    const Case cases[] = {
        {0, 3, ClipboardOutcome::Done, std::string("ab\r\n", 4) + '\0'},
        {4, 1, ClipboardOutcome::Done, std::string("b\r\nc", 4) + '\0'},  // backwards, in document order
        {5, 7, ClipboardOutcome::Done, std::string("\r\n\r\n", 4) + '\0'},
        {0, kNoIndex, ClipboardOutcome::Done, std::string("ab\r\ncd\r\n\r\nef", 12) + '\0'},  // select all
        {7, 10, ClipboardOutcome::Done, std::string("ef") + '\0'},        // through the closing CR
        {9, 10, ClipboardOutcome::Nothing, none},                          // the closing CR alone
        {3, 3, ClipboardOutcome::Nothing, none},                           // empty
        {kNoIndex, kNoIndex, ClipboardOutcome::Nothing, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.anchor) + ", " + std::to_string(c.caret));
        platform.PutClipboard(none);
        Select(c.anchor, c.caret);
        EXPECT_EQ(CopySelection(*ed), c.outcome);
        EXPECT_EQ(platform.clipboardBlock, c.block);
        ExpectSelection(c.anchor, c.caret);
        ExpectClipboardClosed();
    }
    EXPECT_EQ(Text(), "ab\rcd\r\ref\r");
    EXPECT_TRUE(platform.notifications.empty());
    EXPECT_EQ(platform.liveTransferBuffers, 0);
}

// Nothing is deleted unless its copy reached the clipboard: a clipboard held open
// by another program, a block or a buffer that cannot be had, a clipboard that
// refuses the block. The cut beeps and changes nothing.
TEST_F(ClipboardTest, CutDeletesOnlyWhatReachedTheClipboard) {
    struct Case {
        const char* failure;
        void (*arrange)(FakePlatform&);
        bool clipboardKept;  // the clipboard still holds what it held
    };
    const Case cases[] = {
        {"clipboard held open", [](FakePlatform& p) { p.clipboardBusy = true; }, true},
        {"no block", [](FakePlatform& p) { p.clipboardBlockFails = true; }, true},
        {"block refused", [](FakePlatform& p) { p.clipboardRefuses = true; }, false},
        {"no buffer", [](FakePlatform& p) { p.transferAllocsLeft = 0; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure);
        SetText("one\r\ntwo");
        platform.PutClipboard(std::string("old") + '\0');
        Select(1, 6);
        const Snapshot before = Take();
        c.arrange(platform);
        EXPECT_EQ(CutCommand(*ed), ClipboardOutcome::Failed);
        platform.clipboardBusy = platform.clipboardBlockFails = platform.clipboardRefuses = false;
        platform.transferAllocsLeft = -1;
        EXPECT_EQ(platform.beeps, 1);
        ExpectUnchanged(before);
        if (c.clipboardKept) {
            EXPECT_EQ(platform.ClipboardText(), "old");
        }
        ExpectClipboardClosed();
    }
    // And when the copy gets there, the selection goes: one kind-6 record.
    SetText("one\r\ntwo");
    Select(6, 1);
    EXPECT_EQ(CutCommand(*ed), ClipboardOutcome::Done);
    EXPECT_EQ(platform.ClipboardText(), "ne\r\ntw");
    EXPECT_EQ(Text(), "oo\r");
    ExpectSelection(1, 1);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].kind, UndoKind::DeleteRange);
    EXPECT_EQ(RecordText(Records()[0]), "ne\rtw");
    EXPECT_EQ(platform.notifications.size(), 1u);
    EXPECT_EQ(platform.beeps, 0);
    ExpectClipboardClosed();
}

TEST_F(ClipboardTest, CutOfNothingCopiesAndDeletesNothing) {
    SetText("abc");
    platform.PutClipboard(std::string("kept") + '\0');
    Select(3, 4);  // the closing CR alone
    EXPECT_EQ(CutCommand(*ed), ClipboardOutcome::Nothing);
    EXPECT_EQ(Text(), "abc\r");
    EXPECT_EQ(platform.ClipboardText(), "kept");
    EXPECT_EQ(ed->undoLogUsed, 0u);
    EXPECT_EQ(platform.beeps, 0);
    EXPECT_EQ(platform.notifications.size(), 1u);  // the caret steps still end with a notification
}

// Select all, cut, paste gives the same document back, however often.
TEST_F(ClipboardTest, CutAllThenPasteGivesTheSameDocumentBack) {
    for (const char* text : {"abc", "ab\r\ncd", "ab\r\n", "\r\n\r\nx\r\n", ""}) {
        SCOPED_TRACE(testing::PrintToString(std::string(text)));
        SetText(text);
        platform.clipboardHasText = false;  // an empty document cuts nothing: nothing to paste
        const std::string document = Text();
        for (int round = 0; round < 3; ++round) {
            Select(0, kNoIndex);
            CutCommand(*ed);
            EXPECT_EQ(Text(), "\r");
            PasteCommand(*ed);
            EXPECT_EQ(Text(), document);
        }
        ExpectWellFormed();
    }
}

// The clipboard is read first: when it holds nothing to insert, or cannot be read,
// the selection stays and nothing is logged or told.
TEST_F(ClipboardTest, PasteChangesNothingWhenThereIsNothingToPaste) {
    struct Case {
        const char* what;
        void (*arrange)(FakePlatform&);
        ClipboardOutcome outcome;
    };
    const Case cases[] = {
        {"no CF_TEXT", [](FakePlatform& p) { p.clipboardHasText = false; }, ClipboardOutcome::Nothing},
        {"an empty text", [](FakePlatform& p) { p.PutClipboard(std::string(1, '\0')); }, ClipboardOutcome::Nothing},
        {"a NUL first", [](FakePlatform& p) { p.PutClipboard(std::string("\0abc", 4)); }, ClipboardOutcome::Nothing},
        {"an empty block", [](FakePlatform& p) { p.PutClipboard(""); }, ClipboardOutcome::Nothing},
        {"held open", [](FakePlatform& p) { p.clipboardBusy = true; }, ClipboardOutcome::Failed},
        {"lock fails", [](FakePlatform& p) { p.clipboardLockFails = true; }, ClipboardOutcome::Nothing},
        {"no buffer", [](FakePlatform& p) { p.transferAllocsLeft = 0; }, ClipboardOutcome::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetText("keep\r\nthis");
        TypeChar(*ed, 'x');  // a log with one record
        Select(2, 7);
        platform.ClearRecords();
        platform.PutClipboard(std::string("text") + '\0');
        c.arrange(platform);
        const Snapshot before = Take();
        EXPECT_EQ(PasteCommand(*ed), c.outcome);
        platform.clipboardBusy = platform.clipboardLockFails = false;
        platform.transferAllocsLeft = -1;
        ExpectUnchanged(before);
        EXPECT_EQ(Records().size(), 1u);
        ExpectClipboardClosed();
        EXPECT_EQ(platform.liveTransferBuffers, 0);
    }
}

// Over a selection a paste is one undo step, and its records are logged before
// the parent hears of it: an edit the parent makes then is a step of its own.
TEST_F(ClipboardTest, PasteOverASelectionIsOneStepAndTheParentEditsApart) {
    SetText("ab\r\ncd");
    platform.PutClipboard(std::string("x\r\n") + '\0');
    Select(1, 3);  // b and the line break
    bool parentEdited = false;
    platform.duringNotify = [&](const SelChangeInfo&) {
        if (parentEdited) return;
        parentEdited = true;
        ReplaceSelection(*ed, "P", true);
    };
    EXPECT_EQ(PasteCommand(*ed), ClipboardOutcome::Done);
    platform.duringNotify = nullptr;
    // The pasted CR is absorbed by the kept line break; the caret at the next line's start.
    EXPECT_EQ(Lines(), (std::vector<std::string>{"ax\r", "Pcd\r"}));
    ASSERT_EQ(Records().size(), 3u);
    EXPECT_EQ(Records()[0].group, 1u);
    EXPECT_EQ(Records()[1].group, 1u);
    EXPECT_EQ(Records()[2].group, 0u);
    UndoStep(*ed);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"ax\r", "cd\r"}));
    UndoStep(*ed);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"ab\r", "cd\r"}));
    ExpectSelection(1, 3);
    RedoStep(*ed);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"ax\r", "cd\r"}));
    ExpectSelection(3, 3);
}

// A block is read to its first NUL or its end, whichever comes first, and never a
// byte further (a read past it shows up under AddressSanitizer); line ends become
// single CRs, a lone LF too.
TEST_F(ClipboardTest, PasteReadsTheBlockUpToItsNulOrItsEndAndStoresLineEnds) {
    struct Case {
        std::string block;
        std::string stored;  // the document afterwards
    };
    const Case cases[] = {
        {"abc", "abc\r"},                            // no NUL at all: the block's bytes
        {std::string("ab\0cd", 5), "ab\r"},          // a NUL inside ends the text
        {std::string("x\r\ny\0", 5), "x\ry\r"},
        {"a\nb\n", "a\rb\r\r"},                      // lone LFs from a Unix tool
        {"\r\n\n\r", "\r\r\r\r"},                    // CR LF, LF, CR
        {std::string(1, '\xFF') + "\t\x7F", "\xFF\t\x7F\r"},  // every other byte as it is
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.block));
        SetText("");
        platform.PutClipboard(c.block);
        EXPECT_EQ(PasteCommand(*ed), ClipboardOutcome::Done);
        EXPECT_EQ(Text(), c.stored);
        ExpectSelection(Text().size() - 1, Text().size() - 1);
        ASSERT_EQ(Records().size(), 1u);
        EXPECT_EQ(Records()[0].kind, UndoKind::InsertText);
        EXPECT_EQ(RecordText(Records()[0]), c.stored.substr(0, c.stored.size() - 1));
        ExpectClipboardClosed();
    }
}

}  // namespace
}  // namespace qv::test
