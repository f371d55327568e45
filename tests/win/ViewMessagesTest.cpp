// The view messages: fonts, colours, highlights, margins and view flags; scrolling
// by message and by the panes' scroll bars; positions to points and back.
#include <cstring>
#include <string>
#include <vector>

#include <richedit.h>

#include "base/EditorInstance.h"
#include "store/LineRecord.h"
#include "win/support/TestHost.h"

using qv::EditorInstance;

namespace qvtest {
namespace {

class ViewMessagesTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        ASSERT_TRUE(MakeControl(400, 300));
        ed = reinterpret_cast<EditorInstance*>(GetWindowLongPtrA(control, 0));
        mono = MakeFont("DejaVu Sans Mono", -15);
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(mono));
    }
    void TearDown() override {
        ControlTest::TearDown();
        for (HFONT f : fonts) DeleteObject(f);
    }
    HFONT MakeFont(const char* face, int height) {
        HFONT f = CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, face);
        fonts.push_back(f);
        return f;
    }
    void SetLines(int count) {
        std::string text;
        for (int i = 0; i < count; ++i) text += "line " + std::to_string(i) + "\r\n";
        Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        UpdateWindow(Upper());
    }
    HWND Upper() const { return (HWND)ed->panes[0].hwnd; }
    HWND Lower() const { return (HWND)ed->panes[1].hwnd; }
    int32_t Lh() const { return static_cast<int32_t>(ed->lineHeight); }
    LRESULT VScroll(HWND pane, int code) {
        const qv::ViewPane& p = pane == Upper() ? ed->panes[0] : ed->panes[1];
        return SendMessageA(pane, WM_VSCROLL, code, reinterpret_cast<LPARAM>(p.hwndVScroll));
    }

    EditorInstance* ed = nullptr;
    HFONT mono = nullptr;
    std::vector<HFONT> fonts;
};

TEST_F(ViewMessagesTest, GetFontAnswersTheTextFont) {
    EXPECT_EQ(Send(WM_GETFONT), reinterpret_cast<LRESULT>(mono));
    HFONT other = MakeFont("DejaVu Sans Mono", -12);
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(other));
    EXPECT_EQ(Send(WM_GETFONT), reinterpret_cast<LRESULT>(other));
    HWND fresh = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD, 0, 0, 100, 100, host->hwnd(), nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(SendMessageA(fresh, WM_GETFONT, 0, 0), 0);  // no font given yet
    DestroyWindow(fresh);
}

TEST_F(ViewMessagesTest, ColoursGoInAndComeOutByTheirEntries) {
    uint32_t colors[27];
    for (uint32_t i = 0; i < 27; ++i) colors[i] = 0x00010101 * (i + 1);
    EXPECT_EQ(Send(EMX_SETCOLORS, 0, reinterpret_cast<LPARAM>(colors)), 0);
    for (uint32_t i = 0; i < 27; ++i) {
        if (i == 5 || i == 6 || i == 10) EXPECT_EQ(ed->colors[i], 0u) << i;  // not used: unchanged
        else EXPECT_EQ(ed->colors[i], colors[i]) << i;
    }
    // The brushes are made again from the new colours.
    LOGBRUSH brush = {};
    GetObjectA((HBRUSH)ed->brushes[0], sizeof brush, &brush);
    EXPECT_EQ(brush.lbColor, colors[0]);
    GetObjectA((HBRUSH)ed->brushes[11], sizeof brush, &brush);
    EXPECT_EQ(brush.lbColor, colors[26]);

    // Every entry is written, the unused ones too: a host's record read, changed and
    // set again carries nothing of the memory it was made in.
    uint32_t out[27];
    std::memset(out, 0xAB, sizeof out);
    Send(EMX_GETCOLORS, 0, reinterpret_cast<LPARAM>(out));
    for (uint32_t i = 0; i < 27; ++i) EXPECT_EQ(out[i], ed->colors[i]) << i;
    // NULL records are ignored.
    EXPECT_EQ(Send(EMX_SETCOLORS, 0, 0), 0);
    EXPECT_EQ(Send(EMX_GETCOLORS, 0, 0), 0);
}

// A style code the painter does not know would hide its runs: the control keeps the
// colour with code 0 instead, and a host reads back what it draws with. The codes
// it knows stay, 5 (a run hidden on purpose) among them.
TEST_F(ViewMessagesTest, UnknownStyleCodesInAColourRecordBecomeTheTextFont) {
    struct Row {
        uint32_t set, kept;
    } rows[] = {
        {0x000000FF, 0x000000FF}, {0x010000FF, 0x010000FF}, {0x020000FF, 0x020000FF},
        {0x030000FF, 0x030000FF}, {0x040000FF, 0x040000FF}, {0x050000FF, 0x050000FF},
        {0x080000FF, 0x080000FF}, {0x060000FF, 0x000000FF}, {0x070000FF, 0x000000FF},
        {0x090000FF, 0x000000FF}, {0xAB0000FF, 0x000000FF}, {0xFFFFFFFF, 0x00FFFFFF},
    };
    for (const Row& row : rows) {
        uint32_t colors[27];
        Send(EMX_GETCOLORS, 0, reinterpret_cast<LPARAM>(colors));
        colors[18] = colors[24] = row.set;  // quotes, '_'-joined words
        Send(EMX_SETCOLORS, 0, reinterpret_cast<LPARAM>(colors));
        uint32_t out[27] = {};
        Send(EMX_GETCOLORS, 0, reinterpret_cast<LPARAM>(out));
        EXPECT_EQ(out[18], row.kept) << std::hex << row.set;
        EXPECT_EQ(out[24], row.kept) << std::hex << row.set;
    }
}

TEST_F(ViewMessagesTest, FontSlotsFourIsNeitherSetNorRead) {
    HFONT bold = MakeFont("DejaVu Sans Mono", -15);
    HFONT set[6] = {mono, bold, bold, bold, reinterpret_cast<HFONT>(0x1234), mono};
    Send(EMX_SETFONTS, 0, reinterpret_cast<LPARAM>(set));
    EXPECT_EQ(ed->fonts[1], bold);
    EXPECT_EQ(ed->fonts[4], nullptr);
    HFONT out[6];
    for (HFONT& f : out) f = reinterpret_cast<HFONT>(0x5678);
    Send(EMX_GETFONTS, 0, reinterpret_cast<LPARAM>(out));
    EXPECT_EQ(out[0], mono);
    EXPECT_EQ(out[3], bold);
    EXPECT_EQ(out[4], reinterpret_cast<HFONT>(0x5678));
    EXPECT_EQ(out[5], mono);
}

TEST_F(ViewMessagesTest, NewFontsKeepEachPaneOnItsTopRow) {
    SetLines(100);
    Send(EM_LINESCROLL, 0, 10);
    ASSERT_EQ(ed->panes[0].scrollY, 10 * Lh());
    HFONT big = MakeFont("DejaVu Sans Mono", -24);
    HFONT set[6] = {big, big, big, big, nullptr, big};
    Send(EMX_SETFONTS, 0, reinterpret_cast<LPARAM>(set));
    EXPECT_GT(Lh(), 20);
    EXPECT_EQ(ed->panes[0].scrollY, 10 * Lh());
    EXPECT_EQ(Send(EM_GETFIRSTVISIBLELINE), 10);
    EXPECT_EQ(ed->panes[0].topLineY, static_cast<uint32_t>(10 * Lh()));
}

TEST_F(ViewMessagesTest, ANewTextFontKeepsThePaneOnItsTopRow) {
    SetLines(200);
    Send(EM_LINESCROLL, 0, 51);
    HFONT big = MakeFont("DejaVu Sans Mono", -24);
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(big));
    UpdateWindow(Upper());
    EXPECT_EQ(ed->panes[0].scrollY, 51 * Lh());
    EXPECT_EQ(ed->panes[0].topLineY % ed->lineHeight, 0u);
    EXPECT_EQ(Send(EM_GETFIRSTVISIBLELINE), 51);
    // The first row of the pane is line 51, wherever in the row the point is.
    for (int32_t y : {1, Lh() / 2, Lh() - 1}) {
        POINTL p = {60, y};
        EXPECT_EQ(Send(EM_LINEFROMCHAR, Send(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&p))), 51) << y;
    }
}

TEST_F(ViewMessagesTest, HighlightsBySetGetAndClear) {
    SetLines(5);
    EXPECT_EQ(Send(EMX_GETLINEHILITE, 99), -1);
    Send(EMX_SETLINEHILITE, 1, 0x17);
    EXPECT_EQ(Send(EMX_GETLINEHILITE, 1), 7);
    Send(EMX_SETLINEHILITE, 2, 3);
    Send(EMX_SETLINEHILITE, 3, 3);
    // Line 3 also carries a bookmark: it no longer matches a clearing value.
    qv::LineRecordView rec(ed->lineHeap + qv::RecordOffset(*ed, 3));
    rec.setFlags(rec.flags() | 0x30);
    Send(EMX_CLEARHILITES, 9);
    EXPECT_EQ(Send(EMX_GETLINEHILITE, 1), 0);
    EXPECT_EQ(Send(EMX_GETLINEHILITE, 2), 0);
    EXPECT_EQ(Send(EMX_GETLINEHILITE, 3), 3);
    EXPECT_EQ(GetFocus(), Upper());
    Send(EMX_SETLINEHILITE, 99, 3);  // past the end: ignored
    EXPECT_EQ(Send(EMX_GETLINEHILITE, 4), 0);
}

TEST_F(ViewMessagesTest, TabWidthSetsTheTabStopsAndTheLongestLine) {
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("a\t\tb\r\nshort"));
    Send(EMX_SETTABWIDTH, 8);
    EXPECT_EQ(ed->tabWidth, 8u);
    EXPECT_EQ(ed->tabPixelWidth, 8 * ed->charWidth);
    EXPECT_EQ(ed->maxLineLength, 5u + 2 * 7);  // a, two tabs, b and the CR
}

TEST_F(ViewMessagesTest, SettingsAnswerAndStick) {
    EXPECT_EQ(Send(EMX_TOGGLEVIEWFLAGS, 0x20), 0);
    EXPECT_EQ(ed->viewFlags, 0x20u);
    Send(EMX_FLIPVIEWFLAGS, 0x60);
    EXPECT_EQ(ed->viewFlags, 0x40u);
    Send(EMX_ENABLEALTFONTS, 0);
    EXPECT_EQ(ed->altFontsEnabled, 0u);
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(mono));  // a measurement enables them again
    EXPECT_EQ(ed->altFontsEnabled, 1u);
    EXPECT_EQ(ed->padLineNumbers, 1u);
    Send(EMX_TOGGLEPADLINENUMBERS);
    EXPECT_EQ(ed->padLineNumbers, 0u);
    Send(EMX_SETMARKERMARGIN, 20);
    EXPECT_EQ(ed->selMarginWidth, 20u);
    EXPECT_EQ(Send(EMX_SETWHEELLINES, 5), 5);
    EXPECT_EQ(ed->wheelLines, 5u);
    EXPECT_EQ(Send(EMX_SETPAGELINES, 50), 0);
    EXPECT_EQ(Send(EMX_GETPAGELINES), 50);
    EXPECT_EQ(Send(EMX_SETAUTOINDENT, 1), 1);
    EXPECT_EQ(ed->autoIndent, 1u);
    EXPECT_EQ(Send(EMX_GETHSCROLLBAR), reinterpret_cast<LRESULT>(ed->panes[0].hwndHScroll));
    Send(EMX_SETREADONLY, 0, 1);
    EXPECT_TRUE(GetWindowLongA(control, GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(ed->style & ES_READONLY);
    Send(EMX_SETREADONLY, 0, 0);
    EXPECT_FALSE(GetWindowLongA(control, GWL_STYLE) & ES_READONLY);
}

TEST_F(ViewMessagesTest, LineScrollStopsAtTheTopAndMovesBothHorizontalOffsets) {
    SetLines(100);
    EXPECT_NE(Send(EM_LINESCROLL, 0, 7), 0);
    EXPECT_EQ(ed->panes[0].scrollY, 7 * Lh());
    EXPECT_EQ(Send(EM_GETFIRSTVISIBLELINE), 7);
    Send(EM_LINESCROLL, 0, -1000);
    EXPECT_EQ(ed->panes[0].scrollY, 0);
    EXPECT_EQ(Send(EM_GETFIRSTVISIBLELINE), 0);
    Send(EM_LINESCROLL, 3, 0);
    EXPECT_EQ(ed->panes[0].scrollX, static_cast<int32_t>(3 * ed->charWidth));
    EXPECT_EQ(ed->panes[1].scrollX, ed->panes[0].scrollX);
}

TEST_F(ViewMessagesTest, CenterCaret) {
    SetLines(100);
    Send(EM_SETSEL, 30, 30);  // line 3: in the first half page
    Send(EM_LINESCROLL, 0, 20);
    Send(EMX_CENTERCARET);
    EXPECT_EQ(ed->panes[0].scrollY, 0);

    const LRESULT line80 = Send(EM_LINEINDEX, 80);
    Send(EM_SETSEL, line80, line80);
    Send(EMX_CENTERCARET);
    const int32_t half = (ed->panes[0].textRect.bottom / 2) / Lh() * Lh();
    EXPECT_EQ(ed->panes[0].scrollY, 80 * Lh() - half);
}

TEST_F(ViewMessagesTest, ScrollCaretBringsTheCaretsRowIntoView) {
    SetLines(100);
    const LRESULT line80 = Send(EM_LINEINDEX, 80);
    Send(EM_SETSEL, line80, line80);
    Send(EM_LINEFROMCHAR, 0);  // leave the last lookup elsewhere
    Send(EM_SCROLLCARET);
    const int32_t rows = ed->panes[0].textRect.bottom / Lh();
    // The caret's row becomes the last whole row.
    EXPECT_EQ(ed->panes[0].scrollY, (81 - rows) * Lh());
    Send(EM_SETSEL, 0, 0);
    Send(EM_SCROLLCARET);
    EXPECT_EQ(ed->panes[0].scrollY, 0);
}

TEST_F(ViewMessagesTest, PositionsAndPointsWithTabsAndMidpoints) {
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("a\tbc\r\nxyz"));
    const int32_t cw = static_cast<int32_t>(ed->charWidth);
    const int32_t tab = static_cast<int32_t>(ed->tabPixelWidth);
    const int32_t left = 10 + 1;  // the marker margin and one pixel
    POINTL p = {};
    Send(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), 0);
    EXPECT_EQ(p.x, left);
    EXPECT_EQ(p.y, 0);
    Send(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), 2);  // b, after the tab stop
    EXPECT_EQ(p.x, left + tab);
    Send(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), 6);  // y on the second line
    EXPECT_EQ(p.x, left + cw);
    EXPECT_EQ(p.y, Lh());

    auto at = [&](int32_t x, int32_t y) {
        POINTL q = {x, y};
        return Send(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&q));
    };
    // b spans [left + tab, left + tab + cw); its midpoint belongs to the next column.
    const int32_t bMid = left + tab + cw - cw / 2;
    EXPECT_EQ(at(bMid - 1, 2), 2);
    EXPECT_EQ(at(bMid, 2), 3);
    // Inside the tab: its own column left of its midpoint, the next one right of it.
    const int32_t tabMid = left + tab - (tab - cw) / 2;
    EXPECT_EQ(at(tabMid - 1, 2), 1);
    EXPECT_EQ(at(tabMid, 2), 2);
    EXPECT_EQ(at(left + 1, Lh() + 3), 5);  // second line, first column
    EXPECT_EQ(at(5000, 2), 5);             // past the end of the line: its length (caller steps back)
    EXPECT_EQ(at(left + cw + 1, 5000), 6);  // below the last row: the last line
}

TEST_F(ViewMessagesTest, TheVerticalBarScrollsAndTellsTheParent) {
    SetLines(100);
    host->notifications.clear();
    VScroll(Upper(), SB_LINEDOWN);
    EXPECT_EQ(ed->panes[0].scrollY, Lh());
    ASSERT_FALSE(host->notifications.empty());
    const auto& n = host->notifications.back();
    EXPECT_EQ(n.record.reason, 44);
    EXPECT_EQ(n.wParam, 0u);
    EXPECT_EQ(n.record.line, 1u);
    EXPECT_EQ(n.record.nmhdr.hwndFrom, control);

    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo((HWND)ed->panes[0].hwndVScroll, SB_CTL, &info);
    VScroll(Upper(), SB_PAGEDOWN);
    EXPECT_EQ(ed->panes[0].scrollY, Lh() + static_cast<int32_t>(info.nPage));
    VScroll(Upper(), SB_PAGEUP);
    VScroll(Upper(), SB_PAGEUP);
    EXPECT_EQ(ed->panes[0].scrollY, 0);

    // At the top a line up changes nothing and tells nobody.
    host->notifications.clear();
    VScroll(Upper(), SB_LINEUP);
    EXPECT_EQ(ed->panes[0].scrollY, 0);
    EXPECT_TRUE(host->notifications.empty());

    // A line up from an offset between rows first snaps to the row.
    ed->panes[0].scrollY = 3 * Lh() + 2;
    VScroll(Upper(), SB_LINEUP);
    EXPECT_EQ(ed->panes[0].scrollY, 2 * Lh());

    // To the bottom, where a line down does nothing.
    for (int i = 0; i < 20; ++i) VScroll(Upper(), SB_PAGEDOWN);
    const int32_t bottom = ed->panes[0].scrollY;
    GetScrollInfo((HWND)ed->panes[0].hwndVScroll, SB_CTL, &info);
    EXPECT_EQ(bottom, info.nMax - static_cast<int32_t>(info.nPage));
    VScroll(Upper(), SB_LINEDOWN);
    EXPECT_EQ(ed->panes[0].scrollY, bottom);
    VScroll(Upper(), SB_ENDSCROLL);
}

TEST_F(ViewMessagesTest, ThePaneAnswersItsOwnLineQueries) {
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ab\r\ncd\r\nef"));
    EXPECT_EQ(SendMessageA(Upper(), EM_LINEINDEX, 2, 0), 6);
    EXPECT_EQ(SendMessageA(Upper(), EM_EXLINEFROMCHAR, 0, 4), 1);
    EXPECT_EQ(SendMessageA(Upper(), EM_LINEINDEX, static_cast<WPARAM>(-1), 0), 3);  // the line just looked up
}

TEST_F(ViewMessagesTest, FocusMakesTheActivePaneAndTheCaret) {
    Send(EMX_TOGGLESPLIT);
    SetFocus(Lower());
    EXPECT_EQ(ed->hwndActivePane, Lower());
    EXPECT_EQ(ed->caretHidden, 0u);
    POINT caret = {};
    GetCaretPos(&caret);
    EXPECT_EQ(caret.x, 11);
    SetFocus(host->hwnd());
    EXPECT_EQ(ed->caretHidden, 1u);
    EXPECT_EQ(ed->hwndActivePane, Lower());  // the pane that last had the focus
    SetFocus(control);
    EXPECT_EQ(GetFocus(), Lower());
}

TEST_F(ViewMessagesTest, EachPaneOfAnOpenSplitKeepsItsOwnTextRect) {
    SetLines(100);
    Send(EMX_TOGGLESPLIT);
    UpdateWindow(Upper());
    UpdateWindow(Lower());
    RECT upper = {};
    GetClientRect(Upper(), &upper);
    EXPECT_EQ(ed->panes[0].textRect.bottom, upper.bottom);
    EXPECT_LT(ed->panes[0].textRect.bottom, 300);
    // Typing-like changes measure the longest line again: the upper pane still
    // knows its own height.
    Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("x"));
    EXPECT_EQ(ed->panes[0].textRect.bottom, upper.bottom);
}

TEST_F(ViewMessagesTest, SubclassedPanesSeeInputFirst) {
    static WNDPROC previous = nullptr;
    static int seen = 0;
    struct Hook {
        static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
            if (msg == WM_KEYDOWN) ++seen;
            return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
        }
    };
    seen = 0;
    previous = reinterpret_cast<WNDPROC>(Send(EMX_SUBCLASSPANES, 0, reinterpret_cast<LPARAM>(&Hook::Proc)));
    ASSERT_NE(previous, nullptr);
    SendMessageA(Upper(), WM_KEYDOWN, VK_F5, 0);
    SendMessageA(Lower(), WM_KEYDOWN, VK_F5, 0);
    Send(WM_KEYDOWN, VK_F5, 0);  // sent on to the active pane
    EXPECT_EQ(seen, 3);
}

}  // namespace
}  // namespace qvtest
