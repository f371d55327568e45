// The mouse messages of a pane: clicks, drags, double clicks, the right button,
// the wheel, the pointer's shape, and the end of a gesture whose capture is lost.
#include <cmath>

#include "base/win/ControlBlock.h"
#include "command/MouseCommands.h"
#include "pane/MouseState.h"
#include "pane/PointerGeometry.h"
#include "shell/win/PaneInput.h"
#include "shell/win/Layout.h"
#include "shell/win/StreamGuard.h"
#include "store/LineRecord.h"

namespace qv {
namespace {

// A control with this style bit leaves double clicks to its own window (and so to
// a host that subclassed it).
constexpr uint32_t kStyleDoubleClickToControl = 0x80;

// Keeps the control's record while a mouse handler runs: the handler notifies the
// parent and may go on with the record afterwards, so a parent that destroys the
// control meanwhile leaves the release of the record to the handler's end.
class MouseScope {
public:
    explicit MouseScope(EditorInstance& ed) : ed_(ed) { ++PrivateOf(ed).mouseDepth; }
    ~MouseScope() {
        ControlPrivate& priv = PrivateOf(ed_);
        if (--priv.mouseDepth == 0 && priv.destroyedWhileStreaming) ReleaseControlRecord(ed_);
    }
    MouseScope(const MouseScope&) = delete;
    MouseScope& operator=(const MouseScope&) = delete;
    MouseContext Context() const {
        return {static_cast<int32_t>(std::lrint(LayoutStateOf(ed_).avgCharWidth)),
                &PrivateOf(ed_).destroyedWhileStreaming};
    }

private:
    EditorInstance& ed_;
};

PointerEvent EventOf(HWND pane, WPARAM wParam, LPARAM lParam) {
    return {pane, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
            static_cast<uint32_t>(wParam)};
}

// WM_LBUTTONDOWN: the average character width comes from the current line first
// (a proportional font); then the press. Answers 0.
LRESULT OnPaneLButtonDown(EditorInstance& ed, HWND pane, WPARAM wParam, LPARAM lParam) {
    MouseScope scope(ed);
    if (!ed.fixedPitch && LineCount(ed) != 0 && CurrentRecord(ed).length() != 0) MeasureCurrentLine(ed);
    MousePress(ed, EventOf(pane, wParam, lParam), scope.Context());
    return 0;
}

// WM_LBUTTONDBLCLK: the word at the click selected, or with style bit 0x80 the
// message handed to the control window; answers 0.
LRESULT OnPaneLButtonDblClk(EditorInstance& ed, HWND pane, WPARAM wParam, LPARAM lParam) {
    MouseScope scope(ed);
    if (ed.style & kStyleDoubleClickToControl) {
        if (::GetCapture() == pane) ::ReleaseCapture();
        ::SendMessageA(Hwnd(ed.hwnd), WM_LBUTTONDBLCLK, wParam, lParam);
        if (!*scope.Context().abandoned) ClearColumnBand(ed);
    } else {
        MouseDoubleClick(ed);
    }
    return 0;
}

// WM_MOUSEWHEEL: the pane scrolled by the wheel's notches within its bar's range;
// answers 0.
LRESULT OnPaneMouseWheel(EditorInstance& ed, HWND pane, WPARAM wParam) {
    MouseScope scope(ed);
    const ViewPane& view = PaneOf(ed, pane);
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS, 0, 0, 0, 0, 0};
    ::GetScrollInfo(Hwnd(view.hwndVScroll), SB_CTL, &info);
    int32_t& remainder = PrivateOf(ed).wheelRemainder[&view == &ed.panes[0] ? 0 : 1];
    WheelScroll(ed, pane, remainder, static_cast<short>(HIWORD(wParam)), {info.nMax, info.nPage},
                scope.Context());
    return 0;
}

// WM_SETCURSOR over the pane's client area: the shape for the pointer's place (the
// margin cursor, the arrow inside the last selection, else the I-beam), so that no
// parent's class cursor shows between two moves. Answers TRUE.
LRESULT OnPaneSetCursor(EditorInstance& ed, HWND pane) {
    POINT at = {0, 0};
    ::GetCursorPos(&at);
    ::ScreenToClient(pane, &at);
    StdCursor shape = PointerShapeAt(ed, pane, at.x, at.y);
    if (MouseStateOf(ed).mouseDragState == kMouseMarginLines) shape = StdCursor::Margin;
    ThePlatform().SetCursor(shape);
    return TRUE;
}

}  // namespace

LRESULT OnPaneMouse(EditorInstance& ed, HWND pane, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (msg) {
        case WM_LBUTTONDOWN:
            return OnPaneLButtonDown(ed, pane, wParam, lParam);
        case WM_LBUTTONUP: {
            MouseScope scope(ed);
            MouseRelease(ed, pane);
            return 0;
        }
        case WM_LBUTTONDBLCLK:
            return OnPaneLButtonDblClk(ed, pane, wParam, lParam);
        case WM_MOUSEMOVE: {
            MouseScope scope(ed);
            MouseMove(ed, EventOf(pane, wParam, lParam), scope.Context());
            return 0;
        }
        case WM_RBUTTONDOWN:
            // Only a press of the right button alone; the selection stays.
            if (wParam != MK_RBUTTON) break;
            RightButtonPress(ed);
            return 1;
        case WM_RBUTTONUP:
            if (wParam != MK_RBUTTON) break;
            return 1;
        case WM_MOUSEWHEEL:
            return OnPaneMouseWheel(ed, pane, wParam);
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) != pane || LOWORD(lParam) != HTCLIENT) break;
            return OnPaneSetCursor(ed, pane);
        case WM_CAPTURECHANGED:
            // Another window took the mouse: a gesture under way ends.
            if (reinterpret_cast<HWND>(lParam) != pane) EndMouseGesture(ed);
            break;
        case WM_CANCELMODE:
            EndMouseGesture(ed);
            if (::GetCapture() == pane) ::ReleaseCapture();
            break;
        default:
            break;
    }
    handled = false;
    return 0;
}

}  // namespace qv
