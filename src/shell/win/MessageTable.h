// The control procedure dispatches through tables of handlers, one table per group
// of messages, in the order the control tests them: rich-edit style messages,
// edit messages, window messages, private messages.
#pragma once

#include <windows.h>

#include "base/EditorInstance.h"

namespace qv {

struct Message {
    HWND hwnd;  // the control window
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    // The platform's answer, for handlers that end "then default".
    LRESULT Default() const { return ::DefWindowProcA(hwnd, msg, wParam, lParam); }
};

using Handler = LRESULT (*)(EditorInstance& ed, const Message& m);

struct HandlerEntry {
    UINT msg;
    Handler handler;
};

struct HandlerTable {
    const HandlerEntry* entries;
    size_t count;
    // The handler for `msg`, or nullptr when the group does not answer it.
    Handler Find(UINT msg) const {
        for (size_t i = 0; i < count; ++i)
            if (entries[i].msg == msg) return entries[i].handler;
        return nullptr;
    }
};

extern const HandlerTable kRichEditMessages;  // 0x432-0x4E1
extern const HandlerTable kEditMessages;      // 0xB0-0xD9
extern const HandlerTable kWindowMessages;
extern const HandlerTable kPrivateMessages;   // 0x13A0-0x13FF, 0x2B0F

template <size_t N>
constexpr HandlerTable MakeTable(const HandlerEntry (&entries)[N]) {
    return {entries, N};
}

}  // namespace qv
