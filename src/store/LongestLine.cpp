#include "store/LongestLine.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "store/LineRecord.h"

namespace qv {
namespace {

struct Link {
    LineNumber line;
    uint32_t length;   // stored characters
    uint32_t columns;  // the figure it set
};

}  // namespace

// The chain of a control's store, held by its record.
struct LongestLineChain {
    bool valid = false;
    uint32_t tabWidth = 0;
    uint32_t lineCount = 0;  // when the chain was made
    std::vector<Link> links;
    // Lines below `firstChanged` and the last `unchangedTail` lines are as they were.
    LineNumber firstChanged = 0;
    uint32_t unchangedTail = 0;
    bool changed = false;
};

namespace {

using Chain = LongestLineChain;

// The chain of the control's store, made on the first lookup; none without a store.
Chain* Find(EditorInstance& ed, bool make) {
    if (!ed.lineIndexHeapHandle) return nullptr;
    Chain*& chain = StateOf(ed).longestLine;
    if (!chain && make) chain = new Chain();
    return chain;
}

// TABs among n bytes, a word at a time: long lines are where this is asked most
// (the line being edited is the longest), and TABs are too many there for a
// library scan per TAB.
uint64_t CountTabs(const uint8_t* p, size_t n) {
    using Word = size_t;
    constexpr Word kOnes = ~Word(0) / 0xFF;
    constexpr Word kLow7 = kOnes * 0x7F;
    uint64_t tabs = 0;
    while (n >= sizeof(Word)) {
        // Per-byte counters, summed before any of them can overflow.
        Word counts = 0;
        const size_t words = std::min<size_t>(n / sizeof(Word), 255);
        for (size_t i = 0; i < words; ++i, p += sizeof(Word)) {
            Word w;
            std::memcpy(&w, p, sizeof w);
            const Word x = w ^ (kOnes * kTab);
            // 0x80 in exactly the bytes of x that are zero, then 0x01 there.
            const Word zero = ~(((x & kLow7) + kLow7) | x | kLow7);
            counts += zero >> 7;
        }
        n -= words * sizeof(Word);
        for (size_t b = 0; b < sizeof(Word); ++b) tabs += (counts >> (8 * b)) & 0xFF;
    }
    for (; n > 0; --n, ++p) tabs += *p == kTab;
    return tabs;
}

uint32_t Columns(const EditorInstance& ed, LineNumber line, uint32_t length, uint32_t tabWidth) {
    if (tabWidth <= 1) return length;
    const uint64_t columns = length + CountTabs(LineRecordOf(ed, line).chars(), length) * (tabWidth - 1);
    return columns > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(columns);
}

// Lines from..to-1 by the rule, continuing `links` from the figure `m`.
void Scan(const EditorInstance& ed, LineNumber from, LineNumber to, uint32_t tabWidth, uint32_t& m,
          std::vector<Link>& links) {
    for (LineNumber line = from; line < to; ++line) {
        const uint32_t n = LineRecordOf(ed, line).length();
        if (n == 0 || n <= m) continue;
        m = Columns(ed, line, n, tabWidth);
        links.push_back({line, n, m});
    }
}

void Rebuild(const EditorInstance& ed, Chain& chain, uint32_t tabWidth) {
    chain.links.clear();
    uint32_t m = 0;
    Scan(ed, 0, LineCount(ed), tabWidth, m, chain.links);
}

// The chain after a change: the links before the changed lines stay, the changed
// lines are scanned, and past them the old links are followed. Between two old
// links every line was at most the figure the first of them set, so a stretch of
// lines whose old figure does not exceed the new one is skipped whole; an old link
// that still raises the new figure brings all the old links after it back.
void Update(const EditorInstance& ed, Chain& chain, uint32_t tabWidth) {
    const uint32_t count = LineCount(ed);
    const uint32_t tail = chain.unchangedTail < count ? chain.unchangedTail : count;
    const LineNumber lo = chain.firstChanged < count - tail ? chain.firstChanged : count - tail;
    const int64_t shift = int64_t(count) - chain.lineCount;
    std::vector<Link> old;
    old.swap(chain.links);
    size_t k = 0;
    uint32_t m = 0;
    while (k < old.size() && old[k].line < lo) {
        m = old[k].columns;
        chain.links.push_back(old[k++]);
    }
    const LineNumber resume = count - tail;  // the first unchanged line after the change
    Scan(ed, lo, resume, tabWidth, m, chain.links);

    // The old links of the unchanged tail, and the old figure in front of it.
    const int64_t oldResume = int64_t(resume) - shift;
    uint32_t r = 0;
    while (k < old.size() && int64_t(old[k].line) < oldResume) r = old[k++].columns;
    LineNumber line = resume;
    for (;;) {
        const LineNumber next = k < old.size() ? static_cast<LineNumber>(old[k].line + shift) : count;
        if (m < r) {
            // Lines up to the next old link may lie between the two figures.
            while (line < next && m < r) {
                const uint32_t n = LineRecordOf(ed, line).length();
                if (n != 0 && n > m) {
                    m = Columns(ed, line, n, tabWidth);
                    chain.links.push_back({line, n, m});
                }
                ++line;
            }
            if (m < r && line < next) continue;
        }
        if (k >= old.size()) break;
        // Every line before the old link is at most r <= m: skipped.
        const Link& link = old[k];
        if (link.length > m) {
            for (; k < old.size(); ++k)
                chain.links.push_back({static_cast<LineNumber>(old[k].line + shift), old[k].length, old[k].columns});
            break;
        }
        r = link.columns;
        line = next + 1;
        ++k;
    }
}

}  // namespace

void NoteLinesChanged(EditorInstance& ed, LineNumber first, LineNumber last) {
    Chain* chain = Find(ed, false);
    if (!chain || !chain->valid) return;
    const uint32_t count = LineCount(ed);
    const uint32_t after = last + 1 < count ? count - 1 - last : 0;
    if (!chain->changed) {
        chain->changed = true;
        chain->firstChanged = first;
        chain->unchangedTail = after;
        return;
    }
    if (first < chain->firstChanged) chain->firstChanged = first;
    if (after < chain->unchangedTail) chain->unchangedTail = after;
}

LongestLine FindLongestLine(EditorInstance& ed, uint32_t tabWidth) {
    Chain* chain = Find(ed, true);
    if (!chain) return {false, 0, 0};
    if (!chain->valid || chain->tabWidth != tabWidth) {
        Rebuild(ed, *chain, tabWidth);
    } else if (chain->changed) {
        Update(ed, *chain, tabWidth);
    }
    chain->valid = true;
    chain->tabWidth = tabWidth;
    chain->lineCount = LineCount(ed);
    chain->changed = false;
    if (chain->links.empty()) return {false, 0, 0};
    const Link& last = chain->links.back();
    return {true, last.line, last.columns};
}

void ForgetLongestLine(EditorInstance& ed) {
    if (!ed.lineIndexHeapHandle) return;  // no store, no chain
    Chain*& chain = StateOf(ed).longestLine;
    delete chain;
    chain = nullptr;
}

}  // namespace qv
