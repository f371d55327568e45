// The narrow interface through which the platform-free core reaches the platform:
// private heaps, the one error box, cursors and beeps, the parent notification,
// text measurement with the control's font, a non-owning proxy of the pane
// windows (invalidate, scroll, update, caret, focus), the mouse (capture, buttons,
// the pointer), the buffers and code-page conversions of stream transfers, and
// CF_TEXT on the clipboard. The Windows layer implements it with kernel32, user32
// and gdi32; the native tests implement it with a recorder.
//
// There is one platform per process, installed before the first control exists.
#pragma once

#include <cstdint>

#include "base/TextWidths.h"
#include "base/Types.h"

namespace qv {

struct EditorInstance;

// The notification record before the platform packs it into the host's 54-byte
// SelChangeEx.
struct SelChangeInfo {
    WindowRef hwndFrom;
    uint32_t idFrom;
    uint32_t code;
    CharIndex anchor;
    CharIndex caret;
    uint16_t reason;
    uint32_t line;
    uint32_t lineLength;
    CharIndex lineStart;
    const uint8_t* lineRecord;
    uint32_t lastLine;
    uint32_t hiddenLines;
    uint32_t changed;
    uint32_t page;
};

// Pointer shapes: the platform's arrow, I-beam and hourglass, and the library's own
// margin cursor (resource 103, an arrow pointing up and to the right).
enum class StdCursor { Arrow, IBeam, Wait, Margin };

class Platform {
public:
    virtual ~Platform() = default;

    // ---- Private heaps ----------------------------------------------------------------
    // Allocation answers nullptr on failure and never raises; growth keeps the old
    // block untouched when it fails, and zero-fills the new tail when it succeeds.
    virtual HeapRef CreateHeap(uint32_t initialSize) = 0;
    virtual void DestroyHeap(HeapRef heap) = 0;
    virtual uint8_t* AllocZeroed(HeapRef heap, uint32_t size) = 0;
    virtual uint8_t* ReAllocZeroed(HeapRef heap, uint8_t* block, uint32_t newSize) = 0;

    // ---- The user -----------------------------------------------------------------------
    // The one error the user ever sees: a message box owned by the control, caption
    // "Quorvane", type MB_OK.
    virtual void ShowAllocationError(WindowRef owner, const char* text) = 0;
    virtual void Beep() = 0;  // MessageBeep(MB_ICONHAND)
    // Sets a standard cursor and answers the one it replaces.
    virtual CursorRef SetCursor(StdCursor cursor) = 0;
    virtual void RestoreCursor(CursorRef previous) = 0;

    // ---- The parent -------------------------------------------------------------------
    // WM_NOTIFY to the parent, synchronously; the record lives during the call.
    virtual void SendNotify(WindowRef parent, uint32_t wParam, const SelChangeInfo& info) = 0;

    // ---- Measuring --------------------------------------------------------------------
    // Right edge of `n` characters drawn from x 0 in the text font (slot 0) on the
    // control's device context: DrawTextExA with DT_CALCRECT, DT_SINGLELINE,
    // DT_EXPANDTABS, DT_TABSTOP, DT_NOPREFIX, DT_EDITCONTROL and tab length tabWidth.
    virtual int32_t MeasureText(const EditorInstance& ed, const uint8_t* text, uint32_t n) = 0;
    // The same measurement as a table of byte widths, when the text font measures
    // every text as the sum of its characters (base/TextWidths.h); nullptr when it
    // does not, and MeasureText must be asked. Valid until the next call to the
    // platform.
    virtual const TextWidths* TextWidthsOf(const EditorInstance& ed) = 0;

    // ---- Pane windows -----------------------------------------------------------------
    // `rect` nullptr means the whole client area.
    virtual void InvalidateRect(WindowRef window, const Rect* rect, bool erase) = 0;
    // Scrolls the pixels of `window` within `clip` and invalidates what is uncovered.
    virtual void ScrollWindow(WindowRef window, int32_t dx, int32_t dy, const Rect& clip) = 0;
    virtual void UpdateWindow(WindowRef window) = 0;
    virtual WindowRef GetFocus() = 0;
    // The one system caret of the thread: the control keeps where it put it
    // (PlacedCaret), since another window may move it.
    virtual void SetCaretPos(int32_t x, int32_t y) = 0;
    virtual void ShowCaret(WindowRef window) = 0;
    virtual void HideCaret(WindowRef window) = 0;
    // Gives `window` the keyboard focus (nothing when it has it already).
    virtual void SetFocus(WindowRef window) = 0;
    // Gives the pane the focus and sends it WM_SETFOCUS as well, so that its caret
    // is made and placed again even when it had the focus already.
    virtual void FocusPane(WindowRef pane) = 0;
    // Moves `window` to 0, 0 with no size, repainting: how the host's popup window is
    // put out of the way.
    virtual void CollapseWindow(WindowRef window) = 0;

    // ---- The mouse ------------------------------------------------------------------
    // Every mouse message goes to `window` until ReleaseCapture.
    virtual void SetCapture(WindowRef window) = 0;
    // Releases the mouse when `holder` has it; a capture another window holds stays.
    virtual void ReleaseCapture(WindowRef holder) = 0;
    // The live (asynchronous) state of the logical mouse buttons, read while a loop
    // runs inside one message.
    virtual bool IsLeftButtonDown() = 0;
    virtual bool IsRightButtonDown() = 0;
    // The pointer's current position in `window`'s client coordinates.
    virtual Point PointerPosition(WindowRef window) = 0;
    // Posts `window` a WM_MOUSEMOVE with the key flags `keys` at `at`: how a drag past
    // a pane's edge keeps scrolling while other messages run in between.
    virtual void PostMouseMove(WindowRef window, uint32_t keys, Point at) = 0;
    // The pacing wait between two automatic scroll steps: `count` turns of an empty
    // loop, or a wait of the same length.
    virtual void Spin(uint32_t count) = 0;

    // ---- Stream transfers ---------------------------------------------------------------
    // A zero-filled block for one transfer, a stream's or a clipboard copy's (global
    // memory in the real control, outside the control's heaps), or nullptr when it
    // cannot be had; freed at the transfer's end.
    virtual uint8_t* AllocTransferBuffer(uint32_t size) = 0;
    virtual void FreeTransferBuffer(uint8_t* block) = 0;
    // Conversions through the ANSI code page. Each answers what it wrote, never
    // more than `capacity`; a character the code page lacks becomes its default
    // character. A surrogate pair must be given whole, a two-byte character too.
    virtual uint32_t WideToAnsi(const uint16_t* units, uint32_t n, uint8_t* out, uint32_t capacity) = 0;
    virtual uint32_t AnsiToWide(const uint8_t* bytes, uint32_t n, uint16_t* out, uint32_t capacity) = 0;
    // True when `byte` begins a two-byte character of the ANSI code page.
    virtual bool IsAnsiLeadByte(uint8_t byte) = 0;

    // ---- The clipboard (CF_TEXT) -----------------------------------------------------
    // Opens the clipboard for `owner`; false when another window holds it open. Every
    // call below needs it open, and every successful open is closed again.
    virtual bool OpenClipboard(WindowRef owner) = 0;
    virtual void CloseClipboard() = 0;
    // Empties the clipboard and hands it the n bytes and a NUL as CF_TEXT, in a
    // block of global memory the clipboard then owns. False, with the clipboard left
    // as it was, when the block cannot be had; false too when the clipboard refuses
    // the block (it is freed then, and the clipboard is empty).
    virtual bool WriteClipboardText(const uint8_t* bytes, uint32_t n) = 0;
    // The clipboard's CF_TEXT, locked: its address and in `length` its text, the
    // bytes before the first NUL and never more than the block holds. nullptr when
    // there is no CF_TEXT or it cannot be locked. Valid until UnlockClipboardText,
    // which follows every successful lock before the clipboard is closed.
    virtual const uint8_t* LockClipboardText(uint32_t& length) = 0;
    virtual void UnlockClipboardText() = 0;
};

// The process's platform. Installed by the library at process attach, or by a test.
Platform& ThePlatform();
void InstallPlatform(Platform* platform);

}  // namespace qv
