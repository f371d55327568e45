// The documents the benchmark host works on: generated assembly source that
// exercises every colouring rule of the painter, the plain source of the core
// benchmarks, the long line, the typed characters, and the keyword lists that
// colour them. Every generator gives the same bytes on every run.
#pragma once

#include <windows.h>

#include <string>

namespace qvbench {

// `lines` lines of coloured source (20-line procedures with labels, keywords of
// every group, numbers, brackets, operators, strings and comments) with CR LF line
// ends, none after the last line.
std::string GenerateColouredSource(unsigned lines);

// Assembly-like plain source, the core benchmarks' generator: `lines` lines with
// CR LF ends (none after the last), about `averageLine` bytes each with its CR LF,
// lines from blank to about twice the average. The last line ends with
// `lastLineWord` when one is given, a word found nowhere else in the text.
std::string GeneratePlainSource(unsigned lines, unsigned averageLine, const char* lastLineWord = nullptr);

// One line of `bytes` characters without a line end: "mov eax, dword ptr
// [esi+4]", a TAB and "call proc " repeated, as the core benchmarks make it.
std::string GenerateLongLine(unsigned bytes);

// `count` characters of code as typed, lines ended by CR (Enter): four lines
// repeated, TABs, a comment and a label among them.
std::string GenerateTypedCode(unsigned count);

// One keyword group: its colour value (0xSSBBGGRR, SS the font style) and its
// comma-separated words, as EMX_SETKEYWORDS takes them.
struct KeywordGroup {
    DWORD value;
    const char* words;
};
extern const KeywordGroup kKeywordGroups[];
extern const unsigned kKeywordGroupCount;

}  // namespace qvbench
