#include "BenchWorkloads.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "BenchSource.h"
#include "quorvane.h"

namespace qvbench {
namespace {

constexpr unsigned kAverageLine = 40;        // bytes with CR LF: 500,000 lines are 20 MB
constexpr int kPages = 300;
constexpr unsigned kLineTyped = 1000;        // characters typed into the long line
constexpr unsigned kMiddleLines = 100000;    // the document typed into
constexpr unsigned kRangeLine = 50000;       // the line a range is replaced in
constexpr unsigned kRangeStart = 5000;
constexpr int kRepaints = 100;
const char kLastWord[] = "zyxwvutsrq";       // found only at the end of the text

Sample Fail(const char* why) {
    Sample s;
    s.note = why;
    return s;
}

Sample Done(double value, bool ok, const char* why = "") {
    Sample s;
    s.value = value;
    s.ok = ok;
    if (!ok) s.note = why;
    return s;
}

LRESULT TextLength(const BenchControl& b) { return b.Send(WM_GETTEXTLENGTH); }
LRESULT LineCount(const BenchControl& b) { return b.Send(EM_GETLINECOUNT); }

// Loads `text` untimed and paints it.
void Load(BenchControl& b, const std::string& text) {
    b.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    b.Send(EM_SETMODIFY, 0, 0);
    b.PaintNow();
    Pump();
}

// Puts the caret at `pos` and brings it into view, untimed.
void PlaceCaretAt(BenchControl& b, LRESULT pos) {
    b.Send(EM_SETSEL, pos, pos);
    b.Send(EM_SCROLLCARET);
    b.PaintNow();
    Pump();
}

// The WM_KEYDOWN lParam of a key as the keyboard sends it: its scan code, extended.
LPARAM KeyLParam(UINT scan) { return 1 | (static_cast<LPARAM>(scan | 0x100) << 16); }

// The length WM_GETTEXTLENGTH gives for `typed` put in: each CR becomes CR LF.
LRESULT HostLength(const std::string& typed) {
    LRESULT n = 0;
    for (char c : typed) n += c == '\r' ? 2 : 1;
    return n;
}

// ---- Loading -----------------------------------------------------------------------------

Sample SetText(BenchControl& b, unsigned lines) {
    const std::string text = GeneratePlainSource(lines, kAverageLine);
    const double start = NowMs();
    b.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    b.PaintNow();
    const double ms = NowMs() - start;
    return Done(ms, LineCount(b) == static_cast<LRESULT>(lines), "line count");
}

struct MemoryFile {
    const std::string* text;
    size_t offset;
};

DWORD CALLBACK ReadMemoryFile(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* cb) {
    MemoryFile& file = *reinterpret_cast<MemoryFile*>(cookie);
    const size_t take = std::min(static_cast<size_t>(count), file.text->size() - file.offset);
    std::memcpy(buffer, file.text->data() + file.offset, take);
    file.offset += take;
    *cb = static_cast<LONG>(take);
    return 0;
}

// The control asks for 32 KB a call, its transfer buffer's size.
Sample StreamIn(BenchControl& b, unsigned lines) {
    const std::string text = GeneratePlainSource(lines, kAverageLine);
    MemoryFile file = {&text, 0};
    EDITSTREAM in = {reinterpret_cast<DWORD_PTR>(&file), 0, ReadMemoryFile};
    const double start = NowMs();
    const LRESULT read = b.Send(EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&in));
    b.PaintNow();
    const double ms = NowMs() - start;
    return Done(ms, read == static_cast<LRESULT>(text.size()) && LineCount(b) == static_cast<LRESULT>(lines),
                "bytes or lines");
}

Sample LoadMemory(BenchControl& b, unsigned lines) {
    const std::string text = GeneratePlainSource(lines, kAverageLine);
    Pump();
    const size_t before = PrivateBytes();
    b.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    b.PaintNow();
    Pump();
    const size_t after = PrivateBytes();
    const double mb = (static_cast<double>(after) - static_cast<double>(before)) / 1e6;
    return Done(mb, LineCount(b) == static_cast<LRESULT>(lines), "line count");
}

// ---- Paste, undo, delete -------------------------------------------------------------

bool PutOnClipboard(HWND owner, const std::string& text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    bool ok = false;
    if (block) {
        std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        ok = SetClipboardData(CF_TEXT, block) != nullptr;
        if (!ok) GlobalFree(block);
    }
    CloseClipboard();
    return ok;
}

// A document of 2n lines with the caret at the top and n lines on the clipboard.
bool PreparePaste(BenchControl& b, unsigned lines) {
    Load(b, GeneratePlainSource(2 * lines, kAverageLine));
    PlaceCaretAt(b, 0);
    return PutOnClipboard(b.main, GeneratePlainSource(lines, kAverageLine) + "\r\n");
}

Sample Paste(BenchControl& b, unsigned lines) {
    if (!PreparePaste(b, lines)) return Fail("clipboard");
    const double start = NowMs();
    b.Send(WM_PASTE);
    b.PaintNow();
    const double ms = NowMs() - start;
    return Done(ms, LineCount(b) == static_cast<LRESULT>(3 * lines), "line count");
}

Sample UndoPaste(BenchControl& b, unsigned lines) {
    if (!PreparePaste(b, lines)) return Fail("clipboard");
    b.Send(WM_PASTE);
    b.PaintNow();
    Pump();
    if (LineCount(b) != static_cast<LRESULT>(3 * lines)) return Fail("paste");
    const double start = NowMs();
    b.Send(EM_UNDO);
    b.PaintNow();
    const double ms = NowMs() - start;
    return Done(ms, LineCount(b) == static_cast<LRESULT>(2 * lines), "line count");
}

Sample DeleteAll(BenchControl& b, unsigned lines) {
    Load(b, GeneratePlainSource(lines, kAverageLine));
    b.Send(EM_SETSEL, 0, -1);
    b.PaintNow();
    Pump();
    const double start = NowMs();
    b.Send(WM_KEYDOWN, VK_DELETE, KeyLParam(0x53));
    b.PaintNow();
    const double ms = NowMs() - start;
    return Done(ms, TextLength(b) == 0, "text left");
}

// ---- Find ----------------------------------------------------------------------------

Sample Find(BenchControl& b, unsigned lines, bool matchCase) {
    Load(b, GeneratePlainSource(lines, kAverageLine, kLastWord));
    char word[sizeof kLastWord];
    std::strcpy(word, kLastWord);
    if (!matchCase) CharUpperA(word);
    FINDTEXTEXA find = {};
    find.chrg.cpMin = 0;
    find.chrg.cpMax = -1;
    find.lpstrText = word;
    const WPARAM flags = FR_DOWN | (matchCase ? FR_MATCHCASE : 0);
    const double start = NowMs();
    const LRESULT found = b.Send(EM_FINDTEXTEX, flags, reinterpret_cast<LPARAM>(&find));
    const double ms = NowMs() - start;
    const LRESULT last = b.Send(EM_LINEINDEX, LineCount(b) - 1);
    const LRESULT expected = last + b.Send(EM_LINELENGTH, last) - static_cast<LRESULT>(std::strlen(kLastWord));
    return Done(ms, found == expected, "found elsewhere");
}
Sample FindMatchCase(BenchControl& b, unsigned lines) { return Find(b, lines, true); }
Sample FindIgnoreCase(BenchControl& b, unsigned lines) { return Find(b, lines, false); }

// ---- Paging and painting ---------------------------------------------------------------

Sample PageDownBar(BenchControl& b, unsigned lines) {
    Load(b, GenerateColouredSource(lines));
    PlaceCaretAt(b, 0);
    const HWND pane = b.UpperPane();
    const LPARAM bar = reinterpret_cast<LPARAM>(b.UpperVScroll());
    const double start = NowMs();
    for (int i = 0; i < kPages; ++i) {
        SendMessageA(pane, WM_VSCROLL, SB_PAGEDOWN, bar);
        b.PaintNow();
    }
    const double ms = NowMs() - start;
    SendMessageA(pane, WM_VSCROLL, SB_ENDSCROLL, bar);
    const LRESULT top = b.Send(EM_GETFIRSTVISIBLELINE);
    return Done(ms, top > kPages * 20, "did not page");
}

Sample PageDownKey(BenchControl& b, unsigned lines) {
    Load(b, GenerateColouredSource(lines));
    PlaceCaretAt(b, 0);
    const double start = NowMs();
    for (int i = 0; i < kPages; ++i) {
        b.Send(WM_KEYDOWN, VK_NEXT, KeyLParam(0x51));
        b.PaintNow();
    }
    const double ms = NowMs() - start;
    const LRESULT top = b.Send(EM_GETFIRSTVISIBLELINE);
    return Done(ms, top > kPages * 20, "did not page");
}

Sample Repaint(BenchControl& b, unsigned lines) {
    Load(b, GenerateColouredSource(lines));
    PlaceCaretAt(b, b.Send(EM_LINEINDEX, lines / 2));
    const HWND pane = b.UpperPane();
    const double start = NowMs();
    for (int i = 0; i < kRepaints; ++i) {
        InvalidateRect(pane, nullptr, FALSE);
        b.PaintNow();
    }
    const double ms = NowMs() - start;
    return Done(ms, true);
}

// ---- The long line ---------------------------------------------------------------------

Sample InsertLongLine(BenchControl& b, unsigned bytes) {
    const std::string line = GenerateLongLine(bytes);
    b.PaintNow();
    Pump();
    const double start = NowMs();
    b.Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(line.c_str()));
    b.PaintNow();
    const double ms = NowMs() - start;
    return Done(ms, TextLength(b) == static_cast<LRESULT>(bytes), "text length");
}

// The long line loaded, the caret in its middle and in view.
void PrepareLongLine(BenchControl& b, unsigned bytes) {
    Load(b, GenerateLongLine(bytes));
    PlaceCaretAt(b, bytes / 2);
}

std::string LineTyping() {
    std::string typed;
    for (unsigned i = 0; i < kLineTyped; ++i) typed += static_cast<char>('a' + i % 26);
    return typed;
}

Sample LineReplaceSel(BenchControl& b, unsigned bytes) {
    PrepareLongLine(b, bytes);
    const std::string typed = LineTyping();
    const double start = NowMs();
    for (char c : typed) {
        const char text[2] = {c, 0};
        b.Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
        b.PaintNow();
    }
    const double ms = NowMs() - start;
    return Done(ms, TextLength(b) == static_cast<LRESULT>(bytes + typed.size()), "text length");
}

Sample LineChar(BenchControl& b, unsigned bytes) {
    PrepareLongLine(b, bytes);
    const std::string typed = LineTyping();
    const double start = NowMs();
    for (char c : typed) {
        b.Send(WM_CHAR, static_cast<unsigned char>(c), 1);
        b.PaintNow();
    }
    const double ms = NowMs() - start;
    return Done(ms, TextLength(b) == static_cast<LRESULT>(bytes + typed.size()), "text length");
}

Sample ReplaceRange(BenchControl& b, unsigned range) {
    Load(b, GenerateLongLine(kRangeLine));
    b.Send(EM_SETSEL, kRangeStart, kRangeStart + range);
    b.PaintNow();
    Pump();
    const double start = NowMs();
    b.Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("abc"));
    b.PaintNow();
    const double ms = NowMs() - start;
    return Done(ms, TextLength(b) == static_cast<LRESULT>(kRangeLine - range + 3), "text length");
}

// ---- Typing into the middle of a long document -------------------------------------------

void PrepareMiddle(BenchControl& b) {
    Load(b, GenerateColouredSource(kMiddleLines));
    PlaceCaretAt(b, b.Send(EM_LINEINDEX, kMiddleLines / 2));
}

Sample MiddleReplaceSel(BenchControl& b, unsigned chars) {
    PrepareMiddle(b);
    const std::string typed = GenerateTypedCode(chars);
    const LRESULT before = TextLength(b);
    const double start = NowMs();
    for (char c : typed) {
        const char text[2] = {c, 0};
        b.Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
        b.PaintNow();
    }
    const double ms = NowMs() - start;
    return Done(ms, TextLength(b) == before + HostLength(typed), "text length");
}

Sample MiddleChar(BenchControl& b, unsigned chars) {
    PrepareMiddle(b);
    const std::string typed = GenerateTypedCode(chars);
    const LRESULT before = TextLength(b);
    const double start = NowMs();
    for (char c : typed) {
        b.Send(WM_CHAR, static_cast<unsigned char>(c), 1);
        b.PaintNow();
    }
    const double ms = NowMs() - start;
    return Done(ms, TextLength(b) == before + HostLength(typed), "text length");
}

}  // namespace

const Workload kWorkloads[] = {
    {"settext", "WM_SETTEXT of plain source, painted", "lines", {250000, 500000}, "<= 27 (500,000)", false,
     SetText},
    {"streamin", "EM_STREAMIN of the same, 32 KB a call, painted", "lines", {250000, 500000},
     "<= 27 (500,000)", false, StreamIn},
    {"paste", "paste n lines at the top of 2n lines, painted", "lines", {25000, 50000}, "<= 13 (50,000)", false,
     Paste},
    {"undo-paste", "EM_UNDO of that paste, painted", "lines", {25000, 50000}, "<= 6 (50,000)", false, UndoPaste},
    {"delete-all", "select all and Delete, painted", "lines", {100000, 500000}, "<= 4.5 / <= 17", false,
     DeleteAll},
    {"find-case", "EM_FINDTEXTEX of the last word, match case", "lines", {250000, 500000}, "<= 10 (500,000)",
     false, FindMatchCase},
    {"find-nocase", "EM_FINDTEXTEX of the last word, ignore case", "lines", {250000, 500000},
     "<= 18 (500,000)", false, FindIgnoreCase},
    {"pagedown", "300 x SB_PAGEDOWN, each painted", "lines", {250000, 500000}, "<= 800", false, PageDownBar},
    {"pagedown-key", "300 x Page Down key, each painted", "lines", {250000, 500000}, "-", false, PageDownKey},
    {"repaint", "100 full repaints at the middle", "lines", {250000, 500000}, "-", false, Repaint},
    {"insert-line", "EM_REPLACESEL of one long line, painted", "bytes", {500000, 1000000}, "<= 198 (1 MB)",
     false, InsertLongLine},
    {"line-replacesel", "1,000 chars into its middle by EM_REPLACESEL, each painted", "bytes",
     {500000, 1000000}, "<= 2,000 (1 MB)", false, LineReplaceSel},
    {"line-char", "1,000 chars into its middle by WM_CHAR, each painted", "bytes", {500000, 1000000},
     "<= 2,000 (1 MB)", false, LineChar},
    {"middle-replacesel", "chars by EM_REPLACESEL into 100,000 lines, each painted", "chars", {10000, 20000},
     "<= 1,600 (20,000)", false, MiddleReplaceSel},
    {"middle-char", "chars by WM_CHAR into 100,000 lines, each painted", "chars", {10000, 20000},
     "<= 1,500 (20,000)", false, MiddleChar},
    {"replace-range", "EM_REPLACESEL of \"abc\" over a range in one line", "chars", {19000, 38000},
     "<= 5 (38,000)", false, ReplaceRange},
    {"memory", "private memory added by WM_SETTEXT (MB)", "lines", {250000, 500000}, "<= 40 MB (500,000)", true,
     LoadMemory},
};
const unsigned kWorkloadCount = sizeof(kWorkloads) / sizeof(kWorkloads[0]);

const Workload* FindWorkload(const std::string& name) {
    for (const Workload& w : kWorkloads)
        if (name == w.name) return &w;
    return nullptr;
}

}  // namespace qvbench
