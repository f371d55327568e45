#include "core/support/TightAreas.h"

#include <algorithm>
#include <cstring>

#include "edit/UndoLog.h"
#include "store/LineStore.h"

namespace qv::test {
namespace {

void Squeeze(const FakePlatform& platform, uint8_t* base, uint32_t& size, uint64_t least) {
    const uint32_t real = platform.BlockSize(base);
    if (real < size || least >= size) return;
    size = static_cast<uint32_t>(least);
    std::memset(base + size, 0, real - size);
}

// Where the records after the end of the log stop reading: the end of the redo
// chain.
uint32_t RedoEnd(const EditorInstance& ed) {
    uint32_t at = ed.undoLogUsed;
    UndoRecord rec;
    while (ReadUndoRecord(ed, at, rec)) at = rec.end;
    return at;
}

}  // namespace

void SqueezeAreas(EditorInstance& ed, const FakePlatform& platform, uint32_t spare) {
    // Without spare bytes, one byte short of the headroom.
    const auto least = [spare](uint32_t used, uint32_t headroom) { return uint64_t(used) + headroom + spare - 1; };
    Squeeze(platform, ed.lineIndex, ed.lineIndexSize, least(ed.lineIndexUsed, kLineIndexRule.headroom));
    Squeeze(platform, ed.lineHeap, ed.lineHeapSize, least(ed.lineHeapUsed, kLineHeapRule.headroom));
    Squeeze(platform, ed.undoLog, ed.undoLogSize,
            std::max<uint64_t>(least(ed.undoLogUsed, kUndoRule.headroom), uint64_t(RedoEnd(ed)) + 64));
}

}  // namespace qv::test
