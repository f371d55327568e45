// Loading and saving the 20 MB source of 500,000 lines (and half of it) through a
// stream callback that moves 32 KB a call from and to memory, as a host reading
// and writing a file does.
//   BM_StreamIn   StreamIn at 0 into an empty document (EM_STREAMIN's transfer)
//   BM_StreamOut  StreamOut of the loaded document (EM_STREAMOUT's transfer)
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "BenchDocument.h"
#include "edit/Streams.h"

namespace qv::bench {
namespace {

constexpr uint32_t kAverageLine = 40;  // bytes with CR LF: 500,000 lines are 20 MB

struct MemoryFile {
    const std::string* text = nullptr;
    size_t offset = 0;
    std::string saved;
};

uint32_t QV_CALLBACK ReadMemory(uintptr_t cookie, uint8_t* buffer, int32_t count, int32_t* cb) {
    MemoryFile& file = *reinterpret_cast<MemoryFile*>(cookie);
    const size_t take = std::min(static_cast<size_t>(count), file.text->size() - file.offset);
    std::memcpy(buffer, file.text->data() + file.offset, take);
    file.offset += take;
    *cb = static_cast<int32_t>(take);
    return 0;
}

uint32_t QV_CALLBACK WriteMemory(uintptr_t cookie, uint8_t* buffer, int32_t count, int32_t* cb) {
    MemoryFile& file = *reinterpret_cast<MemoryFile*>(cookie);
    file.saved.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(count));
    *cb = count;
    return 0;
}

void BM_StreamIn(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    const std::string text = GenerateSource(lines, kAverageLine);
    for (auto _ : state) {
        state.PauseTiming();
        auto editor = std::make_unique<BenchEditor>();
        MemoryFile file;
        file.text = &text;
        EditStream stream{reinterpret_cast<uintptr_t>(&file), 0, ReadMemory};
        state.ResumeTiming();
        const StreamInResult result = StreamIn(editor->ed, stream, StreamInRequest{});
        state.PauseTiming();
        if (result.bytes != text.size() || LineCount(editor->ed) != lines)
            state.SkipWithError("the document did not load");
        editor.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * lines);
}
BENCHMARK(BM_StreamIn)->Arg(250000)->Arg(500000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StreamOut(benchmark::State& state) {
    const uint32_t lines = static_cast<uint32_t>(state.range(0));
    const std::string text = GenerateSource(lines, kAverageLine);
    BenchEditor editor;
    if (!editor.ok || !SetWholeText(editor.ed, text.c_str())) {
        state.SkipWithError("no document");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        MemoryFile file;
        file.saved.reserve(text.size() + 2);
        EditStream stream{reinterpret_cast<uintptr_t>(&file), 0, WriteMemory};
        state.ResumeTiming();
        const uint32_t bytes = StreamOut(editor.ed, stream, StreamOutRequest{});
        benchmark::DoNotOptimize(bytes);
        state.PauseTiming();
        if (file.saved.compare(0, text.size(), text) != 0) state.SkipWithError("the document did not save");
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * lines);
}
BENCHMARK(BM_StreamOut)->Arg(250000)->Arg(500000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace qv::bench
