#include "shell/win/StreamGuard.h"

#include <richedit.h>

#include "base/win/Allocations.h"
#include "base/win/ControlBlock.h"
#include "quorvane.h"
#include "store/LineStore.h"

namespace qv {
namespace {

bool ChangesTextOrLines(UINT msg) {
    switch (msg) {
        case WM_SETTEXT:
        case WM_CUT:
        case WM_PASTE:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_REPLACESEL:
        case EM_UNDO:
        case EM_REDO:
        case EM_EMPTYUNDOBUFFER:
            return true;
        default:
            return false;
    }
}

bool ChangesLinesPrivately(UINT id) {
    switch (id) {
        case EMX_FOLDBLOCK:
        case EMX_FOLDALL:
        case EMX_UNFOLDBLOCK:
        case EMX_UNFOLDALL:
        case EMX_SETLINEHIDDEN:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool RefusedWhileStreaming(EditorInstance& ed, UINT msg, WPARAM wParam) {
    if (!StreamRunning(ed)) return false;
    if (msg == WM_COMMAND) return ChangesLinesPrivately(LOWORD(wParam));
    return ChangesTextOrLines(msg) || ChangesLinesPrivately(msg);
}

StreamScope::StreamScope(EditorInstance& ed) : ed_(ed) {
    ++PrivateOf(ed).streamDepth;
}

StreamScope::~StreamScope() {
    ControlPrivate& priv = PrivateOf(ed_);
    if (--priv.streamDepth == 0 && priv.destroyedWhileStreaming) ReleaseControlRecord(ed_);
}

const uint32_t* StreamScope::abandoned() const {
    return &PrivateOf(ed_).destroyedWhileStreaming;
}

void ReleaseControlRecord(EditorInstance& ed) {
    ControlPrivate& priv = PrivateOf(ed);
    if (priv.streamDepth != 0 || priv.mouseDepth != 0) {
        priv.destroyedWhileStreaming = 1;
        return;
    }
    DestroyStore(ed);
    FreeGlobal(kSiteRecord, &reinterpret_cast<ControlBlock&>(ed));
}

}  // namespace qv
