// The nine children's places, the split view and its drag, the scroll bars.
#include <string>

#include "base/EditorInstance.h"
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
