// The standard edit messages and the text messages, driven through the real
// control: results, the stored lines, the selection, the undo log and the
// modified flag.
#include <richedit.h>  // EM_REDO, EM_CANREDO, EM_HIDESELECTION

#include <cstring>
#include <string>
#include <utility>
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

// The document as stored: one string per line, each with its CR.
std::vector<std::string> Lines(HWND control) {
    const EditorInstance* ed = Record(control);
    std::vector<std::string> lines;
    for (uint32_t i = 0; i < ed->lineIndexUsed / 4; ++i) {
        qv::LineRecordView rec(ed->lineHeap + qv::RecordOffset(*ed, i));
        lines.emplace_back(reinterpret_cast<const char*>(rec.chars()), rec.length());
    }
    return lines;
}

using Doc = std::vector<std::string>;

// Undo records in the log, found by walking the back links from its end.
int UndoRecordCount(HWND control) {
    const EditorInstance* ed = Record(control);
    int n = 0;
    for (uint32_t at = ed->undoLogUsed; at != 0; ++n) {
        uint32_t back;
        std::memcpy(&back, ed->undoLog + at, 4);
        at = back;
    }
    return n;
}

// Fields of the newest undo record (offsets from its start).
struct UndoRecordView {
    uint32_t position, count;
    uint8_t kind;
    std::string chars;
};
UndoRecordView NewestUndoRecord(HWND control) {
    const EditorInstance* ed = Record(control);
    uint32_t start;
    std::memcpy(&start, ed->undoLog + ed->undoLogUsed, 4);
    const uint8_t* rec = ed->undoLog + start;
    UndoRecordView v;
    std::memcpy(&v.position, rec + 4, 4);
    std::memcpy(&v.count, rec + 8, 4);
    v.kind = rec[36];
    v.chars.assign(reinterpret_cast<const char*>(rec + 37), v.count);
    return v;
}

class EditFixture : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        ASSERT_TRUE(MakeControl());
    }
    EditorInstance& ed() { return *Record(control); }
    void SetText(const char* text) { Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
    void Select(LPARAM anchor, LPARAM caret) { Send(EM_SETSEL, anchor, caret); }
    LRESULT Replace(const char* text, bool undo = true) {
        return Send(EM_REPLACESEL, undo ? 1 : 0, reinterpret_cast<LPARAM>(text));
    }
    std::pair<DWORD, DWORD> Sel() {
        DWORD s = 0xDEAD, e = 0xBEEF;
        Send(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        return {s, e};
    }
    Doc Text() { return Lines(control); }
    LRESULT HostLength() { return Send(WM_GETTEXTLENGTH); }
    size_t Notified() const { return host->notifications.size(); }
};

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// ---- WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH ------------------------------------

class TextMessagesTest : public EditFixture {};

TEST_F(TextMessagesTest, SetTextStoresTheTextInFrontOfTheClosingCr) {
    struct Case {
        const char* text;
        Doc lines;
        LRESULT hostLength;
        LRESULT modified;
    };
    const Case cases[] = {
        {"", {"\r"}, 0, 0},
        {"abc", {"abc\r"}, 3, 1},
        {"ab\r\ncd", {"ab\r", "cd\r"}, 6, 1},
        {"\r\nab", {"\r", "ab\r"}, 4, 1},
        {"ab\r\n", {"ab\r", "\r"}, 4, 1},
        {"a\r\n\r\nb", {"a\r", "\r", "b\r"}, 6, 1},
        {"x\ny", {"x\r", "y\r"}, 4, 1},  // a lone LF is a line break
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        SetText("something\r\nelse");
        SetText(c.text);
        EXPECT_EQ(Text(), c.lines);
        EXPECT_EQ(Send(EM_GETLINECOUNT), static_cast<LRESULT>(c.lines.size()));
        EXPECT_EQ(HostLength(), c.hostLength);
        EXPECT_EQ(Send(EM_GETMODIFY), c.modified);
    }
}

TEST_F(TextMessagesTest, SetTextWithNullIsTheEmptyText) {
    SetText("abc");
    EXPECT_EQ(Send(WM_SETTEXT, 0, 0), 0);
    EXPECT_EQ(Text(), Doc({"\r"}));
    EXPECT_EQ(HostLength(), 0);
    EXPECT_EQ(Send(EM_GETMODIFY), 0);
}

TEST_F(TextMessagesTest, SetTextStartsANewDocumentAtTheTop) {
    SetText(Repeat("line of text\r\n", 200).c_str());
    Select(50, 1000);
    Replace("edit");
    Send(EM_SETMODIFY, 0);
    Send(EM_LINESCROLL, 0, 100);
    ASSERT_GT(ed().panes[0].scrollY, 0);

    EXPECT_EQ(Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("new\r\ntext")), 0);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(0), DWORD(0)));
    EXPECT_EQ(ed().selAnchor, 0u);
    EXPECT_EQ(ed().caretPos, 0u);
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    EXPECT_EQ(Send(EM_CANREDO), 0);
    EXPECT_EQ(Send(EM_GETMODIFY), 1);
    for (const qv::ViewPane& pane : ed().panes) {
        EXPECT_EQ(pane.scrollY, 0);
        EXPECT_EQ(pane.topLine, 0u);
        EXPECT_EQ(pane.topLineStart, 0u);
        EXPECT_EQ(pane.topLineY, 0u);
    }
    EXPECT_EQ(Send(EM_GETFIRSTVISIBLELINE), 0);
    EXPECT_EQ(Text(), Doc({"new\r", "text\r"}));
}

TEST_F(TextMessagesTest, AnEmptyTextMarksTheScrollBarsHidden) {
    SetText(Repeat("a long line of text that is wider than the pane\r\n", 100).c_str());
    ASSERT_NE(ed().panes[0].vScrollShown, 0u);
    SetText("");
    EXPECT_EQ(ed().panes[0].vScrollShown, 0u);
    EXPECT_EQ(ed().panes[1].vScrollShown, 0u);
    EXPECT_EQ(ed().panes[0].hScrollShown, 0u);
}

// Under every line-end setting: a CR LF that does not fit whole is left out.
TEST_F(TextMessagesTest, GetTextCopiesWhatFitsAndANul) {
    SetText("ab\r\ncd");  // stored: a b CR c d CR; the closing CR is never copied
    struct Case {
        WPARAM setting;  // EMX_SETLINEENDS
        WPARAM size;
        LRESULT copied;
        const char* expected;  // the copied characters
    };
    const Case cases[] = {
        {QV_LINEENDS_DEFAULT, 1, 0, ""},
        {QV_LINEENDS_DEFAULT, 3, 2, "ab"},
        {QV_LINEENDS_DEFAULT, 4, 3, "ab\r"},
        {QV_LINEENDS_DEFAULT, 6, 5, "ab\rcd"},
        {QV_LINEENDS_DEFAULT, 7, 5, "ab\rcd"},
        {QV_LINEENDS_DEFAULT, 100, 5, "ab\rcd"},
        {QV_LINEENDS_CRLF, 1, 0, ""},
        {QV_LINEENDS_CRLF, 3, 2, "ab"},
        {QV_LINEENDS_CRLF, 4, 2, "ab"},  // room for the CR alone: neither goes
        {QV_LINEENDS_CRLF, 5, 4, "ab\r\n"},
        {QV_LINEENDS_CRLF, 6, 5, "ab\r\nc"},
        {QV_LINEENDS_CRLF, 7, 6, "ab\r\ncd"},
        {QV_LINEENDS_CRLF | QV_LINEENDS_NOFINAL, 100, 6, "ab\r\ncd"},
        {QV_LINEENDS_LF, 3, 2, "ab"},
        {QV_LINEENDS_LF, 4, 3, "ab\n"},
        {QV_LINEENDS_LF, 100, 5, "ab\ncd"},
        {QV_LINEENDS_CR, 4, 3, "ab\r"},
        {QV_LINEENDS_CR, 100, 5, "ab\rcd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "setting " << c.setting << ", size " << c.size);
        Send(EMX_SETLINEENDS, c.setting);
        char buffer[128];
        std::memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(Send(WM_GETTEXT, c.size, reinterpret_cast<LPARAM>(buffer)), c.copied);
        EXPECT_EQ(std::string(buffer, c.copied), c.expected);
        EXPECT_EQ(buffer[c.copied], 0);
        EXPECT_EQ(buffer[c.copied + 1], 'Z');  // nothing written past the NUL
    }
}

// WM_SETTEXT(t) and WM_GETTEXT give t back in its stored form, one CR for each CR
// LF and each lone LF, and never the closing CR: a host that reads the text, saves
// it and loads it again keeps the same document, however often.
TEST_F(TextMessagesTest, SetTextThenGetTextGivesTheTextBackInItsStoredForm) {
    const char* texts[] = {"", "abc", "ab\r\ncd", "ab\r\n", "\r\n", "\r\n\r\n", "a\nb\n", "\nfoo",
                           "x\ry", "mixed\r\nends\nand\rcr\r\n\r\n"};
    for (const char* t : texts) {
        SCOPED_TRACE(testing::PrintToString(std::string(t)));
        std::string stored;
        for (const char* c = t; *c; ++c) {
            if (*c == '\n' && c > t && c[-1] == '\r') continue;
            stored += *c == '\n' ? '\r' : *c;
        }
        std::string text = t;
        for (int round = 0; round < 3; ++round) {
            SetText(text.c_str());
            char buffer[256];
            const LRESULT n = Send(WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
            text.assign(buffer, n);
            EXPECT_EQ(text, stored) << "round " << round;
            EXPECT_EQ(buffer[n], 0);
        }
    }
}

// The text's length is found sixteen aligned bytes at a time: every start
// alignment and every length around a block's end, up to a text ending on the last
// byte of its page (the next page unmapped), reads the same text back.
TEST_F(TextMessagesTest, SetTextFindsTheEndOfTheTextAtEveryAlignment) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const DWORD page = info.dwPageSize;
    auto* pages = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &old));
    for (uint32_t length = 0; length <= 40; ++length) {
        for (uint32_t misalign = 0; misalign < 16; ++misalign) {
            // The NUL is the page's last byte when misalign is 0.
            char* text = pages + page - 1 - length - misalign;
            for (uint32_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + (i + misalign) % 26);
            text[length] = 0;
            std::memset(text + length + 1, 'z', misalign);  // bytes after the NUL are not text
            SetText(text);
            char buffer[64];
            const LRESULT n = Send(WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
            ASSERT_EQ(std::string(buffer, n), std::string(text, length)) << length << " at " << misalign;
        }
    }
    VirtualFree(pages, 0, MEM_RELEASE);
}

TEST_F(TextMessagesTest, GetTextWithNoRoomOrNoBufferWritesNothing) {
    SetText("abc");
    char buffer[8];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(Send(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, 'Z'));
    EXPECT_EQ(Send(WM_GETTEXT, 100, 0), 0);
}

TEST_F(TextMessagesTest, TextLengthCountsLineEndsAsCrLfButNotTheClosingCr) {
    EXPECT_EQ(HostLength(), 0);  // a new document
    SetText("ab\r\ncd\r\n\r\nxyz");
    EXPECT_EQ(HostLength(), static_cast<LRESULT>(std::strlen("ab\r\ncd\r\n\r\nxyz")));
}

TEST_F(TextMessagesTest, TextLengthStaysRightWhileThePaneIsScrolled) {
    const std::string text = Repeat("0123456789\r\n", 300) + "end";
    SetText(text.c_str());
    ASSERT_EQ(HostLength(), static_cast<LRESULT>(text.size()));
    Send(EM_LINESCROLL, 0, 150);
    ASSERT_GT(ed().panes[0].topLine, 0u);
    EXPECT_EQ(HostLength(), static_cast<LRESULT>(text.size()));
    // Edits above and below the top line.
    Select(5, 5);
    Replace("abc\r\n");
    EXPECT_EQ(HostLength(), static_cast<LRESULT>(text.size() + 5));
    Select(3000, 3000);
    Replace("xy");
    EXPECT_EQ(HostLength(), static_cast<LRESULT>(text.size() + 7));
    Select(0, 1000);
    Replace("");
    // 1000 stored characters, 91 of them line ends
    EXPECT_EQ(HostLength(), static_cast<LRESULT>(text.size() + 7 - 1000 - 91));
    // With single line ends: what WM_GETTEXT copies, the lines above the top one too.
    Send(EMX_SETLINEENDS, QV_LINEENDS_LF);
    std::vector<char> buffer(text.size() + 8);
    EXPECT_EQ(HostLength(), Send(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
    EXPECT_EQ(HostLength(), static_cast<LRESULT>(text.size() + 7 - 1000 - 91 - (300 - 91 + 1)));
}

TEST_F(TextMessagesTest, TextLengthStaysRightWhileTheLowerPaneIsActive) {
    const std::string text = Repeat("abcdefgh\r\n", 400) + "end";
    SetText(text.c_str());
    Send(EMX_TOGGLESPLIT);
    HWND lower = static_cast<HWND>(ed().panes[1].hwnd);
    ASSERT_GT(ed().panes[1].textRect.bottom, 0);
    SetFocus(lower);
    ASSERT_EQ(ed().hwndActivePane, ed().panes[1].hwnd);
    Send(EM_LINESCROLL, 0, 300);  // the lower pane far down, the upper at the top
    ASSERT_GT(ed().panes[1].topLine, 200u);
    ASSERT_EQ(ed().panes[0].topLine, 0u);
    EXPECT_EQ(HostLength(), static_cast<LRESULT>(text.size()));
    Select(20, 20);
    Replace("\r\n\r\n");
    EXPECT_EQ(HostLength(), static_cast<LRESULT>(text.size() + 4));
    Select(9 * 350, 9 * 360);  // ten lines' worth inside the lower pane's view
    Replace("");
    EXPECT_EQ(HostLength(), static_cast<LRESULT>(text.size() + 4 - 100));
    EXPECT_EQ(Send(EM_LINEINDEX, 350), 9 * 348 + 2);  // two lines more in front of it
}

// ---- EM_GETSEL and EM_SETSEL -----------------------------------------------------

class SelectionTest : public EditFixture {};

TEST_F(SelectionTest, GetSelAnswersTheOrderedEndsPackedAndInTheCells) {
    SetText("abcdef\r\nghij");
    Select(7, 2);
    EXPECT_EQ(Send(EM_GETSEL), MAKELONG(2, 7));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(2), DWORD(7)));
    DWORD only = 0;
    EXPECT_EQ(Send(EM_GETSEL, reinterpret_cast<WPARAM>(&only), 0), MAKELONG(2, 7));
    EXPECT_EQ(only, 2u);
    EXPECT_EQ(Send(EM_GETSEL, 0, reinterpret_cast<LPARAM>(&only)), MAKELONG(2, 7));
    EXPECT_EQ(only, 7u);
}

TEST_F(SelectionTest, GetSelPacksOnlyTheLowSixteenBitsPast65535) {
    const std::string text = Repeat(std::string(99, 'x') + "\r\n", 800);  // 80000 stored characters
    SetText(text.c_str());
    Select(70001, 65540);
    const DWORD packed = static_cast<DWORD>(Send(EM_GETSEL));
    EXPECT_EQ(packed, (65540u & 0xFFFF) | (70001u << 16));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(65540), DWORD(70001)));
}

TEST_F(SelectionTest, SetSelClampsBothEndsToTheText) {
    SetText("abc\r\nde");  // the host's text is 6 characters, the closing CR at 6
    EXPECT_EQ(Send(EM_SETSEL, 2, 1000), 0);
    EXPECT_EQ(ed().selAnchor, 2u);
    EXPECT_EQ(ed().caretPos, 6u);
    Select(1000, 1);
    EXPECT_EQ(ed().selAnchor, 6u);
    EXPECT_EQ(ed().caretPos, 1u);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(1), DWORD(6)));
}

TEST_F(SelectionTest, SetSelWithMinusOne) {
    SetText("abc\r\nde");
    Select(0, -1);  // the whole text, up to the closing CR
    EXPECT_EQ(ed().selAnchor, 0u);
    EXPECT_EQ(ed().caretPos, 6u);
    Select(-1, -1);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(6), DWORD(6)));
    // (-1, n) collapses at the end of the text while the selection is shown...
    Select(-1, 2);
    EXPECT_EQ(ed().selAnchor, 6u);
    EXPECT_EQ(ed().caretPos, 6u);
    // ...and keeps both ends while it is hidden.
    Send(EM_HIDESELECTION, 1);
    Select(-1, 2);
    EXPECT_EQ(ed().selAnchor, 6u);
    EXPECT_EQ(ed().caretPos, 2u);
    // (n, -1) is a selection up to the end, never collapsed.
    Send(EM_HIDESELECTION, 0);
    Select(3, -1);
    EXPECT_EQ(ed().selAnchor, 3u);
    EXPECT_EQ(ed().caretPos, 6u);
}

// (0, -1) selects exactly the host's text, as the platform's edit control does:
// its ends are those of WM_GETTEXT's text, the closing CR is left out; deleting
// the selection keeps the closing CR, and its undo selects the same range again.
TEST_F(SelectionTest, SelectAllIsExactlyTheHostsText) {
    for (const char* text : {"ab\r\ncd", "ab\r\ncd\r\n", ""}) {
        SCOPED_TRACE(text);
        SetText(text);
        const Doc whole = Text();
        char buffer[32];
        const DWORD length =
            static_cast<DWORD>(Send(WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)));
        Select(0, -1);
        EXPECT_EQ(Sel(), std::make_pair(DWORD(0), length));
        Select(0, 1000);
        EXPECT_EQ(Sel(), std::make_pair(DWORD(0), length));
        Send(WM_CLEAR);
        EXPECT_EQ(Text(), Doc({"\r"}));
        EXPECT_EQ(Send(EM_UNDO), length ? 1 : 0);
        EXPECT_EQ(Text(), whole);
        EXPECT_EQ(Sel(), std::make_pair(DWORD(0), length));
        EXPECT_EQ(Send(EM_CANUNDO), 0);
    }
}

// EM_SETSEL places the caret where the next typed character goes (without
// scrolling it into view): shown on an empty selection, hidden on any other.
TEST_F(SelectionTest, SetSelPlacesTheCaret) {
    SetText("abcdef\r\nghij\r\nklm");
    SetFocus(control);
    auto caretAt = [&](LPARAM at) {
        POINTL expected = {};
        Send(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&expected), at);
        POINT caret = {};
        GetCaretPos(&caret);
        EXPECT_EQ(caret.x, expected.x) << at;
        EXPECT_EQ(caret.y, expected.y) << at;
    };
    Select(1, 1);
    caretAt(1);
    EXPECT_EQ(ed().caretHidden, 0u);
    Select(9, 9);  // line 1, column 2
    caretAt(9);
    EXPECT_EQ(ed().caretHidden, 0u);
    Select(2, 7);  // the caret at the start of line 1, after the anchor's line
    caretAt(7);
    EXPECT_EQ(ed().caretHidden, 1u);
    Select(12, 12);
    caretAt(12);
    EXPECT_EQ(ed().caretHidden, 0u);
    Send(WM_CHAR, 'x', 1);
    EXPECT_EQ(Text(), Doc({"abcdef\r", "ghij\r", "xklm\r"}));
}

TEST_F(SelectionTest, SetSelDoesNotScrollTheCaretIntoView) {
    SetText(Repeat("text\r\n", 300).c_str());
    Select(5 * 250, 5 * 250);
    EXPECT_EQ(ed().caretPos, 1250u);
    EXPECT_EQ(ed().panes[0].scrollY, 0);
    EXPECT_EQ(Send(EM_GETFIRSTVISIBLELINE), 0);
}

TEST_F(SelectionTest, HiddenSelectionChangesAreNotRedrawn) {
    SetText("abcdef\r\nghijkl");
    HWND pane = static_cast<HWND>(ed().panes[0].hwnd);
    UpdateWindow(pane);
    Select(1, 4);
    EXPECT_TRUE(GetUpdateRect(pane, nullptr, FALSE));  // the new selection is redrawn
    UpdateWindow(pane);
    EXPECT_EQ(Send(EM_HIDESELECTION, 1), 1);
    EXPECT_FALSE(GetUpdateRect(pane, nullptr, FALSE));
    Select(8, 12);
    EXPECT_FALSE(GetUpdateRect(pane, nullptr, FALSE));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(8), DWORD(12)));
}

// ---- EM_REPLACESEL -----------------------------------------------------------------

class ReplaceSelTest : public EditFixture {};

TEST_F(ReplaceSelTest, InsertsAtTheCaretAndMovesItAfterTheText) {
    SetText("abcd");
    Select(2, 2);
    EXPECT_EQ(Replace("XY"), 0);
    EXPECT_EQ(Text(), Doc({"abXYcd\r"}));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(4), DWORD(4)));
    EXPECT_EQ(Send(EM_GETMODIFY), 1);
}

TEST_F(ReplaceSelTest, CrLfAndALoneLfEachBreakTheLineOnce) {
    SetText("abcd");
    Select(2, 2);
    Replace("1\r\n2");
    EXPECT_EQ(Text(), Doc({"ab1\r", "2cd\r"}));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(5), DWORD(5)));
    Replace("3\n4");
    EXPECT_EQ(Text(), Doc({"ab1\r", "23\r", "4cd\r"}));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(8), DWORD(8)));
    Replace("\r\n\r\n");
    EXPECT_EQ(Text(), Doc({"ab1\r", "23\r", "4\r", "\r", "cd\r"}));
    EXPECT_EQ(HostLength(), 16);
}

TEST_F(ReplaceSelTest, ReplacesTheSelectionInEitherOrder) {
    SetText("abcdef\r\nghij");
    Select(1, 4);
    Replace("Z");
    EXPECT_EQ(Text(), Doc({"aZef\r", "ghij\r"}));
    Select(7, 3);  // from the f through the line end into the next line
    Replace("--");
    EXPECT_EQ(Text(), Doc({"aZe--ij\r"}));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(5), DWORD(5)));
}

TEST_F(ReplaceSelTest, AWholeLineSelectionIsReplacedWithItsBreak) {
    SetText("one\r\ntwo\r\nthree");
    Select(4, 8);  // "two" and its CR
    Replace("2\r\n");
    EXPECT_EQ(Text(), Doc({"one\r", "2\r", "three\r"}));
}

TEST_F(ReplaceSelTest, EmptyTextDeletesTheSelection) {
    SetText("abcdef");
    Select(4, 1);
    Replace("");
    EXPECT_EQ(Text(), Doc({"aef\r"}));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(1), DWORD(1)));
    Replace(nullptr);  // nothing to insert, nothing selected
    EXPECT_EQ(Text(), Doc({"aef\r"}));
}

TEST_F(ReplaceSelTest, SelectAllThenEmptyKeepsOnlyTheClosingCr) {
    SetText("ab\r\ncd");
    Select(0, -1);
    Replace("");
    EXPECT_EQ(Text(), Doc({"\r"}));
    EXPECT_EQ(HostLength(), 0);
    EXPECT_EQ(Send(EM_GETLINECOUNT), 1);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(0), DWORD(0)));
    // The document still takes text.
    Replace("x");
    EXPECT_EQ(Text(), Doc({"x\r"}));
    EXPECT_EQ(HostLength(), 1);
}

TEST_F(ReplaceSelTest, SelectAllThenTextReplacesTheWholeText) {
    SetText("ab\r\ncd");
    Select(0, -1);
    Replace("new");
    EXPECT_EQ(Text(), Doc({"new\r"}));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(3), DWORD(3)));
}

TEST_F(ReplaceSelTest, ARangeThroughTheEndKeepsTheClosingCr) {
    SetText("ab\r\ncd");  // stored length 6
    Select(1, 6);
    Replace("");
    EXPECT_EQ(Text(), Doc({"a\r"}));
    EXPECT_EQ(HostLength(), 1);

    SetText("ab\r\ncd");
    Select(4, -1);
    Replace("Q");
    EXPECT_EQ(Text(), Doc({"ab\r", "cQ\r"}));
    EXPECT_EQ(HostLength(), 6);

    SetText("ab\r\ncd");
    Send(EM_HIDESELECTION, 1);  // keep (-1, 3) from collapsing
    Select(-1, 3);
    Replace("");
    EXPECT_EQ(Text(), Doc({"ab\r", "\r"}));
}

TEST_F(ReplaceSelTest, NothingIsInsertedAfterTheClosingCr) {
    SetText("abc");
    Select(-1, -1);
    ASSERT_EQ(ed().caretPos, 3u);  // the end of the text: never after the closing CR
    Replace("x");
    EXPECT_EQ(Text(), Doc({"abcx\r"}));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(4), DWORD(4)));
    ASSERT_EQ(UndoRecordCount(control), 1);
    const UndoRecordView rec = NewestUndoRecord(control);
    EXPECT_EQ(rec.kind, 5);
    EXPECT_EQ(rec.position, 3u);
    EXPECT_EQ(rec.chars, "x");
    ASSERT_FALSE(host->notifications.empty());
    EXPECT_EQ(host->notifications.back().record.caret, 4);
    EXPECT_EQ(host->notifications.back().record.anchor, 4);
    Send(EM_UNDO);
    EXPECT_EQ(Text(), Doc({"abc\r"}));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(3), DWORD(3)));
    Send(EM_REDO);
    EXPECT_EQ(Text(), Doc({"abcx\r"}));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(4), DWORD(4)));
}

TEST_F(ReplaceSelTest, MultiLineTextAfterTheClosingCrGoesInFrontOfIt) {
    SetText("ab\r\ncd");
    Select(-1, -1);
    Replace("\r\nef");
    EXPECT_EQ(Text(), Doc({"ab\r", "cd\r", "ef\r"}));
    EXPECT_EQ(HostLength(), 10);
}

TEST_F(ReplaceSelTest, WithUndoOneRecordHoldsTheInsertedText) {
    SetText("abcd");
    Select(2, 2);
    Replace("x\r\ny\nz");
    ASSERT_EQ(UndoRecordCount(control), 1);
    const UndoRecordView rec = NewestUndoRecord(control);
    EXPECT_EQ(rec.kind, 5);
    EXPECT_EQ(rec.position, 2u);
    EXPECT_EQ(rec.count, 5u);
    EXPECT_EQ(rec.chars, "x\ry\rz");  // CR LF and the lone LF each logged as one CR
    EXPECT_EQ(Send(EM_UNDO), 1);
    EXPECT_EQ(Text(), Doc({"abcd\r"}));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(2), DWORD(2)));
}

TEST_F(ReplaceSelTest, WithoutUndoOnlyTheReplacedSelectionStaysLogged) {
    SetText("abcdef");
    Select(3, 3);
    Replace("xy");
    EXPECT_EQ(Send(EM_CANUNDO), 1);
    // Undoing a record under text inserted without one would change the wrong
    // characters: the log keeps only the deletion of the replaced selection, whose
    // text goes back in front of the insertion.
    Select(1, 3);
    Replace("Q", false);
    EXPECT_EQ(Text(), Doc({"aQxydef\r"}));
    ASSERT_EQ(UndoRecordCount(control), 1);
    EXPECT_EQ(NewestUndoRecord(control).kind, 6);
    EXPECT_EQ(NewestUndoRecord(control).chars, "bc");
    EXPECT_EQ(Send(EM_UNDO), 1);
    EXPECT_EQ(Text(), Doc({"abcQxydef\r"}));
    EXPECT_EQ(Send(EM_UNDO), 0);
    // With an empty selection nothing of the log fits any more.
    Select(0, 0);
    Replace("z", false);
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    EXPECT_EQ(Text(), Doc({"zabcQxydef\r"}));
}

TEST_F(ReplaceSelTest, OverASelectionUndoTakesOneStep) {
    SetText("abcdef");
    Select(1, 4);
    Replace("XY");
    EXPECT_EQ(Text(), Doc({"aXYef\r"}));
    EXPECT_EQ(UndoRecordCount(control), 2);  // the deletion and the insertion, grouped
    EXPECT_EQ(Send(EM_UNDO), 1);
    EXPECT_EQ(Text(), Doc({"abcdef\r"}));
    EXPECT_EQ(ed().selAnchor, 1u);  // the restored text is selected
    EXPECT_EQ(ed().caretPos, 4u);
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    EXPECT_EQ(Send(EM_REDO), 1);
    EXPECT_EQ(Text(), Doc({"aXYef\r"}));
    EXPECT_EQ(Send(EM_CANREDO), 0);
}

// "" when the documents are equal, else where they first differ (long lines make
// a full printout useless).
std::string FirstDifference(const Doc& actual, const Doc& expected) {
    if (actual.size() != expected.size())
        return "line count " + std::to_string(actual.size()) + " vs " + std::to_string(expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] == expected[i]) continue;
        size_t c = 0;
        while (c < actual[i].size() && c < expected[i].size() && actual[i][c] == expected[i][c]) ++c;
        return "line " + std::to_string(i) + ": lengths " + std::to_string(actual[i].size()) + " vs " +
               std::to_string(expected[i].size()) + ", first difference at column " + std::to_string(c);
    }
    return "";
}

// A replacement within one line repaints that line; one that may change other rows
// (a line break in or out, a '^' that opens or closes a block comment below, a
// range over several lines) repaints the pane.
TEST_F(ReplaceSelTest, RepaintsOnlyTheLineWhenTheReplacementStaysInIt) {
    struct Case {
        DWORD from, to;
        const char* text;
        bool wholePane;
    } cases[] = {
        {2, 2, "x", false},       {1, 4, "yz", false},     {2, 2, "", false},
        {2, 2, "a\r\nb", true},   {2, 2, "t^", true},      {0, 9, "q", true},
        {10, 13, "w", true},      {2, 2, "\n", true},      {11, 12, "", true},
        {12, 13, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << "-" << c.to << " " << c.text);
        SetText("abcdefgh\r\nxy^z^\r\nlast\r\nline");
        HWND pane = static_cast<HWND>(ed().panes[0].hwnd);
        UpdateWindow(pane);
        Select(c.from, c.to);
        UpdateWindow(pane);
        Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(c.text));
        RECT update = {}, client = {};
        ASSERT_TRUE(GetUpdateRect(pane, &update, FALSE));
        GetClientRect(pane, &client);
        const LONG rows = (update.bottom - update.top) / static_cast<LONG>(ed().lineHeight);
        if (c.wholePane)
            EXPECT_GT(rows, 2);
        else
            EXPECT_EQ(rows, 1);
    }
}

TEST_F(ReplaceSelTest, LongLinesSplitAndJoinBackExactly) {
    std::string line;
    for (int i = 0; i < 100000; ++i) line += static_cast<char>('a' + i % 26);
    SetText(("head\r\n" + line + "\r\ntail").c_str());
    EXPECT_EQ(Send(EM_LINELENGTH, 5), 100000);  // the long line starts at 5
    const Doc original = {"head\r", line + "\r", "tail\r"};
    const Doc split = {"head\r", line.substr(0, 70000) + "\r", line.substr(70000) + "\r", "tail\r"};
    // Column 10 of the long line through column 20000 of its second half.
    const Doc joined = {"head\r", line.substr(0, 10) + "<>" + line.substr(90000) + "\r", "tail\r"};
    Select(5 + 70000, 5 + 70000);
    Replace("\r\n");
    EXPECT_EQ(FirstDifference(Text(), split), "");
    Select(5 + 10, 5 + 70001 + 20000);
    Replace("<>");
    EXPECT_EQ(FirstDifference(Text(), joined), "");
    Send(EM_UNDO);  // the replacement over the selection is one step
    EXPECT_EQ(FirstDifference(Text(), split), "");
    Send(EM_UNDO);
    EXPECT_EQ(FirstDifference(Text(), original), "");
    Send(EM_REDO);
    Send(EM_REDO);
    EXPECT_EQ(FirstDifference(Text(), joined), "");
    EXPECT_EQ(HostLength(), static_cast<LRESULT>(6 + 10 + 2 + 10000 + 2 + 4));
}

// ---- Lines: EM_GETLINECOUNT, EM_LINEINDEX, EM_LINELENGTH, EM_GETLINE, EM_LINEFROMCHAR

class LineMessagesTest : public EditFixture {
protected:
    void SetUp() override {
        EditFixture::SetUp();
        SetText("ab\r\ncdef\r\n\r\ng");  // lines at 0, 3, 8, 9; stored length 11
    }
};

TEST_F(LineMessagesTest, LineCountIsAtLeastOne) {
    EXPECT_EQ(Send(EM_GETLINECOUNT), 4);
    SetText("");
    EXPECT_EQ(Send(EM_GETLINECOUNT), 1);
    SetText("a\r\nb\r\n");  // an empty last line
    EXPECT_EQ(Send(EM_GETLINECOUNT), 3);
}

TEST_F(LineMessagesTest, LineIndexGivesLineStartsAndTheLastLinePastTheEnd) {
    const LRESULT starts[] = {0, 3, 8, 9};
    for (int line = 0; line < 4; ++line) EXPECT_EQ(Send(EM_LINEINDEX, line), starts[line]) << line;
    EXPECT_EQ(Send(EM_LINEINDEX, 4), 9);
    EXPECT_EQ(Send(EM_LINEINDEX, 1000000), 9);
}

TEST_F(LineMessagesTest, NegativeLineIndexUsesTheLineOfTheLastLookup) {
    Send(EM_LINEFROMCHAR, 5);
    EXPECT_EQ(Send(EM_LINEINDEX, -1), 3);
    Send(EM_LINEFROMCHAR, 8);
    EXPECT_EQ(Send(EM_LINEINDEX, -1), 8);
    Send(EM_LINEFROMCHAR, 0);
    EXPECT_EQ(Send(EM_LINEINDEX, static_cast<WPARAM>(INT32_MIN)), 0);
    Send(EM_LINEFROMCHAR, -1);
    EXPECT_EQ(Send(EM_LINEINDEX, -1), 9);
}

TEST_F(LineMessagesTest, LineFromCharMapsEveryIndexAndClampsPastTheEnd) {
    const LRESULT lines[] = {0, 0, 0, 1, 1, 1, 1, 1, 2, 3, 3, 3};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(Send(EM_LINEFROMCHAR, i), lines[i]) << i;
    EXPECT_EQ(Send(EM_LINEFROMCHAR, 5000), 3);
    EXPECT_EQ(Send(EM_LINEFROMCHAR, -1), 3);
}

TEST_F(LineMessagesTest, LineMappingIsRightWhileThePaneIsScrolled) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += std::string(i % 7, 'a') + "\r\n";
    SetText(text.c_str());
    Send(EM_LINESCROLL, 0, 150);
    ASSERT_GT(ed().panes[0].topLine, 100u);
    LRESULT start = 0;
    for (int line = 0; line < 300; ++line) {
        ASSERT_EQ(Send(EM_LINEINDEX, line), start) << line;
        ASSERT_EQ(Send(EM_LINEFROMCHAR, start), line) << line;
        ASSERT_EQ(Send(EM_LINELENGTH, start), line % 7) << line;
        start += line % 7 + 1;
    }
}

TEST_F(LineMessagesTest, LineLengthLeavesOutTheCr) {
    Select(0, 0);
    struct Case {
        WPARAM index;
        LRESULT length;
    };
    const Case cases[] = {{0, 2}, {2, 2}, {3, 4}, {7, 4}, {8, 0}, {9, 1}, {10, 1}, {500, 1}, {WPARAM(-1), 1}};
    for (const Case& c : cases) EXPECT_EQ(Send(EM_LINELENGTH, c.index), c.length) << c.index;
    SetText("");
    EXPECT_EQ(Send(EM_LINELENGTH, 0), 0);
}

TEST_F(LineMessagesTest, TheCaretRuleAppliesOnlyToTheCaretsOwnIndex) {
    Select(3, 3);              // the caret at the start of line 1...
    Send(EM_LINEFROMCHAR, 0);  // ...which is the end of the current line, line 0
    ASSERT_EQ(ed().curLine, 0u);
    // Any other index that starts a line belongs to that line.
    EXPECT_EQ(Send(EM_LINELENGTH, 8), 0);
    EXPECT_EQ(Send(EM_LINELENGTH, 9), 1);
    EXPECT_EQ(Send(EM_LINELENGTH, 4), 4);
    // The caret's own index counts with the line it ends.
    EXPECT_EQ(Send(EM_LINELENGTH, 3), 2);
}

TEST_F(LineMessagesTest, GetLineCopiesUpToTheCapacityWithoutCrOrNul) {
    char buffer[32];
    auto GetLine = [&](WPARAM line, WORD capacity) {
        std::memset(buffer, 'Z', sizeof buffer);
        std::memcpy(buffer, &capacity, sizeof capacity);
        return Send(EM_GETLINE, line, reinterpret_cast<LPARAM>(buffer));
    };
    EXPECT_EQ(GetLine(1, 20), 4);
    EXPECT_EQ(std::string(buffer, 5), "cdefZ");
    EXPECT_EQ(GetLine(1, 2), 2);  // cut to the capacity, which it overwrites
    EXPECT_EQ(std::string(buffer, 3), "cdZ");
    EXPECT_EQ(GetLine(1, 1), 1);
    EXPECT_EQ(std::string(buffer, 2), std::string("c") + '\0');  // the capacity word's high byte stays
    EXPECT_EQ(GetLine(0, 20), 2);
    EXPECT_EQ(std::string(buffer, 3), "abZ");
    EXPECT_EQ(GetLine(2, 20), 0);  // an empty line
    EXPECT_EQ(GetLine(3, 20), 1);  // the last line, its closing CR left out
    EXPECT_EQ(std::string(buffer, 3), std::string("g") + '\0' + 'Z');
    EXPECT_EQ(GetLine(1, 0), 0);
    EXPECT_EQ(buffer[2], 'Z');
}

TEST_F(LineMessagesTest, GetLinePastTheEndLeavesTheBufferUntouched) {
    char buffer[16];
    for (WPARAM line : {WPARAM(4), WPARAM(100), WPARAM(-1)}) {
        std::memset(buffer, 'Z', sizeof buffer);
        buffer[0] = 10;
        buffer[1] = 0;
        EXPECT_EQ(Send(EM_GETLINE, line, reinterpret_cast<LPARAM>(buffer)), 0) << line;
        EXPECT_EQ(buffer[0], 10);
        EXPECT_EQ(buffer[1], 0);
        EXPECT_EQ(std::string(buffer + 2, 14), std::string(14, 'Z'));
    }
}

// ---- EM_GETMODIFY and EM_SETMODIFY -----------------------------------------------

class ModifyTest : public EditFixture {};

TEST_F(ModifyTest, EditsSetTheFlagAndTheHostClearsIt) {
    EXPECT_EQ(Send(EM_GETMODIFY), 0);  // a new document
    Replace("a");
    EXPECT_EQ(Send(EM_GETMODIFY), 1);
    EXPECT_EQ(Send(EM_SETMODIFY, 0), 0);
    EXPECT_EQ(Send(EM_GETMODIFY), 0);
    Select(0, 0);  // selection changes do not mark the text
    Send(EM_GETLINE, 0, 0);
    EXPECT_EQ(Send(EM_GETMODIFY), 0);
    Send(EM_UNDO);
    EXPECT_EQ(Send(EM_GETMODIFY), 1);
    Send(EM_SETMODIFY, 0);
    Send(WM_CLEAR);  // an empty selection: nothing deleted
    EXPECT_EQ(Send(EM_GETMODIFY), 0);
    EXPECT_EQ(Send(EM_SETMODIFY, 1), 1);
    EXPECT_EQ(Send(EM_GETMODIFY), 1);
}

// ---- EM_CANUNDO, EM_UNDO, EM_EMPTYUNDOBUFFER and their inverse, EM_REDO ------------

class UndoTest : public EditFixture {};

TEST_F(UndoTest, WmUndoUndoesAsEmUndoDoes) {
    SetText("abc");
    Select(1, 2);
    Replace("XY");
    EXPECT_EQ(Send(WM_UNDO), 1);
    EXPECT_EQ(Text(), Doc({"abc\r"}));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(1), DWORD(2)));
    EXPECT_EQ(Send(WM_UNDO), 0);  // nothing left
    EXPECT_EQ(Send(EM_REDO), 1);
    EXPECT_EQ(Text(), Doc({"aXYc\r"}));
}

TEST_F(UndoTest, AnEmptyLogUndoesNothingButStillNotifies) {
    SetText("abc");
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    const size_t before = Notified();
    EXPECT_EQ(Send(EM_UNDO), 0);
    EXPECT_EQ(Text(), Doc({"abc\r"}));
    EXPECT_EQ(Notified(), before + 1);
}

TEST_F(UndoTest, UndoRestoresTheTextAndPlacesTheCaret) {
    SetText("hello world");
    Select(5, 11);
    Replace(" there", true);
    ASSERT_EQ(Text(), Doc({"hello there\r"}));
    EXPECT_EQ(Send(EM_CANUNDO), 1);
    EXPECT_NE(Send(EM_UNDO), 0);  // the replacement is one step
    EXPECT_EQ(Text(), Doc({"hello world\r"}));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(5), DWORD(11)));
    EXPECT_EQ(Send(EM_CANUNDO), 0);
}

TEST_F(UndoTest, EmptyUndoBufferEndsUndoAndRedo) {
    SetText("abc");
    Replace("1");
    Replace("2");
    Send(EM_UNDO);
    ASSERT_EQ(Send(EM_CANUNDO), 1);
    ASSERT_EQ(Send(EM_CANREDO), 1);
    EXPECT_EQ(Send(EM_EMPTYUNDOBUFFER), 0);
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    EXPECT_EQ(Send(EM_CANREDO), 0);
    EXPECT_EQ(ed().undoLogUsed, 0u);
    const EditorInstance& e = ed();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(e.undoLog), e.undoLogSize),
              std::string(e.undoLogSize, '\0'));
    EXPECT_EQ(Send(EM_UNDO), 0);
    EXPECT_EQ(Send(EM_REDO), 0);
    EXPECT_EQ(Text(), Doc({"1abc\r"}));
}

TEST_F(UndoTest, UndoAndRedoAroundAnAbsorbedCrAreExactInverses) {
    SetText("ab\r\ncd");
    Select(1, 3);  // b and the line break
    Replace("x\r\n");
    const Doc replaced = Text();
    EXPECT_EQ(replaced, Doc({"ax\r", "cd\r"}));
    Send(EM_UNDO);
    Send(EM_UNDO);
    EXPECT_EQ(Text(), Doc({"ab\r", "cd\r"}));
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    Send(EM_REDO);
    Send(EM_REDO);
    EXPECT_EQ(Text(), replaced);
    EXPECT_EQ(Send(EM_CANREDO), 0);
    Send(EM_UNDO);
    Send(EM_UNDO);
    EXPECT_EQ(Text(), Doc({"ab\r", "cd\r"}));
}

TEST_F(UndoTest, UndoOfAWholeTextReplacementComesBackWhole) {
    SetText("ab\r\ncd");
    Select(0, -1);
    Replace("new\r\nlines\r\n");
    const Doc replaced = Text();
    EXPECT_EQ(replaced, Doc({"new\r", "lines\r", "\r"}));
    Send(EM_UNDO);
    Send(EM_UNDO);
    EXPECT_EQ(Text(), Doc({"ab\r", "cd\r"}));
    EXPECT_EQ(ed().selAnchor, 0u);
    EXPECT_EQ(ed().caretPos, 5u);  // the host's whole text selected again
    Send(EM_REDO);
    Send(EM_REDO);
    EXPECT_EQ(Text(), replaced);
}

TEST_F(UndoTest, ClearDoesNotChangeHowTheNextCommandUndoes) {
    SetText("ab\r\ncd");
    Select(1, 3);  // b and the line break: the break is kept
    Send(WM_CLEAR);
    ASSERT_EQ(Text(), Doc({"a\r", "cd\r"}));
    // A line break typed in next is a real one, not absorbed by the kept one.
    Select(1, 1);
    Replace("\r\n");
    EXPECT_EQ(Text(), Doc({"a\r", "\r", "cd\r"}));
    Send(EM_UNDO);
    EXPECT_EQ(Text(), Doc({"a\r", "cd\r"}));
    Send(EM_UNDO);
    EXPECT_EQ(Text(), Doc({"ab\r", "cd\r"}));
    Send(EM_REDO);
    Send(EM_REDO);
    EXPECT_EQ(Text(), Doc({"a\r", "\r", "cd\r"}));
}

TEST_F(UndoTest, ANewEditEndsTheRedoChain) {
    SetText("abc");
    Select(3, 3);
    Replace("12345");
    Replace("6");
    Send(EM_UNDO);
    Send(EM_UNDO);
    ASSERT_EQ(Send(EM_CANREDO), 1);
    Select(0, 0);
    Replace("z");  // a shorter record over the undone ones
    EXPECT_EQ(Send(EM_CANREDO), 0);
    EXPECT_EQ(Send(EM_REDO), 0);
    EXPECT_EQ(Text(), Doc({"zabc\r"}));
}

// Every EM_REPLACESEL is undone exactly, one step each, and redone exactly:
// random selections (ends in either order, past the end, -1) and texts with line
// breaks, lone LFs and nothing at all.
TEST_F(UndoTest, RandomReplacementsUndoAndRedoExactly) {
    SetText("first line\r\nsecond\r\n\r\nfourth one\r\nend");
    const char* texts[] = {"",   "x",        "\r\n",          "yz\r\n", "\r\nq", "a\r\nb\r\nc",
                           "\n", "\r\n\r\n", "long text here"};
    uint32_t seed = 12345;
    auto Next = [&](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    struct Step {
        Doc before, after;
        int records;
    };
    std::vector<Step> steps;
    for (int i = 0; i < 80; ++i) {
        SCOPED_TRACE(i);
        Step step;
        step.before = Text();
        uint32_t length = 0;
        for (const std::string& line : step.before) length += static_cast<uint32_t>(line.size());
        auto End = [&]() -> LPARAM {
            uint32_t r = Next(12);
            if (r == 0) return -1;
            if (r == 1) return length + 3;
            return Next(length + 1);
        };
        const LPARAM a = End(), c = End();
        Send(EM_HIDESELECTION, 1);  // no collapse of (-1, n)
        Select(a, c);
        const int recordsBefore = UndoRecordCount(control);
        Replace(texts[Next(sizeof texts / sizeof texts[0])]);
        step.after = Text();
        // One undo step, whether it logged the deletion, the insertion or both.
        step.records = UndoRecordCount(control) > recordsBefore ? 1 : 0;
        // The document keeps its shape: every line ends in its one CR.
        for (const std::string& line : step.after) {
            ASSERT_FALSE(line.empty());
            ASSERT_EQ(line.back(), '\r');
            ASSERT_EQ(line.find('\r'), line.size() - 1);
        }
        if (step.records == 0) {
            ASSERT_EQ(step.after, step.before);
        }
        steps.push_back(step);
    }
    for (size_t i = steps.size(); i-- > 0;) {
        SCOPED_TRACE(i);
        for (int k = 0; k < steps[i].records; ++k) Send(EM_UNDO);
        ASSERT_EQ(Text(), steps[i].before);
    }
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        for (int k = 0; k < steps[i].records; ++k) Send(EM_REDO);
        ASSERT_EQ(Text(), steps[i].after);
    }
    EXPECT_EQ(Send(EM_CANREDO), 0);
}

// Replacements, clears, undos and redos in random order: every undo gives back the
// document before the command it takes back, every redo the document after it.
TEST_F(UndoTest, InterleavedCommandsUndoAndRedoExactly) {
    SetText("alpha beta\r\ngamma\r\n\r\ndelta epsilon\r\nzeta");
    const char* texts[] = {"", "k", "\r\n", "mn\r\n", "\r\nop", "r\r\ns\r\nt", "\r\n\r\n"};
    uint32_t seed = 777;
    auto Next = [&](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    struct Step {
        Doc before, after;
        int records;
    };
    std::vector<Step> done, undone;
    for (int i = 0; i < 150; ++i) {
        SCOPED_TRACE(i);
        const uint32_t what = Next(10);
        if (what < 2 && !done.empty()) {
            Step step = done.back();
            done.pop_back();
            for (int k = 0; k < step.records; ++k) Send(EM_UNDO);
            ASSERT_EQ(Text(), step.before);
            undone.push_back(step);
        } else if (what < 4 && !undone.empty()) {
            Step step = undone.back();
            undone.pop_back();
            for (int k = 0; k < step.records; ++k) Send(EM_REDO);
            ASSERT_EQ(Text(), step.after);
            done.push_back(step);
        } else {
            Step step;
            step.before = Text();
            uint32_t length = 0;
            for (const std::string& line : step.before) length += static_cast<uint32_t>(line.size());
            const LPARAM a = Next(8) == 0 ? -1 : LPARAM(Next(length + 1));
            const LPARAM c = Next(8) == 0 ? -1 : LPARAM(Next(length + 1));
            Send(EM_HIDESELECTION, Next(2));
            Select(a, c);
            const int recordsBefore = UndoRecordCount(control);
            if (what < 6) {
                Send(WM_CLEAR);
            } else {
                Replace(texts[Next(sizeof texts / sizeof texts[0])]);
            }
            step.after = Text();
            step.records = UndoRecordCount(control) > recordsBefore ? 1 : 0;  // each command one step
            if (step.records == 0) {
                ASSERT_EQ(step.after, step.before);
                continue;
            }
            ASSERT_EQ(Send(EM_CANREDO), 0);  // a logged command ends the redo chain
            undone.clear();
            done.push_back(step);
        }
    }
}

// ---- WM_CLEAR -----------------------------------------------------------------------

class ClearTest : public EditFixture {};

TEST_F(ClearTest, DeletesTheSelectionAndLogsIt) {
    SetText("abc\r\ndef");
    Select(5, 2);
    EXPECT_EQ(Send(WM_CLEAR), 0);
    EXPECT_EQ(Text(), Doc({"abef\r"}));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(2), DWORD(2)));
    EXPECT_EQ(Send(EM_CANUNDO), 1);
    Send(EM_UNDO);
    EXPECT_EQ(Text(), Doc({"abc\r", "def\r"}));
}

TEST_F(ClearTest, AnEmptySelectionDeletesNothingButNotifies) {
    SetText("abc");
    Select(1, 1);
    const size_t before = Notified();
    Send(WM_CLEAR);
    EXPECT_EQ(Text(), Doc({"abc\r"}));
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    ASSERT_EQ(Notified(), before + 1);
    EXPECT_EQ(host->notifications.back().record.reason, QV_REASON_CHANGE);
    EXPECT_EQ(host->notifications.back().record.caret, 1);
}

TEST_F(ClearTest, ClearingEverythingKeepsTheClosingCr) {
    SetText("ab\r\ncd");
    Select(0, -1);
    Send(WM_CLEAR);
    EXPECT_EQ(Text(), Doc({"\r"}));
    EXPECT_EQ(HostLength(), 0);
    Send(EM_UNDO);
    EXPECT_EQ(Text(), Doc({"ab\r", "cd\r"}));

    Select(2, -1);  // from inside the text through the closing CR
    Send(WM_CLEAR);
    EXPECT_EQ(Text(), Doc({"ab\r"}));
    EXPECT_EQ(HostLength(), 2);
    Send(EM_UNDO);
    EXPECT_EQ(Text(), Doc({"ab\r", "cd\r"}));
}

// ---- Refused edits: read-only control, locked line ---------------------------------

class RefusedEditTest : public EditFixture {
protected:
    void ExpectEditsRefused() {
        const Doc before = Text();
        const auto sel = Sel();
        const LRESULT modified = Send(EM_GETMODIFY);
        const size_t notified = Notified();
        EXPECT_EQ(Replace("zz"), 0);
        EXPECT_EQ(Send(WM_CLEAR), 0);
        EXPECT_EQ(Text(), before);
        EXPECT_EQ(Sel(), sel);
        EXPECT_EQ(Send(EM_GETMODIFY), modified);
        EXPECT_EQ(Send(EM_CANUNDO), 0);
        EXPECT_EQ(Notified(), notified);
    }
};

TEST_F(RefusedEditTest, AReadOnlyStyleRefusesReplaceAndClear) {
    DestroyWindow(control);
    ASSERT_TRUE(MakeControl(400, 300, ES_READONLY));
    SetText("abc\r\ndef");  // the host may still set the whole text
    EXPECT_EQ(Text(), Doc({"abc\r", "def\r"}));
    Send(EM_SETMODIFY, 0);
    Select(1, 5);
    ExpectEditsRefused();
    Select(2, 2);
    ExpectEditsRefused();
}

TEST_F(RefusedEditTest, ReadOnlyCanBeSetAndCleared) {
    SetText("abc\r\ndef");
    Send(EM_SETMODIFY, 0);
    Select(1, 5);
    EXPECT_EQ(Send(EMX_SETREADONLY, 0, 1), 0);
    ExpectEditsRefused();
    Send(EMX_SETREADONLY, 0, 0);
    Replace("-");
    EXPECT_EQ(Text(), Doc({"a-ef\r"}));
}

TEST_F(RefusedEditTest, ALockedLineRefusesEditsThatTouchIt) {
    SetText("one\r\ntwo\r\nthree");
    Send(EM_SETMODIFY, 0);
    qv::LineRecordView line1(ed().lineHeap + qv::RecordOffset(ed(), 1));
    line1.setFlags(line1.flags() | qv::kFlagLocked);
    Select(5, 5);  // inside the locked line
    ExpectEditsRefused();
    Select(1, 9);  // over it
    ExpectEditsRefused();
    Select(7, 10);  // from its CR into the next line
    ExpectEditsRefused();
    Select(8, 10);  // elsewhere
    Replace("X");
    EXPECT_EQ(Text(), Doc({"one\r", "two\r", "Xree\r"}));
}

// ---- Numbers the control does not answer -------------------------------------------

class UnlistedEditNumbersTest : public EditFixture {};

TEST_F(UnlistedEditNumbersTest, GetTheDefaultAnswerAndChangeNothing) {
    SetText("abc");
    Select(1, 2);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const size_t notified = Notified();
    EXPECT_EQ(Send(EM_SETREADONLY, 1), 0);
    EXPECT_EQ(GetWindowLongA(control, GWL_STYLE), style);
    EXPECT_EQ(Send(EM_LIMITTEXT, 2), 0);
    EXPECT_EQ(Send(EM_SETMARGINS, EC_LEFTMARGIN, 50), 0);
    EXPECT_EQ(Send(EMX_NOP, 1, 2), 0);
    EXPECT_EQ(Notified(), notified);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(1), DWORD(2)));
    // Still editable, and not limited.
    Replace("xyz");
    EXPECT_EQ(Text(), Doc({"axyzc\r"}));
}

}  // namespace
}  // namespace qvtest
