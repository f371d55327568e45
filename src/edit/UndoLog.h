// The undo log: a byte tape in the UndoHeap area. Hosts read it, so its layout is
// a binary contract.
//
// Records lie one after another from offset 0. Each record R is followed by a
// 32-bit back link holding R; that back link is at the same time offset 0 of the
// next record written. Hence:
//   - undoLogUsed == 0: the log is empty;
//   - the dword at undoLogUsed is the start of the newest record;
//   - the dword at a record's offset 0 is the start of the record before it.
// Past undoLogUsed lie zeros or the records that undo stepped back over; redo walks
// forward over them. Every append zeroes the count field of the place after its
// own record, so the redo chain ends at the newest edit and redo never meets the
// left-over bytes of records that a new edit overwrote in part.
//
// Record, offsets from its start R, little-endian:
//    0  4  back link      start of the previous record (written by the previous append)
//    4  4  position       char index of the change
//    8  4  count          1 for kinds 1-4; characters stored for kinds 5 and 6 (never 0)
//   12  4  range start-line start  kinds 5, 6: the range fields of the edit
//   16  4  range start line         state at logging time (written, never read
//   20  4  range end line           back)
//   24  4  absorb flag    kind 6: the deletion kept its final CR (undo absorbs the
//                         CR it re-inserts, redo keeps it again); kind 5: the text's
//                         first CR was absorbed by such a kept CR (undo steps over
//                         the kept CR, redo absorbs it again; a typed CR that was
//                         absorbed is logged so, as a one-character text)
//   28  4  group flag     kinds 5, 6: set on both records of a paste, a stream-in, a
//                         logged EM_REPLACESEL or a typed character over a selection
//   32  4  whole-text flag  kind 6: the range was the whole text through the closing CR
//   36  1  kind           1 ... 6
//   37  count  characters kinds 1-4: the one character; kinds 5, 6: the text, no LF
//   37 + count  4  back link (R)
// Kinds 1-4 are 38 bytes; their offsets 12-35 are zero.
//
//   kind  logged by                           undo                    redo
//   1     typed character inserted, indent    delete it               insert it again
//         (over a selection a typed character and its indent are one kind-5 text)
//   2     typed character that overwrote      overwrite back          overwrite again
//   3     Delete key                          insert, caret before    delete again
//   4     Backspace key                       insert, caret after     delete again
//   5     inserted text                       delete it               insert it again
//   6     range deletion                      insert, selected        delete again
// Undo and redo are exact inverses: undoing any sequence of records restores the
// text as it was before them, and redoing them restores it as it was after.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

enum class UndoKind : uint8_t {
    InsertChar = 1,
    OverwriteChar = 2,
    DeleteKey = 3,
    BackspaceKey = 4,
    InsertText = 5,
    DeleteRange = 6,
};

constexpr uint32_t kUndoBackLink = 0;
constexpr uint32_t kUndoPosition = 4;
constexpr uint32_t kUndoCount = 8;
constexpr uint32_t kUndoRangeStartLineStart = 12;
constexpr uint32_t kUndoRangeStartLine = 16;
constexpr uint32_t kUndoRangeEndLine = 20;
constexpr uint32_t kUndoAbsorb = 24;
constexpr uint32_t kUndoGroup = 28;
constexpr uint32_t kUndoWholeText = 32;
constexpr uint32_t kUndoKindByte = 36;
constexpr uint32_t kUndoChars = 37;
constexpr uint32_t kUndoCharRecordSize = 38;  // kinds 1-4, back link not counted
// Bytes a record occupies besides its characters, with room to spare: its header,
// its back link and the zeroed count after it. Callers that log several records
// add this per record when they secure the undo room for all of them at once.
constexpr uint32_t kUndoRecordSlack = 64;

// One record as read from the tape.
struct UndoRecord {
    uint32_t start;  // R
    UndoKind kind;
    CharIndex position;
    uint32_t count;
    uint32_t absorb;
    uint32_t group;
    uint32_t wholeText;
    uint32_t end;          // R + 37 + count: where its back link lies
    const uint8_t* chars;  // valid until the undo area next grows
};

// Reads the complete record that starts at `start`: false when the bytes there are
// no complete record (an unknown kind, a wrong count, a back link that does not
// point back, or anything beyond the allocated area).
bool ReadUndoRecord(const EditorInstance& ed, uint32_t start, UndoRecord& record);

// Logs a record of kind 1-4 holding `ch`. False, with nothing written, when the area cannot grow
// (its message box shown) or the kind is not 1-4.
bool AppendUndoRecord(EditorInstance& ed, UndoKind kind, CharIndex position, uint8_t ch);
// Logs a record of kind 5 or 6: up to `count` characters of the first `textBytes`
// bytes of `text` in their stored form (CR LF and a lone LF each one CR), with the
// range fields, absorbNextCr and wholeTextDelete of the edit state, and the group
// flag when `grouped` (the record and the one logged before it are one undo step).
// False, with nothing written, when the area cannot grow, the kind is not 5 or 6,
// or there is no character to log.
bool AppendUndoRecord(EditorInstance& ed, UndoKind kind, CharIndex position, const uint8_t* text,
                      uint32_t textBytes, uint32_t count, bool grouped = false);

// Where the characters of the next record go. A range deletion copies the text
// there before deleting it and then logs it with AppendStagedUndoRecord, so no
// buffer of the range's size is ever needed. Valid after EnsureUndoRoom(count).
uint8_t* UndoStagingArea(EditorInstance& ed);
bool AppendStagedUndoRecord(EditorInstance& ed, UndoKind kind, CharIndex position, uint32_t count,
                            bool grouped = false);

enum class UndoResult : uint8_t {
    Applied,  // a record was applied
    Nothing,  // no record to apply
    Failed,   // the room for applying it could not be had: nothing changed
};

// Applies the inverse of the newest record and steps back over it.
UndoResult UndoOne(EditorInstance& ed);
// Applies the record after the end of the log again and steps over it.
UndoResult RedoOne(EditorInstance& ed);

bool CanUndo(const EditorInstance& ed);
// True when a complete record follows the end of the log.
bool CanRedo(const EditorInstance& ed);
// undoLogUsed = 0 and the whole area zeroed, which also ends any redo.
void EmptyUndoLog(EditorInstance& ed);
// Drops every record but the newest, which becomes the only one (no redo after it);
// an empty log stays empty. For a change made without a record of its own right
// after its deletion was logged: the records before would point into shifted text,
// the deletion's own still fits.
void KeepOnlyNewestRecord(EditorInstance& ed);

// The text part of the undo and redo commands: one record, and one more when it
// carries the group flag. A group is secured as a whole before
// its first record is applied. Caret placement, repainting and the notification
// are the caller's.
UndoResult UndoStep(EditorInstance& ed);
UndoResult RedoStep(EditorInstance& ed);

// Secures the room the next UndoStep / RedoStep takes, so that the commands can
// secure it before they change anything (their unfold guard). True when there is
// no step; false, with the store's message shown, when the room cannot be had.
bool ReserveUndoStep(EditorInstance& ed);
bool ReserveRedoStep(EditorInstance& ed);

// The text the next UndoStep / RedoStep changes, from `lo` to `hi` in char indexes
// of the text as it stands: the characters a step deletes, and for an insertion its
// position (and the position after it when its first CR is absorbed by a kept line
// break). A grouped pair gives the span of both. False when there is no step.
bool UndoStepSpan(const EditorInstance& ed, CharIndex& lo, CharIndex& hi);
bool RedoStepSpan(const EditorInstance& ed, CharIndex& lo, CharIndex& hi);

}  // namespace qv
