// The plain models the core fuzzer compares the control against, beside the
// editing model of TextModel.h: search, word lookups, and the text a stream brings
// in or takes out. Each works on the stored text as a string (one CR per line end,
// the closing CR last).
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Types.h"

namespace qv::fuzz {

// Where each line starts, and one more entry: the text's length.
inline std::vector<CharIndex> LineStarts(const std::string& doc) {
    std::vector<CharIndex> starts{0};
    for (size_t i = 0; i < doc.size(); ++i)
        if (doc[i] == '\r') starts.push_back(static_cast<CharIndex>(i + 1));
    return starts;
}

// Line and column of `a` as a lookup clamps it: past the end, the column after the
// closing CR on the last line.
struct Place {
    uint32_t line;
    uint32_t column;
};
inline Place PlaceOf(const std::vector<CharIndex>& starts, CharIndex a) {
    const CharIndex length = starts.back();
    const CharIndex at = std::min(a, length);
    const CharIndex inside = std::min(at, length - 1);
    const uint32_t line =
        static_cast<uint32_t>(std::upper_bound(starts.begin(), starts.end() - 1, inside) - starts.begin() - 1);
    return {line, at - starts[line]};
}

inline bool IsFindWord(uint8_t c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline uint8_t FoldCase(uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 0x20) : c; }

// The search of EM_FINDTEXT: a match lies within one line (its CR included); the
// limit is checked per line; flags 1 down, 2 whole word, 4 match case.
inline CharIndex ModelFind(const std::string& doc, uint32_t flags, int32_t cpMin, int32_t cpMax,
                           const std::string& pattern) {
    const uint32_t n = static_cast<uint32_t>(pattern.size());
    if (n == 0 || cpMin == cpMax) return kNoIndex;
    const std::vector<CharIndex> starts = LineStarts(doc);
    const uint32_t count = static_cast<uint32_t>(starts.size() - 1);
    const auto matchAt = [&](uint32_t line, uint32_t column) {
        const CharIndex s = starts[line];
        const uint32_t length = starts[line + 1] - s;
        const auto c = [&](uint32_t i) { return static_cast<uint8_t>(doc[s + i]); };
        if ((flags & 2) && column > 0 && IsFindWord(c(column - 1))) return false;
        for (uint32_t k = 0; k < n; ++k) {
            const uint8_t a = c(column + k), b = static_cast<uint8_t>(pattern[k]);
            if ((flags & 4) ? a != b : FoldCase(a) != FoldCase(b)) return false;
        }
        return !((flags & 2) && column + n < length && IsFindWord(c(column + n)));
    };
    Place at = PlaceOf(starts, static_cast<CharIndex>(cpMin));
    if (flags & 1) {
        const CharIndex limit = static_cast<CharIndex>(cpMax);
        for (uint32_t line = at.line, column = at.column; starts[std::min(line, count)] < limit; ++line, column = 0) {
            if (line >= count) return kNoIndex;
            const uint32_t length = starts[line + 1] - starts[line];
            for (; n <= length && column <= length - n; ++column)
                if (matchAt(line, column)) return starts[line] + column;
        }
        return kNoIndex;
    }
    for (uint32_t line = at.line, end = at.column;; end = starts[line] - starts[line - 1], --line) {
        if (n <= end)
            for (uint32_t column = end - n + 1; column-- > 0;)
                if (matchAt(line, column)) return starts[line] + column;
        if (line == 0 || static_cast<int64_t>(starts[line]) < cpMax) return kNoIndex;
    }
}

// Name characters of the word lookups.
inline bool IsName(uint8_t c) {
    return (c >= '0' && c <= '9') || (c >= 0x3F && c <= 0x5A) || (c >= 'a' && c <= 'z') || c == '_';
}
inline CharIndex ModelWordStart(const std::string& doc, CharIndex a) {
    const std::vector<CharIndex> starts = LineStarts(doc);
    Place at = PlaceOf(starts, a);
    while (at.column > 0 && IsName(static_cast<uint8_t>(doc[starts[at.line] + at.column - 1]))) --at.column;
    return starts[at.line] + at.column;
}
inline CharIndex ModelWordEnd(const std::string& doc, CharIndex a) {
    const std::vector<CharIndex> starts = LineStarts(doc);
    Place at = PlaceOf(starts, a);
    const uint32_t length = starts[at.line + 1] - starts[at.line];
    while (at.column < length && IsName(static_cast<uint8_t>(doc[starts[at.line] + at.column]))) ++at.column;
    return starts[at.line] + at.column;
}

// The stored text of a stream's bytes: UTF-16 units first when `unicode` (an odd
// last byte dropped, a byte-order mark at the start dropped, a surrogate pair one
// '?', any unit above 0xFF '?': the test platform's Latin-1 code page), then NULs
// dropped and CR LF, lone CR and lone LF each one CR. A stream that did not end
// (a call failed) leaves out a high surrogate at its end, still waiting for its
// partner; one that ended converts it to '?'.
inline std::string StoredFromStream(const std::string& bytes, bool unicode, bool ended) {
    std::string ansi;
    if (unicode) {
        std::vector<uint16_t> units;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            units.push_back(static_cast<uint16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8));
        if (!ended && !units.empty() && units.back() >= 0xD800 && units.back() < 0xDC00) units.pop_back();
        for (size_t i = !units.empty() && units[0] == 0xFEFF ? 1 : 0; i < units.size(); ++i) {
            const uint16_t u = units[i];
            const bool pair = u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                              units[i + 1] < 0xE000;
            ansi += u <= 0xFF ? static_cast<char>(u) : '?';
            if (pair) ++i;
        }
    } else {
        ansi = bytes;
    }
    std::string out;
    bool afterCr = false;
    for (char c : ansi) {
        if (c == 0) continue;
        if (c == '\n') {
            if (!afterCr) out += '\r';
            afterCr = false;
            continue;
        }
        afterCr = c == '\r';
        out += c;
    }
    return out;
}

// What a stream-out hands over for stored characters: every CR followed by an LF;
// with `unicode`, each byte as its UTF-16 unit (Latin-1).
inline std::string StreamedOut(const std::string& stored, bool unicode) {
    std::string out;
    for (char c : stored) {
        out += c;
        if (unicode) out += '\0';
        if (c == '\r') {
            out += '\n';
            if (unicode) out += '\0';
        }
    }
    return out;
}

}  // namespace qv::fuzz
