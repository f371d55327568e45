// The benchmark host: the real Quorvane.dll under Wine, every workload of the
// performance table at two sizes, each sample in a fresh process.
//
//   QuorvaneBench.exe [--runs N] [--only name,name,...] [--list]
//       runs every workload (or those named) N times at each size (5 by default),
//       each run a new process of this program, the sizes alternating; prints for
//       each size the median with the lowest and highest, and the ratio of the two
//       medians beside the ratio of the two sizes, so that a cost growing faster
//       than its size shows at once
//   QuorvaneBench.exe --run name size
//       one sample: sets the control up, times the workload at that size and
//       prints "result <figure> <1 when the control did what was asked>"
//   QuorvaneBench.exe --snapshot pane.bmp
//       saves the pane showing the coloured source, and counts its colours
//
// The control is 800 x 600 in a main window, DejaVu Sans Mono 10 pt (regular,
// bold, italic), four keyword groups, line numbers on, scroll pacing off.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchControl.h"
#include "BenchSnapshot.h"
#include "BenchWorkloads.h"

using namespace qvbench;

namespace {

constexpr DWORD kSampleTimeoutMs = 15 * 60 * 1000;

// ---- One sample, in this process -----------------------------------------------------------

int RunOne(const char* name, const char* sizeText) {
    const Workload* workload = FindWorkload(name);
    const unsigned size = static_cast<unsigned>(std::strtoul(sizeText, nullptr, 10));
    if (!workload || size == 0) {
        std::fprintf(stderr, "QuorvaneBench: no workload %s of size %s\n", name, sizeText);
        return 2;
    }
    BenchControl bench;
    if (!bench.Create()) return 1;
    const Sample sample = workload->run(bench, size);
    std::printf("result %.4f %d %s\n", sample.value, sample.ok ? 1 : 0, sample.note.c_str());
    return 0;
}

// ---- Samples in fresh processes ----------------------------------------------------------------

struct Figures {
    std::vector<double> values;
    unsigned failed = 0;  // runs that gave no figure or whose control did not do the work
    std::string why;

    double Median() const {
        if (values.empty()) return 0;
        std::vector<double> v = values;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    double Min() const { return values.empty() ? 0 : *std::min_element(values.begin(), values.end()); }
    double Max() const { return values.empty() ? 0 : *std::max_element(values.begin(), values.end()); }
};

std::string ThisProgram() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

// Runs "--run name size" in a new process and reads its result line.
void Sample(const Workload& w, unsigned size, Figures& figures) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        ++figures.failed;
        return;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::string command = "\"" + ThisProgram() + "\" --run " + w.name + " " + std::to_string(size);
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    const BOOL started =
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        ++figures.failed;
        figures.why = "could not start";
        return;
    }
    std::string output;
    char buffer[512];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
    CloseHandle(readEnd);
    if (WaitForSingleObject(process.hProcess, kSampleTimeoutMs) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    const size_t at = output.find("result ");
    double value = 0;
    int ok = 0;
    if (at == std::string::npos || std::sscanf(output.c_str() + at, "result %lf %d", &value, &ok) != 2) {
        ++figures.failed;
        figures.why = "no result";
        return;
    }
    if (!ok) {
        ++figures.failed;
        const size_t end = output.find('\n', at);
        figures.why = output.substr(at, end == std::string::npos ? std::string::npos : end - at);
        return;
    }
    figures.values.push_back(value);
}

std::string Thousands(unsigned n) {
    std::string digits = std::to_string(n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

void PrintSize(const Workload& w, unsigned size, const Figures& f) {
    const char* unit = w.megabytes ? "MB" : "ms";
    std::printf("    %12s %-5s  median %9.2f %s  (%.2f-%.2f, n=%u)", Thousands(size).c_str(), w.unit, f.Median(), unit,
                f.Min(), f.Max(), static_cast<unsigned>(f.values.size()));
    if (f.failed) std::printf("  %u failed: %s", f.failed, f.why.c_str());
    std::printf("\n");
}

bool Selected(const std::string& only, const char* name) {
    if (only.empty()) return true;
    const std::string list = "," + only + ",";
    return list.find("," + std::string(name) + ",") != std::string::npos;
}

int RunAll(int runs, const std::string& only) {
    std::printf("Quorvane benchmark host: control %d x %d, DejaVu Sans Mono 10 pt, line numbers on; "
                "%d fresh processes a size, sizes alternating\n",
                kControlWidth, kControlHeight, runs);
    for (unsigned i = 0; i < kWorkloadCount; ++i) {
        const Workload& w = kWorkloads[i];
        if (!Selected(only, w.name)) continue;
        Figures small, large;
        for (int run = 0; run < runs; ++run) {
            Sample(w, w.sizes[0], small);
            Sample(w, w.sizes[1], large);
        }
        std::printf("%-18s %s   target %s\n", w.name, w.title, w.target);
        PrintSize(w, w.sizes[0], small);
        PrintSize(w, w.sizes[1], large);
        const double sizeRatio = static_cast<double>(w.sizes[1]) / w.sizes[0];
        const double ratio = small.Median() > 0 ? large.Median() / small.Median() : 0;
        std::printf("    ratio %.2f for sizes x%.1f\n", ratio, sizeRatio);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    int runs = 5;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--run" && i + 2 < argc) return RunOne(argv[i + 1], argv[i + 2]);
        if (arg == "--snapshot" && i + 1 < argc) return SaveSnapshot(argv[i + 1]);
        if (arg == "--list") {
            for (unsigned k = 0; k < kWorkloadCount; ++k)
                std::printf("%-18s %s\n", kWorkloads[k].name, kWorkloads[k].title);
            return 0;
        }
        if (arg == "--runs" && i + 1 < argc) {
            const int n = std::atoi(argv[++i]);
            if (n > 0) runs = n;
        } else if (arg == "--only" && i + 1 < argc) {
            only = argv[++i];
        }
    }
    return RunAll(runs, only);
}
