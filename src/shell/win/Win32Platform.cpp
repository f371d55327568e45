#include "shell/win/Win32Platform.h"

#include <windows.h>

#include <cstring>

#include "quorvane.h"
#include "base/EditorInstance.h"
#include "base/HostLimits.h"
#include "base/win/Allocations.h"
#include "base/win/LibraryState.h"
#include "render/win/FontWidths.h"

namespace qv {
namespace {
HWND H(WindowRef w) { return static_cast<HWND>(w); }

// The asynchronous key state reads the physical buttons; with the buttons swapped
// the logical left button is the physical right one.
bool IsButtonDown(bool left) {
    const bool swapped = ::GetSystemMetrics(SM_SWAPBUTTON) != 0;
    return (::GetAsyncKeyState(left != swapped ? VK_LBUTTON : VK_RBUTTON) & 0x8000) != 0;
}

static_assert(sizeof(SelChangeEx) == 54, "SelChangeEx is 54 packed bytes");
static_assert(sizeof(Rect) == sizeof(RECT) && sizeof(Point) == sizeof(POINT), "RECT and POINT layouts");
}  // namespace

// The areas' heaps are private to one control and used from its thread only, so
// they are not serialised. They never raise exceptions: a failed allocation
// answers NULL and the caller shows its message box.
HeapRef Win32Platform::CreateHeap(uint32_t initialSize) { return MakeHeap(initialSize); }

void Win32Platform::DestroyHeap(HeapRef heap) { DropHeap(heap); }

uint8_t* Win32Platform::AllocZeroed(HeapRef heap, uint32_t size) {
    return static_cast<uint8_t*>(HeapBlock(heap, HEAP_ZERO_MEMORY | HEAP_NO_SERIALIZE, size));
}

uint8_t* Win32Platform::ReAllocZeroed(HeapRef heap, uint8_t* block, uint32_t newSize) {
    return static_cast<uint8_t*>(HeapGrow(heap, HEAP_ZERO_MEMORY | HEAP_NO_SERIALIZE, block, newSize));
}

void Win32Platform::ShowAllocationError(WindowRef owner, const char* text) {
    ::MessageBoxA(H(owner), text, "Quorvane", MB_OK);
}

void Win32Platform::Beep() { ::MessageBeep(MB_ICONHAND); }

CursorRef Win32Platform::SetCursor(StdCursor cursor) {
    if (cursor == StdCursor::Margin) return ::SetCursor(gLibrary.marginCursor);
    LPCSTR id = cursor == StdCursor::Wait ? IDC_WAIT : cursor == StdCursor::IBeam ? IDC_IBEAM : IDC_ARROW;
    return ::SetCursor(::LoadCursorA(nullptr, id));
}

void Win32Platform::RestoreCursor(CursorRef previous) { ::SetCursor(static_cast<HCURSOR>(previous)); }

void Win32Platform::SendNotify(WindowRef parent, uint32_t wParam, const SelChangeInfo& info) {
    SelChangeEx record = {};
    record.nmhdr.hwndFrom = H(info.hwndFrom);
    record.nmhdr.idFrom = info.idFrom;
    record.nmhdr.code = info.code;
    record.anchor = static_cast<LONG>(info.anchor);
    record.caret = static_cast<LONG>(info.caret);
    record.reason = info.reason;
    record.line = info.line;
    record.lineLength = info.lineLength;
    record.lineStart = info.lineStart;
    record.lineRecord = info.lineRecord;
    record.lastLine = info.lastLine;
    record.hiddenLines = info.hiddenLines;
    record.changed = info.changed;
    record.page = info.page;
    ::SendMessageA(H(parent), WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(&record));
}

// The text font's byte widths when they add up (nearly every single-byte font);
// DrawTextExA itself otherwise.
int32_t Win32Platform::MeasureText(const EditorInstance& ed, const uint8_t* text, uint32_t n) {
    if (n == 0) return 0;
    if (const TextWidths* widths = TextWidthsOf(ed)) {
        const int64_t width = PrefixWidth(*widths, text, n);
        return width > INT32_MAX ? INT32_MAX : static_cast<int32_t>(width);
    }
    return MeasureWithDrawText(static_cast<HFONT>(ed.fonts[kFontText]), ClampTabWidth(ed.tabWidth), text, n);
}

// Two-byte characters are measured whole by DrawTextExA: no table for them.
const TextWidths* Win32Platform::TextWidthsOf(const EditorInstance& ed) {
    if (ed.dbcsCharSet != 0 || ed.pairedCharSet != 0) return nullptr;
    return WidthsOfFont(static_cast<HFONT>(ed.fonts[kFontText]), ClampTabWidth(ed.tabWidth), widths_) ? &widths_
                                                                                                         : nullptr;
}

void Win32Platform::InvalidateRect(WindowRef window, const Rect* rect, bool erase) {
    ::InvalidateRect(H(window), reinterpret_cast<const RECT*>(rect), erase);
}

void Win32Platform::ScrollWindow(WindowRef window, int32_t dx, int32_t dy, const Rect& clip) {
    const RECT* r = reinterpret_cast<const RECT*>(&clip);
    ::ScrollWindow(H(window), dx, dy, r, r);
}

void Win32Platform::UpdateWindow(WindowRef window) { ::UpdateWindow(H(window)); }
WindowRef Win32Platform::GetFocus() { return ::GetFocus(); }
void Win32Platform::SetCaretPos(int32_t x, int32_t y) { ::SetCaretPos(x, y); }
void Win32Platform::ShowCaret(WindowRef window) { ::ShowCaret(H(window)); }
void Win32Platform::HideCaret(WindowRef window) { ::HideCaret(H(window)); }
void Win32Platform::SetFocus(WindowRef window) { ::SetFocus(H(window)); }
void Win32Platform::FocusPane(WindowRef pane) {
    ::SetFocus(H(pane));
    ::SendMessageA(H(pane), WM_SETFOCUS, 0, 0);
}
void Win32Platform::CollapseWindow(WindowRef window) { ::MoveWindow(H(window), 0, 0, 0, 0, TRUE); }
void Win32Platform::SetCapture(WindowRef window) { ::SetCapture(H(window)); }
void Win32Platform::ReleaseCapture(WindowRef holder) {
    if (::GetCapture() == H(holder)) ::ReleaseCapture();
}
bool Win32Platform::IsLeftButtonDown() { return IsButtonDown(true); }
bool Win32Platform::IsRightButtonDown() { return IsButtonDown(false); }
Point Win32Platform::PointerPosition(WindowRef window) {
    POINT p = {0, 0};
    ::GetCursorPos(&p);
    ::ScreenToClient(H(window), &p);
    return {p.x, p.y};
}
void Win32Platform::PostMouseMove(WindowRef window, uint32_t keys, Point at) {
    ::PostMessageA(H(window), WM_MOUSEMOVE, keys, MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
}

void Win32Platform::Spin(uint32_t count) {
    // An empty loop the compiler must keep: one turn per count.
    for (uint32_t i = 0; i < count; ++i) __asm__ __volatile__("" ::: "memory");
}

// A stream's transfer buffer: fixed, zero-filled global memory, outside the
// control's heaps, so a full text area never keeps a stream from starting.
uint8_t* Win32Platform::AllocTransferBuffer(uint32_t size) {
    return static_cast<uint8_t*>(AllocGlobal(kSiteTransferBlock, GPTR, size));
}

void Win32Platform::FreeTransferBuffer(uint8_t* block) {
    FreeGlobal(kSiteTransferBlock, block);
}

uint32_t Win32Platform::WideToAnsi(const uint16_t* units, uint32_t n, uint8_t* out, uint32_t capacity) {
    if (n == 0 || capacity == 0) return 0;
    const int written = ::WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(units), static_cast<int>(n),
                                              reinterpret_cast<LPSTR>(out), static_cast<int>(capacity), nullptr,
                                              nullptr);
    return written > 0 ? static_cast<uint32_t>(written) : 0;
}

uint32_t Win32Platform::AnsiToWide(const uint8_t* bytes, uint32_t n, uint16_t* out, uint32_t capacity) {
    if (n == 0 || capacity == 0) return 0;
    const int written = ::MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<LPCCH>(bytes), static_cast<int>(n),
                                              reinterpret_cast<LPWSTR>(out), static_cast<int>(capacity));
    return written > 0 ? static_cast<uint32_t>(written) : 0;
}

bool Win32Platform::IsAnsiLeadByte(uint8_t byte) { return ::IsDBCSLeadByteEx(CP_ACP, byte) != 0; }

bool Win32Platform::OpenClipboard(WindowRef owner) { return ::OpenClipboard(H(owner)) != 0; }

void Win32Platform::CloseClipboard() { ::CloseClipboard(); }

// The block is made and filled before the clipboard is emptied, so a block that
// cannot be had leaves the clipboard as it was.
bool Win32Platform::WriteClipboardText(const uint8_t* bytes, uint32_t n) {
    if (n == UINT32_MAX) return false;
    HGLOBAL block = AllocGlobal(kSiteClipboardBlock, GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, n + 1);
    if (!block) return false;
    auto* text = static_cast<uint8_t*>(::GlobalLock(block));
    if (!text) {
        FreeGlobal(kSiteClipboardBlock, block);
        return false;
    }
    if (n) std::memcpy(text, bytes, n);
    text[n] = 0;
    ::GlobalUnlock(block);
    // Once SetClipboardData takes the block the clipboard owns it; until then it is ours.
    if (!::EmptyClipboard() || !::SetClipboardData(CF_TEXT, block)) {
        FreeGlobal(kSiteClipboardBlock, block);
        return false;
    }
    HandedOver(kSiteClipboardBlock);
    return true;
}

// The block's size bounds the text: a block without a NUL is read to its end and
// not a byte further.
const uint8_t* Win32Platform::LockClipboardText(uint32_t& length) {
    length = 0;
    HANDLE block = ::GetClipboardData(CF_TEXT);
    if (!block) return nullptr;
    const SIZE_T size = ::GlobalSize(block);
    const auto* text = static_cast<const uint8_t*>(::GlobalLock(block));
    if (!text) return nullptr;
    lockedClipboardText_ = block;
    const void* nul = size ? std::memchr(text, 0, size) : nullptr;
    const SIZE_T n = nul ? static_cast<SIZE_T>(static_cast<const uint8_t*>(nul) - text) : size;
    length = n > 0x7FFFFFFE ? 0x7FFFFFFE : static_cast<uint32_t>(n);
    return text;
}

void Win32Platform::UnlockClipboardText() {
    if (lockedClipboardText_) ::GlobalUnlock(lockedClipboardText_);
    lockedClipboardText_ = nullptr;
}

}  // namespace qv
