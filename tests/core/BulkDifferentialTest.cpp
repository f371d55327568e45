// The bulk paths against the per-character paths they replace. Random documents
// (lines of 0 to 5,000 characters, bytes of every value, LineFlags with hidden,
// locked and marker bits, marker words) are cloned byte for byte into a second
// store; every operation then runs on one store through the bulk paths and on the
// other through the per-character primitives, each control from the same edit
// state.
// Both must leave the same text, the same LineFlags and marker words on every line,
// the same undo tape and undoLogUsed, the same counters, caches, selection and
// edit state, and the bulk store's areas no larger than the per-character ones.
// After each comparison the second store is cloned afresh from the first, so every
// operation starts from one state in both.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "core/support/FakePlatform.h"
#include "command/DocumentCommands.h"
#include "command/UndoCommand.h"
#include "core/support/TightAreas.h"
#include "edit/BulkEdit.h"
#include "edit/EditState.h"
#include "edit/Streams.h"
#include "edit/TextEdit.h"
#include "edit/UndoLog.h"
#include "pane/MouseState.h"
#include "render/BlockStarts.h"
#include "render/Folding.h"
#include "store/LineRecord.h"
#include "store/LineStore.h"
#include "store/PositionMap.h"

namespace qv::test {
namespace {

WindowRef Window(uintptr_t n) { return reinterpret_cast<WindowRef>(n); }

const BlockPatterns kProcs = {"$ proc", "$ endp"};

std::unique_ptr<ControlRecord> NewControl() {
    auto record = std::make_unique<ControlRecord>();
    EditorInstance* ed = &record->ed;
    ed->hwnd = Window(0x100);
    ed->hwndParent = Window(0x200);
    ed->panes[0].hwnd = Window(0x300);
    ed->panes[1].hwnd = Window(0x400);
    ed->hwndActivePane = ed->panes[0].hwnd;
    SetInstanceDefaults(*ed);
    return record;
}

// One area copied into a heap of the same size.
void CloneArea(HeapRef heap, uint8_t*& base, uint32_t size, const uint8_t* from) {
    base = ThePlatform().ReAllocZeroed(heap, base, size);
    ASSERT_NE(base, nullptr);
    std::memcpy(base, from, size);
}

// `to` becomes a byte-for-byte copy of `from`, with heaps of its own.
void CloneStore(const EditorInstance& from, EditorInstance& to) {
    DestroyStore(to);
    ControlRecord record{};  // a record of its own while the store is made
    EditorInstance& fresh = record.ed;
    fresh = from;
    fresh.lineIndexHeapHandle = fresh.lineHeapHandle = fresh.undoHeapHandle = nullptr;
    fresh.lineIndex = fresh.lineHeap = fresh.undoLog = nullptr;
    ASSERT_TRUE(CreateStore(fresh));
    CloneArea(fresh.lineIndexHeapHandle, fresh.lineIndex, from.lineIndexSize, from.lineIndex);
    CloneArea(fresh.lineHeapHandle, fresh.lineHeap, from.lineHeapSize, from.lineHeap);
    CloneArea(fresh.undoHeapHandle, fresh.undoLog, from.undoLogSize, from.undoLog);
    // CreateStore reset the view and the caches: take them back from the original.
    EditorInstance copy = from;
    copy.lineIndexHeapHandle = fresh.lineIndexHeapHandle;
    copy.lineHeapHandle = fresh.lineHeapHandle;
    copy.undoHeapHandle = fresh.undoHeapHandle;
    copy.lineIndex = fresh.lineIndex;
    copy.lineHeap = fresh.lineHeap;
    copy.undoLog = fresh.undoLog;
    to = copy;
}

bool SameEditState(const EditState& a, const EditState& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A stream-in callback handing over a text in pieces of the sizes given.
struct Feed {
    std::string text;
    std::vector<uint32_t> pieces;
    size_t offset = 0;
    size_t call = 0;
};
uint32_t QV_CALLBACK FeedHost(uintptr_t cookie, uint8_t* buffer, int32_t count, int32_t* cb) {
    Feed& feed = *reinterpret_cast<Feed*>(cookie);
    size_t piece = feed.call < feed.pieces.size() ? feed.pieces[feed.call] : static_cast<size_t>(count);
    ++feed.call;
    piece = std::min({piece, feed.text.size() - feed.offset, static_cast<size_t>(count)});
    std::memcpy(buffer, feed.text.data() + feed.offset, piece);
    feed.offset += piece;
    *cb = static_cast<int32_t>(piece);
    return 0;
}

class BulkDifferentialTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallPlatform(&platform);
        bulkControl = NewControl();
        charwiseControl = NewControl();
        bulk = &bulkControl->ed;
        charwise = &charwiseControl->ed;
        StateOf(*charwise).textPath = TextPath::Charwise;
        ASSERT_TRUE(CreateStore(*bulk));
        ASSERT_TRUE(InsertEndMark(*bulk));
        ASSERT_TRUE(CreateStore(*charwise));
    }
    void TearDown() override {
        DestroyStore(*bulk);
        DestroyStore(*charwise);
        InstallPlatform(nullptr);
    }

    uint32_t Below(uint32_t n) { return n ? static_cast<uint32_t>(rng() % n) : 0; }
    bool OneIn(uint32_t n) { return Below(n) == 0; }

    // A text as hosts and the undo log hand it over: CR LF, lone CR and LF, tabs,
    // bytes above 0x7F, NULs when `nul`, and now and then a long line.
    std::string RandomText(uint32_t maxLines, bool nul) {
        std::string text;
        const uint32_t lines = Below(maxLines + 1);
        for (uint32_t line = 0; line <= lines; ++line) {
            // Indented lines for automatic indentation, block lines to fold.
            if (OneIn(4)) {
                for (uint32_t i = 0, n = OneIn(8) ? Below(3000) : Below(12); i < n; ++i) text += OneIn(3) ? '\t' : ' ';
            }
            const bool block = OneIn(6);
            if (block) text += OneIn(2) ? "a proc" : "a endp";
            uint32_t length = block ? 0 : OneIn(12) ? Below(5001) : Below(60);
            for (uint32_t i = 0; i < length; ++i) {
                const uint32_t kind = Below(40);
                if (kind == 0) text += '\t';
                else if (kind == 1) text += static_cast<char>(0x80 + Below(128));
                else if (kind == 2 && nul) text += '\0';
                else if (kind == 3) text += '\n';  // a lone LF: dropped
                else text += static_cast<char>('a' + Below(26));
            }
            if (line < lines) text += OneIn(3) ? "\r" : "\r\n";
        }
        return text;
    }

    // A random document in the bulk store: lines of 0 to 5,000 characters, flags
    // and marker words on some of them, the caches anywhere.
    void RandomDocument() {
        ASSERT_TRUE(SetWholeText(*bulk, RandomText(60, false).c_str()));
        const uint32_t count = LineCount(*bulk);
        uint32_t hidden = 0;
        for (LineNumber line = 0; line < count; ++line) {
            LineRecordView rec = LineRecordOf(*bulk, line);
            if (OneIn(3)) {
                uint32_t flags = Below(16) | Below(16) << 4;
                if (OneIn(3)) flags |= kFlagLocked;
                if (OneIn(4)) flags |= kFlagHidden;
                rec.setFlags(flags);
                rec.setMarkerId(static_cast<uint32_t>(rng()));
                rec.setMarkerLine(Below(count));
            }
            if (rec.flags() & kFlagHidden) ++hidden;
        }
        bulk->hiddenLineCount = hidden;
        bulk->modified = Below(2);
        bulk->autoIndent = Below(2);
        // Some history: records of every kind, some undone.
        for (int i = 0, n = Below(12); i < n; ++i) {
            SelectRandom(*bulk);
            switch (Below(6)) {
                case 0: TypeChar(*bulk, static_cast<uint8_t>(OneIn(4) ? '\r' : 'a' + Below(26))); break;
                case 1: DeleteKey(*bulk); break;
                case 2: BackspaceKey(*bulk); break;
                case 3: ReplaceSelection(*bulk, RandomText(4, false).c_str(), true); break;
                case 4: ClearSelection(*bulk); break;
                case 5: UndoStep(*bulk); break;
            }
        }
        for (int i = 0, n = Below(3); i < n; ++i) UndoStep(*bulk);
        // Folded blocks, for the unfold guard of the undo and redo commands.
        for (LineNumber line = 0; line < LineCount(*bulk); ++line)
            if (MatchBlockPattern(*bulk, line, kProcs.start) >= 0 && OneIn(2)) folded += FoldBlock(*bulk, line, &kProcs);
    }

    void SelectRandom(EditorInstance& ed) {
        const CharIndex length = StoredLength(ed);
        ed.selAnchor = Below(length + 2);
        ed.caretPos = OneIn(3) ? ed.selAnchor : Below(length + 2);
        if (OneIn(4)) {
            // From inside a line through its CR: the kept line break.
            const LineNumber line = Below(LineCount(ed));
            const CharIndex start = LineStart(ed, line);
            const uint32_t length = LineLength(ed, line);
            ed.selAnchor = start + 1 + Below(length);
            ed.caretPos = start + length;
        }
    }

    // Caches and view state anywhere valid, the same in both stores after cloning.
    void ScatterCaches() {
        const uint32_t count = LineCount(*bulk);
        for (ViewPane& pane : bulk->panes) {
            const LineNumber line = Below(count);
            CharIndex start = 0;
            for (LineNumber l = 0; l < line; ++l) start += LineLength(*bulk, l);
            pane.topLine = line;
            pane.topLineStart = start;
            pane.topLineY = line * 16;
        }
        LocateChar(*bulk, Below(StoredLength(*bulk) + 1));
        bulk->maxLineLength = Below(3) == 0 ? 0 : Below(200);
        SelectRandom(*bulk);
        StateOf(*bulk).edit = EditState{};
    }

    // Runs `op` on both stores from the same state and compares what they leave.
    // `mixed`: the operation makes a second change on lines the first one sized
    // exactly (an insertion after the deletion of the selection; a typed character;
    // a grouped record undone with a range), which the per-character path may fit
    // into the slack its 32-byte steps left: its records may take a few bytes more,
    // and only the areas' sizes are compared. Single bulk operations take no more.
    void Compare(const char* what, const std::function<uint64_t(EditorInstance&)>& op, bool mixed = false) {
        SCOPED_TRACE(what);
        CloneStore(*bulk, *charwise);
        const uint32_t sizesBefore[3] = {bulk->lineHeapSize, bulk->lineIndexSize, bulk->undoLogSize};
        StateOf(*charwise).edit = StateOf(*bulk).edit;
        const uint64_t bulkResult = op(*bulk);
        const uint64_t charwiseResult = op(*charwise);
        EXPECT_EQ(bulkResult, charwiseResult);
        EXPECT_TRUE(SameEditState(StateOf(*bulk).edit, StateOf(*charwise).edit));
        ExpectSame(*bulk, *charwise, mixed);
        ExpectWellFormed(*bulk);
        ++compared;
        if (charwise->lineHeapSize != sizesBefore[0] || charwise->lineIndexSize != sizesBefore[1] ||
            charwise->undoLogSize != sizesBefore[2])
            ++grown;
    }

    // Every line ends with its one CR, the last one too, and holds no other CR.
    void ExpectWellFormed(const EditorInstance& ed) {
        for (LineNumber line = 0; line < LineCount(ed); ++line) {
            LineRecordView rec = LineRecordOf(ed, line);
            ASSERT_GE(rec.length(), 1u) << "line " << line;
            ASSERT_EQ(rec.chars()[rec.length() - 1], kCR) << "line " << line;
            ASSERT_EQ(std::memchr(rec.chars(), kCR, rec.length() - 1), nullptr) << "line " << line;
        }
    }

    void ExpectSame(const EditorInstance& a, const EditorInstance& b, bool mixed) {
        ASSERT_EQ(LineCount(a), LineCount(b));
        for (LineNumber line = 0; line < LineCount(a); ++line) {
            LineRecordView x = LineRecordOf(a, line), y = LineRecordOf(b, line);
            ASSERT_EQ(x.length(), y.length()) << "line " << line;
            ASSERT_EQ(std::memcmp(x.chars(), y.chars(), x.length()), 0) << "line " << line;
            ASSERT_EQ(x.flags(), y.flags()) << "line " << line;
            ASSERT_EQ(x.markerId(), y.markerId()) << "line " << line;
            ASSERT_EQ(x.markerLine(), y.markerLine()) << "line " << line;
            ASSERT_GE(x.size(), std::max(kMinRecordSize, x.length() + kRecChars)) << "line " << line;
        }
        EXPECT_EQ(a.undoLogUsed, b.undoLogUsed);
        const uint32_t tape = std::min(a.undoLogSize, b.undoLogSize);
        EXPECT_EQ(std::memcmp(a.undoLog, b.undoLog, tape), 0);
        EXPECT_LE(a.lineIndexSize, b.lineIndexSize);
        EXPECT_LE(a.lineHeapSize, b.lineHeapSize);
        if (!mixed) {
            EXPECT_LE(a.lineHeapUsed, b.lineHeapUsed);
        }
        EXPECT_LE(a.undoLogSize, b.undoLogSize);
        EXPECT_EQ(a.modified, b.modified);
        EXPECT_EQ(a.changeCount, b.changeCount);
        EXPECT_EQ(a.hiddenLineCount, b.hiddenLineCount);
        EXPECT_EQ(a.curLine, b.curLine);
        EXPECT_EQ(a.curLineStart, b.curLineStart);
        EXPECT_EQ(a.curLineSlot, b.curLineSlot);
        EXPECT_EQ(a.curLineLength, b.curLineLength);
        EXPECT_EQ(a.curRecord, RecordOffset(a, a.curLine));
        EXPECT_EQ(b.curRecord, RecordOffset(b, b.curLine));
        EXPECT_EQ(a.maxLineLength, b.maxLineLength);
        EXPECT_EQ(a.selAnchor, b.selAnchor);
        EXPECT_EQ(a.caretPos, b.caretPos);
        EXPECT_EQ(a.mouseSelStart, b.mouseSelStart);
        EXPECT_EQ(a.mouseSelEnd, b.mouseSelEnd);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(a.panes[i].topLine, b.panes[i].topLine);
            EXPECT_EQ(a.panes[i].topLineY, b.panes[i].topLineY);
            EXPECT_EQ(a.panes[i].topLineStart, b.panes[i].topLineStart);
        }
    }

    // One random operation of each bulk path, run on both stores.
    void RandomOperation() {
        ScatterCaches();
        // Now and then every area just short of its headroom, or a little above
        // it, so that the operation grows them: the bulk store's must not grow
        // earlier or further than the per-character path's.
        if (OneIn(3)) SqueezeAreas(*bulk, platform, OneIn(2) ? 0 : Below(40000));
        const CharIndex length = StoredLength(*bulk);
        switch (Below(15)) {
            case 0: {
                const std::string text = RandomText(8, false);
                const bool log = !OneIn(4);
                Compare("ReplaceSelection", [&](EditorInstance& ed) {
                    bool ok = true;
                    return ReplaceSelection(ed, text.c_str(), log, &ok) + (ok ? 0 : 1ull << 40);
                }, true);
                break;
            }
            case 1:
                Compare("ClearSelection", [](EditorInstance& ed) { return ClearSelection(ed); });
                break;
            case 2: {
                // Its record grouped now and then: an undo step then takes the
                // record before it too.
                const CharIndex a = Below(length + 2), b = Below(length + 2);
                const bool grouped = OneIn(4);
                Compare("DeleteRange", [=](EditorInstance& ed) { return DeleteRange(ed, a, b, nullptr, grouped); });
                break;
            }
            case 3: {
                const std::string text = RandomText(8, false);
                const CharIndex p = Below(length + 2);
                Compare("InsertText", [&](EditorInstance& ed) { return InsertText(ed, p, text.c_str()); });
                break;
            }
            case 4: {
                // The runs themselves, with NULs and the line-break flags set by hand.
                const std::string text = RandomText(8, true);
                const CharIndex p = Below(length + 1);
                StateOf(*bulk).edit.absorbNextCr = OneIn(2);
                Compare("InsertRun", [&](EditorInstance& ed) {
                    const CharIndex at = InsertionPoint(ed, p);
                    return InsertRun(ed, at, reinterpret_cast<const uint8_t*>(text.data()),
                                     static_cast<uint32_t>(text.size()));
                });
                break;
            }
            case 5: {
                const CharIndex p = Below(length + 1);
                const uint32_t n = OneIn(3) ? Below(length + 3) : Below(300);
                StateOf(*bulk).edit.keepNextCr = OneIn(2);
                Compare("DeleteRun", [=](EditorInstance& ed) {
                    DeleteRun(ed, p, n);
                    return 0;
                });
                break;
            }
            case 6:
                // A step may take a grouped record of kind 1 to 4 with it: mixed.
                Compare("UndoStep", [](EditorInstance& ed) { return static_cast<uint64_t>(UndoStep(ed)); }, true);
                break;
            case 7:
                Compare("RedoStep", [](EditorInstance& ed) { return static_cast<uint64_t>(RedoStep(ed)); }, true);
                break;
            case 8: {
                Feed feed;
                feed.text = RandomText(30, true);
                for (int i = 0; i < 6; ++i) feed.pieces.push_back(OneIn(3) ? 1 + Below(4) : 1 + Below(kTransferBufferSize));
                StreamInRequest request;
                request.replace = OneIn(2);
                request.from = bulk->selAnchor;
                request.to = bulk->caretPos;
                if (!request.replace) request.from = request.to = Below(length + 1);
                Compare("StreamIn", [&](EditorInstance& ed) {
                    Feed mine = feed;
                    EditStream stream{reinterpret_cast<uintptr_t>(&mine), 0, FeedHost};
                    const StreamInResult result = StreamIn(ed, stream, request);
                    return uint64_t(result.bytes) << 32 | result.inserted;
                }, request.replace);
                break;
            }
            case 9: {
                const uint8_t ch = static_cast<uint8_t>(OneIn(3) ? '\r' : 'a' + Below(26));
                bulk->overwriteMode = OneIn(4);
                Compare("TypeChar", [=](EditorInstance& ed) { return TypeChar(ed, ch); }, true);
                bulk->overwriteMode = 0;
                break;
            }
            case 10: {
                // Enter with automatic indentation, at the end of an indented line's
                // blanks or anywhere.
                bulk->autoIndent = 1;
                if (OneIn(2)) {
                    const LineNumber line = Below(LineCount(*bulk));
                    CharIndex at = LineStart(*bulk, line);
                    const LineRecordView rec = LineRecordOf(*bulk, line);
                    for (uint32_t i = 0; i < rec.length() && (rec.chars()[i] == ' ' || rec.chars()[i] == '\t'); ++i) ++at;
                    bulk->caretPos = at;
                    if (!OneIn(3)) bulk->selAnchor = at;
                }
                Compare("Enter with automatic indentation", [](EditorInstance& ed) { return TypeChar(ed, '\r'); },
                        true);
                break;
            }
            case 11:
                Compare("Delete", [](EditorInstance& ed) {
                    bool ok = true;
                    return DeleteKey(ed, &ok) + (ok ? 0 : 1ull << 40);
                });
                break;
            case 12:
                Compare("Backspace", [](EditorInstance& ed) {
                    bool ok = true;
                    return BackspaceKey(ed, &ok) + (ok ? 0 : 1ull << 40);
                });
                break;
            case 13:
                // The commands, with their unfold guard over folded blocks.
                Compare("UndoCommand", [](EditorInstance& ed) { return static_cast<uint64_t>(UndoCommand(ed)); },
                        true);
                break;
            case 14:
                Compare("RedoCommand", [](EditorInstance& ed) { return static_cast<uint64_t>(RedoCommand(ed)); },
                        true);
                break;
        }
    }

    FakePlatform platform;
    std::unique_ptr<ControlRecord> bulkControl, charwiseControl;
    EditorInstance* bulk = nullptr;
    EditorInstance* charwise = nullptr;
    std::mt19937 rng{20261207u};
    int compared = 0;
    int grown = 0;
    uint32_t folded = 0;
};

TEST_F(BulkDifferentialTest, EveryBulkPathLeavesWhatThePerCharacterPathLeaves) {
    for (int document = 0; document < 40 && !HasFatalFailure(); ++document) {
        SCOPED_TRACE(document);
        RandomDocument();
        ExpectWellFormed(*bulk);
        for (int step = 0; step < 25 && !HasFatalFailure(); ++step) {
            SCOPED_TRACE(step);
            RandomOperation();
        }
    }
    EXPECT_EQ(compared, 40 * 25);
    EXPECT_GT(grown, 50);  // the squeezed areas grew often
    EXPECT_GT(folded, 10u);  // the undo and redo commands met folded blocks
}

TEST_F(BulkDifferentialTest, WholeDocumentsLoadAndEmptyAlike) {
    for (int i = 0; i < 12 && !HasFatalFailure(); ++i) {
        const std::string text = RandomText(200, false);
        Compare("SetWholeText", [&](EditorInstance& ed) { return SetWholeText(ed, text.c_str()); });
        bulk->selAnchor = 0;
        bulk->caretPos = kNoIndex;
        Compare("select all, delete", [](EditorInstance& ed) { return ClearSelection(ed); });
        Compare("undo", [](EditorInstance& ed) { return static_cast<uint64_t>(UndoStep(ed)); });
        Compare("redo", [](EditorInstance& ed) { return static_cast<uint64_t>(RedoStep(ed)); });
    }
}

}  // namespace
}  // namespace qv::test
