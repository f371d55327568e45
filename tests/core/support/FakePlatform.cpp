#include "core/support/FakePlatform.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/EditorInstance.h"

namespace qv::test {

// A heap owns its blocks; destroying it frees them all, as a private heap does.
struct FakePlatform::Heap {
    std::vector<std::pair<uint8_t*, uint32_t>> blocks;
};

namespace {
bool Take(int& left) {
    if (left < 0) return true;
    if (left == 0) return false;
    --left;
    return true;
}
}  // namespace

FakePlatform::FakePlatform() = default;

FakePlatform::~FakePlatform() {
    while (!heaps_.empty()) DestroyHeap(heaps_.back());
    std::free(lockedBlock_);
}

void FakePlatform::ClearRecords() {
    errors.clear();
    beeps = 0;
    cursorsSet.clear();
    cursorsRestored = 0;
    notifications.clear();
    invalidations.clear();
    scrolls.clear();
    updates.clear();
    spins = 0;
    transferSizes.clear();
    focusCalls.clear();
    collapsed.clear();
    postedMoves.clear();
    captureCalls = 0;
    releaseCalls = 0;
}

bool FakePlatform::Allow(int& left, Allocation kind, HeapRef heap, uint32_t size) {
    const uint32_t n = ++allocations;
    const bool injected = failAllocation != 0 && (n == failAllocation || (failLaterToo && n > failAllocation));
    const bool allowed = Take(left) && !injected;
    allocationCalls.push_back({kind, heap, size, !allowed});
    return allowed;
}

uint32_t FakePlatform::BlockSize(const uint8_t* block) const {
    for (const Heap* heap : heaps_)
        for (const auto& b : heap->blocks)
            if (b.first == block) return b.second;
    return 0;
}

uint64_t FakePlatform::LiveBytes() const {
    uint64_t total = 0;
    for (const Heap* heap : heaps_)
        for (const auto& block : heap->blocks) total += block.second;
    return total;
}

HeapRef FakePlatform::CreateHeap(uint32_t initialSize) {
    if (!Allow(createHeapsLeft, Allocation::CreateHeap, nullptr, initialSize)) return nullptr;
    Heap* heap = new Heap;
    heaps_.push_back(heap);
    return heap;
}

void FakePlatform::DestroyHeap(HeapRef ref) {
    Heap* heap = static_cast<Heap*>(ref);
    auto it = std::find(heaps_.begin(), heaps_.end(), heap);
    if (it == heaps_.end()) return;
    heaps_.erase(it);
    for (auto& block : heap->blocks) std::free(block.first);
    delete heap;
}

uint8_t* FakePlatform::AllocZeroed(HeapRef ref, uint32_t size) {
    if (!Allow(allocsLeft, Allocation::Alloc, ref, size)) return nullptr;
    Heap* heap = static_cast<Heap*>(ref);
    uint8_t* block = static_cast<uint8_t*>(std::calloc(size ? size : 1, 1));
    heap->blocks.emplace_back(block, size);
    return block;
}

uint8_t* FakePlatform::ReAllocZeroed(HeapRef ref, uint8_t* old, uint32_t newSize) {
    if (!Allow(reallocsLeft, Allocation::ReAlloc, ref, newSize)) return nullptr;
    Heap* heap = static_cast<Heap*>(ref);
    for (auto& block : heap->blocks) {
        if (block.first != old) continue;
        // Always move, as a real heap may: stale pointers into the old block then
        // show up under AddressSanitizer.
        uint8_t* grown = static_cast<uint8_t*>(std::calloc(newSize ? newSize : 1, 1));
        std::memcpy(grown, old, std::min(block.second, newSize));
        std::free(old);
        reallocBytes += std::min(block.second, newSize);
        block = {grown, newSize};
        ++reallocs;
        return grown;
    }
    return nullptr;
}

void FakePlatform::ShowAllocationError(WindowRef, const char* text) { errors.emplace_back(text); }
void FakePlatform::Beep() { ++beeps; }
CursorRef FakePlatform::SetCursor(StdCursor cursor) {
    cursorsSet.push_back(cursor);
    return nullptr;
}
void FakePlatform::RestoreCursor(CursorRef) { ++cursorsRestored; }
void FakePlatform::SendNotify(WindowRef, uint32_t wParam, const SelChangeInfo& info) {
    notifications.emplace_back(wParam, info);
    if (onNotify) onNotify(info);
    if (duringNotify) duringNotify(info);
}

int32_t FakePlatform::MeasureText(const EditorInstance& ed, const uint8_t* text, uint32_t n) {
    int32_t x = 0;
    int32_t tab = static_cast<int32_t>(ed.tabWidth ? ed.tabWidth : 8) * charPixels;
    for (uint32_t i = 0; i < n; ++i) x = text[i] == 0x09 ? (x / tab + 1) * tab : x + charPixels;
    return x;
}

const TextWidths* FakePlatform::TextWidthsOf(const EditorInstance&) { return widths; }

TextWidths FakePlatform::WidthsLikeMeasureText(uint32_t tabWidth) const {
    TextWidths table = {};
    for (int32_t& w : table.advance) w = charPixels;
    table.tabStop = static_cast<int32_t>(tabWidth ? tabWidth : 8) * charPixels;
    table.uniform = charPixels;
    return table;
}

void FakePlatform::InvalidateRect(WindowRef window, const Rect* rect, bool erase) {
    invalidations.push_back({window, rect == nullptr, rect ? *rect : Rect{}, erase});
}
void FakePlatform::ScrollWindow(WindowRef window, int32_t dx, int32_t dy, const Rect& clip) {
    scrolls.push_back({window, dx, dy, clip});
}
void FakePlatform::UpdateWindow(WindowRef window) { updates.push_back(window); }
WindowRef FakePlatform::GetFocus() { return focus; }
void FakePlatform::SetCaretPos(int32_t x, int32_t y) { caret = {x, y}; }
void FakePlatform::ShowCaret(WindowRef) { caretShown = true; }
void FakePlatform::HideCaret(WindowRef) { caretShown = false; }
void FakePlatform::SetFocus(WindowRef window) {
    focus = window;
    focusCalls.push_back(window);
}
void FakePlatform::FocusPane(WindowRef pane) { SetFocus(pane); }
void FakePlatform::CollapseWindow(WindowRef window) { collapsed.push_back(window); }
void FakePlatform::SetCapture(WindowRef window) {
    capture = window;
    ++captureCalls;
}
void FakePlatform::ReleaseCapture(WindowRef holder) {
    ++releaseCalls;
    if (capture == holder) capture = nullptr;
}
bool FakePlatform::IsLeftButtonDown() {
    if (leftButtonDown && leftReadsBeforeRelease >= 0 && leftReadsBeforeRelease-- == 0) leftButtonDown = false;
    return leftButtonDown;
}
bool FakePlatform::IsRightButtonDown() { return rightButtonDown; }
Point FakePlatform::PointerPosition(WindowRef) { return pointer; }
void FakePlatform::PostMouseMove(WindowRef window, uint32_t keys, Point at) { postedMoves.push_back({window, keys, at}); }
void FakePlatform::Spin(uint32_t) { ++spins; }

uint8_t* FakePlatform::AllocTransferBuffer(uint32_t size) {
    transferSizes.push_back(size);
    if (!Allow(transferAllocsLeft, Allocation::Transfer, nullptr, size)) return nullptr;
    ++liveTransferBuffers;
    return static_cast<uint8_t*>(std::calloc(size ? size : 1, 1));
}

void FakePlatform::FreeTransferBuffer(uint8_t* block) {
    if (!block) return;
    --liveTransferBuffers;
    std::free(block);
}

uint32_t FakePlatform::WideToAnsi(const uint16_t* units, uint32_t n, uint8_t* out, uint32_t capacity) {
    uint32_t written = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const uint16_t u = units[i];
        const bool pair = u >= 0xD800 && u < 0xDC00 && i + 1 < n && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000;
        const uint32_t dbcs = u - kDoubleByteBase;
        if (doubleByte && u >= kDoubleByteBase && dbcs < 31u * 256) {
            if (written + 2 > capacity) break;
            out[written++] = static_cast<uint8_t>(0x81 + dbcs / 256);
            out[written++] = static_cast<uint8_t>(dbcs % 256);
            continue;
        }
        if (written + 1 > capacity) break;
        out[written++] = u <= 0xFF ? static_cast<uint8_t>(u) : '?';
        if (pair) ++i;
    }
    return written;
}

uint32_t FakePlatform::AnsiToWide(const uint8_t* bytes, uint32_t n, uint16_t* out, uint32_t capacity) {
    uint32_t written = 0;
    for (uint32_t i = 0; i < n && written < capacity; ++i) {
        if (IsAnsiLeadByte(bytes[i])) {
            // A lead byte without its trail byte has no character: the default one.
            out[written++] = i + 1 < n ? static_cast<uint16_t>(kDoubleByteBase + (bytes[i] - 0x81) * 256 + bytes[i + 1])
                                       : static_cast<uint16_t>('?');
            ++i;
            continue;
        }
        out[written++] = bytes[i];
    }
    return written;
}

bool FakePlatform::IsAnsiLeadByte(uint8_t byte) { return doubleByte && byte >= 0x81 && byte <= 0x9F; }

std::string FakePlatform::ClipboardText() const {
    return clipboardBlock.substr(0, clipboardBlock.find('\0'));
}

bool FakePlatform::OpenClipboard(WindowRef owner) {
    if (clipboardOpen) ++clipboardMisuse;  // opened twice without a close
    if (clipboardBusy) return false;
    clipboardOpen = true;
    clipboardOwner = owner;
    ++clipboardOpens;
    return true;
}

void FakePlatform::CloseClipboard() {
    if (!clipboardOpen || clipboardLocked_) ++clipboardMisuse;
    clipboardOpen = false;
    ++clipboardCloses;
}

bool FakePlatform::WriteClipboardText(const uint8_t* bytes, uint32_t n) {
    if (!clipboardOpen) ++clipboardMisuse;
    if (clipboardBlockFails) return false;  // the clipboard stays as it was
    ++clipboardWrites;
    clipboardHasText = false;  // emptied
    clipboardBlock.clear();
    if (clipboardRefuses) return false;
    clipboardBlock.assign(reinterpret_cast<const char*>(bytes), n);
    clipboardBlock += '\0';
    clipboardHasText = true;
    return true;
}

const uint8_t* FakePlatform::LockClipboardText(uint32_t& length) {
    length = 0;
    if (!clipboardOpen) ++clipboardMisuse;
    if (!clipboardHasText || clipboardLockFails) return nullptr;
    ++clipboardLocks;
    clipboardLocked_ = true;
    length = static_cast<uint32_t>(std::min(clipboardBlock.find('\0'), clipboardBlock.size()));
    // A block of exactly its size: a read past its end shows up under AddressSanitizer.
    lockedBlock_ = static_cast<uint8_t*>(std::malloc(clipboardBlock.size() ? clipboardBlock.size() : 1));
    std::memcpy(lockedBlock_, clipboardBlock.data(), clipboardBlock.size());
    return lockedBlock_;
}

void FakePlatform::UnlockClipboardText() {
    if (!clipboardLocked_) ++clipboardMisuse;
    clipboardLocked_ = false;
    std::free(lockedBlock_);
    lockedBlock_ = nullptr;
    ++clipboardUnlocks;
}

}  // namespace qv::test
