#include "edit/TextEdit.h"

#include <algorithm>
#include <cstring>

#include "base/ByteScan.h"
#include "edit/BulkEdit.h"
#include "edit/EditState.h"
#include "edit/LineEnds.h"
#include "edit/UndoLog.h"
#include "store/LineRecord.h"
#include "store/LineStore.h"
#include "store/LongestLine.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

// Room a line join takes beyond the next record's size and the joined characters:
// the record grows in 32-byte steps after its move.
constexpr uint64_t kJoinSlack = 64;

uint32_t Saturate(uint64_t v) {
    return v > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(v);
}

void MarkChanged(EditorInstance& ed) {
    ed.modified = 1;
    ed.changeCount++;
}

bool IsLastLine(const EditorInstance& ed, LineNumber line) {
    return line + 1 >= LineCount(ed);
}

// True when the current line is the last one and `column` stands after its
// closing CR, the one place where an insertion must not go.
bool PastClosingCr(const EditorInstance& ed, uint32_t column) {
    LineRecordView rec = CurrentRecord(ed);
    uint32_t length = rec.length();
    return IsLastLine(ed, ed.curLine) && column >= length && length > 0 && rec.chars()[length - 1] == kCR;
}

// Bytes GrowCurrentRecord takes from the LineHeap for the current record.
uint64_t GrowthCost(const EditorInstance& ed) {
    LineRecordView rec = CurrentRecord(ed);
    bool newest = ed.curRecord + rec.size() == ed.lineHeapUsed;
    return newest ? kRecordGrowth : uint64_t(rec.size()) + kRecordGrowth;
}

// The closing CR of a document that has none, at the end of its last line.
uint32_t StoreEndMark(EditorInstance& ed, CharIndex p, EditOutcome& out) {
    CharLocation where = LocateChar(ed, p);
    LineRecordView rec = CurrentRecord(ed);
    uint32_t length = rec.length();
    bool endOfLastLine = IsLastLine(ed, where.line) && where.column == length;
    if (!endOfLastLine || (length > 0 && rec.chars()[length - 1] == kCR)) {
        out = EditOutcome::Nothing;  // the document has its closing CR already
        return 0;
    }
    if (rec.full()) {
        if (!EnsureLineHeapRoomFor(ed, Saturate(GrowthCost(ed))) || !GrowCurrentRecord(ed)) return 0;
        rec = CurrentRecord(ed);
    }
    rec.chars()[length] = kCR;
    rec.setLength(length + 1);
    ed.curLineLength = length + 1;
    NoteLinesChanged(ed, ed.curLine, ed.curLine);
    out = EditOutcome::EndMark;
    return where.column;
}

// The current line has just received a CR at `keep` - 1: its `tail` characters
// after the CR move into a new next line, which becomes the current line. The room
// was secured by the caller.
bool SplitCurrentLine(EditorInstance& ed, uint32_t keep, uint32_t tail) {
    const uint32_t firstOffset = ed.curRecord;
    const LineNumber line = ed.curLine;
    if (!InsertLineRecord(ed, line + 1, kMinRecordSize + tail)) return false;
    LineRecordView first = RecordAt(ed, firstOffset);  // the area may have moved
    LineRecordView second = CurrentRecord(ed);
    std::memcpy(second.chars(), first.chars() + keep, tail);
    second.setLength(tail);
    first.setLength(keep);
    ed.curLineStart += keep;
    ed.curLine = line + 1;
    ed.curLineLength = tail;
    NoteLinesChanged(ed, line, line + 1);
    return true;
}

// Deletes the CR at p that ends the current line, whose `prefix` characters come
// before it, by joining the line with the next one: the line's record is removed
// and its characters are inserted in front of the next line's, which then takes the
// removed line's flags and marker.
uint32_t JoinWithNextLine(EditorInstance& ed, CharIndex p, uint32_t prefix, EditOutcome& out) {
    const LineNumber line = ed.curLine;
    // The next record may move once and then grows in 32-byte steps; every
    // re-insertion below also checks the fixed headroom.
    uint64_t need =
        uint64_t(kLineHeapRule.headroom) + LineRecordOf(ed, line + 1).size() + prefix + kJoinSlack;
    if (!EnsureLineIndexRoom(ed) || !EnsureLineHeapRoomFor(ed, Saturate(need))) {
        out = EditOutcome::Failed;
        return 0;
    }
    const uint32_t removed = RemoveLineRecord(ed, line);
    const LineRecordView gone = RecordAt(ed, removed);
    const uint32_t flags = gone.flags();
    const uint32_t markerId = gone.markerId();
    const uint32_t markerLine = gone.markerLine();
    const CharIndex q = p - prefix;  // where the removed line started

    const uint32_t savedOverwrite = ed.overwriteMode;
    ed.overwriteMode = 0;
    for (uint32_t i = 0; i < prefix; ++i) {
        // The removed record's bytes stay where they are, but an insertion may move
        // the whole LineHeap: read each character through its offset, afresh.
        uint8_t ch = ed.lineHeap[removed + kRecChars + i];
        EditOutcome step;
        InsertChar(ed, q + i, ch, &step);
        if (step == EditOutcome::Failed) break;  // not reached: the room is secured above
    }
    ed.overwriteMode = savedOverwrite;

    LineRecordView joined = LineRecordOf(ed, line);
    // hiddenLineCount counts the lines that carry the hidden bit.
    if (joined.flags() & kFlagHidden) ed.hiddenLineCount--;
    if (flags & kFlagHidden) ed.hiddenLineCount++;
    joined.setFlags(flags);
    joined.setMarkerId(markerId);
    joined.setMarkerLine(markerLine);
    NoteLinesChanged(ed, line, line);
    MarkChanged(ed);
    out = EditOutcome::Deleted;
    return kCR;
}

}  // namespace

uint32_t InsertChar(EditorInstance& ed, CharIndex p, uint8_t ch, EditOutcome* outcome) {
    EditOutcome ignored;
    EditOutcome& out = outcome ? *outcome : ignored;
    out = EditOutcome::Failed;
    if (!EnsureLineIndexRoom(ed) || !EnsureLineHeapRoom(ed)) return 0;

    if (ch == kCR && EditStateOf(ed).absorbNextCr) {
        // The range deletion kept its line break: that CR stands for this one.
        ResetPaneCachesBefore(ed, p);
        EditStateOf(ed).crAbsorbed = 1;
        EditStateOf(ed).absorbNextCr = 0;
        LocateChar(ed, p == kNoIndex ? p : p + 1);
        out = EditOutcome::Absorbed;
        return 0;
    }

    CharLocation where = LocateChar(ed, p);
    uint32_t col = where.column;
    p = where.index;
    if (PastClosingCr(ed, col)) {
        --col;  // nothing is ever stored after the closing CR
        --p;
    }
    ResetPaneCachesBefore(ed, p);
    LineRecordView rec = CurrentRecord(ed);
    const uint32_t length = rec.length();

    if (ed.overwriteMode && ch != kCR && col < length && rec.chars()[col] != kCR) {
        uint8_t replaced = rec.chars()[col];
        rec.chars()[col] = ch;
        NoteLinesChanged(ed, ed.curLine, ed.curLine);
        MarkChanged(ed);
        out = EditOutcome::Overwrote;
        return replaced;
    }

    // Everything the insertion takes is secured before the first byte is written.
    const bool full = rec.full();
    const uint32_t tail = length - col;  // characters that follow a new CR
    uint64_t need = full ? GrowthCost(ed) : 0;
    if (ch == kCR) need += uint64_t(kMinRecordSize) + tail;
    if (need && !EnsureLineHeapRoomFor(ed, Saturate(need))) return 0;
    if (full && !GrowCurrentRecord(ed)) return 0;
    rec = CurrentRecord(ed);  // the record or the whole area may have moved
    std::memmove(rec.chars() + col + 1, rec.chars() + col, tail);
    rec.chars()[col] = ch;
    rec.setLength(length + 1);
    ed.curLineLength = length + 1;
    if (ch == kCR && !SplitCurrentLine(ed, col + 1, tail)) {
        // Not reached (the room is secured above); take the CR out again.
        rec = CurrentRecord(ed);
        std::memmove(rec.chars() + col, rec.chars() + col + 1, tail);
        rec.setLength(length);
        ed.curLineLength = length;
        return 0;
    }
    if (ch != kCR) NoteLinesChanged(ed, ed.curLine, ed.curLine);
    MarkChanged(ed);
    out = EditOutcome::Inserted;
    return 0;
}

uint32_t DeleteChar(EditorInstance& ed, CharIndex p, EditOutcome* outcome) {
    EditOutcome ignored;
    EditOutcome& out = outcome ? *outcome : ignored;
    out = EditOutcome::Nothing;
    ResetPaneCachesBefore(ed, p);
    CharLocation where = LocateChar(ed, p);
    LineRecordView rec = CurrentRecord(ed);
    const uint32_t length = rec.length();
    const uint32_t col = where.column;
    if (col >= length) return 0;  // at or past the end of the text
    const uint8_t c = rec.chars()[col];

    if (c != kCR) {
        const uint32_t newLength = length - 1;
        std::memmove(rec.chars() + col, rec.chars() + col + 1, newLength - col);
        rec.chars()[newLength] = 0;
        rec.setLength(newLength);
        ed.curLineLength = newLength;
        NoteLinesChanged(ed, ed.curLine, ed.curLine);
        MarkChanged(ed);
        out = EditOutcome::Deleted;
        return c;
    }
    if (IsLastLine(ed, ed.curLine)) return 0;  // the closing CR is never deleted
    if (length == 1) {
        // A line that holds only its CR goes away; the next line takes its index.
        rec.setLength(0);
        RemoveLineRecord(ed, ed.curLine);
        ed.curLineLength = CurrentRecord(ed).length();
        NoteLinesChanged(ed, ed.curLine, ed.curLine);
        MarkChanged(ed);
        out = EditOutcome::Deleted;
        return kCR;
    }
    if (EditStateOf(ed).keepNextCr) {
        EditStateOf(ed).keepNextCr = 0;
        MarkChanged(ed);
        out = EditOutcome::KeptCr;
        return kCR;
    }
    return JoinWithNextLine(ed, where.index, length - 1, out);
}

CharIndex InsertionPoint(EditorInstance& ed, CharIndex p) {
    CharLocation where = LocateChar(ed, p);
    return PastClosingCr(ed, where.column) ? where.index - 1 : where.index;
}

RangeToDelete PlanRangeDeletion(EditorInstance& ed, CharIndex a, CharIndex b) {
    RangeToDelete range;
    CharIndex start = std::min(a, b);
    CharIndex end = std::max(a, b);
    const CharLocation last = LocateChar(ed, end);
    end = last.index;
    start = std::min(start, end);
    range.start = start;
    // A range through the end of the text stops in front of the closing CR. One
    // from 0 is the whole text: it keeps its end, deletes one character fewer and
    // is logged as the whole text; any other one ends before the CR.
    const bool throughEnd = PastClosingCr(ed, last.column);
    range.wholeText = throughEnd && start == 0;
    if (throughEnd && !range.wholeText) --end;
    if (start >= end) return range;
    range.n = end - start - (range.wholeText ? 1 : 0);
    if (range.n == 0) return range;

    LocateChar(ed, end);
    range.endLine = ed.curLine;
    const CharLocation first = LocateChar(ed, start);
    range.startLine = ed.curLine;
    range.startLineStart = ed.curLineStart;
    range.startLineLength = ed.curLineLength;
    // Deleting from inside a line through that line's CR keeps the CR: the line
    // break stays, and the first CR of a text that replaces the range is absorbed.
    const uint32_t lastOffset = end - start - 1;
    range.keepBreak = start > range.startLineStart && lastOffset < range.startLineLength - first.column &&
                      CurrentRecord(ed).chars()[first.column + lastOffset] == kCR;
    return range;
}

bool ReserveEditRoom(EditorInstance& ed, CharIndex start, CharIndex end, const uint8_t* text,
                     uint32_t textBytes) {
    // The per-character primitives check their own room, as they go.
    if (TextPathOf(ed) == TextPath::Charwise) return true;
    const KeepCurrentLine keepCache(ed);
    RangeToDelete range;
    if (start != end) range = PlanRangeDeletion(ed, start, end);
    CharIndex at = range.n ? range.start : std::min(start, end);
    if (!range.n) at = InsertionPoint(ed, at);
    const bool absorb = range.n ? range.keepBreak : EditStateOf(ed).absorbNextCr != 0;
    const RoomNeed need = MeasureEdit(ed, at, range.n, range.keepBreak, text, textBytes, absorb);
    if (!SecureRoom(ed, need)) return false;
    // A lone LF goes in as a CR; a NUL is no character.
    if (textBytes != 1 || text[0] == 0) return true;
    const uint8_t ch = text[0] == kLF ? kCR : text[0];

    // One character goes in through InsertChar, whose own checks must then pass:
    // its headroom (the per-character rule, so a typed character grows an area
    // exactly when the rule says) and what it takes itself, a record's growth or
    // move and, for a CR, the new line's record.
    const CharLocation where = LocateChar(ed, at);
    LineRecordView rec = CurrentRecord(ed);
    uint64_t charNeed = rec.full() ? GrowthCost(ed) : 0;
    if (ch == kCR) charNeed += uint64_t(kMinRecordSize) + (rec.length() - std::min(where.column, rec.length()));
    const uint64_t heapUsed = uint64_t(ed.lineHeapUsed);
    return GrowLineIndexTo(ed, uint64_t(ed.lineIndexUsed) + kLineIndexRule.headroom) &&
           GrowLineHeapTo(ed, heapUsed + std::max<uint64_t>(kLineHeapRule.headroom, charNeed));
}

bool ReserveTyping(EditorInstance& ed, CharIndex lo, CharIndex hi, uint8_t ch, uint32_t blanks, bool overwrite) {
    if (TextPathOf(ed) == TextPath::Charwise) return true;
    const KeepCurrentLine keepCache(ed);
    RangeToDelete range;
    if (lo != hi) range = PlanRangeDeletion(ed, lo, hi);
    const CharIndex at = range.n ? range.start : InsertionPoint(ed, std::min(lo, hi));
    const bool absorb = range.n ? range.keepBreak : EditStateOf(ed).absorbNextCr != 0;
    return SecureTyping(ed, at, range.n, range.keepBreak, ch, blanks, absorb, overwrite);
}

bool ReserveCharDeletion(EditorInstance& ed, CharIndex p) {
    const KeepCurrentLine keepCache(ed);
    const CharLocation where = LocateChar(ed, p);
    const LineRecordView rec = CurrentRecord(ed);
    const uint32_t length = rec.length();
    // Only a line join takes room (JoinWithNextLine's checks).
    if (where.column >= length || rec.chars()[where.column] != kCR || IsLastLine(ed, ed.curLine) || length == 1 ||
        EditStateOf(ed).keepNextCr)
        return true;
    const uint64_t need =
        uint64_t(kLineHeapRule.headroom) + LineRecordOf(ed, ed.curLine + 1).size() + (length - 1) + kJoinSlack;
    return EnsureLineIndexRoom(ed) && EnsureLineHeapRoomFor(ed, Saturate(need));
}

bool ReserveCharInsertion(EditorInstance& ed, CharIndex p, uint8_t ch) {
    const KeepCurrentLine keepCache(ed);
    // InsertChar's checks, in its order.
    if (!EnsureLineIndexRoom(ed) || !EnsureLineHeapRoom(ed)) return false;
    if (ch == kCR && EditStateOf(ed).absorbNextCr) return true;  // absorbed: nothing stored
    const CharLocation where = LocateChar(ed, p);
    uint32_t col = where.column;
    if (PastClosingCr(ed, col)) --col;
    const LineRecordView rec = CurrentRecord(ed);
    const uint32_t length = rec.length();
    if (ed.overwriteMode && ch != kCR && col < length && rec.chars()[col] != kCR) return true;
    uint64_t need = rec.full() ? GrowthCost(ed) : 0;
    if (ch == kCR) need += uint64_t(kMinRecordSize) + (length - col);
    return need == 0 || EnsureLineHeapRoomFor(ed, Saturate(need));
}

bool ReserveRangeDeletion(EditorInstance& ed, CharIndex a, CharIndex b) {
    RangeToDelete range;
    {
        const KeepCurrentLine keepCache(ed);
        range = PlanRangeDeletion(ed, a, b);
    }
    if (range.n == 0) return true;
    return EnsureUndoRoom(ed, range.n) &&
           (TextPathOf(ed) == TextPath::Charwise ||
            SecureRoom(ed, MeasureEdit(ed, range.start, range.n, range.keepBreak, nullptr, 0, false)));
}

uint32_t InsertChars(EditorInstance& ed, CharIndex p, const uint8_t* text, uint32_t textBytes, bool* ok) {
    const uint32_t savedOverwrite = ed.overwriteMode;
    ed.overwriteMode = 0;  // a text is inserted, never overwritten: its undo deletes it
    uint32_t count = 0;
    bool good = true;
    LineEndNormaliser lineEnds;
    for (uint32_t i = 0; i < textBytes; ++i) {
        const int c = lineEnds.Map(text[i]);
        if (c == LineEndNormaliser::kDropped) continue;
        EditOutcome step;
        InsertChar(ed, p, static_cast<uint8_t>(c), &step);
        if (step == EditOutcome::Failed) {
            good = false;
            break;
        }
        ++p;
        ++count;
    }
    ed.overwriteMode = savedOverwrite;
    if (ok) *ok = good;
    return count;
}

uint32_t InsertText(EditorInstance& ed, CharIndex p, const char* s, bool* ok) {
    if (ok) *ok = true;
    if (!s) return 0;
    const uint8_t* text = reinterpret_cast<const uint8_t*>(s);
    const uint32_t bytes = Saturate(TextLength(s));
    p = InsertionPoint(ed, p);
    WaitCursor wait;
    return InsertRun(ed, p, text, bytes, ok);
}

void CopyStoredText(EditorInstance& ed, CharIndex p, uint32_t n, uint8_t* out) {
    CharLocation where = LocateChar(ed, p);
    LineNumber line = where.line;
    uint32_t col = where.column;
    const uint32_t count = LineCount(ed);
    while (n > 0 && line < count) {
        LineRecordView rec = LineRecordOf(ed, line);
        uint32_t take = std::min(n, rec.length() - std::min(col, rec.length()));
        std::memcpy(out, rec.chars() + col, take);
        out += take;
        n -= take;
        ++line;
        col = 0;
    }
}

CharIndex DeleteRange(EditorInstance& ed, CharIndex a, CharIndex b, bool* ok, bool grouped) {
    if (ok) *ok = true;
    const RangeToDelete range = PlanRangeDeletion(ed, a, b);
    const CharIndex start = range.start;
    const uint32_t n = range.n;
    if (n == 0) return start;

    // Everything the deletion and its record need is secured before the first
    // character goes.
    if (!EnsureUndoRoom(ed, n) ||
        (TextPathOf(ed) == TextPath::Bulk && !SecureRoom(ed, MeasureEdit(ed, start, n, range.keepBreak, nullptr, 0, false)))) {
        if (ok) *ok = false;
        return start;
    }

    EditStateOf(ed).wholeTextDelete = range.wholeText;
    EditStateOf(ed).rangeStartLineStart = range.startLineStart;
    EditStateOf(ed).rangeStartLine = range.startLine;
    EditStateOf(ed).rangeStartLineLength = range.startLineLength;
    EditStateOf(ed).rangeEndLine = range.endLine;
    EditStateOf(ed).absorbNextCr = range.keepBreak;
    EditStateOf(ed).keepNextCr = range.keepBreak;
    EditStateOf(ed).crAbsorbed = 0;

    WaitCursor wait;
    // The record's text is staged in the undo area itself: no buffer of the range's
    // size is needed, so a huge range cannot fail half-way for want of one.
    CopyStoredText(ed, start, n, UndoStagingArea(ed));
    bool deleted = true;
    DeleteRun(ed, start, n, &deleted);
    if (!deleted) {  // not reached: the room is secured above
        EditStateOf(ed).absorbNextCr = EditStateOf(ed).keepNextCr = 0;
        if (ok) *ok = false;
        return start;
    }
    AppendStagedUndoRecord(ed, UndoKind::DeleteRange, start, n, grouped);

    ed.mouseSelStart = 0;
    ed.mouseSelEnd = 0;
    return start;
}

bool CopyIndent(EditorInstance& ed, bool logEach) {
    LocateChar(ed, ed.caretPos);
    if (ed.curLine == 0) return true;
    const LineNumber previous = ed.curLine - 1;
    const uint32_t savedOverwrite = ed.overwriteMode;
    ed.overwriteMode = 0;
    bool good = true;
    for (uint32_t i = 0;; ++i) {
        // Re-read each time: an insertion may move the LineHeap.
        LineRecordView rec = LineRecordOf(ed, previous);
        if (i >= rec.length()) break;
        const uint8_t blank = rec.chars()[i];
        if (blank != ' ' && blank != kTab) break;
        LocateChar(ed, ed.caretPos);
        EditOutcome step = EditOutcome::Failed;
        if (!logEach || EnsureUndoRoom(ed, 1)) InsertChar(ed, ed.caretPos, blank, &step);
        if (step != EditOutcome::Inserted) {
            good = false;
            break;
        }
        if (logEach) AppendUndoRecord(ed, UndoKind::InsertChar, ed.caretPos, blank);
        ed.caretPos++;
        ed.selAnchor = ed.caretPos;
    }
    ed.overwriteMode = savedOverwrite;
    return good;
}

uint8_t CharAt(EditorInstance& ed, CharIndex p) {
    CharLocation where = LocateChar(ed, p);
    LineRecordView rec = CurrentRecord(ed);
    return where.column < rec.length() ? rec.chars()[where.column] : 0;
}

bool InsertEndMark(EditorInstance& ed) {
    EditOutcome out = EditOutcome::Failed;
    if (EnsureLineIndexRoom(ed) && EnsureLineHeapRoom(ed)) StoreEndMark(ed, kNoIndex, out);
    if (out == EditOutcome::Failed) return false;
    ed.modified = 0;
    return true;
}

}  // namespace qv
