// WM_COPY, WM_CUT, WM_PASTE and the clipboard keys against a real second process,
// the helper program, which reads, writes and holds CF_TEXT as another program
// would.
#include <richedit.h>  // EM_CANPASTE, EM_REDO

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/EditorInstance.h"
#include "store/LineRecord.h"
#include "win/support/Keys.h"
#include "win/support/TestHost.h"

using qv::EditorInstance;

namespace qvtest {
namespace {

EditorInstance* Record(HWND control) { return reinterpret_cast<EditorInstance*>(GetWindowLongPtrA(control, 0)); }

std::string StoredText(HWND control) {
    const EditorInstance* ed = Record(control);
    std::string text;
    for (uint32_t i = 0; i < ed->lineIndexUsed / 4; ++i) {
        qv::LineRecordView rec(ed->lineHeap + qv::RecordOffset(*ed, i));
        text.append(reinterpret_cast<const char*>(rec.chars()), rec.length());
    }
    return text;
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
    return out;
}

std::string FromHex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

// Waits for a handle while this thread's windows keep answering their messages.
void WaitPumping(HANDLE handle) {
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, 20000, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) return;
        PumpMessages();
    }
}

// The helper program beside this one, as a second process.
class Helper {
public:
    // Runs `args` to its end; answers its exit code, its output in `out`.
    static DWORD Run(const std::string& args, std::string* out = nullptr) {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE read = nullptr, write = nullptr;
        CreatePipe(&read, &write, &inherit, 0);
        SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
        PROCESS_INFORMATION process = {};
        if (!Start(args, write, process)) {
            CloseHandle(read);
            CloseHandle(write);
            return 99;
        }
        CloseHandle(write);
        // The control's window owns what it copied, and the helper may ask it: this
        // thread answers its messages until the helper ends (its few bytes of output
        // wait in the pipe meanwhile).
        WaitPumping(process.hProcess);
        std::string text;
        char buffer[256];
        DWORD got = 0;
        while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
        CloseHandle(read);
        DWORD code = 99;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        if (out) *out = text;
        return code;
    }

    // Starts the helper holding the clipboard open, and returns once it does.
    void Hold() {
        ready_ = CreateEventA(nullptr, TRUE, FALSE, "QuorvaneClipboardReady");
        done_ = CreateEventA(nullptr, TRUE, FALSE, "QuorvaneClipboardDone");
        ASSERT_TRUE(Start("hold QuorvaneClipboardReady QuorvaneClipboardDone", nullptr, process_));
        ASSERT_EQ(WaitForSingleObject(ready_, 20000), WAIT_OBJECT_0);
    }
    // Lets a held clipboard go and waits for the helper to end.
    void Release() {
        if (!done_) return;
        SetEvent(done_);
        WaitPumping(process_.hProcess);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        CloseHandle(ready_);
        CloseHandle(done_);
        done_ = nullptr;
    }
    ~Helper() { Release(); }

private:
    static bool Start(const std::string& args, HANDLE output, PROCESS_INFORMATION& process) {
        char path[MAX_PATH];
        const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string exe(path, n);
        exe = exe.substr(0, exe.find_last_of("\\/") + 1) + "ClipboardHelper.exe";
        std::string command = "\"" + exe + "\" " + args;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (output) {
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = output;
            startup.hStdError = output;
        }
        return CreateProcessA(nullptr, &command[0], nullptr, nullptr, output != nullptr, CREATE_NO_WINDOW, nullptr,
                              nullptr, &startup, &process) != 0;
    }

    PROCESS_INFORMATION process_ = {};
    HANDLE ready_ = nullptr, done_ = nullptr;
};

// The clipboard's CF_TEXT as another program reads it, "-" when there is none.
std::string ClipboardOfOtherProgram() {
    std::string out;
    EXPECT_EQ(Helper::Run("get", &out), 0u);
    return out == "-" ? out : FromHex(out);
}

void PutByOtherProgram(const std::string& bytes, size_t blockSize = 0) {
    ASSERT_EQ(Helper::Run("put " + Hex(bytes) + (blockSize ? " " + std::to_string(blockSize) : "")), 0u);
}

class ClipboardMessagesTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        ASSERT_TRUE(MakeControl());
        ed = Record(control);
    }
    void SetText(const char* text) {
        Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        Send(EM_EMPTYUNDOBUFFER);
    }
    void Select(LPARAM anchor, LPARAM caret) { Send(EM_SETSEL, anchor, caret); }
    std::pair<uint32_t, uint32_t> Sel() const { return {ed->selAnchor, ed->caretPos}; }
    std::string Text() const { return StoredText(control); }

    EditorInstance* ed = nullptr;
};

TEST_F(ClipboardMessagesTest, CopyAndCutReachAnotherProgramWithCrLf) {
    SetText("ab\r\ncd\r\n\r\nef");
    Select(1, 5);
    EXPECT_EQ(Send(WM_COPY), 0);
    EXPECT_EQ(ClipboardOfOtherProgram(), "b\r\ncd");
    EXPECT_EQ(Sel(), std::make_pair(1u, 5u));
    Select(0, -1);  // everything: the closing CR is not copied
    Send(WM_COPY);
    EXPECT_EQ(ClipboardOfOtherProgram(), "ab\r\ncd\r\n\r\nef");
    Select(3, 3);  // nothing selected: the clipboard keeps what it held
    Send(WM_COPY);
    EXPECT_EQ(ClipboardOfOtherProgram(), "ab\r\ncd\r\n\r\nef");
    // CR LF whatever line end the host chose for the text it reads.
    for (WPARAM setting : {QV_LINEENDS_LF, QV_LINEENDS_CR | QV_LINEENDS_NOFINAL}) {
        Send(EMX_SETLINEENDS, setting);
        Select(1, 8);
        Send(WM_COPY);
        EXPECT_EQ(ClipboardOfOtherProgram(), "b\r\ncd\r\n\r\ne") << setting;
    }
    Send(EMX_SETLINEENDS, QV_LINEENDS_DEFAULT);

    Select(6, 2);
    EXPECT_EQ(Send(WM_CUT), 0);
    EXPECT_EQ(ClipboardOfOtherProgram(), "\r\ncd\r\n");
    EXPECT_EQ(Text(), "ab\ref\r");
    EXPECT_EQ(Sel(), std::make_pair(2u, 2u));
    EXPECT_EQ(Send(EM_UNDO), 1);
    EXPECT_EQ(Text(), "ab\rcd\r\ref\r");
}

// Another program's text goes in with its line ends as single CRs (a lone LF too),
// replacing the selection as one undo step.
TEST_F(ClipboardMessagesTest, PasteTakesAnotherProgramsTextAsOneStep) {
    PutByOtherProgram(std::string("x\r\ny\nz") + '\0');
    EXPECT_NE(Send(EM_CANPASTE, CF_TEXT), 0);
    SetText("abcdef");
    Select(4, 1);
    const size_t told = host->notifications.size();
    EXPECT_EQ(Send(WM_PASTE), 0);
    EXPECT_EQ(Text(), "ax\ry\rzef\r");
    EXPECT_EQ(Sel(), std::make_pair(6u, 6u));
    EXPECT_EQ(host->notifications.size(), told + 1);
    EXPECT_EQ(Send(EM_UNDO), 1);
    EXPECT_EQ(Text(), "abcdef\r");
    EXPECT_EQ(Sel(), std::make_pair(1u, 4u));  // the replaced text comes back selected
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    EXPECT_EQ(Send(EM_REDO), 1);
    EXPECT_EQ(Text(), "ax\ry\rzef\r");
}

// A block without a NUL pastes exactly the bytes GetClipboardData hands out, up to
// the first NUL or the block's end, and nothing beyond (this platform may write a
// NUL into a block's last byte itself).
TEST_F(ClipboardMessagesTest, PasteReadsNoFurtherThanTheBlockHolds) {
    struct Case {
        std::string bytes;
        size_t blockSize;
    };
    const Case cases[] = {{"wxyz", 0}, {"abc", 16}, {std::string("pq\0rs", 5), 0}, {std::string(300, 'k'), 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        PutByOtherProgram(c.bytes, c.blockSize);
        std::string expected;
        ASSERT_TRUE(OpenClipboard(host->hwnd()));
        if (HANDLE block = GetClipboardData(CF_TEXT)) {
            const char* p = static_cast<const char*>(GlobalLock(block));
            expected.assign(p, strnlen(p, GlobalSize(block)));
            GlobalUnlock(block);
        }
        CloseClipboard();
        ASSERT_LE(expected.size(), c.bytes.size());
        EXPECT_EQ(expected, c.bytes.substr(0, expected.size()));
        SetText("");
        Send(WM_PASTE);
        EXPECT_EQ(Text(), expected + '\r');
    }
}

// While another program holds the clipboard open nothing can be copied: a cut then
// deletes nothing, and a paste changes nothing; once it lets go both work.
TEST_F(ClipboardMessagesTest, AClipboardHeldByAnotherProgramLosesNoText) {
    PutByOtherProgram(std::string("old") + '\0');
    SetText("keep this");
    Select(0, 4);
    const size_t told = host->notifications.size();
    {
        Helper holder;
        holder.Hold();
        Send(WM_CUT);
        EXPECT_EQ(Text(), "keep this\r");
        EXPECT_EQ(Sel(), std::make_pair(0u, 4u));
        KeyDown(control, 'X', true);
        EXPECT_EQ(Text(), "keep this\r");
        Send(WM_PASTE);
        EXPECT_EQ(Text(), "keep this\r");
        EXPECT_EQ(Sel(), std::make_pair(0u, 4u));
        EXPECT_EQ(Send(EM_CANUNDO), 0);
        EXPECT_EQ(host->notifications.size(), told);
        holder.Release();
    }
    EXPECT_EQ(ClipboardOfOtherProgram(), "old");
    Send(WM_CUT);
    EXPECT_EQ(Text(), " this\r");
    EXPECT_EQ(ClipboardOfOtherProgram(), "keep");
}

// Cut is refused, with the clipboard left alone, over a locked line and while
// read-only; copy is not an edit and still works.
TEST_F(ClipboardMessagesTest, CutIsRefusedOverLockedLinesAndWhileReadOnly) {
    SetText("one\r\ntwo\r\nthree");
    PutByOtherProgram(std::string("old") + '\0');
    Send(EMX_SETLINELOCK, 1, 1);
    Select(2, 6);
    Send(WM_CUT);
    EXPECT_EQ(Text(), "one\rtwo\rthree\r");
    EXPECT_EQ(ClipboardOfOtherProgram(), "old");
    Send(WM_PASTE);
    EXPECT_EQ(Text(), "one\rtwo\rthree\r");
    Send(WM_COPY);
    EXPECT_EQ(ClipboardOfOtherProgram(), "e\r\ntw");
    Send(EMX_SETLINELOCK, 1, 0);
    Send(EMX_SETREADONLY, 0, 1);
    Select(8, 10);
    Send(WM_CUT);
    EXPECT_EQ(Text(), "one\rtwo\rthree\r");
    EXPECT_EQ(ClipboardOfOtherProgram(), "e\r\ntw");
    Send(EMX_SETREADONLY, 0, 0);
    Send(WM_CUT);
    EXPECT_EQ(Text(), "one\rtwo\rree\r");
    EXPECT_EQ(ClipboardOfOtherProgram(), "th");
}

// Select all, cut, paste: the same document, round after round (the closing CR is
// never copied, so no line end is added).
TEST_F(ClipboardMessagesTest, CutAllAndPasteKeepTheDocument) {
    SetText("first\r\nsecond\r\n");
    const std::string document = Text();
    for (int round = 0; round < 3; ++round) {
        Select(0, -1);
        Send(WM_CUT);
        EXPECT_EQ(Text(), "\r");
        EXPECT_EQ(ClipboardOfOtherProgram(), "first\r\nsecond\r\n");
        Send(WM_PASTE);
        EXPECT_EQ(Text(), document);
    }
}

TEST_F(ClipboardMessagesTest, NothingToPasteChangesNothing) {
    PutByOtherProgram(std::string(1, '\0'));  // an empty text
    SetText("abc");
    Select(0, 2);
    const size_t told = host->notifications.size();
    Send(WM_PASTE);
    EXPECT_EQ(Text(), "abc\r");
    EXPECT_EQ(Sel(), std::make_pair(0u, 2u));
    EXPECT_EQ(Send(EM_CANUNDO), 0);
    EXPECT_EQ(host->notifications.size(), told);
}

}  // namespace
}  // namespace qvtest
