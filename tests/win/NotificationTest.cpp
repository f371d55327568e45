// The notification the parent receives: a real parent window that reads the
// 54-byte record as a host does, looks at the line record it points to while the
// notification lasts, and queries the control from inside its handler.
#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "base/EditorInstance.h"
#include "win/support/TestHost.h"

using qv::EditorInstance;

namespace qvtest {
namespace {

// The record as a host written in another language reads it: by byte offset.
uint32_t Dword(const uint8_t* raw, size_t offset) {
    uint32_t v;
    std::memcpy(&v, raw + offset, 4);
    return v;
}

// The stored text as the parent can read it: WM_GETTEXT, and the closing CR that
// WM_GETTEXT never copies.
std::string StoredText(HWND control) {
    char buffer[4096];
    const LRESULT n = SendMessageA(control, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return std::string(buffer, n) + '\r';
}

// What the parent saw while it handled one notification.
struct Seen {
    WPARAM wParam = 0;
    uint8_t raw[54] = {};
    // From the line record, read during the notification.
    uint32_t recordLength = 0, recordSize = 0;
    std::string recordChars;
    // The control's answers to queries sent from inside the handler.
    DWORD selStart = 0, selEnd = 0;
    LRESULT lineIndexOfLastLookup = -1, lineCount = -1, lineOfCaret = -1, textLength = -1, modified = -1;
    std::string text;

    const SelChangeEx& record() const { return *reinterpret_cast<const SelChangeEx*>(raw); }
};

// A top-level parent window that records every 0x702 notification.
class NotifyingParent {
public:
    NotifyingParent() {
        static bool registered = false;
        if (!registered) {
            WNDCLASSEXA wc = {};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = &NotifyingParent::Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "QuorvaneNotifyingParent";
            registered = RegisterClassExA(&wc) != 0;
        }
        hwnd = CreateWindowExA(0, "QuorvaneNotifyingParent", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               700, 500, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~NotifyingParent() { DestroyWindow(hwnd); }

    HWND hwnd = nullptr;
    std::vector<Seen> seen;
    // Called inside the handler, after the record has been read.
    std::function<void(HWND control, const SelChangeEx&)> during;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<NotifyingParent*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (msg == WM_NOTIFY && self && reinterpret_cast<const NMHDR*>(lParam)->code == QVN_SELCHANGE) {
            self->Record(wParam, reinterpret_cast<const uint8_t*>(lParam));
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }

    void Record(WPARAM wParam, const uint8_t* raw) {
        Seen s;
        s.wParam = wParam;
        std::memcpy(s.raw, raw, sizeof s.raw);
        const SelChangeEx& rec = s.record();
        HWND control = rec.nmhdr.hwndFrom;
        if (const uint8_t* line = reinterpret_cast<const uint8_t*>(Dword(raw, 34))) {
            s.recordLength = Dword(line, 0);
            s.recordSize = Dword(line, 4);
            if (s.recordLength <= s.recordSize)
                s.recordChars.assign(reinterpret_cast<const char*>(line + 20), s.recordLength);
        }
        // The first query reads the line of the last lookup, which is the caret's.
        s.lineIndexOfLastLookup = SendMessageA(control, EM_LINEINDEX, WPARAM(-1), 0);
        SendMessageA(control, EM_GETSEL, reinterpret_cast<WPARAM>(&s.selStart),
                     reinterpret_cast<LPARAM>(&s.selEnd));
        s.lineCount = SendMessageA(control, EM_GETLINECOUNT, 0, 0);
        s.lineOfCaret = SendMessageA(control, EM_LINEFROMCHAR, rec.caret, 0);
        s.textLength = SendMessageA(control, WM_GETTEXTLENGTH, 0, 0);
        s.modified = SendMessageA(control, EM_GETMODIFY, 0, 0);
        s.text = StoredText(control);
        seen.push_back(s);
        if (during) during(control, rec);
    }
};

class NotificationTest : public ::testing::Test {
protected:
    static constexpr int kId = 42;
    void SetUp() override {
        ASSERT_NE(LoadQuorvane(), nullptr);
        parent = new NotifyingParent;
        control = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300, parent->hwnd,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kId)),
                                  GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(control);
    }
    void TearDown() override {
        if (control && IsWindow(control)) DestroyWindow(control);
        delete parent;
        PumpMessages();
    }
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageA(control, msg, wParam, lParam);
    }
    void SetText(const char* text) { Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
    EditorInstance& ed() { return *reinterpret_cast<EditorInstance*>(GetWindowLongPtrA(control, 0)); }

    // The notifications that `action` caused.
    std::vector<Seen> During(const std::function<void()>& action) {
        const size_t before = parent->seen.size();
        action();
        return std::vector<Seen>(parent->seen.begin() + before, parent->seen.end());
    }
    // The one notification that `action` caused.
    Seen Only(const std::function<void()>& action) {
        std::vector<Seen> got = During(action);
        EXPECT_EQ(got.size(), 1u);
        return got.empty() ? Seen() : got.back();
    }

    NotifyingParent* parent = nullptr;
    HWND control = nullptr;
};

// Creation tells the parent of the fresh document, inside CreateWindowEx: before the
// parent has the control's handle, which it takes from the record.
TEST_F(NotificationTest, CreationTellsTheParentOfTheEmptyDocument) {
    ASSERT_EQ(parent->seen.size(), 1u);
    const Seen& s = parent->seen[0];
    EXPECT_EQ(s.record().nmhdr.hwndFrom, control);
    EXPECT_EQ(s.record().nmhdr.idFrom, UINT_PTR(kId));
    EXPECT_EQ(s.record().nmhdr.code, UINT(QVN_SELCHANGE));
    EXPECT_EQ(s.record().reason, QV_REASON_CHANGE);
    EXPECT_EQ(s.record().anchor, 0);
    EXPECT_EQ(s.record().caret, 0);
    EXPECT_EQ(s.record().line, 0u);
    EXPECT_EQ(s.record().lineStart, 0u);
    EXPECT_EQ(s.record().lineLength, 1u);  // the closing CR
    EXPECT_EQ(s.record().lastLine, 0u);
    EXPECT_EQ(s.record().hiddenLines, 0u);
    EXPECT_EQ(s.record().changed, 0u);
    EXPECT_EQ(s.wParam, WPARAM(kId));
    EXPECT_EQ(s.recordChars, "\r");
    // The control answers the parent's queries already.
    EXPECT_EQ(s.lineCount, 1);
    EXPECT_EQ(s.textLength, 0);
    EXPECT_EQ(s.modified, 0);
    EXPECT_EQ(s.text, "\r");

    // A parent that destroys the control while it is told ends the creation safely.
    parent->during = [](HWND from, const SelChangeEx&) { DestroyWindow(from); };
    HWND second = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, parent->hwnd,
                                  reinterpret_cast<HMENU>(43), GetModuleHandleA(nullptr), nullptr);
    parent->during = nullptr;
    ASSERT_EQ(parent->seen.size(), 2u);
    EXPECT_EQ(parent->seen[1].record().nmhdr.idFrom, UINT_PTR(43));
    EXPECT_FALSE(second && IsWindow(second));
    EXPECT_EQ(Send(EM_GETLINECOUNT), 1);  // the first control works on
}

TEST_F(NotificationTest, TheRecordDescribesTheControlAndTheSelection) {
    SetText("ab\r\ncd\r\nef");  // lines at 0, 3, 6
    const Seen s = Only([&] { Send(EM_SETSEL, 5, 2); });
    const uint8_t* raw = s.raw;
    EXPECT_EQ(Dword(raw, 0), reinterpret_cast<uintptr_t>(control));  // hwndFrom
    EXPECT_EQ(Dword(raw, 4), uint32_t(kId));                         // idFrom
    EXPECT_EQ(Dword(raw, 8), 0x702u);                                // code
    EXPECT_EQ(Dword(raw, 12), 5u);                                   // anchor, not ordered
    EXPECT_EQ(Dword(raw, 16), 2u);                                   // caret
    EXPECT_EQ(raw[20] | raw[21] << 8, 1);                            // reason
    EXPECT_EQ(Dword(raw, 22), 0u);                                   // the caret's line
    EXPECT_EQ(Dword(raw, 26), 3u);                                   // its length, CR included
    EXPECT_EQ(Dword(raw, 30), 0u);                                   // its start
    EXPECT_NE(Dword(raw, 34), 0u);                                   // its line record
    EXPECT_EQ(Dword(raw, 38), 2u);                                   // last line
    EXPECT_EQ(Dword(raw, 42), 0u);                                   // hidden lines
    EXPECT_EQ(Dword(raw, 46), 0u);                                   // changed: a selection only
    EXPECT_EQ(Dword(raw, 50), 0u);                                   // page: no pages set
    EXPECT_EQ(s.wParam, WPARAM(kId));
    EXPECT_EQ(s.recordLength, 3u);
    EXPECT_EQ(s.recordChars, "ab\r");
    EXPECT_GE(s.recordSize, s.recordLength + 20);
}

TEST_F(NotificationTest, TheLineFieldsDescribeTheCaretsLine) {
    SetText("ab\r\ncdef\r\ngh");  // lines at 0, 3, 8; stored length 11
    struct Case {
        WPARAM anchor;
        LPARAM caret;
        DWORD line, length, start;
        const char* chars;
    };
    const Case cases[] = {
        {1, 9, 2, 3, 8, "gh\r"},   {9, 1, 0, 3, 0, "ab\r"},  {0, 3, 1, 5, 3, "cdef\r"},
        {0, 7, 1, 5, 3, "cdef\r"}, {0, -1, 2, 3, 8, "gh\r"}, {4, 4, 1, 5, 3, "cdef\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.anchor << ", " << c.caret);
        const Seen s = Only([&] { Send(EM_SETSEL, c.anchor, c.caret); });
        EXPECT_EQ(s.record().line, c.line);
        EXPECT_EQ(s.record().lineLength, c.length);
        EXPECT_EQ(s.record().lineStart, c.start);
        EXPECT_EQ(s.record().lastLine, 2u);
        EXPECT_EQ(s.recordLength, c.length);
        EXPECT_EQ(s.recordChars, c.chars);
    }
}

TEST_F(NotificationTest, ChangedReportsEachEditOnce) {
    SetText("abc\r\ndef");
    auto Changed = [&](const std::function<void()>& action) {
        const Seen s = Only(action);
        EXPECT_EQ(s.record().reason, QV_REASON_CHANGE);
        return s.record().changed;
    };
    EXPECT_EQ(Changed([&] { Send(EM_SETSEL, 1, 1); }), 0u);
    EXPECT_EQ(Changed([&] { Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("xy")); }), 1u);
    EXPECT_EQ(Changed([&] { Send(EM_SETSEL, 0, 2); }), 0u);
    EXPECT_EQ(Changed([&] { Send(WM_CLEAR); }), 1u);
    EXPECT_EQ(Changed([&] { Send(WM_CLEAR); }), 0u);  // nothing selected, nothing deleted
    EXPECT_EQ(Changed([&] { Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("")); }), 0u);
    EXPECT_EQ(Changed([&] { Send(EM_UNDO); }), 1u);
    EXPECT_EQ(Changed([&] { Send(EM_REDO); }), 1u);
    EXPECT_EQ(Changed([&] { Send(EM_REDO); }), 0u);  // nothing left to redo
    CHARRANGE range = {0, 3};
    EXPECT_EQ(Changed([&] { Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range)); }), 0u);
    EXPECT_EQ(Changed([&] { SetText("new text"); }), 1u);
    EXPECT_EQ(Changed([&] { Send(EM_SETSEL, 0, 0); }), 0u);
}

TEST_F(NotificationTest, ReplaceSelNotifiesOnceWhenItIsDone) {
    SetText("abcd");
    Send(EM_SETSEL, 1, 3);
    const Seen s = Only([&] { Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("x\r\nyz")); });
    EXPECT_EQ(s.record().reason, QV_REASON_CHANGE);
    EXPECT_EQ(s.record().anchor, 5);
    EXPECT_EQ(s.record().caret, 5);
    EXPECT_EQ(s.record().line, 1u);
    EXPECT_EQ(s.record().lineStart, 3u);
    EXPECT_EQ(s.record().lineLength, 4u);
    EXPECT_EQ(s.recordChars, "yzd\r");
    EXPECT_EQ(s.record().lastLine, 1u);
    EXPECT_EQ(s.record().changed, 1u);
    // The parent already sees the finished edit.
    EXPECT_EQ(s.text, "ax\ryzd\r");
    EXPECT_EQ(s.textLength, 7);
    EXPECT_EQ(s.modified, 1);
    EXPECT_EQ(s.selStart, 5u);
    EXPECT_EQ(s.selEnd, 5u);
}

TEST_F(NotificationTest, QueriesAndRefusedEditsSendNothing) {
    SetText("abc\r\ndef");
    Send(EM_SETSEL, 1, 2);
    const std::vector<Seen> got = During([&] {
        char buffer[64] = {};
        Send(EM_GETSEL);
        Send(EM_LINEFROMCHAR, 5);
        Send(EM_LINEINDEX, 1);
        Send(WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
        Send(WM_GETTEXTLENGTH);
        FINDTEXTA find = {{0, -1}, "de"};
        Send(EM_FINDTEXT, FR_DOWN, reinterpret_cast<LPARAM>(&find));
        Send(EM_SETMODIFY, 0);
        Send(EM_CANUNDO);
        Send(EM_HIDESELECTION, 0);
        Send(EMX_NOP);
        Send(EMX_SETREADONLY, 0, 1);
        Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("refused"));
        Send(WM_CLEAR);
    });
    EXPECT_TRUE(got.empty()) << got.size();
}

TEST_F(NotificationTest, PagesNumberTheCaretsLineAndChangeWParam) {
    std::string text;
    for (int i = 0; i < 130; ++i) text += "line\r\n";  // line n starts at 5 n
    SetText(text.c_str());
    Seen s = Only([&] { Send(EM_SETSEL, 120 * 5, 120 * 5); });
    EXPECT_EQ(s.record().line, 120u);
    EXPECT_EQ(s.record().page, 0u);  // no pages
    EXPECT_EQ(s.wParam, WPARAM(kId));

    Send(EMX_SETPAGELINES, 50);
    EXPECT_EQ(Send(EMX_GETPAGELINES), 50);
    struct Case {
        DWORD line, page;
        WPARAM wParam;
    };
    for (const Case& c :
         {Case{120, 2, 20}, Case{49, 0, 49}, Case{50, 1, 0}, Case{0, 0, 0}, Case{130, 2, 30}}) {
        SCOPED_TRACE(c.line);
        s = Only([&] { Send(EM_SETSEL, c.line * 5, c.line * 5); });
        EXPECT_EQ(s.record().line, c.line);
        EXPECT_EQ(s.record().page, c.page);
        EXPECT_EQ(s.wParam, c.wParam);
        EXPECT_EQ(s.record().nmhdr.idFrom, UINT_PTR(kId));  // the record keeps the id
    }

    Send(EMX_SETPAGELINES, 0);
    s = Only([&] { Send(EM_SETSEL, 600, 600); });
    EXPECT_EQ(s.record().page, 0u);
    EXPECT_EQ(s.wParam, WPARAM(kId));
}

TEST_F(NotificationTest, HiddenLinesComeFromTheRecord) {
    SetText("a\r\nb\r\nc");
    EXPECT_EQ(Only([&] { Send(EM_SETSEL, 0, 0); }).record().hiddenLines, 0u);
    ed().hiddenLineCount = 2;  // as folding a block would leave it
    EXPECT_EQ(Only([&] { Send(EM_SETSEL, 2, 2); }).record().hiddenLines, 2u);
    ed().hiddenLineCount = 0;
}

TEST_F(NotificationTest, WholeTextReplacementNotifiesFromTheTop) {
    SetText("one\r\ntwo");
    Send(EM_SETSEL, 6, 6);
    const Seen s = Only([&] { SetText("alpha\r\nbeta\r\ngamma"); });
    EXPECT_EQ(s.record().anchor, 0);
    EXPECT_EQ(s.record().caret, 0);
    EXPECT_EQ(s.record().line, 0u);
    EXPECT_EQ(s.record().lineStart, 0u);
    EXPECT_EQ(s.record().lineLength, 6u);
    EXPECT_EQ(s.recordChars, "alpha\r");
    EXPECT_EQ(s.record().lastLine, 2u);
    EXPECT_EQ(s.record().changed, 1u);
    EXPECT_EQ(s.text, "alpha\rbeta\rgamma\r");
}

TEST_F(NotificationTest, AReplacementThatScrollsEndsWithReasonOne) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "row\r\n";
    SetText(text.c_str());
    const LONG rows = ed().panes[0].textRect.bottom / static_cast<LONG>(ed().lineHeight);
    ASSERT_GT(rows, 2);
    // The caret on the first row below the view: the insertion scrolls by a line.
    Send(EM_SETSEL, rows * 4, rows * 4);
    const std::vector<Seen> got = During([&] { Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("z")); });
    ASSERT_FALSE(got.empty());
    EXPECT_GT(ed().panes[0].scrollY, 0);
    const Seen& last = got.back();
    EXPECT_EQ(last.record().reason, QV_REASON_CHANGE);
    EXPECT_EQ(last.record().caret, rows * 4 + 1);
    EXPECT_EQ(last.record().line, static_cast<DWORD>(rows));
    EXPECT_EQ(last.record().lineStart, static_cast<DWORD>(rows * 4));
    EXPECT_EQ(last.recordChars, "zrow\r");
    for (size_t i = 0; i + 1 < got.size(); ++i) EXPECT_NE(got[i].record().reason, QV_REASON_CHANGE) << i;
}

// Emptying the document inserts nothing, yet the whole text went: the parent is
// told of a change, as for any other replacement.
TEST_F(NotificationTest, EmptyingTheWholeTextReportsAChange) {
    SetText("abc");
    EXPECT_EQ(Only([&] { SetText(""); }).record().changed, 1u);
    SetText("abc");
    EXPECT_EQ(Only([&] { Send(WM_SETTEXT, 0, 0); }).record().changed, 1u);
}

TEST_F(NotificationTest, ReplacingTheWholeTextReportsAChange) {
    SetText("abc");
    EXPECT_EQ(Only([&] { SetText("abc"); }).record().changed, 1u);
    EXPECT_EQ(Only([&] { SetText("\r\n"); }).record().changed, 1u);
}

// A parent that reads the control while it is told: whatever it asks agrees with
// the record and with the state the operation leaves behind.
TEST_F(NotificationTest, AParentQueryingDuringTheNotificationGetsConsistentAnswers) {
    SetText("first\r\nsecond line\r\n\r\nfourth");
    CHARRANGE range = {14, 3};
    const std::vector<std::pair<const char*, std::function<void()>>> actions = {
        {"EM_SETSEL", [&] { Send(EM_SETSEL, 9, 22); }},
        {"EM_REPLACESEL", [&] { Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("new\r\ntext")); }},
        {"EM_EXSETSEL", [&] { Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range)); }},
        {"WM_CLEAR", [&] { Send(WM_CLEAR); }},
        {"EM_UNDO", [&] { Send(EM_UNDO); }},
        {"EM_UNDO again", [&] { Send(EM_UNDO); }},
        {"EM_REDO", [&] { Send(EM_REDO); }},
        {"EM_SETSEL to the end", [&] { Send(EM_SETSEL, -1, -1); }},
        {"EM_REPLACESEL at the end", [&] { Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("\r\nend")); }},
        {"WM_SETTEXT", [&] { SetText("x\r\ny"); }},
    };
    for (const auto& action : actions) {
        SCOPED_TRACE(action.first);
        const Seen s = Only(action.second);
        const SelChangeEx& rec = s.record();
        const DWORD lo = std::min<DWORD>(rec.anchor, rec.caret), hi = std::max<DWORD>(rec.anchor, rec.caret);
        EXPECT_EQ(s.selStart, lo);
        EXPECT_EQ(s.selEnd, hi);
        EXPECT_EQ(s.lineIndexOfLastLookup, static_cast<LRESULT>(rec.lineStart));
        EXPECT_EQ(s.lineOfCaret, static_cast<LRESULT>(rec.line));
        EXPECT_EQ(s.lineCount, static_cast<LRESULT>(rec.lastLine) + 1);
        EXPECT_EQ(s.recordLength, rec.lineLength);
        // The line record holds the characters the text has at the line's start.
        EXPECT_EQ(s.text.substr(rec.lineStart, rec.lineLength), s.recordChars);
        // After the notification the control is as the parent saw it.
        EXPECT_EQ(StoredText(control), s.text);
        EXPECT_EQ(static_cast<DWORD>(ed().selAnchor), static_cast<DWORD>(rec.anchor));
        EXPECT_EQ(static_cast<DWORD>(ed().caretPos), static_cast<DWORD>(rec.caret));
        EXPECT_EQ(Send(WM_GETTEXTLENGTH), s.textLength);
    }
}

TEST_F(NotificationTest, AParentMayEditWhileItIsTold) {
    SetText("abc");
    bool inserted = false;
    parent->during = [&](HWND from, const SelChangeEx& rec) {
        if (inserted || rec.caret != 1) return;
        inserted = true;
        SendMessageA(from, EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("[\r\n"));
    };
    const std::vector<Seen> got = During([&] { Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("X")); });
    parent->during = nullptr;
    ASSERT_TRUE(inserted);
    ASSERT_EQ(got.size(), 2u);  // the parent's own edit is told too
    EXPECT_EQ(StoredText(control), "X[\rabc\r");
    EXPECT_EQ(ed().caretPos, 3u);
    EXPECT_EQ(got.back().record().caret, 3);
    EXPECT_EQ(got.back().record().line, 1u);
    Send(EM_UNDO);  // the parent's edit is a step of its own
    EXPECT_EQ(StoredText(control), "Xabc\r");
    Send(EM_UNDO);
    EXPECT_EQ(StoredText(control), "abc\r");
}

}  // namespace
}  // namespace qvtest
