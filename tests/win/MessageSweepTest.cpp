// The sweep: every message number the control and its panes can receive, with
// every pairing of hostile arguments, through the real window procedures, with
// painting after each message. Nothing may crash or hang, the stored document must
// keep its shape after every message, and the control must still edit, undo and
// paint after each message number.
//
// The arguments: 0 (NULL), 1, -1, 0x7FFFFFFF, 0x80000000, 65535, 65536, a zeroed
// 4 KB block, and one byte before a guard page. Where a message reads or writes
// through an argument, an integer other than 0 is a garbage pointer, which crashes
// the platform's own controls as well: such pairs are left out. The zeroed block
// stands for a record or a buffer whose size the message's own arguments allow; the
// guarded byte for a buffer of one byte (an empty string, or a size argument of 0 or
// 1), which the control may not read or write past.
//
// `make test` runs every argument with 0 as the other one, on the control and on
// both panes, plus every pairing on the control for the messages that take
// pointers; QV_SWEEP=full (run by `make soak`) runs every pairing everywhere.
#include <richedit.h>

#include <cstdio>
#include <initializer_list>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "win/support/Hostile.h"
#include "win/support/TestHost.h"

namespace qvtest {
namespace {

// How a message uses one of its arguments.
enum class Use : uint8_t {
    Value,     // a number or a handle: any value is fair
    Record,    // a record of `size` bytes read or written through it
    String,    // a NUL-terminated text read through it
    Sized,     // a buffer whose size in bytes is the other argument
    Capacity,  // EM_GETLINE's buffer, its capacity in its first WORD
    Selection, // EM_GETSELTEXT's buffer: the selection and a NUL
    Code,      // a function the control calls: only NULL is fair
};

struct ArgUse {
    Use use = Use::Value;
    uint32_t size = 0;
};

struct PointerMessage {
    UINT msg;
    ArgUse w;
    ArgUse l;
};

constexpr ArgUse V{Use::Value, 0};
constexpr ArgUse Rec(uint32_t size) { return {Use::Record, size}; }
constexpr ArgUse Str{Use::String, 0};
constexpr ArgUse Sized{Use::Sized, 0};
constexpr ArgUse Fn{Use::Code, 0};

// The messages that take an address, the control's own and those the default
// procedure of the platform reads or writes through (for every other number both
// arguments are values). The same table serves the panes.
const PointerMessage kPointerMessages[] = {
    {WM_CREATE, V, Rec(sizeof(CREATESTRUCTA))},
    {WM_SETTEXT, V, Str},
    {WM_GETTEXT, V, Sized},
    {WM_GETMINMAXINFO, V, Rec(sizeof(MINMAXINFO))},
    {WM_DRAWITEM, V, Rec(sizeof(DRAWITEMSTRUCT))},
    {WM_MEASUREITEM, V, Rec(sizeof(MEASUREITEMSTRUCT))},
    {WM_DELETEITEM, V, Rec(sizeof(DELETEITEMSTRUCT))},
    {WM_COMPAREITEM, V, Rec(sizeof(COMPAREITEMSTRUCT))},
    {WM_WINDOWPOSCHANGING, V, Rec(sizeof(WINDOWPOS))},
    {WM_WINDOWPOSCHANGED, V, Rec(sizeof(WINDOWPOS))},
    {WM_COPYDATA, V, Rec(sizeof(COPYDATASTRUCT))},
    {WM_NOTIFY, V, Rec(sizeof(NMHDR))},
    {WM_HELP, V, Rec(sizeof(HELPINFO))},
    {WM_STYLECHANGING, V, Rec(sizeof(STYLESTRUCT))},
    {WM_STYLECHANGED, V, Rec(sizeof(STYLESTRUCT))},
    {WM_NCCREATE, V, Rec(sizeof(CREATESTRUCTA))},
    {WM_NCCALCSIZE, V, Rec(sizeof(NCCALCSIZE_PARAMS))},
    {WM_GETDLGCODE, V, Rec(sizeof(MSG))},
    {EM_GETSEL, Rec(4), Rec(4)},
    {EM_GETRECT, V, Rec(sizeof(RECT))},
    {EM_SETRECT, V, Rec(sizeof(RECT))},
    {EM_SETRECTNP, V, Rec(sizeof(RECT))},
    {EM_REPLACESEL, V, Str},
    {EM_GETLINE, V, {Use::Capacity, 0}},
    {EM_SETTABSTOPS, V, Rec(4)},
    {EM_SETWORDBREAKPROC, V, Fn},
    {EM_POSFROMCHAR, Rec(sizeof(POINTL)), V},
    {EM_CHARFROMPOS, V, Rec(sizeof(POINTL))},
    {WM_SIZING, V, Rec(sizeof(RECT))},
    {WM_MOVING, V, Rec(sizeof(RECT))},
    {WM_MDICREATE, V, Rec(sizeof(MDICREATESTRUCTA))},
    {WM_MDIGETACTIVE, V, Rec(4)},
    {WM_ASKCBFORMATNAME, V, Sized},
    {WM_PAINTCLIPBOARD, V, Rec(sizeof(PAINTSTRUCT))},
    {WM_SIZECLIPBOARD, V, Rec(sizeof(RECT))},
    {EM_EXGETSEL, V, Rec(sizeof(CHARRANGE))},
    {EM_EXSETSEL, V, Rec(sizeof(CHARRANGE))},
    {EM_FINDTEXT, V, Rec(sizeof(FINDTEXTA))},
    {EM_GETSELTEXT, V, {Use::Selection, 0}},
    {EM_STREAMIN, V, Rec(sizeof(EDITSTREAM))},
    {EM_STREAMOUT, V, Rec(sizeof(EDITSTREAM))},
    {EM_GETTEXTRANGE, V, Rec(sizeof(TEXTRANGEA))},
    {EM_FINDTEXTEX, V, Rec(sizeof(FINDTEXTEXA))},
    {EM_GETTEXTLENGTHEX, Rec(sizeof(GETTEXTLENGTHEX)), V},
    {EMX_SUBCLASSPANES, V, Fn},
    {EMX_SETHOSTWINDOWS, V, Rec(6 * 4)},
    {EMX_SETKEYWORDS, V, Str},
    {EMX_SETFONTS, V, Rec(6 * 4)},
    {EMX_GETFONTS, V, Rec(6 * 4)},
    {EMX_SETCOLORS, V, Rec(27 * 4)},
    {EMX_GETCOLORS, V, Rec(27 * 4)},
    {EMX_ENUMMARKERS, V, Rec(84)},
    {EMX_SETMARKERCALLBACK, V, Fn},
    {EMX_MARKBLOCKS, V, Rec(8)},
    {EMX_MATCHBLOCKPATTERN, V, Str},
    {EMX_GETWORD, V, Sized},
    {EMX_FOLDBLOCK, V, Rec(8)},
    {EMX_FOLDALL, V, Rec(8)},
};

const PointerMessage* PointerUse(UINT msg) {
    for (const PointerMessage& p : kPointerMessages)
        if (p.msg == msg) return &p;
    return nullptr;
}

// The messages that may change the text; every other one must leave it as it was.
bool Edits(UINT msg) {
    switch (msg) {
        case WM_SETTEXT: case WM_KEYDOWN: case WM_CHAR: case WM_IME_CHAR: case WM_CUT: case WM_PASTE:
        case WM_CLEAR: case WM_UNDO: case EM_REPLACESEL: case EM_UNDO: case EM_STREAMIN: case EM_REDO:
            return true;
        default:
            return false;
    }
}

// The arguments; the last two are addresses made per case.
enum ArgKind { kZero, kOne, kMinusOne, kMaxInt, kMinInt, k65535, k65536, kBlock, kGuarded, kArgCount };
const uint32_t kValues[] = {0, 1, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 65535, 65536};
const char* const kArgNames[] = {"0",      "1",     "-1",       "0x7FFFFFFF", "0x80000000",
                                 "65535", "65536", "zero4K", "guard1"};

// The size a Sized buffer's other argument claims, or -1 when that is an address.
int64_t ClaimedSize(ArgKind other) {
    if (other >= kBlock) return -1;
    return kValues[other];
}

// True when an argument of this kind is fair for a message that uses it so, the
// other argument claiming `claimed` bytes: no garbage pointer, and no buffer smaller
// than the message's own arguments say.
bool Fair(const ArgUse& use, ArgKind kind, int64_t claimed) {
    if (use.use == Use::Value || kind == kZero) return true;
    if (kind < kBlock) return false;  // an integer other than 0 where an address goes
    const uint32_t have = kind == kBlock ? 4096 : 1;
    switch (use.use) {
        case Use::Record: return use.size <= have;
        case Use::String: return true;  // both blocks hold an empty string
        case Use::Sized: return claimed >= 0 && claimed <= have;
        case Use::Capacity: return have >= 2;  // the capacity word itself
        case Use::Selection: return have == 4096;  // the sweep's text is short
        case Use::Code: return false;
        default: return false;
    }
}

const char kSample[] =
    "\t; the sweep's document, a tab first: the longest line is measured from here\r\n"
    "$ proc first\r\n"
    "\tmov eax, ebx\t; a comment\r\n"
    "\tpush \"a string\"\r\n"
    "$ endp\r\n"
    "label:\tdb 0x80, 0xFF, 'q'\r\n"
    "$ proc second\r\n"
    "    call first\r\n"
    "$ endp\r\n"
    "a long line: 0123456789012345678901234567890123456789012345678901234567890123456789"
    "0123456789012345678901234567890123456789012345678901234567890123456789\r\n"
    "\r\n"
    "the last line";

class MessageSweepTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        // Proportional fonts (the longest line is measured with DrawTextExA) of
        // several average widths, odd and even: a tab distance of 0x80000000 times an
        // even one is 0. Each fresh control takes the next.
        for (int height : {-8, -10, -11, -12, -13, -14, -16, -20})
            fonts.push_back(CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
                                        VARIABLE_PITCH | FF_SWISS, "Arial"));
        SendMessageA(control, EMX_SETKEYWORDS, 0x01000000, reinterpret_cast<LPARAM>("mov,push,call"));
    }
    void TearDown() override {
        if (control && IsWindow(control)) DestroyWindow(control);
        control = nullptr;
        ControlTest::TearDown();
        for (HFONT font : fonts) DeleteObject(font);
    }

    // A fresh control with everything on: a proportional font, text with tabs and
    // blocks, line numbers, markers, a highlight, a folded block and the split open.
    void Prepare(size_t fontIndex) {
        if (control && IsWindow(control)) DestroyWindow(control);
        ASSERT_TRUE(MakeControl(600, 400));
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(fonts[fontIndex % fonts.size()]));
        Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kSample));
        Send(EMX_TOGGLELINENUMBERS);
        Send(EMX_SETMARKER, 2, 7);
        Send(EMX_SETLINEHILITE, 3, 2);
        Send(EMX_MARKBLOCKS, 0, reinterpret_cast<LPARAM>(kPatterns));
        Send(EMX_FOLDBLOCK, 6, reinterpret_cast<LPARAM>(kPatterns));
        Send(EMX_TOGGLESPLIT);
        Send(EM_SETSEL, 30, 40);
        Paint(true);
    }

    HWND Pane(int i) const {
        HWND panes[2] = {};
        int n = 0;
        for (HWND child = GetWindow(control, GW_CHILD); child && n < 2; child = GetWindow(child, GW_HWNDNEXT)) {
            char cls[32] = {};
            GetClassNameA(child, cls, sizeof cls);
            if (std::strcmp(cls, "QuorvaneEdit") == 0) panes[n++] = child;
        }
        return panes[i];
    }

    void Paint(bool all) {
        if (!IsWindow(control)) return;
        RedrawWindow(control, nullptr, nullptr,
                     (all ? RDW_INVALIDATE | RDW_ERASE : 0) | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }

    // One message with one pair of arguments; the document's shape checked after,
    // and its text unchanged unless the message edits.
    void RunCase(HWND target, const char* targetName, UINT msg, ArgKind w, ArgKind l) {
        reporter.Name("%s msg 0x%04X wParam %s lParam %s", targetName, msg, kArgNames[w], kArgNames[l]);
        std::memset(block.data(), 0, block.size());
        guarded.Reset();
        const bool edits = Edits(msg);
        const std::string before = edits ? std::string() : StoredText(control);
        SendMessageA(target, msg, Arg(w), Arg(l));
        Paint(false);
        ++cases;
        if (IsWindow(control)) {
            std::string fault = DocumentFault(control);
            if (fault.empty() && !edits && StoredText(control) != before) fault = "the text changed";
            if (!fault.empty()) {
                ADD_FAILURE() << targetName << " msg 0x" << std::hex << msg << " wParam " << kArgNames[w]
                              << " lParam " << kArgNames[l] << ": " << fault;
                Prepare(0);
            }
        }
    }

    WPARAM Arg(ArgKind kind) {
        if (kind == kBlock) return reinterpret_cast<WPARAM>(block.data());
        if (kind == kGuarded) return reinterpret_cast<WPARAM>(guarded.get());
        return kValues[kind];
    }

    // After a message number: painted whole, laid out again, and still editing.
    void ExpectStillWorks(UINT msg) {
        ASSERT_TRUE(IsWindow(control)) << "message 0x" << std::hex << msg << " destroyed the control";
        reporter.Name("the check after message 0x%04X", msg);
        Paint(true);
        SetWindowPos(control, nullptr, 0, 0, 590, 390, SWP_NOMOVE | SWP_NOZORDER);
        Send(EMX_SETREADONLY, 0, 0);
        Send(EM_SETSEL, 0, 0);
        Send(EMX_SETLINELOCK, 0, 0);
        Send(EMX_UNFOLDALL);
        const LRESULT length = Send(WM_GETTEXTLENGTH);
        Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("x"));
        EXPECT_EQ(Send(WM_GETTEXTLENGTH), length + 1) << "message 0x" << std::hex << msg;
        EXPECT_EQ(Send(EM_UNDO), 1) << "message 0x" << std::hex << msg;
        EXPECT_EQ(Send(WM_GETTEXTLENGTH), length) << "message 0x" << std::hex << msg;
        Paint(true);
        EXPECT_EQ(DocumentFault(control), "") << "message 0x" << std::hex << msg;
    }

    static const char* const kPatterns[2];

    std::vector<HFONT> fonts;
    std::vector<uint8_t> block = std::vector<uint8_t>(4096);
    GuardedByte guarded;
    CaseReporter reporter{30};
    long cases = 0;
};
const char* const MessageSweepTest::kPatterns[2] = {"$ proc", "$ endp"};

// Every number the control and its panes can receive, except those that destroy
// the window (WM_DESTROY, WM_NCDESTROY, and WM_CLOSE, whose default destroys it).
std::vector<UINT> SweptMessages() {
    std::vector<UINT> numbers;
    for (UINT m = 0; m <= 0x500; ++m)
        if (m != WM_DESTROY && m != WM_NCDESTROY && m != WM_CLOSE) numbers.push_back(m);
    numbers.push_back(EMX_NOP);
    return numbers;
}

bool FullSweep() {
    const char* mode = std::getenv("QV_SWEEP");
    return mode && std::strcmp(mode, "full") == 0;
}

TEST_F(MessageSweepTest, NoMessageWithAnyArgumentsCrashesHangsOrDamagesTheDocument) {
    const bool full = FullSweep();
    // A fresh control and the check that it still works cost far more than the
    // cases: the short sweep shares them among 16 message numbers.
    const size_t group = full ? 1 : 16;
    const DWORD started = GetTickCount();
    long skipped = 0;
    // The fonts in turn, one per group; the full sweep sweeps the private numbers
    // (the settings among them) once with each font.
    struct Entry {
        UINT msg;
        size_t font;
    };
    std::vector<Entry> numbers;
    for (UINT msg : SweptMessages()) {
        if (msg >= 0x1390 && msg <= 0x13FF) continue;
        numbers.push_back({msg, numbers.size() / group});
    }
    for (size_t font = 0; font < (full ? fonts.size() : 1); ++font)
        for (UINT msg = 0x1390; msg <= 0x13FF; ++msg) numbers.push_back({msg, font});
    for (size_t i = 0; i < numbers.size(); ++i) {
        const UINT msg = numbers[i].msg;
        const PointerMessage* pointers = PointerUse(msg);
        const ArgUse w = pointers ? pointers->w : V;
        const ArgUse l = pointers ? pointers->l : V;
        // Every pairing where it is asked for or the message takes an address (on
        // the control); else each argument with 0 beside it.
        if (i % group == 0) Prepare(numbers[i].font);
        HWND targets[3] = {control, Pane(0), Pane(1)};
        const char* names[3] = {"control", "upper pane", "lower pane"};
        for (int t = 0; t < 3; ++t) {
            const bool pairs = full || (pointers != nullptr && t == 0);
            for (int wi = 0; wi < kArgCount; ++wi) {
                for (int li = 0; li < kArgCount; ++li) {
                    const ArgKind wk = static_cast<ArgKind>(wi), lk = static_cast<ArgKind>(li);
                    if (!pairs && wk != kZero && lk != kZero) continue;
                    if (!Fair(w, wk, ClaimedSize(lk)) || !Fair(l, lk, ClaimedSize(wk))) {
                        ++skipped;
                        continue;
                    }
                    if (!IsWindow(targets[t])) break;
                    RunCase(targets[t], names[t], msg, wk, lk);
                }
            }
        }
        if ((i + 1) % group == 0 || i + 1 == numbers.size()) ExpectStillWorks(msg);
        if (HasFailure()) break;
    }
    // Every private number as a WM_COMMAND identifier, with each lParam.
    for (UINT id = 0x1390; id <= 0x13FF && !HasFailure(); ++id) {
        if ((id - 0x1390) % group == 0) Prepare(id);
        const PointerMessage* pointers = PointerUse(id);
        for (int li = 0; li < kArgCount; ++li) {
            const ArgKind lk = static_cast<ArgKind>(li);
            // The WM_COMMAND's wParam, the number itself, is what a size argument says.
            if (pointers && !Fair(pointers->l, lk, id)) {
                ++skipped;
                continue;
            }
            reporter.Name("WM_COMMAND id 0x%04X lParam %s", id, kArgNames[lk]);
            std::memset(block.data(), 0, block.size());
            guarded.Reset();
            SendMessageA(control, WM_COMMAND, id, Arg(lk));
            Paint(false);
            ++cases;
            const std::string fault = DocumentFault(control);
            EXPECT_EQ(fault, "") << "WM_COMMAND id 0x" << std::hex << id << " lParam " << kArgNames[lk];
        }
        if ((id - 0x1390 + 1) % group == 0 || id == 0x13FF) ExpectStillWorks(id);
    }
    const double seconds = (GetTickCount() - started) / 1000.0;
    std::printf("Sweep (%s): %ld cases in %.1f s, %ld pairs left out (garbage pointers, short buffers)\n",
                full ? "full" : "short", cases, seconds, skipped);
}

}  // namespace
}  // namespace qvtest
