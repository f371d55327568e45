// Loading a whole document: the 20 MB source of 500,000 lines (and half of it, to
// see how the cost grows) inserted into a new store.
//   BM_LoadInsertText    InsertText at 0 into an empty document, as the primitive
//   BM_LoadSetWholeText  SetWholeText (WM_SETTEXT's text part): a new store built
//                        beside the old one, which it then replaces
#include <benchmark/benchmark.h>

#include <memory>

#include "BenchDocument.h"

namespace qv::bench {
namespace {

constexpr uint32_t kAverageLine = 40;  // bytes with CR LF: 500,000 lines are 20 MB

void BM_LoadInsertText(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    const std::string text = GenerateSource(lines, kAverageLine);
    for (auto _ : state) {
        state.PauseTiming();
        auto editor = std::make_unique<BenchEditor>();
        if (!editor->ok) {
            state.SkipWithError("no store");
            break;
        }
        state.ResumeTiming();
        bool ok = true;
        const uint32_t inserted = InsertText(editor->ed, 0, text.c_str(), &ok);
        benchmark::DoNotOptimize(inserted);
        state.PauseTiming();
        if (!ok || LineCount(editor->ed) != lines) state.SkipWithError("the document did not load");
        editor.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * lines);
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_LoadInsertText)->Arg(250000)->Arg(500000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadSetWholeText(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    const std::string text = GenerateSource(lines, kAverageLine);
    BenchEditor editor;
    if (!editor.ok) {
        state.SkipWithError("no store");
        return;
    }
    for (auto _ : state) {
        const bool ok = SetWholeText(editor.ed, text.c_str());
        benchmark::DoNotOptimize(ok);
        state.PauseTiming();
        if (!ok || LineCount(editor.ed) != lines) state.SkipWithError("the document did not load");
        // The next load replaces a small document, so that every iteration frees
        // the same amount.
        SetWholeText(editor.ed, "");
        editor.ForgetRecords();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * lines);
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_LoadSetWholeText)->Arg(250000)->Arg(500000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace qv::bench
