#include "edit/Streams.h"

#include <algorithm>
#include <cstring>

#include "base/Platform.h"
#include "edit/BulkEdit.h"
#include "edit/EditState.h"
#include "edit/LineEnds.h"
#include "edit/TextEdit.h"
#include "edit/UndoLog.h"
#include "store/LineRecord.h"
#include "store/LineStore.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

// Units one stream-in buffer may make: its own, and a carried odd byte's and high
// surrogate's.
constexpr uint32_t kUnitsPerBuffer = kTransferBufferSize / 2 + 2;
// ANSI bytes those units may become: up to three per unit in a multi-byte code page.
constexpr uint32_t kAnsiPerBuffer = 3 * kUnitsPerBuffer;
// A stream-out piece in SF_UNICODE: each ANSI byte makes at most one unit, so the
// units of a piece fill at most the transfer buffer.
constexpr uint32_t kAnsiPieceSize = kTransferBufferSize / 2;

uint32_t Saturate(uint64_t v) {
    return v > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(v);
}

bool IsHighSurrogate(uint16_t u) {
    return u >= 0xD800 && u < 0xDC00;
}

// One allocation through the platform for the whole transfer, freed at its end.
class TransferBuffer {
public:
    explicit TransferBuffer(uint32_t size) : block_(ThePlatform().AllocTransferBuffer(size)) {}
    ~TransferBuffer() { ThePlatform().FreeTransferBuffer(block_); }
    TransferBuffer(const TransferBuffer&) = delete;
    TransferBuffer& operator=(const TransferBuffer&) = delete;
    uint8_t* get() const { return block_; }

private:
    uint8_t* block_;
};

// The host's side of a transfer: its callback and cookie, read once.
class Host {
public:
    Host(EditStream& stream, const uint32_t* abandoned)
        : stream_(stream), callback_(stream.callback), cookie_(stream.cookie), abandoned_(abandoned) {}
    bool valid() const { return callback_ != nullptr; }

    // One call with `count` bytes of room or of text at `buffer`, cb preset by the
    // caller. True when the callback answered 0. A callback may edit other
    // controls: each keeps its edit state in its own record.
    bool Call(uint8_t* buffer, uint32_t count, int32_t& cb) {
        stream_.error = 0;
        const uint32_t answer = callback_(cookie_, buffer, static_cast<int32_t>(count), &cb);
        if (answer != 0) stream_.error = answer;
        return answer == 0;
    }
    // The control went away during the last call.
    bool Abandoned() const { return abandoned_ && *abandoned_; }
    void Fail(uint32_t error) { stream_.error = error; }

private:
    EditStream& stream_;
    const StreamCallback callback_;
    const uintptr_t cookie_;
    const uint32_t* abandoned_;
};

// Turns the bytes of UTF-16 buffers into ANSI text. An odd byte and a high
// surrogate at a buffer's end wait for the next buffer; a byte-order mark at the
// very start of the stream is no text and is dropped.
class Utf16Decoder {
public:
    explicit Utf16Decoder(uint8_t* area)
        : units_(reinterpret_cast<uint16_t*>(area)), ansi_(area + 2 * kUnitsPerBuffer) {}

    // The ANSI text of one buffer of n bytes, at `text`; answers its length.
    uint32_t Decode(const uint8_t* raw, uint32_t n, uint8_t*& text) {
        uint32_t u = 0;
        if (hasHigh_) units_[u++] = high_;
        hasHigh_ = false;
        uint32_t i = 0;
        if (hasOdd_ && n > 0) {
            units_[u++] = static_cast<uint16_t>(odd_ | raw[0] << 8);
            hasOdd_ = false;
            i = 1;
        }
        for (; i + 1 < n; i += 2) units_[u++] = static_cast<uint16_t>(raw[i] | raw[i + 1] << 8);
        if (i < n) {
            odd_ = raw[i];
            hasOdd_ = true;
        }
        if (u > 0 && IsHighSurrogate(units_[u - 1])) {
            high_ = units_[--u];
            hasHigh_ = true;
        }
        return Convert(u, text);
    }

    // At the end of the stream: a high surrogate without its partner is converted as
    // it stands (to the default character); an odd byte is no character at all.
    uint32_t Finish(uint8_t*& text) {
        uint32_t u = 0;
        if (hasHigh_) units_[u++] = high_;
        hasHigh_ = hasOdd_ = false;
        return Convert(u, text);
    }

private:
    uint32_t Convert(uint32_t u, uint8_t*& text) {
        uint32_t first = 0;
        if (!begun_ && u > 0) {
            begun_ = true;
            if (units_[0] == 0xFEFF) first = 1;
        }
        text = ansi_;
        return ThePlatform().WideToAnsi(units_ + first, u - first, ansi_, kAnsiPerBuffer);
    }

    uint16_t* units_;
    uint8_t* ansi_;
    uint16_t high_ = 0;
    uint8_t odd_ = 0;
    bool hasHigh_ = false;
    bool hasOdd_ = false;
    bool begun_ = false;
};

// Where a stream-in's text goes. The range it replaces is deleted at the first
// successful call; each piece's room is secured before it goes in; with `replace`
// the inserted characters are staged in the undo log as they go in, for the kind-5
// record logged at the end.
class Inserter {
public:
    Inserter(EditorInstance& ed, const StreamInRequest& request) : ed_(ed), request_(request) {}

    // Deletes the range to replace, once, before the first piece `text` (n
    // characters, maybe none) goes in. The room of the deletion and of that piece
    // is secured together first: false, with nothing changed, when it cannot be
    // had.
    bool Start(const uint8_t* text, uint32_t n) {
        if (started_) return true;
        BeginEditCommand(ed_);
        CharIndex pos = request_.from;
        uint64_t startSize = 0;  // the LineHeap's size the deletion leaves
        if (request_.replace) {
            const CharIndex hi = LocateChar(ed_, std::max(request_.from, request_.to)).index;
            const CharIndex lo = std::min(std::min(request_.from, request_.to), hi);
            if (!SecureReplacement(lo, hi, text, n, startSize)) return false;
            const uint32_t usedBefore = ed_.undoLogUsed;
            group_ = lo != hi;
            bool deleted = true;
            pos = DeleteRange(ed_, lo, hi, &deleted, group_);
            if (!deleted) return false;
            rangeLogged_ = ed_.undoLogUsed != usedBefore;
        }
        start_ = p_ = InsertionPoint(ed_, pos);  // never after the closing CR
        wasAbsorbing_ = EditStateOf(ed_).absorbNextCr != 0;
        ahead_.floor = ed_.lineHeapUsed;
        ahead_.startSize = startSize ? startSize : ed_.lineHeapSize;
        const CharLocation at = LocateChar(ed_, p_);
        ahead_.startSuffix = LineLength(ed_, at.line) - at.column;
        started_ = true;
        return true;
    }

    // Inserts n normalised characters; false, with nothing inserted, when their
    // room (or their undo room) could not be had.
    bool Insert(const uint8_t* text, uint32_t n) {
        if (n == 0) return true;
        if (request_.replace && !EnsureUndoRoom(ed_, Saturate(uint64_t(count_) + n + kUndoRecordSlack)))
            return false;
        if (request_.replace) std::memcpy(UndoStagingArea(ed_) + count_, text, n);
        bool ok = true;
        const uint32_t added = InsertRun(ed_, p_, text, n, &ok, GrowAhead, this);
        p_ += added;
        count_ += added;
        return ok;
    }

    void Finish(StreamInResult& result) {
        result.started = started_;
        result.inserted = count_;
        result.end = p_;
        result.changed = count_ > 0 || rangeLogged_;
        if (!started_) return;
        if (request_.replace) {
            if (count_ > 0) {
                // The record tells its undo whether the text's first CR was absorbed
                // by the line break the deletion kept.
                EditStateOf(ed_).absorbNextCr = wasAbsorbing_ && !EditStateOf(ed_).absorbNextCr;
                AppendStagedUndoRecord(ed_, UndoKind::InsertText, start_, count_, group_ && rangeLogged_);
            } else if (rangeLogged_ && group_) {
                // A group flag on the deletion alone would make the next undo take
                // an unrelated record with it.
                const uint32_t newest = Load32(ed_.undoLog + ed_.undoLogUsed);
                Store32(ed_.undoLog + newest + kUndoGroup, 0);
            }
        }
        BeginEditCommand(ed_);
    }

private:
    // What the growth ahead knows of the text so far.
    struct Ahead {
        uint64_t floor = 0;        // LineHeap bytes the per-character path has used at least
        uint64_t startSize = 0;    // the LineHeap's size when the text began
        uint64_t startSuffix = 0;  // characters after the insertion point in its line
        uint64_t openLineChars = 0;
        bool firstLineOpen = true;
    };
    struct Sizes {
        uint64_t heap, index;
    };

    // Grows the areas for the next piece before the insertion secures its room. The
    // text's length is not known ahead, so growing by a step per piece would copy
    // the areas over and over: the LineHeap grows ahead, up to what the
    // per-character path is known to have reached by the end of this piece (the
    // records of the lines completed so far, at least, on its step grid); the
    // LineIndex grows as the per-character rule grows it. Neither area ever ends
    // larger than the per-character path would leave it.
    static bool GrowAhead(EditorInstance& ed, const RoomNeed& need, void* context) {
        Inserter& self = *static_cast<Inserter*>(context);
        const Sizes sizes = AheadSizes(self.ahead_, need, ed.lineHeapUsed, ed.lineHeapSize, ed.lineIndexUsed);
        return GrowLineHeapExactly(ed, sizes.heap) && GrowLineIndexTo(ed, sizes.index);
    }

    // The sizes GrowAhead grows the areas to for a piece needing `need`, with the
    // areas' use and size as given; `ahead` takes the piece in.
    static Sizes AheadSizes(Ahead& ahead, const RoomNeed& need, uint64_t heapUsed, uint64_t heapSize,
                            uint64_t indexUsed) {
        const TextSummary& t = need.text;
        if (t.breaks == 0) {
            ahead.openLineChars += t.chars;
        } else {
            if (!ahead.firstLineOpen) ahead.floor += CharwiseRecordBytes(ahead.openLineChars + t.firstSeg + 1);
            ahead.firstLineOpen = false;
            ahead.floor += t.charwiseMiddleBytes;
            ahead.openLineChars = t.lastSeg;
        }
        Sizes sizes{heapSize, 0};
        const uint64_t required = heapUsed + need.heapBytes;
        if (required > heapSize) {
            // The per-character path has used at least the records of the lines
            // completed so far, and at least what this path uses.
            uint64_t reach = std::max(required, ahead.floor);
            // Its growth steps held that, less its last character (a record's
            // growth, or a line of 32 bytes and the tail it split off), with their
            // headroom: its size is at least the step after.
            const uint64_t lastChar = 2ull * kRecordGrowth + ahead.startSuffix;
            if (ahead.startSuffix < kLineHeapRule.growthStep / 2 &&
                reach + kLineHeapRule.headroom > lastChar + ahead.startSize) {
                const uint64_t reached = reach + kLineHeapRule.headroom - lastChar - ahead.startSize;
                const uint64_t steps = (reached + kLineHeapRule.growthStep - 1) / kLineHeapRule.growthStep;
                reach = std::max<uint64_t>(reach, ahead.startSize + steps * kLineHeapRule.growthStep);
            }
            sizes.heap = reach;
        }
        const uint64_t slots = need.newSlots ? need.newSlots - 1 : 0;
        sizes.index = indexUsed + 4 * slots + kLineIndexRule.headroom;
        return sizes;
    }

    // Secures, before the range lo ... hi goes, the room of its deletion and of the
    // first piece after it, as DeleteRange and the piece's insertion (its growth
    // ahead included) will take it, undo records included: a piece that cannot
    // have its room never leaves the range deleted. `startSize` is the LineHeap's
    // size the deletion leaves, where the growth ahead begins.
    bool SecureReplacement(CharIndex lo, CharIndex hi, const uint8_t* text, uint32_t n, uint64_t& startSize) {
        if (TextPathOf(ed_) == TextPath::Charwise) return true;  // each step checks for itself
        RangeToDelete range;
        uint64_t suffix = 0;
        {
            const KeepCurrentLine keepCache(ed_);
            range = PlanRangeDeletion(ed_, lo, hi);
            if (range.n == 0 || n == 0) return true;  // each step secures its own
            // The characters after the insertion point once the range is gone.
            const CharLocation end = LocateChar(ed_, range.start + range.n);
            suffix = range.keepBreak ? 1 : LineLength(ed_, end.line) - end.column;
        }
        // The undo log: the deletion's check and record, then the piece's check.
        uint64_t undoSize = UndoSizeAfterRoomFor(ed_.undoLogSize, ed_.undoLogUsed, range.n);
        undoSize = UndoSizeAfterRoomFor(undoSize, ed_.undoLogUsed + uint64_t(kUndoChars) + range.n,
                                        uint64_t(n) + kUndoRecordSlack);
        if (!GrowUndoLogExactly(ed_, undoSize)) return false;
        const RoomNeed deletion = MeasureEdit(ed_, range.start, range.n, range.keepBreak, nullptr, 0, false);
        if (!SecureRoom(ed_, deletion)) return false;
        startSize = ed_.lineHeapSize;
        RoomNeed piece = MeasureEdit(ed_, range.start, range.n, range.keepBreak, text, n, range.keepBreak);
        piece.heapBytes -= deletion.heapBytes;
        Ahead ahead;
        ahead.floor = ed_.lineHeapUsed + deletion.heapBytes;
        ahead.startSize = startSize;
        ahead.startSuffix = suffix;
        const uint64_t heapUsed = ed_.lineHeapUsed + deletion.heapBytes;
        const uint64_t indexUsed = ed_.lineIndexUsed - 4ull * deletion.removedSlots;
        const Sizes sizes = AheadSizes(ahead, piece, heapUsed, ed_.lineHeapSize, indexUsed);
        return GrowLineHeapExactly(ed_, sizes.heap) && GrowLineIndexTo(ed_, sizes.index);
    }

    EditorInstance& ed_;
    const StreamInRequest& request_;
    Ahead ahead_;
    bool started_ = false;
    bool rangeLogged_ = false;
    bool group_ = false;  // the replaced range and the text are one undo step
    bool wasAbsorbing_ = false;
    CharIndex start_ = 0;
    CharIndex p_ = 0;
    uint32_t count_ = 0;
};

// The control's side of a stream-out: characters are put into the ANSI area, every
// CR written as the chosen line end, and handed over when the area is full or a
// line ends.
class Writer {
public:
    Writer(Host& host, uint8_t* area, bool unicode, LineEnd lineEnd)
        : host_(host),
          area_(area),
          wide_(area + kAnsiPieceSize),
          capacity_(unicode ? kAnsiPieceSize : kTransferBufferSize),
          unicode_(unicode),
          lineEnd_(lineEnd) {}

    // Copies the characters from `col` on, up to `end` or until the area is full,
    // and answers where it stopped. A CR goes in only with room for its whole line
    // end.
    uint32_t Fill(const uint8_t* chars, uint32_t col, uint32_t end) {
        while (col < end) {
            const uint8_t c = chars[col];
            if (c == kCR) {
                if (used_ + LineEndBytes(lineEnd_) > capacity_) break;
                used_ += PutLineEnd(lineEnd_, area_ + used_);
            } else {
                if (used_ + 1 > capacity_) break;
                area_[used_++] = c;
            }
            ++col;
        }
        return col;
    }

    // Hands the area's text over: all of it at a line end, otherwise all complete
    // characters. False when the transfer has to stop.
    bool Flush(bool lineEnd) {
        const uint32_t take = unicode_ && !lineEnd ? CompleteCharacters() : used_;
        if (take == 0) return true;
        uint8_t* out = area_;
        uint32_t bytes = take;
        if (unicode_) {
            out = wide_;
            bytes = 2 * ThePlatform().AnsiToWide(area_, take, reinterpret_cast<uint16_t*>(wide_),
                                                 kTransferBufferSize / 2);
        }
        int32_t cb = static_cast<int32_t>(bytes);
        const bool answered = host_.Call(out, bytes, cb);
        if (!answered || host_.Abandoned()) {
            total_ += bytes;  // a failed call's bytes count as handed over
            return false;
        }
        if (cb < static_cast<int32_t>(bytes)) {
            total_ += static_cast<uint32_t>(std::max(cb, 0));
            host_.Fail(kErrorWriteFault);
            return false;
        }
        total_ += bytes;
        used_ -= take;
        if (used_ > 0) area_[0] = area_[take];  // the lead byte of a character still to come
        return true;
    }

    uint32_t Total() const { return static_cast<uint32_t>(std::min<uint64_t>(total_, kMaxStreamBytes)); }

private:
    // The bytes of the area that make whole characters: a lead byte at its end waits
    // for its trail byte. The area always begins at a character's start.
    uint32_t CompleteCharacters() const {
        Platform& platform = ThePlatform();
        uint32_t i = 0;
        while (i < used_) {
            const uint32_t step = platform.IsAnsiLeadByte(area_[i]) ? 2 : 1;
            if (i + step > used_) break;
            i += step;
        }
        return i;
    }

    Host& host_;
    uint8_t* area_;
    uint8_t* wide_;
    const uint32_t capacity_;
    const bool unicode_;
    const LineEnd lineEnd_;
    uint32_t used_ = 0;
    uint64_t total_ = 0;
};

// Writes the characters col ... end - 1 of `line` and ends the line's call. The
// record is looked up afresh after every call: nothing is held across the host.
bool WriteLine(EditorInstance& ed, Writer& writer, LineNumber line, uint32_t col, uint32_t end) {
    for (;;) {
        if (line >= LineCount(ed)) break;
        LineRecordView rec = LineRecordOf(ed, line);
        end = std::min(end, rec.length());
        if (col >= end) break;
        col = writer.Fill(rec.chars(), col, end);
        if (col < end && !writer.Flush(false)) return false;
    }
    return writer.Flush(true);
}

}  // namespace

StreamFormat ReadStreamFormat(uint32_t flags) {
    const uint32_t format = flags & kStreamFormatMask;
    return {format < 2 || format > 4, (flags & kStreamUnicode) != 0, (flags & kStreamSelection) != 0};
}

StreamInResult StreamIn(EditorInstance& ed, EditStream& stream, const StreamInRequest& request) {
    StreamInResult result;
    Host host(stream, request.abandoned);
    if (!host.valid()) {
        host.Fail(kErrorInvalidParameter);
        result.refused = true;
        return result;
    }
    TransferBuffer buffer(request.unicode ? kTransferBufferSize + 2 * kUnitsPerBuffer + kAnsiPerBuffer
                                          : kTransferBufferSize);
    if (!buffer.get()) {
        host.Fail(kErrorNotEnoughMemory);
        result.refused = true;
        return result;
    }
    uint8_t* const raw = buffer.get();
    Utf16Decoder decoder(raw + kTransferBufferSize);
    LineEndNormaliser lineEnds;
    // What the host's line ends were, of the buffers that went in whole; a
    // selection's text is no document load, and is not looked at.
    LineEndCensus census;
    const bool wholeDocument = !request.replace;
    Inserter inserter(ed, request);
    bool ended = false;  // the callback handed back 0 bytes: the stream is complete
    for (;;) {
        // A callback that claims more than it wrote hands over zeros, which are
        // dropped, never the bytes of an earlier call.
        std::memset(raw, 0, kTransferBufferSize);
        int32_t cb = 0;
        const bool answered = host.Call(raw, kTransferBufferSize, cb);
        if (host.Abandoned()) {
            result.abandoned = true;
            return result;  // the control is gone: nothing more is done to it
        }
        if (!answered) break;  // the buffer of a failed call is not used
        const uint32_t n = cb <= 0 ? 0 : std::min<uint32_t>(static_cast<uint32_t>(cb), kTransferBufferSize);
        if (n > request.byteLimit - result.bytes) {
            host.Fail(kErrorFileTooLarge);
            break;
        }
        uint8_t* text = raw;
        uint32_t length = 0;
        LineEndCensus counted = census;
        if (n > 0) {
            length = request.unicode ? decoder.Decode(raw, n, text) : n;
            if (wholeDocument) counted.Take(text, length);
            length = lineEnds.Normalise(text, length);
        }
        if (!inserter.Start(text, length)) {
            host.Fail(kErrorNotEnoughMemory);
            break;
        }
        if (n == 0) {
            ended = true;
            break;
        }
        if (!inserter.Insert(text, length)) {
            host.Fail(kErrorNotEnoughMemory);
            break;
        }
        census = counted;
        result.bytes += n;
    }
    if (ended && request.unicode) {
        uint8_t* text = nullptr;
        const uint32_t length = decoder.Finish(text);
        LineEndCensus counted = census;
        if (wholeDocument) counted.Take(text, length);
        if (inserter.Insert(text, lineEnds.Normalise(text, length)))
            census = counted;
        else
            host.Fail(kErrorNotEnoughMemory);
    }
    if (wholeDocument) result.lineEnds = census.Result();
    inserter.Finish(result);
    return result;
}

uint32_t StreamOut(EditorInstance& ed, EditStream& stream, const StreamOutRequest& request) {
    Host host(stream, request.abandoned);
    if (!host.valid()) {
        host.Fail(kErrorInvalidParameter);
        return 0;
    }
    TransferBuffer buffer(request.unicode ? kAnsiPieceSize + kTransferBufferSize : kTransferBufferSize);
    if (!buffer.get()) {
        host.Fail(kErrorNotEnoughMemory);
        return 0;
    }
    stream.error = 0;  // an empty text makes no call, and is still a success
    Writer writer(host, buffer.get(), request.unicode, request.lineEnd);
    if (request.selection) {
        // The closing CR is never part of a selection's text.
        const CharIndex closing = LocateChar(ed, kNoIndex).index - 1;
        const CharIndex hi = std::min(LocateChar(ed, std::max(request.from, request.to)).index, closing);
        const CharIndex lo = std::min(std::min(request.from, request.to), hi);
        const CharLocation at = LocateChar(ed, lo);
        uint32_t remaining = hi - lo;
        uint32_t col = at.column;
        for (LineNumber line = at.line; remaining > 0 && line < LineCount(ed); ++line, col = 0) {
            const uint32_t length = LineLength(ed, line);
            const uint32_t take = std::min(length - std::min(col, length), remaining);
            if (!WriteLine(ed, writer, line, col, col + take)) break;
            remaining -= take;
        }
    } else {
        for (LineNumber line = 0; line < LineCount(ed); ++line) {
            LineRecordView rec = LineRecordOf(ed, line);
            const uint32_t length = rec.length();
            if (length == 0) break;
            // The closing CR alone in the last line: the text ended with a line break.
            const bool last = line + 1 == LineCount(ed);
            if (last && length == 1 && rec.chars()[0] == kCR) break;
            // Without a final line end the closing CR is not the host's text.
            const bool dropClosing = last && !request.finalLineEnd && rec.chars()[length - 1] == kCR;
            const uint32_t end = dropClosing ? length - 1 : length;
            if (!WriteLine(ed, writer, line, 0, end)) break;
        }
    }
    return writer.Total();
}

}  // namespace qv
