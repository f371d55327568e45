// Marking the block starts of a whole document (MarkBlockStarts, one pattern match
// per line), and folding every block and opening it again (FoldAllBlocks, then
// UnfoldAllBlocks), for the three document sizes. The generated source folds into
// a block for about every 34 lines.
#include <benchmark/benchmark.h>

#include "BenchDocument.h"
#include "render/Markers.h"

namespace qv::bench {
namespace {

constexpr uint32_t kAverageLine = 40;
const BlockPatterns kProcs = {"$ proc", "$ endp"};

void ThreeDocumentSizes(benchmark::internal::Benchmark* b) {
    b->ArgName("lines")->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

bool Load(BenchEditor& editor, uint32_t lines) {
    return SetWholeText(editor.ed, GenerateSource(lines, kAverageLine).c_str());
}

void BM_MarkBlockStarts(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    BenchEditor editor;
    if (!Load(editor, lines)) state.SkipWithError("the document did not load");
    for (auto _ : state) {
        MarkBlockStarts(editor.ed, kProcs.start);
        editor.ForgetRecords();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * lines);
}
BENCHMARK(BM_MarkBlockStarts)->Apply(ThreeDocumentSizes);

void BM_FoldAllThenUnfoldAll(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    BenchEditor editor;
    if (!Load(editor, lines)) state.SkipWithError("the document did not load");
    // Every block start an open block, as after a first fold and unfold.
    for (LineNumber line = 0; line < lines; ++line)
        if (MatchBlockPattern(editor.ed, line, kProcs.start) >= 0) UnfoldBlock(editor.ed, line);
    uint32_t blocks = 0;
    for (auto _ : state) {
        blocks = FoldAllBlocks(editor.ed, &kProcs);
        if (UnfoldAllBlocks(editor.ed) != blocks || editor.ed.hiddenLineCount != 0)
            state.SkipWithError("the blocks did not all open again");
    }
    state.counters["blocks"] = blocks;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * lines);
}
BENCHMARK(BM_FoldAllThenUnfoldAll)->Apply(ThreeDocumentSizes);

}  // namespace
}  // namespace qv::bench
