// The line painter, through a recording surface: which characters end up in which
// colour, font and place, what is filled, and what the painter tells its caller.
//
// Rows are shown as one letter per 8-pixel cell from the text origin: the colour of
// the glyph finally drawn there (label reach-back overdraws earlier glyphs), a blank
// where nothing is drawn (spaces, tabs, the line's closing CR).
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/support/CoreFixture.h"
#include "core/support/DocumentBuilder.h"
#include "core/support/RecordingSurface.h"
#include "render/KeywordTable.h"
#include "render/LinePainter.h"
#include "store/LineRecord.h"

namespace qv::test {
namespace {

constexpr int32_t kX0 = 11;  // text origin: a 10-pixel marker margin and one pixel
constexpr int32_t kRowHeight = 16;
constexpr int32_t kRight = 1000;
constexpr int32_t kCell = 8;
constexpr int32_t kRise = 3;

// Keyword groups, each with a letter of its own in the rows.
constexpr uint32_t kKeyword = 0x00A0A0A0;        // K
constexpr uint32_t kStyle4Keyword = 0x04B0B0B0;  // F: colours the next word
constexpr uint32_t kStyle1Keyword = 0x01C0C0C0;  // B: drawn in slot 1
constexpr uint32_t kStyle3Keyword = 0x03D0D0D0;  // T: slot 3, raised
constexpr uint32_t kStyle5Keyword = 0x05E0E0E0;  // Z: not drawn

FontRef Font(uintptr_t slot) {
    return reinterpret_cast<FontRef>(0xF00 + slot);
}
BrushRef Brush(uintptr_t index) {
    return reinterpret_cast<BrushRef>(0xB00 + index);
}

class LinePainterTest : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        ASSERT_TRUE(CreateKeywordStorage());
        // Distinct colours, so that every role shows; the default style codes stay.
        for (uint32_t i = 0; i < kColorCount; ++i)
            ed->colors[i] = (kDefaultColors[i] & 0xFF000000u) | (0x100000u + 0x10 * i);
        for (uint32_t i = 0; i < kFontSlotCount; ++i) ed->fonts[i] = Font(i);
        for (uint32_t i = 0; i < kBrushCount; ++i) ed->brushes[i] = Brush(i);
        ed->charWidth = 8;
        ed->lineHeight = kRowHeight;
        ed->spaceWidth = 8;
        ed->tabPixelWidth = 24;
        ed->fixedPitch = 1;
        ed->altFontRise = kRise;
        ed->altFontsEnabled = 1;
        AddKeywords(kKeyword, "mov,push,include-,rem+");
        AddKeywords(kStyle4Keyword, "call");
        AddKeywords(kStyle1Keyword, "bold");
        AddKeywords(kStyle3Keyword, "high");
        AddKeywords(kStyle5Keyword, "zap");
    }
    void TearDown() override {
        ReleaseKeywordStorage();
        CoreFixture::TearDown();
    }

    void Doc(const std::vector<std::string>& lines) { BuildLines(*ed, lines); }
    void Select(CharIndex anchor, CharIndex caret) {
        ed->selAnchor = anchor;
        ed->caretPos = caret;
    }
    CharIndex StartOf(LineNumber line) const {
        CharIndex start = 0;
        for (LineNumber l = 0; l < line; ++l) start += LineRecordOf(*ed, l).length();
        return start;
    }

    std::unique_ptr<RecordingSurface> PaintRow(LineNumber line, int32_t top = 0, int32_t right = kRight) {
        auto surface = std::make_unique<RecordingSurface>(Font(0));
        PaintLine(*ed, RecordOffset(*ed, line), StartOf(line), *surface,
                  Rect{kX0, top, right, top + kRowHeight});
        return surface;
    }

    char Letter(uint32_t rgb) const {
        static const std::pair<uint32_t, char> roles[] = {
            {kColorText, 't'},   {kColorSelectedText, 's'}, {kColorComment, 'c'},    {kColorString, 'g'},
            {kColorQuote, 'q'},  {kColorClass3, '3'},       {kColorClass4, '4'},     {kColorClass5, '5'},
            {kColorClass2, '2'}, {kColorLabel, 'L'},        {kColorUnderscore, 'u'}, {kColorAfterStyle4, 'w'},
        };
        for (const auto& role : roles)
            if ((ed->colors[role.first] & 0xFFFFFF) == rgb) return role.second;
        static const std::pair<uint32_t, char> groups[] = {
            {kKeyword, 'K'}, {kStyle4Keyword, 'F'}, {kStyle1Keyword, 'B'}, {kStyle3Keyword, 'T'}};
        for (const auto& group : groups)
            if ((group.first & 0xFFFFFF) == rgb) return group.second;
        if (rgb == 0xFFFFFF) return 'W';
        if (rgb == 0) return '0';
        return '?';
    }
    std::string Row(const RecordingSurface& surface, LineNumber line) const {
        std::vector<RecordingSurface::Cell> cells = surface.Cells(kX0, kCell);
        std::string row(std::max<size_t>(cells.size(), LineRecordOf(*ed, line).length()), ' ');
        for (size_t i = 0; i < cells.size(); ++i)
            if (cells[i].drawn) row[i] = Letter(cells[i].color);
        return row;
    }
    std::string Paint(LineNumber line = 0) { return Row(*PaintRow(line), line); }
    std::vector<std::string> PaintAll() {
        std::vector<std::string> rows;
        for (LineNumber line = 0; line < LineCount(*ed); ++line)
            rows.push_back(Row(*PaintRow(line, kRowHeight * static_cast<int32_t>(line)), line));
        return rows;
    }
    static std::vector<std::string> Texts(const RecordingSurface& surface) {
        std::vector<std::string> texts;
        for (const auto& d : surface.draws) texts.push_back(d.text);
        return texts;
    }
    static const RecordingSurface::Draw* DrawOf(const RecordingSurface& surface, const std::string& text) {
        for (const auto& d : surface.draws)
            if (d.text == text) return &d;
        return nullptr;
    }
};

// ---- Syntax colours ----------------------------------------------------------------------

TEST_F(LinePainterTest, NumbersAreWordRunsWithoutAColourOfTheirOwn) {
    Doc({"0FFh 123 x.y\r"});
    auto surface = PaintRow(0);
    EXPECT_EQ(Row(*surface, 0), "tttt ttt ttt ");
    EXPECT_EQ(Texts(*surface), (std::vector<std::string>{"0FFh", "123", "x.y"}));  // whole runs
    AddKeywords(kKeyword, "123");
    EXPECT_EQ(Paint(), "tttt KKK ttt ");
}

TEST_F(LinePainterTest, KeywordsMatchInAnyAsciiCaseAndOnlyWhole) {
    Doc({"MOV Mov mov movx xmov\r"});
    EXPECT_EQ(Paint(), "KKK KKK KKK tttt tttt ");
}

TEST_F(LinePainterTest, LabelColonColoursTheTokenBeforeIt) {
    Doc({"label: mov eax\r", "  a.b,x:\r"});
    EXPECT_EQ(PaintAll(), (std::vector<std::string>{"LLLLLL KKK ttt ", "  ttt3LL "}));
}

TEST_F(LinePainterTest, UnderscoreJoinsAnIdentifierIntoOneColour) {
    Doc({"my_var x\r"});
    EXPECT_EQ(Paint(), "uuuuuu t ");
}

TEST_F(LinePainterTest, WordAfterAStyle4KeywordTakesColour25JoinedPartsIncluded) {
    Doc({"call x_y z\r", "call\r", "next x\r"});
    EXPECT_EQ(PaintAll(), (std::vector<std::string>{"FFFF www t ", "FFFF ", "wwww t "}));
}

TEST_F(LinePainterTest, SemicolonStartsACommentToTheLineEnd) {
    Doc({"mov ; a \"b\" mov\r"});
    EXPECT_EQ(Paint(), "KKK c c ccc ccc ");
}

TEST_F(LinePainterTest, SemicolonInsideAStringIsStringContent) {
    Doc({"x \"a;b\" ; y\r"});
    EXPECT_EQ(Paint(), "t qgggq c c ");
}

TEST_F(LinePainterTest, ApostropheStringHoldsADoubleQuoteAlsoWhenSelected) {
    Doc({"'a\"b' x\r"});
    EXPECT_EQ(Paint(), "qgggq t ");
    Select(1, 4);
    EXPECT_EQ(Paint(), "qsssq t ");
    Select(0, 5);
    EXPECT_EQ(Paint(), "sssss t ");
    Select(2, 0);
    EXPECT_EQ(Paint(), "ssggq t ");
}

TEST_F(LinePainterTest, CharacterClassesTakeTheirColours) {
    Doc({"($,\\*<!|`~ a\r"});
    EXPECT_EQ(Paint(), "22334455tt t ");
}

// ---- Keyword flags --------------------------------------------------------------------------

TEST_F(LinePainterTest, MinusFlagLeavesTheRestOfTheLinePlain) {
    Doc({"include \"x\" ;c y\r"});
    EXPECT_EQ(Paint(), "KKKKKKK ttt tt t ");
}

TEST_F(LinePainterTest, PlusFlagMakesTheRestOfTheLineAComment) {
    Doc({"rem x \"y\" mov\r"});
    EXPECT_EQ(Paint(), "KKK c ccc ccc ");
}

TEST_F(LinePainterTest, BackslashSevenOrThirteenAfterAKeywordCancelsItUnlessItStartsWithD) {
    AddKeywords(kKeyword, "in,db");
    Doc({"in abcd\\x\r", "in abcdefghij\\x\r", "in abcde\\x\r", "db abcd\\x\r"});
    EXPECT_EQ(PaintAll(),
              (std::vector<std::string>{"tt tttttt ", "tt tttttttttttt ", "KK ttttt3t ", "KK tttt3t "}));
}

// ---- Block comments -------------------------------------------------------------------------

TEST_F(LinePainterTest, TCaretOpensABlockCommentAcrossLinesUpToTheNextCaret) {
    Doc({"x t^ a\r", "mov b\r", "c ^ mov\r", "mov\r"});
    EXPECT_EQ(PaintAll(), (std::vector<std::string>{"t tc c ", "ccc c ", "c c KKK ", "KKK "}));
}

TEST_F(LinePainterTest, TCaretWithABlankBetweenOpensNothing) {
    Doc({"t ^ a\r", "mov\r"});
    EXPECT_EQ(PaintAll(), (std::vector<std::string>{"t c t ", "KKK "}));
}

TEST_F(LinePainterTest, ABlockCommentShowsOnlyAfterAPaintPassedItsOpening) {
    Doc({"t^\r", "mov\r"});
    EXPECT_EQ(Paint(1), "KKK ");
    Paint(0);
    EXPECT_EQ(Paint(1), "ccc ");
}

// ---- The block word ------------------------------------------------------------------------

TEST_F(LinePainterTest, BlockWordCountsAfterABlankOrBeforeATab) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"x proc\r", 1},   {"x PROC\r", 1},   {"main\tproc uses\r", 1}, {"x:proc\tx\r", 1},
        {"proc\r", 0},     {"x Proc\r", 0},   {"x procedure\r", 0},     {"xproc\r", 0},
        {"x:proc x\r", 0}, {"; x proc\r", 1},
    };
    for (const auto& c : cases) {
        Doc({c.first});
        PainterStateOf(*ed).blockWordSeen = 0;
        Paint();
        EXPECT_EQ(PainterStateOf(*ed).blockWordSeen, c.second) << c.first;
    }
}

TEST_F(LinePainterTest, ASelectionBoundDoesNotChangeTheBlockWord) {
    // The bound cuts "proc" out of a longer word: the cut run is not the block word.
    Doc({"x procedure\r", "a xproc\tz\r"});
    Select(6, 11);
    PainterStateOf(*ed).blockWordSeen = 0;
    Paint(0);
    EXPECT_EQ(PainterStateOf(*ed).blockWordSeen, 0u);
    Select(StartOf(1) + 3, StartOf(1) + 7);
    Paint(1);
    EXPECT_EQ(PainterStateOf(*ed).blockWordSeen, 0u);
    // A bound inside the block word itself does not hide it.
    Doc({"x proc\r"});
    Select(3, 4);
    Paint(0);
    EXPECT_EQ(PainterStateOf(*ed).blockWordSeen, 1u);
}

// ---- Selection ---------------------------------------------------------------------------------

TEST_F(LinePainterTest, ASelectionEndingInsideAWordSplitsItsRun) {
    Doc({"mov eax\r"});
    Select(0, 2);
    auto surface = PaintRow(0);
    EXPECT_EQ(Row(*surface, 0), "ssK ttt ");
    ASSERT_EQ(surface->fills.size(), 1u);
    EXPECT_EQ(surface->fills[0].brush, Brush(kBrushSelection));
    EXPECT_EQ(surface->fills[0].rect.left, kX0);
    EXPECT_EQ(surface->fills[0].rect.right, kX0 + 16);
    EXPECT_EQ(surface->fills[0].rect.bottom - surface->fills[0].rect.top, kRowHeight);

    Select(5, 0);
    surface = PaintRow(0);
    EXPECT_EQ(Row(*surface, 0), "sss stt ");
    EXPECT_NE(DrawOf(*surface, "mov"), nullptr);  // a run ending inside the selection is drawn whole
    const RecordingSurface::Draw* rest = DrawOf(*surface, "ax");  // the rest of the word, whole
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(Letter(rest->color), 't');
    EXPECT_EQ(rest->rect.left, kX0 + 5 * kCell);
}

TEST_F(LinePainterTest, ALineHoldingOnlyItsCRShowsASelectionOneSpaceWide) {
    Doc({"a\r", "\r", "b\r"});
    Select(0, 6);
    auto surface = PaintRow(1);
    EXPECT_TRUE(surface->draws.empty());
    ASSERT_EQ(surface->fills.size(), 1u);
    EXPECT_EQ(surface->fills[0].rect.left, kX0);
    EXPECT_EQ(surface->fills[0].rect.right, kX0 + 8);
    EXPECT_EQ(StoredLines(*ed), (std::vector<std::string>{"a\r", "\r", "b\r"}));  // the CR is back
}

TEST_F(LinePainterTest, SelectionFillCoversItsPartOfTheLine) {
    Doc({"xy\r", "abcdef\r"});
    CharIndex s = StartOf(1);
    struct Case {
        CharIndex anchor, caret;
        int32_t left, right;
    };
    const Case cases[] = {
        {s + 2, s + 4, kX0 + 16, kX0 + 32},   // inside
        {1, s + 3, kX0, kX0 + 24},            // from an earlier line
        {s + 4, s + 99, kX0 + 32, kX0 + 56},  // through the line's end: its CR too
        {0, s + 99, kX0, kX0 + 56},           // the whole line
    };
    for (const Case& c : cases) {
        Select(c.anchor, c.caret);
        auto surface = PaintRow(1);
        ASSERT_EQ(surface->fills.size(), 1u);
        EXPECT_EQ(surface->fills[0].rect.left, c.left);
        EXPECT_EQ(surface->fills[0].rect.right, c.right);
    }
    Select(s + 7, s + 9);  // after the line
    EXPECT_TRUE(PaintRow(1)->fills.empty());
    Select(s + 2, s + 4);
    ed->hideSelection = 1;
    auto hidden = PaintRow(1);
    EXPECT_TRUE(hidden->fills.empty());
    EXPECT_EQ(Row(*hidden, 1), "tttttt ");
}

TEST_F(LinePainterTest, SelectedTextKeepsTheColouringOfWhatFollows) {
    Doc({"call x\r"});
    Select(0, 4);
    EXPECT_EQ(Paint(), "ssss w ");

    Doc({"t^ a\r", "b\r"});
    Select(0, 2);
    EXPECT_EQ(PaintAll(), (std::vector<std::string>{"ss c ", "c "}));

    PainterStateOf(*ed) = PainterState{};  // the block comment above is still open
    Doc({"my_var x\r"});
    Select(2, 3);  // the '_' alone
    EXPECT_EQ(Paint(), "ttsuuu t ");
}

// What a selection changes is only how its own characters look: the same line
// painted with and without it shows the same glyphs in the same places, and every
// unselected glyph in the same colour and font.
TEST_F(LinePainterTest, ASelectionChangesOnlyTheSelectedCharacters) {
    const std::vector<std::string> common = {
        "mov", "call", "x",    "eax", "include", "rem",  "'",  "\"",   ";",   "t^", "^", "(",    ",",
        "*",   "!",    "0FFh", "\t",  " ",       "proc", "\\", "bold", "zap", "d",  "=", "high", "in7"};
    std::mt19937 rng(90210);
    for (int round = 0; round < 400; ++round) {
        // Odd rounds add labels and '_' (whose colour reaches back over the token they
        // end) and keep the selection's bounds at token boundaries.
        bool reachBack = round % 2 == 1;
        std::vector<std::string> tokens = common;
        if (reachBack) tokens.insert(tokens.end(), {":", "_", "a_b", "lbl:"});
        std::vector<std::string> lines;
        int lineCount = 1 + static_cast<int>(rng() % 3);
        for (int l = 0; l < lineCount; ++l) {
            std::string line;
            int count = static_cast<int>(rng() % 9);
            for (int t = 0; t < count; ++t) line += tokens[rng() % tokens.size()];
            lines.push_back(line + "\r");
        }
        Doc(lines);
        std::string all;
        for (const auto& line : lines) all += line;

        auto paint = [&](CharIndex anchor, CharIndex caret) {
            Select(anchor, caret);
            PainterStateOf(*ed) = PainterState{};
            std::vector<std::vector<RecordingSurface::Cell>> rows;
            std::vector<uint32_t> blockWords;
            for (LineNumber line = 0; line < LineCount(*ed); ++line) {
                PainterStateOf(*ed).blockWordSeen = 0;
                rows.push_back(PaintRow(line)->Cells(kX0, kCell));
                blockWords.push_back(PainterStateOf(*ed).blockWordSeen);
            }
            return std::make_pair(rows, blockWords);
        };
        auto pickBound = [&]() -> CharIndex {
            for (;;) {
                CharIndex b = rng() % (all.size() + 1);
                if (!reachBack || b == 0 || b == all.size()) return b;
                char before = all[b - 1];
                if (before == ' ' || before == '\t' || before == '\r' || before == ',' || before == '=')
                    return b;
            }
        };
        auto plain = paint(0, 0);
        CharIndex anchor = pickBound(), caret = pickBound();
        auto selected = paint(anchor, caret);
        CharIndex lo = std::min(anchor, caret), hi = std::max(anchor, caret);

        std::string context = "lines:";
        for (const auto& line : lines) context += " [" + line + "]";
        context += " selection " + std::to_string(lo) + "-" + std::to_string(hi);
        EXPECT_EQ(selected.second, plain.second) << context;
        for (LineNumber line = 0; line < LineCount(*ed); ++line) {
            const auto& a = plain.first[line];
            const auto& b = selected.first[line];
            // With this fixed-pitch font and no tab on the line, cell i holds column i.
            bool columnsKnown = lines[line].find('\t') == std::string::npos;
            CharIndex start = StartOf(line);
            for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
                RecordingSurface::Cell was = i < a.size() ? a[i] : RecordingSurface::Cell{};
                RecordingSurface::Cell now = i < b.size() ? b[i] : RecordingSurface::Cell{};
                std::string where = context + " line " + std::to_string(line) + " cell " + std::to_string(i);
                bool isSelected = columnsKnown && start + i >= lo && start + i < hi;
                if (isSelected) {
                    // Every glyph shows, in the selected-text colour (a run of a hidden
                    // style too), or as comment inside a block comment.
                    char expected = lines[line][i];
                    ASSERT_EQ(now.drawn, expected != ' ' && expected != '\r') << where;
                    if (!now.drawn) continue;
                    EXPECT_EQ(now.ch, expected) << where;
                    char letter = Letter(now.color);
                    EXPECT_TRUE(letter == 's' || letter == 'c') << where << " letter " << letter;
                    continue;
                }
                if (!columnsKnown && (lo < start + lines[line].size() && hi > start)) continue;
                ASSERT_EQ(was.drawn, now.drawn) << where;
                if (!was.drawn) continue;
                EXPECT_EQ(was.ch, now.ch) << where;
                EXPECT_EQ(Letter(was.color), Letter(now.color)) << where;
                EXPECT_EQ(was.font, now.font) << where;
                EXPECT_EQ(was.top, now.top) << where;
            }
        }
    }
}

// ---- Highlights, plain and monochrome modes --------------------------------------------------

TEST_F(LinePainterTest, HighlightIndexChoosesABrushOrASystemColour) {
    Doc({"ab\r"});
    LineRecordView record = LineRecordOf(*ed, 0);
    record.setFlags(3);
    auto surface = PaintRow(0, 32);
    ASSERT_EQ(surface->fills.size(), 1u);
    EXPECT_EQ(surface->fills[0].brush, Brush(kBrushHilite1 + 2));
    EXPECT_EQ(surface->fills[0].rect.left, kX0);
    EXPECT_EQ(surface->fills[0].rect.right, kRight);
    EXPECT_EQ(surface->fills[0].rect.top, 32);
    EXPECT_EQ(surface->fills[0].rect.bottom, 32 + kRowHeight);

    record.setFlags(9 | 0x30);  // a marker kind beside it changes nothing
    surface = PaintRow(0);
    ASSERT_EQ(surface->fills.size(), 1u);
    EXPECT_EQ(surface->fills[0].brush, nullptr);
    EXPECT_EQ(surface->fills[0].sysColor, 8);

    // Highlight 6 has its own brush; selected text on it is white, and the highlight
    // lies under the selection.
    record.setFlags(6);
    Select(0, 1);
    surface = PaintRow(0);
    ASSERT_EQ(surface->fills.size(), 2u);
    EXPECT_EQ(surface->fills[0].brush, Brush(11));
    EXPECT_EQ(surface->fills[1].brush, Brush(kBrushSelection));
    EXPECT_EQ(Row(*surface, 0), "Wt ");
}

TEST_F(LinePainterTest, PlainAndMonochromeModesColourNothing) {
    Doc({"mov ; \"x\" a_b:\r"});
    ed->viewFlags = kViewPlain;
    EXPECT_EQ(Paint(), "ttt t ttt tttt ");
    ed->viewFlags = kViewPlain | kViewMonochrome;
    EXPECT_EQ(Paint(), "000 0 000 0000 ");
    Select(0, 3);
    EXPECT_EQ(Paint(), "sss 0 000 0000 ");
    Select(0, 0);
    LineRecordOf(*ed, 0).setFlags(6);
    EXPECT_EQ(Paint(), "WWW W WWW WWWW ");
    LineRecordOf(*ed, 0).setFlags(0);
    ed->viewFlags = kViewMonochrome;  // alone it changes nothing
    EXPECT_EQ(Paint(), "KKK c ccc cccc ");
}

TEST_F(LinePainterTest, MonochromeTextInsideAnOpenBlockCommentStaysComment) {
    Doc({"t^\r", "mov x\r"});
    Paint(0);
    ed->viewFlags = kViewPlain | kViewMonochrome;
    EXPECT_EQ(Paint(1), "ccc c ");
}

// ---- Fonts -------------------------------------------------------------------------------------

TEST_F(LinePainterTest, Style2RunsAreRaisedInTheirFontUnlessAltFontsAreOff) {
    Doc({"x ;c\r"});
    auto surface = PaintRow(0, 32);
    const RecordingSurface::Draw* x = DrawOf(*surface, "x");
    const RecordingSurface::Draw* comment = DrawOf(*surface, "c");
    ASSERT_NE(x, nullptr);
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(x->font, Font(0));
    EXPECT_EQ(x->rect.top, 32);
    EXPECT_EQ(comment->font, Font(2));
    EXPECT_EQ(comment->rect.top, 32 - kRise);
    EXPECT_EQ(surface->font, Font(0));  // restored after each draw

    ed->altFontsEnabled = 0;
    surface = PaintRow(0, 32);
    comment = DrawOf(*surface, "c");
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->font, Font(0));
    EXPECT_EQ(comment->rect.top, 32);
}

TEST_F(LinePainterTest, StyleCodesChooseTheFontSlot) {
    Doc({"bold high zap x\r"});
    auto surface = PaintRow(0, 32);
    EXPECT_EQ(Row(*surface, 0), "BBBB TTTT     t ");  // style 5 is not drawn
    EXPECT_EQ(DrawOf(*surface, "bold")->font, Font(1));
    EXPECT_EQ(DrawOf(*surface, "bold")->rect.top, 32);
    EXPECT_EQ(DrawOf(*surface, "high")->font, Font(3));
    EXPECT_EQ(DrawOf(*surface, "high")->rect.top, 32 - kRise);
    EXPECT_EQ(DrawOf(*surface, "zap"), nullptr);
    EXPECT_EQ(surface->font, Font(0));
}

TEST_F(LinePainterTest, ThePenAdvancesInTheTextFont) {
    Doc({"bold x\r"});
    ed->fixedPitch = 0;
    auto surface = std::make_unique<RecordingSurface>(Font(0));
    surface->otherFontScale = 2;  // slot 1 is twice as wide: measuring in it would show
    PaintLine(*ed, RecordOffset(*ed, 0), 0, *surface, Rect{kX0, 0, kRight, kRowHeight});
    ASSERT_NE(DrawOf(*surface, "x"), nullptr);
    EXPECT_EQ(DrawOf(*surface, "x")->rect.left, kX0 + 5 * kCell);
    for (const auto& m : surface->measures) EXPECT_EQ(m.font, Font(0)) << m.text;
}

TEST_F(LinePainterTest, AStyleFontLeftEmptyDrawsInTheTextFont) {
    Doc({"bold x\r"});
    ed->fonts[1] = nullptr;
    auto surface = PaintRow(0);
    EXPECT_EQ(Row(*surface, 0), "BBBB t ");
    EXPECT_EQ(DrawOf(*surface, "bold")->font, Font(0));
}

// ---- Pen movement ------------------------------------------------------------------------------

TEST_F(LinePainterTest, TabsAdvanceToTabStopsFromTheTextOrigin) {
    Doc({"\tab\t\tc\r", "\tWi\tx\r"});
    auto surface = PaintRow(0);
    EXPECT_EQ(DrawOf(*surface, "ab")->rect.left, kX0 + 24);
    EXPECT_EQ(DrawOf(*surface, "c")->rect.left, kX0 + 72);

    ed->fixedPitch = 0;
    surface = std::make_unique<RecordingSurface>(Font(0));
    surface->glyphWidth['W'] = 20;  // "Wi" ends at 52: the tab goes on to 72
    PaintLine(*ed, RecordOffset(*ed, 1), StartOf(1), *surface, Rect{kX0, 0, kRight, kRowHeight});
    EXPECT_EQ(DrawOf(*surface, "Wi")->rect.left, kX0 + 24);
    EXPECT_EQ(DrawOf(*surface, "x")->rect.left, kX0 + 72);
}

TEST_F(LinePainterTest, PaintsBeforeAnyFontIsMeasured) {
    Doc({"a\tb c\r"});
    ed->charWidth = 0;
    ed->tabPixelWidth = 0;
    ed->spaceWidth = 0;
    ed->fixedPitch = 0;
    ed->lineHeight = 15;
    auto surface = PaintRow(0);
    ASSERT_EQ(Texts(*surface), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(surface->draws[1].rect.left, kX0 + 8);  // tabs and spaces take no room yet
    EXPECT_EQ(surface->draws[2].rect.left, kX0 + 16);
}

TEST_F(LinePainterTest, AnOverhangingFontNarrowsUnselectedSpacesAndPullsSelectedGlyphsBack) {
    Doc({"a b c\r"});
    ed->overhang = 2;
    auto surface = PaintRow(0);
    EXPECT_EQ(DrawOf(*surface, "b")->rect.left, kX0 + 8 + 7);
    EXPECT_EQ(DrawOf(*surface, "c")->rect.left, kX0 + 8 + 7 + 8 + 7);
    Select(2, 3);
    surface = PaintRow(0);
    EXPECT_EQ(DrawOf(*surface, "b")->rect.left, kX0 + 8 + 7 - 2);
}

TEST_F(LinePainterTest, RunsPastTheRightLimitAreNotProcessed) {
    Doc({"aaaa bbbb cccc x proc\r"});
    PainterStateOf(*ed).blockWordSeen = 0;
    auto surface = PaintRow(0, 0, kX0 + 50);
    EXPECT_EQ(Texts(*surface), (std::vector<std::string>{"aaaa", "bbbb"}));
    EXPECT_EQ(PainterStateOf(*ed).blockWordSeen, 0u);
}

TEST_F(LinePainterTest, DoubleByteCharactersAreDrawnAndMeasuredAsPairs) {
    Doc({"\xB0\xA1x\r", "x\xB0"});
    ed->dbcsCharSet = 134;
    auto surface = PaintRow(0);
    ASSERT_EQ(surface->draws.size(), 2u);
    EXPECT_EQ(surface->draws[0].text, "\xB0\xA1");
    EXPECT_EQ(surface->draws[0].format, 0x28E0u);
    EXPECT_EQ(surface->draws[1].rect.left, kX0 + 16);
    EXPECT_EQ(surface->draws[1].format, 0x29E0u);
    bool measuredPair = false;
    for (const auto& m : surface->measures) measuredPair |= m.text == "\xB0\xA1" && m.format == 0x2CE0u;
    EXPECT_TRUE(measuredPair);

    // A lead byte ending the line has no partner to take.
    surface = PaintRow(1);
    EXPECT_EQ(Texts(*surface), (std::vector<std::string>{"x", "\xB0"}));
    EXPECT_EQ(surface->draws[1].format, 0x29E0u);
}

TEST_F(LinePainterTest, APairedCharacterSetDrawsPairsExceptTheFFFEMark) {
    Doc({"ab\xFF\xFE\r"});
    ed->pairedCharSet = 186;
    auto surface = PaintRow(0);
    ASSERT_GE(surface->draws.size(), 2u);
    EXPECT_EQ(surface->draws[0].text, "ab");
    EXPECT_EQ(surface->draws[0].format, 0x28E0u);
    EXPECT_EQ(surface->draws[1].text, "\xFF");
    EXPECT_EQ(surface->draws[1].format, 0x29E0u);
}

// ---- Rows that are not drawn -------------------------------------------------------------------

TEST_F(LinePainterTest, HiddenLinesAndRowsOffTheSurfaceDrawNothing) {
    Doc({"mov\r", "x\r"});
    LineRecordOf(*ed, 0).setFlags(kFlagHidden | 3);
    auto surface = PaintRow(0);
    EXPECT_TRUE(surface->draws.empty() && surface->fills.empty() && surface->colorsSet.empty());
    LineRecordOf(*ed, 0).setFlags(0);

    auto paintAt = [&](int32_t top, int32_t bottom) {
        RecordingSurface s(Font(0));
        PaintLine(*ed, RecordOffset(*ed, 1), 4, s, Rect{kX0, top, kRight, bottom});
        return s.draws.size();
    };
    EXPECT_EQ(paintAt(20, 20), 0u);  // empty row
    EXPECT_EQ(paintAt(-16, 0), 0u);  // wholly above the surface
    EXPECT_EQ(paintAt(-15, 1), 1u);  // one pixel row shows

    RecordingSurface s(Font(0));
    PaintLine(*ed, ed->lineHeapSize - 4, 0, s, Rect{kX0, 0, kRight, kRowHeight});  // no record there
    EXPECT_TRUE(s.draws.empty());
}

// ---- Column selection -------------------------------------------------------------------------

TEST_F(LinePainterTest, ColumnSelectionShowsABandOverTheSelectedLines) {
    Doc({"abcdef\r", "ghijkl\r", "mn\r", "stuvwx\r"});
    ed->columnSelMode = 1;
    ed->columnSelStartCol = 1;
    ed->columnSelEndCol = 4;
    Select(1, StartOf(2) + 2);  // dragged from line 0 column 1 down to line 2
    std::vector<std::string> rows = PaintAll();
    EXPECT_EQ(rows, (std::vector<std::string>{"tssstt ", "tssstt ", "ts ", "tttttt "}));

    auto surface = PaintRow(1);
    ASSERT_EQ(surface->fills.size(), 1u);
    EXPECT_EQ(surface->fills[0].brush, Brush(kBrushSelection));
    EXPECT_EQ(surface->fills[0].rect.left, kX0 + 8);
    EXPECT_EQ(surface->fills[0].rect.right, kX0 + 32);
    surface = PaintRow(3);
    EXPECT_TRUE(surface->fills.empty());
}

// ---- Long lines painted from right of their start ------------------------------------------

// A line scrolled far to the right draws, and leaves the painter's state, exactly as
// when it is coloured from its first character, whether or not its last paint left a
// point to resume at: across edits before and after that point, selections, moves of
// the visible edge, colour and keyword changes and every start state.
TEST_F(LinePainterTest, ALongLinePaintsTheSameWhetherItResumesOrNot) {
    const char* const tokens[] = {"mov", "push", "call", "bold", "high", "zap", "word", "x1", "label:",
                                  "a_b", "\"str;\"", "'q'", "[esi+4]", ",", " ", "  ", "\t", "t^", "^",
                                  "proc", "\\", "d\\", "include", "rem", ";c"};
    std::mt19937 rng(20261207);
    auto pick = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
    std::string line;
    while (line.size() < 9000) {
        const uint32_t t = pick(sizeof tokens / sizeof *tokens);
        // Comment and rest-of-line keywords are rare, or most lines would end plain.
        if (t >= 22 && pick(40) != 0) continue;
        line += tokens[t];
        if (pick(3) == 0) line += ' ';
    }
    const uint32_t starts[] = {0, 4, 6, 7};
    uint64_t resumedPaints = 0;
    int32_t edge = 0;
    PainterState start{};
    for (int round = 0; round < 300; ++round) {
        switch (pick(8)) {
            case 0: {  // an edit anywhere
                const uint32_t at = pick(static_cast<uint32_t>(line.size()));
                if (pick(2) == 0)
                    line.insert(at, tokens[pick(sizeof tokens / sizeof *tokens)]);
                else
                    line.erase(at, 1 + pick(4));
                break;
            }
            case 2:
                ed->colors[kColorString] ^= 0x10;
                break;
            case 3:
                if (pick(4) == 0) AddKeywords(kKeyword, pick(2) ? "word" : "x1");
                break;
            default:
                break;  // painted again unchanged
        }
        Doc({line + "\r"});
        const uint32_t length = static_cast<uint32_t>(line.size() + 1);
        if (pick(3) == 0) {
            const uint32_t a = pick(length), b = pick(length);
            Select(a, b);
        } else {
            Select(0, 0);
        }
        ed->fixedPitch = pick(4) == 0 ? 1 : 0;
        if (pick(6) == 0) start = PainterState{starts[pick(4)], 0, 0};
        // The visible edge jumps now and then and otherwise moves a little, mostly right.
        if (round == 0 || pick(10) == 0) edge = static_cast<int32_t>(pick(length * 8 + 400));
        else edge = std::max(0, edge + static_cast<int32_t>(pick(161)) - 40);
        // The row starts where the line's first character lies, left of the text
        // area's visible edge by the scroll.
        const int32_t visibleLeft = kX0;
        const Rect row{kX0 - edge, 0, kX0 + 600, kRowHeight};

        auto paint = [&](RecordingSurface& surface) {
            PainterStateOf(*ed) = start;
            PaintLine(*ed, RecordOffset(*ed, 0), 0, surface, row, visibleLeft);
            return PainterStateOf(*ed);
        };
        RecordingSurface kept(Font(0)), fresh(Font(0));
        const PainterState afterKept = paint(kept);
        ForgetResumePoints(*ed);
        const PainterState afterFresh = paint(fresh);
        if (round % 2 == 0) ForgetResumePoints(*ed);  // half the rounds resume from the fresh paint's point

        ASSERT_EQ(kept.draws.size(), fresh.draws.size()) << "round " << round;
        for (size_t i = 0; i < kept.draws.size(); ++i) {
            const auto &k = kept.draws[i], &f = fresh.draws[i];
            ASSERT_EQ(k.text, f.text) << "round " << round << " draw " << i;
            ASSERT_EQ(k.rect.left, f.rect.left) << "round " << round << " draw " << i;
            ASSERT_EQ(k.rect.top, f.rect.top);
            ASSERT_EQ(k.color, f.color) << "round " << round << " draw " << i;
            ASSERT_EQ(k.font, f.font);
            ASSERT_EQ(k.format, f.format);
        }
        ASSERT_EQ(kept.colorsSet, fresh.colorsSet) << "round " << round;
        ASSERT_EQ(kept.fills.size(), fresh.fills.size());
        ASSERT_EQ(afterKept.pendingWordColor, afterFresh.pendingWordColor) << "round " << round;
        ASSERT_EQ(afterKept.blockCommentMark, afterFresh.blockCommentMark);
        ASSERT_EQ(afterKept.blockWordSeen, afterFresh.blockWordSeen);
        resumedPaints += kept.measures.size() < fresh.measures.size() ? 1 : 0;
    }
    // The rounds with a proportional font measure their runs: fewer measurements
    // show that those paints did resume.
    EXPECT_GT(resumedPaints, 10u);
}

}  // namespace
}  // namespace qv::test

