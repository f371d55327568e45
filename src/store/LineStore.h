// The document store: three growable byte areas, each in a private heap of its own.
//
//   LineIndex  one 32-bit slot per line: the offset of the line's LineRecord.
//              Lines are renumbered by moving slots; records never move for it.
//   LineHeap   append-only LineRecords. An outgrown record is copied to the append
//              point and its old bytes abandoned; abandoned bytes are never reused.
//              Every byte past lineHeapUsed is zero, so a record appended there finds
//              its unwritten fields zero.
//   UndoHeap   the undo log (its record format belongs to the undo log).
//
// Growth is checked against a fixed headroom before each single-character change
// (the most one such change may consume) and happens in large steps. A change of
// many characters computes what it uses exactly and grows each area once, in the
// same steps, never further than its characters one at a time would have grown it.
// A growth that fails shows the area's message box and leaves the area as it was;
// nothing ever writes past an area's allocated size, whatever the checks answered.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

struct AreaRule {
    uint32_t initialSize;
    uint32_t headroom;
    uint32_t growthStep;
    const char* failureText;
};
constexpr AreaRule kLineIndexRule = {0x8000, 8192, 0x20000, "Allocating memory for (Line) failed!"};
constexpr AreaRule kLineHeapRule = {0x20000, 32768, 0x80000, "Allocating memory for (Char) failed!"};
constexpr AreaRule kUndoRule = {0x20000, 1024, 0x80000, "Allocating memory for (Undo) failed!"};

// Builds a new store of one empty line (no CR yet: the caller stores the closing CR
// or inserts the new text) and an empty undo log, then releases the old store, if
// any, and resets the caret, selection and scroll fields that belong to the text.
// When the new areas cannot be made, the message box is shown, the old store and
// every field stay as they were, and the answer is false.
bool CreateStore(EditorInstance& ed);
// Destroys the three heaps (and with them the areas), in the order LineIndex,
// LineHeap, UndoHeap, and forgets them.
void DestroyStore(EditorInstance& ed);

// The growth rules: true when the area has its headroom (grown if need be).
bool EnsureLineIndexRoom(EditorInstance& ed);
bool EnsureLineHeapRoom(EditorInstance& ed);
// Room for n more logged bytes plus 1024; a growth rounds to a multiple of 4096.
bool EnsureUndoRoom(EditorInstance& ed, uint32_t n);
// Room for a record of `bytes` at the append point, beyond the fixed headroom: a
// long line split or moved needs more than the headroom guarantees.
bool EnsureLineHeapRoomFor(EditorInstance& ed, uint32_t bytes);

// Growth to a known use: the area grows in its steps, in one reallocation, until it
// holds `needed` bytes (beyond the step grid it stops at `needed` plus the
// headroom). An exact computation of what a change uses comes first, so these reach
// no further than the per-character rule would. False, with the message shown,
// when the area cannot grow.
bool GrowLineIndexTo(EditorInstance& ed, uint64_t needed);
bool GrowLineHeapTo(EditorInstance& ed, uint64_t needed);
// The LineHeap grown to exactly `size` bytes when it is smaller (a text arriving
// in pieces grows ahead by what the per-character rule is known to reach). False,
// with the message shown, when it cannot.
bool GrowLineHeapExactly(EditorInstance& ed, uint64_t size);

// Opens slot `line` (moving the later slots up) and appends an empty record of
// `recordSize` bytes there; it becomes curRecord / curLineSlot. curLine and
// curLineStart are the caller's. False, with nothing changed, when either area
// has no room.
bool InsertLineRecord(EditorInstance& ed, LineNumber line, uint32_t recordSize);
// Adds 32 bytes of room to the current line's record: in place when it is the
// newest record, otherwise by copying it to the append point. False, with nothing
// changed, when the area has no room.
bool GrowCurrentRecord(EditorInstance& ed);
// Closes the line's slot and answers the offset of its record, whose bytes stay
// readable until the LineHeap next grows; kNoRecord past the last line. The only
// line of a document keeps its slot.
uint32_t RemoveLineRecord(EditorInstance& ed, LineNumber line);

}  // namespace qv
