// Typing: 20,000 characters typed one by one at the caret in the middle of a
// document of 100,000 lines (and of 50,000, to see how the cost depends on the
// document). The typed text is a line of code, repeated:
//   BM_TypeInsertChar   InsertChar at the caret, the caret moving on after each
//                       character as typing moves it; arg 2 says whether the text
//                       holds line breaks (a CR every 25 characters) or none
//   BM_TypeCharCommand  the typing command (TypeChar): the same, plus the empty
//                       selection's deletion and one undo record per character
// Every iteration types into a freshly loaded document; loading it is not timed, but
// it takes far longer than the typing, so the iteration count is fixed.
#include <benchmark/benchmark.h>

#include "BenchDocument.h"

namespace qv::bench {
namespace {

constexpr uint32_t kAverageLine = 40;
constexpr uint32_t kTyped = 20000;
constexpr int kIterations = 20;

std::string TypedText(bool lineBreaks) {
    const std::string line = lineBreaks ? "\tmov eax, [esi+4] ; next\r" : "\tmov eax, [esi+4] ; next ";
    std::string text;
    while (text.size() < kTyped) text += line;
    text.resize(kTyped);
    return text;
}

// A new document of `lines` lines with the caret a few columns into its middle line.
bool PrepareDocument(BenchEditor& editor, const std::string& source, uint32_t lines) {
    if (!SetWholeText(editor.ed, source.c_str()) || LineCount(editor.ed) != lines) return false;
    const LineNumber middle = lines / 2;
    const uint32_t length = LineLength(editor.ed, middle);
    const uint32_t column = length > 4 ? 4 : 0;
    editor.ed.selAnchor = editor.ed.caretPos = LineStart(editor.ed, middle) + column;
    // Placing the caret (a click) makes its line the current line; typing starts
    // from there and does not walk to it.
    LocateChar(editor.ed, editor.ed.caretPos);
    editor.ForgetRecords();
    return true;
}

void SetCounters(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kTyped);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kTyped);
}

void BM_TypeInsertChar(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    const bool lineBreaks = state.range(1) != 0;
    const std::string source = GenerateSource(lines, kAverageLine);
    const std::string typed = TypedText(lineBreaks);
    BenchEditor editor;
    for (auto _ : state) {
        state.PauseTiming();
        if (!PrepareDocument(editor, source, lines)) {
            state.SkipWithError("the document did not load");
            break;
        }
        const CharIndex start = editor.ed.caretPos;
        state.ResumeTiming();
        EditorInstance& ed = editor.ed;
        for (const char c : typed) {
            EditOutcome outcome;
            InsertChar(ed, ed.caretPos, static_cast<uint8_t>(c), &outcome);
            ed.selAnchor = ed.caretPos = ed.caretPos + 1;
            benchmark::DoNotOptimize(outcome);
        }
        state.PauseTiming();
        if (ed.caretPos != start + kTyped) state.SkipWithError("typing went astray");
        state.ResumeTiming();
    }
    SetCounters(state);
}
BENCHMARK(BM_TypeInsertChar)
    ->ArgNames({"lines", "breaks"})
    ->Args({50000, 0})
    ->Args({100000, 0})
    ->Args({50000, 1})
    ->Args({100000, 1})
    ->Iterations(kIterations)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_TypeCharCommand(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    const std::string source = GenerateSource(lines, kAverageLine);
    const std::string typed = TypedText(true);
    BenchEditor editor;
    for (auto _ : state) {
        state.PauseTiming();
        if (!PrepareDocument(editor, source, lines)) {
            state.SkipWithError("the document did not load");
            break;
        }
        const CharIndex start = editor.ed.caretPos;
        state.ResumeTiming();
        for (const char c : typed) benchmark::DoNotOptimize(TypeChar(editor.ed, static_cast<uint8_t>(c)));
        state.PauseTiming();
        if (editor.ed.caretPos != start + kTyped) state.SkipWithError("typing went astray");
        state.ResumeTiming();
    }
    SetCounters(state);
}
BENCHMARK(BM_TypeCharCommand)
    ->ArgNames({"lines"})
    ->Arg(50000)
    ->Arg(100000)
    ->Iterations(kIterations)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace qv::bench
