// The control window's procedure: instance lookup, creation and destruction, and
// the dispatch of every other message through the handler tables.
#include <windows.h>

#include "edit/Notify.h"
#include "render/win/Brushes.h"
#include "base/ScrollTiming.h"
#include "base/win/Allocations.h"
#include "base/win/ControlBlock.h"
#include "shell/win/Library.h"
#include "shell/win/MessageTable.h"
#include "shell/win/NumberMargin.h"
#include "shell/win/ProcessorClock.h"
#include "shell/win/SplitBar.h"
#include "shell/win/StreamGuard.h"
#include "store/LineStore.h"

namespace qv {
namespace {

constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

HWND MakeChild(const char* cls, DWORD extraStyle, DWORD exStyle, HWND parent, UINT_PTR id) {
    return MakeWindow(exStyle, cls, kChildStyle | extraStyle, parent, id, gLibrary.hInstance);
}

// The nine children, in their order; the upper pane's creation stores the
// document's closing CR. False when any of them could not be made: a control
// without a pane, a bar or the closing CR cannot work.
bool CreateChildren(EditorInstance& ed) {
    HWND control = Hwnd(ed.hwnd);
    ed.hwndSplitBar = MakeChild("static", SS_NOTIFY, WS_EX_DLGMODALFRAME, control, 0xFFFF);
    if (!ed.hwndSplitBar) return false;
    SubclassSplitBar(Hwnd(ed.hwndSplitBar));
    for (ViewPane& pane : ed.panes) {
        HWND hwnd = MakeChild(kPaneClass, 0, 0, control, 0);
        pane.hwnd = hwnd;
        if (!hwnd) return false;
        pane.hwndVScroll = MakeChild("scrollBar", SBS_VERT, 0, hwnd, 0);
        pane.hwndHScroll = MakeChild("scrollBar", SBS_HORZ, 0, control, 0);
        pane.hwndCorner = MakeChild("static", 0, 0, control, 0);
        if (!pane.hwndVScroll || !pane.hwndHScroll || !pane.hwndCorner) return false;
    }
    // The upper pane stored the closing CR; when that found no room the document
    // has no line.
    return LineCount(ed) != 0;
}

// Undoes a creation that failed part-way: the children made so far (the store's
// text with them), the brushes, the store and the record. The window then has no
// record, and WM_CREATE answers -1.
LRESULT RefuseCreation(HWND hwnd, EditorInstance& ed) {
    ::SetWindowLongPtrA(hwnd, 0, 0);
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(hwnd, GW_CHILD))
        ::DestroyWindow(child);
    DeleteBrushes(ed);
    DestroyStore(ed);
    FreeGlobal(kSiteRecord, &reinterpret_cast<ControlBlock&>(ed));
    return -1;
}

// Hosts written for the platform's edit control pass WS_VSCROLL and WS_HSCROLL. The
// control draws its own bars in its panes: frame bars would stand beside them, never
// updated. The two bits go, and the frame is computed again, so the client area is
// the whole window.
void DropFrameScrollBars(HWND hwnd) {
    const LONG style = ::GetWindowLongA(hwnd, GWL_STYLE);
    if (!(style & (WS_VSCROLL | WS_HSCROLL))) return;
    ::SetWindowLongA(hwnd, GWL_STYLE, style & ~(WS_VSCROLL | WS_HSCROLL));
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// WM_CREATE: answers 0, or -1 when the control cannot work (no record, no store).
// The last step tells the parent of the fresh document (reason 1): a host's status
// bar shows the initial state without asking. The parent hears it inside
// CreateWindowEx, before it holds the control's handle, so the record's hwndFrom and
// idFrom are what identify the control; nothing after the notification touches the
// record, which a parent may destroy meanwhile.
LRESULT OnWmCreate(HWND hwnd) {
    if (gTiming.cpuMHz == 0) SetProcessorClock(MeasureProcessorClock());

    // The record exists, and the window points at it, before any child does: the
    // panes read it while they are being created.
    auto* block = static_cast<ControlBlock*>(AllocGlobal(kSiteRecord, GMEM_FIXED | GMEM_ZEROINIT, sizeof(ControlBlock)));
    if (!block) return -1;
    EditorInstance& ed = block->record.ed;
    ::SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(&ed));
    ed.hwnd = hwnd;
    ed.hwndParent = ::GetParent(hwnd);
    ed.controlId = static_cast<uint32_t>(::GetWindowLongA(hwnd, GWL_ID));
    if (!CreateStore(ed)) {
        ::SetWindowLongPtrA(hwnd, 0, 0);
        FreeGlobal(kSiteRecord, block);
        return -1;
    }
    SetInstanceDefaults(ed);
    if (!CreateBrushes(ed) || !CreateChildren(ed)) return RefuseCreation(hwnd, ed);
    ::SetWindowPos(Hwnd(ed.hwndSplitBar), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOOWNERZORDER);
    // The upper pane is the active pane even when it cannot take the focus now (a
    // disabled or minimized parent refuses it).
    ed.hwndActivePane = ed.panes[0].hwnd;
    ::SetFocus(Hwnd(ed.panes[0].hwnd));
    DropFrameScrollBars(hwnd);
    NotifyParent(ed, kReasonSelChange);
    return 0;
}

// WM_DESTROY: the record is detached first, so every later message goes to the
// default procedure; then the panes, brushes, store and record go (the store and
// the record only once a stream running in a callback has ended).
LRESULT OnWmDestroy(EditorInstance& ed, const Message& m) {
    ::SetWindowLongPtrA(m.hwnd, 0, 0);
    ::DestroyWindow(Hwnd(ed.panes[1].hwnd));
    ::DestroyWindow(Hwnd(ed.panes[0].hwnd));
    DeleteBrushes(ed);
    ReleaseControlRecord(ed);
    return m.Default();
}

bool InRange(UINT msg, UINT first, UINT last) { return msg >= first && msg <= last; }
bool IsPrivate(UINT msg) { return InRange(msg, 0x13A0, 0x13FF) || msg == 0x2B0F; }

LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    EditorInstance* ed = InstanceOf(hwnd);
    if (!ed) {
        if (msg == WM_CREATE) return OnWmCreate(hwnd);
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    const Message m = {hwnd, msg, wParam, lParam};
    if (msg == WM_DESTROY) return OnWmDestroy(*ed, m);
    if (RefusedWhileStreaming(*ed, msg, wParam)) return 0;

    Handler handler = nullptr;
    if (InRange(msg, 0x432, 0x4E1)) handler = kRichEditMessages.Find(msg);
    if (!handler && InRange(msg, 0xB0, 0xD9)) handler = kEditMessages.Find(msg);
    if (!handler) handler = kWindowMessages.Find(msg);
    if (handler) return handler(*ed, m);

    // A WM_COMMAND whose identifier is a private message number acts as that
    // message, with the WM_COMMAND's own arguments.
    if (msg == WM_COMMAND) {
        UINT id = LOWORD(wParam);
        if (IsPrivate(id)) {
            if (Handler priv = kPrivateMessages.Find(id)) return priv(*ed, {hwnd, id, wParam, lParam});
        }
        return m.Default();
    }
    if (IsPrivate(msg)) {
        if (Handler priv = kPrivateMessages.Find(msg)) return priv(*ed, m);
    }
    return m.Default();
}

}  // namespace

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Dispatch(hwnd, msg, wParam, lParam);
    // Whatever the message changed (the line count, the fonts, the padding), the
    // line-number margin follows; the record is looked up again, as the message may
    // have destroyed the control.
    if (EditorInstance* ed = InstanceOf(hwnd)) KeepNumberMargin(*ed);
    return result;
}

}  // namespace qv
