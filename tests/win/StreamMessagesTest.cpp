// EM_STREAMIN, EM_STREAMOUT and EM_GETTEXTLENGTHEX through the real control: files
// of every line-end kind, NULs, 100,000-character lines and 20 MB loaded and saved
// through real files; callbacks that fail, write short, claim huge counts, edit or
// destroy the control while the stream runs; the formats and the selection. The
// line ends a host chooses, in every message that hands text out, and the line ends
// a load finds, with which a file is saved as it came.
#include <richedit.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "base/EditorInstance.h"
#include "store/LineRecord.h"
#include "win/support/TestHost.h"

namespace qvtest {
namespace {

const qv::EditorInstance* Record(HWND control) {
    return reinterpret_cast<const qv::EditorInstance*>(GetWindowLongPtrA(control, 0));
}

// The stored text, closing CR included.
std::string Stored(HWND control) {
    const qv::EditorInstance* ed = Record(control);
    std::string text;
    for (uint32_t i = 0; i < ed->lineIndexUsed / 4; ++i) {
        qv::LineRecordView rec(ed->lineHeap + qv::RecordOffset(*ed, i));
        text.append(reinterpret_cast<const char*>(rec.chars()), rec.length());
    }
    return text;
}

// What the control keeps of a host's bytes: NULs dropped, CR LF and a lone LF
// made a CR.
std::string Normalised(const std::string& bytes) {
    std::string out;
    bool afterCr = false;
    for (char c : bytes) {
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

// What a whole-document stream-out writes: every CR as CR LF; a last line that
// holds only the closing CR is left out.
std::string Saved(std::string stored) {
    if (stored == "\r" || (stored.size() >= 2 && stored.compare(stored.size() - 2, 2, "\r\r") == 0))
        stored.pop_back();
    std::string out;
    out.reserve(stored.size() + stored.size() / 16);
    for (char c : stored) {
        out += c;
        if (c == '\r') out += '\n';
    }
    return out;
}

// ---- Files and the callbacks that read and write them -------------------------------

class TempFile {
public:
    TempFile() {
        char dir[MAX_PATH], name[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        GetTempFileNameA(dir, "qvs", 0, name);
        path_ = name;
    }
    ~TempFile() { DeleteFileA(path_.c_str()); }
    const char* path() const { return path_.c_str(); }
    void Write(const std::string& bytes) const {
        HANDLE f = CreateFileA(path(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(f);
        ASSERT_EQ(written, bytes.size());
    }
    std::string Read() const {
        HANDLE f = CreateFileA(path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        std::string bytes(GetFileSize(f, nullptr), '\0');
        DWORD read = 0;
        if (!bytes.empty()) ReadFile(f, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
        CloseHandle(f);
        return bytes;
    }

private:
    std::string path_;
};

// The cookie of the file callbacks: an open file, and how the callback misbehaves.
struct FileHost {
    HANDLE file = INVALID_HANDLE_VALUE;
    int calls = 0;
    int failAt = 0;  // this call answers failCode
    DWORD failCode = 0;
    int claimAt = 0;  // this call claims `claim` bytes instead of what it moved
    LONG claim = 0;
    std::vector<LONG> counts;  // the count of every stream-out call
    std::function<void(int)> during;  // runs inside every call, before the transfer
};

DWORD CALLBACK ReadFromFile(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* cb) {
    FileHost& host = *reinterpret_cast<FileHost*>(cookie);
    const int call = ++host.calls;
    if (*cb != 0) ADD_FAILURE() << "cb not preset to 0";
    if (host.during) host.during(call);
    if (call == host.failAt) return host.failCode;
    DWORD read = 0;
    if (!ReadFile(host.file, buffer, static_cast<DWORD>(count), &read, nullptr)) return GetLastError();
    *cb = static_cast<LONG>(read);
    if (call == host.claimAt) *cb = host.claim;
    return 0;
}

DWORD CALLBACK WriteToFile(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* cb) {
    FileHost& host = *reinterpret_cast<FileHost*>(cookie);
    const int call = ++host.calls;
    host.counts.push_back(count);
    if (*cb != count) ADD_FAILURE() << "cb not preset to the count";
    if (host.during) host.during(call);
    if (call == host.failAt) return host.failCode;
    DWORD written = 0;
    const DWORD take = call == host.claimAt ? static_cast<DWORD>(host.claim) : static_cast<DWORD>(count);
    if (!WriteFile(host.file, buffer, take, &written, nullptr)) return GetLastError();
    *cb = static_cast<LONG>(written);
    return 0;
}

class StreamTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        ASSERT_TRUE(MakeControl());
    }
    void SetText(const char* text) { Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }

    // EM_STREAMIN / EM_STREAMOUT through `file` with the host's settings.
    LRESULT Load(const TempFile& file, FileHost& callback, WPARAM flags = SF_TEXT) {
        callback.file =
            CreateFileA(file.path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&callback), 0xDEAD, ReadFromFile};
        const LRESULT bytes = SendMessageA(control, EM_STREAMIN, flags, reinterpret_cast<LPARAM>(&stream));
        CloseHandle(callback.file);
        error = stream.dwError;
        return bytes;
    }
    LRESULT Save(const TempFile& file, FileHost& callback, WPARAM flags = SF_TEXT) {
        callback.file = CreateFileA(file.path(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&callback), 0xDEAD, WriteToFile};
        const LRESULT bytes = SendMessageA(control, EM_STREAMOUT, flags, reinterpret_cast<LPARAM>(&stream));
        CloseHandle(callback.file);
        error = stream.dwError;
        return bytes;
    }
    LRESULT LoadText(const std::string& bytes, WPARAM flags = SF_TEXT) {
        in.Write(bytes);
        FileHost callback;
        return Load(in, callback, flags);
    }
    std::string SaveText(WPARAM flags = SF_TEXT) {
        FileHost callback;
        const LRESULT bytes = Save(out, callback, flags);
        std::string saved = out.Read();
        EXPECT_EQ(bytes, static_cast<LRESULT>(saved.size()));
        return saved;
    }

    TempFile in, out;
    DWORD error = 0;
};

// ---- Round trips through real files ---------------------------------------------------

std::string Lines(unsigned count, const char* end, unsigned seed = 1) {
    static const char* const kWords[] = {"mov", "eax", "push", "call", "ret", "; note", "invoke", "proc"};
    std::string text;
    for (unsigned i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const unsigned words = (seed >> 12) % 9;
        if (words) text += '\t';
        for (unsigned w = 0; w < words; ++w) text += std::string(kWords[(seed >> (w + 3)) % 8]) + ' ';
        text += end;
    }
    return text;
}

TEST_F(StreamTest, FilesOfEveryKindLoadSaveAndLoadAgainUnchanged) {
    std::string mixed = Lines(300, "\r\n") + Lines(300, "\n", 2) + Lines(300, "\r", 3) + "no end";
    static const char kNuls[] = "a\0b\r\n\0\r\0\nc\0x\0y\r\n\0";
    const std::string nuls(kNuls, sizeof kNuls - 1);
    std::string longLines =
        std::string(100000, 'L') + "\r\n" + std::string(100000, 'M') + "\n" + std::string(99999, 'N') + "\r";
    std::string big;
    while (big.size() < 20u * 1000 * 1000) big += Lines(5000, "\r\n", static_cast<unsigned>(big.size()));
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"CR LF", Lines(2000, "\r\n")},
        {"LF", Lines(2000, "\n")},
        {"mixed", mixed},
        {"NUL bytes", nuls},
        {"100,000-character lines", longLines},
        {"20 MB", big},
        {"empty", ""},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        SetText("");
        Send(EM_SETMODIFY, 0);
        host->notifications.clear();
        ASSERT_EQ(LoadText(file.bytes), static_cast<LRESULT>(file.bytes.size()));
        EXPECT_EQ(error, 0u);
        const std::string stored = Normalised(file.bytes) + "\r";
        ASSERT_TRUE(Stored(control) == stored);
        EXPECT_EQ(Send(EM_GETMODIFY), file.bytes.empty() ? 0 : 1);
        EXPECT_EQ(Send(EM_CANUNDO), 0);
        ASSERT_FALSE(host->notifications.empty());
        EXPECT_EQ(host->notifications.back().record.reason, QV_REASON_CHANGE);
        EXPECT_EQ(host->notifications.back().record.caret, 0);

        const std::string saved = SaveText();
        EXPECT_TRUE(saved == Saved(stored)) << saved.size() << " bytes saved";
        EXPECT_EQ(error, 0u);

        // The saved file loads back and saves the same again. (A text that did not
        // end with a line break was saved with one.)
        SetText("");
        in.Write(saved);
        FileHost again;
        EXPECT_EQ(Load(in, again), static_cast<LRESULT>(saved.size()));
        EXPECT_TRUE(Stored(control) == Normalised(saved) + "\r");
        EXPECT_TRUE(SaveText() == saved);
    }
}

TEST_F(StreamTest, ALoneLfIsALineBreakAndTheTextGoesInFrontOfTheDocument) {
    SetText("");
    EXPECT_EQ(LoadText("a\nb\n"), 4);
    EXPECT_EQ(Send(EM_GETLINECOUNT), 3);
    EXPECT_EQ(SaveText(), "a\r\nb\r\n");

    SetText("tail");
    Send(EM_SETSEL, 2, 3);
    EXPECT_EQ(LoadText("head "), 5);
    EXPECT_EQ(Stored(control), "head tail\r");
    DWORD s = 1, e = 1;
    Send(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    EXPECT_EQ(s + e, 0u);
}

TEST_F(StreamTest, Utf16FilesConvertThroughTheAnsiCodePage) {
    const std::wstring text = L"caf\xE9\r\nna\xEFve\n\xD83D\xDE00!";
    const std::wstring withMark = L"\xFEFF" + text;  // a byte-order mark is no text
    const std::string bytes(reinterpret_cast<const char*>(withMark.data()), withMark.size() * 2);
    char ansi[64] = {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi,
                                      sizeof ansi, nullptr, nullptr);
    SetText("");
    EXPECT_EQ(LoadText(bytes, SF_TEXT | SF_UNICODE), static_cast<LRESULT>(bytes.size()));
    const std::string stored = Normalised(std::string(ansi, n)) + "\r";
    EXPECT_EQ(Stored(control), stored);

    const std::string saved = SaveText(SF_TEXT | SF_UNICODE);
    const std::string expected = Saved(stored);
    std::wstring wide(expected.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, expected.data(), static_cast<int>(expected.size()), &wide[0],
                                    static_cast<int>(wide.size())));
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(saved.data()), saved.size() / 2), wide);
    EXPECT_EQ(wide.substr(0, 6), L"caf\xE9\r\n");
}

// ---- Callbacks that misbehave -----------------------------------------------------------

TEST_F(StreamTest, FailuresReachTheHostInDwError) {
    const std::string text = Lines(8000, "\r\n");  // several buffers
    in.Write(text);
    SetText("");
    FileHost failing;
    failing.failAt = 3;
    failing.failCode = 4711;
    EXPECT_EQ(Load(in, failing), 2 * 32768);
    EXPECT_EQ(error, 4711u);
    EXPECT_EQ(Stored(control), Normalised(text.substr(0, 2 * 32768)) + "\r");

    SetText("one\r\ntwo\r\nthree");
    FileHost writeFails;
    writeFails.failAt = 2;
    writeFails.failCode = 99;
    EXPECT_EQ(Save(out, writeFails), 10);  // the failed call's bytes count
    EXPECT_EQ(error, 99u);
    EXPECT_EQ(writeFails.calls, 2);

    FileHost shortWrite;  // a disk that took fewer bytes than it was given
    shortWrite.claimAt = 2;
    shortWrite.claim = 2;
    EXPECT_EQ(Save(out, shortWrite), 7);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_WRITE_FAULT));
    EXPECT_EQ(out.Read(), "one\r\ntw");
    EXPECT_EQ(shortWrite.calls, 2);
}

TEST_F(StreamTest, HugeAndNegativeCountsAreNotBelieved) {
    in.Write(std::string(40000, 'h'));
    SetText("");
    FileHost huge;
    huge.claimAt = 1;
    huge.claim = 0x7FFFFFFF;
    EXPECT_EQ(Load(in, huge), 40000);  // 32768 of the claim, then the rest
    EXPECT_EQ(Stored(control), std::string(40000, 'h') + "\r");

    SetText("");
    FileHost negative;
    negative.claimAt = 1;
    negative.claim = -40;
    EXPECT_EQ(Load(in, negative), 0);
    EXPECT_EQ(negative.calls, 1);
    EXPECT_EQ(Stored(control), "\r");

    EXPECT_EQ(Send(EM_STREAMIN, SF_TEXT, 0), 0);
    EXPECT_EQ(Send(EM_STREAMOUT, SF_TEXT, 0), 0);
    EDITSTREAM none = {0, 0, nullptr};
    EXPECT_EQ(Send(EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&none)), 0);
    EXPECT_EQ(none.dwError, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(StreamTest, RichTextFormatsAreRefused) {
    SetText("kept");
    for (WPARAM format : {SF_RTF, SF_RTFNOOBJS, SF_TEXTIZED, SF_RTF | SFF_SELECTION}) {
        FileHost callback;
        in.Write("{\\rtf1 x}");
        EXPECT_EQ(Load(in, callback, format), 0);
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_NOT_SUPPORTED));
        EXPECT_EQ(Save(out, callback, format), 0);
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_NOT_SUPPORTED));
        EXPECT_EQ(callback.calls, 0);
    }
    EXPECT_EQ(Stored(control), "kept\r");
}

// What a callback tries while a stream runs, with the answer each gets.
struct Attempt {
    const char* name;
    std::function<LRESULT(HWND control, HWND pane)> send;
};

std::vector<Attempt> EditAttempts() {
    static const char kText[] = "intruder";
    return {
        {"WM_SETTEXT", [](HWND c, HWND) { return SendMessageA(c, WM_SETTEXT, 0, (LPARAM)kText); }},
        {"EM_REPLACESEL", [](HWND c, HWND) { return SendMessageA(c, EM_REPLACESEL, 1, (LPARAM)kText); }},
        {"WM_CLEAR",
         [](HWND c, HWND) { return SendMessageA(c, EM_SETSEL, 0, -1), SendMessageA(c, WM_CLEAR, 0, 0); }},
        {"WM_CUT", [](HWND c, HWND) { return SendMessageA(c, WM_CUT, 0, 0); }},
        {"WM_PASTE", [](HWND c, HWND) { return SendMessageA(c, WM_PASTE, 0, 0); }},
        {"EM_UNDO", [](HWND c, HWND) { return SendMessageA(c, EM_UNDO, 0, 0); }},
        {"EM_REDO", [](HWND c, HWND) { return SendMessageA(c, EM_REDO, 0, 0); }},
        {"EM_EMPTYUNDOBUFFER", [](HWND c, HWND) { return SendMessageA(c, EM_EMPTYUNDOBUFFER, 0, 0); }},
        {"EMX_UNFOLDALL as WM_COMMAND",
         [](HWND c, HWND) { return SendMessageA(c, WM_COMMAND, EMX_UNFOLDALL, 0); }},
        {"WM_CHAR", [](HWND, HWND p) { return SendMessageA(p, WM_CHAR, 'k', 0); }},
        {"WM_KEYDOWN", [](HWND, HWND p) { return SendMessageA(p, WM_KEYDOWN, VK_DELETE, 0); }},
        {"nested EM_STREAMIN",
         [](HWND c, HWND) {
             FileHost nested;
             EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&nested), 0, ReadFromFile};
             const LRESULT r = SendMessageA(c, EM_STREAMIN, SF_TEXT, (LPARAM)&stream);
             EXPECT_EQ(nested.calls, 0);
             EXPECT_EQ(stream.dwError, static_cast<DWORD>(ERROR_BUSY));
             return r;
         }},
    };
}

TEST_F(StreamTest, ACallbackCannotEditTheControlWhileItsStreamRuns) {
    const std::string text = Lines(6000, "\r\n");
    in.Write(text);
    SetText("x");
    Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("y"));  // something to undo
    SetText("");
    const HWND pane = static_cast<HWND>(Record(control)->panes[0].hwnd);
    FileHost loading;
    std::string nestedSave;
    loading.during = [&](int call) {
        if (call != 2) return;
        for (const Attempt& attempt : EditAttempts())
            EXPECT_EQ(attempt.send(control, pane), 0) << attempt.name;
        PumpMessages();  // paints and all: the text is whole between buffers
        // Reading is allowed: the first buffer's text is there.
        TempFile partial;
        FileHost saving;
        EXPECT_GT(Save(partial, saving), 0);
        nestedSave = partial.Read();
    };
    EXPECT_EQ(Load(in, loading), static_cast<LRESULT>(text.size()));
    EXPECT_EQ(Stored(control), Normalised(text) + "\r");
    EXPECT_EQ(nestedSave.substr(0, 100), text.substr(0, 100));

    SetText("saved text");
    FileHost saving;
    saving.during = [&](int) {
        for (const Attempt& attempt : EditAttempts())
            EXPECT_EQ(attempt.send(control, pane), 0) << attempt.name;
    };
    Save(out, saving);
    EXPECT_EQ(out.Read(), "saved text\r\n");

    SetText("after");  // with the stream over, edits work again
    EXPECT_EQ(Stored(control), "after\r");
}

TEST_F(StreamTest, AControlDestroyedInsideTheCallbackEndsItsStream) {
    in.Write(Lines(8000, "\r\n"));
    FileHost loading;
    loading.during = [&](int call) {
        if (call == 2) DestroyWindow(control);
    };
    EXPECT_EQ(Load(in, loading), 32768);
    EXPECT_EQ(loading.calls, 2);
    EXPECT_FALSE(IsWindow(control));

    MakeControl();
    SetText("a\r\nb\r\nc");
    FileHost saving;
    saving.during = [&](int) { DestroyWindow(host->hwnd()); };  // the whole host goes
    EXPECT_EQ(Save(out, saving), 3);
    EXPECT_EQ(saving.calls, 1);
    EXPECT_FALSE(IsWindow(control));
    delete host;
    host = new HostWindow;  // for TearDown
}

// ---- Folded blocks -------------------------------------------------------------------------

TEST_F(StreamTest, AFoldedBlockOnTheFirstLineIsOpenedBeforeTheTextGoesInFrontOfIt) {
    SetText("main proc\r\n  mov eax, 1\r\n  ret\r\nmain endp\r\nnext proc\r\n  nop\r\nnext endp\r\nend");
    BlockPatternPair procs = {"$ proc", "$ endp"};
    Send(EMX_FOLDBLOCK, 0, reinterpret_cast<LPARAM>(&procs));
    Send(EMX_FOLDBLOCK, 4, reinterpret_cast<LPARAM>(&procs));
    const qv::EditorInstance* ed = Record(control);
    ASSERT_EQ(ed->hiddenLineCount, 3u);
    ASSERT_EQ(Send(EMX_GETMARKER, 0), 2);

    EXPECT_EQ(LoadText("; loaded\r\n; in front\r\n"), 22);
    // Every hidden line lies in a run under a folded start line, and the count is
    // the lines that carry the hidden bit.
    const uint32_t count = ed->lineIndexUsed / 4;
    uint32_t hidden = 0;
    for (uint32_t line = 0; line < count; ++line) {
        if (!(qv::LineRecordOf(*ed, line).flags() & qv::kFlagHidden)) continue;
        ++hidden;
        uint32_t above = line;
        while (above > 0 && (qv::LineRecordOf(*ed, above).flags() & qv::kFlagHidden)) --above;
        EXPECT_EQ(qv::LineRecordOf(*ed, above).markerId(), 2u) << "line " << line;
        EXPECT_FALSE(qv::LineRecordOf(*ed, above).flags() & qv::kFlagHidden) << "line " << line;
    }
    EXPECT_EQ(ed->hiddenLineCount, hidden);
    EXPECT_EQ(hidden, 1u);                   // the second block stays folded
    EXPECT_NE(Send(EMX_GETMARKER, 2), 2);    // the first one, now on line 2, is open
    EXPECT_EQ(Send(EMX_ISLINEHIDDEN, 3), 0);
    EXPECT_EQ(Send(EMX_ISLINEHIDDEN, 7), 1);
}

// ---- The selection -------------------------------------------------------------------------

TEST_F(StreamTest, ASelectionIsReplacedAsOneUndoStepAndSavedWithoutTheClosingCr) {
    SetText("hello world");
    Send(EM_SETSEL, 6, 11);
    EXPECT_EQ(LoadText("there\r\nfriend", SF_TEXT | SFF_SELECTION), 13);
    EXPECT_EQ(Stored(control), "hello there\rfriend\r");
    DWORD s = 0, e = 0;
    Send(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    EXPECT_EQ(s, 18u);
    EXPECT_EQ(e, 18u);
    Send(EM_SETSEL, 4, -1);
    EXPECT_EQ(SaveText(SF_TEXT | SFF_SELECTION), "o there\r\nfriend");
    EXPECT_EQ(Send(EM_UNDO), 1);
    EXPECT_EQ(Stored(control), "hello world\r");
    EXPECT_EQ(Send(EM_CANUNDO), 0);

    Send(EMX_SETREADONLY, 0, 1);  // a read-only control refuses it, and says why
    Send(EM_SETSEL, 0, 5);
    EXPECT_EQ(LoadText("no", SF_TEXT | SFF_SELECTION), 0);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Stored(control), "hello world\r");
}

// ---- EM_GETTEXTLENGTHEX --------------------------------------------------------------------

TEST_F(StreamTest, GetTextLengthExCountsEachLineBreakOnceOrAsCrLf) {
    SetText("ab\r\ncd");
    auto length = [this](DWORD flags, UINT codepage) {
        GETTEXTLENGTHEX request = {flags, codepage};
        return Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request));
    };
    EXPECT_EQ(Send(EM_GETTEXTLENGTHEX, 0), 5);
    EXPECT_EQ(length(GTL_DEFAULT, CP_ACP), 5);
    EXPECT_EQ(length(GTL_NUMCHARS | GTL_PRECISE, CP_ACP), 5);
    EXPECT_EQ(length(GTL_USECRLF, CP_ACP), 6);
    EXPECT_EQ(length(GTL_USECRLF, CP_ACP), Send(WM_GETTEXTLENGTH));
    EXPECT_EQ(length(GTL_NUMBYTES, CP_ACP), 5);
    EXPECT_EQ(length(GTL_NUMBYTES | GTL_USECRLF, 1200), 12);
    EXPECT_EQ(length(GTL_NUMBYTES | GTL_NUMCHARS, CP_ACP), E_INVALIDARG);
    EXPECT_EQ(length(GTL_PRECISE | GTL_CLOSE, CP_ACP), E_INVALIDARG);
    SetText("");
    EXPECT_EQ(Send(EM_GETTEXTLENGTHEX, 0), 0);
    EXPECT_EQ(length(GTL_USECRLF, CP_ACP), 0);
}

// ---- Line ends a host chooses ------------------------------------------------------

// Every message that hands the text out, under every line-end setting, for the text
// "one" CR LF "two" LF LF "last" (stored: one CR per line end) and the range 2-10.
struct LineEndRow {
    WPARAM setting;
    const char* copied;    // WM_GETTEXT, and EM_GETSELTEXT of everything
    const char* range;     // EM_GETTEXTRANGE 2-10
    const char* streamed;  // EM_STREAMOUT of the whole document
    const char* selected;  // EM_STREAMOUT of the selection 2-10
    LRESULT length;        // WM_GETTEXTLENGTH
    LRESULT lengthEx;      // EM_GETTEXTLENGTHEX, GTL_DEFAULT
};

const LineEndRow kLineEndRows[] = {
    {QV_LINEENDS_DEFAULT, "one\rtwo\r\rlast", "e\rtwo\r\rl", "one\r\ntwo\r\n\r\nlast\r\n", "e\r\ntwo\r\n\r\nl", 16, 13},
    {QV_LINEENDS_CRLF, "one\r\ntwo\r\n\r\nlast", "e\r\ntwo\r\n\r\nl", "one\r\ntwo\r\n\r\nlast\r\n", "e\r\ntwo\r\n\r\nl", 16,
     16},
    {QV_LINEENDS_LF, "one\ntwo\n\nlast", "e\ntwo\n\nl", "one\ntwo\n\nlast\n", "e\ntwo\n\nl", 13, 13},
    {QV_LINEENDS_CR, "one\rtwo\r\rlast", "e\rtwo\r\rl", "one\rtwo\r\rlast\r", "e\rtwo\r\rl", 13, 13},
    {QV_LINEENDS_DEFAULT | QV_LINEENDS_NOFINAL, "one\rtwo\r\rlast", "e\rtwo\r\rl", "one\r\ntwo\r\n\r\nlast",
     "e\r\ntwo\r\n\r\nl", 16, 13},
    {QV_LINEENDS_CRLF | QV_LINEENDS_NOFINAL, "one\r\ntwo\r\n\r\nlast", "e\r\ntwo\r\n\r\nl", "one\r\ntwo\r\n\r\nlast",
     "e\r\ntwo\r\n\r\nl", 16, 16},
    {QV_LINEENDS_LF | QV_LINEENDS_NOFINAL, "one\ntwo\n\nlast", "e\ntwo\n\nl", "one\ntwo\n\nlast", "e\ntwo\n\nl", 13, 13},
    {QV_LINEENDS_CR | QV_LINEENDS_NOFINAL, "one\rtwo\r\rlast", "e\rtwo\r\rl", "one\rtwo\r\rlast", "e\rtwo\r\rl", 13, 13},
};

std::string Widened(const std::string& ansi) {
    std::string wide;
    for (char c : ansi) wide += c, wide += '\0';
    return wide;
}

TEST_F(StreamTest, EveryMessageThatHandsTextOutWritesTheChosenLineEnd) {
    SetText("one\r\ntwo\n\nlast");
    EXPECT_EQ(Send(EMX_GETLINEENDS), QV_LINEENDS_DEFAULT);  // a new control's
    LRESULT previous = QV_LINEENDS_DEFAULT;
    for (const LineEndRow& row : kLineEndRows) {
        SCOPED_TRACE(testing::Message() << "setting " << row.setting);
        EXPECT_EQ(Send(EMX_SETLINEENDS, row.setting), previous);
        previous = static_cast<LRESULT>(row.setting);
        EXPECT_EQ(Send(EMX_GETLINEENDS), previous);
        EXPECT_EQ(Send(WM_COMMAND, EMX_GETLINEENDS), previous);  // also as a menu command

        char buffer[64];
        std::memset(buffer, 'Z', sizeof buffer);
        LRESULT n = Send(WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
        EXPECT_EQ(std::string(buffer, n), row.copied);
        EXPECT_EQ(buffer[n], '\0');
        EXPECT_EQ(Send(WM_GETTEXTLENGTH), row.length);
        GETTEXTLENGTHEX plain = {GTL_DEFAULT, CP_ACP}, crlf = {GTL_USECRLF, CP_ACP};
        EXPECT_EQ(Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&plain)), row.lengthEx);
        EXPECT_EQ(Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&crlf)), 16);  // CR LF, as asked

        std::memset(buffer, 'Z', sizeof buffer);
        TEXTRANGEA range = {{10, 2}, buffer};  // reversed: ordered
        n = Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
        EXPECT_EQ(std::string(buffer, n + 2), std::string(row.range) + '\0' + 'Z');
        Send(EM_SETSEL, 0, -1);
        std::memset(buffer, 'Z', sizeof buffer);
        n = Send(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer));
        EXPECT_EQ(std::string(buffer, n + 2), std::string(row.copied) + '\0' + 'Z');
        *reinterpret_cast<WORD*>(buffer) = 20;
        n = Send(EM_GETLINE, 1, reinterpret_cast<LPARAM>(buffer));
        EXPECT_EQ(std::string(buffer, n), "two");  // never a line end

        EXPECT_EQ(SaveText(), row.streamed);
        EXPECT_EQ(SaveText(SF_TEXT | SF_UNICODE), Widened(row.streamed));
        Send(EM_SETSEL, 2, 10);
        EXPECT_EQ(SaveText(SF_TEXT | SFF_SELECTION), row.selected);
    }
    EXPECT_EQ(Stored(control), "one\rtwo\r\rlast\r");  // the text itself never changed
}

// A line end is never cut: not at the end of WM_GETTEXT's room (EditMessagesTest has
// the sizes), not at the end of a stream-out buffer (a CR LF that does not fit goes
// whole into the next call, a single LF fits where it did not), and a CR LF split
// between two stream-in buffers is one CR LF.
TEST_F(StreamTest, ALineEndAtABuffersEndIsNeverCut) {
    const std::string first(32767, 'x');
    struct Case {
        WPARAM setting;
        std::vector<LONG> counts;
        std::string saved;
    };
    const Case cases[] = {
        {QV_LINEENDS_CRLF, {32767, 2, 3}, first + "\r\ny\r\n"},
        {QV_LINEENDS_LF, {32768, 2}, first + "\ny\n"},
        {QV_LINEENDS_CR, {32768, 2}, first + "\ry\r"},
        {QV_LINEENDS_CRLF | QV_LINEENDS_NOFINAL, {32767, 2, 1}, first + "\r\ny"},
    };
    SetText((first + "\r\ny").c_str());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        Send(EMX_SETLINEENDS, c.setting);
        FileHost saving;
        EXPECT_EQ(Save(out, saving), static_cast<LRESULT>(c.saved.size()));
        EXPECT_EQ(saving.counts, c.counts);
        EXPECT_TRUE(out.Read() == c.saved);
    }

    // The file's 32768th byte is the CR of a CR LF: the first buffer ends with it.
    SetText("");
    EXPECT_EQ(LoadText(first + "\r\ny\r\n"), 32772);
    EXPECT_EQ(Send(EMX_GETLOADEDLINEENDS), QV_LINEENDS_CRLF);
    EXPECT_EQ(Send(EM_GETLINECOUNT), 3);
}

// A file loaded through EM_STREAMIN or WM_SETTEXT tells which line ends it had; set
// as the line-end setting (with QV_LINEENDS_NOFINAL), EM_STREAMOUT and WM_GETTEXT
// both give the file back byte for byte. A text of no or of mixed line ends is
// written with CR LF.
TEST_F(StreamTest, AFileComesBackWithTheLineEndsItHad) {
    std::string longLines = std::string(100000, 'L') + "\n" + std::string(70000, 'M') + "\n";
    std::string big;
    while (big.size() < 2u * 1000 * 1000) big += Lines(2000, "\n", static_cast<unsigned>(big.size()));
    const struct {
        const char* name;
        std::string bytes;
        LRESULT found;
        std::string saved;  // when it differs from the file
    } files[] = {
        {"CR LF", Lines(300, "\r\n"), QV_LINEENDS_CRLF, ""},
        {"LF", Lines(300, "\n"), QV_LINEENDS_LF, ""},
        {"CR", Lines(300, "\r"), QV_LINEENDS_CR, ""},
        {"LF without a final line end", Lines(300, "\n") + "end", QV_LINEENDS_LF, ""},
        {"CR LF without a final line end", Lines(300, "\r\n") + "end", QV_LINEENDS_CRLF, ""},
        {"CR, blank lines", "\r\r\ra\r\r", QV_LINEENDS_CR, ""},
        {"LF, 100,000-character lines", longLines, QV_LINEENDS_LF, ""},
        {"LF, 2 MB", big, QV_LINEENDS_LF, ""},
        {"one line", "no line end", QV_LINEENDS_NONE, ""},
        {"empty", "", QV_LINEENDS_NONE, ""},
        {"mixed", "a\r\nb\nc\rd", QV_LINEENDS_MIXED, "a\r\nb\r\nc\r\nd"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const std::string expected = file.saved.empty() ? file.bytes : file.saved;
        for (const bool streamed : {true, false}) {
            SCOPED_TRACE(streamed ? "EM_STREAMIN" : "WM_SETTEXT");
            Send(EMX_SETLINEENDS, QV_LINEENDS_DEFAULT);
            SetText("x\ry\r");  // CR line ends, found as such
            ASSERT_EQ(Send(EMX_GETLOADEDLINEENDS), QV_LINEENDS_CR);
            if (streamed) {
                SetText("");
                ASSERT_EQ(LoadText(file.bytes), static_cast<LRESULT>(file.bytes.size()));
            } else {
                SetText(file.bytes.c_str());
            }
            const LRESULT found = Send(EMX_GETLOADEDLINEENDS);
            EXPECT_EQ(found, file.found);
            const bool kept = found == QV_LINEENDS_CRLF || found == QV_LINEENDS_LF || found == QV_LINEENDS_CR;
            Send(EMX_SETLINEENDS, (kept ? found : QV_LINEENDS_CRLF) | QV_LINEENDS_NOFINAL);
            EXPECT_TRUE(SaveText() == expected);
            // A host that saves what GetWindowText gives writes the same.
            const LRESULT length = Send(WM_GETTEXTLENGTH);
            EXPECT_EQ(length, static_cast<LRESULT>(expected.size()));
            std::vector<char> text(length + 1, 'Z');
            EXPECT_EQ(Send(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())), length);
            EXPECT_TRUE(std::string(text.data(), length) == expected);
        }
    }
}

// What was found stays until the next whole-text load: edits, a stream-in of the
// selection and a stream that fails at once do not change it; a new control found
// none.
TEST_F(StreamTest, OnlyAWholeTextLoadChangesTheLineEndsFound) {
    EXPECT_EQ(Send(EMX_GETLOADEDLINEENDS), QV_LINEENDS_NONE);
    SetText("");
    LoadText("a\nb\n");
    EXPECT_EQ(Send(EMX_GETLOADEDLINEENDS), QV_LINEENDS_LF);
    Send(EM_SETSEL, 1, 1);
    Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("x\r\ny"));
    LoadText("c\r\nd", SF_TEXT | SFF_SELECTION);
    EXPECT_EQ(Send(EMX_GETLOADEDLINEENDS), QV_LINEENDS_LF);
    in.Write("e\rf");
    FileHost failing;
    failing.failAt = 1;
    failing.failCode = 7;
    Load(in, failing);
    EXPECT_EQ(Send(EMX_GETLOADEDLINEENDS), QV_LINEENDS_LF);
    LoadText("g\rh");  // a stream that delivers is a load, in front of the text
    EXPECT_EQ(Send(EMX_GETLOADEDLINEENDS), QV_LINEENDS_CR);
    SetText("one line");
    EXPECT_EQ(Send(EMX_GETLOADEDLINEENDS), QV_LINEENDS_NONE);
    Send(WM_SETTEXT, 0, 0);  // NULL is the empty text
    EXPECT_EQ(Send(EMX_GETLOADEDLINEENDS), QV_LINEENDS_NONE);
}

}  // namespace
}  // namespace qvtest
