#include "StatusBar.h"

#include <commctrl.h>

#include <cstdio>

#include "DemoIds.h"

void StatusBar::Create(HWND parent, int id) {
    hwnd_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr);
    // The parts from the start: a text set before its part exists is lost.
    RECT client;
    GetClientRect(parent, &client);
    Layout(client.right);
}

int StatusBar::Layout(int parentWidth) {
    SendMessageA(hwnd_, WM_SIZE, 0, 0);  // the bar places itself
    // The right edges of the parts: the last three are as wide as their texts need
    // (the last one with the size grip), the message takes what they leave.
    int edges[STATUS_PARTS];
    edges[STATUS_MODE] = -1;
    edges[STATUS_MODIFIED] = parentWidth - 64;
    edges[STATUS_POSITION] = edges[STATUS_MODIFIED] - 80;
    edges[STATUS_MESSAGE] = edges[STATUS_POSITION] - 130;
    SendMessageA(hwnd_, SB_SETPARTS, STATUS_PARTS, reinterpret_cast<LPARAM>(edges));
    RECT rc;
    GetWindowRect(hwnd_, &rc);
    return rc.bottom - rc.top;
}

void StatusBar::SetPart(int part, const std::string& text) {
    SendMessageA(hwnd_, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text.c_str()));
}

void StatusBar::SetMessage(const std::string& text) {
    SetPart(STATUS_MESSAGE, text);
}

void StatusBar::SetPosition(DWORD line, DWORD column) {
    char text[64];
    std::snprintf(text, sizeof text, "Ln %lu, Col %lu", static_cast<unsigned long>(line),
                  static_cast<unsigned long>(column));
    SetPart(STATUS_POSITION, text);
}

void StatusBar::SetModified(bool modified) {
    SetPart(STATUS_MODIFIED, modified ? "Modified" : "");
}

void StatusBar::SetOverwrite(bool overwrite) {
    SetPart(STATUS_MODE, overwrite ? "OVR" : "INS");
}
