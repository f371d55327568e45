// The platform of the real control: kernel32 heaps, global memory and code pages,
// user32 windows, caret and clipboard, gdi32 measurement.
#pragma once

#include "base/Platform.h"

namespace qv {

class Win32Platform final : public Platform {
public:
    HeapRef CreateHeap(uint32_t initialSize) override;
    void DestroyHeap(HeapRef heap) override;
    uint8_t* AllocZeroed(HeapRef heap, uint32_t size) override;
    uint8_t* ReAllocZeroed(HeapRef heap, uint8_t* block, uint32_t newSize) override;
    void ShowAllocationError(WindowRef owner, const char* text) override;
    void Beep() override;
    CursorRef SetCursor(StdCursor cursor) override;
    void RestoreCursor(CursorRef previous) override;
    void SendNotify(WindowRef parent, uint32_t wParam, const SelChangeInfo& info) override;
    int32_t MeasureText(const EditorInstance& ed, const uint8_t* text, uint32_t n) override;
    const TextWidths* TextWidthsOf(const EditorInstance& ed) override;
    void InvalidateRect(WindowRef window, const Rect* rect, bool erase) override;
    void ScrollWindow(WindowRef window, int32_t dx, int32_t dy, const Rect& clip) override;
    void UpdateWindow(WindowRef window) override;
    WindowRef GetFocus() override;
    void SetCaretPos(int32_t x, int32_t y) override;
    void ShowCaret(WindowRef window) override;
    void HideCaret(WindowRef window) override;
    void SetFocus(WindowRef window) override;
    void FocusPane(WindowRef pane) override;
    void CollapseWindow(WindowRef window) override;
    void SetCapture(WindowRef window) override;
    void ReleaseCapture(WindowRef holder) override;
    bool IsLeftButtonDown() override;
    bool IsRightButtonDown() override;
    Point PointerPosition(WindowRef window) override;
    void PostMouseMove(WindowRef window, uint32_t keys, Point at) override;
    void Spin(uint32_t count) override;
    uint8_t* AllocTransferBuffer(uint32_t size) override;
    void FreeTransferBuffer(uint8_t* block) override;
    uint32_t WideToAnsi(const uint16_t* units, uint32_t n, uint8_t* out, uint32_t capacity) override;
    uint32_t AnsiToWide(const uint8_t* bytes, uint32_t n, uint16_t* out, uint32_t capacity) override;
    bool IsAnsiLeadByte(uint8_t byte) override;
    bool OpenClipboard(WindowRef owner) override;
    void CloseClipboard() override;
    bool WriteClipboardText(const uint8_t* bytes, uint32_t n) override;
    const uint8_t* LockClipboardText(uint32_t& length) override;
    void UnlockClipboardText() override;

private:
    void* lockedClipboardText_ = nullptr;  // the CF_TEXT block while it is locked
    TextWidths widths_ = {};               // what TextWidthsOf answered last
};

}  // namespace qv
