// The control the benchmark host measures: one Quorvane control of 800 x 600 in a
// main window, DejaVu Sans Mono 10 pt in regular, bold and italic, four keyword
// groups, line numbers on and no scroll pacing; and the clock, the paint and the
// memory figures every workload uses.
#pragma once

#include <windows.h>

#include <cstddef>

namespace qvbench {

constexpr int kControlWidth = 800;
constexpr int kControlHeight = 600;

struct BenchControl {
    HWND main = nullptr;
    HWND control = nullptr;
    HFONT fonts[3] = {};  // regular, bold, italic

    // Loads Quorvane.dll from the program's folder and makes the control; false
    // (with a message on stderr) when either fails.
    bool Create();
    ~BenchControl();

    HWND UpperPane() const;
    HWND UpperVScroll() const;
    // Sends a message to the control.
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageA(control, msg, wParam, lParam);
    }
    // Paints everything of the control that waits to be painted, now: the panes,
    // the scroll bars, the margins.
    void PaintNow() const;
};

// Handles pending messages without waiting.
void Pump();

// The performance counter in milliseconds.
double NowMs();

// Committed private memory of the process, in bytes (VirtualQuery over the address
// space: Wine's GetProcessMemoryInfo answers 0).
size_t PrivateBytes();

}  // namespace qvbench
