// What every Windows test needs: the real Quorvane.dll, loaded once, and a host
// window with a control in it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "quorvane.h"

namespace qvtest {

// Loads Quorvane.dll from the test program's folder, once per process.
HMODULE LoadQuorvane();

// A top-level host window that records the notifications its controls send.
class HostWindow {
public:
    HostWindow();
    ~HostWindow();
    HWND hwnd() const { return hwnd_; }

    struct Notification {
        WPARAM wParam;
        SelChangeEx record;
    };
    std::vector<Notification> notifications;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
};

// A control of `width` x `height` in a fresh host window; destroyed with the test.
class ControlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    HWND MakeControl(int width = 400, int height = 300, DWORD style = 0, int id = 7);
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageA(control, msg, wParam, lParam);
    }

    HostWindow* host = nullptr;
    HWND control = nullptr;
};

// Handles pending messages without waiting.
void PumpMessages();

// Handles messages until none came for `ms` milliseconds: the display's answers to
// a new top-level window or a moved pointer come late.
void PumpQuietFor(DWORD ms);

}  // namespace qvtest
