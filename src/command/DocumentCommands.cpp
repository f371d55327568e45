#include "command/DocumentCommands.h"

#include <algorithm>
#include <cstring>

#include "command/CommandSteps.h"
#include "edit/BulkEdit.h"
#include "edit/EditState.h"
#include "edit/LineEnds.h"
#include "edit/TextEdit.h"
#include "edit/UndoLog.h"
#include "render/Folding.h"
#include "store/LineRecord.h"
#include "store/LineStore.h"
#include "store/LongestLine.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

uint32_t Saturate(uint64_t v) {
    return v > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(v);
}

void Report(bool* ok, bool value) {
    if (ok) *ok = value;
}

// The index after `p`, never wrapping past the end.
CharIndex NextIndex(CharIndex p) { return p == kNoIndex ? p : p + 1; }

// Secures the undo room for the records a command may log: the deleted selection
// and `insertedChars` more characters. One record needs what its own append checks
// for; a second one also needs the room the first one's header takes.
bool EnsureCommandUndoRoom(EditorInstance& ed, CharIndex lo, CharIndex hi, uint64_t insertedChars) {
    const uint64_t deleted = hi - lo;
    const uint64_t slack = deleted && insertedChars ? kUndoRecordSlack : 0;
    return EnsureUndoRoom(ed, Saturate(deleted + insertedChars + slack));
}

// The selection's lower and upper ends, clamped to the text.
struct Range {
    CharIndex lo, hi;
};
Range SelectionRange(EditorInstance& ed) {
    const CharIndex hi = LocateChar(ed, std::max(ed.selAnchor, ed.caretPos)).index;
    return {std::min(std::min(ed.selAnchor, ed.caretPos), hi), hi};
}

// DeleteRange as the commands run it: a drag ends and the current line is
// re-established under the caret.
CharIndex DeleteSelected(EditorInstance& ed, CharIndex a, CharIndex b, bool* deleted, bool grouped = false) {
    const CharIndex pos = DeleteRange(ed, a, b, deleted, grouped);
    if (a != b && *deleted) EndRangeDeletion(ed);
    return pos;
}

// The blanks automatic indentation may copy after a CR typed at `p`: those that
// begin p's line, before p.
uint32_t IndentBefore(EditorInstance& ed, CharIndex p) {
    const KeepCurrentLine keepCache(ed);
    const CharLocation where = LocateChar(ed, p);
    const LineRecordView rec = CurrentRecord(ed);
    const uint32_t end = std::min(where.column, rec.length());
    uint32_t n = 0;
    while (n < end && (rec.chars()[n] == ' ' || rec.chars()[n] == kTab)) ++n;
    return n;
}

// The undo room of Enter with `blanks` blanks copied after it: the selection's
// record, the CR's and one per blank, each append checking for its own room. The
// log grows at once to the size those checks reach, no further (the differential
// test compares it with the per-character paths, which secure nothing ahead).
bool ReserveIndentUndo(EditorInstance& ed, CharIndex lo, CharIndex hi, uint32_t blanks) {
    // The command's own check covers two records; the per-character paths check
    // for themselves.
    if (blanks == 0 || TextPathOf(ed) == TextPath::Charwise) return true;
    uint32_t deleted = 0;
    if (lo != hi) {
        const KeepCurrentLine keepCache(ed);
        deleted = PlanRangeDeletion(ed, lo, hi).n;
    }
    uint64_t size = ed.undoLogSize, used = ed.undoLogUsed;
    if (deleted) {
        size = UndoSizeAfterRoomFor(size, used, deleted);
        used += kUndoChars + uint64_t(deleted);
    }
    for (uint32_t i = 0; i <= blanks; ++i) {
        size = UndoSizeAfterRoomFor(size, used, 1);
        used += kUndoChars + 1;
    }
    return GrowUndoLogExactly(ed, size);
}

// A group flag on the newest record alone would make the next undo take an
// unrelated record with it.
void UngroupNewestRecord(EditorInstance& ed) {
    const uint32_t start = Load32(ed.undoLog + ed.undoLogUsed);
    Store32(ed.undoLog + start + kUndoGroup, 0);
}

// Whether deleting lo ... hi (as DeleteRange does) deletes anything, and so logs a
// record: a range over the closing CR alone deletes nothing.
bool DeletesSomething(EditorInstance& ed, CharIndex lo, CharIndex hi) {
    const KeepCurrentLine keepCache(ed);
    return PlanRangeDeletion(ed, lo, hi).n != 0;
}

// Logs the `count` characters typed at `p` (a character and the blanks copied
// after it) as one inserted text, taken from the store itself: no buffer of the
// indentation's size is needed. `grouped`: one undo step with the deletion before.
bool LogTypedText(EditorInstance& ed, CharIndex p, uint32_t count, bool grouped) {
    if (count == 0 || !EnsureUndoRoom(ed, count)) return false;
    CopyStoredText(ed, p, count, UndoStagingArea(ed));
    return AppendStagedUndoRecord(ed, UndoKind::InsertText, p, count, grouped);
}

}  // namespace

uint32_t ReplaceSelection(EditorInstance& ed, const char* text, bool logUndo, bool* ok) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text ? text : "");
    const uint32_t length = Saturate(std::strlen(reinterpret_cast<const char*>(bytes)));
    return ReplaceSelectionBytes(ed, bytes, length, logUndo, ok);
}

uint32_t ReplaceSelectionBytes(EditorInstance& ed, const uint8_t* bytes, uint32_t length, bool logUndo, bool* ok) {
    BeginEditCommand(ed);
    if (!bytes) length = 0;
    const uint64_t chars = StoredCharCount(bytes, length);
    const auto [lo, hi] = SelectionRange(ed);
    if (!EnsureCommandUndoRoom(ed, lo, hi, logUndo ? chars : 0) ||
        !ReserveEditRoom(ed, lo, hi, bytes, length)) {
        Report(ok, false);
        return 0;
    }
    UnfoldForEdit(ed, lo, hi);

    // A logged replacement of a selection is one undo step: its deletion and its
    // insertion carry the group flag.
    const bool group = logUndo && lo != hi;
    const uint32_t usedBefore = ed.undoLogUsed;
    bool deleted = true;
    CharIndex pos = DeleteSelected(ed, lo, hi, &deleted, group);
    if (!deleted) {  // not reached: the room is secured above
        Report(ok, false);
        return 0;
    }
    const bool rangeLogged = ed.undoLogUsed != usedBefore;
    pos = InsertionPoint(ed, pos);  // never after the closing CR
    ed.selAnchor = ed.caretPos = pos;

    const uint32_t wasAbsorbing = EditStateOf(ed).absorbNextCr;
    bool inserted = true;
    uint32_t count;
    {
        WaitCursor wait;
        count = InsertRun(ed, pos, bytes, length, &inserted);
    }
    // The record tells its undo whether the text's first CR was absorbed by the
    // line break the deletion kept.
    const bool absorbed = wasAbsorbing && !EditStateOf(ed).absorbNextCr;
    ed.selAnchor = ed.caretPos = pos + count;

    if (logUndo && count > 0) {
        EditStateOf(ed).absorbNextCr = absorbed;
        AppendUndoRecord(ed, UndoKind::InsertText, pos, bytes, length, count, group && rangeLogged);
    } else if (rangeLogged && group) {
        UngroupNewestRecord(ed);
    }
    // Characters inserted without a record shift the text under every record
    // logged before: undoing or redoing one would change the wrong characters. The
    // deletion this command logged still fits (its text goes back in front of the
    // insertion); all the others go.
    if (!logUndo && count > 0) {
        if (rangeLogged) {
            KeepOnlyNewestRecord(ed);
        } else {
            EmptyUndoLog(ed);
        }
    }
    BeginEditCommand(ed);
    Report(ok, inserted);
    return count;
}

bool SetWholeText(EditorInstance& ed, const char* text) {
    BeginEditCommand(ed);
    if (!text) text = "";
    // Emptying a document changes its text although nothing is inserted: the
    // parent must hear of it as of any other replacement.
    const bool hadText = LineCount(ed) > 1 || LineLength(ed, 0) > 1;
    // The new document is built beside the old one, which stays untouched until
    // the new one is complete. CreateStore also puts the view, the selection and
    // the caches back at the top; inserting at 0 leaves them there.
    // It is built in a record of its own, whose working state starts afresh.
    ControlRecord record{};
    EditorInstance& fresh = record.ed;
    fresh = ed;
    fresh.lineIndexHeapHandle = fresh.lineHeapHandle = fresh.undoHeapHandle = nullptr;
    fresh.lineIndex = fresh.lineHeap = fresh.undoLog = nullptr;
    if (!CreateStore(fresh)) return false;
    bool inserted = false;
    if (InsertEndMark(fresh)) InsertText(fresh, 0, text, &inserted);
    if (!inserted) {
        DestroyStore(fresh);
        return false;
    }
    ForgetLongestLine(fresh);  // the record's own: the control makes its chain anew
    DestroyStore(ed);
    if (hadText && fresh.changeCount == ed.changeCount) fresh.changeCount++;
    ed = fresh;

    // A text that begins with a line break (a CR, or an LF standing for one).
    if (text[0] == 0 || text[0] == kCR || text[0] == kLF) {
        ed.panes[0].vScrollShown = 0;
        ed.panes[1].vScrollShown = 0;
        ed.panes[0].hScrollShown = 0;
    }
    LocateChar(ed, 0);
    BeginEditCommand(ed);
    return true;
}

CharIndex ClearSelection(EditorInstance& ed, bool* ok) {
    BeginEditCommand(ed);
    // The room first: the unfold guard must not open blocks for a deletion that
    // then fails.
    const auto [lo, hi] = SelectionRange(ed);
    if (!ReserveRangeDeletion(ed, lo, hi)) {
        Report(ok, false);
        return lo;
    }
    if (ed.selAnchor != ed.caretPos) UnfoldForEdit(ed, ed.selAnchor, ed.caretPos);
    bool deleted = true;
    const CharIndex pos = DeleteSelected(ed, ed.selAnchor, ed.caretPos, &deleted);
    if (deleted) ed.selAnchor = ed.caretPos = pos;
    BeginEditCommand(ed);
    Report(ok, deleted);
    return pos;
}

bool TypeChar(EditorInstance& ed, uint8_t ch) {
    BeginEditCommand(ed);
    const auto [lo, hi] = SelectionRange(ed);
    // Enter with automatic indentation secures the room of the blanks it copies
    // too: it never stops after the CR.
    const uint32_t indent = ch == kCR && ed.autoIndent ? IndentBefore(ed, lo) : 0;
    // Over a selection that goes, the character is one undo step with it, as a
    // paste is: the deletion and one inserted text (the character, and after a CR
    // the indentation copied), both records grouped. Otherwise the character is a
    // record of its own, and so is each blank copied after it.
    const bool grouped = lo != hi && DeletesSomething(ed, lo, hi);
    const bool undoRoom = grouped
                              ? EnsureCommandUndoRoom(ed, lo, hi, uint64_t(1) + indent)
                              : EnsureCommandUndoRoom(ed, lo, hi, 1) && ReserveIndentUndo(ed, lo, hi, indent);
    if (!undoRoom || !ReserveTyping(ed, lo, hi, ch, indent, ed.overwriteMode && lo == hi)) return false;
    UnfoldForEdit(ed, lo, hi);
    bool deleted = true;
    CharIndex p = DeleteSelected(ed, lo, hi, &deleted, grouped);
    if (!deleted) return false;  // not reached: the room is secured above
    p = InsertionPoint(ed, p);
    ed.selAnchor = ed.caretPos = p;
    LocateChar(ed, p);

    // Overwrite mode replaces the character under an empty selection only: a
    // character typed over a selection takes the selection's place and leaves the
    // character after it.
    const uint32_t savedOverwrite = ed.overwriteMode;
    if (lo != hi) ed.overwriteMode = 0;
    EditOutcome outcome;
    const uint32_t replaced = InsertChar(ed, p, ch, &outcome);
    ed.overwriteMode = savedOverwrite;
    const bool stored = outcome == EditOutcome::Inserted || outcome == EditOutcome::Overwrote ||
                        (grouped && outcome == EditOutcome::Absorbed);
    if (!stored) {
        if (grouped) UngroupNewestRecord(ed);
        BeginEditCommand(ed);
        return false;
    }
    if (grouped) {
        ed.selAnchor = ed.caretPos = p + 1;
        const bool indented = ch == kCR && ed.autoIndent ? CopyIndent(ed, false) : true;
        // A CR absorbed by the kept line break is logged as absorbed: its undo
        // removes nothing of the break, its redo absorbs it again.
        EditStateOf(ed).absorbNextCr = outcome == EditOutcome::Absorbed;
        if (!LogTypedText(ed, p, ed.caretPos - p, true)) UngroupNewestRecord(ed);
        BeginEditCommand(ed);
        return indented;
    }
    // Nothing was deleted, so no kept line break absorbed a CR.
    if (outcome == EditOutcome::Overwrote)
        AppendUndoRecord(ed, UndoKind::OverwriteChar, p, static_cast<uint8_t>(replaced));
    else
        AppendUndoRecord(ed, UndoKind::InsertChar, p, ch);
    ed.selAnchor = ed.caretPos = p + 1;
    bool indented = true;
    if (ch == kCR && ed.autoIndent) indented = CopyIndent(ed);
    BeginEditCommand(ed);
    return indented;
}

uint32_t DeleteKey(EditorInstance& ed, bool* ok) {
    BeginEditCommand(ed);
    const CharIndex p = std::min(ed.selAnchor, ed.caretPos);
    // The room of a line join too, before the unfold guard changes anything.
    if (!EnsureUndoRoom(ed, 1) || !ReserveCharDeletion(ed, p)) {
        Report(ok, false);
        return 0;
    }
    UnfoldForEdit(ed, p, NextIndex(p));  // a CR joins its line and the next
    EditOutcome outcome;
    const uint32_t c = DeleteChar(ed, p, &outcome);
    Report(ok, outcome != EditOutcome::Failed);
    if (outcome != EditOutcome::Deleted) return 0;
    ed.selAnchor = ed.caretPos = p;
    AppendUndoRecord(ed, UndoKind::DeleteKey, p, static_cast<uint8_t>(c));
    return c;
}

uint32_t BackspaceKey(EditorInstance& ed, bool* ok) {
    BeginEditCommand(ed);
    Report(ok, true);
    if (ed.caretPos == 0) return 0;
    const CharIndex p = LocateChar(ed, ed.caretPos - 1).index;
    if (!EnsureUndoRoom(ed, 1) || !ReserveCharDeletion(ed, p)) {
        Report(ok, false);
        return 0;
    }
    UnfoldForEdit(ed, p, NextIndex(p));  // a CR joins its line and the next
    EditOutcome outcome;
    const uint32_t c = DeleteChar(ed, p, &outcome);
    if (outcome == EditOutcome::Failed) {
        Report(ok, false);
        return 0;
    }
    ed.selAnchor = ed.caretPos = p;
    if (outcome != EditOutcome::Deleted) return 0;
    AppendUndoRecord(ed, UndoKind::BackspaceKey, p, static_cast<uint8_t>(c));
    return c;
}

}  // namespace qv
