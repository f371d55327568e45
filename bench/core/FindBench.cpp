// Finding a word that stands only in the last line of the 20 MB document (500,000
// lines; and of half of it), searching forwards from the start to the end: every
// line is tried at every column. Arg 2: 1 case-sensitive (FR_MATCHCASE, exact
// bytes), 0 case-folded.
#include <benchmark/benchmark.h>

#include "BenchDocument.h"
#include "edit/Find.h"

namespace qv::bench {
namespace {

constexpr uint32_t kAverageLine = 40;
constexpr char kWord[] = "Zanzibar42";

void BM_FindInLastLine(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    const uint32_t flags = kFindDown | (state.range(1) ? kFindMatchCase : 0);
    const std::string source = GenerateSource(lines, kAverageLine, kWord);
    BenchEditor editor;
    if (!SetWholeText(editor.ed, source.c_str())) {
        state.SkipWithError("the document did not load");
        return;
    }
    const int64_t bytes = StoredBytes(editor.ed);
    // Stored text: each CR LF is one CR, the closing CR ends it.
    const CharIndex expected = static_cast<CharIndex>(bytes - 1 - (sizeof(kWord) - 1));
    const FindRequest request = {0, -1, kWord, nullptr};
    for (auto _ : state) {
        const CharIndex found = FindText(editor.ed, flags, request, false);
        if (found != expected) {
            state.SkipWithError("the word was not found where it stands");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * lines);
}
BENCHMARK(BM_FindInLastLine)
    ->ArgNames({"lines", "matchCase"})
    ->Args({250000, 1})
    ->Args({500000, 1})
    ->Args({250000, 0})
    ->Args({500000, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace qv::bench
