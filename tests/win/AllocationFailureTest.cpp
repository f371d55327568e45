// A store area that cannot grow, for real: the test takes the process's free
// address space away, so the control's private heap cannot find room for a larger
// block. The control must then show its one error box (owned by the control,
// caption "Quorvane") and leave the document as it was; nothing may crash.
#include <string>
#include <vector>

#include "base/EditorInstance.h"
#include "win/support/TestHost.h"

using qv::EditorInstance;

namespace qvtest {
namespace {

// Reserves every free stretch of address space of at least `smallest` bytes, so
// that no allocation of that size can succeed, while small ones still can.
class AddressSpaceHog {
public:
    explicit AddressSpaceHog(SIZE_T smallest) {
        for (SIZE_T size = SIZE_T(1) << 30; size >= smallest; size /= 2) {
            while (void* block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS)) blocks_.push_back(block);
        }
    }
    ~AddressSpaceHog() {
        for (void* block : blocks_) VirtualFree(block, 0, MEM_RELEASE);
    }

private:
    std::vector<void*> blocks_;
};

// What the error box said, read and dismissed from inside its own modal loop.
struct SeenBox {
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    int count = 0;
};
SeenBox gSeen;

BOOL CALLBACK FindTextChild(HWND child, LPARAM lParam) {
    char buffer[256] = {};
    GetWindowTextA(child, buffer, sizeof buffer);
    std::string text = buffer;
    if (text.find("Allocating memory") != std::string::npos) *reinterpret_cast<std::string*>(lParam) = text;
    return TRUE;
}

void CALLBACK DismissBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowA("#32770", "Quorvane");
    if (!box) return;
    ++gSeen.count;
    gSeen.caption = "Quorvane";
    gSeen.owner = GetWindow(box, GW_OWNER);
    EnumChildWindows(box, FindTextChild, reinterpret_cast<LPARAM>(&gSeen.text));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

class AllocationFailureTest : public ControlTest {};

TEST_F(AllocationFailureTest, AFailedGrowthShowsTheBoxAndLosesNothing) {
    ASSERT_TRUE(MakeControl());
    // A document big enough that the next growth of its areas needs more than a
    // megabyte in one piece.
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "mov eax, ebx ; line " + std::to_string(i) + "\r\n";
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Send(EM_SETMODIFY, 0);
    const LRESULT length = Send(WM_GETTEXTLENGTH);
    const LRESULT lines = Send(EM_GETLINECOUNT);
    ASSERT_GT(length, 400000);

    std::string more(3 * 1024 * 1024, 'x');  // needs room no area has
    gSeen = SeenBox();
    UINT_PTR timer = SetTimer(nullptr, 0, 50, DismissBox);
    {
        AddressSpaceHog hog(1024 * 1024);
        Send(EM_SETSEL, 10, 10);
        Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(more.c_str()));
    }
    KillTimer(nullptr, timer);

    EXPECT_EQ(gSeen.count, 1);
    // Owned by the control: the platform makes the control's top-level window the owner.
    EXPECT_EQ(gSeen.owner, GetAncestor(control, GA_ROOT));
    EXPECT_EQ(gSeen.owner, host->hwnd());
    EXPECT_TRUE(gSeen.text == "Allocating memory for (Char) failed!" ||
                gSeen.text == "Allocating memory for (Undo) failed!" ||
                gSeen.text == "Allocating memory for (Line) failed!")
        << gSeen.text;
    // Nothing changed, and the control still works.
    EXPECT_EQ(Send(WM_GETTEXTLENGTH), length);
    EXPECT_EQ(Send(EM_GETLINECOUNT), lines);
    EXPECT_EQ(Send(EM_GETMODIFY), 0);
    Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("ok"));
    EXPECT_EQ(Send(WM_GETTEXTLENGTH), length + 2);
    EXPECT_EQ(Send(EM_UNDO), 1);
    EXPECT_EQ(Send(WM_GETTEXTLENGTH), length);
}

TEST_F(AllocationFailureTest, ACreationWithoutRoomForTheStoreIsRefused) {
    ASSERT_NE(LoadQuorvane(), nullptr);
    gSeen = SeenBox();
    UINT_PTR timer = SetTimer(nullptr, 0, 50, DismissBox);
    HWND refused = nullptr;
    {
        // No stretch of 128 KB is left: the store's first areas cannot be made.
        AddressSpaceHog hog(128 * 1024);
        refused = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, host->hwnd(),
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    KillTimer(nullptr, timer);
    EXPECT_EQ(refused, nullptr);  // WM_CREATE answered -1
    EXPECT_EQ(gSeen.count, 1);
    EXPECT_NE(gSeen.text.find("Allocating memory for ("), std::string::npos) << gSeen.text;
    // The library is unharmed: the next control works.
    ASSERT_TRUE(MakeControl());
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
    EXPECT_EQ(Send(WM_GETTEXTLENGTH), 3);
}

}  // namespace
}  // namespace qvtest
