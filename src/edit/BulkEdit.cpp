#include "edit/BulkEdit.h"

#include <algorithm>
#include <cstring>

#include "base/ByteScan.h"
#include "edit/EditState.h"
#include "edit/TextEdit.h"
#include "store/LineRecord.h"
#include "store/LineStore.h"
#include "store/LongestLine.h"
#include "store/PositionMap.h"

namespace qv {

namespace {

// Bytes of a record made for a line of `chars` characters: its header and the
// characters, never less than the smallest record.
uint64_t RecordBytes(uint64_t chars) { return std::max<uint64_t>(kMinRecordSize, chars + kRecChars); }

uint32_t Saturate(uint64_t v) { return v > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(v); }

void MarkChanged(EditorInstance& ed, uint64_t changes) {
    if (changes == 0) return;
    ed.modified = 1;
    ed.changeCount += static_cast<uint32_t>(changes);
}

void RaiseMaxLineLength(EditorInstance& ed, uint64_t seen) {
    if (seen > ed.maxLineLength) ed.maxLineLength = Saturate(seen);
}

// ---- Texts as lines ---------------------------------------------------------------------

// One line's piece of a text (LineEnds.h: CR LF, a lone CR and a lone LF each end
// a line; NULs are no characters): its raw bytes, NULs included, and the
// characters they make.
struct Segment {
    const uint8_t* begin = nullptr;
    uint32_t raw = 0;
    uint32_t chars = 0;
    bool endsWithCr = false;  // ends with a line break (stored as a CR)
};

// The first CR, LF or NUL in [p, end), or end.
const uint8_t* FindLineEnd(const uint8_t* p, const uint8_t* end) {
    return FindFirstOf(p, end, kCR, kLF, 0);
}

// Past a CR at `p` - 1: the LF of a CR LF pair, NULs between, is no character.
const uint8_t* SkipPairedLf(const uint8_t* p, const uint8_t* end) {
    const uint8_t* q = p;
    while (q < end && *q == 0) ++q;
    return q < end && *q == kLF ? q + 1 : p;
}

// Splits a text into its lines: a text with k line breaks gives k + 1 segments,
// the last one possibly empty.
class SegmentReader {
public:
    SegmentReader(const uint8_t* text, uint32_t bytes) : pos_(text), end_(text + bytes) {}

    bool Next(Segment& seg) {
        if (done_) return false;
        if (afterCr_) pos_ = SkipPairedLf(pos_, end_);
        seg.begin = pos_;
        uint32_t nuls = 0;
        const uint8_t* p = pos_;
        const uint8_t* segEnd;
        for (;;) {
            const uint8_t* stop = FindLineEnd(p, end_);
            if (stop == end_) {
                seg.endsWithCr = false;
                done_ = true;
                segEnd = end_;
                break;
            }
            if (*stop == 0) {
                ++nuls;
                p = stop + 1;
                continue;
            }
            seg.endsWithCr = true;
            afterCr_ = *stop == kCR;
            segEnd = stop;
            pos_ = stop + 1;
            break;
        }
        seg.raw = static_cast<uint32_t>(segEnd - seg.begin);
        seg.chars = seg.raw - nuls;
        return true;
    }

private:
    const uint8_t* pos_;
    const uint8_t* end_;
    bool done_ = false;
    bool afterCr_ = false;
};

// Copies a segment's characters (its NULs left out) to `out`; answers the end.
uint8_t* CopySegment(uint8_t* out, const Segment& seg) {
    if (seg.chars == seg.raw) {
        std::memcpy(out, seg.begin, seg.raw);
        return out + seg.raw;
    }
    const uint8_t* from = seg.begin;
    const uint8_t* const to = seg.begin + seg.raw;
    while (from < to) {
        const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(from, 0, static_cast<size_t>(to - from)));
        const uint8_t* stop = nul ? nul : to;
        std::memcpy(out, from, static_cast<size_t>(stop - from));
        out += stop - from;
        from = nul ? nul + 1 : to;
    }
    return out;
}

// The lines a text makes: seg0 CR seg1 CR ... segk.
struct TextShape {
    uint64_t chars = 0;        // characters, CRs included
    uint32_t breaks = 0;       // k, the CRs
    uint32_t firstSeg = 0;     // characters before the first CR (all of them without one)
    uint32_t lastSeg = 0;      // characters after the last CR
    uint64_t middleBytes = 0;  // records of the lines between the first and the last CR
    uint64_t charwiseMiddleBytes = 0;  // what the per-character path's records of them take at least
    uint32_t longestMiddle = 0;
};

// The bytes a line of `chars` characters made by a split takes at least on the
// per-character path: its record grows in 32-byte steps from 32 bytes plus the
// characters it took over, and held all of its own before its CR went in.
uint64_t CharwiseBytes(uint64_t chars) {
    return (RecordBytes(chars) + kRecordGrowth - 1) / kRecordGrowth * kRecordGrowth;
}

TextShape ShapeOf(const uint8_t* text, uint32_t bytes) {
    TextShape shape;
    SegmentReader reader(text, bytes);
    Segment seg;
    uint32_t index = 0;
    while (reader.Next(seg)) {
        shape.chars += seg.chars + (seg.endsWithCr ? 1 : 0);
        if (index == 0) shape.firstSeg = seg.chars;
        if (seg.endsWithCr) {
            ++shape.breaks;
            if (index > 0) {
                shape.middleBytes += RecordBytes(uint64_t(seg.chars) + 1);
                shape.charwiseMiddleBytes += CharwiseBytes(uint64_t(seg.chars) + 1);
                shape.longestMiddle = std::max(shape.longestMiddle, seg.chars);
            }
        } else {
            shape.lastSeg = seg.chars;
        }
        ++index;
    }
    return shape;
}

// Where a text absorbed by a kept line break splits: the raw bytes before its
// first line break (a CR or an LF), or all of them when it has none.
uint32_t FirstBreakAt(const uint8_t* text, uint32_t bytes) {
    const uint8_t* p = text;
    const uint8_t* const end = text + bytes;
    for (;;) {
        p = FindLineEnd(p, end);
        if (p == end || *p != 0) return static_cast<uint32_t>(p - text);
        ++p;
    }
}

// ---- Records ----------------------------------------------------------------------------

// A line's record as planning sees it.
struct Site {
    uint32_t offset = 0;
    uint32_t size = 0;
    uint32_t length = 0;
};

Site SiteOf(const EditorInstance& ed, LineNumber line) {
    const uint32_t offset = RecordOffset(ed, line);
    LineRecordView rec = RecordAt(ed, offset);
    return {offset, rec.size(), rec.length()};
}

bool Newest(const Site& site, uint64_t heapUsed) { return uint64_t(site.offset) + site.size == heapUsed; }

// Where a joined line of `length` characters goes: into the first or the last
// line's record when it fits (the larger one when both do, as the per-character
// join keeps the last line's record and the next insertion finds the more room),
// else by growing whichever is the newest, else into a new record.
enum class JoinRecord : uint8_t { First, Last, GrowFirst, GrowLast, New };
JoinRecord ChooseJoinRecord(const Site& first, const Site& last, uint64_t length, uint64_t heapUsed) {
    const bool firstFits = length + kRecChars <= first.size;
    const bool lastFits = length + kRecChars <= last.size;
    if (lastFits && (!firstFits || last.size >= first.size)) return JoinRecord::Last;
    if (firstFits) return JoinRecord::First;
    if (Newest(first, heapUsed)) return JoinRecord::GrowFirst;
    if (Newest(last, heapUsed)) return JoinRecord::GrowLast;
    return JoinRecord::New;
}

// LineHeap bytes a line takes to hold `length` characters in the record `site`:
// none when they fit, the growth when the record is the newest, else a new record.
uint64_t RefitBytes(const Site& site, uint64_t length, uint64_t heapUsed) {
    if (length + kRecChars <= site.size) return 0;
    if (Newest(site, heapUsed)) return RecordBytes(length) - site.size;
    return RecordBytes(length);
}

// Gives the line in slot `line` room for `length` characters: in place when they
// fit, by growing the newest record, or in a new record at the append point with
// the old header and the first `keep` characters copied. The room is secured.
// Answers the record's offset.
uint32_t Refit(EditorInstance& ed, LineNumber line, uint64_t length, uint32_t keep) {
    const uint32_t offset = RecordOffset(ed, line);
    LineRecordView rec = RecordAt(ed, offset);
    const uint32_t size = rec.size();
    if (length + kRecChars <= size) return offset;
    const uint32_t wanted = static_cast<uint32_t>(RecordBytes(length));
    if (offset + size == ed.lineHeapUsed) {
        rec.setSize(wanted);
        ed.lineHeapUsed = offset + wanted;
        return offset;
    }
    const uint32_t moved = ed.lineHeapUsed;
    std::memcpy(ed.lineHeap + moved, ed.lineHeap + offset, kRecChars + keep);
    RecordAt(ed, moved).setSize(wanted);
    ed.lineHeapUsed = moved + wanted;
    Store32(ed.lineIndex + 4u * line, moved);
    return moved;
}

// A new record at the append point, for `length` characters; its flags and marker
// words are zero (the area past the append point is). Answers its offset.
uint32_t AppendRecord(EditorInstance& ed, uint64_t length) {
    const uint32_t offset = ed.lineHeapUsed;
    const uint32_t size = static_cast<uint32_t>(RecordBytes(length));
    LineRecordView rec = RecordAt(ed, offset);
    rec.setLength(static_cast<uint32_t>(length));
    rec.setSize(size);
    ed.lineHeapUsed = offset + size;
    return offset;
}

void SetCurrentLine(EditorInstance& ed, LineNumber line, CharIndex start) {
    ed.curLine = line;
    ed.curLineSlot = 4 * line;
    ed.curRecord = RecordOffset(ed, line);
    ed.curLineStart = start;
    ed.curLineLength = RecordAt(ed, ed.curRecord).length();
}

// ---- Insertion ----------------------------------------------------------------------------

uint64_t InsertionBytes(const Site& site, uint32_t col, const TextShape& t, uint64_t heapUsed) {
    if (t.chars == 0) return 0;
    if (t.breaks == 0) return RefitBytes(site, uint64_t(site.length) + t.firstSeg, heapUsed);
    const uint64_t suffix = site.length - col;
    return RefitBytes(site, uint64_t(col) + t.firstSeg + 1, heapUsed) + t.middleBytes +
           RecordBytes(t.lastSeg + suffix);
}

// Inserts a text at p, which lies in front of the closing CR, with no absorbing
// and no end-mark insertion. The room is secured. Answers the characters inserted.
uint32_t InsertLines(EditorInstance& ed, CharIndex p, const uint8_t* text, uint32_t bytes, const TextShape& t) {
    if (t.chars == 0) return 0;
    const CharLocation at = LocateChar(ed, p);
    ResetPaneCachesBefore(ed, p);
    const LineNumber line = at.line;
    const uint32_t col = at.column;
    const CharIndex lineStart = p - col;
    const uint32_t length = LineLength(ed, line);
    const uint32_t suffix = length - col;
    const uint32_t k = t.breaks;
    SegmentReader reader(text, bytes);
    Segment seg;

    if (k == 0) {
        reader.Next(seg);
        const uint32_t offset = Refit(ed, line, uint64_t(length) + seg.chars, length);
        LineRecordView rec = RecordAt(ed, offset);
        std::memmove(rec.chars() + col + seg.chars, rec.chars() + col, suffix);
        CopySegment(rec.chars() + col, seg);
        rec.setLength(length + seg.chars);
        // The lookups met the line as it grew, up to its last character.
        RaiseMaxLineLength(ed, uint64_t(length) + seg.chars - 1);
        MarkChanged(ed, t.chars);
        NoteLinesChanged(ed, line, line);
        SetCurrentLine(ed, line, lineStart);
        return static_cast<uint32_t>(t.chars);
    }

    // The first line keeps its record when seg0 and a CR fit where its suffix was;
    // the suffix moves into the last new line. The new lines' records go to the
    // append point in order, so the last one is the newest.
    const uint64_t firstLength = uint64_t(col) + t.firstSeg + 1;
    const uint32_t oldOffset = RecordOffset(ed, line);
    const uint32_t firstOffset = Refit(ed, line, firstLength, col);
    const uint32_t lastOffset = static_cast<uint32_t>(uint64_t(ed.lineHeapUsed) + t.middleBytes);
    // The suffix first, before the first line's characters overwrite it (a moved
    // record leaves its old bytes where they were).
    std::memcpy(ed.lineHeap + lastOffset + kRecChars + t.lastSeg, RecordAt(ed, oldOffset).chars() + col, suffix);

    // Open k slots after the first line, in one move.
    const uint32_t count = LineCount(ed);
    std::memmove(ed.lineIndex + 4u * (line + 1 + k), ed.lineIndex + 4u * (line + 1), 4u * (count - line - 1));
    ed.lineIndexUsed += 4 * k;

    reader.Next(seg);
    LineRecordView first = RecordAt(ed, firstOffset);
    uint8_t* out = CopySegment(first.chars() + col, seg);
    *out = kCR;
    first.setLength(static_cast<uint32_t>(firstLength));
    uint64_t seen = uint64_t(length) + seg.chars;  // the first line when its CR went in

    CharIndex start = lineStart + firstLength;
    for (uint32_t i = 1; i < k; ++i) {
        reader.Next(seg);
        const uint32_t offset = AppendRecord(ed, uint64_t(seg.chars) + 1);
        uint8_t* end = CopySegment(RecordAt(ed, offset).chars(), seg);
        *end = kCR;
        Store32(ed.lineIndex + 4u * (line + i), offset);
        start += seg.chars + 1;
    }
    seen = std::max<uint64_t>(seen, uint64_t(suffix) + (k > 1 ? t.longestMiddle : 0));
    reader.Next(seg);
    const uint32_t last = AppendRecord(ed, uint64_t(seg.chars) + suffix);
    CopySegment(RecordAt(ed, last).chars(), seg);
    Store32(ed.lineIndex + 4u * (line + k), last);
    if (seg.chars > 0) seen = std::max<uint64_t>(seen, uint64_t(suffix) + seg.chars - 1);

    RaiseMaxLineLength(ed, seen);
    MarkChanged(ed, t.chars);
    NoteLinesChanged(ed, line, line + k);
    SetCurrentLine(ed, line + k, start);
    return static_cast<uint32_t>(t.chars);
}

// ---- Deletion -------------------------------------------------------------------------------

// What n deletions at p do, line by line, before anything changes.
struct DeletionPlan {
    LineNumber line = 0;      // the line of p
    uint32_t col = 0;         // p's column in it
    uint32_t firstCut = 0;    // characters deleted in front of its CR (col > 0), or of the last line (col 0)
    uint32_t removed = 0;     // slots closed after the line (col > 0) or from it on (col 0)
    uint32_t tailFrom = 0;    // col > 0: where the kept rest of the last joined line starts in it
    bool joined = false;      // col > 0 and at least one line break deleted
    bool keptCr = false;      // keepNextCr was used
    uint64_t changes = 0;     // changeCount increments
    uint64_t seen = 0;        // the longest line the per-character lookups meet
    uint64_t finalLength = 0; // the line of p afterwards
    uint32_t hiddenRemoved = 0;
    bool touched = false;     // anything changed
};

DeletionPlan PlanDeletion(const EditorInstance& ed, LineNumber line, uint32_t col, uint32_t n, bool keep) {
    DeletionPlan plan;
    plan.line = line;
    plan.col = col;
    const uint32_t count = LineCount(ed);
    uint32_t length = LineLength(ed, line);
    plan.seen = length;
    uint64_t remaining = n;
    if (col >= length) {  // at or past the end of the text
        plan.finalLength = length;
        return plan;
    }
    if (col == 0) {
        // Every line met whole goes, its CR last; then characters of the line that
        // stays, never its CR.
        LineNumber at = line;
        const bool anyHidden = ed.hiddenLineCount != 0;
        for (;;) {
            const LineRecordView rec = LineRecordOf(ed, at);
            length = rec.length();
            plan.seen = std::max<uint64_t>(plan.seen, length);
            const bool last = at + 1 >= count;
            if (!last && remaining >= length) {
                remaining -= length;
                plan.changes += length;
                if (anyHidden && (rec.flags() & kFlagHidden)) ++plan.hiddenRemoved;
                ++plan.removed;
                ++at;
                if (remaining == 0) {
                    plan.finalLength = LineLength(ed, at);
                    break;
                }
                continue;
            }
            const uint64_t cut = std::min<uint64_t>(remaining, length - 1);
            plan.firstCut = static_cast<uint32_t>(cut);
            plan.changes += cut;
            plan.finalLength = length - cut;
            break;
        }
        plan.touched = plan.changes > 0;
        return plan;
    }

    // From inside a line: its characters up to its CR, then each line break either
    // kept once (keepNextCr) or deleted by joining the next line behind the first
    // col characters, whose characters are then deleted in turn.
    uint64_t lineLength = length;  // of the line of p as it stands during the run
    uint64_t cut = std::min<uint64_t>(remaining, lineLength - 1 - col);
    plan.firstCut = static_cast<uint32_t>(cut);
    plan.changes += cut;
    remaining -= cut;
    lineLength -= cut;
    LineNumber next = line + 1;
    uint32_t tailFrom = 0;
    while (remaining > 0) {
        if (next >= count) break;  // the closing CR stays
        if (keep && !plan.keptCr) {
            plan.keptCr = true;
            plan.changes += 1;
            remaining -= 1;
            continue;
        }
        const LineRecordView nextRec = LineRecordOf(ed, next);
        const uint32_t nextLength = nextRec.length();
        if (nextRec.flags() & kFlagHidden) ++plan.hiddenRemoved;
        ++plan.removed;
        plan.joined = true;
        // The per-character join deletes the CR and re-inserts the col characters
        // in front of the next line, one change each.
        plan.changes += uint64_t(col) + 1;
        remaining -= 1;
        plan.seen = std::max<uint64_t>(plan.seen, uint64_t(nextLength) + col - 1);
        lineLength = uint64_t(col) + nextLength;
        if (remaining > 0) plan.seen = std::max(plan.seen, lineLength);
        cut = std::min<uint64_t>(remaining, nextLength - 1);
        tailFrom = static_cast<uint32_t>(cut);
        plan.changes += cut;
        remaining -= cut;
        lineLength -= cut;
        ++next;
    }
    plan.tailFrom = tailFrom;
    plan.finalLength = lineLength;
    plan.touched = plan.changes > 0;
    return plan;
}

// LineHeap bytes the plan takes: a joined line that fits neither the first line's
// record nor the last one's needs one.
uint64_t DeletionBytes(const EditorInstance& ed, const DeletionPlan& plan, uint64_t heapUsed) {
    if (!plan.joined) return 0;
    const Site first = SiteOf(ed, plan.line);
    const Site last = SiteOf(ed, plan.line + plan.removed);
    const uint64_t length = plan.finalLength;
    switch (ChooseJoinRecord(first, last, length, heapUsed)) {
        case JoinRecord::First:
        case JoinRecord::Last: return 0;
        case JoinRecord::GrowFirst: return RecordBytes(length) - first.size;
        case JoinRecord::GrowLast: return RecordBytes(length) - last.size;
        case JoinRecord::New: break;
    }
    return RecordBytes(length);
}

// The line `line` as it stands after the plan, for planning what follows.
Site SiteAfterDeletion(const EditorInstance& ed, const DeletionPlan& plan, uint64_t heapUsed) {
    if (!plan.joined) {
        Site site = SiteOf(ed, plan.line + (plan.col == 0 ? plan.removed : 0));
        site.length = static_cast<uint32_t>(plan.finalLength);
        return site;
    }
    const Site first = SiteOf(ed, plan.line);
    const Site last = SiteOf(ed, plan.line + plan.removed);
    const uint32_t length = static_cast<uint32_t>(plan.finalLength);
    const uint32_t wanted = static_cast<uint32_t>(RecordBytes(length));
    switch (ChooseJoinRecord(first, last, length, heapUsed)) {
        case JoinRecord::First: return {first.offset, first.size, length};
        case JoinRecord::Last: return {last.offset, last.size, length};
        case JoinRecord::GrowFirst: return {first.offset, wanted, length};
        case JoinRecord::GrowLast: return {last.offset, wanted, length};
        case JoinRecord::New: break;
    }
    return {static_cast<uint32_t>(heapUsed), wanted, length};
}

// Closes `n` slots from `from` on, in one move.
void CloseSlots(EditorInstance& ed, LineNumber from, uint32_t n) {
    if (n == 0) return;
    const uint32_t count = LineCount(ed);
    std::memmove(ed.lineIndex + 4u * from, ed.lineIndex + 4u * (from + n), 4u * (count - from - n));
    ed.lineIndexUsed -= 4 * n;
}

// Deletes `cut` characters at `col` of the record, zeroing the bytes it frees.
void CutChars(LineRecordView rec, uint32_t col, uint32_t cut) {
    if (cut == 0) return;
    const uint32_t length = rec.length();
    std::memmove(rec.chars() + col, rec.chars() + col + cut, length - col - cut);
    std::memset(rec.chars() + length - cut, 0, cut);
    rec.setLength(length - cut);
}

void CarryOut(EditorInstance& ed, const DeletionPlan& plan, CharIndex p) {
    const LineNumber line = plan.line;
    if (plan.col == 0) {
        ed.hiddenLineCount -= plan.hiddenRemoved;
        CloseSlots(ed, line, plan.removed);
        CutChars(LineRecordOf(ed, line), 0, plan.firstCut);
    } else if (!plan.joined) {
        CutChars(LineRecordOf(ed, line), plan.col, plan.firstCut);
    } else {
        // The first col characters of the line, then the rest of the last joined
        // line, under the first line's flags and marker words.
        const LineNumber lastLine = line + plan.removed;
        const uint32_t col = plan.col;
        const uint32_t length = static_cast<uint32_t>(plan.finalLength);
        const uint32_t tail = length - col;
        Site first = SiteOf(ed, line);
        Site last = SiteOf(ed, lastLine);
        uint32_t target = ed.lineHeapUsed;
        const JoinRecord choice = ChooseJoinRecord(first, last, length, ed.lineHeapUsed);
        if (choice == JoinRecord::First || choice == JoinRecord::GrowFirst) target = first.offset;
        if (choice == JoinRecord::Last || choice == JoinRecord::GrowLast) target = last.offset;
        if (choice == JoinRecord::GrowFirst || choice == JoinRecord::GrowLast || choice == JoinRecord::New) {
            RecordAt(ed, target).setSize(static_cast<uint32_t>(RecordBytes(length)));
            ed.lineHeapUsed = target + RecordAt(ed, target).size();
        }
        LineRecordView firstRec = RecordAt(ed, first.offset);
        LineRecordView lastRec = RecordAt(ed, last.offset);
        LineRecordView out = RecordAt(ed, target);
        if (target == last.offset) {
            std::memmove(out.chars() + col, lastRec.chars() + plan.tailFrom, tail);
            std::memcpy(out.chars(), firstRec.chars(), col);
        } else {
            if (target != first.offset) std::memcpy(out.chars(), firstRec.chars(), col);
            std::memmove(out.chars() + col, lastRec.chars() + plan.tailFrom, tail);
        }
        if (target != first.offset) {
            out.setFlags(firstRec.flags());
            out.setMarkerId(firstRec.markerId());
            out.setMarkerLine(firstRec.markerLine());
        }
        out.setLength(length);
        Store32(ed.lineIndex + 4u * line, target);
        ed.hiddenLineCount -= plan.hiddenRemoved;
        CloseSlots(ed, line + 1, plan.removed);
    }
    if (plan.keptCr) EditStateOf(ed).keepNextCr = 0;
    if (plan.touched) NoteLinesChanged(ed, line, line);
    MarkChanged(ed, plan.changes);
    RaiseMaxLineLength(ed, plan.seen);
    SetCurrentLine(ed, line, p - plan.col);
}

// ---- Room -------------------------------------------------------------------------------------

// A text to insert: whole, or when its first CR meets a kept line break, its head
// (the bytes before that CR) and its rest (the bytes after it).
struct TextParts {
    bool absorb = false;
    uint32_t headRaw = 0;
    uint32_t restAt = 0;  // where the rest begins: past the break (and the LF of a CR LF)
    TextShape head;  // the whole text when not absorbed
    TextShape rest;
};

TextParts PartsOf(const uint8_t* text, uint32_t bytes, bool absorb) {
    TextParts parts;
    parts.headRaw = bytes;
    if (absorb) {
        const uint32_t at = FirstBreakAt(text, bytes);
        parts.absorb = at < bytes;
        parts.headRaw = at;
        if (parts.absorb) {
            const uint8_t* rest = text + at + 1;
            if (text[at] == kCR) rest = SkipPairedLf(rest, text + bytes);
            parts.restAt = static_cast<uint32_t>(rest - text);
        }
    }
    parts.head = ShapeOf(text, parts.headRaw);
    if (parts.absorb) parts.rest = ShapeOf(text + parts.restAt, bytes - parts.restAt);
    return parts;
}

// What the lines of a text take, for a caller that grows ahead of it.
TextSummary SummaryOf(const TextParts& parts) {
    const TextShape& t = parts.absorb ? parts.rest : parts.head;
    return {t.chars, t.breaks, t.firstSeg, t.lastSeg, t.charwiseMiddleBytes};
}

// Heap bytes and slots of inserting at (line, col) of the line whose planning state
// is `site`; `next` is the line after it (for a text whose first CR is absorbed).
RoomNeed InsertionNeed(const Site& site, uint32_t col, const Site* next, const TextParts& parts, uint64_t heapUsed) {
    RoomNeed need;
    need.text = SummaryOf(parts);
    if (!parts.absorb) {
        need.heapBytes = InsertionBytes(site, col, parts.head, heapUsed);
        need.newSlots = parts.head.breaks;
        return need;
    }
    const uint64_t headBytes = InsertionBytes(site, col, parts.head, heapUsed);
    need.heapBytes = headBytes;
    need.newSlots = parts.rest.breaks;
    if (next) need.heapBytes += InsertionBytes(*next, 0, parts.rest, heapUsed + headBytes);
    return need;
}

}  // namespace

RoomNeed MeasureEdit(EditorInstance& ed, CharIndex p, uint32_t n, bool keep, const uint8_t* text, uint32_t bytes,
                     bool absorb) {
    const KeepCurrentLine keepCache(ed);
    const uint32_t count = LineCount(ed);
    const CharLocation at = LocateChar(ed, p);
    const LineNumber line = at.line;
    const uint32_t col = at.column;
    RoomNeed need;
    uint64_t heapUsed = ed.lineHeapUsed;
    Site site = SiteOf(ed, line);
    uint32_t atCol = col;
    LineNumber nextLine = line + 1;
    if (n > 0) {
        const DeletionPlan plan = PlanDeletion(ed, line, col, n, keep);
        need.heapBytes = DeletionBytes(ed, plan, heapUsed);
        site = SiteAfterDeletion(ed, plan, heapUsed);
        heapUsed += need.heapBytes;
        need.removedSlots = plan.removed;
        if (plan.col == 0) atCol = 0;
        nextLine = line + plan.removed + 1;
    }
    if (bytes > 0) {
        const Site next = nextLine < count ? SiteOf(ed, nextLine) : Site{};
        const RoomNeed insert =
            InsertionNeed(site, atCol, nextLine < count ? &next : nullptr, PartsOf(text, bytes, absorb), heapUsed);
        need.heapBytes += insert.heapBytes;
        need.newSlots = insert.newSlots;
        need.text = insert.text;
    }
    return need;
}

bool SecureTyping(EditorInstance& ed, CharIndex p, uint32_t n, bool keep, uint8_t ch, uint32_t blanks, bool absorb,
                  bool overwrite) {
    const KeepCurrentLine keepCache(ed);
    const uint32_t count = LineCount(ed);
    const CharLocation at = LocateChar(ed, p);
    uint64_t col = at.column;
    uint64_t heapUsed = ed.lineHeapUsed;
    uint64_t indexUsed = ed.lineIndexUsed;
    Site site = SiteOf(ed, at.line);
    LineNumber nextLine = at.line + 1;
    if (n > 0) {
        const DeletionPlan plan = PlanDeletion(ed, at.line, at.column, n, keep);
        RoomNeed deletion;
        deletion.heapBytes = DeletionBytes(ed, plan, heapUsed);
        if (!SecureRoom(ed, deletion)) return false;  // as DeleteRange secures it
        site = SiteAfterDeletion(ed, plan, heapUsed);
        heapUsed += deletion.heapBytes;
        indexUsed -= 4ull * plan.removed;
        if (plan.col == 0) col = 0;
        nextLine = at.line + plan.removed + 1;
    }

    // The record the characters go into, and the areas, as the steps leave them.
    struct Record {
        uint64_t offset, size, length;
    } rec{site.offset, site.size, site.length};
    uint64_t heapSize = ed.lineHeapSize;
    uint64_t indexSize = ed.lineIndexSize;
    // Every InsertChar first checks both areas' headroom.
    const auto headroomChecks = [&] {
        indexSize = SizeAfterHeadroomCheck(indexSize, indexUsed, kLineIndexRule);
        heapSize = SizeAfterHeadroomCheck(heapSize, heapUsed, kLineHeapRule);
    };
    // Then a character inserted at column c: the record's growth when it is full
    // (in place when it is the newest, else moved to the append point) and for a
    // CR the new line's record, which the next characters go into.
    const auto insert = [&](bool cr, uint64_t c) {
        const bool full = rec.length + kRecChars >= rec.size;
        const bool newest = rec.offset + rec.size == heapUsed;
        const uint64_t tail = rec.length - c;
        uint64_t need = full ? (newest ? kRecordGrowth : rec.size + kRecordGrowth) : 0;
        if (cr) need += kMinRecordSize + tail;
        if (need) heapSize = LineHeapSizeAfterRoomFor(heapSize, heapUsed, std::min<uint64_t>(need, UINT32_MAX));
        if (full) {
            if (!newest) {
                rec.offset = heapUsed;
                heapUsed += rec.size;
            }
            rec.size += kRecordGrowth;
            heapUsed += kRecordGrowth;
        }
        ++rec.length;
        if (cr) {
            indexUsed += 4;
            rec = {heapUsed, kMinRecordSize + tail, tail};
            heapUsed += rec.size;
        }
    };

    headroomChecks();
    if (ch == kCR && absorb) {
        // The kept line break stands for the CR: what follows goes into the next
        // line, at its start.
        if (nextLine < count) {
            const Site next = SiteOf(ed, nextLine);
            rec = {next.offset, next.size, next.length};
        }
    } else {
        const bool overwrites = overwrite && ch != kCR && col < rec.length &&
                                RecordAt(ed, site.offset).chars()[col] != kCR;
        if (!overwrites) insert(ch == kCR, std::min(col, rec.length));
    }
    for (uint32_t i = 0; i < blanks; ++i) {
        headroomChecks();
        insert(false, i);
    }
    return GrowLineIndexExactly(ed, indexSize) && GrowLineHeapExactly(ed, heapSize);
}

RoomNeed MeasureAfterCharDeletion(EditorInstance& ed, CharIndex p, const uint8_t* text, uint32_t bytes,
                                  bool absorb) {
    {
        const KeepCurrentLine keepCache(ed);
        const CharLocation at = LocateChar(ed, p);
        const Site site = SiteOf(ed, at.line);
        const uint32_t count = LineCount(ed);
        const bool joins = at.column < site.length && RecordAt(ed, site.offset).chars()[at.column] == kCR &&
                           at.line + 1 < count && site.length > 1 && !EditStateOf(ed).keepNextCr;
        if (joins) {
            // The line's record goes; its characters before the CR go one by one
            // in front of the next line's, whose record grows when full (moved to
            // the append point first unless it is the newest).
            const uint64_t prefix = site.length - 1;
            const Site next = SiteOf(ed, at.line + 1);
            uint64_t offset = next.offset, size = next.size, length = next.length;
            uint64_t heapUsed = ed.lineHeapUsed;
            for (uint64_t i = 0; i < prefix; ++i) {
                if (length + kRecChars >= size) {
                    if (offset + size != heapUsed) {
                        offset = heapUsed;
                        heapUsed += size;
                    }
                    size += kRecordGrowth;
                    heapUsed += kRecordGrowth;
                }
                ++length;
            }
            const Site joined{static_cast<uint32_t>(offset), static_cast<uint32_t>(size),
                              static_cast<uint32_t>(length)};
            const Site after = at.line + 2 < count ? SiteOf(ed, at.line + 2) : Site{};
            RoomNeed need = InsertionNeed(joined, static_cast<uint32_t>(prefix), at.line + 2 < count ? &after : nullptr,
                                          PartsOf(text, bytes, absorb), heapUsed);
            need.heapBytes += heapUsed - ed.lineHeapUsed;
            return need;
        }
    }
    return MeasureEdit(ed, p, 1, false, text, bytes, absorb);
}

uint64_t CharwiseRecordBytes(uint64_t chars) { return CharwiseBytes(chars); }

bool SecureRoom(EditorInstance& ed, const RoomNeed& need) {
    const uint64_t slots = uint64_t(ed.lineIndexUsed) + 4ull * need.newSlots;
    const uint64_t heap = uint64_t(ed.lineHeapUsed) + need.heapBytes;
    return GrowLineIndexTo(ed, slots) && GrowLineHeapTo(ed, heap);
}

uint32_t InsertRun(EditorInstance& ed, CharIndex p, const uint8_t* text, uint32_t bytes, bool* ok, RoomHook hook,
                   void* context) {
    if (ok) *ok = true;
    if (TextPathOf(ed) == TextPath::Charwise) return InsertChars(ed, p, text, bytes, ok);
    if (bytes == 0) return 0;
    const TextParts parts = PartsOf(text, bytes, EditStateOf(ed).absorbNextCr != 0);
    RoomNeed need;
    {
        // Planning looks lines up; the insertion then leaves the cache as the
        // per-character path does.
        const KeepCurrentLine keepCache(ed);
        // Past the end of the text each character goes in front of the closing CR.
        if (!parts.absorb || parts.headRaw > 0) p = InsertionPoint(ed, p);
        const CharLocation at = LocateChar(ed, p);
        const uint32_t count = LineCount(ed);
        const Site site = SiteOf(ed, at.line);
        const Site next = at.line + 1 < count ? SiteOf(ed, at.line + 1) : Site{};
        need = InsertionNeed(site, at.column, at.line + 1 < count ? &next : nullptr, parts, ed.lineHeapUsed);
    }
    if ((hook && !hook(ed, need, context)) || !SecureRoom(ed, need)) {
        if (ok) *ok = false;
        return 0;
    }
    if (!parts.absorb) return InsertLines(ed, p, text, bytes, parts.head);

    // The text's first CR is absorbed by the kept line break at the end of its
    // head: the head goes in front of that break, the rest after it.
    uint32_t inserted = InsertLines(ed, p, text, parts.headRaw, parts.head);
    const CharIndex keptAt = p + inserted;
    ResetPaneCachesBefore(ed, keptAt);
    EditStateOf(ed).crAbsorbed = 1;
    EditStateOf(ed).absorbNextCr = 0;
    LocateChar(ed, keptAt + 1);
    inserted += 1;
    inserted += InsertLines(ed, InsertionPoint(ed, keptAt + 1), text + parts.restAt, bytes - parts.restAt,
                            parts.rest);
    return inserted;
}

void DeleteRun(EditorInstance& ed, CharIndex p, uint32_t n, bool* ok) {
    if (ok) *ok = true;
    if (n == 0) return;
    if (TextPathOf(ed) == TextPath::Charwise) {
        for (uint32_t i = 0; i < n; ++i) {
            EditOutcome step;
            DeleteChar(ed, p, &step);
            if (step == EditOutcome::Failed) {
                if (ok) *ok = false;
                return;
            }
        }
        return;
    }
    ResetPaneCachesBefore(ed, p);
    const CharLocation at = LocateChar(ed, p);
    const DeletionPlan plan = PlanDeletion(ed, at.line, at.column, n, EditStateOf(ed).keepNextCr != 0);
    RoomNeed need;
    need.heapBytes = DeletionBytes(ed, plan, ed.lineHeapUsed);
    if (!SecureRoom(ed, need)) {
        if (ok) *ok = false;
        return;
    }
    CarryOut(ed, plan, at.index);
}

}  // namespace qv
