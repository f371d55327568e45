// The benchmark host: one Quorvane control in a main window, showing 100,000 lines
// of coloured source in an 800 x 600 upper pane, timed with the performance
// counter. It measures painting, as a user sees it:
//   load      WM_SETTEXT of the whole source (once per round)
//   repaint   the whole pane invalidated and painted at once (InvalidateRect and
//             UpdateWindow), at the top of the document and at its middle
//   page down 300 x WM_VSCROLL SB_PAGEDOWN from the pane's scroll bar, each one
//             painted at once, from the top of the document
// then, once per stream run, loading and saving a file as a host does:
//   stream in   EM_STREAMIN of 20 MB / 500,000 lines of plain source into an empty
//               document, the callback handing over 32 KB a call from memory
//   stream out  EM_STREAMOUT of that document into memory
//   and, for comparison, WM_SETTEXT of the same text
// and last, the keyboard, at 50,000, 100,000 and 200,000 lines, once per key run:
//   typing      20,000 characters of code (a line break after each line of it)
//               through WM_CHAR into the middle of the document, each one painted
//   page down   300 x WM_KEYDOWN VK_NEXT from the top, each one painted
//
//   QuorvaneBench.exe [--rounds N] [--repaints N] [--pages N] [--streams N]
//                     [--keys N] [--snapshot pane.bmp]
//
// Every round prints its figures; the summary gives the best round of each, and
// the median of the stream runs with their spread. The automatic scroll pacing is
// switched off, so only painting is measured.
#include <windows.h>

#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchSource.h"
#include "quorvane.h"
#include "base/EditorInstance.h"

namespace {

constexpr unsigned kDocumentLines = 100000;
constexpr int kPaneWidth = 800;
constexpr int kPaneHeight = 600;
constexpr int kWarmUpPaints = 5;
constexpr unsigned kStreamLines = 500000;
constexpr unsigned kStreamAverageLine = 40;  // bytes with CR LF: 20 MB

struct Options {
    int rounds = 3;
    int repaints = 200;
    int pages = 300;
    int streams = 5;
    int keys = 5;
    const char* snapshot = nullptr;  // where to save the pane after the first repaint
};

// ---- Timing ----------------------------------------------------------------------------

double TicksPerMs() {
    static double perMs = 0;
    if (perMs == 0) {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        perMs = static_cast<double>(f.QuadPart) / 1000.0;
    }
    return perMs;
}

LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double MsSince(LONGLONG start) {
    return static_cast<double>(Now() - start) / TicksPerMs();
}

// Per-step times of one series, in milliseconds.
struct Series {
    std::vector<double> ms;
    double Total() const {
        double sum = 0;
        for (double v : ms) sum += v;
        return sum;
    }
    double Mean() const { return ms.empty() ? 0 : Total() / static_cast<double>(ms.size()); }
    double Best() const { return ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end()); }
    double Worst() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
    double Median() const {
        if (ms.empty()) return 0;
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

// ---- The host window and its control ---------------------------------------------------

HFONT gFonts[3] = {};  // regular, bold, italic

HFONT MakeFont(int weight, BOOL italic) {
    return CreateFontA(-15, 0, 0, 0, weight, italic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "DejaVu Sans Mono");
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The record hosts read through the control's extra bytes.
const qv::EditorInstance* Record(HWND control) {
    return reinterpret_cast<const qv::EditorInstance*>(GetWindowLongPtrA(control, 0));
}
HWND UpperPane(HWND control) {
    return static_cast<HWND>(Record(control)->panes[0].hwnd);
}
HWND UpperVScroll(HWND control) {
    return static_cast<HWND>(Record(control)->panes[0].hwndVScroll);
}

struct Bench {
    HWND main = nullptr;
    HWND control = nullptr;
};

bool CreateBench(Bench& bench) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "QuorvaneBenchHost";
    RegisterClassExA(&wc);
    bench.main =
        CreateWindowExA(0, wc.lpszClassName, "Quorvane benchmark", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
                        0, kPaneWidth + 100, kPaneHeight + 100, nullptr, nullptr, instance, nullptr);
    if (!bench.main) return false;
    bench.control = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, kPaneWidth,
                                    kPaneHeight, bench.main, reinterpret_cast<HMENU>(1), instance, nullptr);
    return bench.control != nullptr && Record(bench.control) != nullptr;
}

void SetUpControl(HWND control) {
    gFonts[0] = MakeFont(FW_NORMAL, FALSE);
    gFonts[1] = MakeFont(FW_BOLD, FALSE);
    gFonts[2] = MakeFont(FW_NORMAL, TRUE);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(gFonts[0]), FALSE);
    FontSet fonts = {{gFonts[0], gFonts[1], gFonts[2], gFonts[1], nullptr, gFonts[0]}};
    SendMessageA(control, EMX_SETFONTS, 0, reinterpret_cast<LPARAM>(&fonts));
    for (unsigned i = 0; i < qvbench::kKeywordGroupCount; ++i)
        SendMessageA(control, EMX_SETKEYWORDS, qvbench::kKeywordGroups[i].value,
                     reinterpret_cast<LPARAM>(qvbench::kKeywordGroups[i].words));
    if (!SendMessageA(control, EMX_GETLINENUMBERS, 0, 0)) SendMessageA(control, EMX_TOGGLELINENUMBERS, 0, 0);
    // Only painting is measured: no pacing between scroll steps.
    SendMessageA(control, EMX_SETSCROLLDELAY, 0, 0);
}

// Sizes the control so that its upper pane window is exactly kPaneWidth x
// kPaneHeight, and the main window around it.
void SizePane(const Bench& bench) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT pane, control;
        GetClientRect(UpperPane(bench.control), &pane);
        GetClientRect(bench.control, &control);
        const int dw = kPaneWidth - (pane.right - pane.left);
        const int dh = kPaneHeight - (pane.bottom - pane.top);
        if (dw == 0 && dh == 0) break;
        const int width = control.right + dw, height = control.bottom + dh;
        RECT frame = {0, 0, width, height};
        AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
        SetWindowPos(bench.main, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOZORDER | SWP_NOMOVE);
        MoveWindow(bench.control, 0, 0, width, height, TRUE);
        Pump();
    }
}

// ---- The measurements -------------------------------------------------------------------

double Load(HWND control, const std::string& source) {
    const LONGLONG start = Now();
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(source.c_str()));
    const double ms = MsSince(start);
    SendMessageA(control, EM_SETMODIFY, 0, 0);
    return ms;
}

// Scrolls the upper pane so that `line` is its top line.
void ScrollToLine(HWND control, unsigned line) {
    const int firstVisible = static_cast<int>(SendMessageA(control, EM_GETFIRSTVISIBLELINE, 0, 0));
    SendMessageA(control, EM_LINESCROLL, 0, static_cast<LPARAM>(static_cast<int>(line) - firstVisible));
    UpdateWindow(UpperPane(control));
    Pump();
}

Series Repaint(HWND control, int count) {
    const HWND pane = UpperPane(control);
    for (int i = 0; i < kWarmUpPaints; ++i) {
        InvalidateRect(pane, nullptr, FALSE);
        UpdateWindow(pane);
    }
    Series series;
    series.ms.reserve(count);
    for (int i = 0; i < count; ++i) {
        const LONGLONG start = Now();
        InvalidateRect(pane, nullptr, FALSE);
        UpdateWindow(pane);
        series.ms.push_back(MsSince(start));
    }
    Pump();
    return series;
}

struct Paging {
    Series steps;
    unsigned firstLine = 0;  // the top line after the last page
};

Paging PageDown(HWND control, int count) {
    const HWND pane = UpperPane(control);
    const LPARAM bar = reinterpret_cast<LPARAM>(UpperVScroll(control));
    Paging paging;
    paging.steps.ms.reserve(count);
    for (int i = 0; i < count; ++i) {
        const LONGLONG start = Now();
        SendMessageA(pane, WM_VSCROLL, SB_PAGEDOWN, bar);
        UpdateWindow(pane);
        paging.steps.ms.push_back(MsSince(start));
    }
    SendMessageA(pane, WM_VSCROLL, SB_ENDSCROLL, bar);
    Pump();
    paging.firstLine = static_cast<unsigned>(SendMessageA(control, EM_GETFIRSTVISIBLELINE, 0, 0));
    return paging;
}

// A host's file in memory: the stream callbacks read it and write to `saved`.
struct MemoryFile {
    const std::string* text = nullptr;
    size_t offset = 0;
    std::string saved;
    unsigned calls = 0;
};

DWORD CALLBACK ReadMemoryFile(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* cb) {
    MemoryFile& file = *reinterpret_cast<MemoryFile*>(cookie);
    const size_t take = std::min(static_cast<size_t>(count), file.text->size() - file.offset);
    std::memcpy(buffer, file.text->data() + file.offset, take);
    file.offset += take;
    *cb = static_cast<LONG>(take);
    ++file.calls;
    return 0;
}

DWORD CALLBACK WriteMemoryFile(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* cb) {
    MemoryFile& file = *reinterpret_cast<MemoryFile*>(cookie);
    file.saved.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(count));
    *cb = count;
    ++file.calls;
    return 0;
}

struct StreamRuns {
    Series in, out, setText;
    unsigned lines = 0;
    unsigned inCalls = 0, outCalls = 0;
    bool complete = true;  // every run read and wrote every byte
};

// Each run empties the document (untimed), streams the text in, then out.
StreamRuns MeasureStreams(HWND control, const std::string& text, int runs) {
    StreamRuns result;
    for (int run = 0; run < runs; ++run) {
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        Pump();
        MemoryFile file;
        file.text = &text;
        file.saved.reserve(text.size() + 64);
        EDITSTREAM in = {reinterpret_cast<DWORD_PTR>(&file), 0, ReadMemoryFile};
        LONGLONG start = Now();
        const LRESULT read = SendMessageA(control, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&in));
        result.in.ms.push_back(MsSince(start));
        result.inCalls = file.calls;
        result.lines = static_cast<unsigned>(SendMessageA(control, EM_GETLINECOUNT, 0, 0));
        Pump();

        file.calls = 0;
        EDITSTREAM out = {reinterpret_cast<DWORD_PTR>(&file), 0, WriteMemoryFile};
        start = Now();
        const LRESULT written = SendMessageA(control, EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&out));
        result.out.ms.push_back(MsSince(start));
        result.outCalls = file.calls;
        // A last line that is not empty is saved with a line break after it.
        const bool lastLineEmpty = text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
        const size_t expected = text.size() + (lastLineEmpty ? 0 : 2);
        result.complete = result.complete && read == static_cast<LRESULT>(text.size()) && in.dwError == 0 &&
                          out.dwError == 0 && written == static_cast<LRESULT>(expected) &&
                          file.saved.size() == expected && file.saved.compare(0, text.size(), text) == 0;
    }
    // The same text through WM_SETTEXT, for comparison.
    for (int run = 0; run < runs; ++run) {
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        Pump();
        const LONGLONG start = Now();
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        result.setText.ms.push_back(MsSince(start));
    }
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    return result;
}

// ---- The keyboard -------------------------------------------------------------------------

constexpr unsigned kTypedChars = 20000;
constexpr int kKeyPages = 300;
const unsigned kKeyDocumentLines[] = {50000, 100000, 200000};

struct KeyRuns {
    Series typing, paging;
    bool typedAll = true;  // every run left exactly the typed characters in the document
};

// The characters typed: lines of code, each ended by Enter (WM_CHAR CR).
std::string TypedText() {
    const char* const lines[] = {"\tmov eax, [ebx+4] ; load\r", "\tcall Scan_7\r", "@@next:\r",
                                 "\tinvoke WriteFile, hOut, addr buffer, eax, 0, 0\r"};
    std::string text;
    for (unsigned i = 0; text.size() < kTypedChars; ++i) text += lines[i % 4];
    text.resize(kTypedChars);
    return text;
}

// The WM_KEYDOWN of a key as the keyboard sends it: its scan code, extended.
LPARAM KeyLParam(UINT scan) { return 1 | (static_cast<LPARAM>(scan | 0x100) << 16); }

// Each run loads the document (untimed), types into the middle of it, then pages
// down from the top.
KeyRuns MeasureKeys(HWND control, const std::string& source, unsigned lines, int runs) {
    const HWND pane = UpperPane(control);
    const std::string typed = TypedText();
    KeyRuns result;
    for (int run = 0; run < runs; ++run) {
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(source.c_str()));
        SetFocus(control);
        const LRESULT middle = SendMessageA(control, EM_LINEINDEX, lines / 2, 0);
        SendMessageA(control, EM_SETSEL, middle, middle);
        SendMessageA(control, EM_SCROLLCARET, 0, 0);
        UpdateWindow(pane);
        Pump();
        const LRESULT before = SendMessageA(control, WM_GETTEXTLENGTH, 0, 0);
        LONGLONG start = Now();
        for (char c : typed) {
            SendMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
            UpdateWindow(pane);
        }
        result.typing.ms.push_back(MsSince(start));
        Pump();
        unsigned breaks = 0;
        for (char c : typed) breaks += c == '\r';
        const LRESULT after = SendMessageA(control, WM_GETTEXTLENGTH, 0, 0);
        result.typedAll = result.typedAll && after == before + static_cast<LRESULT>(typed.size() + breaks);

        SendMessageA(control, EM_SETSEL, 0, 0);
        ScrollToLine(control, 0);
        start = Now();
        for (int i = 0; i < kKeyPages; ++i) {
            SendMessageA(control, WM_KEYDOWN, VK_NEXT, KeyLParam(0x51));
            UpdateWindow(pane);
        }
        result.paging.ms.push_back(MsSince(start));
        Pump();
    }
    return result;
}

void PrintSpread(const char* name, const Series& s, double megabytes) {
    std::printf("  %-22s median %8.1f ms  (min %.1f, max %.1f, n=%u)  %.1f MB/s\n", name, s.Median(),
                s.Best(), s.Worst(), static_cast<unsigned>(s.ms.size()), megabytes / (s.Median() / 1000.0));
}

// The pane's pixels as they are on the screen, top row first, 0x00RRGGBB each.
std::vector<DWORD> CapturePane(HWND pane, int& width, int& height) {
    RECT rc;
    GetClientRect(pane, &rc);
    width = rc.right;
    height = rc.bottom;
    std::vector<DWORD> pixels;
    if (width <= 0 || height <= 0) return pixels;
    HDC dc = GetDC(pane);
    HDC memory = CreateCompatibleDC(dc);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD* p = static_cast<const DWORD*>(bits);
    pixels.assign(p, p + static_cast<size_t>(width) * height);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(pane, dc);
    return pixels;
}

// Distinct colours on the pane: a check that the measured paint drew coloured
// text (a blank or monochrome pane shows two or three).
unsigned DistinctColours(const std::vector<DWORD>& pixels) {
    std::vector<DWORD> sorted = pixels;
    for (DWORD& p : sorted) p &= 0x00FFFFFF;
    std::sort(sorted.begin(), sorted.end());
    return static_cast<unsigned>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
}

// The pane as a 24-bit BMP, for looking at what was measured.
bool SaveBmp(const char* path, const std::vector<DWORD>& pixels, int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = static_cast<DWORD>(stride) * height;
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&header, sizeof header, 1, f);
    std::vector<unsigned char> row(stride, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const DWORD p = pixels[static_cast<size_t>(y) * width + x];
            row[x * 3 + 0] = static_cast<unsigned char>(p);
            row[x * 3 + 1] = static_cast<unsigned char>(p >> 8);
            row[x * 3 + 2] = static_cast<unsigned char>(p >> 16);
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

void Print(const char* name, const Series& s) {
    std::printf("  %-22s mean %8.3f ms  median %8.3f ms  best %8.3f ms  worst %8.3f ms  (n=%u)\n", name,
                s.Mean(), s.Median(), s.Best(), s.Worst(), static_cast<unsigned>(s.ms.size()));
}

int ParseCount(const char* text, int fallback) {
    const int n = std::atoi(text);
    return n > 0 ? n : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rounds") == 0)
            options.rounds = ParseCount(argv[i + 1], options.rounds);
        else if (std::strcmp(argv[i], "--repaints") == 0)
            options.repaints = ParseCount(argv[i + 1], options.repaints);
        else if (std::strcmp(argv[i], "--pages") == 0)
            options.pages = ParseCount(argv[i + 1], options.pages);
        else if (std::strcmp(argv[i], "--streams") == 0)
            options.streams = ParseCount(argv[i + 1], options.streams);
        else if (std::strcmp(argv[i], "--keys") == 0)
            options.keys = ParseCount(argv[i + 1], options.keys);
        else if (std::strcmp(argv[i], "--snapshot") == 0)
            options.snapshot = argv[i + 1];
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    // Quorvane.dll beside this program, whatever the working folder.
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dll(path, length);
    dll = dll.substr(0, dll.find_last_of("\\/") + 1) + "Quorvane.dll";
    if (!LoadLibraryA(dll.c_str())) {
        std::fprintf(stderr, "QuorvaneBench: %s could not be loaded\n", dll.c_str());
        return 1;
    }
    Bench bench;
    if (!CreateBench(bench)) {
        std::fprintf(stderr, "QuorvaneBench: the control could not be created\n");
        return 1;
    }
    SetUpControl(bench.control);
    const std::string source = qvbench::GenerateColouredSource(kDocumentLines);
    ShowWindow(bench.main, SW_SHOWNORMAL);
    SizePane(bench);

    RECT pane;
    GetClientRect(UpperPane(bench.control), &pane);
    std::printf(
        "Quorvane benchmark host: %u lines (%.1f MB) of coloured source, upper pane %ld x %ld, "
        "line numbers %s\n",
        kDocumentLines, static_cast<double>(source.size()) / 1e6, pane.right, pane.bottom,
        SendMessageA(bench.control, EMX_GETLINENUMBERS, 0, 0) ? "on" : "off");

    double bestLoad = 0, bestTop = 0, bestMiddle = 0, bestPage = 0, bestPagesTotal = 0;
    for (int round = 1; round <= options.rounds; ++round) {
        const double load = Load(bench.control, source);
        UpdateWindow(bench.main);
        Pump();
        const unsigned lines = static_cast<unsigned>(SendMessageA(bench.control, EM_GETLINECOUNT, 0, 0));

        ScrollToLine(bench.control, 0);
        const Series top = Repaint(bench.control, options.repaints);
        ScrollToLine(bench.control, kDocumentLines / 2);
        const Series middle = Repaint(bench.control, options.repaints);
        ScrollToLine(bench.control, 0);
        const Paging paging = PageDown(bench.control, options.pages);

        if (round == 1) {
            ScrollToLine(bench.control, 0);
            int width = 0, height = 0;
            const std::vector<DWORD> pixels = CapturePane(UpperPane(bench.control), width, height);
            std::printf("colours on the pane at the top: %u\n", DistinctColours(pixels));
            if (options.snapshot && !SaveBmp(options.snapshot, pixels, width, height))
                std::fprintf(stderr, "QuorvaneBench: %s could not be written\n", options.snapshot);
        }
        std::printf("round %d\n", round);
        std::printf("  %-22s %8.1f ms  (%u lines)\n", "load (WM_SETTEXT)", load, lines);
        Print("repaint, top", top);
        Print("repaint, line 50000", middle);
        Print("page down + paint", paging.steps);
        std::printf("  %-22s %8.1f ms for %d pages, top line %u afterwards\n", "page down, total",
                    paging.steps.Total(), options.pages, paging.firstLine);

        auto keep = [round](double& best, double v) { best = round == 1 ? v : std::min(best, v); };
        keep(bestLoad, load);
        keep(bestTop, top.Mean());
        keep(bestMiddle, middle.Mean());
        keep(bestPage, paging.steps.Mean());
        keep(bestPagesTotal, paging.steps.Total());
    }
    std::printf(
        "best of %d rounds: load %.1f ms; full repaint %.3f ms (top), %.3f ms (line 50000); "
        "page down %.3f ms per page, %.1f ms for %d\n",
        options.rounds, bestLoad, bestTop, bestMiddle, bestPage, bestPagesTotal, options.pages);


    const std::string plain = qvbench::GeneratePlainSource(kStreamLines, kStreamAverageLine);
    const double megabytes = static_cast<double>(plain.size()) / 1e6;
    const StreamRuns streams = MeasureStreams(bench.control, plain, options.streams);
    std::printf("streams: %.1f MB, %u lines of plain source; %u callback calls in (32 KB each), %u out\n",
                megabytes, streams.lines, streams.inCalls, streams.outCalls);
    PrintSpread("stream in (EM_STREAMIN)", streams.in, megabytes);
    PrintSpread("stream out (EM_STREAMOUT)", streams.out, megabytes);
    PrintSpread("the same by WM_SETTEXT", streams.setText, megabytes);
    if (!streams.complete) std::printf("  (a stream run did not move every byte)\n");

    std::printf("keyboard: %u characters typed through WM_CHAR into the middle line, %d pages down "
                "through WM_KEYDOWN from the top, each key painted; %d runs a size\n",
                kTypedChars, kKeyPages, options.keys);
    for (unsigned lines : kKeyDocumentLines) {
        const std::string document = qvbench::GenerateColouredSource(lines);
        const KeyRuns keys = MeasureKeys(bench.control, document, lines, options.keys);
        std::printf("  %u lines\n", lines);
        std::printf("    %-20s median %8.1f ms  (min %.1f, max %.1f)  %.3f ms a key\n", "typing",
                    keys.typing.Median(), keys.typing.Best(), keys.typing.Worst(), keys.typing.Median() / kTypedChars);
        std::printf("    %-20s median %8.1f ms  (min %.1f, max %.1f)  %.3f ms a key\n", "page down",
                    keys.paging.Median(), keys.paging.Best(), keys.paging.Worst(), keys.paging.Median() / kKeyPages);
        if (!keys.typedAll) std::printf("    (a typing run did not leave every character typed)\n");
    }

    DestroyWindow(bench.main);
    Pump();
    for (HFONT font : gFonts) DeleteObject(font);
    return 0;
}
