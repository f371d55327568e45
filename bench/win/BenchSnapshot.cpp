#include "BenchSnapshot.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchControl.h"
#include "BenchSource.h"

namespace qvbench {
namespace {

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

unsigned DistinctColours(const std::vector<DWORD>& pixels) {
    std::vector<DWORD> sorted = pixels;
    for (DWORD& p : sorted) p &= 0x00FFFFFF;
    std::sort(sorted.begin(), sorted.end());
    return static_cast<unsigned>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
}

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

}  // namespace

int SaveSnapshot(const char* path) {
    BenchControl bench;
    if (!bench.Create()) return 1;
    const std::string source = GenerateColouredSource(100000);
    bench.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(source.c_str()));
    bench.PaintNow();
    Pump();
    int width = 0, height = 0;
    const std::vector<DWORD> pixels = CapturePane(bench.UpperPane(), width, height);
    std::printf("colours on the pane at the top: %u\n", DistinctColours(pixels));
    if (!SaveBmp(path, pixels, width, height)) {
        std::fprintf(stderr, "QuorvaneBench: %s could not be written\n", path);
        return 1;
    }
    return 0;
}

}  // namespace qvbench
