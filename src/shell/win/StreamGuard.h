// While a stream runs on a control its text stays as the stream reads or writes
// it: a host callback that pumps messages, or sends them, cannot change it, and a
// callback that destroys the control ends the stream without leaving it a freed
// record to write to.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

// True, while a stream runs on the control, for the messages that are refused then
// (answer 0, nothing changes): those that change the text, the undo log a
// stream-in writes, or the hidden lines. WM_SETTEXT, WM_CUT, WM_PASTE, WM_CLEAR,
// WM_UNDO, EM_REPLACESEL, EM_UNDO, EM_REDO, EM_EMPTYUNDOBUFFER, and the fold,
// unfold and hide messages, also as WM_COMMAND identifiers. A nested EM_STREAMIN
// is refused by its own handler, keys by the panes.
bool RefusedWhileStreaming(EditorInstance& ed, UINT msg, WPARAM wParam);

// Marks a stream as running on the control for as long as it lives. When the
// window is destroyed meanwhile, *abandoned() turns nonzero, and the last scope to
// end releases the store and the record.
class StreamScope {
public:
    explicit StreamScope(EditorInstance& ed);
    ~StreamScope();
    StreamScope(const StreamScope&) = delete;
    StreamScope& operator=(const StreamScope&) = delete;
    const uint32_t* abandoned() const;

private:
    EditorInstance& ed_;
};

// WM_DESTROY's last step: releases the store and the record, unless a stream or a
// mouse handler runs on the control; then the last of them to end does.
void ReleaseControlRecord(EditorInstance& ed);

}  // namespace qv
