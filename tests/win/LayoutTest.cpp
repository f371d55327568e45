// The nine children's places, the split view and its drag, the scroll bars.
#include <richedit.h>

#include <cstring>
#include <functional>
#include <string>

#include "base/EditorInstance.h"
#include "win/support/Keys.h"
#include "win/support/TestHost.h"

using qv::EditorInstance;

namespace qvtest {
namespace {

class LayoutTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        ASSERT_TRUE(MakeControl(400, 300));
        ed = reinterpret_cast<EditorInstance*>(GetWindowLongPtrA(control, 0));
    }
    // A child's rectangle in the control's client coordinates.
    RECT Place(qv::WindowRef child) {
        RECT r = {};
        GetWindowRect((HWND)child, &r);
        MapWindowPoints(nullptr, control, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    static bool Empty(const RECT& r) { return r.right == r.left && r.bottom == r.top; }
    void SetFont(const char* face) {
        font = CreateFontA(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, face);
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font));
    }
    void TearDown() override {
        ControlTest::TearDown();
        if (font) DeleteObject(font);
    }
    EditorInstance* ed = nullptr;
    HFONT font = nullptr;
};

#define EXPECT_RECT(r, l, t, rr, b)       \
    do {                                  \
        EXPECT_EQ((r).left, l) << #r;     \
        EXPECT_EQ((r).top, t) << #r;      \
        EXPECT_EQ((r).right, rr) << #r;   \
        EXPECT_EQ((r).bottom, b) << #r;   \
    } while (0)

TEST_F(LayoutTest, AClosedSplitGivesTheUpperPaneEverything) {
    EXPECT_RECT(Place(ed->panes[0].hwnd), 0, 0, 400, 300);
    EXPECT_TRUE(Empty(Place(ed->hwndSplitBar)));
    EXPECT_TRUE(Empty(Place(ed->panes[1].hwnd)));
    for (const qv::ViewPane& pane : ed->panes) {
        EXPECT_TRUE(Empty(Place(pane.hwndHScroll)));
        EXPECT_TRUE(Empty(Place(pane.hwndCorner)));
    }
    EXPECT_EQ(ed->clientRect.right, 400);
    EXPECT_EQ(ed->clientRect.bottom, 300);
}

TEST_F(LayoutTest, OpeningTheSplitDividesTheHeight) {
    Send(EMX_TOGGLESPLIT);
    EXPECT_EQ(ed->splitOpen, 1u);
    EXPECT_EQ(Send(EMX_GETSPLIT), 0x206);
    EXPECT_EQ(ed->upperPaneHeight, 148u);
    EXPECT_RECT(Place(ed->panes[0].hwnd), 0, 0, 400, 148);
    EXPECT_RECT(Place(ed->hwndSplitBar), 0, 148, 400, 152);
    // Without its vertical bar the lower pane reaches 16 pixels past the client area.
    EXPECT_RECT(Place(ed->panes[1].hwnd), 0, 152, 416, 300);
    EXPECT_EQ(GetFocus(), (HWND)ed->panes[0].hwnd);

    Send(EMX_TOGGLESPLIT);
    EXPECT_EQ(ed->splitOpen, 0u);
    EXPECT_EQ(Send(EMX_GETSPLIT), 0);
    EXPECT_TRUE(Empty(Place(ed->panes[1].hwnd)));
    EXPECT_EQ(ed->hwndActivePane, ed->panes[0].hwnd);
}

TEST_F(LayoutTest, DraggingTheSplitBarStoresTheRatio) {
    Send(EMX_TOGGLESPLIT);
    HWND bar = (HWND)ed->hwndSplitBar;
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 1));
    EXPECT_EQ(ed->splitDragState, 1u);
    EXPECT_EQ(GetCapture(), control);
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 150));  // arms the drag only
    EXPECT_EQ(ed->splitDragState, 2u);
    EXPECT_EQ(ed->splitRatio, 0x206u);
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 102));
    EXPECT_EQ(ed->splitRatio, 768u);
    EXPECT_EQ(ed->upperPaneHeight, 100u);
    EXPECT_RECT(Place(ed->panes[0].hwnd), 0, 0, 400, 100);
    EXPECT_RECT(Place(ed->hwndSplitBar), 0, 100, 400, 104);
    Send(WM_LBUTTONUP, 0, MAKELPARAM(5, 102));
    EXPECT_EQ(ed->splitDragState, 0u);
    EXPECT_NE(GetCapture(), control);

    // To the very top: the split stays open with an upper pane of no height.
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 1));
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 50));
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 2));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(5, 2));
    EXPECT_EQ(ed->splitRatio, 0u);
    EXPECT_EQ(ed->splitOpen, 1u);
    EXPECT_EQ(ed->upperPaneHeight, 0u);
}

TEST_F(LayoutTest, ADoubleClickOnTheBarTogglesTheSplit) {
    HWND bar = (HWND)ed->hwndSplitBar;
    Send(EMX_TOGGLESPLIT);
    SetFocus((HWND)ed->panes[1].hwnd);
    SendMessageA(bar, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 1));
    EXPECT_EQ(ed->splitOpen, 0u);
    EXPECT_EQ(ed->splitRatio, 0u);
    EXPECT_EQ(GetFocus(), (HWND)ed->panes[0].hwnd);
    EXPECT_TRUE(Empty(Place(ed->panes[1].hwnd)));
    SendMessageA(bar, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 1));
    EXPECT_EQ(ed->splitOpen, 1u);
    EXPECT_EQ(ed->splitRatio, 0x206u);
}

TEST_F(LayoutTest, SplitRatiosKeepTheirNineBitsAndThePanesStayInside) {
    Send(EMX_TOGGLESPLIT);
    Send(EMX_SETSPLIT, 0x306);
    EXPECT_EQ(Send(EMX_GETSPLIT), 0x106);
    EXPECT_EQ(ed->splitOpen, 1u);
    // A ratio below 256 would put the split below the control: the upper pane
    // stops at the client height and nothing gets a negative size.
    Send(EMX_SETSPLIT, 100);
    EXPECT_EQ(ed->upperPaneHeight, 300u);
    RECT lower = Place(ed->panes[1].hwnd);
    EXPECT_GE(lower.bottom, lower.top);
    EXPECT_LE(Place(ed->panes[0].hwnd).bottom, 300);
}

TEST_F(LayoutTest, FontsAreMeasured) {
    EXPECT_EQ(ed->charWidth, 0u);
    EXPECT_EQ(ed->lineHeight, 15u);
    SetFont("DejaVu Sans Mono");
    EXPECT_EQ(ed->fixedPitch, 1u);
    EXPECT_GT(ed->charWidth, 5u);
    EXPECT_GT(ed->lineHeight, 12u);
    EXPECT_EQ(ed->spaceWidth, ed->charWidth);
    EXPECT_EQ(ed->tabPixelWidth, 3 * ed->charWidth);
    EXPECT_EQ(ed->altFontsEnabled, 1u);
    EXPECT_EQ(ed->visibleColumns, (400u - 10u) / ed->charWidth);
    DeleteObject(font);
    font = nullptr;
    SetFont("DejaVu Sans");
    EXPECT_EQ(ed->fixedPitch, 0u);
}

TEST_F(LayoutTest, TheVerticalBarCoversTheDocument) {
    SetFont("DejaVu Sans Mono");
    std::string text;
    for (int i = 0; i < 100; ++i) text += "line " + std::to_string(i) + "\r\n";
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    UpdateWindow((HWND)ed->panes[0].hwnd);
    const uint32_t lh = ed->lineHeight;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo((HWND)ed->panes[0].hwndVScroll, SB_CTL, &info);
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, static_cast<int>(101 * lh));  // 100 lines and the empty last one
    EXPECT_EQ(info.nPage, 300 - 300 % lh);
    EXPECT_EQ(ed->panes[0].vScrollShown, 1u);
    EXPECT_EQ(ed->panes[0].textRect.right, 400 - 16);
    RECT bar = Place(ed->panes[0].hwndVScroll);
    EXPECT_RECT(bar, 384, 0, 400, 300);
}

TEST_F(LayoutTest, ALongLineShowsTheHorizontalBars) {
    SetFont("DejaVu Sans Mono");
    std::string text(200, 'x');
    text += "\r\nshort\r\n";
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Send(WM_SIZE);
    UpdateWindow((HWND)ed->panes[0].hwnd);
    EXPECT_EQ(ed->panes[0].hScrollShown, 1u);
    RECT hbar = Place(ed->panes[0].hwndHScroll);
    EXPECT_EQ(hbar.top, 300 - 16);
    EXPECT_EQ(hbar.bottom, 300);
    EXPECT_EQ(Place(ed->panes[0].hwnd).bottom, 300 - 16);
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo((HWND)ed->panes[0].hwndHScroll, SB_CTL, &info);
    EXPECT_EQ(info.nMax, static_cast<int>(ed->charWidth * 201 + 10));  // 200 x and the CR, and the margin

    // Scrolling it: a line right, then a page left back to 0.
    Send(WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(ed->panes[0].hwndHScroll));
    EXPECT_EQ(ed->panes[0].scrollX, static_cast<int>(ed->charWidth));
    EXPECT_EQ(ed->panes[1].scrollX, ed->panes[0].scrollX);
    Send(WM_HSCROLL, SB_PAGELEFT, reinterpret_cast<LPARAM>(ed->panes[0].hwndHScroll));
    EXPECT_EQ(ed->panes[0].scrollX, 0);
    Send(WM_HSCROLL, SB_LINELEFT, reinterpret_cast<LPARAM>(ed->panes[0].hwndHScroll));
    EXPECT_EQ(ed->panes[0].scrollX, 0);
}

TEST_F(LayoutTest, ShortDocumentsNeedNoHorizontalBar) {
    SetFont("DejaVu Sans Mono");
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abcd"));
    Send(WM_SIZE);
    EXPECT_EQ(ed->panes[0].hScrollShown, 0u);
    EXPECT_RECT(Place(ed->panes[0].hwnd), 0, 0, 400, 300);
}

TEST_F(LayoutTest, LineNumbersWidenTheMargin) {
    EXPECT_EQ(Send(EMX_GETLINENUMBERS), 0);
    Send(EMX_SETLINENUMBERWIDTH, 50);
    EXPECT_EQ(ed->lineNumberWidth, 0u);  // hidden: nothing changes yet
    Send(EMX_TOGGLELINENUMBERS);
    EXPECT_EQ(Send(EMX_GETLINENUMBERS), 1);
    EXPECT_EQ(ed->lineNumberWidth, 50u);
    Send(EMX_TOGGLELINENUMBERS);
    EXPECT_EQ(ed->lineNumberWidth, 0u);
    // The same through WM_COMMAND.
    Send(WM_COMMAND, EMX_TOGGLELINENUMBERS);
    EXPECT_EQ(ed->lineNumberWidth, 50u);
}

// Lines "x" joined by CR LF.
std::string Lines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += i ? "\r\nx" : "x";
    return text;
}

DWORD CALLBACK StreamTwelveLines(DWORD_PTR, LPBYTE buffer, LONG size, LONG* done) {
    static const std::string text = Lines(12) + "\r\n";
    static size_t at = 0;
    const size_t n = at < text.size() ? (text.size() - at < static_cast<size_t>(size) ? text.size() - at : size) : 0;
    memcpy(buffer, text.data() + at, n);
    at = n ? at + n : 0;
    *done = static_cast<LONG>(n);
    return 0;
}

// The line-number margin holds the widest number of the document in the numbers'
// font, 3 pixels free on its left and 4 on its right, and never less than the
// host's width: it follows the line count across powers of ten (typing, undo,
// loads, streams), the padding, the fonts and the host's width. The caret, a
// click and the horizontal page follow the text's new left edge.
TEST_F(LayoutTest, TheNumberMarginHoldsTheWidestNumber) {
    SetFont("DejaVu Sans Mono");
    HFONT small = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "DejaVu Sans Mono");
    HFONT big = CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "DejaVu Sans Mono");
    auto DigitWidth = [&](HFONT f) {
        HDC dc = GetDC(control);
        HGDIOBJ old = SelectObject(dc, f);
        SIZE size = {};
        GetTextExtentPoint32A(dc, "0", 1, &size);
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        return static_cast<uint32_t>(size.cx);
    };
    auto UseNumbersFont = [&](HFONT f) {
        FontSet fonts = {{font, nullptr, nullptr, nullptr, nullptr, f}};
        Send(EMX_SETFONTS, 0, reinterpret_cast<LPARAM>(&fonts));
    };
    const uint32_t d = DigitWidth(small);
    ASSERT_GT(d, 3u);
    ASSERT_GT(DigitWidth(big), d);
    UseNumbersFont(small);
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Lines(9).c_str()));
    Send(EMX_TOGGLEPADLINENUMBERS);  // plain numbers
    Send(EMX_TOGGLELINENUMBERS);
    HWND pane = (HWND)ed->panes[0].hwnd;
    SetFocus(pane);
    const std::string big100k = Lines(100001);
    EDITSTREAM stream = {0, 0, StreamTwelveLines};

    struct Step {
        const char* what;
        std::function<void()> act;
        uint32_t width;
    } steps[] = {
        {"one digit in the host's 37", [] {}, 37},
        {"the host's width 0: the digit's own", [&] { Send(EMX_SETLINENUMBERWIDTH, 0); }, d + 7},
        {"Enter: line 10", [&] { Send(EM_SETSEL, -1, -1), SendMessageA(pane, WM_CHAR, '\r', 1); }, 2 * d + 7},
        {"Backspace: 9 lines", [&] { SendMessageA(pane, WM_CHAR, '\b', 1); }, d + 7},
        {"undo: 10 lines", [&] { Send(EM_UNDO); }, 2 * d + 7},
        {"100,001 lines", [&] { Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(big100k.c_str())); }, 6 * d + 7},
        {"all but 3 lines deleted", [&] { Send(EM_SETSEL, 5, -1), Send(EM_REPLACESEL, 1, (LPARAM) ""); }, d + 7},
        {"12 lines streamed in", [&] { Send(EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream)); }, 2 * d + 7},
        {"padded to six digits", [&] { Send(EMX_TOGGLEPADLINENUMBERS); }, 6 * d + 7},
        {"plain again", [&] { Send(EMX_TOGGLEPADLINENUMBERS); }, 2 * d + 7},
        {"a larger font", [&] { UseNumbersFont(big); }, 2 * DigitWidth(big) + 7},
        {"the host's 200", [&] { Send(EMX_SETLINENUMBERWIDTH, 200); }, 200},
        {"hidden", [&] { Send(EMX_TOGGLELINENUMBERS); }, 0},
        {"shown, the host's 20", [&] { Send(EMX_SETLINENUMBERWIDTH, 20), Send(EMX_TOGGLELINENUMBERS); }, 2 * DigitWidth(big) + 7},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(ed->lineNumberWidth, step.width);
        EXPECT_EQ(Send(EMX_GETLINENUMBERS), step.width != 0);
        // The caret stands where its character is drawn, and a click there lands on it.
        DWORD start = 0, end = 0;
        Send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        POINTL at = {};
        Send(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), end);
        EXPECT_GE(at.x, static_cast<LONG>(step.width + 10));
        POINT caret = {};
        GetCaretPos(&caret);
        EXPECT_EQ(caret.x, at.x);
        const LPARAM hit = MAKELPARAM(at.x + 1, at.y + 2 - ed->panes[0].scrollY);
        Send(EM_SETSEL, 0, 0);
        SendMessageA(pane, WM_LBUTTONDOWN, MK_LBUTTON, hit);
        SendMessageA(pane, WM_LBUTTONUP, 0, hit);
        Send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        EXPECT_EQ(start, end);
        // The columns the text area shows, which set the horizontal range, are those
        // right of both margins.
        EXPECT_EQ(ed->visibleColumns, (400u - 10 - step.width - (ed->panes[0].vScrollShown ? 16 : 0)) / ed->charWidth);
    }
    // A vertical move aims at the column the caret stood on before the margin changed.
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abcdefgh\r\nabcdefgh"));
    Send(EMX_TOGGLELINENUMBERS);
    ASSERT_EQ(ed->lineNumberWidth, 0u);
    for (int i = 0; i < 6; ++i) KeyDown(pane, VK_RIGHT);
    Send(EMX_TOGGLELINENUMBERS);
    KeyDown(pane, VK_DOWN);
    DWORD caret = 0;
    Send(EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    EXPECT_EQ(caret, 9u + 6u);
    UseNumbersFont(nullptr);
    DeleteObject(small);
    DeleteObject(big);
}

TEST_F(LayoutTest, RectOfTheActivePaneInControlCoordinates) {
    RECT r = {};
    Send(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    EXPECT_RECT(r, 0, 0, 400, 300);
    Send(EMX_TOGGLESPLIT);
    SetFocus((HWND)ed->panes[1].hwnd);
    UpdateWindow((HWND)ed->panes[1].hwnd);
    Send(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.top, 152);
    EXPECT_EQ(r.bottom, 152 + ed->panes[1].textRect.bottom);
}

}  // namespace
}  // namespace qvtest
