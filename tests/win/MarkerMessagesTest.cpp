// The marker, block, word, lock and hidden-line messages through the DLL: their
// answers, the line flags they leave, the enumeration record's bytes, the marker
// images in the margin's pixels, the host popup they hide, and the caret moves of
// folding.
#include <richedit.h>

#include <cstring>
#include <string>

#include "base/EditorInstance.h"
#include "store/LineRecord.h"
#include "win/support/TestHost.h"

using qv::EditorInstance;

namespace qvtest {
namespace {

// 0 start:  1 main proc  2-3 body  4 main endp  5 next proc  6 body  7 next endp  8 foo bar
const char kDoc[] =
    "start:\r\nmain proc\r\n  mov eax, 1\r\n  ret\r\nmain endp\r\nnext proc\r\n  nop\r\nnext endp\r\nfoo bar";
BlockPatternPair kProcs = {"$ proc", "$ endp"};

// An EM_STREAMIN callback that hands out the rest of the text *cookie points at.
DWORD CALLBACK ReadText(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* got) {
    const char*& rest = *reinterpret_cast<const char**>(cookie);
    const LONG left = static_cast<LONG>(std::strlen(rest));
    *got = left < size ? left : size;
    std::memcpy(buffer, rest, *got);
    rest += *got;
    return 0;
}

class MarkerMessagesTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        ASSERT_TRUE(MakeControl(400, 300));
        ed = reinterpret_cast<EditorInstance*>(GetWindowLongPtrA(control, 0));
        font = CreateFontA(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                           "DejaVu Sans Mono");
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font));
        Send(EMX_SETKEYWORDS, 0, 0);
        Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kDoc));
    }
    void TearDown() override {
        HostWindows none = {};
        Send(EMX_SETHOSTWINDOWS, 0, reinterpret_cast<LPARAM>(&none));  // the record is the process's
        ControlTest::TearDown();
        DeleteObject(font);
    }
    LPARAM Pair(BlockPatternPair* pair = &kProcs) { return reinterpret_cast<LPARAM>(pair); }
    uint32_t Flags(uint32_t line) { return qv::LineRecordOf(*ed, line).flags(); }
    LRESULT Hidden(uint32_t line) { return Send(EMX_ISLINEHIDDEN, line); }
    void Caret(LONG at) {
        CHARRANGE range = {at, at};
        Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    LONG CaretPos() {
        CHARRANGE range = {};
        Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range.cpMax;
    }
    LONG LineIndex(uint32_t line) { return static_cast<LONG>(Send(EM_LINEINDEX, line)); }
    // Pixel (x, y) of the marker image on a row; the margin is the 10-pixel marker
    // margin alone.
    COLORREF ImagePixel(int row, int x, int y) {
        HWND pane = static_cast<HWND>(ed->panes[0].hwnd);
        SetFocus(host->hwnd());
        InvalidateRect(pane, nullptr, FALSE);
        UpdateWindow(pane);
        const int lh = static_cast<int>(ed->lineHeight);
        HDC dc = GetDC(pane);
        const COLORREF c = GetPixel(dc, x, row * lh + (lh - 7) / 2 + y);
        ReleaseDC(pane, dc);
        return c;
    }

    EditorInstance* ed = nullptr;
    HFONT font = nullptr;
};

TEST_F(MarkerMessagesTest, BookmarksBySetGetNextPrevFindAndClear) {
    EXPECT_EQ(Send(EMX_SETMARKER, 2, 5), 0);
    EXPECT_EQ(Send(EMX_SETMARKER, 6, 7), 0);
    EXPECT_EQ(Flags(2), 0x30u);  // the refresh: 5 is no longer the current marker
    EXPECT_EQ(Flags(6), 0x40u);
    EXPECT_EQ(Send(EMX_GETCURRENTMARKER), 7);
    EXPECT_EQ(Send(EMX_FINDMARKER, 5), 2);
    EXPECT_EQ(Flags(2), 0x40u);
    EXPECT_EQ(Flags(6), 0x30u);
    EXPECT_EQ(Send(EMX_GETCURRENTMARKER), 5);
    EXPECT_EQ(Send(EMX_NEXTMARKER, 2, 7), 6);
    EXPECT_EQ(Send(EMX_NEXTMARKER, 6, 7), -1);
    EXPECT_EQ(Send(EMX_PREVMARKER, 6, 5), 2);
    EXPECT_EQ(Send(EMX_GETMARKER, 6), 7);
    EXPECT_EQ(Send(EMX_GETCURRENTMARKER), 7);

    // Nothing for bad arguments: lines past the end, id 0.
    for (WPARAM line : {WPARAM(9), WPARAM(0xFFFFFFFF)}) {
        EXPECT_EQ(Send(EMX_GETMARKER, line), -1);
        EXPECT_EQ(Send(EMX_NEXTMARKER, line, 5), -1);
        EXPECT_EQ(Send(EMX_PREVMARKER, line, 5), -1);  // would find line 2 from the end
        Send(EMX_SETMARKER, line, 3);
    }
    EXPECT_EQ(Send(EMX_FINDMARKER, 0), -1);
    EXPECT_EQ(Flags(0), 0u);
    EXPECT_EQ(Send(EMX_GETCURRENTMARKER), 7);

    // A highlighted bookmark is not cleared; the others are.
    Send(EMX_SETLINEHILITE, 2, 3);
    EXPECT_EQ(Send(WM_COMMAND, EMX_CLEARMARKERS), 0);
    EXPECT_EQ(Send(EMX_GETMARKER, 6), 0);
    EXPECT_EQ(Send(EMX_GETMARKER, 2), 5);
    EXPECT_EQ(Flags(2), 0x33u);  // kind 3 and highlight 3: unseen by the clearing
}

TEST_F(MarkerMessagesTest, TheEnumerationRecordHoldsTenPairsAndTheCurrentIdAndNothingMore) {
    std::string text;
    for (int i = 0; i < 14; ++i) text += "line\r\n";
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    for (uint32_t line = 12; line >= 1; --line) Send(EMX_SETMARKER, line, 0x100 + line);
    Send(EMX_SETMARKER, 12, 0x10C);  // current, and the twelfth marked line
    uint8_t record[100];
    std::memset(record, 0xAA, sizeof record);
    EXPECT_EQ(Send(EMX_ENUMMARKERS, 0, reinterpret_cast<LPARAM>(record)), 0);
    for (uint32_t i = 0; i < 10; ++i) {
        EXPECT_EQ(qv::Load32(record + 8 * i), 0x101 + i) << i;
        EXPECT_EQ(qv::Load32(record + 8 * i + 4), 1 + i) << i;
    }
    EXPECT_EQ(qv::Load32(record + 80), 0x10Cu);
    for (size_t i = 84; i < sizeof record; ++i) ASSERT_EQ(record[i], 0xAA) << i;
    EXPECT_EQ(Send(EMX_ENUMMARKERS, 0, 0), 0);
}

TEST_F(MarkerMessagesTest, TheBookmarkMessagesHideTheHostPopup) {
    HWND popup = CreateWindowExA(0, "STATIC", "popup", WS_CHILD | WS_VISIBLE, 50, 60, 100, 80, host->hwnd(),
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    HostWindows windows = {};
    windows.windows[3] = popup;
    Send(EMX_SETHOSTWINDOWS, 0, reinterpret_cast<LPARAM>(&windows));
    Send(EMX_SETMARKER, 1, 9);
    const UINT hiding[] = {EMX_SETMARKER, EMX_GETMARKER, EMX_NEXTMARKER, EMX_PREVMARKER, EMX_FINDMARKER};
    for (UINT msg : hiding) {
        SCOPED_TRACE(msg);
        MoveWindow(popup, 50, 60, 100, 80, TRUE);
        Send(msg, msg == EMX_FINDMARKER ? 9 : 1, 9);
        RECT r = {};
        GetWindowRect(popup, &r);
        POINT origin = {0, 0};
        ClientToScreen(host->hwnd(), &origin);
        EXPECT_EQ(r.left, origin.x);
        EXPECT_EQ(r.top, origin.y);
        EXPECT_EQ(r.right, r.left);
        EXPECT_EQ(r.bottom, r.top);
    }
    DestroyWindow(popup);
}

TEST_F(MarkerMessagesTest, MarkingMatchingAndFoldingBlocks) {
    Send(EMX_SETLINEHILITE, 5, 2);
    EXPECT_EQ(Send(EMX_MARKBLOCKS, 0, Pair()), 0);
    EXPECT_EQ(Flags(1), 0x80u);
    EXPECT_EQ(Flags(5), 0x82u);  // the highlight stays
    EXPECT_EQ(Flags(4), 0x00u);
    EXPECT_EQ(Send(EMX_MATCHBLOCKPATTERN, 1, reinterpret_cast<LPARAM>("$ proc")), 5);
    EXPECT_EQ(Send(EMX_MATCHBLOCKPATTERN, 4, reinterpret_cast<LPARAM>("$ proc")), -1);
    EXPECT_EQ(Send(EMX_MATCHBLOCKPATTERN, 9, reinterpret_cast<LPARAM>("$ proc")), -1);
    EXPECT_EQ(Send(EMX_MATCHBLOCKPATTERN, 1, 0), -1);

    // The caret inside the block moves to its start line, and the parent hears of it.
    Caret(LineIndex(3) + 2);
    host->notifications.clear();
    Send(EMX_FOLDBLOCK, 1, Pair());
    EXPECT_EQ(Hidden(2) + Hidden(3), 2);
    EXPECT_EQ(Hidden(4), 0);
    EXPECT_EQ(ed->hiddenLineCount, 2u);
    EXPECT_EQ(CaretPos(), LineIndex(1));
    EXPECT_FALSE(host->notifications.empty());
    EXPECT_EQ(Send(EMX_GETMARKER, 1), 2);

    // A caret outside stays; bad arguments change nothing.
    Caret(LineIndex(8) + 1);
    BlockPatternPair noEnd = {"$ proc", nullptr};
    Send(EMX_FOLDBLOCK, 5, Pair(&noEnd));
    Send(EMX_FOLDBLOCK, 5, 0);
    Send(EMX_FOLDBLOCK, 0xFFFFFFFF, Pair());
    Send(EMX_FOLDALL, 0, Pair(&noEnd));
    EXPECT_EQ(Send(EMX_MARKBLOCKS, 0, 0), 0);
    EXPECT_EQ(ed->hiddenLineCount, 2u);
    EXPECT_EQ(Hidden(0), 0);
    Send(EMX_UNFOLDBLOCK, 1);
    EXPECT_EQ(ed->hiddenLineCount, 0u);
    Send(EMX_UNFOLDBLOCK, 5);  // an open block with nothing hidden

    // Fold all through WM_COMMAND: the caret outside the blocks stays.
    Send(WM_COMMAND, EMX_FOLDALL, Pair());
    EXPECT_EQ(ed->hiddenLineCount, 3u);
    EXPECT_EQ(CaretPos(), LineIndex(8) + 1);
    Send(EMX_UNFOLDALL);
    EXPECT_EQ(ed->hiddenLineCount, 0u);
    EXPECT_EQ(CaretPos(), LineIndex(8) + 1);  // unfolding never moves the caret
    Caret(LineIndex(6) + 1);
    Send(EMX_FOLDALL, 0, Pair());
    EXPECT_EQ(CaretPos(), LineIndex(5));
    // On a line the host had hidden already, the caret stays.
    Send(EMX_UNFOLDALL);
    Send(EMX_SETLINEHIDDEN, 6, 1);
    Caret(LineIndex(6) + 1);
    Send(EMX_FOLDALL, 0, Pair());
    EXPECT_EQ(ed->hiddenLineCount, 3u);
    EXPECT_EQ(CaretPos(), LineIndex(6) + 1);
}

// What the host guide promises: a text just loaded, its block starts marked, folds
// whole with one EMX_FOLDALL; a text read by EM_STREAMIN has its starts marked
// already. Blocks found with other patterns fold too, and keep their image while
// painted though they hold no "proc".
TEST_F(MarkerMessagesTest, MarkBlocksThenFoldAllFoldsAFreshlyLoadedText) {
    Send(EMX_MARKBLOCKS, 0, Pair());
    EXPECT_EQ(Send(EMX_GETMARKER, 1), QV_MARKERID_BLOCK);
    Send(EMX_FOLDALL, 0, Pair());
    for (uint32_t line = 0; line < 9; ++line)
        EXPECT_EQ(Hidden(line), line == 2 || line == 3 || line == 6) << line;
    EXPECT_EQ(ed->hiddenLineCount, 3u);
    EXPECT_EQ(Send(EMX_GETMARKER, 1), QV_MARKERID_FOLDED);
    EXPECT_EQ(Send(EMX_GETMARKER, 5), QV_MARKERID_FOLDED);
    Send(EMX_UNFOLDALL);
    EXPECT_EQ(ed->hiddenLineCount, 0u);

    const char* source = "a proc\r\n  x\r\n  y\r\na endp\r\n";
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&source), 0, ReadText};
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    Send(EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    Send(EMX_FOLDALL, 0, Pair());
    EXPECT_EQ(Hidden(1) + Hidden(2), 2);
    EXPECT_EQ(ed->hiddenLineCount, 2u);

    BlockPatternPair macros = {"$ macro", "endm"};
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("m1 macro\r\n  db 1\r\nendm\r\nm2 macro\r\n  db 2\r\nendm"));
    Send(EMX_MARKBLOCKS, 0, Pair(&macros));
    const COLORREF kGreen = 0x00FF00;
    EXPECT_EQ(ImagePixel(3, 0, 0), kGreen);  // painted: still the block-start image
    EXPECT_EQ(Flags(3) & 0xF0, 0x80u);
    Send(EMX_FOLDALL, 0, Pair(&macros));
    EXPECT_EQ(Hidden(1) + Hidden(4), 2);
    EXPECT_EQ(ed->hiddenLineCount, 2u);
}

TEST_F(MarkerMessagesTest, TheMarginShowsTheMarkerImages) {
    const COLORREF kRed = 0x0000FF, kYellow = 0x00FFFF, kGreen = 0x00FF00, kBlack = 0;
    Send(EMX_MARKBLOCKS, 0, Pair());
    Send(EMX_SETMARKER, 8, 4);
    Send(EMX_SETMARKER, 0, 3);
    Send(EMX_FOLDBLOCK, 1, Pair());
    // Rows: 0 start (current bookmark), 1 folded start, 2 main endp, 3 next proc
    // (block start), 4 body, 5 next endp, 6 foo bar (bookmark).
    EXPECT_EQ(ImagePixel(0, 4, 2), kRed);
    EXPECT_EQ(ImagePixel(0, 0, 0), kBlack);
    EXPECT_EQ(ImagePixel(1, 4, 2), kRed);
    EXPECT_EQ(ImagePixel(3, 0, 0), kGreen);
    EXPECT_EQ(ImagePixel(3, 4, 4), kBlack);
    EXPECT_EQ(ImagePixel(6, 0, 0), kYellow);
    EXPECT_EQ(ImagePixel(2, 0, 0), ed->colors[2]);  // no marker: the margin's colour
}

TEST_F(MarkerMessagesTest, TheWordAtTheCaret) {
    Caret(LineIndex(8) + 3);  // right after "foo", before the blank
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(Send(EMX_GETWORD, sizeof buffer, reinterpret_cast<LPARAM>(buffer)), 3);
    EXPECT_STREQ(buffer, "foo");
    EXPECT_EQ(Send(EMX_GETWORD, 3, reinterpret_cast<LPARAM>(buffer)), 2);
    EXPECT_STREQ(buffer, "fo");
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(Send(EMX_GETWORD, 0, reinterpret_cast<LPARAM>(buffer)), 0);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(Send(EMX_GETWORD, 16, 0), 0);
}

TEST_F(MarkerMessagesTest, LocksAndHiddenLines) {
    Send(EMX_SETLINELOCK, 3, 1);
    EXPECT_EQ(Send(EMX_ISLINELOCKED, 3), 1);
    EXPECT_EQ(Send(EMX_ISLINELOCKED, 2), 0);
    EXPECT_EQ(Send(EMX_ISLINELOCKED, 99), 0);
    Caret(LineIndex(3) + 1);
    Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("x"));  // refused
    EXPECT_EQ(Send(EM_LINELENGTH, LineIndex(3)), 5);
    Send(EMX_SETREADONLY, 0, 1);
    EXPECT_EQ(Send(EMX_ISLINELOCKED, 99), 1);
    Send(EMX_SETREADONLY, 0, 0);
    Send(EMX_SETLINELOCK, 3, 0);
    EXPECT_EQ(Send(EMX_ISLINELOCKED, 3), 0);

    Send(EMX_SETLINEHIDDEN, 6, 1);
    Send(EMX_SETLINEHIDDEN, 6, 1);
    Send(EMX_SETLINEHIDDEN, 99, 1);
    EXPECT_EQ(Hidden(6), 1);
    EXPECT_EQ(Hidden(99), 0);
    EXPECT_EQ(ed->hiddenLineCount, 1u);
    Send(EMX_SETLINEHIDDEN, 6, 0);
    EXPECT_EQ(ed->hiddenLineCount, 0u);
}

// The edits open the folded blocks they touch; the caret opens the one it enters.
TEST_F(MarkerMessagesTest, EditsAndTheCaretOpenFoldedBlocks) {
    Send(EMX_FOLDBLOCK, 1, Pair());
    Caret(LineIndex(1));
    Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("\r\n"));  // splits the start line
    EXPECT_EQ(ed->hiddenLineCount, 0u);
    Send(EMX_FOLDBLOCK, 2, Pair());
    EXPECT_EQ(ed->hiddenLineCount, 2u);
    Send(EM_UNDO);  // takes the line break out again: joins lines 1 and 2
    EXPECT_EQ(ed->hiddenLineCount, 0u);
    EXPECT_EQ(Send(EMX_GETMARKER, 1), 1);

    Send(EMX_FOLDBLOCK, 5, Pair());
    Send(EM_SETSEL, LineIndex(6) + 1, LineIndex(6) + 1);
    EXPECT_EQ(Hidden(6), 1);
    Send(EM_SCROLLCARET);
    EXPECT_EQ(Hidden(6), 0);
}

}  // namespace
}  // namespace qvtest
