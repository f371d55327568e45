// The demo editor: a small but real editor built on the Quorvane control, through
// its public header and its messages only.
//
//   QuorvaneDemo.exe [file]                        edits the file (without one, the
//                                                  built-in sample)
//   QuorvaneDemo.exe --screenshot out.png [file]   arranges the README's picture,
//                                                  saves the window as a PNG and exits
//
// This tree builds it with CMake; on its own, in the release's examples/demo folder
// (the release's README gives the same commands, and its check runs them):
//
//   i686-w64-mingw32-windres -I ../../include Demo.rc -O coff -o Demo.res
//   i686-w64-mingw32-g++ -std=c++17 -O2 -mwindows -static -I ../../include *.cpp Demo.res
//       -lcomctl32 -lcomdlg32 -lshell32 -o QuorvaneDemo.exe
#include <windows.h>
// windows.h first: the headers below build on it
#include <commctrl.h>
#include <richedit.h>

#include <string>

#include "DemoIds.h"
#include "MainWindow.h"
#include "Screenshot.h"

namespace {

// Handles messages for a while, so that everything paints.
void Pump(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    MSG msg;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

// Scrolls the active pane until `line` is its top line. EM_LINESCROLL counts rows,
// and the lines a folded block hides have none: further steps make up for them.
void ScrollToLine(HWND editor, DWORD line) {
    for (int step = 0; step < 4; ++step) {
        const LRESULT top = SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0);
        if (top == static_cast<LRESULT>(line)) break;
        SendMessageA(editor, EM_LINESCROLL, 0, static_cast<LPARAM>(line) - top);
    }
}

void CaretToLine(HWND editor, DWORD line) {
    const LONG start = static_cast<LONG>(SendMessageA(editor, EM_LINEINDEX, line, 0));
    CHARRANGE caret = {start, start};
    SendMessageA(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
}

// The README's picture, made with the menu's commands: two bookmarks, a folded
// procedure, the split view with another procedure in the lower pane, a found word.
void ArrangeForScreenshot(HWND window, HWND editor) {
    auto command = [window](UINT id) { SendMessageA(window, WM_COMMAND, id, 0); };
    CaretToLine(editor, 55);
    command(IDM_TOGGLEBOOKMARK);
    CaretToLine(editor, 61);
    command(IDM_TOGGLEBOOKMARK);
    CaretToLine(editor, 40);
    command(IDM_TOGGLEFOLD);  // IsBlank
    command(EMX_TOGGLESPLIT);
    HWND upper = FindWindowExA(editor, nullptr, QUORVANE_PANE_CLASS, nullptr);
    HWND lower = FindWindowExA(editor, upper, QUORVANE_PANE_CLASS, nullptr);
    SetFocus(lower);  // the pane with the focus is the one the messages act on
    ScrollToLine(editor, 74);
    SetFocus(upper);
    ScrollToLine(editor, 32);
    FINDTEXTEXA search = {};
    search.chrg.cpMin = static_cast<LONG>(SendMessageA(editor, EM_LINEINDEX, 55, 0));
    search.chrg.cpMax = -1;
    search.lpstrText = "lineCount";
    if (SendMessageA(editor, EM_FINDTEXTEX, FR_DOWN, reinterpret_cast<LPARAM>(&search)) != -1)
        SendMessageA(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&search.chrgText));
}

int TakeScreenshot(MainWindow& window, const std::string& path) {
    ArrangeForScreenshot(window.hwnd(), window.editor());
    SetForegroundWindow(window.hwnd());
    Pump(800);
    const bool saved = SaveWindowAsPng(window.hwnd(), path);
    DestroyWindow(window.hwnd());
    return saved ? 0 : 2;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    std::string screenshot, file;
    for (int i = 1; i < __argc; ++i) {
        const std::string arg = __argv[i];
        if (arg == "--screenshot" && i + 1 < __argc)
            screenshot = __argv[++i];
        else
            file = arg;
    }

    // Loading the library registers the control's window class.
    if (!LoadLibraryA("Quorvane.dll")) {
        MessageBoxA(nullptr, "Quorvane.dll could not be loaded.", MainWindow::kAppName, MB_OK | MB_ICONERROR);
        return 1;
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    MainWindow window;
    if (!MainWindow::Register(instance) || !window.Create(instance)) return 1;
    if (file.empty())
        window.LoadSample();
    else
        window.Open(file);  // on failure the user is told, and the document is empty
    ShowWindow(window.hwnd(), screenshot.empty() ? show : SW_SHOWNORMAL);
    UpdateWindow(window.hwnd());
    if (!screenshot.empty()) return TakeScreenshot(window, screenshot);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (window.PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
