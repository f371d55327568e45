// The rich-edit style messages, driven through the real control: selections as
// character ranges, range copies, search, word breaks, redo, and the numbers of
// the range the control does not answer.
#include <richedit.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/EditorInstance.h"
#include "store/LineRecord.h"
#include "win/support/TestHost.h"

using qv::EditorInstance;

namespace qvtest {
namespace {

EditorInstance* Record(HWND control) {
    return reinterpret_cast<EditorInstance*>(GetWindowLongPtrA(control, 0));
}

using Doc = std::vector<std::string>;

Doc Lines(HWND control) {
    const EditorInstance* ed = Record(control);
    Doc lines;
    for (uint32_t i = 0; i < ed->lineIndexUsed / 4; ++i) {
        qv::LineRecordView rec(ed->lineHeap + qv::RecordOffset(*ed, i));
        lines.emplace_back(reinterpret_cast<const char*>(rec.chars()), rec.length());
    }
    return lines;
}

class RichEditFixture : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        ASSERT_TRUE(MakeControl());
    }
    EditorInstance& ed() { return *Record(control); }
    void SetText(const char* text) { Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
    void ExSetSel(LONG cpMin, LONG cpMax) {
        CHARRANGE range = {cpMin, cpMax};
        EXPECT_EQ(Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range)), 0);
    }
    CHARRANGE ExGetSel() {
        CHARRANGE range = {-7, -7};
        EXPECT_EQ(Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range)), 0);
        return range;
    }
    size_t Notified() const { return host->notifications.size(); }
};

#define EXPECT_RANGE(range, lo, hi)   \
    do {                              \
        EXPECT_EQ((range).cpMin, lo); \
        EXPECT_EQ((range).cpMax, hi); \
    } while (0)

// ---- EM_EXSETSEL, EM_EXGETSEL, EM_HIDESELECTION --------------------------------------

class ExSelTest : public RichEditFixture {
protected:
    void SetUp() override {
        RichEditFixture::SetUp();
        SetText("abcdef\r\nghij");  // stored length 12
    }
};

TEST_F(ExSelTest, TheCaretGoesToCpMaxAndTheAnchorToCpMin) {
    ExSetSel(2, 9);
    EXPECT_EQ(ed().selAnchor, 2u);
    EXPECT_EQ(ed().caretPos, 9u);
    EXPECT_RANGE(ExGetSel(), 2, 9);
    ExSetSel(9, 2);  // reversed: reported ordered, kept as given
    EXPECT_EQ(ed().selAnchor, 9u);
    EXPECT_EQ(ed().caretPos, 2u);
    EXPECT_RANGE(ExGetSel(), 2, 9);
    DWORD s = 0, e = 0;
    Send(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    EXPECT_EQ(s, 2u);
    EXPECT_EQ(e, 9u);
}

TEST_F(ExSelTest, EndsAreClampedAndMinusOneIsTheEndOfTheText) {
    ExSetSel(0, -1);  // the whole text, up to the closing CR
    EXPECT_EQ(ed().selAnchor, 0u);
    EXPECT_EQ(ed().caretPos, 11u);
    EXPECT_RANGE(ExGetSel(), 0, 11);
    ExSetSel(3, 5000);
    EXPECT_RANGE(ExGetSel(), 3, 11);
    // Unlike EM_SETSEL, (-1, n) does not collapse.
    ExSetSel(-1, 4);
    EXPECT_EQ(ed().selAnchor, 11u);
    EXPECT_EQ(ed().caretPos, 4u);
    EXPECT_RANGE(ExGetSel(), 4, 11);
}

TEST_F(ExSelTest, TheCaretIsNotScrolledIntoView) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += "line\r\n";
    SetText(text.c_str());
    ExSetSel(0, -1);
    EXPECT_EQ(ed().caretPos, 300u * 5);
    EXPECT_EQ(ed().panes[0].scrollY, 0);
    EXPECT_EQ(Send(EM_GETFIRSTVISIBLELINE), 0);
}

// The caret goes where the next character goes, also under a hidden selection:
// it no longer blinks at its old place.
TEST_F(ExSelTest, TheCaretIsPlacedAlsoUnderAHiddenSelection) {
    SetFocus(control);
    ExSetSel(5, 5);
    EXPECT_EQ(ed().caretHidden, 0u);
    Send(EM_HIDESELECTION, 1);
    ExSetSel(2, 4);
    EXPECT_EQ(ed().caretHidden, 1u);
    POINTL expected = {};
    Send(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&expected), 4);
    POINT caret = {};
    GetCaretPos(&caret);
    EXPECT_EQ(caret.x, expected.x);
}

TEST_F(ExSelTest, EveryExSetSelNotifies) {
    const size_t before = Notified();
    ExSetSel(1, 3);
    ExSetSel(1, 3);  // the same again
    Send(EM_HIDESELECTION, 1);
    ExSetSel(5, 8);  // hidden: nothing repainted, still told
    ASSERT_EQ(Notified(), before + 3);
    const SelChangeEx& last = host->notifications.back().record;
    EXPECT_EQ(last.anchor, 5);
    EXPECT_EQ(last.caret, 8);
    EXPECT_EQ(last.reason, QV_REASON_CHANGE);
}

TEST_F(ExSelTest, AHiddenSelectionIsNotRepainted) {
    HWND pane = static_cast<HWND>(ed().panes[0].hwnd);
    ExSetSel(1, 3);
    UpdateWindow(pane);
    ExSetSel(8, 11);
    EXPECT_TRUE(GetUpdateRect(pane, nullptr, FALSE));  // shown: old and new are redrawn
    UpdateWindow(pane);

    EXPECT_EQ(Send(EM_HIDESELECTION, 1), 1);
    EXPECT_EQ(ed().hideSelection, 1u);
    EXPECT_FALSE(GetUpdateRect(pane, nullptr, FALSE));  // not even the hiding repaints
    ExSetSel(2, 4);
    EXPECT_FALSE(GetUpdateRect(pane, nullptr, FALSE));
    EXPECT_RANGE(ExGetSel(), 2, 4);

    EXPECT_EQ(Send(EM_HIDESELECTION, 0), 0);
    EXPECT_EQ(ed().hideSelection, 0u);
    EXPECT_FALSE(GetUpdateRect(pane, nullptr, FALSE));
    ExSetSel(6, 7);
    EXPECT_TRUE(GetUpdateRect(pane, nullptr, FALSE));
}

TEST_F(ExSelTest, MissingRangesChangeNothing) {
    ExSetSel(3, 5);
    const size_t before = Notified();
    EXPECT_EQ(Send(EM_EXSETSEL, 0, 0), 0);
    EXPECT_EQ(Send(EM_EXGETSEL, 0, 0), 0);
    EXPECT_RANGE(ExGetSel(), 3, 5);
    EXPECT_EQ(Notified(), before);
}

TEST_F(ExSelTest, ExLineFromCharTakesTheIndexInLParam) {
    const struct {
        LPARAM index;
        LRESULT line;
    } cases[] = {{0, 0}, {6, 0}, {7, 1}, {8, 1}, {11, 1}, {12, 1}, {500, 1}, {-1, 1}};
    for (const auto& c : cases) EXPECT_EQ(Send(EM_EXLINEFROMCHAR, 99, c.index), c.line) << c.index;
    // The lookup is the one EM_LINEINDEX(-1) reads.
    Send(EM_EXLINEFROMCHAR, 0, 3);
    EXPECT_EQ(Send(EM_LINEINDEX, -1), 0);
    Send(EM_EXLINEFROMCHAR, 0, 9);
    EXPECT_EQ(Send(EM_LINEINDEX, -1), 7);
}

// ---- EM_GETSELTEXT and EM_GETTEXTRANGE ---------------------------------------------

class RangeCopyTest : public RichEditFixture {
protected:
    void SetUp() override {
        RichEditFixture::SetUp();
        SetText("ab\r\ncd");  // stored: a b CR c d CR
        std::memset(buffer, 'Z', sizeof buffer);
    }
    LRESULT TextRange(LONG cpMin, LONG cpMax) {
        std::memset(buffer, 'Z', sizeof buffer);
        TEXTRANGEA range = {{cpMin, cpMax}, buffer};
        return Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    }
    // The n copied characters, and that a NUL and nothing more follows them.
    void ExpectCopied(LRESULT n, const std::string& expected) {
        ASSERT_GE(n, 0);
        EXPECT_EQ(std::string(buffer, n), expected);
        EXPECT_EQ(buffer[n], '\0');
        EXPECT_EQ(buffer[n + 1], 'Z');
    }
    char buffer[64];
};

TEST_F(RangeCopyTest, GetSelTextCopiesTheSelectionAsStored) {
    Send(EM_SETSEL, 1, 5);
    LRESULT n = Send(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer));
    EXPECT_EQ(n, 4);
    ExpectCopied(n, "b\rcd");

    Send(EM_SETSEL, 5, 1);  // the same, anchor after the caret
    std::memset(buffer, 'Z', sizeof buffer);
    n = Send(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer));
    EXPECT_EQ(n, 4);
    ExpectCopied(n, "b\rcd");

    Send(EM_SETSEL, 0, -1);  // all of it: the closing CR is not the host's text
    std::memset(buffer, 'Z', sizeof buffer);
    n = Send(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer));
    EXPECT_EQ(n, 5);
    ExpectCopied(n, "ab\rcd");

    Send(EM_SETSEL, 3, 3);
    std::memset(buffer, 'Z', sizeof buffer);
    n = Send(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer));
    EXPECT_EQ(n, 0);
    ExpectCopied(n, "");
}

TEST_F(RangeCopyTest, GetTextRangeOrdersAndClampsItsEnds) {
    LRESULT n = TextRange(5, 2);
    EXPECT_EQ(n, 3);
    ExpectCopied(n, "\rcd");
    // A range to the end stops in front of the closing CR: WM_GETTEXTLENGTH + 1
    // bytes always hold it.
    n = TextRange(0, -1);
    EXPECT_EQ(n, 5);
    ExpectCopied(n, "ab\rcd");
    n = TextRange(-1, 4);
    EXPECT_EQ(n, 1);
    ExpectCopied(n, "d");
    n = TextRange(3, 1000);
    EXPECT_EQ(n, 2);
    ExpectCopied(n, "cd");
    n = TextRange(5, 6);
    EXPECT_EQ(n, 0);
    ExpectCopied(n, "");
    n = TextRange(1, 1);
    EXPECT_EQ(n, 0);
    ExpectCopied(n, "");
    n = TextRange(1000, 2000);
    EXPECT_EQ(n, 0);
    ExpectCopied(n, "");
}

TEST_F(RangeCopyTest, CopiesLeaveTheSelectionAlone) {
    Send(EM_SETSEL, 4, 1);
    const size_t before = Notified();
    TextRange(0, -1);
    Send(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer));
    EXPECT_EQ(ed().selAnchor, 4u);
    EXPECT_EQ(ed().caretPos, 1u);
    EXPECT_EQ(Notified(), before);
}

TEST_F(RangeCopyTest, MissingBuffersCopyNothing) {
    EXPECT_EQ(Send(EM_GETTEXTRANGE, 0, 0), 0);
    TEXTRANGEA range = {{0, 3}, nullptr};
    EXPECT_EQ(Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)), 0);
    Send(EM_SETSEL, 0, 3);
    EXPECT_EQ(Send(EM_GETSELTEXT, 0, 0), 0);
}

// ---- EM_FINDTEXT and EM_FINDTEXTEX ---------------------------------------------------

class FindTest : public RichEditFixture {
protected:
    void SetUp() override {
        RichEditFixture::SetUp();
        SetText("xab\r\nab");  // x a b CR / a b CR
    }
    LRESULT Find(WPARAM flags, LONG from, LONG limit, const char* pattern) {
        FINDTEXTA find = {{from, limit}, pattern};
        return Send(EM_FINDTEXT, flags, reinterpret_cast<LPARAM>(&find));
    }
};

TEST_F(FindTest, ForwardsAndBackwards) {
    EXPECT_EQ(Find(FR_DOWN, 0, -1, "ab"), 1);
    EXPECT_EQ(Find(FR_DOWN, 2, -1, "ab"), 4);
    EXPECT_EQ(Find(FR_DOWN, 5, -1, "ab"), -1);
    EXPECT_EQ(Find(0, 7, 0, "ab"), 4);  // the nearest match below 7
    EXPECT_EQ(Find(0, 5, 0, "ab"), 1);  // a match must end at or before the start
    EXPECT_EQ(Find(0, 6, 0, "ab"), 4);
    EXPECT_EQ(Find(0, 3, 0, "ab"), 1);
    EXPECT_EQ(Find(0, 2, 0, "ab"), -1);
    EXPECT_EQ(Find(0, 7, -1, "xa"), 0);  // a limit of -1 reaches the start too
}

TEST_F(FindTest, TheLimitIsCheckedPerLine) {
    SetText("zz\r\nab\r\nab");  // lines at 0, 3, 6
    EXPECT_EQ(Find(FR_DOWN, 0, 3, "ab"), -1);
    EXPECT_EQ(Find(FR_DOWN, 0, 4, "ab"), 3);
    EXPECT_EQ(Find(0, 9, 6, "zz"), -1);
    EXPECT_EQ(Find(0, 9, 1, "zz"), 0);
}

TEST_F(FindTest, EmptyPatternOrEmptyRangeFindsNothing) {
    EXPECT_EQ(Find(FR_DOWN, 0, -1, ""), -1);
    EXPECT_EQ(Find(FR_DOWN, 2, 2, "ab"), -1);
    EXPECT_EQ(Find(0, 2, 2, "ab"), -1);
    EXPECT_EQ(Find(FR_DOWN, 0, -1, nullptr), -1);
    EXPECT_EQ(Send(EM_FINDTEXT, FR_DOWN, 0), -1);
    EXPECT_EQ(Send(EM_FINDTEXTEX, FR_DOWN, 0), -1);
}

TEST_F(FindTest, CaseFoldsOnlyAsciiLettersUnlessMatchCase) {
    EXPECT_EQ(Find(FR_DOWN, 0, -1, "AB"), 1);
    EXPECT_EQ(Find(FR_DOWN | FR_MATCHCASE, 0, -1, "AB"), -1);
    EXPECT_EQ(Find(FR_DOWN | FR_MATCHCASE, 0, -1, "ab"), 1);
    EXPECT_EQ(Find(FR_MATCHCASE, 7, 0, "XA"), -1);
    SetText("a[b{\xE4");
    EXPECT_EQ(Find(FR_DOWN, 0, -1, "{"), 3);
    EXPECT_EQ(Find(FR_DOWN, 0, -1, "["), 1);
    EXPECT_EQ(Find(FR_DOWN, 0, -1, "\xC4"), -1);  // bytes above 127 compare exactly
    EXPECT_EQ(Find(FR_DOWN, 0, -1, "A[B{"), 0);
}

TEST_F(FindTest, WholeWordsAreBoundedByNonAlphanumerics) {
    SetText("abc\r\nxab\r\nab_\r\n(ab)\r\nab");
    // lines at 0, 4, 8, 12, 17
    EXPECT_EQ(Find(FR_DOWN | FR_WHOLEWORD, 0, -1, "ab"), 8);
    EXPECT_EQ(Find(FR_DOWN | FR_WHOLEWORD, 9, -1, "ab"), 13);
    EXPECT_EQ(Find(FR_DOWN | FR_WHOLEWORD, 14, -1, "ab"), 17);  // at the end of the text
    EXPECT_EQ(Find(FR_WHOLEWORD, 8, 0, "ab"), -1);
    EXPECT_EQ(Find(FR_WHOLEWORD, 17, 0, "ab"), 13);
    EXPECT_EQ(Find(FR_DOWN, 0, -1, "ab"), 0);  // without the flag the first "ab" matches
}

TEST_F(FindTest, AMatchNeverSpansALineEnd) {
    EXPECT_EQ(Find(FR_DOWN, 0, -1, "b\ra"), -1);
    EXPECT_EQ(Find(FR_DOWN, 0, -1, "b\r\na"), -1);
    EXPECT_EQ(Find(0, 7, 0, "b\ra"), -1);
    EXPECT_EQ(Find(FR_DOWN, 0, -1, "ab\r"), 1);  // a CR matches a line end
    EXPECT_EQ(Find(FR_DOWN, 2, -1, "ab\r"), 4);  // the closing CR too
}

TEST_F(FindTest, FindTextExFillsChrgTextOnlyOnAMatch) {
    char pattern[] = "AB";
    FINDTEXTEXA find = {{0, -1}, pattern, {-5, -6}};
    EXPECT_EQ(Send(EM_FINDTEXTEX, FR_DOWN, reinterpret_cast<LPARAM>(&find)), 1);
    EXPECT_RANGE(find.chrgText, 1, 3);
    find.chrg = {7, 0};
    EXPECT_EQ(Send(EM_FINDTEXTEX, 0, reinterpret_cast<LPARAM>(&find)), 4);
    EXPECT_RANGE(find.chrgText, 4, 6);
    find.chrgText = {-5, -6};
    EXPECT_EQ(Send(EM_FINDTEXTEX, FR_MATCHCASE, reinterpret_cast<LPARAM>(&find)), -1);
    EXPECT_RANGE(find.chrgText, -5, -6);
    EXPECT_RANGE(find.chrg, 7, 0);  // the request is left as it was
}

TEST_F(FindTest, SearchingMovesNeitherTheSelectionNorTheText) {
    Send(EM_SETSEL, 2, 3);
    const size_t before = Notified();
    Find(FR_DOWN, 0, -1, "ab");
    EXPECT_EQ(ed().selAnchor, 2u);
    EXPECT_EQ(ed().caretPos, 3u);
    EXPECT_EQ(Notified(), before);
    EXPECT_EQ(Lines(control), Doc({"xab\r", "ab\r"}));
}

// ---- EM_FINDWORDBREAK ------------------------------------------------------------------

class WordBreakTest : public RichEditFixture {
protected:
    void SetUp() override {
        RichEditFixture::SetUp();
        SetText(" abc_1 x.y\r\nq?r@s");  // line 1 at 11
    }
    LRESULT Break(WPARAM code, LPARAM at) { return Send(EM_FINDWORDBREAK, code, at); }
};

TEST_F(WordBreakTest, MoveWordLeftFindsTheStartOfTheName) {
    EXPECT_EQ(Break(WB_MOVEWORDLEFT, 3), 1);  // inside abc_1
    EXPECT_EQ(Break(WB_MOVEWORDLEFT, 6), 1);  // right after it
    EXPECT_EQ(Break(WB_MOVEWORDLEFT, 1), 1);  // at its start
    EXPECT_EQ(Break(WB_MOVEWORDLEFT, 9), 9);  // right after a full stop
    EXPECT_EQ(Break(WB_MOVEWORDLEFT, 10), 9);
    EXPECT_EQ(Break(WB_MOVEWORDLEFT, 16), 11);  // ? and @ are name characters
    EXPECT_EQ(Break(WB_MOVEWORDLEFT, 11), 11);  // never into the line before
}

TEST_F(WordBreakTest, MoveWordRightFindsTheEndOfTheName) {
    EXPECT_EQ(Break(WB_MOVEWORDRIGHT, 1), 6);
    EXPECT_EQ(Break(WB_MOVEWORDRIGHT, 4), 6);
    EXPECT_EQ(Break(WB_MOVEWORDRIGHT, 6), 6);  // at a blank: no move
    EXPECT_EQ(Break(WB_MOVEWORDRIGHT, 7), 8);
    EXPECT_EQ(Break(WB_MOVEWORDRIGHT, 9), 10);  // stops at the line's CR
    EXPECT_EQ(Break(WB_MOVEWORDRIGHT, 12), 16);
    EXPECT_EQ(Break(WB_MOVEWORDRIGHT, -1), 17);  // past the end: the end of the text
}

TEST_F(WordBreakTest, OtherCodesAnswerTheIndexUnchanged) {
    for (WPARAM code : {WPARAM(WB_LEFT), WPARAM(WB_RIGHT), WPARAM(WB_ISDELIMITER), WPARAM(WB_CLASSIFY),
                        WPARAM(WB_LEFTBREAK), WPARAM(WB_RIGHTBREAK), WPARAM(99)}) {
        EXPECT_EQ(Break(code, 3), 3) << code;
        EXPECT_EQ(Break(code, 12345), 12345) << code;
    }
}

// ---- EM_REDO and EM_CANREDO -----------------------------------------------------------

class RedoTest : public RichEditFixture {};

TEST_F(RedoTest, RedoReappliesWhatUndoTookBack) {
    SetText("abc");
    EXPECT_EQ(Send(EM_CANREDO), 0);
    Send(EM_SETSEL, 1, 2);
    Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("XY"));
    Send(EM_UNDO);  // the replacement is one step: the b comes back with it
    EXPECT_EQ(Lines(control), Doc({"abc\r"}));
    EXPECT_EQ(Send(EM_CANREDO), 1);
    EXPECT_NE(Send(EM_REDO), 0);
    EXPECT_EQ(Lines(control), Doc({"aXYc\r"}));
    DWORD s = 0, e = 0;
    Send(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    EXPECT_EQ(s, 3u);  // the caret after the redone text
    EXPECT_EQ(e, 3u);
    EXPECT_EQ(Send(EM_CANREDO), 0);
    EXPECT_EQ(Send(EM_CANUNDO), 1);
}

TEST_F(RedoTest, RedoWithNothingToRedoChangesNothingButNotifies) {
    SetText("abc");
    Send(EM_SETSEL, 3, 3);
    Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("d"));
    const size_t before = Notified();
    EXPECT_EQ(Send(EM_REDO), 0);
    EXPECT_EQ(Lines(control), Doc({"abcd\r"}));
    EXPECT_EQ(Notified(), before + 1);
    EXPECT_EQ(Send(EM_CANUNDO), 1);
}

TEST_F(RedoTest, UndoAllThenRedoAllWalksTheWholeLog) {
    SetText("");
    const char* pieces[] = {"one", "\r\n", "two", "\r\nthree"};
    std::vector<Doc> states = {Lines(control)};
    for (const char* piece : pieces) {
        Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(piece));
        states.push_back(Lines(control));
    }
    for (size_t i = states.size() - 1; i-- > 0;) {
        Send(EM_UNDO);
        EXPECT_EQ(Lines(control), states[i]) << i;
    }
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    for (size_t i = 1; i < states.size(); ++i) {
        EXPECT_EQ(Send(EM_CANREDO), 1);
        Send(EM_REDO);
        EXPECT_EQ(Lines(control), states[i]) << i;
    }
    EXPECT_EQ(Send(EM_CANREDO), 0);
}

// ---- EM_CANPASTE and the unanswered numbers --------------------------------------------

class RichEditOtherTest : public RichEditFixture {};

TEST_F(RichEditOtherTest, CanPasteOfFormatZeroIsAlwaysZero) {
    // Held open so that nothing else changes the clipboard meanwhile.
    ASSERT_TRUE(OpenClipboard(host->hwnd()));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 6);
    std::memcpy(GlobalLock(block), "hello", 6);
    GlobalUnlock(block);
    ASSERT_TRUE(SetClipboardData(CF_TEXT, block));
    EXPECT_NE(Send(EM_CANPASTE, CF_TEXT), 0);
    EXPECT_EQ(Send(EM_CANPASTE, 0), 0);
    EXPECT_EQ(Send(EM_CANPASTE, CF_BITMAP), 0);
    EmptyClipboard();
    CloseClipboard();
}

TEST_F(RichEditOtherTest, UnlistedNumbersOfTheRangeGetTheDefaultAnswer) {
    SetText("abc\r\ndef");
    Send(EM_SETSEL, 1, 5);
    const size_t before = Notified();
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD;
    format.dwEffects = CFE_BOLD;
    EXPECT_EQ(Send(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)), 0);
    EXPECT_EQ(Send(EM_SETEVENTMASK, 0, ENM_CHANGE), 0);
    EXPECT_EQ(Send(EM_SETBKGNDCOLOR, 0, RGB(1, 2, 3)), 0);
    EXPECT_EQ(Send(EM_SETUNDOLIMIT, 1), 0);
    EXPECT_EQ(Lines(control), Doc({"abc\r", "def\r"}));
    EXPECT_EQ(ed().selAnchor, 1u);
    EXPECT_EQ(ed().caretPos, 5u);
    EXPECT_EQ(Notified(), before);
    // The undo limit was not taken: several steps still undo.
    Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("1"));
    Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("2"));
    Send(EM_UNDO);
    Send(EM_UNDO);
    Send(EM_UNDO);
    EXPECT_EQ(Lines(control), Doc({"abc\r", "def\r"}));
}

}  // namespace
}  // namespace qvtest
