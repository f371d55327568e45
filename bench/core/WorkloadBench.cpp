// The core part of each workload of the performance table, at two sizes (the
// second twice the first), so that anything that grows faster than its size
// shows in the ratio of the two medians:
//   BM_WholeTextLoad       SetWholeText of 250,000 / 500,000 lines (10 / 20 MB);
//                          areaMB: the three areas' allocated bytes afterwards
//   BM_StreamLoad          StreamIn of the same texts in 32 KB calls; areaMB too,
//                          the areas' reallocations and the MB they copied; also at 125,000 and
//                          375,000 lines, to show where the cost bends
//   BM_PasteAtTop          a paste (ReplaceSelection, grouped, logged) of 25,000 /
//                          50,000 lines (1 / 2 MB) at the top of twice as many
//   BM_UndoPasteAtTop      UndoStep of that paste
//   BM_SelectAllDelete     ClearSelection of the whole text, 100,000 / 500,000 lines
//   BM_FindAtEnd           FindText of a word on the last line, match case and not
//   BM_InsertLongLine      ReplaceSelection of one line of 0.5 / 1 MB into an empty
//                          document
//   BM_TypeIntoLongLine    1,000 typed characters (TypeChar) into the middle of it
//   BM_ReplaceSelInLongLine  1,000 characters by ReplaceSelection there, each with
//                          the longest-line lookup EM_REPLACESEL makes
//   BM_ReplaceSelMiddle    10,000 / 20,000 characters by ReplaceSelection into the
//                          middle of 100,000 lines, each with that lookup
//   BM_ReplaceRangeInLine  "abc" by ReplaceSelection over 19,000 / 38,000
//                          characters inside one line
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "BenchDocument.h"
#include "edit/Find.h"
#include "edit/Streams.h"
#include "edit/UndoLog.h"
#include "store/LineRecord.h"
#if __has_include("store/LongestLine.h")
#include "store/LongestLine.h"
#define QV_KEPT_LONGEST_LINE 1
#endif

namespace qv::bench {
namespace {

constexpr uint32_t kAverageLine = 40;  // bytes with CR LF: 500,000 lines are 20 MB

double AreaMegabytes(const EditorInstance& ed) {
    return (double(ed.lineIndexSize) + ed.lineHeapSize + ed.undoLogSize) / 1e6;
}

// What EM_REPLACESEL asks after each edit: the longest line (with the figure kept
// by the store where it keeps one, otherwise by the walk over every line).
uint32_t LongestLineColumns(EditorInstance& ed) {
#ifdef QV_KEPT_LONGEST_LINE
    return FindLongestLine(ed, ed.tabWidth).columns;
#else
    uint32_t m = 0;
    for (LineNumber line = 0; line < LineCount(ed); ++line) {
        LineRecordView rec = LineRecordOf(ed, line);
        const uint32_t n = rec.length();
        if (n == 0 || m >= n) continue;
        uint32_t tabs = 0;
        for (uint32_t i = 0; i < n; ++i) tabs += rec.chars()[i] == kTab;
        m = n + tabs * (ed.tabWidth ? ed.tabWidth - 1 : 0);
    }
    return m;
#endif
}

void Ms(benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond)->UseRealTime(); }

void BM_WholeTextLoad(benchmark::State& state) {
    const std::string text = GenerateSource(static_cast<uint32_t>(state.range(0)), kAverageLine);
    BenchEditor editor;
    double area = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SetWholeText(editor.ed, text.c_str()));
        state.PauseTiming();
        area = AreaMegabytes(editor.ed);
        SetWholeText(editor.ed, "");
        editor.ForgetRecords();
        state.ResumeTiming();
    }
    state.counters["areaMB"] = area;
}
BENCHMARK(BM_WholeTextLoad)->Arg(250000)->Arg(500000)->Apply(Ms);

struct MemoryFile {
    const std::string* text = nullptr;
    size_t offset = 0;
};
uint32_t QV_CALLBACK ReadMemory(uintptr_t cookie, uint8_t* buffer, int32_t count, int32_t* cb) {
    MemoryFile& file = *reinterpret_cast<MemoryFile*>(cookie);
    const size_t take = std::min(static_cast<size_t>(count), file.text->size() - file.offset);
    std::memcpy(buffer, file.text->data() + file.offset, take);
    file.offset += take;
    *cb = static_cast<int32_t>(take);
    return 0;
}

void BM_StreamLoad(benchmark::State& state) {
    const std::string text = GenerateSource(static_cast<uint32_t>(state.range(0)), kAverageLine);
    double area = 0;
    double reallocs = 0;
    double copied = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto editor = std::make_unique<BenchEditor>();
        MemoryFile file{&text, 0};
        EditStream stream{reinterpret_cast<uintptr_t>(&file), 0, ReadMemory};
        state.ResumeTiming();
        benchmark::DoNotOptimize(StreamIn(editor->ed, stream, StreamInRequest{}).bytes);
        state.PauseTiming();
        area = AreaMegabytes(editor->ed);
        reallocs = static_cast<double>(editor->platform.reallocs);
        copied = static_cast<double>(editor->platform.reallocBytes) / 1e6;
        editor.reset();
        state.ResumeTiming();
    }
    state.counters["areaMB"] = area;
    state.counters["reallocs"] = reallocs;
    state.counters["copiedMB"] = copied;
}
BENCHMARK(BM_StreamLoad)->Arg(250000)->Arg(500000)->Apply(Ms);
BENCHMARK(BM_StreamLoad)->Arg(125000)->Arg(375000)->Apply(Ms);

// A paste of `lines` lines over an empty selection at the top of twice as many.
void Paste(EditorInstance& ed, const std::string& clip) {
    ed.selAnchor = ed.caretPos = 0;
    if (ed.undoLogUsed == 0) EmptyUndoLog(ed);
    ReplaceSelection(ed, clip.c_str(), true);
}

void BM_PasteAtTop(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    const std::string document = GenerateSource(2 * lines, kAverageLine);
    const std::string clip = GenerateSource(lines, kAverageLine) + "\r\n";
    BenchEditor editor;
    for (auto _ : state) {
        state.PauseTiming();
        SetWholeText(editor.ed, document.c_str());
        editor.ForgetRecords();
        state.ResumeTiming();
        Paste(editor.ed, clip);
    }
    state.counters["MB"] = clip.size() / 1e6;
}
BENCHMARK(BM_PasteAtTop)->Arg(25000)->Arg(50000)->Apply(Ms);

void BM_UndoPasteAtTop(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    const std::string document = GenerateSource(2 * lines, kAverageLine);
    const std::string clip = GenerateSource(lines, kAverageLine) + "\r\n";
    BenchEditor editor;
    for (auto _ : state) {
        state.PauseTiming();
        SetWholeText(editor.ed, document.c_str());
        Paste(editor.ed, clip);
        editor.ForgetRecords();
        state.ResumeTiming();
        benchmark::DoNotOptimize(UndoStep(editor.ed));
    }
}
BENCHMARK(BM_UndoPasteAtTop)->Arg(25000)->Arg(50000)->Apply(Ms);

void BM_SelectAllDelete(benchmark::State& state) {
    const std::string document = GenerateSource(static_cast<uint32_t>(state.range(0)), kAverageLine);
    BenchEditor editor;
    for (auto _ : state) {
        state.PauseTiming();
        SetWholeText(editor.ed, document.c_str());
        editor.ed.selAnchor = 0;
        editor.ed.caretPos = StoredLength(editor.ed);
        editor.ForgetRecords();
        state.ResumeTiming();
        benchmark::DoNotOptimize(ClearSelection(editor.ed));
    }
}
BENCHMARK(BM_SelectAllDelete)->Arg(100000)->Arg(500000)->Apply(Ms);

void BM_FindAtEnd(benchmark::State& state) {
    const std::string document =
        GenerateSource(static_cast<uint32_t>(state.range(0)), kAverageLine, "zyxwvutsrq");
    const bool matchCase = state.range(1) != 0;
    BenchEditor editor;
    SetWholeText(editor.ed, document.c_str());
    FindRequest request = {0, -1, matchCase ? "zyxwvutsrq" : "ZYXWVUTSRQ", nullptr};
    for (auto _ : state) {
        const CharIndex found = FindText(editor.ed, kFindDown | (matchCase ? kFindMatchCase : 0), request, false);
        if (found == kNoIndex) state.SkipWithError("not found");
    }
}
BENCHMARK(BM_FindAtEnd)->ArgsProduct({{250000, 500000}, {1, 0}})->Apply(Ms);

std::string LongLine(uint32_t bytes) {
    std::string line;
    line.reserve(bytes);
    while (line.size() < bytes) line += "mov eax, dword ptr [esi+4]\tcall proc ";
    line.resize(bytes);
    return line;
}

void BM_InsertLongLine(benchmark::State& state) {
    const std::string line = LongLine(static_cast<uint32_t>(state.range(0)));
    BenchEditor editor;
    for (auto _ : state) {
        state.PauseTiming();
        SetWholeText(editor.ed, "");
        editor.ForgetRecords();
        state.ResumeTiming();
        benchmark::DoNotOptimize(ReplaceSelection(editor.ed, line.c_str(), true));
        benchmark::DoNotOptimize(LongestLineColumns(editor.ed));
    }
}
BENCHMARK(BM_InsertLongLine)->Arg(500000)->Arg(1000000)->Apply(Ms);

void BM_TypeIntoLongLine(benchmark::State& state) {
    const std::string line = LongLine(static_cast<uint32_t>(state.range(0)));
    BenchEditor editor;
    for (auto _ : state) {
        state.PauseTiming();
        SetWholeText(editor.ed, line.c_str());
        editor.ed.selAnchor = editor.ed.caretPos = static_cast<CharIndex>(line.size() / 2);
        editor.ForgetRecords();
        state.ResumeTiming();
        for (int i = 0; i < 1000; ++i) TypeChar(editor.ed, static_cast<uint8_t>('a' + i % 26));
    }
}
BENCHMARK(BM_TypeIntoLongLine)->Arg(500000)->Arg(1000000)->Apply(Ms);

void BM_ReplaceSelInLongLine(benchmark::State& state) {
    const std::string line = LongLine(static_cast<uint32_t>(state.range(0)));
    BenchEditor editor;
    for (auto _ : state) {
        state.PauseTiming();
        SetWholeText(editor.ed, line.c_str());
        editor.ed.selAnchor = editor.ed.caretPos = static_cast<CharIndex>(line.size() / 2);
        editor.ForgetRecords();
        state.ResumeTiming();
        for (int i = 0; i < 1000; ++i) {
            const char text[2] = {static_cast<char>('a' + i % 26), 0};
            ReplaceSelection(editor.ed, text, true);
            benchmark::DoNotOptimize(LongestLineColumns(editor.ed));
        }
    }
}
BENCHMARK(BM_ReplaceSelInLongLine)->Arg(500000)->Arg(1000000)->Apply(Ms);

void BM_ReplaceSelMiddle(benchmark::State& state) {
    const uint32_t characters = static_cast<uint32_t>(state.range(0));
    const std::string document = GenerateSource(100000, kAverageLine);
    BenchEditor editor;
    for (auto _ : state) {
        state.PauseTiming();
        SetWholeText(editor.ed, document.c_str());
        editor.ed.selAnchor = editor.ed.caretPos = StoredLength(editor.ed) / 2;
        LongestLineColumns(editor.ed);
        editor.ForgetRecords();
        state.ResumeTiming();
        for (uint32_t i = 0; i < characters; ++i) {
            const char text[2] = {static_cast<char>(i % 40 == 39 ? '\r' : 'a' + i % 26), 0};
            ReplaceSelection(editor.ed, text, true);
            benchmark::DoNotOptimize(LongestLineColumns(editor.ed));
            if (i % 1000 == 999) editor.ForgetRecords();
        }
    }
}
BENCHMARK(BM_ReplaceSelMiddle)->Arg(10000)->Arg(20000)->Apply(Ms);

void BM_ReplaceRangeInLine(benchmark::State& state) {
    const uint32_t range = static_cast<uint32_t>(state.range(0));
    const std::string line = LongLine(50000);
    BenchEditor editor;
    for (auto _ : state) {
        state.PauseTiming();
        SetWholeText(editor.ed, line.c_str());
        editor.ed.selAnchor = 5000;
        editor.ed.caretPos = 5000 + range;
        editor.ForgetRecords();
        state.ResumeTiming();
        ReplaceSelection(editor.ed, "abc", true);
        benchmark::DoNotOptimize(LongestLineColumns(editor.ed));
    }
}
BENCHMARK(BM_ReplaceRangeInLine)->Arg(19000)->Arg(38000)->Apply(Ms);

}  // namespace
}  // namespace qv::bench
