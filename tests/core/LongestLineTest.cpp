// The longest line kept up to date against the rule applied to the whole document
// afresh, after random edits of every kind: typed characters and line breaks,
// Delete and Backspace, overwrite mode, replacements, range deletions, undo and
// redo, whole texts; lines with TABs, so that a shorter line can stand for more
// columns than a longer one after it; several lookups between edits and none.
#include <random>
#include <string>

#include "core/support/EditFixture.h"
#include "store/LongestLine.h"

namespace qv::test {
namespace {

// The rule over every line, as the horizontal scroll range has always applied it.
LongestLine Measured(const EditorInstance& ed, uint32_t tabWidth) {
    LongestLine longest = {false, 0, 0};
    uint32_t m = 0;
    for (LineNumber line = 0; line < LineCount(ed); ++line) {
        LineRecordView rec = LineRecordOf(ed, line);
        const uint32_t n = rec.length();
        if (n == 0 || n <= m) continue;
        uint32_t tabs = 0;
        for (uint32_t i = 0; i < n; ++i) tabs += rec.chars()[i] == kTab;
        m = n + tabs * (tabWidth ? tabWidth - 1 : 0);
        longest = {true, line, m};
    }
    return longest;
}

class LongestLineTest : public EditFixture {
protected:
    uint32_t Below(uint32_t n) { return n ? static_cast<uint32_t>(rng() % n) : 0; }

    std::string Text(uint32_t lines) {
        std::string text;
        for (uint32_t line = 0; line < lines; ++line) {
            const uint32_t length = Below(40) == 0 ? Below(5000) : Below(8) == 0 ? Below(300) : Below(30);
            for (uint32_t i = 0; i < length; ++i) text += Below(6) == 0 ? '\t' : static_cast<char>('a' + Below(26));
            if (line + 1 < lines) text += "\r\n";
        }
        return text;
    }

    void Expect(uint32_t tabWidth) {
        const LongestLine expected = Measured(*ed, tabWidth);
        const LongestLine kept = FindLongestLine(*ed, tabWidth);
        ASSERT_EQ(kept.found, expected.found);
        ASSERT_EQ(kept.line, expected.line);
        ASSERT_EQ(kept.columns, expected.columns);
    }

    std::mt19937 rng{77};
};

TEST_F(LongestLineTest, KeptFigureAgreesWithTheRuleAfterEveryKindOfEdit) {
    for (int round = 0; round < 30; ++round) {
        SetText(Text(1 + Below(120)));
        uint32_t tabWidth = 1 + Below(8);
        Expect(tabWidth);
        for (int step = 0; step < 60 && !HasFatalFailure(); ++step) {
            const CharIndex length = StoredLength(*ed);
            Select(Below(length + 1), Below(4) == 0 ? Below(length + 1) : ed->selAnchor);
            ed->overwriteMode = Below(5) == 0;
            switch (Below(9)) {
                case 0: TypeChar(*ed, Below(4) == 0 ? '\r' : Below(3) == 0 ? '\t' : 'x'); break;
                case 1: DeleteKey(*ed); break;
                case 2: BackspaceKey(*ed); break;
                case 3: ReplaceSelection(*ed, Text(1 + Below(5)).c_str(), true); break;
                case 4: ClearSelection(*ed); break;
                case 5: UndoStep(*ed); break;
                case 6: RedoStep(*ed); break;
                case 7: InsertText(*ed, Below(length + 1), Text(1 + Below(3)).c_str()); break;
                case 8: tabWidth = 1 + Below(8); break;
            }
            ed->overwriteMode = 0;
            if (Below(3) != 0) Expect(tabWidth);
        }
        Expect(tabWidth);
    }
}

}  // namespace
}  // namespace qv::test
