// A platform for the native tests: heaps on malloc with injectable failures, and a
// record of everything the core asked of the user interface.
#pragma once

#include <cstdint>
#include <functional>
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
    size_t reallocs = 0;       // reallocations that succeeded
    uint64_t reallocBytes = 0;  // the bytes they copied
    // The same for stream transfer buffers.
    int transferAllocsLeft = -1;
    // Every allocation of any kind above is numbered from 1 (`allocations` counts
    // them); the one numbered `failAllocation` fails, and with `failLaterToo` every
    // one after it as well. 0: none fails this way.
    enum class Allocation { CreateHeap, Alloc, ReAlloc, Transfer };
    struct AllocationCall {
        Allocation kind;
        HeapRef heap;  // nullptr for heap creations and transfer buffers
        uint32_t size;
        bool failed;
    };
    uint32_t failAllocation = 0;
    bool failLaterToo = false;
    uint32_t allocations = 0;
    std::vector<AllocationCall> allocationCalls;

    // ---- What the core did -----------------------------------------------------------
    std::vector<std::string> errors;  // texts of the allocation message boxes
    int beeps = 0;
    std::vector<StdCursor> cursorsSet;
    int cursorsRestored = 0;
    std::vector<std::pair<uint32_t, SelChangeInfo>> notifications;  // wParam, record
    // Called inside each notification, as a parent's handler runs.
    std::function<void(const SelChangeInfo&)> duringNotify;
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
    std::vector<WindowRef> focusCalls;     // SetFocus and FocusPane, in order
    std::vector<WindowRef> collapsed;      // CollapseWindow
    struct PostedMove {
        WindowRef window;
        uint32_t keys;
        Point at;
    };
    std::vector<PostedMove> postedMoves;
    int captureCalls = 0;
    int releaseCalls = 0;

    // ---- What the platform answers ---------------------------------------------------
    WindowRef focus = nullptr;
    Point caret{0, 0};  // where SetCaretPos put the caret last
    bool caretShown = false;
    bool rightButtonDown = false;
    // The left button: down while leftButtonDown, until it has been read
    // `leftReadsBeforeRelease` times (-1: never released by reading).
    bool leftButtonDown = false;
    int leftReadsBeforeRelease = -1;
    WindowRef capture = nullptr;
    Point pointer{0, 0};  // the live pointer, in the client coordinates of any window
    // Called for every notification after it is recorded: a parent's reaction.
    std::function<void(const SelChangeInfo&)> onNotify;
    // Measuring: every character is `charPixels` wide, a TAB advances to the next
    // multiple of tabWidth * charPixels.
    int32_t charPixels = 8;
    // The byte-width table TextWidthsOf hands out: none unless a test sets one (see
    // WidthsLikeMeasureText), so that measuring goes through MeasureText.
    const TextWidths* widths = nullptr;
    // A table that measures as MeasureText does, for tabWidth.
    TextWidths WidthsLikeMeasureText(uint32_t tabWidth) const;
    // The ANSI code page: Latin-1 (every byte is the unit of the same value, other
    // units become '?'), and with `doubleByte` also a two-byte set: lead bytes
    // 0x81-0x9F, the pair (lead, trail) standing for the unit 0x4E00 + (lead -
    // 0x81) * 256 + trail. A surrogate pair becomes one '?'.
    bool doubleByte = false;
    static constexpr uint16_t kDoubleByteBase = 0x4E00;
    // Transfer buffers allocated and not yet freed, and the sizes asked for.
    int liveTransferBuffers = 0;
    std::vector<uint32_t> transferSizes;

    // ---- The clipboard ----------------------------------------------------------------
    // Its CF_TEXT block exactly as handed over (a NUL after the text, or none when a
    // test puts a raw block), and whether it holds one at all.
    bool clipboardHasText = false;
    std::string clipboardBlock;
    // Failures: another window holds the clipboard open; the block cannot be had;
    // SetClipboardData refuses it (the clipboard is empty afterwards); the lock fails.
    bool clipboardBusy = false;
    bool clipboardBlockFails = false;
    bool clipboardRefuses = false;
    bool clipboardLockFails = false;
    // What the core did with it.
    WindowRef clipboardOwner = nullptr;
    int clipboardOpens = 0;
    int clipboardCloses = 0;
    int clipboardWrites = 0;
    int clipboardLocks = 0;
    int clipboardUnlocks = 0;
    int clipboardMisuse = 0;  // a call while the clipboard was not open, or a lock left locked
    bool clipboardOpen = false;

    // The clipboard's text as a paste reads it: up to the first NUL of the block.
    std::string ClipboardText() const;
    void PutClipboard(const std::string& block) {
        clipboardHasText = true;
        clipboardBlock = block;
    }

    void ClearRecords();
    // Bytes currently allocated in live heaps.
    uint64_t LiveBytes() const;
    // The size of a live heap block, 0 for anything else.
    uint32_t BlockSize(const uint8_t* block) const;

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
    // Counts the call and answers whether it may succeed.
    bool Allow(int& left, Allocation kind, HeapRef heap, uint32_t size);

    bool clipboardLocked_ = false;
    uint8_t* lockedBlock_ = nullptr;
    struct Heap;
    std::vector<Heap*> heaps_;
};

}  // namespace qv::test
