// The document store: the three areas, their growth, and the line primitives.
#include <cstring>

#include "core/support/CoreFixture.h"
#include "store/LineRecord.h"

namespace qv::test {
namespace {

class LineStoreTest : public CoreFixture {
protected:
    // Fills the current record with `n` characters without growing it.
    void FillCurrent(uint32_t n, uint8_t ch = 'x') {
        LineRecordView rec = CurrentRecord(*ed);
        std::memset(rec.chars(), ch, n);
        rec.setLength(n);
    }
    void MakeCurrent(LineNumber line) {
        ed->curLine = line;
        ed->curLineSlot = 4 * line;
        ed->curRecord = RecordOffset(*ed, line);
    }
    bool TailIsZero() const {
        for (uint32_t i = ed->lineHeapUsed; i < ed->lineHeapSize; ++i)
            if (ed->lineHeap[i] != 0) return false;
        return true;
    }
};

TEST_F(LineStoreTest, FreshStoreHoldsOneEmptyLine) {
    EXPECT_EQ(ed->lineIndexUsed, 4u);
    EXPECT_EQ(RecordOffset(*ed, 0), 0u);
    LineRecordView rec = LineRecordOf(*ed, 0);
    EXPECT_EQ(rec.length(), 0u);
    EXPECT_EQ(rec.size(), 32u);
    EXPECT_EQ(rec.flags(), 0u);
    EXPECT_EQ(rec.markerId(), 0u);
    EXPECT_EQ(rec.markerLine(), 0u);
    EXPECT_EQ(ed->lineHeapUsed, 32u);
    EXPECT_EQ(ed->lineIndexSize, 0x8000u);
    EXPECT_EQ(ed->lineHeapSize, 0x20000u);
    EXPECT_EQ(ed->undoLogSize, 0x20000u);
    EXPECT_EQ(ed->undoLogUsed, 0u);
    EXPECT_EQ(ed->curRecord, 0u);
    EXPECT_EQ(ed->curLineSlot, 0u);
    EXPECT_TRUE(TailIsZero());
}

TEST_F(LineStoreTest, NewestRecordGrowsInPlace) {
    FillCurrent(12);  // 20 + 12 = 32: full
    ASSERT_TRUE(CurrentRecord(*ed).full());
    ASSERT_TRUE(GrowCurrentRecord(*ed));
    EXPECT_EQ(ed->curRecord, 0u);
    EXPECT_EQ(RecordOffset(*ed, 0), 0u);
    EXPECT_EQ(CurrentRecord(*ed).size(), 64u);
    EXPECT_EQ(CurrentRecord(*ed).length(), 12u);
    EXPECT_EQ(ed->lineHeapUsed, 64u);
}

TEST_F(LineStoreTest, OlderRecordMovesToTheAppendPointWithItsMarkers) {
    FillCurrent(12, 'a');
    LineRecordView first = CurrentRecord(*ed);
    first.setFlags(0x143);
    first.setMarkerId(77);
    first.setMarkerLine(5);
    ASSERT_TRUE(InsertLineRecord(*ed, 1, 32));  // line 1 is now the newest record
    MakeCurrent(0);
    uint32_t usedBefore = ed->lineHeapUsed;

    ASSERT_TRUE(GrowCurrentRecord(*ed));
    EXPECT_EQ(RecordOffset(*ed, 0), usedBefore);
    EXPECT_EQ(ed->curRecord, usedBefore);
    EXPECT_EQ(ed->lineHeapUsed, usedBefore + 32 + 32);
    LineRecordView moved = CurrentRecord(*ed);
    EXPECT_EQ(moved.size(), 64u);
    EXPECT_EQ(moved.length(), 12u);
    EXPECT_EQ(moved.flags(), 0x143u);
    EXPECT_EQ(moved.markerId(), 77u);
    EXPECT_EQ(moved.markerLine(), 5u);
    EXPECT_EQ(std::memcmp(moved.chars(), "aaaaaaaaaaaa", 12), 0);
    EXPECT_EQ(RecordOffset(*ed, 1), 32u);  // the other line did not move
    EXPECT_TRUE(TailIsZero());
}

TEST_F(LineStoreTest, InsertLineRecordOpensTheSlot) {
    ASSERT_TRUE(InsertLineRecord(*ed, 1, 32));  // offsets 0, 32
    ASSERT_TRUE(InsertLineRecord(*ed, 2, 40));  // 0, 32, 64
    ASSERT_TRUE(InsertLineRecord(*ed, 1, 50));  // 0, 104, 32, 64
    EXPECT_EQ(LineCount(*ed), 4u);
    EXPECT_EQ(RecordOffset(*ed, 0), 0u);
    EXPECT_EQ(RecordOffset(*ed, 1), 104u);
    EXPECT_EQ(RecordOffset(*ed, 2), 32u);
    EXPECT_EQ(RecordOffset(*ed, 3), 64u);
    EXPECT_EQ(ed->curLineSlot, 4u);
    EXPECT_EQ(ed->curRecord, 104u);
    EXPECT_EQ(RecordAt(*ed, 104).size(), 50u);
    EXPECT_EQ(ed->lineHeapUsed, 154u);
}

TEST_F(LineStoreTest, RemovingTheOnlyLineKeepsItsSlot) {
    EXPECT_EQ(RemoveLineRecord(*ed, 0), 0u);
    EXPECT_EQ(LineCount(*ed), 1u);
    EXPECT_EQ(RecordOffset(*ed, 0), 0u);
    EXPECT_EQ(RemoveLineRecord(*ed, 1), kNoRecord);
}

TEST_F(LineStoreTest, RemovingALineClosesItsSlot) {
    ASSERT_TRUE(InsertLineRecord(*ed, 1, 32));  // 32
    ASSERT_TRUE(InsertLineRecord(*ed, 2, 32));  // 64
    EXPECT_EQ(RemoveLineRecord(*ed, 1), 32u);
    EXPECT_EQ(LineCount(*ed), 2u);
    EXPECT_EQ(RecordOffset(*ed, 1), 64u);  // the next line took the index
    EXPECT_EQ(ed->curRecord, 64u);
    EXPECT_EQ(RemoveLineRecord(*ed, 5), kNoRecord);
}

TEST_F(LineStoreTest, RemovingAHiddenLineLowersTheHiddenCount) {
    ASSERT_TRUE(InsertLineRecord(*ed, 1, 32));
    LineRecordOf(*ed, 1).setFlags(kFlagHidden);
    ed->hiddenLineCount = 1;
    RemoveLineRecord(*ed, 1);
    EXPECT_EQ(ed->hiddenLineCount, 0u);
}

TEST_F(LineStoreTest, LineIndexGrowsOnlyPastItsHeadroom) {
    ed->lineIndexUsed = ed->lineIndexSize - 8192;  // exactly at the limit
    ASSERT_TRUE(EnsureLineIndexRoom(*ed));
    EXPECT_EQ(ed->lineIndexSize, 0x8000u);
    ed->lineIndexUsed += 4;
    ASSERT_TRUE(EnsureLineIndexRoom(*ed));
    EXPECT_EQ(ed->lineIndexSize, 0x8000u + 0x20000u);
    EXPECT_EQ(RecordOffset(*ed, 0), 0u);  // contents kept
}

TEST_F(LineStoreTest, LineHeapGrowsOnlyPastItsHeadroom) {
    ed->lineHeapUsed = ed->lineHeapSize - 32768;
    ASSERT_TRUE(EnsureLineHeapRoom(*ed));
    EXPECT_EQ(ed->lineHeapSize, 0x20000u);
    ed->lineHeapUsed += 1;
    ASSERT_TRUE(EnsureLineHeapRoom(*ed));
    EXPECT_EQ(ed->lineHeapSize, 0x20000u + 0x80000u);
    EXPECT_EQ(LineRecordOf(*ed, 0).size(), 32u);
}

TEST_F(LineStoreTest, UndoGrowthRoundsDownToAPage) {
    ed->undoLogUsed = 0x20000 - 1024 - 10;
    ASSERT_TRUE(EnsureUndoRoom(*ed, 10));  // t == size: no growth
    EXPECT_EQ(ed->undoLogSize, 0x20000u);
    ed->undoLogUsed += 3;
    uint32_t t = ed->undoLogUsed + 10 + 1024;
    ASSERT_TRUE(EnsureUndoRoom(*ed, 10));
    EXPECT_EQ(ed->undoLogSize, (t + 524288) & ~0xFFFu);
    EXPECT_EQ(ed->undoLogSize % 4096, 0u);
}

TEST_F(LineStoreTest, ALongLineSplitGetsRoomForItsWholeRecord) {
    // A record far larger than the fixed headroom must not be written past the area.
    uint32_t big = 0x20000 + 1000;
    ASSERT_TRUE(InsertLineRecord(*ed, 1, big));
    EXPECT_LE(ed->lineHeapUsed, ed->lineHeapSize);
    EXPECT_EQ(LineRecordOf(*ed, 1).size(), big);
    EXPECT_TRUE(TailIsZero());
}

TEST_F(LineStoreTest, MovingALongRecordGetsRoomForItsWholeSize) {
    ASSERT_TRUE(InsertLineRecord(*ed, 1, 0x30000));  // line 1: a long record
    ASSERT_TRUE(InsertLineRecord(*ed, 2, 32));       // line 2 is newest
    MakeCurrent(1);
    ed->lineHeapUsed = ed->lineHeapSize - 40000;  // room for the headroom, not the record
    ASSERT_TRUE(GrowCurrentRecord(*ed));
    EXPECT_LE(ed->lineHeapUsed, ed->lineHeapSize);
    EXPECT_EQ(CurrentRecord(*ed).size(), 0x30000u + 32);
}

// ---- Failed growth: the message, the area unchanged, the caller told --------------

TEST_F(LineStoreTest, FailedGrowthLeavesEachAreaAsItWas) {
    struct Case {
        const char* text;
        bool (*grow)(EditorInstance&);
        uint8_t* EditorInstance::*base;
        uint32_t EditorInstance::*size;
        uint32_t EditorInstance::*used;
    };
    const Case cases[] = {
        {"Allocating memory for (Line) failed!", EnsureLineIndexRoom, &EditorInstance::lineIndex,
         &EditorInstance::lineIndexSize, &EditorInstance::lineIndexUsed},
        {"Allocating memory for (Char) failed!", EnsureLineHeapRoom, &EditorInstance::lineHeap,
         &EditorInstance::lineHeapSize, &EditorInstance::lineHeapUsed},
        {"Allocating memory for (Undo) failed!", [](EditorInstance& e) { return EnsureUndoRoom(e, 5000); },
         &EditorInstance::undoLog, &EditorInstance::undoLogSize, &EditorInstance::undoLogUsed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        platform.ClearRecords();
        uint32_t savedUsed = (*ed).*c.used;
        (*ed).*c.used = (*ed).*c.size;  // no headroom left
        uint8_t* base = (*ed).*c.base;
        uint32_t size = (*ed).*c.size;
        platform.reallocsLeft = 0;
        EXPECT_FALSE(c.grow(*ed));
        platform.reallocsLeft = -1;
        EXPECT_EQ((*ed).*c.base, base);
        EXPECT_EQ((*ed).*c.size, size);
        ASSERT_EQ(platform.errors.size(), 1u);
        EXPECT_EQ(platform.errors[0], c.text);
        (*ed).*c.used = savedUsed;
    }
}

TEST_F(LineStoreTest, FailedRecordPlacementChangesNothing) {
    ed->lineHeapUsed = ed->lineHeapSize - 16;  // not even a small record fits
    uint32_t used = ed->lineHeapUsed;
    platform.reallocsLeft = 0;
    EXPECT_FALSE(InsertLineRecord(*ed, 1, 32));
    EXPECT_EQ(LineCount(*ed), 1u);
    EXPECT_EQ(ed->lineHeapUsed, used);
    ASSERT_EQ(platform.errors.size(), 1u);

    FillCurrent(12);
    ed->curRecord = 0;
    EXPECT_FALSE(GrowCurrentRecord(*ed));  // the record is not the newest: a move
    EXPECT_EQ(CurrentRecord(*ed).size(), 32u);
    EXPECT_EQ(ed->lineHeapUsed, used);
}

TEST_F(LineStoreTest, AFullLineIndexRefusesAnotherSlot) {
    ed->lineIndexUsed = ed->lineIndexSize;
    EXPECT_FALSE(InsertLineRecord(*ed, 0, 32));
    EXPECT_EQ(ed->lineIndexUsed, ed->lineIndexSize);
}

TEST_F(LineStoreTest, FailedCreationKeepsTheOldStore) {
    FillCurrent(5, 'q');
    ed->caretPos = 3;
    // Fail each of the six steps of building a store in turn.
    for (int step = 0; step < 6; ++step) {
        SCOPED_TRACE(step);
        platform.ClearRecords();
        uint64_t live = platform.LiveBytes();
        if (step % 2 == 0) platform.createHeapsLeft = step / 2;
        else platform.allocsLeft = step / 2;
        EditorInstance before = *ed;
        EXPECT_FALSE(CreateStore(*ed));
        platform.createHeapsLeft = platform.allocsLeft = -1;
        EXPECT_EQ(std::memcmp(&before, ed, sizeof before), 0);
        EXPECT_EQ(platform.LiveBytes(), live);
        ASSERT_EQ(platform.errors.size(), 1u);
        const char* expected[] = {"Allocating memory for (Line) failed!", "Allocating memory for (Char) failed!",
                                  "Allocating memory for (Undo) failed!"};
        EXPECT_EQ(platform.errors[0], expected[step / 2]);
    }
    EXPECT_EQ(CurrentRecord(*ed).length(), 5u);
}

TEST_F(LineStoreTest, GrowthToAKnownUseTakesWholeStepsInOneReallocation) {
    const uint32_t heap = ed->lineHeapSize, index = ed->lineIndexSize;
    EXPECT_TRUE(GrowLineHeapTo(*ed, heap));  // room enough: nothing grows
    EXPECT_TRUE(GrowLineIndexTo(*ed, index));
    EXPECT_EQ(ed->lineHeapSize, heap);
    EXPECT_EQ(ed->lineIndexSize, index);

    const size_t reallocs = platform.reallocs;
    EXPECT_TRUE(GrowLineIndexTo(*ed, index + 3 * kLineIndexRule.growthStep - 5));
    EXPECT_EQ(ed->lineIndexSize, index + 3 * kLineIndexRule.growthStep);  // the step grid
    // One step when one is enough; past it, the LineHeap stops at need + headroom.
    EXPECT_TRUE(GrowLineHeapTo(*ed, heap + 1));
    EXPECT_EQ(ed->lineHeapSize, heap + kLineHeapRule.growthStep);
    EXPECT_TRUE(GrowLineHeapTo(*ed, ed->lineHeapSize + kLineHeapRule.growthStep + 100));
    EXPECT_EQ(ed->lineHeapSize, heap + 2 * kLineHeapRule.growthStep + 100 + kLineHeapRule.headroom);
    EXPECT_TRUE(GrowLineHeapExactly(*ed, ed->lineHeapSize + 7));
    EXPECT_EQ(ed->lineHeapSize, heap + 2 * kLineHeapRule.growthStep + 107 + kLineHeapRule.headroom);
    EXPECT_EQ(platform.reallocs, reallocs + 4);

    platform.reallocsLeft = 0;  // growth fails: the message, nothing changes
    const uint32_t before = ed->lineHeapSize;
    EXPECT_FALSE(GrowLineHeapTo(*ed, uint64_t(before) + 1));
    EXPECT_FALSE(GrowLineHeapTo(*ed, uint64_t(UINT32_MAX) + 1));
    EXPECT_EQ(ed->lineHeapSize, before);
    EXPECT_EQ(platform.errors.size(), 2u);
    platform.reallocsLeft = -1;
}

TEST_F(LineStoreTest, RecreationReplacesTheTextAndResetsTheView) {
    FillCurrent(5);
    ASSERT_TRUE(InsertLineRecord(*ed, 1, 32));
    ed->caretPos = 4;
    ed->selAnchor = 2;
    ed->modified = 1;
    ed->panes[0].scrollY = 45;
    ed->panes[1].scrollX = 30;
    ed->hiddenLineCount = 1;
    uint64_t live = platform.LiveBytes();
    ASSERT_TRUE(CreateStore(*ed));
    EXPECT_EQ(platform.LiveBytes(), live);  // the old heaps are gone
    EXPECT_EQ(LineCount(*ed), 1u);
    EXPECT_EQ(LineRecordOf(*ed, 0).length(), 0u);
    EXPECT_EQ(ed->caretPos, 0u);
    EXPECT_EQ(ed->selAnchor, 0u);
    EXPECT_EQ(ed->modified, 0u);
    EXPECT_EQ(ed->panes[0].scrollY, 0);
    EXPECT_EQ(ed->panes[1].scrollX, 0);
    EXPECT_EQ(ed->hiddenLineCount, 0u);
}

}  // namespace
}  // namespace qv::test
