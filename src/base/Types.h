// Basic types shared by the platform-free core and the Windows layer.
#pragma once

#include <cstdint>

namespace qv {

// Handles of the platform, opaque to the core. In the 32-bit Windows build each is
// a 32-bit HWND, HFONT, HBRUSH, HCURSOR or HANDLE.
using WindowRef = void*;
using FontRef = void*;
using BrushRef = void*;
using CursorRef = void*;
using HeapRef = void*;

// A position in the document: stored characters from its start; a line end is one
// stored CR. Unsigned, so that -1 stands for "past the end".
using CharIndex = uint32_t;
// Lines are numbered from 0.
using LineNumber = uint32_t;

constexpr CharIndex kNoIndex = 0xFFFFFFFFu;
constexpr uint8_t kCR = 0x0D;
constexpr uint8_t kLF = 0x0A;
constexpr uint8_t kTab = 0x09;

// Laid out as the platform's RECT and POINT: signed 32-bit members.
struct Rect {
    int32_t left, top, right, bottom;
};
struct Point {
    int32_t x, y;
};

#if defined(_WIN32)
#define QV_CALLBACK __stdcall
#else
#define QV_CALLBACK
#endif

// The host's marker callback: image number (1-8, 0 none) for an unmarked line.
using MarkerCallback = uint32_t(QV_CALLBACK*)(WindowRef control, uint32_t line);

}  // namespace qv
