// Many live controls in one window, each with its own state. Four controls side by
// side, with different fonts, tab widths, colours and margins, one with an open
// block comment, one with folded blocks and its split view open, two with
// proportional fonts and long lines, are driven by a script of interleaved
// actions: messages, keys and mouse gestures, a drag in one control while another
// has the focus, a right press in one before a drag in another, a thumb drag in one
// before another paints, a stream into one whose callback edits another.
//
// After every action each control's record (text, selection, caret, scroll
// offsets, every setting), its line store and undo log byte for byte, its
// notifications and its pixels must equal what the same control's own parts give a
// control alone. The alone runs start from a fresh library: it is freed and loaded
// again (whatever it keeps for the process back at the start), and each control's
// parts are replayed on a new control at the same place, with the same focus
// changes, at the same points where the messages were handled.
//
// What the controls of a process share by contract is set up alike for both runs:
// the keyword table (each control's words go in before the controls start), the
// wheel mode and the scroll delay.
#include <richedit.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/EditorInstance.h"
#include "win/support/Keys.h"
#include "win/support/TestHost.h"

using qv::EditorInstance;

namespace qvtest {
namespace {

// ---- The controls ---------------------------------------------------------------

struct Place {
    int x, y, width, height, id;
};
constexpr int kControls = 4;
const Place kPlaces[kControls] = {
    {0, 0, 300, 400, 11},    // A: fixed pitch, an open block comment
    {310, 0, 300, 400, 12},  // B: proportional, long lines, its own colours
    {620, 0, 300, 400, 13},  // C: folded blocks, the split view open
    {930, 0, 300, 400, 14},  // D: another proportional font, line numbers
};
const char* const kNames[kControls] = {"A", "B", "C", "D"};
// The real pointer rests at the middle of the screen, where the display puts it
// back whatever a program asks, below the host window.
const POINT kPointer = {640, 512};

// What a part of an action is given: its control, and in the run of all controls
// the part it runs inside it on another control (empty when the control runs alone).
struct Target {
    HWND control;
    EditorInstance* ed;
    std::function<void()> inside;
    HWND Pane(int i) const { return static_cast<HWND>(ed->panes[i].hwnd); }
};

struct Part {
    Part(int c, std::function<void(Target&)> r, std::shared_ptr<Part> in = nullptr)
        : control(c), run(std::move(r)), inside(std::move(in)) {}
    int control;
    std::function<void(Target&)> run;
    std::shared_ptr<Part> inside;  // a part of another control, run from within this one
};

struct Action {
    std::string name;
    std::vector<Part> parts;
};

// What a control's list holds: its parts, the points where it lost the focus to
// another control, and the ends of the actions it took part in, where the pending
// messages were handled and the control compared.
struct Entry {
    enum Kind { kPart, kBlur, kPump } kind;
    const Part* part;
};

// ---- What is compared -------------------------------------------------------------

struct Snapshot {
    std::vector<uint8_t> record;  // the EditorInstance, its handles and addresses blanked
    std::vector<uint8_t> lineIndex, lineHeap, undoLog;  // each area up to its last nonzero byte
    std::vector<uint64_t> rows;   // a digest of each row of the control's pixels
    std::vector<std::string> notes;  // its notifications, handle and address blanked
};

std::vector<uint8_t> Area(const uint8_t* base, uint32_t size) {
    uint32_t end = size;
    while (end > 0 && base[end - 1] == 0) --end;
    return std::vector<uint8_t>(base, base + end);
}

// The control's window as the screen shows it, children included, a digest a row.
std::vector<uint64_t> RowDigests(HWND control) {
    RECT client = {};
    GetClientRect(control, &client);
    const int width = client.right, height = client.bottom;
    std::vector<uint64_t> rows(static_cast<size_t>(height), 0);
    HDC dc = GetDC(control);
    HDC memory = CreateCompatibleDC(dc);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int y = 0; y < height; ++y) {
        uint64_t h = 1469598103934665603ull;
        for (int x = 0; x < width; ++x) h = (h ^ (pixels[y * width + x] & 0xFFFFFF)) * 1099511628211ull;
        rows[y] = h;
    }
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(control, dc);
    return rows;
}

EditorInstance* RecordOf(HWND control) {
    return reinterpret_cast<EditorInstance*>(GetWindowLongPtrA(control, 0));
}

Snapshot Take(HWND control, const HostWindow& host) {
    Snapshot s;
    const EditorInstance& ed = *RecordOf(control);
    EditorInstance blank = ed;
    blank.hwnd = blank.hwndParent = blank.hwndSplitBar = nullptr;
    for (qv::ViewPane& pane : blank.panes) pane.hwnd = pane.hwndVScroll = pane.hwndHScroll = pane.hwndCorner = nullptr;
    blank.hwndActivePane = reinterpret_cast<qv::WindowRef>(ed.hwndActivePane == ed.panes[0].hwnd ? 1 : 2);
    blank.lineIndexHeapHandle = blank.lineHeapHandle = blank.undoHeapHandle = nullptr;
    blank.lineIndex = blank.lineHeap = blank.undoLog = nullptr;
    for (qv::BrushRef& brush : blank.brushes) brush = nullptr;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&blank);
    s.record.assign(bytes, bytes + sizeof blank);
    s.lineIndex = Area(ed.lineIndex, ed.lineIndexSize);
    s.lineHeap = Area(ed.lineHeap, ed.lineHeapSize);
    s.undoLog = Area(ed.undoLog, ed.undoLogSize);
    s.rows = RowDigests(control);
    for (const HostWindow::Notification& n : host.notifications) {
        if (n.record.nmhdr.hwndFrom != control) continue;
        SelChangeEx record = n.record;
        record.nmhdr.hwndFrom = nullptr;
        record.lineRecord = nullptr;
        char hex[2 * sizeof record + 1] = {};
        for (size_t i = 0; i < sizeof record; ++i)
            std::snprintf(hex + 2 * i, 3, "%02X", reinterpret_cast<const uint8_t*>(&record)[i]);
        s.notes.push_back(hex);
    }
    return s;
}

// Where two snapshots first differ; empty when they are equal.
std::string Difference(const Snapshot& many, const Snapshot& alone) {
    auto bytes = [](const char* what, const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) -> std::string {
        if (a == b) return "";
        size_t i = 0;
        while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
        auto word = [i](const std::vector<uint8_t>& v) {
            uint32_t w = 0;
            const size_t at = i & ~size_t(3);
            for (size_t k = 0; k < 4 && at + k < v.size(); ++k) w |= uint32_t(v[at + k]) << (8 * k);
            return std::to_string(w);
        };
        return std::string(what) + " differs at byte " + std::to_string(i) + " (its word " + word(a) + " with the others, " +
               word(b) + " alone; sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + ")";
    };
    for (const std::string& d : {bytes("the record", many.record, alone.record),
                                 bytes("the line index", many.lineIndex, alone.lineIndex),
                                 bytes("the line heap", many.lineHeap, alone.lineHeap),
                                 bytes("the undo log", many.undoLog, alone.undoLog)})
        if (!d.empty()) return d;
    if (many.rows != alone.rows) {
        size_t y = 0;
        while (y < many.rows.size() && y < alone.rows.size() && many.rows[y] == alone.rows[y]) ++y;
        return "the pixels differ from row " + std::to_string(y);
    }
    if (many.notes != alone.notes) {
        size_t i = 0;
        while (i < many.notes.size() && i < alone.notes.size() && many.notes[i] == alone.notes[i]) ++i;
        return "the notifications differ from the " + std::to_string(i + 1) + "th (counts " +
               std::to_string(many.notes.size()) + " and " + std::to_string(alone.notes.size()) + ")";
    }
    return "";
}

// ---- Input --------------------------------------------------------------------

HFONT MakeFont(const char* face, int height, bool fixed) {
    return CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                       (fixed ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS), face);
}

void Mouse(HWND pane, UINT msg, WPARAM keys, int x, int y) {
    SendMessageA(pane, msg, keys, MAKELPARAM(x, y));
}

// A drag from one point to another, the moves in between, and the release.
void Drag(HWND pane, POINT from, POINT to) {
    Mouse(pane, WM_LBUTTONDOWN, MK_LBUTTON, from.x, from.y);
    Mouse(pane, WM_MOUSEMOVE, MK_LBUTTON, (from.x + to.x) / 2, (from.y + to.y) / 2);
    Mouse(pane, WM_MOUSEMOVE, MK_LBUTTON, to.x, to.y);
    Mouse(pane, WM_LBUTTONUP, 0, to.x, to.y);
}

void Type(HWND pane, const char* text) {
    for (const char* c = text; *c; ++c) Char(pane, static_cast<unsigned char>(*c));
}

// A stream-in of the selection in small pieces; `during` runs at the first call.
struct Feed {
    std::string text;
    size_t at = 0;
    std::function<void()> during;
};
DWORD CALLBACK FeedPieces(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* got) {
    Feed& feed = *reinterpret_cast<Feed*>(cookie);
    if (feed.at == 0 && feed.during) feed.during();
    const size_t n = std::min<size_t>({3, feed.text.size() - feed.at, static_cast<size_t>(size)});
    std::memcpy(buffer, feed.text.data() + feed.at, n);
    feed.at += n;
    *got = static_cast<LONG>(n);
    return 0;
}

// A host's pane procedure for A: while it handles a wheel message it runs what the
// test gives it (another control's part), then hands the message on.
WNDPROC gPaneProc = nullptr;
std::function<void()> gDuringWheel;
LRESULT CALLBACK RelayingPaneProc(HWND pane, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_MOUSEWHEEL && gDuringWheel) {
        const std::function<void()> during = gDuringWheel;
        gDuringWheel = nullptr;
        during();
    }
    return CallWindowProcA(gPaneProc, pane, msg, wParam, lParam);
}

std::string Lines(const char* pattern, int count) {
    std::string text;
    char line[200];
    for (int i = 1; i <= count; ++i) {
        std::snprintf(line, sizeof line, pattern, i, i);
        text += line;
    }
    return text;
}

// ---- The test -------------------------------------------------------------------

class ManyControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        mono = MakeFont("DejaVu Sans Mono", 13, true);
        sans = MakeFont("DejaVu Sans", 15, false);
        smallMono = MakeFont("DejaVu Sans Mono", 11, true);
        serif = MakeFont("DejaVu Serif", 17, false);
        host = std::make_unique<HostWindow>();
        MoveWindow(host->hwnd(), 0, 0, 1250, 460, TRUE);
        PumpQuietFor(300);
        // The real pointer rests outside every window and the real buttons are up:
        // the gestures are the messages the test sends. (A pointer over a control
        // would have it set its cursor, and look its line up, at every capture.)
        POINT now = {};
        for (int attempt = 0; attempt < 10 && (now.x != kPointer.x || now.y != kPointer.y); ++attempt) {
            SetCursorPos(kPointer.x, kPointer.y);
            PumpQuietFor(300);
            GetCursorPos(&now);
        }
        ASSERT_EQ(now.x, kPointer.x) << "the pointer did not come to rest outside the controls";
        ASSERT_EQ(now.y, kPointer.y);
    }
    void TearDown() override {
        host.reset();
        PumpMessages();
        for (HFONT font : {mono, sans, smallMono, serif}) DeleteObject(font);
    }

    // The library, freshly loaded: nothing of an earlier run is left in it.
    void LoadFresh() {
        ASSERT_EQ(GetModuleHandleA("Quorvane.dll"), nullptr) << "the library is still loaded";
        module = LoadLibraryA("Quorvane.dll");
        ASSERT_NE(module, nullptr);
        // What the controls share by contract, alike in every run: the keyword
        // table with every control's words (given through a control of its own),
        // the wheel mode and the scroll delay.
        HWND setter = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD, 0, 0, 10, 10, host->hwnd(), nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(setter, nullptr);
        SendMessageA(setter, EMX_SETKEYWORDS, 0, 0);
        SendMessageA(setter, EMX_SETKEYWORDS, 0x00C00000, reinterpret_cast<LPARAM>("mov,push"));          // A's
        SendMessageA(setter, EMX_SETKEYWORDS, 0x040000C0, reinterpret_cast<LPARAM>("call,invoke"));       // B's
        SendMessageA(setter, EMX_SETKEYWORDS, 0x01008080, reinterpret_cast<LPARAM>("proc,endp,ret"));     // C's
        SendMessageA(setter, EMX_SETKEYWORDS, 0x0000A000, reinterpret_cast<LPARAM>("include-,rem+"));     // D's
        SendMessageA(setter, EMX_SETWHEELMODE, 0, 1);
        SendMessageA(setter, EMX_SETSCROLLDELAY, 0, 1);
        DestroyWindow(setter);
        PumpMessages();
    }
    void Unload() {
        for (HWND& each : controls) {
            if (each) DestroyWindow(each);
            each = nullptr;
        }
        PumpMessages();
        FreeLibrary(module);
        EXPECT_EQ(GetModuleHandleA("Quorvane.dll"), nullptr) << "the library stayed loaded";
    }

    HWND Make(int i) {
        const Place& p = kPlaces[i];
        HWND control = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD | WS_VISIBLE, p.x, p.y, p.width, p.height,
                                       host->hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(p.id)),
                                       GetModuleHandleA(nullptr), nullptr);
        PumpMessages();
        return control;
    }

    // The control that has the focus, or -1.
    int Focused() const {
        for (HWND w = GetFocus(); w; w = GetParent(w))
            for (int i = 0; i < kControls; ++i)
                if (w == controls[i]) return i;
        return -1;
    }

    Target TargetOf(int i) { return Target{controls[i], RecordOf(controls[i]), nullptr}; }

    // One part in the run of all controls: the control's list records it, and the
    // focus another control lost during it.
    void RunPart(const Part& part, std::set<int>& took) {
        const int before = Focused();
        lists[part.control].push_back({Entry::kPart, &part});
        took.insert(part.control);
        Target target = TargetOf(part.control);
        if (part.inside) target.inside = [this, &part, &took] { RunPart(*part.inside, took); };
        part.run(target);
        const int after = Focused();
        if (before >= 0 && before != part.control && after != before) lists[before].push_back({Entry::kBlur, nullptr});
    }

    // The script in the run of all controls, every control compared after every
    // action with the alone runs (below).
    void RunTogether(const std::vector<Action>& script) {
        LoadFresh();
        host->notifications.clear();
        for (int i = 0; i < kControls; ++i) {
            controls[i] = Make(i);
            ASSERT_NE(controls[i], nullptr);
        }
        SetFocus(host->hwnd());
        PumpMessages();
        for (int i = 0; i < kControls; ++i) together[i].push_back({0, Take(controls[i], *host)});
        for (size_t t = 0; t < script.size(); ++t) {
            std::set<int> took;
            for (const Part& part : script[t].parts) RunPart(part, took);
            const int owner = Focused();
            SetFocus(host->hwnd());
            if (owner >= 0) lists[owner].push_back({Entry::kBlur, nullptr});
            PumpMessages();
            for (int i : took) {
                lists[i].push_back({Entry::kPump, nullptr});
                ++pumps[i];
            }
            for (int i = 0; i < kControls; ++i) together[i].push_back({pumps[i], Take(controls[i], *host)});
        }
        Unload();
    }

    // Each control's list alone, on a fresh library: its snapshot at the start and
    // at the end of each action it took part in.
    void RunAlone(int i) {
        LoadFresh();
        host->notifications.clear();
        controls[i] = Make(i);
        ASSERT_NE(controls[i], nullptr);
        SetFocus(host->hwnd());
        PumpMessages();
        alone[i].push_back(Take(controls[i], *host));
        for (const Entry& entry : lists[i]) {
            if (entry.kind == Entry::kPart) {
                Target target = TargetOf(i);
                entry.part->run(target);
            } else if (entry.kind == Entry::kBlur) {
                SetFocus(host->hwnd());
            } else {
                PumpMessages();
                alone[i].push_back(Take(controls[i], *host));
            }
        }
        Unload();
    }

    void Compare(const std::vector<Action>& script) {
        for (int i = 0; i < kControls; ++i) {
            for (size_t t = 0; t < together[i].size(); ++t) {
                const auto& [pump, snapshot] = together[i][t];
                ASSERT_LT(pump, alone[i].size());
                const std::string d = Difference(snapshot, alone[i][pump]);
                ASSERT_EQ(d, "") << "control " << kNames[i] << ", "
                                 << (t == 0 ? std::string("at the start") : "after \"" + script[t - 1].name + "\"");
            }
        }
    }

    std::vector<Action> Script();

    HFONT mono = nullptr, sans = nullptr, smallMono = nullptr, serif = nullptr;
    std::unique_ptr<HostWindow> host;
    HMODULE module = nullptr;
    HWND controls[kControls] = {};
    std::vector<Entry> lists[kControls];
    size_t pumps[kControls] = {};
    std::vector<std::pair<size_t, Snapshot>> together[kControls];
    std::vector<Snapshot> alone[kControls];
};

enum : int { A, B, C, D };

// The script. Every part names its control; the parts of one action run in order,
// and the controls are compared when the action's messages have been handled.
std::vector<Action> ManyControlsTest::Script() {
    const std::string textA = "start:\r\n\tmov eax, 1\r\n\tpush eax\r\nt^ a block comment opens here\r\n"
                              "and runs on\r\n" + Lines("\tmov ecx, %d\t; line %d\r\n", 30);
    const std::string textB = Lines("\tcall far_away_procedure_%d with a long list of arguments that runs on "
                                    "past the right edge of the pane, %d\r\n", 24);
    const std::string textC = Lines("$ proc block%d\r\n  ret %d\r\n  push\r\n$ endp\r\n", 8) + "\r\n";
    const std::string textD = "include once\r\nrem a remark\r\n\tshort\tlines\r\n\r\n";
    auto setText = [](const std::string& text) {
        return [text](Target& t) { SendMessageA(t.control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); };
    };
    static const char* const kPatterns[2] = {"$ proc", "$ endp"};

    std::vector<Action> s;
    // ---- Each control set up in its own way.
    s.push_back({"A: a fixed font, tab width 4, line numbers, its text",
                 {{A, [this](Target& t) {
                       SendMessageA(t.control, WM_SETFONT, reinterpret_cast<WPARAM>(mono), 0);
                       SendMessageA(t.control, EMX_SETTABWIDTH, 4, 0);
                       SendMessageA(t.control, EMX_TOGGLELINENUMBERS, 0, 0);
                   }},
                  {A, setText(textA)}}});
    s.push_back({"B: a proportional font, tab width 8, its own colours, long lines",
                 {{B, [this](Target& t) {
                       SendMessageA(t.control, WM_SETFONT, reinterpret_cast<WPARAM>(sans), 0);
                       SendMessageA(t.control, EMX_SETTABWIDTH, 8, 0);
                       DWORD colors[27] = {};
                       SendMessageA(t.control, EMX_GETCOLORS, 0, reinterpret_cast<LPARAM>(colors));
                       colors[0] = 0xE0F0FF;  // background
                       colors[1] = 0x800000;  // selection
                       colors[7] = 0x202020;  // text
                       colors[16] = 0x0080FF;  // comments
                       SendMessageA(t.control, EMX_SETCOLORS, 0, reinterpret_cast<LPARAM>(colors));
                   }},
                  {B, setText(textB)}}});
    s.push_back({"C: a small fixed font, tab width 2, blocks folded, the split open",
                 {{C, [this](Target& t) {
                       SendMessageA(t.control, WM_SETFONT, reinterpret_cast<WPARAM>(smallMono), 0);
                       SendMessageA(t.control, EMX_SETTABWIDTH, 2, 0);
                       SendMessageA(t.control, EMX_TOGGLELINENUMBERS, 0, 0);
                   }},
                  {C, setText(textC)},
                  {C, [](Target& t) {
                       SendMessageA(t.control, EMX_FOLDALL, 0, reinterpret_cast<LPARAM>(kPatterns));
                       SendMessageA(t.control, EMX_UNFOLDBLOCK, 8, 0);
                       SendMessageA(t.control, EMX_TOGGLESPLIT, 0, 0);
                   }}}});
    s.push_back({"D: a serif font, tab width 6, a wide marker margin, line numbers",
                 {{D, [this](Target& t) {
                       SendMessageA(t.control, WM_SETFONT, reinterpret_cast<WPARAM>(serif), 0);
                       SendMessageA(t.control, EMX_SETTABWIDTH, 6, 0);
                       SendMessageA(t.control, EMX_SETMARKERMARGIN, 22, 0);
                       SendMessageA(t.control, EMX_TOGGLELINENUMBERS, 0, 0);
                   }},
                  {D, setText(textD)}}});

    // ---- Interleaved work.
    s.push_back({"A types with the focus",
                 {{A, [](Target& t) {
                      SetFocus(t.Pane(0));
                      KeyDown(t.Pane(0), VK_DOWN);
                      KeyDown(t.Pane(0), VK_END);
                      Type(t.Pane(0), "xy\r");
                  }}}});
    s.push_back({"B scrolls right by its own steps",
                 {{B, [](Target& t) {
                      for (int i = 0; i < 3; ++i)
                          SendMessageA(t.control, WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(t.ed->panes[0].hwndHScroll));
                  }}}});
    s.push_back({"D types, measuring its own font", {{D, [](Target& t) {
                                                          SetFocus(t.Pane(0));
                                                          KeyDown(t.Pane(0), VK_END);
                                                          Type(t.Pane(0), "zz");
                                                      }}}});
    s.push_back({"B scrolls right again", {{B, [](Target& t) {
                                                SendMessageA(t.control, WM_HSCROLL, SB_LINERIGHT,
                                                             reinterpret_cast<LPARAM>(t.ed->panes[0].hwndHScroll));
                                            }}}});
    s.push_back({"a drag in B while C has the focus and types",
                 {{B, [](Target& t) { Mouse(t.Pane(0), WM_LBUTTONDOWN, MK_LBUTTON, 90, 40); }},
                  {C, [](Target& t) {
                       SetFocus(t.Pane(0));
                       KeyDown(t.Pane(0), VK_DOWN);
                       KeyDown(t.Pane(0), VK_DOWN);
                   }},
                  {B, [](Target& t) { Mouse(t.Pane(0), WM_MOUSEMOVE, MK_LBUTTON, 150, 60); }},
                  {C, [](Target& t) { Type(t.Pane(0), "q"); }},
                  {B, [](Target& t) { Mouse(t.Pane(0), WM_MOUSEMOVE, MK_LBUTTON, 210, 95); }},
                  {C, [](Target& t) { KeyDown(t.Pane(0), VK_END, false, true); }},
                  {B, [](Target& t) { Mouse(t.Pane(0), WM_LBUTTONUP, 0, 210, 95); }}}});
    s.push_back({"a right press in B, then a drag in A",
                 {{B, [](Target& t) {
                      Mouse(t.Pane(0), WM_RBUTTONDOWN, MK_RBUTTON, 60, 50);
                      Mouse(t.Pane(0), WM_RBUTTONUP, MK_RBUTTON, 60, 50);
                  }},
                  {A, [](Target& t) { Drag(t.Pane(0), {80, 40}, {160, 90}); }}}});
    s.push_back({"a press in A, a move over D with the button flag, the release in A",
                 {{A, [](Target& t) { Mouse(t.Pane(0), WM_LBUTTONDOWN, MK_LBUTTON, 70, 120); }},
                  {D, [](Target& t) { Mouse(t.Pane(0), WM_MOUSEMOVE, MK_LBUTTON, 150, 40); }},
                  {A, [](Target& t) {
                       Mouse(t.Pane(0), WM_MOUSEMOVE, MK_LBUTTON, 120, 140);
                       Mouse(t.Pane(0), WM_LBUTTONUP, 0, 120, 140);
                   }}}});
    s.push_back({"a range through a line break deleted in A, a logged insertion in D",
                 {{A, [](Target& t) {
                      SendMessageA(t.control, EM_SETSEL, 12, 40);
                      SendMessageA(t.control, EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(""));
                  }},
                  {D, [](Target& t) {
                       SendMessageA(t.control, EM_SETSEL, 5, 5);
                       SendMessageA(t.control, EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("ins"));
                   }}}});
    s.push_back({"D scrolled left of its text's origin, a thumb drag in C to where it is, then D repainted",
                 {{D, [](Target& t) { SendMessageA(t.control, EM_LINESCROLL, static_cast<WPARAM>(-2), 0); }},
                  {C, [](Target& t) {
                      HWND bar = static_cast<HWND>(t.ed->panes[0].hwndVScroll);
                      SetScrollPos(bar, SB_CTL, t.ed->panes[0].scrollY, FALSE);
                      SendMessageA(t.Pane(0), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), reinterpret_cast<LPARAM>(bar));
                  }},
                  {D, [](Target& t) { SendMessageA(t.control, EMX_REPAINTALL, 0, 0); }}}});
    s.push_back({"C's lower pane scrolls by a line, its gesture not yet ended; B types at a long line's end",
                 {{C, [](Target& t) {
                      SendMessageA(t.Pane(1), WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(t.ed->panes[1].hwndVScroll));
                  }},
                  {B, [](Target& t) {
                       SetFocus(t.Pane(0));
                       KeyDown(t.Pane(0), VK_DOWN);
                       KeyDown(t.Pane(0), VK_END);
                       Type(t.Pane(0), " and on and on and on");
                   }}}});
    s.push_back({"C's scroll-bar gesture ends; the wheel in its upper pane",
                 {{C, [](Target& t) {
                      SendMessageA(t.Pane(1), WM_VSCROLL, SB_ENDSCROLL, reinterpret_cast<LPARAM>(t.ed->panes[1].hwndVScroll));
                      SendMessageA(t.Pane(0), WM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(50, 50));
                  }}}});
    {
        // D's selection, from inside a line through its line break, replaced by a
        // stream; its callback replaces a range through a line break in A.
        auto inA = std::make_shared<Part>(A, [](Target& t) {
            SendMessageA(t.control, EM_SETSEL, 30, 52);
            SendMessageA(t.control, EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("P\r\nQ"));
        });
        s.push_back({"a stream into D whose callback edits A",
                     {{D, [](Target& t) {
                           SendMessageA(t.control, EM_SETSEL, 2, 13);
                           Feed feed{"x\r\ny\r\nz", 0, t.inside};
                           EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&feed), 0, FeedPieces};
                           SendMessageA(t.control, EM_STREAMIN, SF_TEXT | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
                       },
                       inA}}});
    }
    s.push_back({"undo in A and D, a click in the scrolled B",
                 {{A, [](Target& t) {
                      SetFocus(t.Pane(0));
                      KeyDown(t.Pane(0), 'Z', true);
                  }},
                  {D, [](Target& t) { SendMessageA(t.control, EM_UNDO, 0, 0); }},
                  {B, [](Target& t) {
                       Mouse(t.Pane(0), WM_LBUTTONDOWN, MK_LBUTTON, 40, 30);
                       Mouse(t.Pane(0), WM_LBUTTONUP, 0, 40, 30);
                   }}}});
    s.push_back({"a margin drag in C's lower pane, typing in A",
                 {{C, [](Target& t) { Drag(t.Pane(1), {5, 10}, {5, 60}); }},
                  {A, [](Target& t) {
                       SetFocus(t.Pane(0));
                       Type(t.Pane(0), "t^ another ^ closed");
                   }}}});
    {
        // The wheel sent to A goes on to its pane, whose procedure (the host's)
        // turns B's wheel meanwhile: B's own wheel message reaches B's pane.
        auto inB = std::make_shared<Part>(B, [](Target& t) {
            SendMessageA(t.control, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(20, 20));
        });
        s.push_back({"the wheel of A, whose pane procedure turns B's wheel",
                     {{A, [](Target& t) {
                           gPaneProc = reinterpret_cast<WNDPROC>(
                               SendMessageA(t.control, EMX_SUBCLASSPANES, 0, reinterpret_cast<LPARAM>(RelayingPaneProc)));
                           gDuringWheel = t.inside;
                           SendMessageA(t.control, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(20, 20));
                           gDuringWheel = nullptr;
                           SendMessageA(t.control, EMX_SUBCLASSPANES, 0, reinterpret_cast<LPARAM>(gPaneProc));
                       },
                       inB}}});
    }
    s.push_back({"redo in D, B scrolls back, C repainted", {{D, [](Target& t) { SendMessageA(t.control, EM_REDO, 0, 0); }},
                                                          {B, [](Target& t) {
                                                               SendMessageA(t.control, WM_HSCROLL, SB_LINELEFT,
                                                                            reinterpret_cast<LPARAM>(t.ed->panes[0].hwndHScroll));
                                                           }},
                                                          {C, [](Target& t) { SendMessageA(t.control, EMX_REPAINTALL, 0, 1); }}}});
    return s;
}

TEST_F(ManyControlsTest, EachControlInTheCrowdDoesWhatItDoesAlone) {
    const std::vector<Action> script = Script();
    RunTogether(script);
    if (HasFatalFailure()) return;
    for (int i = 0; i < kControls && !HasFatalFailure(); ++i) RunAlone(i);
    if (HasFatalFailure()) return;
    Compare(script);
}

}  // namespace
}  // namespace qvtest
