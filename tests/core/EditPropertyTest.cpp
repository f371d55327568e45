// Random editing against a plain string model: typed characters (overwrite mode
// and automatic indentation included), Delete and Backspace, range deletions,
// replacements (each one undo step) over selections that end on line breaks and at
// the end of the text, texts with CR LF, lone LF (a line break) and CRs at line
// starts and ends, undo and redo. After every step the store must hold the model's text, line by line, with
// every lookup agreeing; at the end undoing everything must give the first text
// back and redoing everything the last one.
#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/support/ModelEdits.h"

namespace qv::test {
namespace {

class EditPropertyTest : public ModelEditFixture {
protected:
    std::vector<CharIndex> starts;  // of the model's lines, for Check

    // The store against the model: text, lines, line starts, lookups, top-line
    // caches. The cached walks of LineStart are checked for a sample of lines, and
    // for all of them when `everyLine` is set.
    void Check(const Model& model, bool everyLine) {
        ASSERT_EQ(model.doc.back(), '\r');
        // Each stored line holds the model's characters of that line, its CR last.
        starts.clear();
        const uint32_t count = LineCount(*ed);
        for (CharIndex start = 0, end; start < model.Length(); start = end + 1) {
            end = static_cast<CharIndex>(model.doc.find('\r', start));
            const LineNumber line = static_cast<LineNumber>(starts.size());
            ASSERT_LT(line, count);
            LineRecordView rec = LineRecordOf(*ed, line);
            ASSERT_EQ(rec.length(), end - start + 1) << "line " << line;
            ASSERT_EQ(std::memcmp(rec.chars(), model.doc.data() + start, rec.length()), 0) << "line " << line;
            starts.push_back(start);
        }
        ASSERT_EQ(count, starts.size());
        for (LineNumber i = 0; i < (everyLine ? count : 6u); ++i) {
            const LineNumber line = everyLine ? i : Below(count);
            ASSERT_EQ(LineStart(*ed, line), starts[line]) << "line " << line;
        }
        ASSERT_EQ(LineStart(*ed, count + Below(3)), starts.back());
        for (const ViewPane& pane : ed->panes) {
            ASSERT_LT(pane.topLine, count);
            ASSERT_EQ(pane.topLineStart, starts[pane.topLine]);
            ASSERT_EQ(pane.topLineY, pane.topLine * ed->lineHeight);
        }
        const CharIndex caret = ed->caretPos;
        ed->caretPos = kNoIndex;  // keep LineFromChar's caret rule out of the comparison
        for (int i = 0; i < 4; ++i) {
            const CharIndex a = i == 0 ? model.Length() + Below(3) : Below(model.Length());
            const CharIndex clamped = std::min(a, model.Length());
            const LineNumber line = static_cast<LineNumber>(
                std::upper_bound(starts.begin(), starts.end(), std::min(clamped, model.Length() - 1)) -
                starts.begin() - 1);
            CharLocation where = LocateChar(*ed, a);
            ASSERT_EQ(where.line, line) << a;
            ASSERT_EQ(where.index, clamped) << a;
            ASSERT_EQ(where.column, clamped - starts[line]) << a;
            ASSERT_EQ(LineFromChar(*ed, a), line) << a;
        }
        ed->caretPos = caret;
    }

    void Run(uint32_t seed, int steps) {
        rng.seed(seed);
        SCOPED_TRACE("seed " + std::to_string(seed));
        SetText("first\r\n\tindented\r\nthird line\r\n\r\nlast");
        Model model(Text());
        ed->panes[0].textRect.bottom = 300;  // the lower pane stays hidden and follows
        for (int step = 0; step < steps; ++step) {
            SCOPED_TRACE("step " + std::to_string(step));
            const bool big = model.Length() > 300;
            if (OneIn(40)) ed->overwriteMode ^= 1;
            if (OneIn(40)) ed->autoIndent ^= 1;
            if (OneIn(8)) {
                SyncPaneTop(*ed, ed->panes[0].hwnd, Below(model.Length() / 4 + 1) * ed->lineHeight);
                ed->panes[0].scrollY = static_cast<int32_t>(ed->panes[0].topLineY);
            }
            SelectSomething(model, big);
            const uint32_t op = big && OneIn(4) ? 6 : Below(20);
            if (op < 6) {
                static const uint8_t keys[] = {'a', 'z', ' ', '\t', '\r', '\r'};
                TypeStep(model, keys[Below(6)]);
            } else if (op < 8) {
                ClearStep(model);
            } else if (op < 14) {
                ReplaceStep(model);
            } else if (op == 14) {
                DeleteKeyStep(model);
            } else if (op == 15) {
                BackspaceStep(model);
            } else {
                UndoRedoStep(model, op < 19 || OneIn(2));
            }
            EXPECT_EQ(StateOf(*ed).edit.absorbNextCr, 0u);
            EXPECT_EQ(StateOf(*ed).edit.keepNextCr, 0u);
            Check(model, step % 25 == 0);
            if (HasFatalFailure() || HasNonfatalFailure()) return;
        }
        while (model.CanUndo()) {
            model.Undo();
            ASSERT_EQ(UndoStep(*ed), UndoResult::Applied);
            ASSERT_EQ(Text(), model.doc);
        }
        EXPECT_EQ(UndoStep(*ed), UndoResult::Nothing);
        EXPECT_EQ(Text(), model.history.front());
        while (model.CanRedo()) {
            model.Redo();
            ASSERT_EQ(RedoStep(*ed), UndoResult::Applied);
        }
        EXPECT_EQ(RedoStep(*ed), UndoResult::Nothing);
        EXPECT_EQ(Text(), model.history.back());
        Check(model, true);
    }
};

TEST_F(EditPropertyTest, RandomEditsUndoAndRedoAgreeWithAStringModel) {
    for (uint32_t seed : {1u, 20240611u, 77u}) {
        Run(seed, 8000);
        if (HasFailure()) return;
        StateOf(*ed).edit = EditState{};
        ed->overwriteMode = ed->autoIndent = 0;
    }
}

}  // namespace
}  // namespace qv::test
