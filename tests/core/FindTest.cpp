// Searching forwards and backwards, with case folding and whole words, against the
// stored lines; and against a plain search over the flat text as a model.
#include <random>
#include <string>
#include <vector>

#include "core/support/CoreFixture.h"
#include "core/support/DocumentBuilder.h"
#include "edit/Find.h"
#include "store/LineRecord.h"

namespace qv::test {
namespace {

constexpr uint32_t kBack = 0;

class FindTest : public CoreFixture {
protected:
    CharIndex Find(uint32_t flags, int32_t cpMin, int32_t cpMax, const char* pattern) {
        FindRequest request = {cpMin, cpMax, pattern, nullptr};
        return FindText(*ed, flags, request, false);
    }
};

TEST_F(FindTest, NothingToSearchFindsNothing) {
    BuildLines(*ed, {"ab\r", "ab\r"});
    FindRange found = {7, 7};
    FindRequest empty = {0, -1, "", &found};
    EXPECT_EQ(FindText(*ed, kFindDown, empty, true), kNoIndex);
    FindRequest none = {0, -1, nullptr, &found};
    EXPECT_EQ(FindText(*ed, kFindDown, none, true), kNoIndex);
    EXPECT_EQ(Find(kFindDown, 0, 0, "ab"), kNoIndex);  // cpMin == cpMax
    EXPECT_EQ(Find(kBack, 3, 3, "ab"), kNoIndex);
    EXPECT_EQ(Find(kFindDown, -1, -1, "ab"), kNoIndex);
    EXPECT_EQ(found.cpMin, 7);  // the out range is left alone when nothing is found
    EXPECT_EQ(found.cpMax, 7);
}

TEST_F(FindTest, ForwardsAndBackwardsInTwoLines) {
    BuildLines(*ed, {"xab\r", "ab\r"});
    EXPECT_EQ(Find(kFindDown, 0, -1, "ab"), 1u);
    EXPECT_EQ(Find(kFindDown, 2, -1, "ab"), 4u);  // never before the start
    EXPECT_EQ(Find(kFindDown, 5, -1, "ab"), kNoIndex);
    EXPECT_EQ(Find(kBack, 7, 0, "ab"), 4u);
    EXPECT_EQ(Find(kBack, 3, 0, "ab"), 1u);
    EXPECT_EQ(Find(kBack, 5, 0, "ab"), 1u);  // a match must end at or before the start
    EXPECT_EQ(Find(kBack, 6, -1, "ab"), 4u);
    EXPECT_EQ(Find(kBack, -1, 0, "ab"), 4u);  // -1: from the end of the text
    EXPECT_EQ(Find(kFindDown, 100, -1, "ab"), kNoIndex);
}

TEST_F(FindTest, TheExtendedFormReportsTheMatch) {
    BuildLines(*ed, {"xab\r", "ab\r"});
    FindRange found = {-5, -5};
    FindRequest request = {0, -1, "ab\r", &found};
    EXPECT_EQ(FindText(*ed, kFindDown, request, true), 1u);
    EXPECT_EQ(found.cpMin, 1);
    EXPECT_EQ(found.cpMax, 4);
    found = {-5, -5};
    EXPECT_EQ(FindText(*ed, kFindDown, request, false), 1u);  // the plain form writes nothing
    EXPECT_EQ(found.cpMin, -5);
    request.found = nullptr;
    EXPECT_EQ(FindText(*ed, kFindDown, request, true), 1u);  // and no range is no range
}

TEST_F(FindTest, CaseFoldingCoversOnlyAsciiLetters) {
    BuildLines(*ed, {"ab {\xE0}\r"});
    EXPECT_EQ(Find(kFindDown, 0, -1, "AB"), 0u);
    EXPECT_EQ(Find(kFindDown, 0, -1, "aB"), 0u);
    EXPECT_EQ(Find(kFindDown | kFindMatchCase, 0, -1, "AB"), kNoIndex);
    EXPECT_EQ(Find(kFindDown | kFindMatchCase, 0, -1, "ab"), 0u);
    EXPECT_EQ(Find(kFindDown, 0, -1, "["), kNoIndex);     // '{' is not a letter
    EXPECT_EQ(Find(kFindDown, 0, -1, "\xC0"), kNoIndex);  // nor is 0xE0
    EXPECT_EQ(Find(kBack, -1, 0, "B {"), 1u);
}

TEST_F(FindTest, WholeWords) {
    struct {
        const char* line;
        CharIndex forwards, backwards;
    } cases[] = {{"abc\r", kNoIndex, kNoIndex},
                 {"xab\r", kNoIndex, kNoIndex},
                 {"ab_\r", 0, 0},
                 {"(ab)\r", 1, 1},
                 {"1ab\r", kNoIndex, kNoIndex},
                 {"ab9\r", kNoIndex, kNoIndex},
                 {"\351ab\r", 1, 1},
                 {"ab ab\r", 0, 3},
                 {"abab ab\r", 5, 5}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        BuildLines(*ed, {c.line});
        EXPECT_EQ(Find(kFindDown | kFindWholeWord, 0, -1, "ab"), c.forwards);
        EXPECT_EQ(Find(kBack | kFindWholeWord, -1, 0, "ab"), c.backwards);
    }
}

TEST_F(FindTest, MatchesStayInsideTheirLine) {
    BuildLines(*ed, {"ab\r", "cd\r"});
    EXPECT_EQ(Find(kFindDown, 0, -1, "b\rc"), kNoIndex);  // would match the joined text
    EXPECT_EQ(Find(kBack, -1, 0, "b\rc"), kNoIndex);
    EXPECT_EQ(Find(kFindDown, 0, -1, "ab\r\n"), kNoIndex);  // LF is never stored
    EXPECT_EQ(Find(kFindDown, 0, -1, "d\r"), 4u);           // a CR ends a line's match
    // A match that ends with the line's CR has no character after it in its line:
    // the next line's first letter does not make it part of a word.
    EXPECT_EQ(Find(kFindDown | kFindWholeWord, 0, -1, "ab\r"), 0u);
    EXPECT_EQ(Find(kBack | kFindWholeWord, -1, 0, "ab\r"), 0u);

    // The same where the line fills its record and the bytes after it, the next
    // record's length field, read as a letter: they are not the line's.
    BuildLines(*ed, {"xxxxxxxx ab\r", std::string(64, 'y') + "\r"});
    ASSERT_EQ(LineRecordOf(*ed, 0).size(), kRecChars + 12);
    ASSERT_EQ(RecordOffset(*ed, 1), RecordOffset(*ed, 0) + kRecChars + 12);
    EXPECT_EQ(Find(kFindDown | kFindWholeWord, 0, -1, "ab\r"), 9u);
    EXPECT_EQ(Find(kBack | kFindWholeWord, -1, 0, "ab\r"), 9u);
}

TEST_F(FindTest, PatternsLongerThanALineFindNothingThere) {
    BuildLines(*ed, {"abcdefg\r", "ab\r", "z\r"});
    EXPECT_EQ(Find(kBack, -1, 0, "abcdefg"), 0u);    // past two short lines
    EXPECT_EQ(Find(kBack, 9, 0, "abcdefg"), 0u);     // from column 1 of line 1
    EXPECT_EQ(Find(kBack, 3, 0, "abcd"), kNoIndex);  // only three columns before the start
    EXPECT_EQ(Find(kFindDown, 8, -1, "abcdefg"), kNoIndex);
    EXPECT_EQ(Find(kFindDown, 0, -1, std::string(300, 'a').c_str()), kNoIndex);
}

TEST_F(FindTest, TheLimitIsCheckedPerLine) {
    BuildLines(*ed, {"ab\r", "ab\r", "zz\r"});
    // Forwards: every line starting below the limit is searched whole.
    EXPECT_EQ(Find(kFindDown, 1, 4, "ab"), 3u);  // line 1 starts at 3 < 4
    EXPECT_EQ(Find(kFindDown, 1, 3, "ab"), kNoIndex);
    EXPECT_EQ(Find(kFindDown, 0, 1, "ab"), 0u);
    EXPECT_EQ(Find(kFindDown, 4, 2, "b"), kNoIndex);  // the start line itself begins at 3
    // Backwards: the line below is searched while the line above starts at or above it.
    EXPECT_EQ(Find(kBack, -1, 6, "ab"), 3u);
    EXPECT_EQ(Find(kBack, -1, 7, "ab"), kNoIndex);
    EXPECT_EQ(Find(kBack, -1, 4, "ab"), 3u);
    EXPECT_EQ(Find(kBack, 4, 3, "ab"), 0u);
    EXPECT_EQ(Find(kBack, 4, 5, "ab"), kNoIndex);
    EXPECT_EQ(Find(kBack, 2, 100, "a"), 0u);  // the first line is always searched
}

// ---- Against a model -----------------------------------------------------------------

struct FlatText {
    std::string text;
    std::vector<uint32_t> starts;  // of each line
    uint32_t LineOf(uint32_t p) const {
        uint32_t line = 0;
        while (line + 1 < starts.size() && starts[line + 1] <= p) ++line;
        return line;
    }
    uint32_t EndOf(uint32_t line) const {
        return line + 1 < starts.size() ? starts[line + 1] : static_cast<uint32_t>(text.size());
    }
};

bool WordChar(char c) {
    return isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 128;
}
char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

bool ModelMatch(const FlatText& t, const std::string& pat, uint32_t flags, uint32_t p) {
    uint32_t line = t.LineOf(p), end = t.EndOf(line);
    if (p + pat.size() > end) return false;
    for (size_t k = 0; k < pat.size(); ++k) {
        char a = t.text[p + k], b = pat[k];
        if (flags & kFindMatchCase ? a != b : Upper(a) != Upper(b)) return false;
    }
    if (flags & kFindWholeWord) {
        if (p > 0 && WordChar(t.text[p - 1])) return false;
        if (p + pat.size() < end && WordChar(t.text[p + pat.size()])) return false;
    }
    return true;
}

CharIndex ModelFind(const FlatText& t, const std::string& pat, uint32_t flags, int32_t cpMin, int32_t cpMax) {
    if (pat.empty() || cpMin == cpMax) return kNoIndex;
    const uint32_t total = static_cast<uint32_t>(t.text.size());
    const uint32_t s = std::min<uint32_t>(static_cast<uint32_t>(cpMin), total);
    if (flags & kFindDown) {
        for (uint32_t p = s; p < total; ++p) {
            if (t.starts[t.LineOf(p)] >= static_cast<uint32_t>(cpMax)) return kNoIndex;
            if (ModelMatch(t, pat, flags, p)) return p;
        }
        return kNoIndex;
    }
    const uint32_t first = t.LineOf(s == total ? total - 1 : s);
    if (s < pat.size()) return kNoIndex;
    for (int64_t p = s - pat.size(); p >= 0; --p) {
        uint32_t line = t.LineOf(static_cast<uint32_t>(p));
        if (line != first && static_cast<int64_t>(t.starts[line + 1]) < cpMax) return kNoIndex;
        if (ModelMatch(t, pat, flags, static_cast<uint32_t>(p))) return static_cast<CharIndex>(p);
    }
    return kNoIndex;
}

TEST_F(FindTest, AgreesWithAFlatModel) {
    std::mt19937 rng(20240611);
    const char alphabet[] = {'a', 'b', 'A', 'B', '_', ' ', '1', '\r'};
    auto pick = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
    for (int doc = 0; doc < 150; ++doc) {
        FlatText flat;
        std::vector<std::string> lines;
        for (uint32_t l = 0, count = 1 + pick(6); l < count; ++l) {
            std::string line;
            for (uint32_t k = 0, n = pick(9); k < n; ++k) line += alphabet[pick(7)];
            line += '\r';
            flat.starts.push_back(static_cast<uint32_t>(flat.text.size()));
            flat.text += line;
            lines.push_back(line);
        }
        BuildLines(*ed, lines);
        const int32_t total = static_cast<int32_t>(flat.text.size());
        for (int query = 0; query < 120; ++query) {
            std::string pat;
            if (pick(2)) {  // a piece of the text, often across a line end
                uint32_t from = pick(static_cast<uint32_t>(total)), n = 1 + pick(4);
                pat = flat.text.substr(from, n);
            } else {
                for (uint32_t k = 0, n = 1 + pick(3); k < n; ++k) pat += alphabet[pick(8)];
            }
            const uint32_t flags = pick(8);
            auto position = [&] { return pick(5) == 0 ? -1 : static_cast<int32_t>(pick(total + 3)); };
            const int32_t cpMin = position(), cpMax = position();
            FindRange found = {-9, -9};
            FindRequest request = {cpMin, cpMax, pat.c_str(), &found};
            const CharIndex want = ModelFind(flat, pat, flags, cpMin, cpMax);
            const CharIndex got = FindText(*ed, flags, request, true);
            ASSERT_EQ(got, want) << "doc " << doc << " pattern '" << pat << "' flags " << flags << " from "
                                 << cpMin << " limit " << cpMax;
            if (got != kNoIndex) {
                ASSERT_EQ(found.cpMin, static_cast<int32_t>(got));
                ASSERT_EQ(found.cpMax, static_cast<int32_t>(got + pat.size()));
            }
        }
    }
}

}  // namespace
}  // namespace qv::test
