// The text of the line numbers in the margin.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "render/LineNumbers.h"

namespace qv::test {
namespace {

struct Formatted {
    std::string text;
    uint32_t answer;
};

Formatted Format(uint32_t value, uint32_t base, uint32_t minDigits, uint32_t pad) {
    NumberText out;
    std::memset(out, 'x', sizeof out);
    uint32_t answer = FormatLineNumber(value, out, base, minDigits, pad);
    return {std::string(out), answer};
}

TEST(LineNumbersTest, DecimalWithAndWithoutPadding) {
    struct {
        uint32_t value, minDigits, pad;
        const char* text;
    } cases[] = {
        {1, 6, 0, "1"},
        {1, 6, 1, "000001"},
        {42, 6, 1, "000042"},
        {99999, 6, 1, "099999"},
        {123456, 6, 1, "123456"},
        {1234567, 6, 1, "1234567"},  // more digits than the minimum: never cut
        {4294967295u, 6, 1, "4294967295"},
        {4294967295u, 0, 0, "4294967295"},
        {7, 1, 1, "7"},
        {7, 2, 1, "07"},
        // 0 has no digits of its own.
        {0, 6, 0, ""},
        {0, 0, 1, ""},
        {0, 6, 1, "000000"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " min " + std::to_string(c.minDigits) + " pad " +
                     std::to_string(c.pad));
        Formatted f = Format(c.value, 10, c.minDigits, c.pad);
        EXPECT_EQ(f.text, c.text);
        EXPECT_EQ(f.answer, f.text.size());
    }
    // Any nonzero pad value pads.
    EXPECT_EQ(Format(5, 10, 3, 0x80000000u).text, "005");
}

// The widest number of a margin is the last line's, at least six digits padded:
// its length changes where the line count crosses a power of ten.
TEST(LineNumbersTest, TheWidestNumberIsTheLastLinesPaddedToSix) {
    struct {
        uint32_t lines, pad, length;
    } cases[] = {
        {1, 0, 1},       {9, 0, 1},       {10, 0, 2},       {99, 0, 2},          {100, 0, 3},
        {99999, 0, 5},   {100000, 0, 6},  {100001, 0, 6},   {999999, 0, 6},      {1000000, 0, 7},
        {1, 1, 6},       {99999, 1, 6},   {1000000, 1, 7},  {1073741824u, 1, 10}, {0xFFFFFFFFu, 0, 10},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.lines) + " pad " + std::to_string(c.pad));
        EXPECT_EQ(WidestNumberLength(c.lines, c.pad), c.length);
    }
}

TEST(LineNumbersTest, OtherBasesUseCapitalLettersAboveNine) {
    EXPECT_EQ(Format(255, 16, 0, 0).text, "FF");
    EXPECT_EQ(Format(0xABCDEF01u, 16, 0, 0).text, "ABCDEF01");
    EXPECT_EQ(Format(0x1F, 16, 4, 1).text, "001F");
    EXPECT_EQ(Format(35, 36, 0, 0).text, "Z");
    EXPECT_EQ(Format(36, 36, 0, 0).text, "10");
    EXPECT_EQ(Format(5, 2, 0, 0).text, "101");
    Formatted widest = Format(0xFFFFFFFFu, 2, 0, 0);
    EXPECT_EQ(widest.text, std::string(32, '1'));
    EXPECT_EQ(widest.answer, 32u);
}

TEST(LineNumbersTest, UnusableBaseIsTakenAsDecimal) {
    for (uint32_t base : {0u, 1u, 37u, 1000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(base);
        EXPECT_EQ(Format(1234, base, 0, 0).text, "1234");
        EXPECT_EQ(Format(12, base, 4, 1).text, "0012");
    }
}

TEST(LineNumbersTest, MinimumBeyondTheBufferIsCappedAndFits) {
    for (uint32_t minDigits : {kMaxNumberDigits, kMaxNumberDigits + 1, 1000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(minDigits);
        Formatted f = Format(3, 10, minDigits, 1);
        EXPECT_EQ(f.text, std::string(kMaxNumberDigits - 1, '0') + "3");
        EXPECT_EQ(f.answer, kMaxNumberDigits);
    }
    // The widest binary text padded to the most digits is exactly the buffer.
    EXPECT_EQ(Format(0xFFFFFFFFu, 2, 1000, 1).text, std::string(32, '1'));
}

// Against the C library for many values: the text reads back as the value, and its
// length is the digit count, or the minimum when padded and larger.
TEST(LineNumbersTest, ReadsBackAsTheValueInEveryBase) {
    uint32_t seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        uint32_t value = seed >> (seed % 32);
        uint32_t base = 2 + (seed >> 8) % 35;
        uint32_t minDigits = (seed >> 16) % 40;
        uint32_t pad = (seed >> 24) & 1;
        SCOPED_TRACE(std::to_string(value) + " base " + std::to_string(base) + " min " +
                     std::to_string(minDigits) + " pad " + std::to_string(pad));
        Formatted f = Format(value, base, minDigits, pad);
        ASSERT_EQ(f.answer, f.text.size());
        ASSERT_EQ(std::strtoul(f.text.empty() ? "0" : f.text.c_str(), nullptr, static_cast<int>(base)),
                  value);

        uint32_t digits = 0;
        for (uint32_t v = value; v != 0; v /= base) ++digits;
        uint32_t expected = digits;
        if (pad && minDigits > digits) expected = minDigits > kMaxNumberDigits ? kMaxNumberDigits : minDigits;
        ASSERT_EQ(f.text.size(), expected);
        if (!pad) {
            ASSERT_TRUE(f.text.empty() || f.text[0] != '0');
        }
        if (base == 10 && !pad && value != 0) {
            ASSERT_EQ(f.text, std::to_string(value));
        }
    }
}

}  // namespace
}  // namespace qv::test
