// Nothing leaks: controls created and destroyed by the thousand, each with a text, a
// host font, colours, keywords, markers, a fold, a split, highlights, a lock, focus
// and paints; and one control driven by random commands. Afterwards these are back
// at their starting values:
//   - what the library has alive from every allocation site (the test build's
//     count: brushes, bitmaps, device contexts, regions, global blocks, heaps,
//     windows, the caret);
//   - the process's GDI and USER objects as GetGuiResources answers them (Wine
//     answers 0 for both: there the count above stands in), and the windows of the
//     test's thread counted by enumeration;
//   - the committed private memory, summed over the address space with
//     VirtualQuery, within one 64 KB step (a leak of a few bytes per control adds
//     up over the rounds and exceeds it).
// The first round warms the platform's caches up (window classes, fonts, the
// clipboard); the starting values are taken after it.
//
// `make test` runs 200 controls and 2000 commands (each way); QV_SOAK=full (run by `make
// soak`) runs 10,000 controls and 100,000 commands.
#include <richedit.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/win/FaultPlan.h"
#include "win/hooked/FaultPlanAccess.h"
#include "win/support/Hostile.h"
#include "win/support/TestHost.h"

using qv::FaultPlan;

namespace qvtest {
namespace {

// Committed private memory of the process, in bytes.
uint64_t CommittedPrivate() {
    uint64_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (uintptr_t at = 0; VirtualQuery(reinterpret_cast<void*>(at), &info, sizeof info) == sizeof info;) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        const uintptr_t next = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return total;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<long*>(count);
    EnumChildWindows(window, CountWindow, count);
    return TRUE;
}

// The windows of this thread and all their descendants.
long ThreadWindows() {
    long count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

struct Counts {
    std::vector<int32_t> live;  // the library's, per allocation site
    DWORD gdi = 0, user = 0;    // GetGuiResources
    long windows = 0;
    uint64_t memory = 0;

    static Counts Now() {
        Counts c;
        c.live.assign(Plan().live, Plan().live + qv::kSiteCount);
        c.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
        c.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
        c.windows = ThreadWindows();
        c.memory = CommittedPrivate();
        return c;
    }
    std::string LiveText() const {
        std::string s;
        for (int32_t n : live) s += std::to_string(n) + " ";
        return s;
    }
};

// The committed memory may differ by this much between the start and the end: one
// 64 KB step of the platform's own heaps (a region's granularity). The runs so far
// end with exactly the starting figure.
constexpr int64_t kMemoryAllowance = 64 * 1024;

DWORD CALLBACK WriteAll(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer), size);
    *done = size;
    return 0;
}

const char kText[] =
    "$ proc main\r\n    mov eax, 1\r\n    call word\r\n$ endp\r\n; a comment\r\n"
    "$ proc other\r\n    ret\r\n$ endp\r\n";
const char* const kPatterns[2] = {"$ proc", "$ endp"};

// QV_SOAK=full, or QV_SOAK=<controls>,<commands>.
void Sizes(int& controls, long& commands) {
    controls = 200;
    commands = 2000;
    const char* mode = std::getenv("QV_SOAK");
    if (!mode) return;
    if (std::strcmp(mode, "full") == 0) {
        controls = 10000;
        commands = 100000;
        return;
    }
    std::sscanf(mode, "%d,%ld", &controls, &commands);
}

void Report(const char* what, const Counts& before, const Counts& after) {
    std::printf("Soak, %s: live per site %s-> %s; GDI %lu -> %lu, USER %lu -> %lu; windows %ld -> %ld; "
                "committed private %.1f KB -> %.1f KB (%+lld bytes)\n",
                what, before.LiveText().c_str(), after.LiveText().c_str(), before.gdi, after.gdi, before.user,
                after.user, before.windows, after.windows, before.memory / 1024.0, after.memory / 1024.0,
                static_cast<long long>(after.memory) - static_cast<long long>(before.memory));
}

void ExpectBack(const char* what, const Counts& before, const Counts& after) {
    EXPECT_EQ(after.LiveText(), before.LiveText()) << what << ": the library's live count per site";
    EXPECT_EQ(after.gdi, before.gdi) << what << ": GDI objects";
    EXPECT_EQ(after.user, before.user) << what << ": USER objects";
    EXPECT_EQ(after.windows, before.windows) << what << ": windows";
    EXPECT_LE(static_cast<int64_t>(after.memory) - static_cast<int64_t>(before.memory), kMemoryAllowance)
        << what << ": committed private memory";
}

class LeakSoakTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FIXED_PITCH | FF_MODERN,
                           "Courier New");
        bold = CreateFontA(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FIXED_PITCH | FF_MODERN,
                           "Courier New");
    }
    void TearDown() override {
        ControlTest::TearDown();
        DeleteObject(font);
        DeleteObject(bold);
    }

    // One control with everything a host gives it, used and destroyed.
    void OneControl(int i) {
        HWND made = CreateWindowExA(0, "Quorvane", "", WS_CHILD | WS_VISIBLE, 0, 0, 300 + i % 50, 200, host->hwnd(),
                                    reinterpret_cast<HMENU>(9), GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(made, nullptr) << "control " << i;
        auto send = [&](UINT msg, WPARAM w = 0, LPARAM l = 0) { return SendMessageA(made, msg, w, l); };
        send(WM_SETFONT, reinterpret_cast<WPARAM>(font));
        HFONT fonts[6] = {font, bold, font, bold, nullptr, font};
        send(EMX_SETFONTS, 0, reinterpret_cast<LPARAM>(fonts));
        uint32_t colors[27];
        for (int c = 0; c < 27; ++c) colors[c] = 0x00101010u * ((c + i) % 16);
        send(EMX_SETCOLORS, 0, reinterpret_cast<LPARAM>(colors));
        send(EMX_SETKEYWORDS, 0x01000000, reinterpret_cast<LPARAM>("mov,call,ret,word"));
        send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText));
        send(EMX_MARKBLOCKS, 0, reinterpret_cast<LPARAM>(kPatterns));
        send(EMX_SETMARKER, 4, 5);
        send(EMX_SETLINEHILITE, 2, 3);
        send(EMX_SETLINELOCK, 6, 1);
        send(EMX_FOLDBLOCK, 0, reinterpret_cast<LPARAM>(kPatterns));
        send(EMX_TOGGLESPLIT);
        send(EMX_TOGGLELINENUMBERS);
        SetFocus(made);
        send(EM_SETSEL, 20, 25);
        char selected[16] = {};
        send(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(selected));
        send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("text\r\nmore"));
        RedrawWindow(made, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        SetFocus(host->hwnd());
        DestroyWindow(made);
        PumpMessages();
        host->notifications.clear();
        host->notifications.shrink_to_fit();
    }

    // One random command on the control; without the clipboard, its three commands
    // are left out.
    void Command(std::mt19937& rng, bool clipboard) {
        static const char* const texts[] = {"a", "word ", "\r\n", "$ proc f\r\n  mov eax, 1\r\n$ endp\r\n", "\t", ""};
        const char* text = texts[rng() % (sizeof texts / sizeof *texts)];
        // Whole-text replacement keeps the text, and the undo log, bounded (pastes of
        // the whole text double it).
        LRESULT length = Send(WM_GETTEXTLENGTH);
        if (length > 4000) {
            Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText));
            length = Send(WM_GETTEXTLENGTH);
        }
        unsigned pick = rng() % 20;
        if (!clipboard && pick >= 5 && pick <= 7) pick = 0;
        switch (pick) {
            case 0: Send(EM_SETSEL, rng() % (length + 2), rng() % (length + 2)); break;
            case 1: Send(WM_CHAR, "ab \t$\r"[rng() % 6], 1); break;
            case 2: Send(EM_REPLACESEL, rng() % 2, reinterpret_cast<LPARAM>(text)); break;
            case 3: Send(EM_UNDO); break;
            case 4: Send(EM_REDO); break;
            case 5: Send(WM_COPY); break;
            case 6: Send(WM_CUT); break;
            case 7: Send(WM_PASTE); break;
            case 8:
                if (rng() % 8 == 0) Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText));
                break;
            case 9: RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); break;
            case 10: Send(rng() % 2 ? EMX_FOLDALL : EMX_UNFOLDALL, 0, reinterpret_cast<LPARAM>(kPatterns)); break;
            case 11: Send(EMX_TOGGLESPLIT); break;
            case 12: Send(EMX_SETMARKER, rng() % 12, rng() % 8); break;
            case 13: {
                uint32_t colors[27];
                for (uint32_t& c : colors) c = rng() & 0x00FFFFFF;
                Send(EMX_SETCOLORS, 0, reinterpret_cast<LPARAM>(colors));
                break;
            }
            case 14: Send(WM_SETFONT, reinterpret_cast<WPARAM>(rng() % 2 ? font : bold)); break;
            case 15: Send(EMX_SETKEYWORDS, 0x01000000, reinterpret_cast<LPARAM>(rng() % 2 ? "mov,ret" : "word,call")); break;
            case 16: {
                std::string out;
                EDITSTREAM es = {reinterpret_cast<DWORD_PTR>(&out), 0, WriteAll};
                Send(EM_STREAMOUT, SF_TEXT | (rng() % 2 ? SFF_SELECTION : 0), reinterpret_cast<LPARAM>(&es));
                break;
            }
            case 17: SetFocus(rng() % 2 ? control : host->hwnd()); break;
            case 18: Send(EMX_SETLINEHILITE, rng() % 12, rng() % 16); break;
            default: Send(EM_LINESCROLL, 0, static_cast<LPARAM>(rng() % 21) - 10); break;
        }
        PumpMessages();
        host->notifications.clear();
        host->notifications.shrink_to_fit();
    }

    HFONT font = nullptr, bold = nullptr;
};

TEST_F(LeakSoakTest, ControlsCreatedAndDestroyedGiveEverythingBack) {
    int controls;
    long commands;
    Sizes(controls, commands);
    CaseReporter reporter(120);
    for (int i = 0; i < 20; ++i) OneControl(i);  // the warm-up round
    const Counts before = Counts::Now();
    const DWORD started = GetTickCount();
    for (int i = 0; i < controls && !HasFailure(); ++i) {
        reporter.Name("control %d", i);
        OneControl(i);
    }
    const Counts after = Counts::Now();
    std::printf("Soak: %d controls created, used and destroyed in %.1f s\n", controls,
                (GetTickCount() - started) / 1000.0);
    Report("controls", before, after);
    ExpectBack("after the controls", before, after);
}

// Random commands on one control, with the clipboard among them: the handles and
// windows the control has alive are those it had before. Committed memory is not
// compared here: the platform keeps a copy of every clipboard text a process reads
// (under Wine, about 1 KB of its process heap per read, with no control involved).
TEST_F(LeakSoakTest, RandomCommandsWithTheClipboardKeepTheHandlesTheControlHad) {
    int controls;
    long commands;
    Sizes(controls, commands);
    CaseReporter reporter(120);
    ASSERT_TRUE(MakeControl(400, 300));
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText));
    SetFocus(host->hwnd());
    const Counts before = Counts::Now();
    std::mt19937 rng(11);
    const DWORD started = GetTickCount();
    for (long i = 0; i < commands && !HasFailure(); ++i) {
        reporter.Name("command %ld with the clipboard", i);
        Command(rng, true);
        ASSERT_EQ(DocumentFault(control), "") << "after command " << i;
    }
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText));
    SetFocus(host->hwnd());
    PumpMessages();
    const Counts after = Counts::Now();
    std::printf("Soak: %ld random commands with the clipboard on one control in %.1f s\n", commands,
                (GetTickCount() - started) / 1000.0);
    Report("commands with the clipboard", before, after);
    EXPECT_EQ(after.LiveText(), before.LiveText()) << "the control's live count per site";
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
}

// Random commands without the clipboard: the control's own heaps grow with its text
// and its undo log and stay grown while it lives, so the memory is compared from
// before its creation to after its destruction; the handles also while it lives.
TEST_F(LeakSoakTest, RandomCommandsWithoutTheClipboardGiveEverythingBack) {
    int controls;
    long commands;
    Sizes(controls, commands);
    CaseReporter reporter(120);
    std::mt19937 warm(99);
    ASSERT_TRUE(MakeControl(400, 300));
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText));
    for (int i = 0; i < 300; ++i) Command(warm, false);
    DestroyWindow(control);
    PumpMessages();
    const Counts empty = Counts::Now();
    ASSERT_TRUE(MakeControl(400, 300));
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText));
    SetFocus(host->hwnd());
    const Counts living = Counts::Now();
    std::mt19937 rng(7);
    const DWORD started = GetTickCount();
    for (long i = 0; i < commands && !HasFailure(); ++i) {
        reporter.Name("command %ld", i);
        Command(rng, false);
        ASSERT_EQ(DocumentFault(control), "") << "after command " << i;
    }
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText));
    SetFocus(host->hwnd());
    PumpMessages();
    const Counts living2 = Counts::Now();
    DestroyWindow(control);
    control = nullptr;
    PumpMessages();
    const Counts empty2 = Counts::Now();
    std::printf("Soak: %ld random commands without the clipboard on one control in %.1f s\n", commands, (GetTickCount() - started) / 1000.0);
    Report("commands without the clipboard, the control alive", living, living2);
    Report("commands without the clipboard, before creation and after destruction", empty, empty2);
    EXPECT_EQ(living2.LiveText(), living.LiveText()) << "the control's live count per site";
    EXPECT_EQ(living2.windows, living.windows);
    EXPECT_EQ(living2.gdi, living.gdi);
    EXPECT_EQ(living2.user, living.user);
    ExpectBack("after the commands", empty, empty2);
}

}  // namespace
}  // namespace qvtest
