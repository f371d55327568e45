// The document the benchmark host shows: generated assembly source that exercises
// every colouring rule of the painter, and the keyword lists that colour it.
#pragma once

#include <windows.h>

#include <string>

namespace qvbench {

// `lines` lines of source with CR LF line ends, the same on every run.
std::string GenerateColouredSource(unsigned lines);

// Assembly-like plain source for the stream measurements: `lines` lines with CR LF
// ends (none after the last), about `averageLine` bytes each with its CR LF, lines
// from blank to about twice the average; the same on every run.
std::string GeneratePlainSource(unsigned lines, unsigned averageLine);

// One keyword group: its colour value (0xSSBBGGRR, SS the font style) and its
// comma-separated words, as EMX_SETKEYWORDS takes them.
struct KeywordGroup {
    DWORD value;
    const char* words;
};
extern const KeywordGroup kKeywordGroups[];
extern const unsigned kKeywordGroupCount;

}  // namespace qvbench
