#include "store/LineStore.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "base/Platform.h"
#include "store/LineRecord.h"
#include "store/LongestLine.h"

namespace qv {
namespace {

struct Area {
    HeapRef heap = nullptr;
    uint8_t* base = nullptr;
    uint32_t size = 0;
};

bool MakeArea(Platform& platform, const AreaRule& rule, Area& area) {
    area.heap = platform.CreateHeap(rule.initialSize);
    if (!area.heap) return false;
    area.base = platform.AllocZeroed(area.heap, rule.initialSize);
    if (!area.base) {
        platform.DestroyHeap(area.heap);
        area.heap = nullptr;
        return false;
    }
    area.size = rule.initialSize;
    return true;
}

// Reallocates one area to `newSize`; on failure shows the area's message and
// leaves base and size as they were.
bool GrowArea(EditorInstance& ed, HeapRef heap, uint8_t*& base, uint32_t& size, uint32_t newSize,
              const char* failureText) {
    Platform& platform = ThePlatform();
    uint8_t* grown = newSize > size ? platform.ReAllocZeroed(heap, base, newSize) : nullptr;
    if (!grown) {
        platform.ShowAllocationError(ed.hwnd, failureText);
        return false;
    }
    base = grown;
    size = newSize;
    return true;
}

// a + b, or UINT32_MAX when the sum does not fit: every size check below then
// fails instead of wrapping round to a small number.
uint32_t SaturatingAdd(uint32_t a, uint32_t b) { return a > UINT32_MAX - b ? UINT32_MAX : a + b; }

// Room for `bytes` past `used`: the area grows by its usual step, or further when
// the bytes alone need more.
bool GrowFor(EditorInstance& ed, HeapRef heap, uint8_t*& base, uint32_t& size, uint32_t used, uint32_t bytes,
             const AreaRule& rule) {
    const uint32_t needed = SaturatingAdd(used, bytes);
    if (needed <= size) return true;
    uint32_t newSize = SaturatingAdd(size, rule.growthStep);
    if (newSize < needed) newSize = SaturatingAdd(needed, rule.headroom);
    if (newSize == UINT32_MAX) newSize = 0;  // no such area: fail below
    return GrowArea(ed, heap, base, size, newSize, rule.failureText);
}

// The area's size for `needed` bytes: one growth step when that is enough, as the
// per-character rule grows it; otherwise the smallest size on the step grid
// (size + k * step), or for the LineHeap `needed` plus its headroom when that is
// less.
uint32_t StepTo(uint32_t size, uint64_t needed, const AreaRule& rule, bool capAtHeadroom) {
    if (needed <= size) return size;
    if (needed <= uint64_t(size) + rule.growthStep) return size + rule.growthStep < size ? 0 : size + rule.growthStep;
    const uint64_t steps = (needed - size + rule.growthStep - 1) / rule.growthStep;
    uint64_t grid = size + steps * rule.growthStep;
    if (capAtHeadroom) grid = std::min<uint64_t>(grid, needed + rule.headroom);
    return grid >= UINT32_MAX ? 0 : static_cast<uint32_t>(grid);  // 0: no such area, fail
}

}  // namespace

bool CreateStore(EditorInstance& ed) {
    Platform& platform = ThePlatform();
    Area index, heap, undo;
    const AreaRule* failed = nullptr;
    if (!MakeArea(platform, kLineIndexRule, index)) {
        failed = &kLineIndexRule;
    } else if (!MakeArea(platform, kLineHeapRule, heap)) {
        failed = &kLineHeapRule;
    } else if (!MakeArea(platform, kUndoRule, undo)) {
        failed = &kUndoRule;
    }
    if (failed) {
        for (Area* area : {&index, &heap, &undo})
            if (area->heap) platform.DestroyHeap(area->heap);
        platform.ShowAllocationError(ed.hwnd, failed->failureText);
        return false;
    }

    DestroyStore(ed);
    ed.lineIndexHeapHandle = index.heap;
    ed.lineIndex = index.base;
    ed.lineIndexSize = index.size;
    ed.lineIndexUsed = 4;  // slot 0 holds offset 0 (the area is zero-filled)
    ed.lineHeapHandle = heap.heap;
    ed.lineHeap = heap.base;
    ed.lineHeapSize = heap.size;
    ed.lineHeapUsed = kMinRecordSize;
    RecordAt(ed, 0).setSize(kMinRecordSize);  // length, flags and marker words are 0
    ed.undoHeapHandle = undo.heap;
    ed.undoLog = undo.base;
    ed.undoLogSize = undo.size;
    ed.undoLogUsed = 0;

    // The caches and view positions describe the old text.
    ed.curLineSlot = 0;
    ed.curRecord = 0;
    ed.curLine = 0;
    ed.curLineStart = 0;
    ed.curLineLength = 0;
    ed.hiddenLineCount = 0;
    for (ViewPane& pane : ed.panes) {
        pane.caretX = 0;
        pane.scrollY = 0;
        pane.scrollX = 0;
        pane.topLine = 0;
        pane.topLineY = 0;
        pane.topLineStart = 0;
    }
    ed.selAnchor = 0;
    ed.caretPos = 0;
    ed.clickGridX = 0;
    ed.dragGridX = 0;
    ed.modified = 0;
    return true;
}

void DestroyStore(EditorInstance& ed) {
    ForgetLongestLine(ed);
    Platform& platform = ThePlatform();
    for (HeapRef* heap : {&ed.lineIndexHeapHandle, &ed.lineHeapHandle, &ed.undoHeapHandle}) {
        if (*heap) platform.DestroyHeap(*heap);
        *heap = nullptr;
    }
    ed.lineIndex = nullptr;
    ed.lineIndexSize = 0;
    ed.lineIndexUsed = 0;
    ed.lineHeap = nullptr;
    ed.lineHeapSize = 0;
    ed.lineHeapUsed = 0;
    ed.undoLog = nullptr;
    ed.undoLogSize = 0;
    ed.undoLogUsed = 0;
}

bool EnsureLineIndexRoom(EditorInstance& ed) {
    if (SaturatingAdd(ed.lineIndexUsed, kLineIndexRule.headroom) <= ed.lineIndexSize) return true;
    return GrowArea(ed, ed.lineIndexHeapHandle, ed.lineIndex, ed.lineIndexSize,
                    SaturatingAdd(ed.lineIndexSize, kLineIndexRule.growthStep), kLineIndexRule.failureText);
}

bool EnsureLineHeapRoom(EditorInstance& ed) {
    if (SaturatingAdd(ed.lineHeapUsed, kLineHeapRule.headroom) <= ed.lineHeapSize) return true;
    return GrowArea(ed, ed.lineHeapHandle, ed.lineHeap, ed.lineHeapSize,
                    SaturatingAdd(ed.lineHeapSize, kLineHeapRule.growthStep), kLineHeapRule.failureText);
}

bool EnsureLineHeapRoomFor(EditorInstance& ed, uint32_t bytes) {
    return GrowFor(ed, ed.lineHeapHandle, ed.lineHeap, ed.lineHeapSize, ed.lineHeapUsed, bytes, kLineHeapRule);
}

bool EnsureUndoRoom(EditorInstance& ed, uint32_t n) {
    uint32_t t = SaturatingAdd(SaturatingAdd(ed.undoLogUsed, n), kUndoRule.headroom);
    if (t <= ed.undoLogSize) return true;
    uint32_t newSize = SaturatingAdd(t, kUndoRule.growthStep);
    newSize = newSize == UINT32_MAX ? 0 : newSize & ~0xFFFu;
    return GrowArea(ed, ed.undoHeapHandle, ed.undoLog, ed.undoLogSize, newSize, kUndoRule.failureText);
}

bool GrowLineIndexTo(EditorInstance& ed, uint64_t needed) {
    if (needed <= ed.lineIndexSize) return true;
    return GrowArea(ed, ed.lineIndexHeapHandle, ed.lineIndex, ed.lineIndexSize,
                    StepTo(ed.lineIndexSize, needed, kLineIndexRule, false), kLineIndexRule.failureText);
}

bool GrowLineHeapTo(EditorInstance& ed, uint64_t needed) {
    if (needed <= ed.lineHeapSize) return true;
    return GrowArea(ed, ed.lineHeapHandle, ed.lineHeap, ed.lineHeapSize,
                    StepTo(ed.lineHeapSize, needed, kLineHeapRule, true), kLineHeapRule.failureText);
}

bool GrowLineHeapExactly(EditorInstance& ed, uint64_t size) {
    if (size <= ed.lineHeapSize) return true;
    return GrowArea(ed, ed.lineHeapHandle, ed.lineHeap, ed.lineHeapSize,
                    size >= UINT32_MAX ? 0 : static_cast<uint32_t>(size), kLineHeapRule.failureText);
}

bool InsertLineRecord(EditorInstance& ed, LineNumber line, uint32_t recordSize) {
    if (ed.lineIndexUsed + 4 > ed.lineIndexSize) return false;
    if (!EnsureLineHeapRoomFor(ed, recordSize)) return false;
    uint32_t count = LineCount(ed);
    if (line > count) line = count;
    // Open the slot: move line ... count-1 up by one.
    std::memmove(ed.lineIndex + 4u * (line + 1), ed.lineIndex + 4u * line, 4u * (count - line));
    ed.lineIndexUsed += 4;
    uint32_t offset = ed.lineHeapUsed;
    Store32(ed.lineIndex + 4u * line, offset);
    ed.curLineSlot = 4u * line;
    LineRecordView record = RecordAt(ed, offset);
    record.setLength(0);
    record.setSize(recordSize);
    record.setFlags(0);  // markerId and markerLine lie past the append point: zero
    ed.lineHeapUsed += recordSize;
    ed.curRecord = offset;
    return true;
}

bool GrowCurrentRecord(EditorInstance& ed) {
    uint32_t oldSize = CurrentRecord(ed).size();
    if (ed.curRecord + oldSize == ed.lineHeapUsed) {
        // The newest record grows in place into the zeroed tail.
        if (!EnsureLineHeapRoomFor(ed, kRecordGrowth)) return false;
        CurrentRecord(ed).setSize(oldSize + kRecordGrowth);
        ed.lineHeapUsed += kRecordGrowth;
        return true;
    }
    // Any other record moves to the append point; its old bytes are abandoned.
    if (!EnsureLineHeapRoomFor(ed, SaturatingAdd(oldSize, kRecordGrowth))) return false;
    uint32_t offset = ed.lineHeapUsed;
    std::memcpy(ed.lineHeap + offset, ed.lineHeap + ed.curRecord, oldSize);
    Store32(ed.lineIndex + ed.curLineSlot, offset);
    ed.curRecord = offset;
    ed.lineHeapUsed += oldSize;
    CurrentRecord(ed).setSize(oldSize + kRecordGrowth);
    ed.lineHeapUsed += kRecordGrowth;
    return true;
}

uint32_t RemoveLineRecord(EditorInstance& ed, LineNumber line) {
    uint32_t count = LineCount(ed);
    if (line >= count) return kNoRecord;
    uint32_t offset = RecordOffset(ed, line);
    if (RecordAt(ed, offset).flags() & kFlagHidden) ed.hiddenLineCount--;
    if (count == 1) return offset;  // the document's only line keeps its slot
    std::memmove(ed.lineIndex + 4u * line, ed.lineIndex + 4u * (line + 1), 4u * (count - 1 - line));
    ed.lineIndexUsed -= 4;
    // The record that now holds the slot, if any; otherwise the next lookup sets it.
    if (line < count - 1) ed.curRecord = RecordOffset(ed, line);
    return offset;
}

}  // namespace qv
