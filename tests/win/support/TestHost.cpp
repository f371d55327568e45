#include "win/support/TestHost.h"

#include <cstring>

namespace qvtest {

HMODULE LoadQuorvane() {
    static HMODULE module = LoadLibraryA("Quorvane.dll");
    return module;
}

namespace {
const char kHostClass[] = "QuorvaneTestHost";

void RegisterHostClass() {
    static bool done = false;
    if (done) return;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kHostClass;
    wc.cbWndExtra = sizeof(void*);
    RegisterClassExA(&wc);
    done = true;
}
}  // namespace

HostWindow::HostWindow() {
    RegisterHostClass();
    hwnd_ = CreateWindowExA(0, kHostClass, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                            800, 600, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(hwnd_, 0, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindow::Proc));
}

HostWindow::~HostWindow() { DestroyWindow(hwnd_); }

LRESULT CALLBACK HostWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(hwnd, 0));
    if (msg == WM_NOTIFY && self) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == QVN_SELCHANGE) {
            Notification n;
            n.wParam = wParam;
            std::memcpy(&n.record, reinterpret_cast<const void*>(lParam), sizeof n.record);
            self->notifications.push_back(n);
            return 0;
        }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void ControlTest::SetUp() {
    ASSERT_NE(LoadQuorvane(), nullptr);
    host = new HostWindow;
}

void ControlTest::TearDown() {
    if (control && IsWindow(control)) DestroyWindow(control);
    delete host;
    PumpMessages();
}

HWND ControlTest::MakeControl(int width, int height, DWORD style, int id) {
    control = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD | WS_VISIBLE | style, 0, 0, width, height,
                              host->hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleA(nullptr), nullptr);
    return control;
}

void PumpQuietFor(DWORD ms) {
    DWORD last = GetTickCount();
    for (int rounds = 0; GetTickCount() - last < ms && rounds < 100000; ++rounds) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            last = GetTickCount();
        } else {
            Sleep(2);
        }
    }
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace qvtest
