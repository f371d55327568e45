// Measuring by byte widths, the fixed-pitch shortcut (TABs found a word at a time)
// and the byte-by-byte sum alike, from any pen position, including ones left of the
// stops' origin and near the end of 32 bits.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "base/TextWidths.h"

namespace qv::test {
namespace {

// Every byte's width added, a TAB moving to the next multiple of the stop.
int64_t Reference(const TextWidths& widths, int64_t x, const uint8_t* text, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) {
        if (text[i] != 0x09) {
            x += widths.advance[text[i]];
            continue;
        }
        int64_t q = x / widths.tabStop;  // rounds toward zero
        if (x < 0 && x % widths.tabStop != 0) --q;
        x = (q + 1) * widths.tabStop;
    }
    return x;
}

TEST(TextWidthsTest, MeasuringAddsEveryByteAndMovesTabsToTheNextStop) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        TextWidths uniform{};
        const int32_t width = 1 + static_cast<int32_t>(rng() % 12);
        for (int32_t& w : uniform.advance) w = width;
        uniform.tabStop = 1 + static_cast<int32_t>(rng() % 100);
        uniform.uniform = width;
        TextWidths summed = uniform;
        summed.uniform = 0;  // the byte-by-byte path
        if (round % 2) summed.advance[rng() % 256] = width + 1;

        std::vector<uint8_t> text(rng() % 200);
        const uint32_t tabEvery = 1 + rng() % 40;
        for (uint8_t& c : text) c = rng() % tabEvery == 0 ? 0x09 : static_cast<uint8_t>(rng());
        const int64_t starts[] = {0, static_cast<int64_t>(rng() % 1000), -static_cast<int64_t>(rng() % 1000),
                                  INT32_MAX - static_cast<int64_t>(rng() % 300)};
        const int64_t x = starts[rng() % 4];
        const uint32_t skip = text.empty() ? 0 : rng() % 4 % text.size();  // unaligned starts too
        const uint32_t n = static_cast<uint32_t>(text.size()) - skip;
        const uint8_t* t = text.data() + skip;
        ASSERT_EQ(AdvanceOver(uniform, x, t, n), Reference(uniform, x, t, n)) << "round " << round;
        ASSERT_EQ(AdvanceOver(summed, x, t, n), Reference(summed, x, t, n)) << "round " << round;
    }
}

}  // namespace
}  // namespace qv::test
