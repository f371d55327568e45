// The memory block behind a control window: its ControlRecord (the EditorInstance
// hosts read, then the control's working state), and after it what only the
// window layer keeps for the control.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "base/ControlRecord.h"

namespace qv {

struct ControlPrivate {
    // Panes created so far; the first pane stores the document's closing CR. Kept
    // per control, so a control whose second pane could not be made leaves no
    // trace in the next one.
    uint32_t paneCreations;
    // Streams running on the control: a stream-out may run inside a stream-in's
    // callback. While one runs, nothing may change the text it reads or writes.
    uint32_t streamDepth;
    // The window was destroyed during a stream's callback (or a mouse handler's
    // notification): the stream stops, and the last stream or handler to end
    // releases the store and the record.
    uint32_t destroyedWhileStreaming;
    // Mouse handlers running on the control: each may notify the parent and then go
    // on with the record, so a destruction meanwhile waits for them.
    uint32_t mouseDepth;
    // What each pane's wheel turned short of a notch (upper, lower).
    int32_t wheelRemainder[2];
    // Set by a thumb drag of a pane's vertical bar: the next paint of a shown pane
    // of the control draws straight into the window instead of through the
    // off-screen bitmap.
    uint32_t paintDirectNext;
    // WM_MOUSEWHEEL is being sent on to the active pane: one that comes back to the
    // control meanwhile (a pane subclass handing it to the default procedure) goes
    // on to the parent.
    uint32_t forwardingWheel;
    // What the line-number margin was last measured for: the widest number's
    // length and the fonts it was measured in (slot 5, and slot 0 that stands in
    // for an empty slot 5), and the width that number needs with its gaps.
    uint32_t numberLength;
    FontRef numberFont;
    FontRef numberTextFont;
    uint32_t numberNeed;
    // The host's line-end setting (EMX_SETLINEENDS: a QV_LINEENDS_ style, maybe with
    // QV_LINEENDS_NOFINAL); 0, the control's first answers, at creation.
    uint32_t lineEnds;
    // The line ends the last whole-text load found (EMX_GETLOADEDLINEENDS), a
    // QV_LINEENDS_ value; 0 stands for QV_LINEENDS_NONE, what a new control has.
    uint32_t loadedLineEnds;
};

struct ControlBlock {
    ControlRecord record;  // first: the window's extra value points at its EditorInstance
    ControlPrivate priv;
};
static_assert(offsetof(ControlBlock, record) == 0, "an EditorInstance's address is its block's");

// The record of a control window, or nullptr before WM_CREATE and after WM_DESTROY.
inline EditorInstance* InstanceOf(HWND hwnd) {
    return reinterpret_cast<EditorInstance*>(::GetWindowLongPtrA(hwnd, 0));
}
inline ControlPrivate& PrivateOf(EditorInstance& ed) { return reinterpret_cast<ControlBlock&>(ed).priv; }
// True while a stream runs on the control: text-changing messages and keys are refused.
inline bool StreamRunning(EditorInstance& ed) { return PrivateOf(ed).streamDepth != 0; }
inline HWND Hwnd(WindowRef w) { return static_cast<HWND>(w); }

}  // namespace qv
