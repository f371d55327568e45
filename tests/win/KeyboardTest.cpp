// The keyboard of the real control: random key sequences through the window
// procedure against a small model of the text, the selection and the remembered
// caret x; the keys' refusals and layouts; and the keyboard inside a real dialog.
#include <richedit.h>  // EM_REDO, EM_CANREDO

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/EditorInstance.h"
#include "store/LineRecord.h"
#include "win/support/Keys.h"
#include "win/support/TestHost.h"

using qv::EditorInstance;

namespace qvtest {
namespace {

EditorInstance* Record(HWND control) { return reinterpret_cast<EditorInstance*>(GetWindowLongPtrA(control, 0)); }

// The document as stored, one CR per line end, the closing CR included.
std::string StoredText(HWND control) {
    const EditorInstance* ed = Record(control);
    std::string text;
    for (uint32_t i = 0; i < ed->lineIndexUsed / 4; ++i) {
        qv::LineRecordView rec(ed->lineHeap + qv::RecordOffset(*ed, i));
        text.append(reinterpret_cast<const char*>(rec.chars()), rec.length());
    }
    return text;
}

// ---- The model ----------------------------------------------------------------------------

bool IsNameChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 0x3F && u <= 0x5A) || (u >= 'a' && u <= 'z') || u == '_';
}
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A text's stored form: CR LF and a lone LF each one CR.
std::string Stored(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && i > 0 && text[i - 1] == '\r') continue;
        out += text[i] == '\n' ? '\r' : text[i];
    }
    return out;
}

// Pixel widths as the control measures them: DrawTextExA with the control's font
// and tab length.
class Measure {
public:
    Measure(HFONT font, int tabWidth) : dc_(CreateCompatibleDC(nullptr)), tabWidth_(tabWidth) {
        old_ = SelectObject(dc_, font);
    }
    ~Measure() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    int Width(const std::string& s, size_t n) const {
        if (n == 0) return 0;
        RECT rc = {0, 0, 0, 0};
        DRAWTEXTPARAMS params = {sizeof params, tabWidth_, 0, 0, 0};
        DrawTextExA(dc_, const_cast<char*>(s.data()), static_cast<int>(n), &rc,
                    DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | DT_CALCRECT | DT_NOPREFIX | DT_EDITCONTROL, &params);
        return rc.right;
    }

private:
    HDC dc_;
    HGDIOBJ old_;
    int tabWidth_;
};

// The text, the selection (anchor, caret), the pane's remembered caret x, overwrite
// mode, the clipboard, and the undo history as undo steps.
struct Model {
    std::string doc;  // stored, the closing CR included
    uint32_t anchor = 0, caret = 0;
    int caretX = 0;
    bool overwrite = false;
    std::string clipboard;  // CF_TEXT as the control put it there
    struct Step {
        std::string before, after;
        uint32_t undoAnchor, undoCaret;  // the selection after the step is undone
        uint32_t redoAnchor, redoCaret;  // ... and after it is redone
    };
    std::vector<Step> steps;
    size_t now = 0;  // steps[0, now) are done

    const Measure* measure = nullptr;
    int textLeft = 0;

    uint32_t Length() const { return static_cast<uint32_t>(doc.size()); }
    uint32_t Closing() const { return Length() - 1; }
    uint32_t LineStartOf(uint32_t p) const {
        const size_t cr = p == 0 ? std::string::npos : doc.rfind('\r', std::min<size_t>(p, doc.size()) - 1);
        return cr == std::string::npos ? 0 : static_cast<uint32_t>(cr + 1);
    }
    std::vector<uint32_t> LineStarts() const {
        std::vector<uint32_t> starts{0};
        for (uint32_t i = 0; i + 1 < Length(); ++i)
            if (doc[i] == '\r') starts.push_back(i + 1);
        return starts;
    }
    uint32_t LineOf(uint32_t p) const {
        const std::vector<uint32_t> starts = LineStarts();
        return static_cast<uint32_t>(std::upper_bound(starts.begin(), starts.end(), std::min(p, Closing())) -
                                     starts.begin() - 1);
    }
    std::string LineText(uint32_t line) const {
        const std::vector<uint32_t> starts = LineStarts();
        const uint32_t s = starts[line];
        return doc.substr(s, doc.find('\r', s) - s + 1);
    }
    // The caret's pane x at p.
    int X(uint32_t p) const {
        const uint32_t s = LineStartOf(std::min(p, Closing()));
        return textLeft + 1 + measure->Width(LineText(LineOf(p)), p - s);
    }
    // The index a vertical key lands on in `line` for x: the column whose middle lies
    // right of x, at most the one before the line's CR; x 0 asks for the line start.
    uint32_t AtX(uint32_t line, int x) const {
        const uint32_t start = LineStarts()[line];
        if (x == 0) return start;
        const std::string text = LineText(line);
        int right = textLeft + 1;
        for (uint32_t i = 0; i < text.size(); ++i) {
            const int next = textLeft + 1 + measure->Width(text, i + 1);
            if (next - (next - right) / 2 > x) return start + std::min<uint32_t>(i, text.size() - 1);
            right = next;
        }
        return start + static_cast<uint32_t>(text.size()) - 1;
    }

    // A range deletion as the control does it: through the end it keeps the closing
    // CR; from inside a line through its CR it keeps that CR (and the next CR
    // inserted is absorbed). Answers whether it logged a step.
    struct Deletion {
        uint32_t start = 0, count = 0;
        bool whole = false, keep = false, logged = false;
    };
    Deletion Delete(uint32_t a, uint32_t b) {
        uint32_t hi = std::min(std::max(a, b), Length());
        const uint32_t lo = std::min(std::min(a, b), hi);
        Deletion d;
        d.start = lo;
        if (hi == Length()) {
            if (lo == 0) {
                d.whole = true;
                d.count = Length() - 1;
                d.logged = d.count > 0;
                doc.erase(0, d.count);
                return d;
            }
            --hi;
        }
        if (lo >= hi) return d;
        d.logged = true;
        d.count = hi - lo;
        d.keep = lo > LineStartOf(lo) && doc[hi - 1] == '\r' && doc.find('\r', lo) == hi - 1;
        doc.erase(lo, d.count - (d.keep ? 1 : 0));
        return d;
    }
    void Log(const std::string& before, uint32_t ua, uint32_t uc, uint32_t ra, uint32_t rc) {
        steps.resize(now);
        steps.push_back({before, doc, ua, uc, ra, rc});
        now = steps.size();
    }
    void LogDeletion(const std::string& before, const Deletion& d) {
        if (d.logged) Log(before, d.start, d.start + d.count + (d.whole ? 1 : 0), d.start, d.start);
    }

    // ---- The keys ----
    // A character typed over a selection that goes is one step with its deletion:
    // undone, the deleted text comes back selected.
    void Type(char ch) {
        const bool selected = anchor != caret;
        const std::string before = doc;
        const Deletion d = Delete(anchor, caret);
        const uint32_t p = std::min(d.start, Closing());
        if (ch == '\r' && d.keep) {
            // the kept line break stands for the typed one
        } else if (overwrite && !selected && ch != '\r' && doc[p] != '\r') {
            doc[p] = ch;
        } else {
            doc.insert(p, 1, ch);
        }
        if (d.logged)
            Log(before, d.start, d.start + d.count + (d.whole ? 1 : 0), p + 1, p + 1);
        else
            Log(before, p, p, p + 1, p + 1);
        anchor = caret = p + 1;
        caretX = X(caret);
    }
    void DeleteSelection() {
        const std::string before = doc;
        const Deletion d = Delete(anchor, caret);
        LogDeletion(before, d);
        anchor = caret = d.start;
        caretX = X(caret);
    }
    void Backspace() {
        if (anchor != caret) return DeleteSelection();
        if (caret == 0) return;
        const uint32_t p = std::min(caret, Length()) - 1;
        if (p < Closing()) {
            const std::string before = doc;
            doc.erase(p, 1);
            Log(before, p + 1, p + 1, p, p);
        }
        anchor = caret = p;
        caretX = X(caret);
    }
    void DeleteKey() {
        const uint32_t lo = std::min(anchor, caret), hi = std::max(anchor, caret);
        const bool oneCr = hi - lo == 1 && lo < Length() && doc[lo] == '\r';
        if (lo != hi && !oneCr) return DeleteSelection();
        if (lo >= Closing()) return;
        const std::string before = doc;
        doc.erase(lo, 1);
        Log(before, lo, lo, lo, lo);
        anchor = caret = lo;
        caretX = X(caret);
    }
    void DeleteWordBack() {
        const uint32_t c = std::min(caret, Closing());
        const uint32_t lineStart = LineStartOf(c);
        if (anchor != caret || c == lineStart) return Backspace();
        uint32_t s = c;
        while (s > lineStart && IsBlank(doc[s - 1])) --s;
        if (s > lineStart && IsNameChar(doc[s - 1])) {
            while (s > lineStart && IsNameChar(doc[s - 1])) --s;
        } else {
            while (s > lineStart && !IsBlank(doc[s - 1]) && !IsNameChar(doc[s - 1])) --s;
        }
        anchor = s;
        caret = c;
        DeleteSelection();
    }
    // The selection as the clipboard gets it, or "" for nothing to copy.
    std::string SelectionText() const {
        const uint32_t hi = std::min(std::max(anchor, caret), Closing());
        const uint32_t lo = std::min(std::min(anchor, caret), hi);
        std::string out;
        for (uint32_t i = lo; i < hi; ++i) {
            out += doc[i];
            if (doc[i] == '\r') out += '\n';
        }
        return out;
    }
    void Copy() {
        const std::string text = SelectionText();
        if (!text.empty()) clipboard = text;
    }
    void Cut() {
        const std::string text = SelectionText();
        if (!text.empty()) {
            clipboard = text;
            const std::string before = doc;
            const Deletion d = Delete(anchor, caret);
            LogDeletion(before, d);
            anchor = caret = d.start;
        }
        caretX = X(caret);
    }
    void Paste() {
        if (clipboard.empty()) return;
        const std::string chars = Stored(clipboard);
        const std::string before = doc;
        const Deletion d = Delete(anchor, caret);
        const uint32_t p = std::min(d.start, Closing());
        if (d.keep && chars.find('\r') != std::string::npos) doc.erase(p, 1);
        doc.insert(p, chars);
        const uint32_t end = p + static_cast<uint32_t>(chars.size());
        if (d.logged)
            Log(before, d.start, d.start + d.count + (d.whole ? 1 : 0), end, end);
        else
            Log(before, p, p, end, end);
        anchor = caret = end;
        caretX = X(caret);
    }
    void Undo() {
        if (now > 0) {
            const Step& s = steps[--now];
            doc = s.before;
            anchor = s.undoAnchor;
            caret = s.undoCaret;
        }
        caretX = X(caret);
    }
    void Redo() {
        if (now < steps.size()) {
            const Step& s = steps[now++];
            doc = s.after;
            anchor = s.redoAnchor;
            caret = s.redoCaret;
        }
        caretX = X(caret);
    }

    // Every key moves the caret; Shift leaves the anchor where the selection began.
    void Vertical(bool down, bool ctrl, bool shift) {
        if (!shift && anchor != caret) {
            if (down ? anchor < caret : anchor > caret) std::swap(anchor, caret);
        }
        if (ctrl) caretX = 0;
        const uint32_t line = LineOf(caret);
        const uint32_t last = static_cast<uint32_t>(LineStarts().size()) - 1;
        const uint32_t target = down ? std::min(line + 1, last) : (line == 0 ? 0 : line - 1);
        const uint32_t p = AtX(target, caretX);
        caret = p;
        if (!shift) anchor = p;
    }
    void Horizontal(bool right, bool ctrl, bool shift) {
        uint32_t p;
        if (anchor != caret && !shift)
            p = right ? std::max(anchor, caret) : std::min(anchor, caret);
        else
            p = right ? caret + 1 : (caret ? caret - 1 : 0);
        p = std::min(p, Length());
        if (ctrl) {
            const uint32_t lineStart = LineStartOf(std::min(p, Closing()));
            uint32_t lineEnd = static_cast<uint32_t>(doc.find('\r', lineStart)) + 1;
            if (right) {
                while (p < lineEnd && IsNameChar(doc[p])) ++p;
            } else {
                while (p > lineStart && p <= lineEnd && IsNameChar(doc[p - 1])) --p;
            }
        }
        p = std::min(p, Closing());
        caret = p;
        if (!shift) anchor = p;
        caretX = X(caret);
    }
    void Page(bool down, bool shift) {
        if (!down && !shift && anchor != caret && anchor > caret) std::swap(anchor, caret);
        const uint32_t last = static_cast<uint32_t>(LineStarts().size()) - 1;
        const uint32_t p = AtX(down ? last : 0, caretX);
        caret = p;
        if (!shift) anchor = p;
    }
    void Home(bool ctrl, bool shift) {
        if (!ctrl && !shift && anchor > caret) std::swap(anchor, caret);
        const uint32_t p = ctrl ? 0 : LineStartOf(std::min(caret, Closing()));
        caret = p;
        if (!shift) anchor = p;
        caretX = X(caret);
    }
    void End(bool ctrl, bool shift) {
        if (!shift && anchor != caret) {
            if (caret < anchor) {
                const uint32_t larger = anchor;
                anchor = caret;
                caret = larger - 1;
            } else {
                caret -= 1;
            }
        }
        const uint32_t p =
            ctrl ? Closing() : static_cast<uint32_t>(doc.find('\r', LineStartOf(std::min(caret, Closing()))));
        caret = p;
        if (!shift) anchor = p;
        caretX = X(caret);
    }
    void SelectAll() {  // the host's text, up to the closing CR
        anchor = Closing();
        caret = 0;
    }
};

// ---- The model test -----------------------------------------------------------------

enum class Key {
    Char, Backspace, Delete, CtrlBackspace, Nav, SelectAll, Copy, Cut, Paste, ShiftInsert, CtrlInsert, Insert,
    Undo, Redo, ShiftRedo,
};
struct Action {
    Key key;
    UINT code = 0;  // the character or the navigation key
    bool ctrl = false, shift = false;
};

class KeyboardModelTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        ASSERT_TRUE(MakeControl(1000, 700));
        ed = Record(control);
        font = CreateFontA(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                           "DejaVu Sans Mono");
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font));
        SetForegroundWindow(host->hwnd());
        SetFocus(control);
        ASSERT_EQ(GetFocus(), static_cast<HWND>(ed->panes[0].hwnd));
        rows = ed->panes[0].textRect.bottom / static_cast<int>(ed->lineHeight);
    }
    void TearDown() override {
        SetModifiers(false, false);
        ControlTest::TearDown();
        DeleteObject(font);
    }

    void Apply(const Action& a) {
        switch (a.key) {
            case Key::Char: Char(control, a.code); break;
            case Key::Backspace: Char(control, VK_BACK); break;
            case Key::Delete: KeyDown(control, VK_DELETE); break;
            case Key::CtrlBackspace:
                KeyDown(control, VK_BACK, true);
                Char(control, 0x7F);  // what TranslateMessage makes of the key: never typed
                break;
            case Key::Nav: KeyDown(control, a.code, a.ctrl, a.shift); break;
            case Key::SelectAll: KeyDown(control, 'A', true); break;
            case Key::Copy: KeyDown(control, 'C', true); break;
            case Key::Cut: KeyDown(control, 'X', true); break;
            case Key::Paste: KeyDown(control, 'V', true); break;
            case Key::ShiftInsert: KeyDown(control, VK_INSERT, false, true); break;
            case Key::CtrlInsert: KeyDown(control, VK_INSERT, true); break;
            case Key::Insert: KeyDown(control, VK_INSERT); break;
            case Key::Undo: KeyDown(control, 'Z', true); break;
            case Key::Redo: KeyDown(control, 'Y', true); break;
            case Key::ShiftRedo: KeyDown(control, 'Z', true, true); break;
        }
    }
    static void Apply(Model& m, const Action& a) {
        switch (a.key) {
            case Key::Char: m.Type(static_cast<char>(a.code)); break;
            case Key::Backspace: m.Backspace(); break;
            case Key::Delete: m.DeleteKey(); break;
            case Key::CtrlBackspace: m.DeleteWordBack(); break;
            case Key::Nav:
                switch (a.code) {
                    case VK_UP: m.Vertical(false, a.ctrl, a.shift); break;
                    case VK_DOWN: m.Vertical(true, a.ctrl, a.shift); break;
                    case VK_LEFT: m.Horizontal(false, a.ctrl, a.shift); break;
                    case VK_RIGHT: m.Horizontal(true, a.ctrl, a.shift); break;
                    case VK_PRIOR: m.Page(false, a.shift); break;
                    case VK_NEXT: m.Page(true, a.shift); break;
                    case VK_HOME: m.Home(a.ctrl, a.shift); break;
                    case VK_END: m.End(a.ctrl, a.shift); break;
                }
                break;
            case Key::SelectAll: m.SelectAll(); break;
            case Key::Copy:
            case Key::CtrlInsert: m.Copy(); break;
            case Key::Cut: m.Cut(); break;
            case Key::Paste:
            case Key::ShiftInsert: m.Paste(); break;
            case Key::Insert: m.overwrite = !m.overwrite; break;
            case Key::Undo: m.Undo(); break;
            case Key::Redo:
            case Key::ShiftRedo: m.Redo(); break;
        }
    }

    Action RandomAction() {
        static const char kChars[] = "abcxyz019_:,;.^ ";
        static const UINT kNav[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_PRIOR, VK_NEXT, VK_HOME, VK_END};
        const uint32_t r = Below(100);
        Action a{Key::Char};
        if (r < 30) {
            a.code = static_cast<unsigned char>(kChars[Below(sizeof kChars - 1)]);
        } else if (r < 34) {
            a.code = '\t';
        } else if (r < 39) {
            a.code = '\r';
        } else if (r < 44) {
            a.key = Key::Backspace;
        } else if (r < 48) {
            a.key = Key::Delete;
        } else if (r < 50) {
            a.key = Key::CtrlBackspace;
        } else if (r < 80) {
            a.key = Key::Nav;
            a.code = kNav[Below(8)];
            a.ctrl = OneIn(3);
            a.shift = OneIn(2);
        } else {
            static const Key kOthers[] = {Key::SelectAll, Key::Copy, Key::Cut,  Key::Paste, Key::ShiftInsert,
                                          Key::CtrlInsert, Key::Insert, Key::Undo, Key::Undo, Key::Redo,
                                          Key::ShiftRedo, Key::Copy, Key::Paste, Key::Cut};
            a.key = kOthers[Below(sizeof kOthers / sizeof kOthers[0])];
        }
        return a;
    }

    // The document stays inside the pane, so neither pane scrolls: no more lines than
    // rows, no line wider than the pane.
    bool Fits(const Model& m) const {
        const std::vector<uint32_t> starts = m.LineStarts();
        if (static_cast<int>(starts.size()) > rows - 2) return false;
        for (uint32_t line = 0; line < starts.size(); ++line) {
            const std::string text = m.LineText(line);
            if (m.textLeft + m.measure->Width(text, text.size()) > ed->panes[0].textRect.right - 120) return false;
        }
        return true;
    }

    void Check(const Model& m) {
        ASSERT_EQ(StoredText(control), m.doc);
        ASSERT_EQ(ed->selAnchor, m.anchor);
        ASSERT_EQ(ed->caretPos, m.caret);
        ASSERT_EQ(ed->overwriteMode != 0, m.overwrite);
        const std::vector<uint32_t> starts = m.LineStarts();
        ASSERT_EQ(Send(EM_GETLINECOUNT), static_cast<LRESULT>(starts.size()));
        for (uint32_t line = 0; line < starts.size(); ++line)
            ASSERT_EQ(Send(EM_LINEINDEX, line), static_cast<LRESULT>(starts[line])) << "line " << line;
        ASSERT_EQ(ed->panes[0].caretX, m.caretX);
        ASSERT_EQ(ed->panes[0].scrollY, 0);
        ASSERT_EQ(ed->panes[0].scrollX, 0);
    }

    // The clipboard's text, read by this process.
    static std::string ClipboardText() {
        std::string text;
        if (!OpenClipboard(nullptr)) return "(busy)";
        if (HANDLE block = GetClipboardData(CF_TEXT)) {
            const char* p = static_cast<const char*>(GlobalLock(block));
            text.assign(p, strnlen(p, GlobalSize(block)));
            GlobalUnlock(block);
        }
        CloseClipboard();
        return text;
    }

    void Run(uint32_t seed, int steps) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        rng.seed(seed);
        ASSERT_TRUE(OpenClipboard(host->hwnd()));  // the model starts with an empty clipboard
        EmptyClipboard();
        CloseClipboard();
        const char* start = "mov eax, ebx\r\n\tpush ecx ; save\r\n\r\nlabel_1: call func\r\n  x := y^z";
        Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(start));
        Send(EM_EMPTYUNDOBUFFER);
        const Measure measure(font, static_cast<int>(ed->tabWidth));
        Model m;
        m.measure = &measure;
        m.textLeft = static_cast<int>(ed->selMarginWidth + ed->lineNumberWidth);
        m.doc = Stored(start) + '\r';
        m.caretX = ed->panes[0].caretX;
        m.overwrite = ed->overwriteMode != 0;
        ASSERT_NO_FATAL_FAILURE(Check(m));
        const std::string first = m.doc;
        for (int step = 0; step < steps; ++step) {
            Action a = RandomAction();
            Model next = m;
            Apply(next, a);
            if (!Fits(next)) continue;
            SCOPED_TRACE("step " + std::to_string(step) + ", key " + std::to_string(static_cast<int>(a.key)) +
                         " code " + std::to_string(a.code) + (a.ctrl ? " ctrl" : "") + (a.shift ? " shift" : "") +
                         " from anchor " + std::to_string(m.anchor) + " caret " + std::to_string(m.caret) + " in " +
                         testing::PrintToString(m.doc));
            Apply(a);
            m = next;
            ASSERT_NO_FATAL_FAILURE(Check(m));
            if (a.key == Key::Copy || a.key == Key::Cut || a.key == Key::CtrlInsert) {
                ASSERT_EQ(ClipboardText(), m.clipboard);
            }
        }
        // Undo everything, then redo everything (past the steps the run ended undone).
        const std::string last = m.steps.empty() ? first : m.steps.back().after;
        while (m.now > 0) {
            KeyDown(control, 'Z', true);
            m.Undo();
            ASSERT_NO_FATAL_FAILURE(Check(m));
        }
        EXPECT_EQ(StoredText(control), first);
        while (m.now < m.steps.size()) {
            KeyDown(control, 'Y', true);
            m.Redo();
            ASSERT_NO_FATAL_FAILURE(Check(m));
        }
        EXPECT_EQ(StoredText(control), last);
    }

    uint32_t Below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng); }
    bool OneIn(uint32_t n) { return Below(n) == 0; }

    EditorInstance* ed = nullptr;
    HFONT font = nullptr;
    int rows = 0;
    std::mt19937 rng;
};

TEST_F(KeyboardModelTest, RandomKeysAgreeWithAModelOfTextSelectionAndCaret) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        Run(seed, 600);
        if (HasFatalFailure()) return;
    }
}

// ---- Keys, one at a time ----------------------------------------------------------------

class KeyboardTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        ASSERT_TRUE(MakeControl(400, 300));
        ed = Record(control);
        font = CreateFontA(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                           "DejaVu Sans Mono");
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font));
        SetForegroundWindow(host->hwnd());
        SetFocus(control);
    }
    void TearDown() override {
        SetModifiers(false, false);
        ControlTest::TearDown();
        DeleteObject(font);
    }
    void SetText(const char* text) {
        Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        Send(EM_EMPTYUNDOBUFFER);
    }
    void Select(LPARAM anchor, LPARAM caret) { Send(EM_SETSEL, anchor, caret); }
    std::pair<uint32_t, uint32_t> Sel() const { return {ed->selAnchor, ed->caretPos}; }
    std::string Text() const { return StoredText(control); }

    EditorInstance* ed = nullptr;
    HFONT font = nullptr;
};

// The letter shortcuts follow the layout: they match the virtual key whatever its
// scan code (Z sits where Y is on QWERTZ, A where Q is on AZERTY); AltGr (Ctrl+Alt)
// is no shortcut. The navigation keys match their scan code too.
TEST_F(KeyboardTest, LettersMatchByVirtualKeyNavigationKeysByScanCodeToo) {
    SetText("abc");
    Select(3, 3);
    Char(control, 'd');
    ASSERT_EQ(Text(), "abcd\r");
    EXPECT_EQ(KeyDown(control, 'Z', true, false, 0x15), 0);  // Ctrl+Z on the QWERTY Y key
    EXPECT_EQ(Text(), "abc\r");
    KeyDown(control, 'Y', true, false, 0x2C);  // Ctrl+Y on the QWERTY Z key
    EXPECT_EQ(Text(), "abcd\r");
    KeyDown(control, 'A', true, false, 0x10);  // Ctrl+A on the QWERTY Q key
    EXPECT_EQ(Sel(), std::make_pair(4u, 0u));  // the host's text, not the closing CR

    Select(1, 1);
    SetModifiers(true, false, true);  // AltGr+Z types on some layouts: no undo
    SendMessageA(control, WM_KEYDOWN, 'Z', 1 | (0x2C << 16));
    SetModifiers(false, false);
    EXPECT_EQ(Text(), "abcd\r");

    KeyDown(control, VK_END, false, false, 0x4F);  // the keypad's End, NumLock off
    EXPECT_EQ(Sel(), std::make_pair(4u, 4u));
    KeyDown(control, VK_HOME, false, false, 0x01);  // a Home with a foreign scan code: not a key
    EXPECT_EQ(Sel(), std::make_pair(4u, 4u));
    KeyDown(control, VK_DELETE, false, true);  // Shift+Delete and Ctrl+Delete are not handled
    KeyDown(control, VK_DELETE, true, false);
    EXPECT_EQ(Text(), "abcd\r");
}

// Every Shift key moves the caret, the end the notification reports, and leaves
// the anchor where the selection began: Shift+End then Shift+Down extends from the
// start, Shift+Up shrinks again.
TEST_F(KeyboardTest, ShiftKeysMoveTheCaretAndKeepWhereTheSelectionBegan) {
    SetText("alpha beta gamma\r\ndelta\r\nlast");
    Select(5, 5);
    KeyDown(control, VK_HOME, true);
    KeyDown(control, VK_END, false, true);
    EXPECT_EQ(Sel(), std::make_pair(0u, 16u));
    host->notifications.clear();
    KeyDown(control, VK_DOWN, false, true);
    EXPECT_EQ(Sel(), std::make_pair(0u, 22u));
    ASSERT_EQ(host->notifications.size(), 1u);
    EXPECT_EQ(host->notifications[0].record.anchor, 0);
    EXPECT_EQ(host->notifications[0].record.caret, 22);
    EXPECT_EQ(host->notifications[0].record.line, 1u);
    KeyDown(control, VK_DOWN, false, true);
    EXPECT_EQ(Sel(), std::make_pair(0u, 27u));
    KeyDown(control, VK_UP, false, true);  // shrinks back
    EXPECT_EQ(Sel(), std::make_pair(0u, 22u));
    KeyDown(control, VK_LEFT, false, true);
    KeyDown(control, VK_HOME, false, true);
    EXPECT_EQ(Sel(), std::make_pair(0u, 17u));
    KeyDown(control, VK_UP, false, true);  // back to the anchor: nothing selected
    EXPECT_EQ(Sel(), std::make_pair(0u, 0u));
    KeyDown(control, VK_RIGHT, false, true);
    KeyDown(control, VK_NEXT, false, true);  // Page Down and Shift+Right move the same end
    EXPECT_EQ(ed->selAnchor, 0u);
    EXPECT_EQ(ed->caretPos, 24u);  // the last line, at the x of column 1
}

// Typing over a selection, whatever the key, is one undo step: one Ctrl+Z or
// EM_UNDO gives the replaced text back, selected, and one redo types it again.
TEST_F(KeyboardTest, TypingOverASelectionIsOneUndoStep) {
    const char* original = "  alpha beta\r\n  gamma\r\nlast";
    const std::string stored = "  alpha beta\r  gamma\rlast\r";
    struct Case {
        const char* what;
        bool selectAll;
        DWORD lo, hi;
        UINT ch;
        bool autoIndent, overwrite, keys;
        const char* typed;
    };
    const Case cases[] = {
        {"select all, x", true, 0, 25, 'x', false, false, true, "x\r"},
        {"select all, x, EM_UNDO", true, 0, 25, 'x', false, false, false, "x\r"},
        {"Enter with indentation", false, 8, 16, '\r', true, false, true, "  alpha \r  amma\rlast\r"},
        {"Tab", false, 2, 7, '\t', false, false, false, "  \t beta\r  gamma\rlast\r"},
        {"overwrite mode", false, 17, 13, 'Z', false, true, true, "  alpha beta\rZmma\rlast\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetText(original);
        Send(EMX_SETAUTOINDENT, c.autoIndent);
        if (c.overwrite) KeyDown(control, VK_INSERT);
        if (c.selectAll)
            KeyDown(control, 'A', true);
        else
            Select(c.lo, c.hi);
        Char(control, c.ch);
        EXPECT_EQ(Text(), c.typed);
        c.keys ? KeyDown(control, 'Z', true) : Send(EM_UNDO);
        EXPECT_EQ(Text(), stored);
        DWORD lo = 0, hi = 0;
        Send(EM_GETSEL, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
        EXPECT_EQ(lo, std::min(c.lo, c.hi));
        EXPECT_EQ(hi, std::max(c.lo, c.hi));
        EXPECT_EQ(Send(EM_CANUNDO), 0);
        c.keys ? KeyDown(control, 'Y', true) : Send(EM_REDO);
        EXPECT_EQ(Text(), c.typed);
        EXPECT_EQ(Send(EM_CANREDO), 0);
        if (c.overwrite) KeyDown(control, VK_INSERT);
    }
    Send(EMX_SETAUTOINDENT, 0);
}

// Ctrl+Backspace deletes the word before the caret as one step; the 0x7F its
// WM_CHAR carries is never typed.
TEST_F(KeyboardTest, CtrlBackspaceDeletesAWordAndNeverTypesDel) {
    SetText("call  func");
    Select(10, 10);
    KeyDown(control, VK_BACK, true);
    Char(control, 0x7F);
    EXPECT_EQ(Text(), "call  \r");
    KeyDown(control, VK_BACK, true);
    EXPECT_EQ(Text(), "\r");
    Char(control, 0x7F);
    EXPECT_EQ(Text(), "\r");
    EXPECT_EQ(Send(EM_UNDO), 1);
    EXPECT_EQ(Text(), "call  \r");
    EXPECT_EQ(Send(EM_UNDO), 1);
    EXPECT_EQ(Text(), "call  func\r");
    EXPECT_EQ(Send(EM_CANUNDO), 0);
}

// While read-only, and over a locked line, the keyboard's undo and redo do
// nothing and keep their step; EM_UNDO and EM_REDO, the host's, still work.
TEST_F(KeyboardTest, KeyboardUndoAndRedoHoldToReadOnlyAndLocks) {
    SetText("one\r\ntwo");
    Select(7, 7);
    Char(control, 's');
    ASSERT_EQ(Text(), "one\rtwos\r");
    Send(EMX_SETREADONLY, 0, 1);
    for (UINT vk : {UINT('Z'), UINT('Y')}) KeyDown(control, vk, true);
    KeyDown(control, 'Z', true, true);
    EXPECT_EQ(Text(), "one\rtwos\r");
    EXPECT_EQ(Send(EM_CANUNDO), 1);
    Char(control, 'x');  // typing is refused too
    EXPECT_EQ(Text(), "one\rtwos\r");
    KeyDown(control, VK_INSERT);  // overwrite mode still toggles
    EXPECT_EQ(ed->overwriteMode, 1u);
    KeyDown(control, VK_INSERT);
    Send(EMX_SETREADONLY, 0, 0);

    Send(EMX_SETLINELOCK, 1, 1);
    KeyDown(control, 'Z', true);
    EXPECT_EQ(Text(), "one\rtwos\r");
    EXPECT_EQ(Send(EM_UNDO), 1);  // the host's undo is never refused
    EXPECT_EQ(Text(), "one\rtwo\r");
    KeyDown(control, 'Y', true);
    EXPECT_EQ(Text(), "one\rtwo\r");
    Send(EMX_SETLINELOCK, 1, 0);
    KeyDown(control, 'Y', true);
    EXPECT_EQ(Text(), "one\rtwos\r");
}

// Delete decides the end of the text from the control's own text: a window set as
// entry 2 of the host windows, whatever its text, changes nothing.
TEST_F(KeyboardTest, DeleteKnowsTheEndOfItsOwnText) {
    HWND other = CreateWindowExA(0, "STATIC", "xx", WS_CHILD, 0, 0, 10, 10, host->hwnd(), nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    HostWindows windows = {};
    windows.windows[2] = other;  // its text length, 2, minus 0 would have made index 2 "the end"
    Send(EMX_SETHOSTWINDOWS, 0, reinterpret_cast<LPARAM>(&windows));
    SetText("abcd");
    Select(2, 2);
    KeyDown(control, VK_DELETE);
    EXPECT_EQ(Text(), "abd\r");
    Select(3, 3);
    const size_t told = host->notifications.size();
    KeyDown(control, VK_DELETE);  // on the closing CR: nothing, and nothing told
    EXPECT_EQ(Text(), "abd\r");
    EXPECT_EQ(host->notifications.size(), told);
    HostWindows none = {};
    Send(EMX_SETHOSTWINDOWS, 0, reinterpret_cast<LPARAM>(&none));
    KeyDown(control, VK_DELETE);
    EXPECT_EQ(Text(), "abd\r");
    DestroyWindow(other);
}

// ---- The keyboard in a dialog ------------------------------------------------------------

// A dialog template in memory: the control (id 100) and an OK button.
std::vector<WORD> DialogTemplate() {
    std::vector<WORD> t;
    auto put32 = [&t](DWORD v) {
        t.push_back(LOWORD(v));
        t.push_back(HIWORD(v));
    };
    auto putString = [&t](const wchar_t* s) {
        do t.push_back(static_cast<WORD>(*s)); while (*s++);
    };
    auto align = [&t] {
        if (t.size() % 2) t.push_back(0);
    };
    put32(WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME);
    put32(0);
    t.push_back(2);  // items
    t.push_back(10), t.push_back(10), t.push_back(200), t.push_back(120);
    t.push_back(0), t.push_back(0);  // no menu, the default class
    putString(L"Dialog");
    for (int item = 0; item < 2; ++item) {
        align();
        put32(WS_CHILD | WS_VISIBLE | WS_TABSTOP | (item == 1 ? BS_DEFPUSHBUTTON : 0));
        put32(0);
        t.push_back(5), t.push_back(item == 0 ? 5 : 100), t.push_back(180), t.push_back(item == 0 ? 90 : 14);
        t.push_back(item == 0 ? 100 : IDOK);
        if (item == 0) {
            putString(L"Quorvane");
        } else {
            t.push_back(0xFFFF), t.push_back(0x0080);  // the button class
        }
        putString(item == 0 ? L"" : L"OK");
        t.push_back(0);  // no creation data
    }
    return t;
}

UINT gDialogCommand = 0;
INT_PTR CALLBACK DialogProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        gDialogCommand = LOWORD(wParam);
        return TRUE;
    }
    return msg == WM_INITDIALOG;
}

// Keys posted to the focused pane and run through a message loop that calls
// IsDialogMessage, as a dialog's loop does.
void RunDialogKey(HWND dialog, UINT vk) {
    PostMessageA(GetFocus(), WM_KEYDOWN, vk, 1 | (static_cast<LPARAM>(ScanCode(vk)) << 16));
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

TEST(DialogKeyboardTest, TheControlTakesArrowsTabEnterAndCharactersAndLeavesEscape) {
    ASSERT_NE(LoadQuorvane(), nullptr);
    std::vector<WORD> t = DialogTemplate();
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(t.data()),
                                             nullptr, DialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    HWND control = GetDlgItem(dialog, 100);
    ASSERT_NE(control, nullptr);
    EditorInstance* ed = Record(control);
    SetForegroundWindow(dialog);
    SetFocus(control);
    HWND pane = static_cast<HWND>(ed->panes[0].hwnd);
    ASSERT_EQ(GetFocus(), pane);
    gDialogCommand = 0;

    for (UINT vk : {UINT('A'), UINT(VK_TAB), UINT('B'), UINT(VK_RETURN), UINT('C'), UINT(VK_LEFT), UINT(VK_UP)})
        RunDialogKey(dialog, vk);
    EXPECT_EQ(StoredText(control), "a\tb\rc\r");
    EXPECT_EQ(ed->caretPos, 0u);  // Left to the start of the second line, then Up
    EXPECT_EQ(GetFocus(), pane);
    EXPECT_EQ(gDialogCommand, 0u);  // Enter broke the line: no IDOK

    // Escape belongs to the dialog.
    RunDialogKey(dialog, VK_ESCAPE);
    EXPECT_EQ(gDialogCommand, static_cast<UINT>(IDCANCEL));
    EXPECT_EQ(StoredText(control), "a\tb\rc\r");

    // The codes themselves: arrows, characters and TAB; every key for Enter only.
    const LRESULT base = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    MSG enter = {pane, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    MSG enterChar = {pane, WM_CHAR, '\r', 0, 0, {0, 0}};
    MSG escape = {pane, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    for (HWND window : {pane, control}) {
        EXPECT_EQ(SendMessageA(window, WM_GETDLGCODE, 0, 0), base);
        EXPECT_EQ(SendMessageA(window, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)),
                  base | DLGC_WANTALLKEYS);
        EXPECT_EQ(SendMessageA(window, WM_GETDLGCODE, '\r', reinterpret_cast<LPARAM>(&enterChar)),
                  base | DLGC_WANTALLKEYS);
        EXPECT_EQ(SendMessageA(window, WM_GETDLGCODE, VK_ESCAPE, reinterpret_cast<LPARAM>(&escape)), base);
    }
    DestroyWindow(dialog);
    PumpMessages();
}

}  // namespace
}  // namespace qvtest
