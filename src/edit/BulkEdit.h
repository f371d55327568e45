// The bulk paths of insertion and deletion: a whole text inserted, or a run of
// characters deleted, in one pass over the lines it touches, with the same result
// as the per-character primitives repeated (InsertChar for every byte but LF,
// DeleteChar n times at one index). The per-character paths stay: they are the
// reference the bulk paths are tested against, and single keystrokes use them.
//
// What a bulk path keeps of its per-character equivalent, byte for byte:
//   - the text, the LineFlags and marker words of every line: a split keeps the
//     first line's on the first line and gives the new lines zero; a join keeps the
//     first line's; a line that went empty and is removed takes its own away;
//   - hiddenLineCount, modified, changeCount (one per character inserted, deleted
//     or kept; a join also counts the characters the per-character path re-inserts
//     into the next line), absorbNextCr, keepNextCr and crAbsorbed;
//   - the pane top-line caches reset, the current-line cache left on the same line
//     with the same length, and maxLineLength raised to what the per-character
//     lookups would have met.
// What differs: records are sized to their lines (never below 32 bytes) rather
// than grown in 32-byte steps, and a line keeps or changes its record by what fits;
// abandoned bytes are not zeroed. Room is computed exactly before anything changes:
// the LineHeap grows to what the change uses and the LineIndex to what its lines
// use, never further than the per-character rule would have grown them.
//
// LineIndex slots are moved once per operation; each new line's characters are
// copied once.
#pragma once

#include <cstdint>

#include "base/ControlRecord.h"

namespace qv {

// The implementation the control's text operations use (TextPath, in its record).
inline TextPath TextPathOf(const EditorInstance& ed) { return StateOf(ed).textPath; }

// Inserts the `bytes` bytes of `text` at `p`, line ends made single CRs and NULs
// dropped (LineEnds.h), with overwrite mode off: what InsertChar does for each
// character in turn, absorbNextCr (the first CR
// stands for a kept line break) and the end-mark insertion included. Past the end
// of the text the characters go in front of the closing CR. Answers the number of
// characters inserted, an absorbed CR included; `ok` turns false, with nothing
// changed, when the room could not be had.
struct RoomNeed;
// Called with what an insertion needs before its room is secured: a caller that
// knows more texts will follow may grow the areas further (false: give up, nothing
// changed).
using RoomHook = bool (*)(EditorInstance& ed, const RoomNeed& need, void* context);
uint32_t InsertRun(EditorInstance& ed, CharIndex p, const uint8_t* text, uint32_t bytes, bool* ok = nullptr,
                   RoomHook hook = nullptr, void* context = nullptr);

// Deletes at `p` `n` times: what DeleteChar(p) repeated n times does, keepNextCr
// (the first line break met is kept once) and the closing CR (never deleted)
// included. `ok` turns false, with nothing changed, when the room for the joined
// line could not be had.
void DeleteRun(EditorInstance& ed, CharIndex p, uint32_t n, bool* ok = nullptr);

// LineHeap bytes a deletion of `n` characters at `p` followed by the insertion of
// `text` at `p` takes, with keepNextCr and absorbNextCr as `keep` and `absorb`, and
// LineIndex slots it adds. Exact for the bulk paths. The current-line cache and
// maxLineLength are left as they were.
// The lines a text makes (after a CR absorbed by a kept line break, when one is):
// its characters, its CRs, the characters before the first and after the last,
// and the least the per-character path's records of the lines between take.
struct TextSummary {
    uint64_t chars = 0;
    uint32_t breaks = 0;
    uint32_t firstSeg = 0;
    uint32_t lastSeg = 0;
    uint64_t charwiseMiddleBytes = 0;
};
struct RoomNeed {
    uint64_t heapBytes = 0;
    uint32_t newSlots = 0;
    uint32_t removedSlots = 0;  // lines the deletion removes (MeasureEdit)
    TextSummary text;
};
// The least the per-character path's record of a line of `chars` characters made
// by a split takes: 32-byte steps from 32 bytes, all its characters held at once.
uint64_t CharwiseRecordBytes(uint64_t chars);
RoomNeed MeasureEdit(EditorInstance& ed, CharIndex p, uint32_t n, bool keep, const uint8_t* text,
                     uint32_t bytes, bool absorb);

// Secures what typing takes, as ReserveTyping (TextEdit.h) describes: the bulk
// deletion of `n` characters at `p` (`keep`: its kept line break) grown for as
// DeleteRange grows for it, then InsertChar(`ch`) at p (absorbed by the kept break
// when `absorb`; overwriting when `overwrite`) and `blanks` more InsertChars after
// a CR followed check by check, each area grown once to the size those checks reach.
bool SecureTyping(EditorInstance& ed, CharIndex p, uint32_t n, bool keep, uint8_t ch, uint32_t blanks, bool absorb,
                  bool overwrite);

// The room of DeleteChar(p) followed by the insertion of `text` at p (absorbed as
// `absorb` says), as MeasureEdit measures it; a CR deleted there joins its line
// with the next one the per-character way, moving and growing the next line's
// record in 32-byte steps, and the text then goes into that record. The join's own
// checks are not included (ReserveCharDeletion in TextEdit.h makes them).
RoomNeed MeasureAfterCharDeletion(EditorInstance& ed, CharIndex p, const uint8_t* text, uint32_t bytes, bool absorb);

// Puts the current-line cache and maxLineLength back as they were when it goes:
// planning looks lines up without leaving a trace the per-character path would
// not leave.
class KeepCurrentLine {
public:
    explicit KeepCurrentLine(EditorInstance& ed)
        : ed_(ed),
          line_(ed.curLine),
          start_(ed.curLineStart),
          slot_(ed.curLineSlot),
          record_(ed.curRecord),
          length_(ed.curLineLength),
          max_(ed.maxLineLength) {}
    ~KeepCurrentLine() {
        ed_.curLine = line_;
        ed_.curLineStart = start_;
        ed_.curLineSlot = slot_;
        ed_.curRecord = record_;
        ed_.curLineLength = length_;
        ed_.maxLineLength = max_;
    }
    KeepCurrentLine(const KeepCurrentLine&) = delete;
    KeepCurrentLine& operator=(const KeepCurrentLine&) = delete;

private:
    EditorInstance& ed_;
    const LineNumber line_;
    const CharIndex start_;
    const uint32_t slot_, record_, length_, max_;
};

// Grows the areas for `need`: the LineHeap to at least lineHeapUsed + heapBytes
// and the LineIndex to at least lineIndexUsed + 4 * newSlots, each in its growth
// steps (one reallocation) and never past what the bytes need by more than a step.
// False, with the store's message shown, when an area cannot grow.
bool SecureRoom(EditorInstance& ed, const RoomNeed& need);

}  // namespace qv
