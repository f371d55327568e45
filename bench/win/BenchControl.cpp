#include "BenchControl.h"

#include <cstdio>
#include <string>

#include "BenchSource.h"
#include "quorvane.h"
#include "base/EditorInstance.h"

namespace qvbench {
namespace {

constexpr int kFontPoints = 10;

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// The record hosts read through the control's extra bytes.
const qv::EditorInstance* Record(HWND control) {
    return reinterpret_cast<const qv::EditorInstance*>(GetWindowLongPtrA(control, 0));
}

HFONT MakeFont(int weight, BOOL italic) {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(kFontPoints, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return CreateFontA(height, 0, 0, 0, weight, italic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "DejaVu Sans Mono");
}

bool LoadControlLibrary() {
    // Quorvane.dll beside this program, whatever the working folder.
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dll(path, length);
    dll = dll.substr(0, dll.find_last_of("\\/") + 1) + "Quorvane.dll";
    if (LoadLibraryA(dll.c_str())) return true;
    std::fprintf(stderr, "QuorvaneBench: %s could not be loaded\n", dll.c_str());
    return false;
}

}  // namespace

bool BenchControl::Create() {
    if (!LoadControlLibrary()) return false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "QuorvaneBenchHost";
    RegisterClassExA(&wc);
    RECT frame = {0, 0, kControlWidth, kControlHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    main = CreateWindowExA(0, wc.lpszClassName, "Quorvane benchmark", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (main) {
        control = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, kControlWidth,
                                  kControlHeight, main, reinterpret_cast<HMENU>(1), instance, nullptr);
    }
    if (!control || !Record(control)) {
        std::fprintf(stderr, "QuorvaneBench: the control could not be created\n");
        return false;
    }
    fonts[0] = MakeFont(FW_NORMAL, FALSE);
    fonts[1] = MakeFont(FW_BOLD, FALSE);
    fonts[2] = MakeFont(FW_NORMAL, TRUE);
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(fonts[0]), FALSE);
    FontSet set = {{fonts[0], fonts[1], fonts[2], fonts[1], nullptr, fonts[0]}};
    Send(EMX_SETFONTS, 0, reinterpret_cast<LPARAM>(&set));
    for (unsigned i = 0; i < kKeywordGroupCount; ++i)
        Send(EMX_SETKEYWORDS, kKeywordGroups[i].value, reinterpret_cast<LPARAM>(kKeywordGroups[i].words));
    if (!Send(EMX_GETLINENUMBERS)) Send(EMX_TOGGLELINENUMBERS);
    // Only the work of the control is measured: no pacing between scroll steps.
    Send(EMX_SETSCROLLDELAY, 0, 0);
    ShowWindow(main, SW_SHOWNORMAL);
    SetFocus(control);
    PaintNow();
    Pump();
    return true;
}

BenchControl::~BenchControl() {
    if (main) DestroyWindow(main);
    Pump();
    for (HFONT font : fonts)
        if (font) DeleteObject(font);
}

HWND BenchControl::UpperPane() const { return static_cast<HWND>(Record(control)->panes[0].hwnd); }
HWND BenchControl::UpperVScroll() const { return static_cast<HWND>(Record(control)->panes[0].hwndVScroll); }

void BenchControl::PaintNow() const {
    RedrawWindow(control, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

double NowMs() {
    static double perMs = 0;
    if (perMs == 0) {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        perMs = static_cast<double>(f.QuadPart) / 1000.0;
    }
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / perMs;
}

size_t PrivateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    const char* address = nullptr;
    while (VirtualQuery(address, &info, sizeof info) == sizeof info) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return total;
}

}  // namespace qvbench
