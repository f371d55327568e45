// Deleting a whole document with DeleteRange (the range 0 to the end: everything
// but the closing CR, logged as one record) and undoing that deletion with
// UndoStep, which inserts the whole text again. Three sizes (25,000, 50,000 and
// 100,000 lines) show how each cost grows with the document.
//
// The same for the middle half of the document (from the start of line n/4 to the
// start of line 3n/4): there the lines after the range stay, and every line that
// the deletion removes or its undo puts back renumbers them.
#include <benchmark/benchmark.h>

#include "BenchDocument.h"
#include "edit/UndoLog.h"

namespace qv::bench {
namespace {

constexpr uint32_t kAverageLine = 40;

void SetCounters(benchmark::State& state, int64_t bytes, uint32_t lines) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * lines);
}

// Three document sizes, to show how the cost grows with the line count.
void ThreeDocumentSizes(benchmark::internal::Benchmark* b) {
    b->ArgName("lines")->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

void BM_DeleteWholeDocument(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    const std::string source = GenerateSource(lines, kAverageLine);
    BenchEditor editor;
    int64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (!SetWholeText(editor.ed, source.c_str())) {
            state.SkipWithError("the document did not load");
            break;
        }
        bytes = StoredBytes(editor.ed);
        editor.ForgetRecords();
        state.ResumeTiming();
        bool ok = true;
        benchmark::DoNotOptimize(DeleteRange(editor.ed, 0, StoredLength(editor.ed), &ok));
        state.PauseTiming();
        if (!ok || LineCount(editor.ed) != 1 || StoredLength(editor.ed) != 1)
            state.SkipWithError("the document was not emptied");
        state.ResumeTiming();
    }
    SetCounters(state, bytes, lines);
}
BENCHMARK(BM_DeleteWholeDocument)->Apply(ThreeDocumentSizes);

void BM_UndoWholeDocumentDelete(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    const std::string source = GenerateSource(lines, kAverageLine);
    BenchEditor editor;
    int64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (!SetWholeText(editor.ed, source.c_str())) {
            state.SkipWithError("the document did not load");
            break;
        }
        bytes = StoredBytes(editor.ed);
        DeleteRange(editor.ed, 0, StoredLength(editor.ed));
        editor.ForgetRecords();
        state.ResumeTiming();
        benchmark::DoNotOptimize(UndoStep(editor.ed));
        state.PauseTiming();
        if (LineCount(editor.ed) != lines || StoredBytes(editor.ed) != bytes)
            state.SkipWithError("the document did not come back");
        state.ResumeTiming();
    }
    SetCounters(state, bytes, lines);
}
BENCHMARK(BM_UndoWholeDocumentDelete)->Apply(ThreeDocumentSizes);

// A new document and the range of its middle half.
struct MiddleHalf {
    CharIndex start, end;
};
MiddleHalf LoadWithMiddleHalf(BenchEditor& editor, const std::string& source, uint32_t lines) {
    if (!SetWholeText(editor.ed, source.c_str())) return {0, 0};
    return {LineStart(editor.ed, lines / 4), LineStart(editor.ed, 3 * (lines / 4))};
}

void BM_DeleteMiddleHalf(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    const std::string source = GenerateSource(lines, kAverageLine);
    BenchEditor editor;
    int64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const MiddleHalf range = LoadWithMiddleHalf(editor, source, lines);
        if (range.end <= range.start) {
            state.SkipWithError("the document did not load");
            break;
        }
        bytes = range.end - range.start;
        editor.ForgetRecords();
        state.ResumeTiming();
        bool ok = true;
        benchmark::DoNotOptimize(DeleteRange(editor.ed, range.start, range.end, &ok));
        state.PauseTiming();
        if (!ok || LineCount(editor.ed) != lines - (3 * (lines / 4) - lines / 4))
            state.SkipWithError("the range was not deleted");
        state.ResumeTiming();
    }
    SetCounters(state, bytes, lines / 2);
}
BENCHMARK(BM_DeleteMiddleHalf)->Apply(ThreeDocumentSizes);

void BM_UndoMiddleHalfDelete(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    const std::string source = GenerateSource(lines, kAverageLine);
    BenchEditor editor;
    int64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const MiddleHalf range = LoadWithMiddleHalf(editor, source, lines);
        if (range.end <= range.start) {
            state.SkipWithError("the document did not load");
            break;
        }
        bytes = range.end - range.start;
        DeleteRange(editor.ed, range.start, range.end);
        editor.ForgetRecords();
        state.ResumeTiming();
        benchmark::DoNotOptimize(UndoStep(editor.ed));
        state.PauseTiming();
        if (LineCount(editor.ed) != lines) state.SkipWithError("the range did not come back");
        state.ResumeTiming();
    }
    SetCounters(state, bytes, lines / 2);
}
BENCHMARK(BM_UndoMiddleHalfDelete)->Apply(ThreeDocumentSizes);

}  // namespace
}  // namespace qv::bench
