// The mouse in the real panes: clicks, Shift+clicks, double clicks, margin lines,
// drags past every edge with a fixed and a proportional font, the split view, the
// pointer's shapes, the right button and the wheel.
//
// Presses, moves and releases are sent to the pane as the system would send them.
// Where a gesture reads the live button and pointer (the automatic scrolling), the
// test holds the real button down with SendInput (into the parent's capture, so no
// window under the pointer takes the press) and puts the pane under the real
// pointer by moving the windows; the real release then reaches the pane, which
// holds the capture, as a user's would.
#include <richedit.h>
#include <windows.h>
// windows.h first
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "base/EditorInstance.h"
#include "win/support/Keys.h"
#include "win/support/TestHost.h"

using qv::EditorInstance;

namespace qvtest {
namespace {

// Counts the menus the thread opens, and closes each with an Escape (a menu's loop
// would otherwise wait for a user).
int gMenusOpened = 0;
LRESULT CALLBACK CloseOpenedMenu(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_ENTERMENULOOP) {
        ++gMenusOpened;
        PostMessageA(sent->hwnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A parent that records the notifications and the requests for its context menu,
// and may act inside the notifications.
class Parent {
public:
    Parent() {
        static bool registered = false;
        if (!registered) {
            WNDCLASSEXA wc = {};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = &Parent::Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);  // a class cursor, as most hosts have
            wc.lpszClassName = "QuorvaneMouseParent";
            registered = RegisterClassExA(&wc) != 0;
        }
        hwnd = CreateWindowExA(0, "QuorvaneMouseParent", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               700, 500, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetForegroundWindow(hwnd);
    }
    ~Parent() { DestroyWindow(hwnd); }

    HWND hwnd = nullptr;
    std::vector<SelChangeEx> notes;
    std::function<void(const SelChangeEx&)> during;
    struct ContextMenu {
        HWND window;   // wParam: the window clicked
        LPARAM point;  // lParam: the screen point, -1 from the keyboard
    };
    std::vector<ContextMenu> contextMenus;

    std::vector<SelChangeEx> Reason(WORD reason) const {
        std::vector<SelChangeEx> out;
        for (const SelChangeEx& n : notes)
            if (n.reason == reason) out.push_back(n);
        return out;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Parent*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (msg == WM_NOTIFY && self && reinterpret_cast<const NMHDR*>(lParam)->code == QVN_SELCHANGE) {
            SelChangeEx record;
            std::memcpy(&record, reinterpret_cast<const void*>(lParam), sizeof record);
            self->notes.push_back(record);
            if (self->during) self->during(record);
            return 0;
        }
        if (msg == WM_CONTEXTMENU && self) {
            self->contextMenus.push_back({reinterpret_cast<HWND>(wParam), lParam});
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
};

// The real pointer stays at one place for the whole program: a test moves its
// windows under it instead. (Under Wine's virtual desktop every move of the pointer
// comes back once more, later, from the display, and such a late echo of an older
// position would move the pointer back in the middle of a gesture.)
const POINT kPointer = {640, 512};

void ParkPointer() {
    static bool parked = false;
    for (int attempt = 0; attempt < 10 && !parked; ++attempt) {
        SetCursorPos(kPointer.x, kPointer.y);
        PumpQuietFor(300);
        POINT now = {};
        GetCursorPos(&now);
        parked = now.x == kPointer.x && now.y == kPointer.y;
    }
}

void SendButton(DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

// The marker callback of the left-walk test releases the button after some paints.
int gPaintsBeforeRelease = -1;
DWORD CALLBACK ReleasingMarkerCallback(HWND, DWORD) {
    if (gPaintsBeforeRelease > 0 && --gPaintsBeforeRelease == 0) SendButton(MOUSEEVENTF_LEFTUP);
    return 0;
}

// Counts the double clicks that reach the control window.
int gDoubleClicks = 0;
WNDPROC gControlProc = nullptr;
LRESULT CALLBACK CountingControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_LBUTTONDBLCLK) ++gDoubleClicks;
    return CallWindowProcA(gControlProc, hwnd, msg, wParam, lParam);
}

struct FontCase {
    const char* face;
    bool fixed;
};

class MouseTest : public ::testing::Test {
protected:
    void SetUp() override { Make(400, 300, 0); }
    void TearDown() override {
        if (GetAsyncKeyState(VK_LBUTTON) & 0x8000) SendButton(MOUSEEVENTF_LEFTUP);
        gPaintsBeforeRelease = -1;
        if (control) SendMessageA(control, EMX_SETMARKERCALLBACK, 0, 0);
        SendMessageA(control, EMX_SETWHEELMODE, 0, 0);
        PumpMessages();
        if (control && IsWindow(control)) DestroyWindow(control);
        delete parent;
        for (HFONT f : fonts) DeleteObject(f);
        PumpMessages();
    }

    void Make(int width, int height, DWORD style, const char* face = "DejaVu Sans Mono") {
        ASSERT_NE(LoadQuorvane(), nullptr);
        parent = new Parent;
        control =
            CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD | WS_VISIBLE | style, 0, 0, width, height,
                            parent->hwnd, reinterpret_cast<HMENU>(7), GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(control, nullptr);
        ed = reinterpret_cast<EditorInstance*>(GetWindowLongPtrA(control, 0));
        SetFont(face);
        SendMessageA(control, EMX_SETSCROLLDELAY, 0, 2000);
    }
    void SetFont(const char* face) {
        HFONT f = CreateFontA(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                              face);
        fonts.push_back(f);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(f), 0);
    }
    void SetText(const std::string& text) {
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        UpdateWindow(Upper());
        PumpMessages();
        parent->notes.clear();
    }
    static std::string Lines(int n, const std::string& body = "line") {
        std::string text;
        for (int i = 0; i < n; ++i) text += body + " " + std::to_string(i) + "\r\n";
        return text;
    }

    HWND Upper() const { return static_cast<HWND>(ed->panes[0].hwnd); }
    HWND Lower() const { return static_cast<HWND>(ed->panes[1].hwnd); }
    const qv::ViewPane& Pane(HWND pane) const { return pane == Upper() ? ed->panes[0] : ed->panes[1]; }
    int Lh() const { return static_cast<int>(ed->lineHeight); }
    int TextLeft() const { return static_cast<int>(ed->selMarginWidth + ed->lineNumberWidth); }
    LONG LineStart(int line) { return static_cast<LONG>(SendMessageA(control, EM_LINEINDEX, line, 0)); }
    // Pane x of the left edge of the character at `index` (plus one pixel), and
    // pane y in the middle of `line`'s row.
    int XOf(LONG index) {
        POINTL p = {};
        SendMessageA(control, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), index);
        return p.x - (ed->panes[0].scrollX > 0 ? ed->panes[0].scrollX : 0) + 1;
    }
    int YOf(HWND pane, int line) const { return line * Lh() + Lh() / 2 - Pane(pane).scrollY; }
    int X(int line, int column) { return XOf(LineStart(line) + column); }

    LRESULT Mouse(HWND pane, UINT msg, WPARAM keys, int x, int y) {
        return SendMessageA(pane, msg, keys, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }
    void Click(HWND pane, int x, int y, WPARAM keys = 0) {
        Mouse(pane, WM_LBUTTONDOWN, MK_LBUTTON | keys, x, y);
        Mouse(pane, WM_LBUTTONUP, keys, x, y);
    }
    void Drag(HWND pane, int x0, int y0, int x1, int y1) {
        Mouse(pane, WM_LBUTTONDOWN, MK_LBUTTON, x0, y0);
        Mouse(pane, WM_MOUSEMOVE, MK_LBUTTON, x1, y1);
        Mouse(pane, WM_LBUTTONUP, 0, x1, y1);
    }

    // Puts the point (x, y) of `pane` under the real pointer, by moving the parent
    // window; the moves this makes are handled.
    void PointerTo(HWND pane, int x, int y) {
        ParkPointer();
        POINT p = {x, y};
        ClientToScreen(pane, &p);
        RECT frame = {};
        GetWindowRect(parent->hwnd, &frame);
        SetWindowPos(parent->hwnd, nullptr, frame.left + kPointer.x - p.x, frame.top + kPointer.y - p.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        PumpUntilQuiet();
    }
    // A drag with the real button held, towards a pointer that stays at (tx, ty):
    // the pointer goes there first, the button goes down into the parent's capture
    // (so that no window under the pointer takes the press), then the pane gets the
    // press at (px, py) and a move to the pointer. The automatic scrolling reads the
    // real button and pointer; what it posts itself is handled before this returns.
    void HeldDrag(HWND pane, int px, int py, int tx, int ty) {
        PointerTo(pane, tx, ty);
        SetCapture(parent->hwnd);
        SendButton(MOUSEEVENTF_LEFTDOWN);
        PumpUntilQuiet();
        ASSERT_TRUE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
        Mouse(pane, WM_LBUTTONDOWN, MK_LBUTTON, px, py);
        ASSERT_EQ(GetCapture(), pane);
        Mouse(pane, WM_MOUSEMOVE, MK_LBUTTON, tx, ty);
        PumpUntilQuiet();
    }
    // The real button released: the pane holding the capture gets the release.
    void ReleaseButton() {
        SendButton(MOUSEEVENTF_LEFTUP);
        PumpUntilQuiet();
    }
    // Handles messages until none came for 60 ms (the system sends the moves of a
    // pointer moved by the test with some delay).
    static void PumpUntilQuiet() { PumpQuietFor(60); }

    std::pair<DWORD, DWORD> Sel() {
        DWORD a = 0, b = 0;
        SendMessageA(control, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
        return {a, b};
    }
    std::string Text() {
        std::vector<char> buffer(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0) + 2);
        const LRESULT n =
            SendMessageA(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
        return std::string(buffer.data(), n);
    }
    // The end of the text the host sees (the closing CR's index): WM_GETTEXT never
    // hands out the closing CR.
    LONG TextEnd() { return static_cast<LONG>(Text().size()); }
    void ExpectCaretInsideText() {
        const LONG end = TextEnd();
        EXPECT_LE(static_cast<LONG>(ed->caretPos), end);
        EXPECT_LE(static_cast<LONG>(ed->selAnchor), end);
    }

    Parent* parent = nullptr;
    HWND control = nullptr;
    EditorInstance* ed = nullptr;
    std::vector<HFONT> fonts;
};

// ---- Clicks --------------------------------------------------------------------------

TEST_F(MouseTest, ClicksPlaceTheCaretAndShiftExtends) {
    SetText("first line\r\nab\r\n\r\nlast");  // starts 0, 11, 14, 15; the closing CR at 19
    struct Case {
        int line, column;  // column -1: far past the line's end
        WPARAM keys;
        DWORD anchor, caret;
    } cases[] = {
        {0, 3, 0, 3, 3},          {0, -1, 0, 10, 10},  // past the end: before the CR
        {1, 1, 0, 12, 12},        {2, -1, 0, 14, 14},
        {3, -1, 0, 19, 19},       {0, 2, MK_SHIFT, 19, 2},  // Shift keeps the anchor
        {1, 0, MK_SHIFT, 19, 11},
    };
    for (const Case& c : cases) {
        parent->notes.clear();
        const int x = c.column < 0 ? 380 : X(c.line, c.column);
        Click(Upper(), x, YOf(Upper(), c.line), c.keys);
        EXPECT_EQ(ed->selAnchor, c.anchor) << c.line << ":" << c.column;
        EXPECT_EQ(ed->caretPos, c.caret) << c.line << ":" << c.column;
        ASSERT_EQ(parent->Reason(QV_REASON_CHANGE).size(), 1u);
        EXPECT_EQ(static_cast<DWORD>(parent->notes[0].caret), c.caret);
        EXPECT_EQ(ed->mouseSelStart, c.anchor == c.caret ? 0 : std::min(c.anchor, c.caret));
        EXPECT_EQ(ed->mouseSelEnd, c.anchor == c.caret ? 0 : std::max(c.anchor, c.caret));
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_EQ(GetFocus(), Upper());
    }
}

// The mouse and the keys move the same end, the caret: a selection made with
// Shift and the arrows is extended by a Shift+click from where it began, and one
// made by a drag is shrunk by Shift+Left from the end the drag left.
TEST_F(MouseTest, ShiftClickAndShiftKeysMoveTheSameEnd) {
    SetText(Lines(10));
    Click(Upper(), X(0, 2), YOf(Upper(), 0));
    for (int i = 0; i < 3; ++i) KeyDown(control, VK_RIGHT, false, true);
    EXPECT_EQ(ed->selAnchor, 2u);
    EXPECT_EQ(ed->caretPos, 5u);
    parent->notes.clear();
    Click(Upper(), X(1, 1), YOf(Upper(), 1), MK_SHIFT);
    EXPECT_EQ(ed->selAnchor, 2u);
    EXPECT_EQ(ed->caretPos, static_cast<DWORD>(LineStart(1) + 1));
    ASSERT_FALSE(parent->notes.empty());
    EXPECT_EQ(parent->notes.back().anchor, 2);
    KeyDown(control, VK_UP, false, true);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(1), DWORD(2)));  // back over the start

    Drag(Upper(), X(1, 1), YOf(Upper(), 1), X(3, 2), YOf(Upper(), 3));
    KeyDown(control, VK_LEFT, false, true);
    EXPECT_EQ(ed->selAnchor, static_cast<DWORD>(LineStart(1) + 1));
    EXPECT_EQ(ed->caretPos, static_cast<DWORD>(LineStart(3) + 1));
}

TEST_F(MouseTest, ADoubleClickSelectsAWordOrIsHandedToTheControl) {
    SetText("mov  eax, ?x_9@ \xE9t\r\nnext");
    const int y = YOf(Upper(), 0);
    auto doubleClick = [&](int column) {
        const int x = X(0, column);
        Click(Upper(), x, y);
        Mouse(Upper(), WM_LBUTTONDBLCLK, MK_LBUTTON, x, y);
        Mouse(Upper(), WM_LBUTTONUP, 0, x, y);
    };
    doubleClick(6);
    EXPECT_EQ(Sel(), std::make_pair(DWORD{5}, DWORD{8}));
    EXPECT_EQ(ed->mouseSelStart, 5u);
    EXPECT_EQ(ed->mouseSelEnd, 8u);
    doubleClick(12);
    EXPECT_EQ(Sel(), std::make_pair(DWORD{10}, DWORD{15}));
    doubleClick(4);  // between two spaces: nothing, the caret stays
    EXPECT_EQ(Sel(), std::make_pair(DWORD{4}, DWORD{4}));
    doubleClick(17);  // 0xE9 ends a word
    EXPECT_EQ(Sel(), std::make_pair(DWORD{17}, DWORD{18}));

    // With style bit 0x80 the control window gets the double click instead.
    gDoubleClicks = 0;
    gControlProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingControlProc)));
    SetWindowLongA(control, GWL_STYLE, GetWindowLongA(control, GWL_STYLE) | 0x80);
    doubleClick(6);
    EXPECT_EQ(gDoubleClicks, 1);
    EXPECT_EQ(Sel(), std::make_pair(DWORD{6}, DWORD{6}));
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gControlProc));
}

// A right click is the host's: the pane's release reaches the parent as
// WM_CONTEXTMENU with the pane's handle and the screen point (Shift+F10 with -1 for
// the point), and the control opens no menu of its own.
TEST_F(MouseTest, ARightClickAsksTheParentForItsMenu) {
    SetText(Lines(10));
    SendMessageA(control, EMX_TOGGLESPLIT, 0, 0);
    PumpMessages();
    gMenusOpened = 0;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, CloseOpenedMenu, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    for (HWND pane : {Upper(), Lower()}) {
        parent->contextMenus.clear();
        const int x = X(2, 3), y = YOf(pane, 2);
        EXPECT_EQ(Mouse(pane, WM_RBUTTONDOWN, MK_RBUTTON, x, y), 1);
        Mouse(pane, WM_RBUTTONUP, 0, x, y);  // the button is up in the release
        PumpMessages();
        POINT screen = {x, y};
        ClientToScreen(pane, &screen);
        ASSERT_EQ(parent->contextMenus.size(), 1u);
        EXPECT_EQ(parent->contextMenus[0].window, pane);
        EXPECT_EQ(GET_X_LPARAM(parent->contextMenus[0].point), screen.x);
        EXPECT_EQ(GET_Y_LPARAM(parent->contextMenus[0].point), screen.y);
    }
    parent->contextMenus.clear();
    SetModifiers(false, true);
    SendMessageA(Upper(), WM_SYSKEYDOWN, VK_F10, 0x00440001);
    SetModifiers(false, false);
    PumpMessages();
    ASSERT_EQ(parent->contextMenus.size(), 1u);
    EXPECT_EQ(parent->contextMenus[0].window, Upper());
    EXPECT_EQ(parent->contextMenus[0].point, -1);
    EXPECT_EQ(Sel(), std::make_pair(DWORD{0}, DWORD{0}));
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(gMenusOpened, 0);
}

TEST_F(MouseTest, TheRightButtonLeavesTheSelection) {
    SetText(Lines(10));
    Drag(Upper(), X(1, 1), YOf(Upper(), 1), X(3, 2), YOf(Upper(), 3));
    const auto sel = Sel();
    EXPECT_EQ(Mouse(Upper(), WM_RBUTTONDOWN, MK_RBUTTON, X(5, 1), YOf(Upper(), 5)), 1);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(Mouse(Upper(), WM_RBUTTONUP, MK_RBUTTON, X(5, 1), YOf(Upper(), 5)), 1);
    EXPECT_EQ(Sel(), sel);
    // With another button held the press goes to the default procedure.
    EXPECT_EQ(Mouse(Upper(), WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, X(5, 1), YOf(Upper(), 5)), 0);
    EXPECT_EQ(Sel(), sel);
    // The press skipped the next move; a drag starts afresh after it.
    Mouse(Upper(), WM_MOUSEMOVE, 0, X(5, 1), YOf(Upper(), 5));
    Drag(Upper(), X(1, 1), YOf(Upper(), 1), X(2, 2), YOf(Upper(), 2));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(LineStart(1) + 1), DWORD(LineStart(2) + 2)));
}

// ---- The margin ------------------------------------------------------------------------

TEST_F(MouseTest, TheMarginSelectsLinesAndTheLineNumbersToo) {
    for (bool numbers : {false, true}) {
        SetText(Lines(12) + "last");
        if (numbers) SendMessageA(control, EMX_TOGGLELINENUMBERS, 0, 0);
        const int inMargin = TextLeft() - 3;
        Mouse(Upper(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, inMargin, YOf(Upper(), 4));
        EXPECT_EQ(Sel(), std::make_pair(DWORD(LineStart(4)), DWORD(LineStart(5))));
        EXPECT_EQ(GetCapture(), Upper());
        parent->notes.clear();
        Mouse(Upper(), WM_MOUSEMOVE, MK_LBUTTON, inMargin, YOf(Upper(), 7));
        EXPECT_EQ(ed->selAnchor, static_cast<DWORD>(LineStart(4)));
        EXPECT_EQ(ed->caretPos, static_cast<DWORD>(LineStart(8)));
        ASSERT_EQ(parent->Reason(QV_REASON_SCROLL).size(), 1u);
        EXPECT_EQ(parent->Reason(QV_REASON_SCROLL)[0].line, 7u);
        Mouse(Upper(), WM_MOUSEMOVE, MK_LBUTTON, inMargin, YOf(Upper(), 6));
        Mouse(Upper(), WM_MOUSEMOVE, MK_LBUTTON, inMargin, YOf(Upper(), 2));
        // Above the first line the caret follows the pointer to the line's start;
        // the anchor keeps the first line, from its end.
        EXPECT_EQ(ed->selAnchor, static_cast<DWORD>(LineStart(5)));
        EXPECT_EQ(ed->caretPos, static_cast<DWORD>(LineStart(2)));
        Mouse(Upper(), WM_LBUTTONUP, 0, inMargin, YOf(Upper(), 2));
        EXPECT_EQ(ed->mouseSelStart, static_cast<DWORD>(LineStart(2)));
        EXPECT_EQ(ed->mouseSelEnd, static_cast<DWORD>(LineStart(5)));
        KeyDown(control, VK_UP, false, true);  // the keys go on from the caret
        EXPECT_EQ(Sel(), std::make_pair(DWORD(LineStart(1)), DWORD(LineStart(5))));
        EXPECT_EQ(GetCapture(), nullptr);
        // The last line: up to the end of the text, never the closing CR.
        Click(Upper(), inMargin, YOf(Upper(), 12));
        EXPECT_EQ(Sel(), std::make_pair(DWORD(LineStart(12)), DWORD(TextEnd())));
        if (numbers) SendMessageA(control, EMX_TOGGLELINENUMBERS, 0, 0);
    }
}

TEST_F(MouseTest, PointerShapesFollowThePlace) {
    SetText(Lines(12));
    Drag(Upper(), X(1, 2), YOf(Upper(), 1), X(3, 3), YOf(Upper(), 3));
    const HCURSOR margin = LoadCursorA(LoadQuorvane(), MAKEINTRESOURCEA(103));
    const HCURSOR split = LoadCursorA(LoadQuorvane(), MAKEINTRESOURCEA(101));
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    const HCURSOR ibeam = LoadCursorA(nullptr, IDC_IBEAM);
    ASSERT_NE(margin, nullptr);
    struct Case {
        int x, y;
        HCURSOR shape;
    } cases[] = {
        {X(2, 2), YOf(Upper(), 2), arrow},  // inside the last selection
        {X(1, 2), YOf(Upper(), 1), ibeam},  // on its end
        {X(6, 2), YOf(Upper(), 6), ibeam},
        {TextLeft() - 2, YOf(Upper(), 5), margin},
    };
    for (const Case& c : cases) {
        // The pointer's message, and the shape asked for before it: a parent's class
        // cursor never shows over the pane.
        SetCursor(nullptr);
        Mouse(Upper(), WM_MOUSEMOVE, 0, c.x, c.y);
        EXPECT_EQ(GetCursor(), c.shape) << c.x << "," << c.y;
        PointerTo(Upper(), c.x, c.y);
        SetCursor(nullptr);
        EXPECT_EQ(SendMessageA(Upper(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Upper()),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                  TRUE);
        EXPECT_EQ(GetCursor(), c.shape) << c.x << "," << c.y;
    }
    SendMessageA(control, EMX_TOGGLESPLIT, 0, 0);
    SetCursor(nullptr);
    EXPECT_EQ(SendMessageA(static_cast<HWND>(ed->hwndSplitBar), WM_SETCURSOR,
                           reinterpret_cast<WPARAM>(ed->hwndSplitBar), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), split);
}

// ---- Drags -----------------------------------------------------------------------------

class DragTest : public MouseTest, public ::testing::WithParamInterface<FontCase> {
protected:
    void SetUp() override {
        Make(400, 300, 0, GetParam().face);
        ASSERT_EQ(ed->fixedPitch != 0, GetParam().fixed);
    }
};

TEST_P(DragTest, ADragPastALinesEndSelectsItsCrAndTellsTheParentTheCaretBeforeIt) {
    SetText("abc\r\ndefgh\r\nij");
    Mouse(Upper(), WM_LBUTTONDOWN, MK_LBUTTON, X(0, 1), YOf(Upper(), 0));
    parent->notes.clear();
    Mouse(Upper(), WM_MOUSEMOVE, MK_LBUTTON, 380, YOf(Upper(), 1));
    EXPECT_EQ(ed->caretPos, 10u);  // after line 1's CR
    ASSERT_EQ(parent->Reason(QV_REASON_CHANGE).size(), 1u);
    EXPECT_EQ(parent->notes.back().caret, 9);  // reported before the CR
    Mouse(Upper(), WM_MOUSEMOVE, MK_LBUTTON, 380, YOf(Upper(), 2));
    EXPECT_EQ(ed->caretPos, 12u);  // never the closing CR
    Mouse(Upper(), WM_LBUTTONUP, 0, 380, YOf(Upper(), 2));
    EXPECT_EQ(ed->mouseSelStart, 1u);
    EXPECT_EQ(ed->mouseSelEnd, 12u);

    // A parent that sets the selection while it hears of a drag keeps it.
    Mouse(Upper(), WM_LBUTTONDOWN, MK_LBUTTON, X(0, 1), YOf(Upper(), 0));
    bool once = false;
    parent->during = [&](const SelChangeEx&) {
        if (!once) {
            once = true;  // EM_SETSEL notifies as well
            SendMessageA(control, EM_SETSEL, 2, 2);
        }
    };
    Mouse(Upper(), WM_MOUSEMOVE, MK_LBUTTON, 380, YOf(Upper(), 1));
    parent->during = nullptr;
    EXPECT_EQ(Sel(), std::make_pair(DWORD{2}, DWORD{2}));
    Mouse(Upper(), WM_LBUTTONUP, 0, 380, YOf(Upper(), 1));
}

TEST_P(DragTest, DragsPastEveryEdgeScrollAndKeepTheCaretInTheText) {
    std::string text = Lines(60);
    text += std::string(150, 'w') + " end\r\n" + Lines(5, "tail");
    SetText(text);

    // Below the pane: scrolls to the end of the document, the caret on the last line.
    HeldDrag(Upper(), X(2, 1), YOf(Upper(), 2), 50, ed->panes[0].textRect.bottom + 30);
    const int wholeRows = ed->panes[0].textRect.bottom / Lh() * Lh();
    EXPECT_EQ(ed->panes[0].scrollY, 67 * Lh() - wholeRows);  // the last line is the last whole row
    EXPECT_EQ(static_cast<LONG>(ed->caretPos), LineStart(66));
    EXPECT_FALSE(parent->Reason(QV_REASON_SCROLL).empty());
    ReleaseButton();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(ed->mouseSelStart, static_cast<DWORD>(LineStart(2) + 1));
    EXPECT_EQ(ed->mouseSelEnd, static_cast<DWORD>(LineStart(66)));

    // Above it: back to the top, the caret at the start of the first line.
    HeldDrag(Upper(), X(63, 1), YOf(Upper(), 63), 50, -30);
    EXPECT_EQ(ed->panes[0].scrollY, 0);
    EXPECT_EQ(ed->caretPos, 0u);
    ReleaseButton();
    EXPECT_EQ(ed->mouseSelEnd, static_cast<DWORD>(LineStart(63) + 1));

    // Beyond the right edge on the long line: the caret walks to the line's end.
    SendMessageA(control, EM_LINESCROLL, 0, 55);
    parent->notes.clear();
    HeldDrag(Upper(), X(60, 3), YOf(Upper(), 60), 398 - (ed->panes[0].vScrollShown ? 16 : 0),
             YOf(Upper(), 60));
    const DWORD lineEnd = static_cast<DWORD>(LineStart(61));
    EXPECT_EQ(ed->caretPos, lineEnd);  // after the CR, not into the next line
    EXPECT_GT(ed->panes[0].scrollX, 0);
    for (const SelChangeEx& n : parent->Reason(QV_REASON_CHANGE))
        EXPECT_LE(static_cast<DWORD>(n.caret), lineEnd);
    ReleaseButton();

    // Near the left edge of the scrolled view: walks back to the line's start with
    // the view back at 0; the next move puts the caret under the pointer.
    POINTL at = {200, YOf(Upper(), 60)};
    const DWORD clicked =
        static_cast<DWORD>(SendMessageA(control, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
    EXPECT_GT(clicked, static_cast<DWORD>(LineStart(60)) + 10);
    HeldDrag(Upper(), 200, YOf(Upper(), 60), 25, YOf(Upper(), 60));
    EXPECT_EQ(ed->panes[0].scrollX, 0);
    at = {25, YOf(Upper(), 60)};
    const DWORD under =
        static_cast<DWORD>(SendMessageA(control, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
    EXPECT_LE(under, static_cast<DWORD>(LineStart(60) + 3));
    EXPECT_GE(ed->caretPos, static_cast<DWORD>(LineStart(60)));
    EXPECT_LE(ed->caretPos, under);
    Mouse(Upper(), WM_MOUSEMOVE, MK_LBUTTON, 25, YOf(Upper(), 60));
    EXPECT_EQ(ed->caretPos, under);
    ReleaseButton();
    EXPECT_EQ(ed->mouseSelStart, under);
    EXPECT_EQ(ed->mouseSelEnd, clicked);
    ExpectCaretInsideText();
}

INSTANTIATE_TEST_SUITE_P(Fonts, DragTest,
                         ::testing::Values(FontCase{"DejaVu Sans Mono", true},
                                           FontCase{"DejaVu Sans", false}),
                         [](const ::testing::TestParamInfo<FontCase>& info) {
                             return std::string(info.param.fixed ? "Fixed" : "Proportional");
                         });

TEST_F(MouseTest, TheRightWalkEndsWhenTheButtonIsReleased) {
    SetText(std::string(400, 'x') + "\r\nnext\r\n");
    int steps = 0;
    parent->during = [&](const SelChangeEx& n) {
        if (n.reason == QV_REASON_CHANGE && ++steps == 11) SendButton(MOUSEEVENTF_LEFTUP);
    };
    HeldDrag(Upper(), X(0, 2), YOf(Upper(), 0), 398, YOf(Upper(), 0));
    parent->during = nullptr;
    EXPECT_GE(steps, 11);              // the press, then ten steps
    EXPECT_LT(ed->caretPos, 100u);     // far from the line's end
    EXPECT_EQ(GetCapture(), nullptr);  // the real release ended the drag
    EXPECT_EQ(ed->mouseSelEnd, ed->caretPos);
}

// A fixed-pitch font, line numbers shown, the view scrolled right, a press on line 0
// at an odd column and a drag left into the margin: the caret stops at the line's
// start, the walk ends when the button is released, and a following delete removes
// only the selection.
TEST_F(MouseTest, TheLeftWalkStaysOnItsLineAndEndsWithTheButton) {
    const std::string line0 = std::string(300, 'a') + "\r\n";
    SetText(line0 + "second\r\nthird");
    SendMessageA(control, EMX_TOGGLELINENUMBERS, 0, 0);
    SendMessageA(control, EM_LINESCROLL, 120, 0);
    const std::string before = Text();
    std::vector<LONG> carets;
    parent->during = [&](const SelChangeEx& n) {
        carets.push_back(n.caret);
        carets.push_back(static_cast<LONG>(ed->caretPos));
    };
    HeldDrag(Upper(), X(0, 131), YOf(Upper(), 0), 20, YOf(Upper(), 0));  // into the line-number margin
    EXPECT_EQ(ed->selAnchor, 131u);
    EXPECT_EQ(ed->caretPos, 0u);
    ReleaseButton();
    for (LONG c : carets) {
        EXPECT_GE(c, 0);
        EXPECT_LE(c, 131);
    }
    EXPECT_EQ(Sel(), std::make_pair(DWORD{0}, DWORD{131}));

    // Released after a few repaints, the walk stops where it is.
    SendMessageA(control, EM_LINESCROLL, 120 - ed->panes[0].scrollX / static_cast<int>(ed->charWidth), 0);
    ASSERT_EQ(ed->panes[0].scrollX, 120 * static_cast<int>(ed->charWidth));
    SendMessageA(control, EMX_SETMARKERCALLBACK, 0, reinterpret_cast<LPARAM>(&ReleasingMarkerCallback));
    parent->during = [&](const SelChangeEx&) {
        if (gPaintsBeforeRelease < 0) gPaintsBeforeRelease = 12;  // from the press on
    };
    HeldDrag(Upper(), X(0, 131), YOf(Upper(), 0), 20, YOf(Upper(), 0));
    parent->during = nullptr;
    EXPECT_EQ(gPaintsBeforeRelease, 0);
    EXPECT_GT(ed->caretPos, 20u);
    EXPECT_EQ(GetCapture(), nullptr);
    const auto sel = Sel();
    ASSERT_LT(sel.first, sel.second);
    SendMessageA(control, WM_CLEAR, 0, 0);
    EXPECT_EQ(Text(), before.substr(0, sel.first) + before.substr(sel.second));
}

TEST_F(MouseTest, TheLowerPaneOfTheSplitViewDragsOnItsOwn) {
    SetText(Lines(80));
    SendMessageA(control, EMX_TOGGLESPLIT, 0, 0);
    PumpMessages();
    ASSERT_GT(ed->panes[1].textRect.bottom, 0);
    HeldDrag(Lower(), X(1, 1), YOf(Lower(), 1), 60, ed->panes[1].textRect.bottom + 20);
    EXPECT_EQ(ed->hwndActivePane, ed->panes[1].hwnd);
    ReleaseButton();
    EXPECT_GT(ed->panes[1].scrollY, 60 * Lh());
    EXPECT_EQ(ed->panes[0].scrollY, 0);
    EXPECT_EQ(ed->selAnchor, static_cast<DWORD>(LineStart(1) + 1));
    EXPECT_GE(static_cast<LONG>(ed->caretPos), LineStart(79));
    ExpectCaretInsideText();
    // A margin press in the lower pane selects from there too.
    Click(Lower(), 3, YOf(Lower(), 70));
    EXPECT_EQ(Sel(), std::make_pair(DWORD(LineStart(70)), DWORD(LineStart(71))));
}

// ---- A gesture whose release is lost ------------------------------------------------------

TEST_F(MouseTest, ALostCaptureEndsTheGesture) {
    SetText(Lines(12));
    const int y1 = YOf(Upper(), 1), y5 = YOf(Upper(), 5);
    auto expectPlainMovesSelectNothing = [&]() {
        const auto sel = Sel();
        Mouse(Upper(), WM_MOUSEMOVE, 0, X(6, 2), YOf(Upper(), 6));
        Mouse(Upper(), WM_MOUSEMOVE, 0, X(8, 3), YOf(Upper(), 8));
        EXPECT_EQ(Sel(), sel);
    };
    // The parent opens something that takes the capture while it hears of the press.
    parent->during = [&](const SelChangeEx&) {
        SetCapture(parent->hwnd);
        ReleaseCapture();
    };
    Mouse(Upper(), WM_LBUTTONDOWN, MK_LBUTTON, X(1, 1), y1);
    parent->during = nullptr;
    expectPlainMovesSelectNothing();
    EXPECT_EQ(Sel(), std::make_pair(DWORD(LineStart(1) + 1), DWORD(LineStart(1) + 1)));

    // WM_CANCELMODE in the middle of a drag.
    Mouse(Upper(), WM_LBUTTONDOWN, MK_LBUTTON, X(1, 1), y1);
    Mouse(Upper(), WM_MOUSEMOVE, MK_LBUTTON, X(5, 2), y5);
    SendMessageA(Upper(), WM_CANCELMODE, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(ed->mouseSelEnd, static_cast<DWORD>(LineStart(5) + 2));
    expectPlainMovesSelectNothing();

    // A move that finds the button up, after a margin press.
    Mouse(Upper(), WM_LBUTTONDOWN, MK_LBUTTON, 3, y1);
    Mouse(Upper(), WM_MOUSEMOVE, 0, 3, y5);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Sel(), std::make_pair(DWORD(LineStart(1)), DWORD(LineStart(2))));
    expectPlainMovesSelectNothing();
}

TEST_F(MouseTest, AParentThatDestroysTheControlDuringADragEndsIt) {
    SetText(std::string(300, 'x') + "\r\n" + Lines(5));
    int steps = 0;
    parent->during = [&](const SelChangeEx&) {
        if (++steps == 4) DestroyWindow(control);
    };
    HeldDrag(Upper(), X(0, 2), YOf(Upper(), 0), 398, YOf(Upper(), 0));
    parent->during = nullptr;
    EXPECT_EQ(steps, 4);  // the press, then three steps
    EXPECT_FALSE(IsWindow(control));
    control = nullptr;
    ReleaseButton();
}

// ---- The wheel --------------------------------------------------------------------------

TEST_F(MouseTest, TheWheelScrollsByNotchesWithinTheRange) {
    SetText(Lines(200));
    const int lh = Lh();
    const int page = ed->panes[0].textRect.bottom / lh * lh;
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    GetScrollInfo(static_cast<HWND>(ed->panes[0].hwndVScroll), SB_CTL, &info);
    const int bottom = info.nMax - static_cast<int>(info.nPage);
    struct Case {
        DWORD mode, lines;
        int from;
        std::vector<short> deltas;
        HWND to;  // the pane, or the control (sent on to the active pane)
        int by;   // the expected change of the offset; INT_MAX: to the bottom
        size_t reports;
    } cases[] = {
        {0, 3, 10 * lh, {-120}, nullptr, 3 * lh, 1},
        {1, 3, 10 * lh, {-120}, nullptr, 3 * lh, 1},
        {0, 3, 10 * lh, {120, 120}, nullptr, -6 * lh, 2},
        {1, 3, 10 * lh, {240}, nullptr, -6 * lh, 1},
        {0, 3, 1 * lh, {120}, nullptr, -1 * lh, 1},            // not above the top
        {0, 3, 10 * lh, {-60, -30, -30}, nullptr, 3 * lh, 1},  // small deltas add up
        {0, 3, 10 * lh, {-60, 60, -60}, nullptr, 0, 0},        // a turn drops the rest
        {0, 0xFFFFFFFF, 10 * lh, {-120}, nullptr, page, 1},    // WHEEL_PAGESCROLL
        {1, 0xFFFFFFFF, 10 * lh, {240}, nullptr, -10 * lh, 1},
        {0, 0x7FFFFFFF, 10 * lh, {-32768}, nullptr, INT_MAX, 1},        // no overflow
        {0, 0, 10 * lh, {-120, -120}, nullptr, 0, 0},                   // the wheel off
        {0, 3, 10 * lh, {-120}, reinterpret_cast<HWND>(1), 3 * lh, 1},  // to the control
    };
    for (const Case& c : cases) {
        SendMessageA(control, EMX_SETWHEELMODE, 0, c.mode);
        SendMessageA(control, EMX_SETWHEELLINES, c.lines, 0);
        // Scroll to the start offset and drop what an earlier case left over.
        SendMessageA(control, EM_LINESCROLL, 0, -100000);
        SendMessageA(control, EM_LINESCROLL, 0, c.from / lh);
        ASSERT_EQ(ed->panes[0].scrollY, c.from);
        SendMessageA(control, EMX_SETWHEELLINES, 0, 0);
        SendMessageA(Upper(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
        SendMessageA(control, EMX_SETWHEELLINES, c.lines, 0);
        parent->notes.clear();
        for (short d : c.deltas) {
            HWND target = c.to ? control : Upper();
            EXPECT_EQ(SendMessageA(target, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(d)), 0), 0);
        }
        const int expected = c.by == INT_MAX ? bottom : c.from + c.by;
        EXPECT_EQ(ed->panes[0].scrollY, expected) << c.lines << " " << c.deltas.size() << " mode " << c.mode;
        EXPECT_EQ(parent->Reason(QV_REASON_SCROLLBAR).size(), c.reports) << c.lines << " mode " << c.mode;
        if (!parent->Reason(QV_REASON_SCROLLBAR).empty()) {
            EXPECT_EQ(parent->Reason(QV_REASON_SCROLLBAR).back().line, static_cast<DWORD>(expected / lh));
        }
    }
    SendMessageA(control, EMX_SETWHEELLINES, 3, 0);
    EXPECT_EQ(SendMessageA(control, EMX_SETWHEELMODE, 0, 7), 7);
}

}  // namespace
}  // namespace qvtest
