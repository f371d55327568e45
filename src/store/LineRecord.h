// The byte layout of one line in the LineHeap, and of the LineIndex slots that
// point at the lines. Records may start at any byte offset (a split line's record
// is 32 + n bytes), so every field is read and written through memcpy.
#pragma once

#include <cstdint>
#include <cstring>

#include "base/EditorInstance.h"

namespace qv {

// LineRecord, little-endian:
//   0  length      characters stored, the line's CR included
//   4  size        bytes reserved for the whole record; room for size - 20 chars
//   8  LineFlags
//  12  markerId    0 in a new record
//  16  markerLine  0 in a new record
//  20  characters  `length` of them; the rest up to `size` is not part of the line
// A record is never shorter than 32 bytes.
constexpr uint32_t kRecLength = 0;
constexpr uint32_t kRecSize = 4;
constexpr uint32_t kRecFlags = 8;
constexpr uint32_t kRecMarkerId = 12;
constexpr uint32_t kRecMarkerLine = 16;
constexpr uint32_t kRecChars = 20;
constexpr uint32_t kMinRecordSize = 32;
constexpr uint32_t kRecordGrowth = 32;

// LineFlags bits.
constexpr uint32_t kFlagHiliteMask = 0x0F;  // highlight index
constexpr uint32_t kFlagMarkerMask = 0xF0;  // marker kind << 4
constexpr uint32_t kFlagBlockWord = 0x80;   // painted line holds the block word
constexpr uint32_t kFlagLocked = 0x100;
constexpr uint32_t kFlagHidden = 0x200;  // inside a folded block: no pixel row

// Answer of RemoveLineRecord when there was no such line.
constexpr uint32_t kNoRecord = 0xFFFFFFFFu;

inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// Offset of line `line`'s record (its LineIndex slot). The caller keeps line < count.
inline uint32_t RecordOffset(const EditorInstance& ed, LineNumber line) {
    return Load32(ed.lineIndex + 4u * line);
}

// A view of one record. Valid only until the LineHeap next grows (growth may move
// the area); hold the record offset, not the view, across anything that inserts.
class LineRecordView {
public:
    LineRecordView(uint8_t* record) : p_(record) {}
    uint32_t length() const { return Load32(p_ + kRecLength); }
    uint32_t size() const { return Load32(p_ + kRecSize); }
    uint32_t flags() const { return Load32(p_ + kRecFlags); }
    uint32_t markerId() const { return Load32(p_ + kRecMarkerId); }
    uint32_t markerLine() const { return Load32(p_ + kRecMarkerLine); }
    void setLength(uint32_t v) { Store32(p_ + kRecLength, v); }
    void setSize(uint32_t v) { Store32(p_ + kRecSize, v); }
    void setFlags(uint32_t v) { Store32(p_ + kRecFlags, v); }
    void setMarkerId(uint32_t v) { Store32(p_ + kRecMarkerId, v); }
    void setMarkerLine(uint32_t v) { Store32(p_ + kRecMarkerLine, v); }
    uint8_t* chars() const { return p_ + kRecChars; }
    uint8_t* bytes() const { return p_; }
    // The line is full when a character more would not fit.
    bool full() const { return length() + kRecChars >= size(); }

private:
    uint8_t* p_;
};

inline LineRecordView RecordAt(const EditorInstance& ed, uint32_t offset) {
    return LineRecordView(ed.lineHeap + offset);
}
inline LineRecordView LineRecordOf(const EditorInstance& ed, LineNumber line) {
    return RecordAt(ed, RecordOffset(ed, line));
}
inline LineRecordView CurrentRecord(const EditorInstance& ed) { return RecordAt(ed, ed.curRecord); }

}  // namespace qv
