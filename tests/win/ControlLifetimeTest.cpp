// A control's life: the library's classes, creation with its record, store and nine
// children, and destruction.
#include <cstring>
#include <string>

#include "base/EditorInstance.h"
#include "store/LineRecord.h"
#include "win/support/TestHost.h"

using qv::EditorInstance;

namespace qvtest {
namespace {

EditorInstance* Record(HWND control) {
    return reinterpret_cast<EditorInstance*>(GetWindowLongPtrA(control, 0));
}

std::string ClassOf(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

class ControlLifetimeTest : public ControlTest {};

TEST_F(ControlLifetimeTest, ClassesAreRegisteredWithTheirStyles) {
    ASSERT_NE(LoadQuorvane(), nullptr);
    WNDCLASSEXA control = {};
    control.cbSize = sizeof control;
    ASSERT_TRUE(GetClassInfoExA(LoadQuorvane(), "Quorvane", &control));
    EXPECT_EQ(control.style, 0x7000u);
    EXPECT_EQ(control.cbWndExtra, 4);
    EXPECT_EQ(control.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(control.hbrBackground, nullptr);
    // A global class: any module can create it.
    WNDCLASSEXA global = {};
    global.cbSize = sizeof global;
    EXPECT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "Quorvane", &global));

    WNDCLASSEXA pane = {};

    pane.cbSize = sizeof pane;
    ASSERT_TRUE(GetClassInfoExA(LoadQuorvane(), "QuorvaneEdit", &pane));
    EXPECT_EQ(pane.style, 0x3008u);
    EXPECT_EQ(pane.cbWndExtra, 4);
    EXPECT_EQ(pane.hCursor, nullptr);
}

TEST_F(ControlLifetimeTest, CreationMakesTheNineChildren) {
    ASSERT_TRUE(MakeControl());
    EditorInstance* ed = Record(control);
    ASSERT_NE(ed, nullptr);
    struct Child {
        HWND hwnd;
        const char* cls;
        DWORD style;
        HWND parent;
        int id;
    };
    const Child children[] = {
        {(HWND)ed->hwndSplitBar, "Static", 0x56000100, control, 0xFFFF},
        {(HWND)ed->panes[0].hwnd, "QuorvaneEdit", 0x56000000, control, 0},
        {(HWND)ed->panes[0].hwndVScroll, "ScrollBar", 0x56000001, (HWND)ed->panes[0].hwnd, 0},
        {(HWND)ed->panes[0].hwndHScroll, "ScrollBar", 0x56000000, control, 0},
        {(HWND)ed->panes[0].hwndCorner, "Static", 0x56000000, control, 0},
        {(HWND)ed->panes[1].hwnd, "QuorvaneEdit", 0x56000000, control, 0},
        {(HWND)ed->panes[1].hwndVScroll, "ScrollBar", 0x56000001, (HWND)ed->panes[1].hwnd, 0},
        {(HWND)ed->panes[1].hwndHScroll, "ScrollBar", 0x56000000, control, 0},
        {(HWND)ed->panes[1].hwndCorner, "Static", 0x56000000, control, 0},
    };
    for (const Child& child : children) {
        SCOPED_TRACE(child.cls);
        ASSERT_TRUE(IsWindow(child.hwnd));
        EXPECT_STRCASEEQ(ClassOf(child.hwnd).c_str(), child.cls);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child.hwnd, GWL_STYLE)), child.style);
        EXPECT_EQ(GetParent(child.hwnd), child.parent);
        EXPECT_EQ(GetWindowLongA(child.hwnd, GWL_ID), child.id);
        EXPECT_EQ(GetWindowLongPtrA(child.hwnd, GWLP_HINSTANCE), reinterpret_cast<LONG_PTR>(LoadQuorvane()));
    }
    EXPECT_TRUE(GetWindowLongA((HWND)ed->hwndSplitBar, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    for (int i = 1; i < 9; ++i)
        EXPECT_FALSE(GetWindowLongA(children[i].hwnd, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME) << i;
    // Both panes point at the control's record.
    EXPECT_EQ(GetWindowLongPtrA((HWND)ed->panes[0].hwnd, 0), reinterpret_cast<LONG_PTR>(ed));
    EXPECT_EQ(GetWindowLongPtrA((HWND)ed->panes[1].hwnd, 0), reinterpret_cast<LONG_PTR>(ed));
    // The split bar sits on top of its siblings.
    EXPECT_EQ(GetWindow(control, GW_CHILD), (HWND)ed->hwndSplitBar);
}

TEST_F(ControlLifetimeTest, AFreshRecordHoldsTheDefaults) {
    ASSERT_TRUE(MakeControl(400, 300, 0, 42));
    EditorInstance* ed = Record(control);
    ASSERT_NE(ed, nullptr);
    EXPECT_EQ(ed->hwnd, control);
    EXPECT_EQ(ed->hwndParent, host->hwnd());
    EXPECT_EQ(ed->controlId, 42u);
    EXPECT_EQ(ed->splitOpen, 0u);
    EXPECT_EQ(ed->splitRatio, 0u);
    EXPECT_EQ(ed->lineNumberWidth, 0u);
    EXPECT_EQ(ed->lineNumberWidthSetting, 37u);
    EXPECT_EQ(ed->selMarginWidth, 10u);
    EXPECT_EQ(ed->tabWidth, 3u);
    EXPECT_EQ(ed->wheelLines, 3u);
    EXPECT_EQ(ed->lineHeight, 15u);
    EXPECT_EQ(ed->charWidth, 0u);
    EXPECT_EQ(ed->autoIndent, 0u);
    EXPECT_EQ(ed->padLineNumbers, 1u);
    EXPECT_EQ(ed->plainBackColor, 0xFFFFFFu);
    EXPECT_EQ(ed->colors[0], 0x00FFFFF4u);
    EXPECT_EQ(ed->colors[5], 0u);
    EXPECT_EQ(ed->colors[6], 0u);
    EXPECT_EQ(ed->colors[10], 0u);
    EXPECT_EQ(ed->colors[16], 0x020000FFu);
    EXPECT_EQ(ed->colors[26], 0x000000FFu);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(ed->fonts[i], nullptr);
    // Twelve brushes in the colours' order.
    for (int i = 0; i < 12; ++i) {
        LOGBRUSH brush = {};
        ASSERT_EQ(GetObjectA((HBRUSH)ed->brushes[i], sizeof brush, &brush), (int)sizeof brush) << i;
        const uint32_t expected[12] = {0xFFFFF4, 0x5000, 0xEAFFEA, 0xEFFFFF, 0, 0xFFFFFF,
                                       0xFFFFCE, 0xC0F0C0, 0xC4FFFF, 0xEDC7F8, 0xFFFF, 0xFF};
        EXPECT_EQ(brush.lbColor, expected[i]) << i;
    }
}

TEST_F(ControlLifetimeTest, AFreshDocumentIsOneLineHoldingOnlyItsClosingCr) {
    // Several controls in a row: each stores exactly one CR, whatever came before.
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(MakeControl());
        EditorInstance* ed = Record(control);
        ASSERT_EQ(ed->lineIndexUsed, 4u);
        qv::LineRecordView line(ed->lineHeap + qv::RecordOffset(*ed, 0));
        EXPECT_EQ(line.length(), 1u);
        EXPECT_EQ(line.chars()[0], 0x0D);
        EXPECT_EQ(ed->modified, 0u);
        EXPECT_EQ(ed->changeCount, 0u);
        EXPECT_EQ(ed->undoLogUsed, 0u);
        EXPECT_EQ(Send(EM_GETLINECOUNT), 1);
        DestroyWindow(control);
        control = nullptr;
    }
}

// Hosts written for the platform's edit control pass WS_VSCROLL and WS_HSCROLL;
// the control draws its own bars, so the frame has none: the client area is the
// whole window, and the panes and their bars fill it.
TEST_F(ControlLifetimeTest, FrameScrollBarsAreDroppedAtCreation) {
    ASSERT_TRUE(MakeControl(400, 300, WS_VSCROLL | WS_HSCROLL));
    EXPECT_EQ(GetWindowLongA(control, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), 0);
    EXPECT_EQ(Record(control)->style & (WS_VSCROLL | WS_HSCROLL), 0u);
    RECT client = {}, window = {};
    GetClientRect(control, &client);
    GetWindowRect(control, &window);
    EXPECT_EQ(client.right, window.right - window.left);
    EXPECT_EQ(client.bottom, window.bottom - window.top);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 300);
    EXPECT_EQ(Record(control)->clientRect.right, 400);
}

TEST_F(ControlLifetimeTest, TheUpperPaneHasTheFocus) {
    ASSERT_TRUE(MakeControl());
    EditorInstance* ed = Record(control);
    EXPECT_EQ(GetFocus(), (HWND)ed->panes[0].hwnd);
    EXPECT_EQ(ed->hwndActivePane, ed->panes[0].hwnd);
    // Focus given to the control goes on to the active pane.
    SetFocus(host->hwnd());
    SetFocus(control);
    EXPECT_EQ(GetFocus(), (HWND)ed->panes[0].hwnd);
}

TEST_F(ControlLifetimeTest, AControlBornDisabledWorksInItsUpperPane) {
    // A disabled parent (or a minimized one) refuses the focus at creation: the
    // upper pane is the active pane all the same.
    ASSERT_TRUE(MakeControl(400, 300, WS_DISABLED));
    EditorInstance* ed = Record(control);
    EXPECT_EQ(ed->hwndActivePane, ed->panes[0].hwnd);
    std::string text;
    for (int i = 0; i < 200; ++i) text += "line\r\n";
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    EnableWindow(control, TRUE);
    Send(EM_LINESCROLL, 0, 20);
    EXPECT_EQ(ed->panes[0].scrollY, 20 * static_cast<int32_t>(ed->lineHeight));
    SetFocus(control);
    EXPECT_EQ(GetFocus(), (HWND)ed->panes[0].hwnd);
}

TEST_F(ControlLifetimeTest, TheClockIsMeasuredOncePerProcess) {
    ASSERT_TRUE(MakeControl());
    DWORD mhz = 0, size = sizeof mhz;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0, KEY_READ,
                      &key) == ERROR_SUCCESS) {
        if (RegQueryValueExA(key, "~MHz", nullptr, nullptr, reinterpret_cast<BYTE*>(&mhz), &size) == ERROR_SUCCESS) {
            uint64_t fast = uint64_t(mhz) * 1000000 / 2800 * 10;
            EXPECT_EQ(static_cast<uint64_t>(Send(EMX_GETSCROLLDELAY)), fast * 10);
        }
        RegCloseKey(key);
    }
    // A later control reuses the process's values instead of measuring again.
    Send(EMX_SETSCROLLDELAY, 0, 4242);
    HWND first = control;
    ASSERT_TRUE(MakeControl());
    EXPECT_EQ(Send(EMX_GETSCROLLDELAY), 4242);
    EXPECT_EQ(SendMessageA(first, EMX_GETSCROLLDELAY, 0, 0), 4242);
    DestroyWindow(first);
}

TEST_F(ControlLifetimeTest, AfterDestroyTheRecordIsGoneAndMessagesGoToTheDefault) {
    ASSERT_TRUE(MakeControl());
    Send(EMX_SETSCROLLDELAY, 0, 777);
    ASSERT_EQ(Send(EMX_GETSCROLLDELAY), 777);
    EditorInstance* ed = Record(control);
    HWND upper = (HWND)ed->panes[0].hwnd, lower = (HWND)ed->panes[1].hwnd;
    // WM_DESTROY without the window going away: its handling releases everything.
    Send(WM_DESTROY);
    EXPECT_EQ(GetWindowLongPtrA(control, 0), 0);
    EXPECT_FALSE(IsWindow(upper));
    EXPECT_FALSE(IsWindow(lower));
    EXPECT_EQ(Send(EMX_GETSCROLLDELAY), 0);  // the default procedure's answer
    EXPECT_EQ(Send(EM_GETLINECOUNT), 0);
    EXPECT_TRUE(DestroyWindow(control));  // and a real destruction still works
    control = nullptr;
}

TEST_F(ControlLifetimeTest, UnlistedNumbersGoToTheDefault) {
    ASSERT_TRUE(MakeControl());
    LONG style = GetWindowLongA(control, GWL_STYLE);
    EXPECT_EQ(Send(EM_SETREADONLY, 1), 0);  // not the control's: nothing happens
    EXPECT_EQ(GetWindowLongA(control, GWL_STYLE), style);
    EXPECT_EQ(Send(EMX_NOP), 0);
    EXPECT_EQ(Send(0x13B7, 5, 5), 0);
    // Private numbers as WM_COMMAND identifiers.
    Send(EMX_SETSCROLLDELAY, 0, 31);
    EXPECT_EQ(Send(WM_COMMAND, MAKEWPARAM(EMX_GETSCROLLDELAY, 0), 0), 31);
    EXPECT_EQ(Send(WM_COMMAND, MAKEWPARAM(EMX_SETWHEELLINES, 0), 0), EMX_SETWHEELLINES);
}

TEST(LibraryTest, TheDllExportsNothing) {
    HMODULE module = LoadQuorvane();
    ASSERT_NE(module, nullptr);
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_DLL);
    const IMAGE_DATA_DIRECTORY& exports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (exports.VirtualAddress != 0) {
        auto* dir = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + exports.VirtualAddress);
        EXPECT_EQ(dir->NumberOfFunctions, 0u);
        EXPECT_EQ(dir->NumberOfNames, 0u);
    }
}

}  // namespace
}  // namespace qvtest
