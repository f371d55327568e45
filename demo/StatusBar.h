// The demo's status bar (the common controls' status window): a message, the
// caret's line and column, the modified state and the typing mode, in the parts
// DemoIds.h numbers.
#pragma once

#include <windows.h>

#include <string>

class StatusBar {
public:
    void Create(HWND parent, int id);
    HWND hwnd() const { return hwnd_; }

    // Lays the bar out along the parent's bottom edge; answers its height.
    int Layout(int parentWidth);

    void SetMessage(const std::string& text);
    void SetPosition(DWORD line, DWORD column);  // both counted from 1
    void SetModified(bool modified);
    void SetOverwrite(bool overwrite);

private:
    void SetPart(int part, const std::string& text);

    HWND hwnd_ = nullptr;
};
