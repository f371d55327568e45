#include "edit/UndoLog.h"

#include <cstring>

#include "edit/BulkEdit.h"
#include "edit/EditState.h"
#include "edit/LineEnds.h"
#include "edit/TextEdit.h"
#include "store/LineRecord.h"
#include "store/LineStore.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

bool IsRangeKind(UndoKind kind) {
    return kind == UndoKind::InsertText || kind == UndoKind::DeleteRange;
}

// Writes the record whose characters already lie at undoLogUsed + 37 and steps
// over it. The caller has secured the room (EnsureUndoRoom with `count`, whose
// headroom covers the header, the back link and the zeroed count after it).
void WriteRecord(EditorInstance& ed, UndoKind kind, CharIndex position, uint32_t count, bool grouped) {
    const uint32_t start = ed.undoLogUsed;
    uint8_t* rec = ed.undoLog + start;  // its back link is already in place
    Store32(rec + kUndoPosition, position);
    Store32(rec + kUndoCount, count);
    if (IsRangeKind(kind)) {
        Store32(rec + kUndoRangeStartLineStart, EditStateOf(ed).rangeStartLineStart);
        Store32(rec + kUndoRangeStartLine, EditStateOf(ed).rangeStartLine);
        Store32(rec + kUndoRangeEndLine, EditStateOf(ed).rangeEndLine);
        Store32(rec + kUndoAbsorb, EditStateOf(ed).absorbNextCr);
        Store32(rec + kUndoGroup, grouped ? 1 : 0);
        Store32(rec + kUndoWholeText, EditStateOf(ed).wholeTextDelete);
    } else {
        // The area may hold an undone record here: clear what a small record
        // leaves unused.
        std::memset(rec + kUndoRangeStartLineStart, 0, kUndoKindByte - kUndoRangeStartLineStart);
    }
    rec[kUndoKindByte] = static_cast<uint8_t>(kind);
    const uint32_t end = start + kUndoChars + count;
    Store32(ed.undoLog + end, start);
    // A record after this one would be left over from before this edit: end the
    // redo chain here.
    Store32(ed.undoLog + end + kUndoCount, 0);
    ed.undoLogUsed = end;
}

// The room applying a record takes: its deletion (`deletes`: undoing an insertion
// or redoing a deletion) and its insertion, with the line-break flags it carries.
RoomNeed ApplyNeed(EditorInstance& ed, const UndoRecord& rec, bool undo) {
    const bool deletes = (rec.kind == UndoKind::InsertText) == undo;
    if (deletes) {
        // Undoing an insertion whose first CR was absorbed deletes within one line
        // and whole lines from a line start: no line is joined.
        if (undo && rec.absorb) return RoomNeed{};
        return MeasureEdit(ed, rec.position, rec.count, !undo && rec.absorb, nullptr, 0, false);
    }
    return MeasureEdit(ed, rec.position, 0, false, rec.chars, rec.count, rec.absorb != 0);
}

// Secures the room applying a record takes. A range goes through the bulk paths,
// measured exactly (with the per-character paths chosen, they check for
// themselves); a single character goes through its primitive, whose own checks are
// made ahead, so that the commands can secure a step before their unfold guard.
bool ReserveFor(EditorInstance& ed, const UndoRecord& rec, bool undo) {
    if (IsRangeKind(rec.kind)) return TextPathOf(ed) == TextPath::Charwise || SecureRoom(ed, ApplyNeed(ed, rec, undo));
    const bool deletes = rec.kind == UndoKind::InsertChar ? undo
                         : rec.kind == UndoKind::OverwriteChar ? false
                                                              : !undo;
    if (deletes) return ReserveCharDeletion(ed, rec.position);
    // Only an overwrite is applied in overwrite mode.
    const uint32_t savedOverwrite = ed.overwriteMode;
    ed.overwriteMode = rec.kind == UndoKind::OverwriteChar;
    const bool ok = ReserveCharInsertion(ed, rec.position, rec.chars[0]);
    ed.overwriteMode = savedOverwrite;
    return ok;
}

// The newest record, when the log holds a complete one ending at undoLogUsed.
bool NewestRecord(const EditorInstance& ed, UndoRecord& rec) {
    if (ed.undoLogUsed == 0 || !ed.undoLog || uint64_t(ed.undoLogUsed) + 4 > ed.undoLogSize) return false;
    const uint32_t start = Load32(ed.undoLog + ed.undoLogUsed);
    return start < ed.undoLogUsed && ReadUndoRecord(ed, start, rec) && rec.end == ed.undoLogUsed;
}

// Undoes an inserted text: deletes its characters at its position, stepping over
// the kept line break that stood for its absorbed first CR.
void DeleteInsertedText(EditorInstance& ed, const UndoRecord& rec) {
    const CharIndex p = rec.position;
    const void* cr = rec.absorb ? std::memchr(rec.chars, kCR, rec.count) : nullptr;
    if (!cr) {
        DeleteRun(ed, p, rec.count);
        return;
    }
    const uint32_t head = static_cast<uint32_t>(static_cast<const uint8_t*>(cr) - rec.chars);
    DeleteRun(ed, p, head);
    DeleteRun(ed, p + 1, rec.count - head - 1);
}

// Both answer in `grouped` whether the record applied carries the group flag.
UndoResult ApplyUndo(EditorInstance& ed, bool reserve, bool& grouped) {
    UndoRecord rec;
    if (!NewestRecord(ed, rec)) return UndoResult::Nothing;
    if (reserve && !ReserveFor(ed, rec, true)) return UndoResult::Failed;
    BeginEditCommand(ed);
    const uint32_t savedOverwrite = ed.overwriteMode;
    ed.overwriteMode = 0;  // only an overwrite is undone by overwriting
    uint8_t* chars = ed.undoLog + rec.start + kUndoChars;
    const CharIndex pos = rec.position;
    EditOutcome step = EditOutcome::Nothing;
    switch (rec.kind) {
        case UndoKind::InsertChar:
            DeleteChar(ed, pos, &step);
            if (step != EditOutcome::Failed) ed.selAnchor = ed.caretPos = pos;
            break;
        case UndoKind::OverwriteChar: {
            ed.overwriteMode = 1;
            uint32_t replaced = InsertChar(ed, pos, chars[0], &step);
            if (step == EditOutcome::Overwrote) chars[0] = static_cast<uint8_t>(replaced);
            if (step != EditOutcome::Failed) ed.selAnchor = ed.caretPos = pos;
            break;
        }
        case UndoKind::DeleteKey:
        case UndoKind::BackspaceKey:
            InsertChar(ed, pos, chars[0], &step);
            if (step != EditOutcome::Failed)
                ed.selAnchor = ed.caretPos = rec.kind == UndoKind::BackspaceKey ? pos + 1 : pos;
            break;
        case UndoKind::InsertText: {
            WaitCursor wait;
            ed.selAnchor = ed.caretPos = pos;
            DeleteInsertedText(ed, rec);
            break;
        }
        case UndoKind::DeleteRange: {
            WaitCursor wait;
            // A kept line break stands for the CR at the end of the text.
            EditStateOf(ed).absorbNextCr = rec.absorb;
            if (rec.absorb) LocateChar(ed, pos);
            ed.selAnchor = pos;
            uint32_t n = InsertRun(ed, pos, chars, rec.count);
            // The restored text is selected; after a whole-text deletion the
            // selection runs on over the closing CR, as the deleted range did.
            ed.caretPos = pos + n + (rec.wholeText ? 1 : 0);
            EditStateOf(ed).absorbNextCr = 0;
            break;
        }
    }
    ed.overwriteMode = savedOverwrite;
    BeginEditCommand(ed);
    if (step == EditOutcome::Failed) return UndoResult::Failed;  // nothing changed
    ed.undoLogUsed = rec.start;                                  // the record stays behind the end, for redo
    grouped = rec.group != 0;
    return UndoResult::Applied;
}

UndoResult ApplyRedo(EditorInstance& ed, bool reserve, bool& grouped) {
    UndoRecord rec;
    if (!ed.undoLog || !ReadUndoRecord(ed, ed.undoLogUsed, rec)) return UndoResult::Nothing;
    if (reserve && !ReserveFor(ed, rec, false)) return UndoResult::Failed;
    BeginEditCommand(ed);
    const uint32_t savedOverwrite = ed.overwriteMode;
    ed.overwriteMode = 0;
    uint8_t* chars = ed.undoLog + rec.start + kUndoChars;
    const CharIndex pos = rec.position;
    EditOutcome step = EditOutcome::Nothing;
    switch (rec.kind) {
        case UndoKind::InsertChar:
            InsertChar(ed, pos, chars[0], &step);
            if (step != EditOutcome::Failed) ed.selAnchor = ed.caretPos = pos + 1;
            break;
        case UndoKind::OverwriteChar: {
            ed.overwriteMode = 1;
            uint32_t replaced = InsertChar(ed, pos, chars[0], &step);
            if (step == EditOutcome::Overwrote) chars[0] = static_cast<uint8_t>(replaced);
            if (step != EditOutcome::Failed) ed.selAnchor = ed.caretPos = pos + 1;
            break;
        }
        case UndoKind::DeleteKey:
        case UndoKind::BackspaceKey:
            DeleteChar(ed, pos, &step);
            if (step != EditOutcome::Failed) ed.selAnchor = ed.caretPos = pos;
            break;
        case UndoKind::InsertText: {
            WaitCursor wait;
            EditStateOf(ed).absorbNextCr = rec.absorb;  // its first CR is absorbed again
            uint32_t n = InsertRun(ed, pos, chars, rec.count);
            ed.selAnchor = ed.caretPos = pos + n;
            EditStateOf(ed).absorbNextCr = 0;
            break;
        }
        case UndoKind::DeleteRange: {
            WaitCursor wait;
            EditStateOf(ed).absorbNextCr = rec.absorb;
            EditStateOf(ed).keepNextCr = rec.absorb;  // the line break is kept again
            if (rec.absorb) LocateChar(ed, pos);
            ed.selAnchor = ed.caretPos = pos;
            DeleteRun(ed, pos, rec.count);
            break;
        }
    }
    ed.overwriteMode = savedOverwrite;
    BeginEditCommand(ed);
    if (step == EditOutcome::Failed) return UndoResult::Failed;
    ed.undoLogUsed = rec.end;
    grouped = rec.group != 0;
    return UndoResult::Applied;
}

// A paste (or a typed character) over a selection: its kind-6 and kind-5 records,
// both grouped, at the same position, `first` to be applied before `second`.
bool IsGroupedPair(const UndoRecord& first, const UndoRecord& second) {
    return first.group && second.group && first.position == second.position;
}

// The newest record and the one before it, when the two are a paste's grouped
// pair (the deletion, then the insertion).
bool NewestPair(const EditorInstance& ed, UndoRecord& newest, UndoRecord& before) {
    return NewestRecord(ed, newest) && newest.group && newest.kind == UndoKind::InsertText &&
           newest.start > 0 && ReadUndoRecord(ed, Load32(ed.undoLog + newest.start), before) &&
           before.end == newest.start && before.kind == UndoKind::DeleteRange && IsGroupedPair(newest, before);
}

// The record after the end of the log and the one after it, when the two are a
// grouped pair.
bool NextPair(const EditorInstance& ed, UndoRecord& next, UndoRecord& after) {
    return ReadUndoRecord(ed, ed.undoLogUsed, next) && next.group && next.kind == UndoKind::DeleteRange &&
           ReadUndoRecord(ed, next.end, after) && after.kind == UndoKind::InsertText && IsGroupedPair(next, after);
}

// The text a record's undo (or redo) changes, as char indexes before it: a
// deletion spans its characters; an insertion is empty at its position, or reaches
// one further when its first CR is absorbed by a kept line break, since the rest of
// the text then goes into the line after that break.
struct Span {
    CharIndex lo, hi;
};
Span SpanOf(const UndoRecord& rec, bool undo) {
    const CharIndex p = rec.position;
    const auto reach = [p](uint32_t n) { return p > kNoIndex - n ? kNoIndex : p + n; };
    bool deletes = false;
    switch (rec.kind) {
        case UndoKind::InsertChar:
        case UndoKind::InsertText:
            deletes = undo;
            break;
        case UndoKind::DeleteKey:
        case UndoKind::BackspaceKey:
        case UndoKind::DeleteRange:
            deletes = !undo;
            break;
        case UndoKind::OverwriteChar:
            return {p, reach(1)};
    }
    if (deletes) return {p, reach(rec.count)};
    return {p, reach(rec.absorb ? 1 : 0)};
}
Span Union(Span a, Span b) {
    return {a.lo < b.lo ? a.lo : b.lo, a.hi > b.hi ? a.hi : b.hi};
}

// Secures a grouped pair as a whole: `deleting` is applied first, then
// `inserting` at the same position. A typed character (kind 1) in the pair goes
// through InsertChar or DeleteChar, whose checks are made as it will meet them.
bool SecurePair(EditorInstance& ed, const UndoRecord& deleting, const UndoRecord& inserting) {
    if (TextPathOf(ed) == TextPath::Charwise) return true;
    const bool keep = deleting.kind == UndoKind::DeleteRange && deleting.absorb;
    if (!IsRangeKind(inserting.kind)) {
        // Redoing a character typed over a selection: the range goes, then the
        // character goes in through InsertChar.
        return SecureTyping(ed, deleting.position, deleting.count, keep, inserting.chars[0], 0, false, false);
    }
    if (!IsRangeKind(deleting.kind)) {
        // Undoing one: the character goes first, through DeleteChar, then the
        // range goes back in.
        return ReserveCharDeletion(ed, deleting.position) &&
               SecureRoom(ed, MeasureAfterCharDeletion(ed, deleting.position, inserting.chars, inserting.count,
                                                       inserting.absorb != 0));
    }
    return SecureRoom(ed, MeasureEdit(ed, deleting.position, deleting.count, keep, inserting.chars, inserting.count,
                                      inserting.absorb != 0));
}

// One step: a record, and the next one too when it carries the group flag. A
// grouped pair, given as `deleting` (whose application deletes its characters at
// its position) and `inserting` (whose application inserts its text there), is
// secured as a whole before either is applied, so the step is never half done.
UndoResult RunStep(EditorInstance& ed, UndoResult (*apply)(EditorInstance&, bool, bool&), const UndoRecord* deleting,
                   const UndoRecord* inserting) {
    BeginEditCommand(ed);
    UndoResult result = UndoResult::Failed;
    const bool secured = deleting != nullptr;
    if (!secured || SecurePair(ed, *deleting, *inserting)) {
        bool grouped = false;
        result = apply(ed, !secured, grouped);
        if (result == UndoResult::Applied && grouped) apply(ed, !secured, grouped);
    }
    BeginEditCommand(ed);
    return result;
}

}  // namespace

bool ReadUndoRecord(const EditorInstance& ed, uint32_t start, UndoRecord& record) {
    if (!ed.undoLog) return false;
    const uint64_t charsAt = uint64_t(start) + kUndoChars;
    if (charsAt > ed.undoLogSize) return false;
    const uint8_t* rec = ed.undoLog + start;
    const uint8_t kind = rec[kUndoKindByte];
    if (kind < 1 || kind > 6) return false;
    const uint32_t count = Load32(rec + kUndoCount);
    if (kind <= 4 ? count != 1 : count == 0) return false;
    const uint64_t end = charsAt + count;
    if (end + 4 > ed.undoLogSize || Load32(ed.undoLog + end) != start) return false;
    record.start = start;
    record.kind = static_cast<UndoKind>(kind);
    record.position = Load32(rec + kUndoPosition);
    record.count = count;
    record.absorb = Load32(rec + kUndoAbsorb);
    record.group = Load32(rec + kUndoGroup);
    record.wholeText = Load32(rec + kUndoWholeText);
    record.end = static_cast<uint32_t>(end);
    record.chars = rec + kUndoChars;
    return true;
}

bool AppendUndoRecord(EditorInstance& ed, UndoKind kind, CharIndex position, uint8_t ch) {
    if (IsRangeKind(kind) || static_cast<uint8_t>(kind) < 1 || static_cast<uint8_t>(kind) > 6) return false;
    if (!EnsureUndoRoom(ed, 1)) return false;
    UndoStagingArea(ed)[0] = ch;
    WriteRecord(ed, kind, position, 1, false);
    return true;
}

bool AppendUndoRecord(EditorInstance& ed, UndoKind kind, CharIndex position, const uint8_t* text,
                      uint32_t textBytes, uint32_t count, bool grouped) {
    if (!IsRangeKind(kind) || !text || count == 0) return false;
    if (!EnsureUndoRoom(ed, count)) return false;
    uint8_t* out = UndoStagingArea(ed);
    uint32_t stored = 0;
    LineEndNormaliser lineEnds;  // as the text was inserted: a lone LF is logged as its CR
    for (uint32_t i = 0; i < textBytes && stored < count; ++i) {
        const int c = lineEnds.Map(text[i]);
        if (c != LineEndNormaliser::kDropped) out[stored++] = static_cast<uint8_t>(c);
    }
    if (stored == 0) return false;
    WriteRecord(ed, kind, position, stored, grouped);
    return true;
}

uint8_t* UndoStagingArea(EditorInstance& ed) {
    return ed.undoLog + ed.undoLogUsed + kUndoChars;
}

bool AppendStagedUndoRecord(EditorInstance& ed, UndoKind kind, CharIndex position, uint32_t count,
                            bool grouped) {
    if (!IsRangeKind(kind) || count == 0) return false;
    if (!EnsureUndoRoom(ed, count)) return false;  // a growth keeps the staged bytes
    WriteRecord(ed, kind, position, count, grouped);
    return true;
}

UndoResult UndoOne(EditorInstance& ed) {
    bool grouped = false;
    return ApplyUndo(ed, true, grouped);
}
UndoResult RedoOne(EditorInstance& ed) {
    bool grouped = false;
    return ApplyRedo(ed, true, grouped);
}

bool CanUndo(const EditorInstance& ed) {
    return ed.undoLogUsed != 0;
}

bool CanRedo(const EditorInstance& ed) {
    UndoRecord rec;
    return ReadUndoRecord(ed, ed.undoLogUsed, rec);
}

void EmptyUndoLog(EditorInstance& ed) {
    if (ed.undoLog) std::memset(ed.undoLog, 0, ed.undoLogSize);
    ed.undoLogUsed = 0;
}

void KeepOnlyNewestRecord(EditorInstance& ed) {
    UndoRecord newest;
    if (!NewestRecord(ed, newest)) {
        EmptyUndoLog(ed);
        return;
    }
    if (newest.start == 0) return;  // the only one already
    // The record moves to the start of the area; its back link there is 0, the
    // one after it points at 0, and everything after it is zero again.
    const uint32_t length = newest.end - newest.start;
    std::memmove(ed.undoLog, ed.undoLog + newest.start, length);
    Store32(ed.undoLog + kUndoBackLink, 0);
    std::memset(ed.undoLog + length, 0, ed.undoLogSize - length);
    ed.undoLogUsed = length;
}

UndoResult UndoStep(EditorInstance& ed) {
    // A grouped pair is undone insertion first: the pasted text is deleted, then
    // the replaced selection goes back in.
    UndoRecord newest, before;
    const bool pair = NewestPair(ed, newest, before);
    return RunStep(ed, ApplyUndo, pair ? &newest : nullptr, &before);
}

UndoResult RedoStep(EditorInstance& ed) {
    // A grouped pair is redone deletion first, then the pasted text goes in again.
    UndoRecord next, after;
    const bool pair = NextPair(ed, next, after);
    return RunStep(ed, ApplyRedo, pair ? &next : nullptr, &after);
}

bool ReserveUndoStep(EditorInstance& ed) {
    UndoRecord newest, before;
    if (!NewestRecord(ed, newest)) return true;
    BeginEditCommand(ed);  // as the step begins
    if (NewestPair(ed, newest, before)) return SecurePair(ed, newest, before);
    return ReserveFor(ed, newest, true);
}

bool ReserveRedoStep(EditorInstance& ed) {
    UndoRecord next, after;
    if (!ed.undoLog || !ReadUndoRecord(ed, ed.undoLogUsed, next)) return true;
    BeginEditCommand(ed);
    if (NextPair(ed, next, after)) return SecurePair(ed, next, after);
    return ReserveFor(ed, next, false);
}

bool UndoStepSpan(const EditorInstance& ed, CharIndex& lo, CharIndex& hi) {
    UndoRecord newest, before;
    if (!NewestRecord(ed, newest)) return false;
    const bool pair = NewestPair(ed, newest, before);
    Span span = SpanOf(newest, true);
    if (pair) span = Union(span, SpanOf(before, true));
    lo = span.lo;
    hi = span.hi;
    return true;
}

bool RedoStepSpan(const EditorInstance& ed, CharIndex& lo, CharIndex& hi) {
    UndoRecord next, after;
    if (!ed.undoLog || !ReadUndoRecord(ed, ed.undoLogUsed, next)) return false;
    const bool pair = NextPair(ed, next, after);
    Span span = SpanOf(next, false);
    if (pair) span = Union(span, SpanOf(after, false));
    lo = span.lo;
    hi = span.hi;
    return true;
}

}  // namespace qv
