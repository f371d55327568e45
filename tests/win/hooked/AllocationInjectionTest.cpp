// Every allocation the control makes, made to fail in turn, under the test build
// of the library (its FaultPlan). Each command runs on a prepared control with the
// Nth allocation refused, alone and with every later one, for N = 1, 2, ... until
// the command no longer reaches the Nth. After every refusal:
//   - the command did all it does or nothing: the document, the undo log (its bytes
//     and undoLogUsed), the selection and the ability to redo are those of a run
//     without failure, or exactly those from before;
//   - at most one message box was shown;
//   - nothing leaked: every brush, bitmap, region, device context and global block
//     the command took is back;
//   - the control still works: an edit, its undo, its redo, and a paint.
// Creation is a command too: a control that cannot get everything is refused, and
// leaves nothing behind.
#include <richedit.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "base/EditorInstance.h"
#include "base/win/FaultPlan.h"
#include "win/hooked/FaultPlanAccess.h"
#include "store/LineRecord.h"
#include "win/support/Hostile.h"
#include "win/support/TestHost.h"

using qv::FaultPlan;

namespace qvtest {
namespace {

const char* const kSiteNames[qv::kSiteCount] = {
    "the control's record (GlobalAlloc)",         "a private heap (HeapCreate)",
    "a heap's first block (HeapAlloc)",           "a heap block's growth (HeapReAlloc)",
    "a transfer block (GlobalAlloc)",             "the clipboard's block (GlobalAlloc)",
    "a brush (CreateSolidBrush)",                 "the off-screen bitmap (CreateCompatibleBitmap)",
    "the off-screen DC (CreateCompatibleDC)",     "a window DC for measuring (GetDC)",
    "a paint's clip region (CreateRectRgn)",      "a child window (CreateWindowEx)",
    "the pane's caret (CreateCaret)",
};

// The sites refused at least once in this run.
bool gRefused[qv::kSiteCount] = {};

// The message boxes shown, dismissed from inside their modal loops.
int gBoxes = 0;
HWND gLastBox = nullptr;
void CALLBACK DismissBoxes(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowA("#32770", "Quorvane");
    if (!box) return;
    if (box != gLastBox) ++gBoxes;
    gLastBox = box;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

const qv::EditorInstance& Record(HWND control) {
    return *reinterpret_cast<const qv::EditorInstance*>(GetWindowLongPtrA(control, 0));
}

// What a command may change and must otherwise keep.
struct State {
    std::string text;
    std::string flags;  // each line's LineFlags word
    std::string undo;   // the undo log's bytes up to undoLogUsed
    uint32_t undoUsed = 0;
    uint32_t anchor = 0, caret = 0;
    LRESULT canRedo = 0;

    bool operator==(const State& o) const {
        return text == o.text && flags == o.flags && undo == o.undo && undoUsed == o.undoUsed &&
               anchor == o.anchor && caret == o.caret && canRedo == o.canRedo;
    }
};

State Capture(HWND control) {
    const qv::EditorInstance& ed = Record(control);
    State s;
    s.text = StoredText(control);
    for (uint32_t i = 0; i < ed.lineIndexUsed / 4; ++i) {
        uint32_t f = qv::LineRecordView(ed.lineHeap + qv::RecordOffset(ed, i)).flags();
        // The block-word bit of an unmarked line is the painter's note of what it
        // last drew, not the document's.
        if ((f & 0x70) == 0) f &= ~qv::kFlagBlockWord;
        s.flags.append(reinterpret_cast<const char*>(&f), 4);
    }
    s.undo.assign(reinterpret_cast<const char*>(ed.undoLog), ed.undoLogUsed);
    // The range fields of kinds 5 and 6 (offsets 12-23) note the current-line cache
    // at logging time and are never read back: not part of what an undo restores.
    for (uint32_t at = ed.undoLogUsed; at != 0;) {
        uint32_t start;
        std::memcpy(&start, ed.undoLog + at, 4);
        if (start + 37 > ed.undoLogUsed) break;
        const uint8_t kind = ed.undoLog[start + 36];
        if (kind == 5 || kind == 6) std::memset(&s.undo[start + 12], 0, 12);
        at = start;
    }
    s.undoUsed = ed.undoLogUsed;
    s.anchor = ed.selAnchor;
    s.caret = ed.caretPos;
    s.canRedo = SendMessageA(control, EM_CANREDO, 0, 0);
    return s;
}

std::string Differences(const State& a, const State& b) {
    std::string d;
    if (a.text != b.text) d += " text [" + a.text + "] vs [" + b.text + "]";
    if (a.flags != b.flags) d += " flags";
    if (a.undo != b.undo || a.undoUsed != b.undoUsed)
        d += " undo log (" + std::to_string(a.undoUsed) + " vs " + std::to_string(b.undoUsed) + ")";
    if (a.anchor != b.anchor || a.caret != b.caret)
        d += " selection " + std::to_string(a.anchor) + ".." + std::to_string(a.caret) + " vs " +
             std::to_string(b.anchor) + ".." + std::to_string(b.caret);
    if (a.canRedo != b.canRedo) d += " redo";
    return d;
}

// Brushes, bitmaps, memory DCs, window DCs, regions and global blocks alive now.
std::vector<int32_t> Live() {
    return std::vector<int32_t>(Plan().live, Plan().live + qv::kSiteCount);
}

void PutOnClipboard(const char* text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
    std::memcpy(GlobalLock(block), text, std::strlen(text) + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

struct StreamSource {
    std::vector<std::string> pieces;
    size_t next = 0;
    std::string out;
};
DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
    auto* s = reinterpret_cast<StreamSource*>(cookie);
    *done = 0;
    if (s->next == s->pieces.size()) return 0;
    const std::string& piece = s->pieces[s->next++];
    *done = static_cast<LONG>(piece.size() < static_cast<size_t>(size) ? piece.size() : size);
    std::memcpy(buffer, piece.data(), *done);
    return 0;
}
DWORD CALLBACK StreamOut(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
    reinterpret_cast<StreamSource*>(cookie)->out.append(reinterpret_cast<const char*>(buffer), size);
    *done = size;
    return 0;
}

const char kText[] =
    "first line\r\n"
    "$ proc work\r\n"
    "\tmov eax, 1\r\n"
    "\tret\r\n"
    "$ endp\r\n"
    "the last line";
const char* const kPatterns[2] = {"$ proc", "$ endp"};

class AllocationInjectionTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, VARIABLE_PITCH | FF_SWISS,
                           "Arial");
        timer = SetTimer(nullptr, 0, 10, DismissBoxes);
    }
    void TearDown() override {
        KillTimer(nullptr, timer);
        ControlTest::TearDown();
        DeleteObject(font);
    }

    // A control with a proportional font, a text, undo steps and one to redo, a
    // selection across two lines, and areas squeezed so that the next change to
    // the text must grow them.
    void Prepare() {
        if (control && IsWindow(control)) DestroyWindow(control);
        ASSERT_TRUE(MakeControl(500, 300));
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font));
        Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText));
        Send(EMX_MARKBLOCKS, 0, reinterpret_cast<LPARAM>(kPatterns));
        Send(EM_SETSEL, 0, 0);
        Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("abc "));
        Send(EM_SETSEL, 8, 8);
        Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("xyz"));
        Send(EM_UNDO);
        Send(EM_SETSEL, 6, 20);
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        auto& ed = *reinterpret_cast<qv::EditorInstance*>(GetWindowLongPtrA(control, 0));
        // Sizes just under what the headroom checks accept, within the real blocks.
        ed.lineHeapSize = ed.lineHeapUsed + 32768 - 1;
        ed.lineIndexSize = ed.lineIndexUsed + 8192 - 1;
    }

    // The control still edits, undoes, redoes and paints.
    void ExpectStillWorks(const std::string& label) {
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Send(EMX_UNFOLDALL);
        Send(EM_SETSEL, 0, 0);
        const LRESULT length = Send(WM_GETTEXTLENGTH);
        Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("ok"));
        EXPECT_EQ(Send(WM_GETTEXTLENGTH), length + 2) << label;
        EXPECT_EQ(Send(EM_UNDO), 1) << label;
        EXPECT_EQ(Send(WM_GETTEXTLENGTH), length) << label;
        EXPECT_EQ(Send(EM_REDO), 1) << label;
        EXPECT_EQ(Send(WM_GETTEXTLENGTH), length + 2) << label;
        EXPECT_EQ(DocumentFault(control), "") << label;
    }

    // Runs `command` on a prepared control without failure, then with the Nth
    // allocation refused (alone, and with all later ones) for N = 1, 2, ...
    void Inject(const char* name, const std::function<void()>& command) {
        reporter.Name("%s, no allocation refused", name);
        Prepare();
        const std::vector<int32_t> liveBefore = Live();
        Plan().made = 0;
        command();
        const uint32_t allocations = Plan().made;
        const State reference = Capture(control);
        EXPECT_EQ(Live(), liveBefore) << name << ": something taken was not given back";
        for (int later = 0; later < 2; ++later) {
            for (uint32_t n = 1;; ++n) {
                reporter.Name("%s, allocation %u%s refused", name, n, later ? " and every later one" : "");
                Prepare();
                const State before = Capture(control);
                const std::vector<int32_t> live = Live();
                gBoxes = 0;
                FaultPlan& plan = Plan();
                plan.made = plan.failed = 0;
                plan.firstFailedSite = qv::kSiteCount;
                plan.failLater = later;
                plan.failAt = n;
                command();
                plan.failAt = 0;
                PumpMessages();
                if (plan.failed == 0) break;  // the command ran without reaching the Nth
                ++refusals;
                char label[160];
                std::snprintf(label, sizeof label, "%s, allocation %u%s refused (%s)", name, n,
                              later ? " and every later one" : "", kSiteNames[plan.firstFailedSite]);
                gRefused[plan.firstFailedSite] = true;
                const State after = Capture(control);
                EXPECT_TRUE(after == before || after == reference)
                    << label << ": half done; against before:" << Differences(after, before)
                    << "; against a run without failure:" << Differences(after, reference);
                EXPECT_LE(gBoxes, 1) << label;
                EXPECT_EQ(Live(), live) << label << ": something taken was not given back";
                ExpectStillWorks(label);
                if (HasFailure()) return;
            }
        }
        std::printf("%-28s %3u allocations; every one refused in turn\n", name, allocations);
    }

    HFONT font = nullptr;
    UINT_PTR timer = 0;
    CaseReporter reporter{60};
    int refusals = 0;
};

TEST_F(AllocationInjectionTest, EveryCommandIsWholeOrNotAtAllWhateverAllocationFails) {
    StreamSource source;
    Inject("typing", [&] { Send(WM_CHAR, 'q', 1); });
    Inject("Enter", [&] { Send(WM_CHAR, '\r', 1); });
    Inject("EM_REPLACESEL", [&] { Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("new\r\ntext")); });
    Inject("WM_SETTEXT", [&] { Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("one\r\ntwo\r\nthree")); });
    Inject("undo", [&] { Send(EM_UNDO); });
    Inject("redo", [&] { Send(EM_REDO); });
    PutOnClipboard("pasted\r\nfrom the clipboard");
    Inject("paste", [&] { Send(WM_PASTE); });
    Inject("cut", [&] {
        Send(WM_CUT);
        PutOnClipboard("pasted\r\nfrom the clipboard");
    });
    Inject("copy", [&] { Send(WM_COPY); });
    Inject("stream-in", [&] {
        source = StreamSource();
        source.pieces = {"streamed\r\nin ", "two pieces\r\n"};
        EDITSTREAM es = {reinterpret_cast<DWORD_PTR>(&source), 0, StreamIn};
        Send(EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&es));
    });
    Inject("stream-in of the selection", [&] {
        source = StreamSource();
        source.pieces = {"over the\r\nselection"};
        EDITSTREAM es = {reinterpret_cast<DWORD_PTR>(&source), 0, StreamIn};
        Send(EM_STREAMIN, SF_TEXT | SFF_SELECTION, reinterpret_cast<LPARAM>(&es));
    });
    Inject("stream-out", [&] {
        source = StreamSource();
        EDITSTREAM es = {reinterpret_cast<DWORD_PTR>(&source), 0, StreamOut};
        Send(EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&es));
    });
    Inject("fold", [&] { Send(EMX_FOLDBLOCK, 1, reinterpret_cast<LPARAM>(kPatterns)); });
    Inject("painting", [&] {
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    });
    Inject("WM_SETFONT", [&] { Send(WM_SETFONT, reinterpret_cast<WPARAM>(font)); });
    Inject("EMX_SETCOLORS", [&] {
        uint32_t colors[27];
        for (uint32_t& c : colors) c = 0x00123456;
        Send(EMX_SETCOLORS, 0, reinterpret_cast<LPARAM>(colors));
    });
    Inject("EMX_SETKEYWORDS", [&] {
        std::string words;
        for (int i = 0; i < 3000; ++i) words += (i ? "," : "") + std::string("word") + std::to_string(i);
        Send(EMX_SETKEYWORDS, 0x01000000, reinterpret_cast<LPARAM>(words.c_str()));
    });
    Send(EMX_SETKEYWORDS, 0, 0);
    Inject("focus (the caret)", [&] {
        SetFocus(host->hwnd());
        SetFocus(control);
    });
    EXPECT_GT(refusals, 0);
}

// A control that cannot get its record, a heap, a block, a brush, a child window
// or the room for its closing CR is refused (CreateWindowEx answers NULL) and
// leaves nothing alive; the next control works.
TEST_F(AllocationInjectionTest, ACreationThatCannotGetEverythingIsRefusedAndLeavesNothing) {
    ASSERT_TRUE(MakeControl());  // the library's own storage exists before the count
    int refused = 0;
    for (int later = 0; later < 2; ++later) {
        for (uint32_t n = 1;; ++n) {
            reporter.Name("creation, allocation %u%s refused", n, later ? " and every later one" : "");
            const std::vector<int32_t> live = Live();
            gBoxes = 0;
            FaultPlan& plan = Plan();
            plan.made = plan.failed = 0;
            plan.firstFailedSite = qv::kSiteCount;
            plan.failLater = later;
            plan.failAt = n;
            HWND made = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, host->hwnd(),
                                        nullptr, GetModuleHandleA(nullptr), nullptr);
            plan.failAt = 0;
            PumpMessages();
            const bool failed = plan.failed != 0;
            const uint32_t site = plan.firstFailedSite;
            if (failed) gRefused[site] = true;
            if (made) {
                // Only what creation may do without: a caret, a paint's bitmap.
                EXPECT_TRUE(!failed || site == qv::kSiteCaret || site == qv::kSiteBitmap ||
                            site == qv::kSiteMemoryDC || site == qv::kSiteRegion || site == qv::kSiteWindowDC)
                    << "allocation " << n << " (" << (failed ? kSiteNames[site] : "none") << ") refused, yet created";
                DestroyWindow(made);
            } else {
                ++refused;
                EXPECT_TRUE(failed);
            }
            EXPECT_LE(gBoxes, 1) << "allocation " << n;
            EXPECT_EQ(Live(), live) << "allocation " << n << " (" << kSiteNames[site] << "): not all given back";
            if (!failed || HasFailure()) break;
        }
    }
    EXPECT_GT(refused, 0);
    HWND after = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, host->hwnd(),
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(after, nullptr);
    SendMessageA(after, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("works"));
    EXPECT_EQ(SendMessageA(after, WM_GETTEXTLENGTH, 0, 0), 5);
    DestroyWindow(after);
}

// Buffered painting that cannot get its bitmap (or the bitmap's DC) paints the same
// picture straight into the window.
TEST_F(AllocationInjectionTest, APaintWithoutItsBitmapPaintsTheSamePictureDirectly) {
    ASSERT_TRUE(MakeControl(400, 200));
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(font));
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText));
    Send(EMX_TOGGLELINENUMBERS);
    Send(EMX_SETMARKER, 2, 5);
    HWND pane = GetWindow(control, GW_CHILD);
    while (pane) {
        char cls[32] = {};
        GetClassNameA(pane, cls, sizeof cls);
        if (std::strcmp(cls, "QuorvaneEdit") == 0) break;
        pane = GetWindow(pane, GW_HWNDNEXT);
    }
    ASSERT_NE(pane, nullptr);
    HideCaret(pane);
    auto grab = [&] {
        RedrawWindow(pane, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = GetDC(pane);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 150; y += 2)
            for (int x = 0; x < 380; x += 2) pixels.push_back(GetPixel(dc, x, y));
        ReleaseDC(pane, dc);
        return pixels;
    };
    const std::vector<COLORREF> buffered = grab();
    for (uint32_t site : {qv::kSiteBitmap, qv::kSiteMemoryDC}) {
        // Refuse every allocation of that kind during one paint.
        Plan().made = Plan().failed = 0;
        Plan().firstFailedSite = qv::kSiteCount;
        const uint32_t askedBefore = Plan().asked[site];
        // The bitmap and its DC are kept from paint to paint: let go, they are made
        // again by the next paint, the DC first, then the bitmap.
        Plan().dropKept = 1;
        const uint32_t n = site == qv::kSiteMemoryDC ? 1 : 2;
        Plan().failLater = 0;
        Plan().failAt = n;
        const std::vector<COLORREF> direct = grab();
        Plan().failAt = 0;
        EXPECT_EQ(Plan().failed, 1u);
        EXPECT_EQ(Plan().firstFailedSite, site);
        gRefused[site] = true;
        EXPECT_GT(Plan().asked[site], askedBefore);
        EXPECT_TRUE(direct == buffered) << kSiteNames[site];
    }
}

// Every allocation site of the Windows layer was refused at least once above.
TEST_F(AllocationInjectionTest, ZZEverySiteWasRefused) {
    std::printf("Allocation sites (allocations asked for in this run; refused at least once):\n");
    for (uint32_t site = 0; site < qv::kSiteCount; ++site) {
        std::printf("  %-48s %6u  %s\n", kSiteNames[site], Plan().asked[site], gRefused[site] ? "yes" : "NO");
        EXPECT_TRUE(gRefused[site]) << kSiteNames[site];
    }
}

}  // namespace
}  // namespace qvtest
