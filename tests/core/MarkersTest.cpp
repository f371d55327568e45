// Block patterns, bookmarks, folding, hidden lines and the unfold guard of the
// edits, case by case. MarkerPropertyTest runs them at random.
#include <functional>
#include <string>
#include <vector>

#include "command/UndoCommand.h"
#include "core/support/EditFixture.h"
#include "pane/PaneView.h"
#include "render/LineLocks.h"
#include "render/Markers.h"

namespace qv::test {
namespace {

// 0 start:  1 main proc  2-3 its body  4 main endp  5 next PROC ...  6 its body
// 7 next endp  8 end
const char kDoc[] =
    "start:\r\nmain proc\r\n  mov eax, 1\r\n  ret\r\nmain endp\r\nnext PROC uses esi\r\n  nop\r\nnext "
    "endp\r\nend";
const BlockPatterns kProcs = {"$ proc", "$ endp"};

class MarkersTest : public EditFixture {
protected:
    void SetUp() override {
        EditFixture::SetUp();
        SetText(kDoc);
        ed->panes[0].textRect = {0, 0, 400, 150};
    }
    LineRecordView Rec(LineNumber line) { return LineRecordOf(*ed, line); }
    uint32_t Flags(LineNumber line) { return Rec(line).flags(); }
    uint32_t Id(LineNumber line) { return Rec(line).markerId(); }
    bool Hidden(LineNumber line) { return IsLineHidden(*ed, line) != 0; }
    std::vector<LineNumber> HiddenLines() {
        std::vector<LineNumber> lines;
        for (LineNumber line = 0; line < LineCount(*ed); ++line)
            if (Hidden(line)) lines.push_back(line);
        return lines;
    }
    // Every hidden line lies in a run right below a folded start (markerId 2), and
    // hiddenLineCount counts the hidden lines.
    void ExpectNoStrandedLines() {
        for (LineNumber line : HiddenLines()) {
            LineNumber above = line;
            while (above > 0 && Hidden(above)) --above;
            EXPECT_EQ(Id(above), kMarkerBlockFolded) << "hidden line " << line << " below line " << above;
        }
        EXPECT_EQ(ed->hiddenLineCount, HiddenLines().size());
    }
    // Everything a bad argument must leave as it was.
    std::string State() {
        std::string s = std::to_string(ed->hiddenLineCount) + "/" + std::to_string(ed->currentMarkerId);
        for (LineNumber line = 0; line < LineCount(*ed); ++line)
            s += " " + std::to_string(Flags(line)) + ":" + std::to_string(Id(line)) + ":" +
                 std::to_string(Rec(line).markerLine());
        for (const ViewPane& pane : ed->panes) s += " " + std::to_string(pane.topLine);
        return s;
    }
};

TEST_F(MarkersTest, MatchingBlockPatterns) {
    struct {
        const char* line;
        const char* pattern;
        int32_t column;
    } cases[] = {
        {"  main PROC", "$ proc", 7},   {"main\tproc uses esi", "$ proc", 5}, {"x proc;comment", "$ proc", 2},
        {"proc", "$ proc", -1},         {"main proc2", "$ proc", -1},         {"main:proc", "$ proc", -1},
        {"", "$ proc", -1},             {"   \t", "$ proc", -1},              {"main \t  proc", "$ proc", 8},
        {"main proc", "$proc", -1},     {"main", "$ proc", -1},               {"main ", "$ proc", -1},
        {"  else x", "else", 2},        {"elsewhere", "else", -1},            {"x else", "else", -1},
        {"a ENDP$x", "$ endp$tail", 2}, {"a endpx", "$ endp$tail", -1},       {"\xE9 proc", "$ proc", -1},
    };
    for (const auto& c : cases) {
        SetText(c.line);
        EXPECT_EQ(MatchBlockPattern(*ed, 0, c.pattern), c.column) << "'" << c.line << "' " << c.pattern;
    }
    EXPECT_EQ(MatchBlockPattern(*ed, 1, "$ proc"), -1);  // no such line
    EXPECT_EQ(MatchBlockPattern(*ed, 0, nullptr), -1);
}

TEST_F(MarkersTest, FoldingHidesTheLinesBetweenStartAndEnd) {
    ed->currentMarkerId = 77;
    Rec(1).setFlags(0x103);  // locked, highlight 3
    ed->panes[0].topLine = 3;
    ed->panes[1].topLine = 1;
    ASSERT_TRUE(FoldBlock(*ed, 1, &kProcs));
    EXPECT_EQ(HiddenLines(), (std::vector<LineNumber>{2, 3}));
    EXPECT_EQ(ed->hiddenLineCount, 2u);
    EXPECT_EQ(Id(1), kMarkerBlockFolded);
    EXPECT_EQ(Flags(1), 0x143u);  // kind 4, the highlight and the lock kept
    EXPECT_EQ(ed->panes[0].topLine, 0u);  // after the start: reset
    EXPECT_EQ(ed->panes[1].topLine, 1u);
    EXPECT_TRUE(FoldBlock(*ed, 1, &kProcs));  // again: nothing counted twice
    EXPECT_EQ(ed->hiddenLineCount, 2u);

    EXPECT_FALSE(FoldBlock(*ed, 7, &kProcs));  // no end below: nothing, not even a marker
    EXPECT_EQ(Id(7), 0u);
    EXPECT_EQ(FoldAllBlocks(*ed, &kProcs), 0u);  // no start is an open block yet

    UnfoldBlock(*ed, 1);
    EXPECT_TRUE(HiddenLines().empty());
    EXPECT_EQ(Id(1), kMarkerBlockOpen);
    EXPECT_EQ(Flags(1), 0x143u);
    UnfoldBlock(*ed, 5);  // marks an open block even with nothing hidden
    EXPECT_EQ(FoldAllBlocks(*ed, &kProcs), 2u);
    EXPECT_EQ(HiddenLines(), (std::vector<LineNumber>{2, 3, 6}));
    EXPECT_EQ(UnfoldAllBlocks(*ed), 2u);
    EXPECT_TRUE(HiddenLines().empty());
    EXPECT_EQ(ed->currentMarkerId, 77u);  // folding never touches the host's marker
}

// Marking block starts keeps what a line carries, and makes every start it marks
// the start of an unfolded block, which folding every block then folds; the
// control's block searches look at markerId alone, the host's scans at the low byte.
TEST_F(MarkersTest, BlockStartsAndTheLowByte) {
    SetText("a proc\r\nb proc\r\nc proc\r\nd proc\r\ne proc\r\nplain\r\ng proc\r\nh proc\r\nend");
    const uint32_t before[] = {0x100, 0x30, 0x42, 0x05, 0x85, 0x80, 0x90, 0x80};
    const uint32_t idsBefore[] = {0, 5, 1, 0, 0, 0, 0, 9};
    const uint32_t after[] = {0x180, 0x30, 0x42, 0x85, 0x85, 0x80, 0x90, 0x80};
    const uint32_t idsAfter[] = {1, 5, 1, 1, 1, 0, 0, 9};
    for (LineNumber line = 0; line < 8; ++line) {
        Rec(line).setFlags(before[line]);
        Rec(line).setMarkerId(idsBefore[line]);
    }
    MarkBlockStarts(*ed, "$ proc");
    MarkBlockStarts(*ed, nullptr);
    for (LineNumber line = 0; line < 8; ++line) {
        EXPECT_EQ(Flags(line), after[line]) << line;
        EXPECT_EQ(Id(line), idsAfter[line]) << line;
    }
    EXPECT_EQ(Rec(3).markerLine(), 3u);
    // The host's scans see only 0x30 and 0x40: marked starts stay out of its lists.
    EXPECT_EQ(FindNextMarker(*ed, 0, kMarkerBlockOpen), kNoLine);
    ASSERT_EQ(platform.invalidations.size(), 2u);
    EXPECT_EQ(platform.invalidations[0].window, ed->panes[1].hwnd);
    EXPECT_TRUE(platform.invalidations[1].whole && !platform.invalidations[1].erase);

    // A text marked as loading marks it: folding every block folds each of them.
    SetText(kDoc);
    MarkBlockStarts(*ed, kProcs.start);
    EXPECT_EQ(FoldAllBlocks(*ed, &kProcs), 2u);
    EXPECT_EQ(HiddenLines(), (std::vector<LineNumber>{2, 3, 6}));
    EXPECT_EQ(Id(1), kMarkerBlockFolded);
    EXPECT_EQ(Id(5), kMarkerBlockFolded);
    ExpectNoStrandedLines();

    // A highlighted open block: folded and unfolded by the block searches, unseen
    // by the host's.
    SetText(kDoc);
    UnfoldBlock(*ed, 5);
    Rec(5).setFlags(Flags(5) | 2);
    EXPECT_EQ(FindNextMarker(*ed, 0, kMarkerBlockOpen), kNoLine);
    EXPECT_EQ(FoldAllBlocks(*ed, &kProcs), 1u);
    EXPECT_TRUE(Hidden(6));
    EXPECT_EQ(FindPrevMarker(*ed, 8, kMarkerBlockFolded), kNoLine);
    EXPECT_EQ(UnfoldAllBlocks(*ed), 1u);
    EXPECT_FALSE(Hidden(6));
    EXPECT_EQ(Flags(5) & 0xFF, 0x42u);
}

// The control's own unfolds open only the folded block that hides a line; they
// never stamp a bookmark, and a line the host hid itself stays hidden.
TEST_F(MarkersTest, TheCaretOpensOnlyItsOwnBlock) {
    FoldBlock(*ed, 1, &kProcs);
    FoldBlock(*ed, 5, &kProcs);
    SetLineMarker(*ed, 7, 9);  // a bookmark, the current marker
    SetLineHidden(*ed, 8, 1);  // the host's own
    ed->currentMarkerId = 33;

    auto caretTo = [&](LineNumber line) {
        ed->caretPos = ed->selAnchor = LineStart(*ed, line) + 1;
        return BringCaretIntoView(*ed);
    };
    EXPECT_EQ(caretTo(8), -1);  // hidden by the host below a bookmark: nothing
    EXPECT_EQ(HiddenLines(), (std::vector<LineNumber>{2, 3, 6, 8}));
    EXPECT_EQ(Id(7), 9u);
    EXPECT_FALSE(UnfoldFoldedBlock(*ed, 7));

    EXPECT_EQ(caretTo(6), 0);  // only the second block opens
    EXPECT_EQ(HiddenLines(), (std::vector<LineNumber>{2, 3, 8}));
    EXPECT_EQ(Id(1), kMarkerBlockFolded);
    EXPECT_EQ(Id(5), kMarkerBlockOpen);
    EXPECT_EQ(ed->currentMarkerId, 33u);

    // Folded starts among the hidden lines (one the host hid, one folded inside
    // it): the topmost opens and shows every line of its run.
    UnfoldBlock(*ed, 1);
    FoldBlock(*ed, 2, &kProcs);
    FoldBlock(*ed, 1, &kProcs);
    SetLineHidden(*ed, 1, 1);
    EXPECT_EQ(FoldedHeaderOf(*ed, 3), 1u);
    EXPECT_EQ(FoldedHeaderOf(*ed, 1), kNoLine);
    EXPECT_EQ(caretTo(3), 0);
    EXPECT_EQ(HiddenLines(), (std::vector<LineNumber>{1, 8}));
    EXPECT_EQ(ed->currentMarkerId, 33u);
}

TEST_F(MarkersTest, BookmarksOnFoldedStartsAndClearing) {
    FoldBlock(*ed, 1, &kProcs);
    SetLineMarker(*ed, 1, 57);  // the block opens first: its lines keep a start
    EXPECT_TRUE(HiddenLines().empty());
    EXPECT_EQ(Id(1), 57u);
    EXPECT_EQ(ed->currentMarkerId, 57u);

    FoldBlock(*ed, 5, &kProcs);
    Rec(5).setFlags(Flags(5) | 1);  // highlighted: the host's scans skip it
    SetLineMarker(*ed, 0, 5);
    SetLineHidden(*ed, 8, 1);
    ClearMarkers(*ed);
    EXPECT_EQ(HiddenLines(), (std::vector<LineNumber>{8}));  // the host's line stays hidden
    EXPECT_EQ(Id(5), kMarkerBlockOpen);  // opened, then not seen by the clearing
    EXPECT_EQ(Flags(5), 0x41u);
    EXPECT_EQ(Id(0), 0u);
    EXPECT_EQ(Id(1), 0u);
    EXPECT_EQ(Flags(1), 0u);
}

TEST_F(MarkersTest, BadArgumentsChangeNothing) {
    FoldBlock(*ed, 5, &kProcs);
    SetLineMarker(*ed, 2, 5);
    ed->panes[0].topLine = 3;
    const BlockPatterns noEnd = {"$ proc", nullptr};
    const std::string state = State();
    for (LineNumber line : {9u, 10u, kNoLine}) {
        EXPECT_FALSE(FoldBlock(*ed, line, &kProcs));  // kNoLine must not wrap to line 0
        UnfoldBlock(*ed, line);
        SetLineMarker(*ed, line, 3);
        SetLineHidden(*ed, line, 1);
        SetLineLocked(*ed, line, 1);
        EXPECT_EQ(GetLineMarker(*ed, line), kNoMarker);
        EXPECT_EQ(FindNextMarker(*ed, line, 5), kNoLine);
        EXPECT_EQ(FindPrevMarker(*ed, line, 5), kNoLine);
        EXPECT_EQ(IsLineHidden(*ed, line), 0u);
        EXPECT_FALSE(UnfoldFoldedBlock(*ed, line));
    }
    // Id 0 is what every unmarked line carries: it selects nothing.
    EXPECT_EQ(FindMarker(*ed, 0), kNoLine);
    EXPECT_EQ(FindMarker(*ed, 99), kNoLine);
    EXPECT_FALSE(FoldBlock(*ed, 1, nullptr));
    EXPECT_FALSE(FoldBlock(*ed, 1, &noEnd));
    EXPECT_EQ(FoldAllBlocks(*ed, &noEnd), 0u);
    EXPECT_EQ(FoldAllBlocks(*ed, nullptr), 0u);
    EXPECT_EQ(State(), state);
}

TEST_F(MarkersTest, HidingALineResetsTheCachesFromIt) {
    ed->panes[0].topLine = 5;
    ed->panes[0].topLineY = 75;
    ed->panes[0].topLineStart = LineStart(*ed, 5);
    ed->panes[1].topLine = 3;
    SetLineHidden(*ed, 4, 1);
    EXPECT_EQ(ed->panes[0].topLine, 0u);
    EXPECT_EQ(ed->panes[0].topLineY, 0u);
    EXPECT_EQ(ed->panes[0].topLineStart, 0u);
    EXPECT_EQ(ed->panes[1].topLine, 3u);
    SetLineHidden(*ed, 3, 1);  // the top line itself would be a row no longer
    EXPECT_EQ(ed->panes[1].topLine, 0u);
    EXPECT_EQ(ed->hiddenLineCount, 2u);
    SetLineHidden(*ed, 3, 1);
    EXPECT_EQ(ed->hiddenLineCount, 2u);
    SetLineHidden(*ed, 3, 0);
    SetLineHidden(*ed, 4, 0);
    EXPECT_EQ(ed->hiddenLineCount, 0u);

    // Showing one line of a folded block opens the whole block.
    FoldBlock(*ed, 1, &kProcs);
    SetLineHidden(*ed, 3, 0);
    EXPECT_TRUE(HiddenLines().empty());
    EXPECT_EQ(Id(1), kMarkerBlockOpen);
}

// Every edit first opens the folded blocks on the lines it touches; block 1-4 is
// folded before each case, and the second block only where the case says.
TEST_F(MarkersTest, NoEditStrandsHiddenLines) {
    struct Case {
        const char* name;
        std::function<void()> edit;
        std::vector<LineNumber> hidden;  // afterwards
    };
    auto at = [&](LineNumber line, uint32_t column) { return LineStart(*ed, line) + column; };
    auto caret = [&](CharIndex anchor, CharIndex caretPos) { Select(anchor, caretPos); };
    const Case cases[] = {
        {"Backspace at column 0 of the start joins it to the line above",
         [&] { caret(at(1, 0), at(1, 0)); BackspaceKey(*ed); }, {}},
        {"Delete at the end of the start", [&] { caret(at(1, 9), at(1, 9)); DeleteKey(*ed); }, {}},
        {"Backspace at column 0 of the end line joins a hidden line",
         [&] { caret(at(4, 0), at(4, 0)); BackspaceKey(*ed); }, {}},
        {"a range from the first line into the block",
         [&] { caret(at(0, 2), at(2, 3)); ClearSelection(*ed); }, {}},
        {"a text with line breaks at the end line's start stays outside",
         [&] { caret(at(4, 0), at(4, 0)); ReplaceSelection(*ed, "a\r\nb", true); }, {2, 3}},
        {"undo of a join splits the start line",
         [&] {
             UnfoldBlock(*ed, 1);
             caret(at(1, 0), at(1, 0));
             BackspaceKey(*ed);  // "start:main proc" is now line 0
             FoldBlock(*ed, 0, &kProcs);
             UndoCommand(*ed);
         },
         {}},
        {"redo of a join",
         [&] {
             UnfoldBlock(*ed, 1);
             caret(at(1, 0), at(1, 0));
             BackspaceKey(*ed);
             UndoCommand(*ed);
             FoldBlock(*ed, 1, &kProcs);
             RedoCommand(*ed);
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetText(kDoc);
        ASSERT_TRUE(FoldBlock(*ed, 1, &kProcs));
        c.edit();
        ExpectNoStrandedLines();
        EXPECT_EQ(HiddenLines(), c.hidden);
    }
}

}  // namespace
}  // namespace qv::test
