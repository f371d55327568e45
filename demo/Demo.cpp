// The demo editor: a host program with one Quorvane control filling its main
// window, showing a bundled assembly source.
//
//   QuorvaneDemo.exe [--screenshot out.png] [file]
//
// With --screenshot the demo paints once, saves the main window as a PNG and exits.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PngWriter.h"
#include "quorvane.h"

namespace {

HWND gControl = nullptr;
HFONT gFonts[3] = {};  // regular, bold, italic

// Keyword groups: a colour (0x00BBGGRR) with the font style in the top byte
// (0 the text font, 1 bold, 2 italic and raised).
const DWORD kMnemonicGroup = 0x01A03000;   // bold, dark blue
const DWORD kRegisterGroup = 0x00007A9A;   // olive brown
const DWORD kDirectiveGroup = 0x01800080;  // bold, purple
const DWORD kApiGroup = 0x00606000;        // teal

const char kMnemonics[] =
    "mov,push,pop,call,ret,cmp,test,je,jne,jz,jnz,jmp,jecxz,inc,dec,add,sub,xor,or,and,not,lea,"
    "lodsb,stosb,scasb,repne,rep,invoke";
const char kRegisters[] = "eax,ebx,ecx,edx,esi,edi,esp,ebp,ax,bx,cx,dx,al,ah,bl,cl,dl";
// 'include+' colours the rest of its line as a comment: the file name.
const char kDirectives[] =
    ".386,.model,.data,.data?,.code,option,include+,proc,endp,uses,local,equ,db,dd,dup,addr,end,"
    "flat,stdcall";
const char kApi[] = "GetStdHandle,WriteFile,ReadFile,CreateFile,CloseHandle,ExitProcess,GetCommandLine,wsprintf";

// The host's marker callback: a bookmark image on one line of the sample.
DWORD CALLBACK MarkerFor(HWND, DWORD line) { return line == 21 ? 3 : 0; }

HFONT MakeFont(int weight, BOOL italic) {
    return CreateFontA(-15, 0, 0, 0, weight, italic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "DejaVu Sans Mono");
}

// Opens the split view with the procedures in the lower pane, a word selected.
void ShowOff(HWND control, const std::string& text) {
    SendMessageA(control, EMX_TOGGLESPLIT, 0, 0);
    HWND upper = FindWindowExA(control, nullptr, QUORVANE_PANE_CLASS, nullptr);
    HWND lower = FindWindowExA(control, upper, QUORVANE_PANE_CLASS, nullptr);
    if (!lower) return;
    SetFocus(lower);  // the lower pane becomes the active pane
    SendMessageA(control, EM_LINESCROLL, 0, 38);
    size_t at = text.find("CountBuffer proc");
    if (at != std::string::npos) {
        // Char indexes count a line end as one character.
        DWORD index = 0;
        for (size_t i = 0; i < at; ++i) index += text[i] != '\n';
        SendMessageA(control, EM_SETSEL, index, index + 11);
    }
}

void SetUpControl(HWND control) {
    gFonts[0] = MakeFont(FW_NORMAL, FALSE);
    gFonts[1] = MakeFont(FW_BOLD, FALSE);
    gFonts[2] = MakeFont(FW_NORMAL, TRUE);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(gFonts[0]), FALSE);
    FontSet fonts = {{gFonts[0], gFonts[1], gFonts[2], gFonts[1], nullptr, gFonts[0]}};
    SendMessageA(control, EMX_SETFONTS, 0, reinterpret_cast<LPARAM>(&fonts));
    SendMessageA(control, EMX_SETKEYWORDS, kMnemonicGroup, reinterpret_cast<LPARAM>(kMnemonics));
    SendMessageA(control, EMX_SETKEYWORDS, kRegisterGroup, reinterpret_cast<LPARAM>(kRegisters));
    SendMessageA(control, EMX_SETKEYWORDS, kDirectiveGroup, reinterpret_cast<LPARAM>(kDirectives));
    SendMessageA(control, EMX_SETKEYWORDS, kApiGroup, reinterpret_cast<LPARAM>(kApi));
    SendMessageA(control, EMX_SETMARKERCALLBACK, 0, reinterpret_cast<LPARAM>(&MarkerFor));
    SendMessageA(control, EMX_SETLINENUMBERWIDTH, 40, 0);
    SendMessageA(control, EMX_TOGGLEPADLINENUMBERS, 0, 0);  // plain numbers, not 000001
    SendMessageA(control, EMX_TOGGLELINENUMBERS, 0, 0);
}

// The file's text with every line end as CR LF: the control breaks lines at CR and
// drops LF, so a file with bare LF line ends is converted as it is read.
std::string ReadFile(const std::string& path) {
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        std::fclose(f);
    }
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) text += '\r';
        text += bytes[i];
    }
    return text;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_SIZE:
            if (gControl) MoveWindow(gControl, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        case WM_SETFOCUS:
            if (gControl) SetFocus(gControl);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void Pump(DWORD milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    MSG msg;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

// The main window as it is on the screen, as a PNG.
bool SaveScreenshot(HWND hwnd, const std::string& path) {
    RECT rc;
    GetWindowRect(hwnd, &rc);
    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    const uint8_t* bgra = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        rgb[i * 3 + 0] = bgra[i * 4 + 2];
        rgb[i * 3 + 1] = bgra[i * 4 + 1];
        rgb[i * 3 + 2] = bgra[i * 4 + 0];
    }
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return WritePng(path, width, height, rgb);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    std::string screenshot, file = "demo/sample.asm";
    for (int i = 1; i < __argc; ++i) {
        std::string arg = __argv[i];
        if (arg == "--screenshot" && i + 1 < __argc) screenshot = __argv[++i];
        else file = arg;
    }

    if (!LoadLibraryA("Quorvane.dll")) {
        MessageBoxA(nullptr, "Quorvane.dll could not be loaded.", "Quorvane demo", MB_OK);
        return 1;
    }
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "QuorvaneDemo";
    RegisterClassExA(&wc);

    std::string title = "Quorvane demo - " + file;
    HWND main = CreateWindowExA(0, "QuorvaneDemo", title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20,
                                900, 640, nullptr, nullptr, instance, nullptr);
    gControl = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, main,
                               reinterpret_cast<HMENU>(1), instance, nullptr);
    SetUpControl(gControl);

    std::string text = ReadFile(file);
    SendMessageA(gControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(gControl, EM_SETMODIFY, 0, 0);

    ShowWindow(main, screenshot.empty() ? show : SW_SHOWNORMAL);
    UpdateWindow(main);
    ShowOff(gControl, text);

    if (!screenshot.empty()) {
        Pump(800);
        bool saved = SaveScreenshot(main, screenshot);
        DestroyWindow(main);
        for (HFONT font : gFonts) DeleteObject(font);
        return saved ? 0 : 2;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    for (HFONT font : gFonts) DeleteObject(font);
    return 0;
}
