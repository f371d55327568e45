// A host that loads and frees the library as a plug-in: freeing it takes its
// classes away, so that loading it again (at another address) registers them anew.
#include "win/support/TestHost.h"

namespace qvtest {
namespace {

bool Inside(HMODULE module, const void* address) {
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    auto* p = static_cast<const BYTE*>(address);
    return p >= base && p < base + nt->OptionalHeader.SizeOfImage;
}

TEST(LibraryReloadTest, FreeingTheLibraryTakesItsClassesAway) {
    HMODULE first = LoadLibraryA("Quorvane.dll");
    ASSERT_NE(first, nullptr);
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExA(first, QUORVANE_CLASS, &info));
    while (FreeLibrary(first)) {
    }
    EXPECT_FALSE(GetClassInfoExA(nullptr, QUORVANE_CLASS, &info));

    // Someone else takes the old address range: the library loads elsewhere.
    void* taken = VirtualAlloc(first, 0x10000, MEM_RESERVE, PAGE_NOACCESS);
    HMODULE second = LoadLibraryA("Quorvane.dll");
    ASSERT_NE(second, nullptr);
    if (taken) {
        EXPECT_NE(second, first);
    }
    ASSERT_TRUE(GetClassInfoExA(second, QUORVANE_CLASS, &info));
    EXPECT_TRUE(Inside(second, reinterpret_cast<const void*>(info.lpfnWndProc)));

    HWND control = CreateWindowExA(0, QUORVANE_CLASS, "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(control, nullptr);
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("still works"));
    EXPECT_EQ(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0), 11);
    DestroyWindow(control);
    FreeLibrary(second);
    if (taken) VirtualFree(taken, 0, MEM_RELEASE);
}

}  // namespace
}  // namespace qvtest
