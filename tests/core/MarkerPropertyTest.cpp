// Random folding, unfolding, marking, locking, host hiding and editing (undo and
// redo included) on a document of several blocks. After every step:
//   - the text equals a string model, and hiddenLineCount the number of hidden lines;
//   - every hidden line the host did not hide lies in a run below a folded start:
//     walking up over the hidden lines above it meets a line whose markerId is 2;
//   - after unfolding all blocks or clearing the markers no such line is hidden;
//   - a line the host hid stays hidden through edits (a split's new line is
//     visible, a join keeps the first line's flags) unless an unfold showed the
//     run of a folded block it lay in;
//   - locks change only by locking and editing, currentMarkerId only by setting a
//     bookmark.
// The test tags the lines it hides with a LineFlags bit the control never uses; the
// store carries it with the line's other flags, wherever the line goes.
#include <string>
#include <vector>

#include "command/UndoCommand.h"
#include "core/support/ModelEdits.h"
#include "pane/PaneView.h"
#include "render/LineLocks.h"
#include "render/Markers.h"

namespace qv::test {
namespace {

constexpr uint32_t kHostHid = 0x400;  // the test hid this line
constexpr uint32_t kMayShow = 0x800;  // before a step: a host line inside a folded run

const char kBlocks[] =
    "start:\r\na proc\r\n  x\r\n  y\r\na endp\r\nb proc uses esi\r\n  z\r\nb endp\r\n\r\nc proc\r\n  q\r\n  "
    "r\r\n  s\r\nc endp\r\nend";
const BlockPatterns kProcs = {"$ proc", "$ endp"};

class MarkerPropertyTest : public ModelEditFixture {
protected:
    uint32_t Flags(LineNumber line) { return LineRecordOf(*ed, line).flags(); }
    void SetFlags(LineNumber line, uint32_t flags) { LineRecordOf(*ed, line).setFlags(flags); }
    // Mostly a line that exists, sometimes one past the end.
    LineNumber RandomLine() { return Below(LineCount(*ed) + 1); }

    // Walking up over the hidden lines above `line` meets a folded start.
    bool InFoldedRun(LineNumber line) {
        while (line > 0) {
            --line;
            if (MarkerIdOf(*ed, line) == kMarkerBlockFolded) return true;
            if (!(Flags(line) & kFlagHidden)) return false;
        }
        return false;
    }
    std::vector<bool> Locks() {
        std::vector<bool> locks;
        for (LineNumber line = 0; line < LineCount(*ed); ++line) locks.push_back(Flags(line) & kFlagLocked);
        return locks;
    }

    void HostHide(bool hide) {
        const LineNumber line = RandomLine();
        SetLineHidden(*ed, line, hide);
        if (line >= LineCount(*ed)) return;
        if (hide) {
            ASSERT_TRUE(Flags(line) & kFlagHidden);
            SetFlags(line, Flags(line) | kHostHid);
        } else {
            ASSERT_FALSE(Flags(line) & kFlagHidden);
            SetFlags(line, Flags(line) & ~kHostHid);
        }
    }

    // Runs step `op`; answers whether it may show host lines outside folded runs.
    bool Step(Model& model, uint32_t op) {
        switch (op) {
            case 0:
            case 1: {
                // A block start, or any line.
                LineNumber line = RandomLine();
                for (LineNumber l = line; l < LineCount(*ed) && OneIn(2); ++l)
                    if (MatchBlockPattern(*ed, l, kProcs.start) >= 0) line = l;
                FoldBlock(*ed, line, OneIn(20) ? nullptr : &kProcs);
                return false;
            }
            case 2: UnfoldBlock(*ed, RandomLine()); return true;
            case 3: FoldAllBlocks(*ed, &kProcs); return false;
            case 4: UnfoldAllBlocks(*ed); return false;
            case 5: {
                static const uint32_t ids[] = {0, 1, 2, 5, 7};
                SetLineMarker(*ed, RandomLine(), ids[Below(5)]);
                EnumerateMarkers(*ed, nullptr);
                return false;
            }
            case 6: ClearMarkers(*ed); return false;
            case 7: MarkBlockStarts(*ed, kProcs.start); return false;
            case 8: SetLineLocked(*ed, RandomLine(), Below(2)); return false;
            case 9: HostHide(!OneIn(3)); return false;
            case 10: {
                const CharIndex p = Position(model);
                Select(p, p);
                BringCaretIntoView(*ed);
                return false;
            }
        }
        SelectSomething(model, model.Length() > 300);
        switch (op) {
            case 11: TypeStep(model, 'x'); break;
            case 12: TypeStep(model, '\r'); break;
            case 13: case 14: ReplaceStep(model); break;
            case 15: case 16: ClearStep(model); break;
            case 17: DeleteKeyStep(model); break;
            case 18: BackspaceStep(model); break;
            default: {
                const bool undo = op < 21;
                const bool can = undo ? model.CanUndo() : model.CanRedo();
                if (can) undo ? model.Undo() : model.Redo();
                EXPECT_EQ(undo ? UndoCommand(*ed) : RedoCommand(*ed),
                          can ? UndoResult::Applied : UndoResult::Nothing);
            }
        }
        return false;
    }

    void Check(const Model& model, bool mayShowAny, bool allUnfolded) {
        ASSERT_EQ(Text(), model.doc);
        uint32_t hidden = 0;
        for (LineNumber line = 0; line < LineCount(*ed); ++line) {
            const uint32_t flags = Flags(line);
            if (flags & kFlagHidden) {
                ++hidden;
                if (!(flags & kHostHid)) {
                    ASSERT_FALSE(allUnfolded) << "line " << line << " stays folded";
                    ASSERT_TRUE(InFoldedRun(line)) << "line " << line << " has no folded start above its run";
                }
            } else if (flags & kHostHid) {
                ASSERT_TRUE(mayShowAny || (flags & kMayShow)) << "the host's line " << line << " was shown";
            }
            SetFlags(line, flags & kFlagHidden ? flags & ~kMayShow : flags & ~(kMayShow | kHostHid));
        }
        ASSERT_EQ(ed->hiddenLineCount, hidden);
    }

    void Run(uint32_t seed, int steps) {
        rng.seed(seed);
        SCOPED_TRACE("seed " + std::to_string(seed));
        pieces = {"x", " ", "\r\n", "\t", "p proc\r\n", "p endp\r\n", "\r\n  y"};
        SetText(kBlocks);
        Model model(Text());
        ed->panes[0].textRect = {0, 0, 400, 150};
        for (int step = 0; step < steps; ++step) {
            SCOPED_TRACE("step " + std::to_string(step));
            const uint32_t op = Below(23);
            for (LineNumber line = 0; line < LineCount(*ed); ++line)
                if ((Flags(line) & kHostHid) && InFoldedRun(line)) SetFlags(line, Flags(line) | kMayShow);
            const std::vector<bool> locks = Locks();
            const uint32_t current = ed->currentMarkerId;

            const bool mayShowAny = Step(model, op);
            if (HasFatalFailure()) return;
            Check(model, mayShowAny, op == 4 || op == 6);
            if (op <= 10 && op != 8) {
                ASSERT_EQ(Locks(), locks);
            }
            if (op != 5) {
                ASSERT_EQ(ed->currentMarkerId, current);
            }
            if (HasFailure()) return;
        }
    }
};

TEST_F(MarkerPropertyTest, FoldsMarkersLocksHiddenLinesAndEditsKeepEveryRunBelowItsStart) {
    for (uint32_t seed : {7u, 2024u, 99991u}) {
        Run(seed, 4000);
        if (HasFailure()) return;
        StateOf(*ed).edit = EditState{};
    }
}

}  // namespace
}  // namespace qv::test
