// A platform for the native tests: heaps on malloc with injectable failures, and a
// record of everything the core asked of the user interface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Platform.h"

namespace qv::test {

class FakePlatform : public Platform {
public:
    FakePlatform();
    ~FakePlatform() override;

    // ---- Failure injection ---------------------------------------------------------
    // The next `n` heap creations / allocations / reallocations succeed, every one
    // after them fails, until Reset...(). -1 never fails.
    int createHeapsLeft = -1;
    int allocsLeft = -1;
    int reallocsLeft = -1;

    // ---- What the core did -----------------------------------------------------------
    std::vector<std::string> errors;  // texts of the allocation message boxes
    int beeps = 0;
    std::vector<StdCursor> cursorsSet;
    int cursorsRestored = 0;
    std::vector<std::pair<uint32_t, SelChangeInfo>> notifications;  // wParam, record
    struct Invalidation {
        WindowRef window;
        bool whole;
        Rect rect;
        bool erase;
    };
    std::vector<Invalidation> invalidations;
    struct Scroll {
        WindowRef window;
        int32_t dx, dy;
        Rect clip;
    };
    std::vector<Scroll> scrolls;
    std::vector<WindowRef> updates;
    int spins = 0;

    // ---- What the platform answers ---------------------------------------------------
    WindowRef focus = nullptr;
    Point caret{0, 0};
    bool caretShown = false;
    bool rightButtonDown = false;
    // Measuring: every character is `charPixels` wide, a TAB advances to the next
    // multiple of tabWidth * charPixels.
    int32_t charPixels = 8;

    void ClearRecords();
    // Bytes currently allocated in live heaps.
    uint64_t LiveBytes() const;

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
    void InvalidateRect(WindowRef window, const Rect* rect, bool erase) override;
    void ScrollWindow(WindowRef window, int32_t dx, int32_t dy, const Rect& clip) override;
    void UpdateWindow(WindowRef window) override;
    WindowRef GetFocus() override;
    void SetCaretPos(int32_t x, int32_t y) override;
    Point GetCaretPos() override;
    void ShowCaret(WindowRef window) override;
    void HideCaret(WindowRef window) override;
    bool IsRightButtonDown() override;
    void Spin(uint32_t count) override;

private:
    struct Heap;
    std::vector<Heap*> heaps_;
};

}  // namespace qv::test
