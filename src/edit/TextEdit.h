// Every change to the text goes through two single-character primitives,
// InsertChar and DeleteChar; everything larger is a loop over them. Inserting a CR
// splits its line, deleting a CR joins two lines, and the primitives keep the
// current-line cache and the pane caches valid, set `modified` and count changes.
//
// What holds across every operation here:
//   - The closing CR (the last line's CR) is never deleted, and nothing is ever
//     stored after it: an insertion at or past the end of the text goes in front
//     of it. Only the end-mark insertion stores it.
//   - A line's CR is its last stored character; no line holds a CR inside it.
//   - An edit that cannot get the room it needs changes nothing: the store has
//     shown its message box, the operation reports Failed (or false), and its
//     caller logs nothing. Operations that make many changes secure all their room
//     first (ReserveEditRoom), so they never stop half-way.
//   - Texts and ranges go through the bulk paths (edit/BulkEdit.h), which give the
//     result of these primitives repeated; the primitives themselves serve single
//     keystrokes and stay the reference of the bulk paths.
//   - Positions inside the areas are held as offsets, never as pointers across
//     anything that may grow an area.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"
#include "base/Platform.h"

namespace qv {

// How a primitive went. The primitives keep their documented results (0, the
// replaced character, the column, the deleted character) and report this beside.
enum class EditOutcome : uint8_t {
    Inserted,   // the character was stored (a CR split its line)
    Overwrote,  // overwrite mode replaced a character; the result is that character
    Absorbed,   // a CR met absorbNextCr: the kept line break stands for it
    EndMark,    // the closing CR was stored by InsertEndMark
    Deleted,    // a character (or a line break, joining two lines) went away
    KeptCr,     // a line break met keepNextCr and stayed
    Nothing,    // nothing to do: at or past the end of the text, or the closing CR
    Failed,     // a room check failed; its message box was shown; nothing changed
};

// Inserts `ch` at `p` (clamped in front of the closing CR). Answers 0 when the
// character was inserted or absorbed, the replaced character when overwrite mode
// replaced one.
uint32_t InsertChar(EditorInstance& ed, CharIndex p, uint8_t ch, EditOutcome* outcome = nullptr);

// Deletes the character at `p`. Answers it (CR for a line join), or 0 when there
// was nothing to delete: at or past the end of the text, and at the closing CR.
// A join keeps the first line's LineFlags, markerId and markerLine.
uint32_t DeleteChar(EditorInstance& ed, CharIndex p, EditOutcome* outcome = nullptr);

// Inserts the NUL-terminated `s` at `p` (in front of the closing CR at the latest),
// its line ends made single CRs (CR LF and a lone LF each become one stored CR, see
// LineEnds.h); never overwrites. Answers the number of characters inserted, an
// absorbed CR included. A NULL text inserts
// nothing. `ok` turns false when the room could not be had: then nothing changed.
uint32_t InsertText(EditorInstance& ed, CharIndex p, const char* s, bool* ok = nullptr);

// Deletes the range between `a` and `b` (either order, clamped to the text) and
// logs it as one kind-6 undo record; answers the lower index. The closing CR stays:
// a range through the end of the text stops in front of it. A range from inside a
// line through that line's CR keeps the CR, and the next CR inserted in the same
// command is absorbed. An empty range does nothing and logs nothing. `ok` turns
// false when the room for the change or its record could not be had: then nothing
// changed. `grouped`: the record carries the group flag (the insertion logged after
// it belongs to the same undo step).
CharIndex DeleteRange(EditorInstance& ed, CharIndex a, CharIndex b, bool* ok = nullptr, bool grouped = false);

// After a typed CR: copies the leading spaces and TABs of the line before the
// caret's line to the caret, logging each as a kind-1 record (unless `logEach` is
// false: the caller logs them with the CR as one text), and moves the caret past
// them. False when it had to stop for want of room.
bool CopyIndent(EditorInstance& ed, bool logEach = true);

// The stored character at `p`; 0 at or past the end of the text.
uint8_t CharAt(EditorInstance& ed, CharIndex p);

// Stores the closing CR of a document that has none (a new store): one line that
// holds only its CR. `modified` is cleared afterwards. A document that already ends
// with its closing CR is left as it is. False only when the room could not be had.
bool InsertEndMark(EditorInstance& ed);

// ---- Building blocks of the commands and of undo ---------------------------------------

// `p` clamped to the text and moved in front of the closing CR: where an insertion
// asked for at `p` really goes. Callers log and place the caret with it.
CharIndex InsertionPoint(EditorInstance& ed, CharIndex p);

// Secures, before anything changes, all the LineIndex and LineHeap room that
// deleting start ... end (as DeleteRange does: a kept line break included) and then
// inserting `textBytes` bytes of `text` at start (absorbed by that break, or by
// absorbNextCr when nothing is deleted) take in the bulk paths: exactly that, so an
// area grows no further than the per-character rule would. A text of one
// character goes in through InsertChar: its headroom is secured too. Either part
// may be empty. False (with the store's message shown) when it cannot. With the
// per-character paths chosen (the control's TextPath) the primitives check for
// themselves and this secures nothing.
bool ReserveEditRoom(EditorInstance& ed, CharIndex start, CharIndex end, const uint8_t* text,
                     uint32_t textBytes);

// The room a typed character takes, secured before the command changes anything
// (its unfold guard included): deleting lo ... hi as DeleteRange does, then `ch`
// through InsertChar (overwriting when `overwrite`), then `blanks` blanks through
// InsertChar after a CR (what automatic indentation copies). The areas grow at once
// to exactly the sizes the per-character checks of those steps would reach, so the
// command never stops half-way and grows nothing earlier or further. With the
// per-character paths chosen (the control's TextPath) it secures nothing. False
// (with the store's message shown) when the room cannot be had.
bool ReserveTyping(EditorInstance& ed, CharIndex lo, CharIndex hi, uint8_t ch, uint32_t blanks, bool overwrite);

// The checks DeleteChar(p) / InsertChar(p, ch) make before they change anything,
// made ahead: a command secures a single character's room before its unfold guard,
// growing the areas exactly as the primitive would. The current-line cache is left
// as it was. False (with the store's message shown) when the room cannot be had.
bool ReserveCharDeletion(EditorInstance& ed, CharIndex p);
bool ReserveCharInsertion(EditorInstance& ed, CharIndex p, uint8_t ch);

// The room DeleteRange(a, b) secures for itself, its undo record's included,
// secured ahead. False (with the store's message shown) when it cannot be had.
bool ReserveRangeDeletion(EditorInstance& ed, CharIndex a, CharIndex b);

// What DeleteRange(a, b) deletes: from `start`, `n` characters; whether the range
// is the whole text and whether it keeps its final line break, and the range
// fields it logs. Moves the current line.
struct RangeToDelete {
    CharIndex start = 0;
    uint32_t n = 0;
    bool wholeText = false;
    bool keepBreak = false;
    LineNumber startLine = 0;
    LineNumber endLine = 0;
    CharIndex startLineStart = 0;
    uint32_t startLineLength = 0;
};
RangeToDelete PlanRangeDeletion(EditorInstance& ed, CharIndex a, CharIndex b);

// Inserts `textBytes` bytes at `p`, one InsertChar each, line ends made single CRs
// (LineEnds.h), with overwrite mode off; no room reservation and no wait cursor (the caller's). Answers
// the number of characters inserted; `ok` turns false if an insertion failed.
uint32_t InsertChars(EditorInstance& ed, CharIndex p, const uint8_t* text, uint32_t textBytes,
                     bool* ok = nullptr);

// Copies the `n` stored characters from `p` on into `out` (which has room for n).
void CopyStoredText(EditorInstance& ed, CharIndex p, uint32_t n, uint8_t* out);

// Shows the wait cursor for as long as it lives, then restores the previous one.
class WaitCursor {
public:
    WaitCursor() : previous_(ThePlatform().SetCursor(StdCursor::Wait)) {}
    ~WaitCursor() { ThePlatform().RestoreCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    CursorRef previous_;
};

}  // namespace qv
