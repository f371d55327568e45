// What the core benchmarks share: a control's record with a fresh document on the
// native platform, and generated source text of a chosen size.
//
// The documents are generated, never read from files, and are the same on every
// run: a small fixed-seed generator picks the line shapes, so two runs (and two
// machines) measure the same bytes.
#pragma once

#include <cstdint>
#include <string>

#include "core/support/FakePlatform.h"
#include "command/DocumentCommands.h"
#include "edit/EditState.h"
#include "edit/TextEdit.h"
#include "pane/MouseState.h"
#include "base/EditorInstance.h"
#include "store/LineStore.h"
#include "store/PositionMap.h"

namespace qv::bench {

// Assembly-like source, `lines` lines ending in CR LF (none after the last), about
// `averageLine` bytes per line with its CR LF. Lines vary from blank to about twice
// the average; the last line ends with `lastLineWord` when one is given, a word
// that appears nowhere else in the text.
inline std::string GenerateSource(uint32_t lines, uint32_t averageLine, const char* lastLineWord = nullptr) {
    static const char* const kWords[] = {"mov",    "eax",   "ebx", "push", "pop",  "call", "ret",  "invoke",
                                         "offset", "dword", "ptr", "lea",  "esi",  "edi",  "cmp",  "jne",
                                         "xor",    "add",   "sub", "inc",  "test", "jz",   "proc", "endp"};
    constexpr uint32_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);
    std::string text;
    text.reserve(static_cast<size_t>(lines) * averageLine + 64);
    uint32_t seed = 0x2545F491u;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    // The body of a line is averageLine - 2 bytes on average (CR LF aside).
    const uint32_t body = averageLine > 2 ? averageLine - 2 : 0;
    for (uint32_t line = 0; line < lines; ++line) {
        const uint32_t target = body ? next() % (2 * body + 1) : 0;
        const size_t lineStart = text.size();
        if (target > 0) text += '\t';
        while (text.size() - lineStart < target) {
            if (next() % 8 == 0) {
                text += "; note ";
            } else {
                text += kWords[next() % kWordCount];
                text += ' ';
            }
        }
        text.resize(lineStart + target);  // exact length, so the total is predictable
        if (line + 1 < lines) {
            text += "\r\n";
        } else if (lastLineWord) {
            text += ' ';
            text += lastLineWord;
        }
    }
    return text;
}

// A control's record with an empty document (one line: its closing CR) on the
// native platform, which this object installs for its lifetime. Panes are made-up
// handles, as the core only compares and passes them on.
class BenchEditor {
public:
    BenchEditor() {
        InstallPlatform(&platform);
        ed.hwnd = Window(0x100);
        ed.hwndParent = Window(0x200);
        ed.panes[0].hwnd = Window(0x300);
        ed.panes[1].hwnd = Window(0x400);
        ed.hwndActivePane = ed.panes[0].hwnd;
        SetInstanceDefaults(ed);
        ok = CreateStore(ed) && InsertEndMark(ed);
    }
    ~BenchEditor() {
        DestroyStore(ed);
        InstallPlatform(nullptr);
    }
    BenchEditor(const BenchEditor&) = delete;
    BenchEditor& operator=(const BenchEditor&) = delete;

    // Drops what the platform recorded (cursors set and restored), so that long
    // runs do not measure the growth of those lists.
    void ForgetRecords() { platform.ClearRecords(); }

    test::FakePlatform platform;
    ControlRecord record{};
    EditorInstance& ed = record.ed;
    bool ok = false;

private:
    static WindowRef Window(uintptr_t n) { return reinterpret_cast<WindowRef>(n); }
};

// Stored characters of the document, closing CR included: what a whole-text
// operation walks over.
inline int64_t StoredBytes(const EditorInstance& ed) {
    return static_cast<int64_t>(StoredLength(ed));
}

}  // namespace qv::bench
