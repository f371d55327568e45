// The demo editor as a user drives it. QuorvaneDemo.exe runs as a process of its
// own; the test sends its main window the menu commands (WM_COMMAND), sends keys
// to the window that has the focus, fills in and presses the buttons of the common
// file, find and replace dialogs and of the Go To Line dialog, and reads back what
// the user sees: the saved file's bytes, the title, the status bar, the text.
#include <windows.h>
// windows.h first: the headers below build on it
#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "demo/DemoIds.h"
#include "win/support/Keys.h"
#include "win/support/TestHost.h"

namespace qvtest {
namespace {

const DWORD kTimeout = 20000;  // Wine opens its first file dialog slowly

// Polls `probe` until it answers something other than its type's zero.
template <typename Probe>
auto WaitFor(Probe probe, DWORD milliseconds = kTimeout) -> decltype(probe()) {
    const DWORD end = GetTickCount() + milliseconds;
    auto value = probe();
    while (!value && static_cast<LONG>(end - GetTickCount()) > 0) {
        Sleep(20);
        value = probe();
    }
    return value;
}

// Memory in the demo's process, for the messages that fill a buffer (a status
// bar's text) and for a drop's file list.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size) : process_(process), size_(size) {
        address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    void* address() const { return address_; }
    void Write(const void* bytes, size_t size) {
        WriteProcessMemory(process_, address_, bytes, size, nullptr);
    }
    std::string ReadString() const {
        std::string bytes(size_, '\0');
        ReadProcessMemory(process_, address_, &bytes[0], size_, nullptr);
        return bytes.substr(0, bytes.find('\0'));
    }

private:
    HANDLE process_;
    size_t size_;
    void* address_ = nullptr;
};

BOOL CALLBACK AddWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// The top-level windows of a thread.
std::vector<HWND> ThreadWindows(DWORD thread) {
    std::vector<HWND> windows;
    EnumThreadWindows(thread, AddWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string TextOf(HWND window) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string ClipboardText() {
    std::string text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            text = static_cast<const char*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

// The demo, started in the test's folder (where Quorvane.dll lies), and closed at
// the end of the test without saving.
class Demo {
public:
    explicit Demo(const std::string& arguments = "") {
        std::string command = "QuorvaneDemo.exe " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process_))
            return;
        WaitForInputIdle(process_.hProcess, kTimeout);
        main = WaitFor([this] { return FindMain(); });
        if (!main) return;
        editor = GetDlgItem(main, ID_EDITOR);
        status = GetDlgItem(main, ID_STATUSBAR);
        upperPane = FindWindowExA(editor, nullptr, QUORVANE_PANE_CLASS, nullptr);
        lowerPane = FindWindowExA(editor, upperPane, QUORVANE_PANE_CLASS, nullptr);
    }

    ~Demo() {
        if (!process_.hProcess) return;
        if (Running()) {
            if (editor) SendMessageA(editor, EM_SETMODIFY, FALSE, 0);  // nothing to ask about
            PostMessageA(main, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0)
                TerminateProcess(process_.hProcess, 9);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }

    bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    bool WaitForExit() const { return WaitForSingleObject(process_.hProcess, kTimeout) == WAIT_OBJECT_0; }

    // A command that returns at once; the modal ones (the file dialogs, Go To Line)
    // are posted instead.
    void Command(UINT id) { SendMessageA(main, WM_COMMAND, id, 0); }
    void PostCommand(UINT id) { PostMessageA(main, WM_COMMAND, id, 0); }

    // The window of the demo that has the keyboard focus.
    HWND Focus() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(process_.dwThreadId, &info);
        return info.hwndFocus;
    }
    // Keys as the keyboard sends them, with their scan codes, to the focused pane.
    // Ctrl and Shift cannot be held down in another process: their commands go
    // through the menu.
    void Key(UINT vk, int times = 1) {
        for (int i = 0; i < times; ++i) KeyDown(Focus(), vk);
    }
    void Type(const std::string& text) {
        for (char c : text) Char(Focus(), static_cast<unsigned char>(c));
    }

    // A dialog of the demo with this title, once it is shown.
    HWND WaitForDialog(const std::string& title) {
        return WaitFor([&]() -> HWND {
            for (HWND window : ThreadWindows(process_.dwThreadId))
                if (ClassOf(window) == "#32770" && IsWindowVisible(window) && TextOf(window) == title)
                    return window;
            return nullptr;
        });
    }
    bool WaitUntilClosed(HWND dialog) {
        return WaitFor([dialog] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
    }
    // Presses a dialog's button, as a click does.
    void Press(HWND dialog, int button) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    }

    // Answers a common file dialog (Open, Save As) with a full path.
    bool ChooseFile(const std::string& dialogTitle, const std::string& path) {
        HWND dialog = WaitForDialog(dialogTitle);
        if (!dialog) return false;
        // The name box is a combo box in the newer layout, an edit box in the older.
        HWND name = GetDlgItem(dialog, cmb13);
        if (!name) name = GetDlgItem(dialog, edt1);
        if (!name) return false;
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        Press(dialog, IDOK);
        return WaitUntilClosed(dialog);
    }

    std::string Title() const { return TextOf(main); }
    bool WaitForTitle(const std::string& title) {
        return WaitFor([&] { return Title() == title; });
    }

    std::string StatusPart(int part) {
        RemoteBuffer text(process_.hProcess, 256);
        SendMessageA(status, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text.address()));
        return text.ReadString();
    }
    bool WaitForStatus(int part, const std::string& want) {
        return WaitFor([&] { return StatusPart(part) == want; });
    }

    // The text as WM_GETTEXT copies it: with the line ends of the file the demo
    // loaded (CR LF for its sample and a new document).
    std::string Text() const {
        const LRESULT length = SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0);
        std::string text(static_cast<size_t>(length) + 1, '\0');
        const LRESULT copied =
            SendMessageA(editor, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(copied));
        return text;
    }
    // The line of the selection's upper end (the caret's, when nothing is selected).
    DWORD CaretLine() const {
        const LRESULT packed = SendMessageA(editor, EM_GETSEL, 0, 0);  // small texts: 16 bits suffice
        return static_cast<DWORD>(SendMessageA(editor, EM_LINEFROMCHAR, HIWORD(packed), 0));
    }
    bool LineHidden(DWORD line) const { return SendMessageA(editor, EMX_ISLINEHIDDEN, line, 0) != 0; }

    // The right-click menu: a right click on `line`'s text in the upper pane (the
    // pane's own release makes the WM_CONTEXTMENU), then an item picked by its
    // underlined letter once the menu is on the screen. Answers whether the menu
    // opened and closed again.
    bool RightClickLine(DWORD line, char item) {
        RemoteBuffer point(process_.hProcess, sizeof(POINTL));
        const LRESULT start = SendMessageA(editor, EM_LINEINDEX, line, 0);
        SendMessageA(editor, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(point.address()), start + 2);
        POINTL at = {};
        ReadProcessMemory(process_.hProcess, point.address(), &at, sizeof at, nullptr);
        const LPARAM xy = MAKELPARAM(at.x + 2, at.y + 2);
        PostMessageA(upperPane, WM_RBUTTONDOWN, MK_RBUTTON, xy);
        PostMessageA(upperPane, WM_RBUTTONUP, 0, xy);
        return Pick(item);
    }
    bool Pick(char item) {
        HWND menu = WaitFor([this] { return ShownMenu(); });
        if (!menu) return false;
        PostMessageA(main, WM_CHAR, static_cast<unsigned char>(item), 1);
        if (!WaitFor([this] { return !ShownMenu(); })) return false;
        // The command the item posted has been handled once this returns.
        SendMessageA(main, WM_NULL, 0, 0);
        return true;
    }
    // The popup menu of the demo on the screen, if any.
    HWND ShownMenu() const {
        for (HWND window : ThreadWindows(process_.dwThreadId))
            if (ClassOf(window) == "#32768" && IsWindowVisible(window)) return window;
        return nullptr;
    }

    HANDLE process() const { return process_.hProcess; }

    HWND main = nullptr;
    HWND editor = nullptr;
    HWND status = nullptr;
    HWND upperPane = nullptr;
    HWND lowerPane = nullptr;

private:
    HWND FindMain() const {
        for (HWND window : ThreadWindows(process_.dwThreadId))
            if (ClassOf(window) == "QuorvaneDemo" && IsWindowVisible(window)) return window;
        return nullptr;
    }

    PROCESS_INFORMATION process_ = {};
};

// A folder of files for one test, removed with it.
class Folder {
public:
    Folder() {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path_ = std::string(temp) + "QuorvaneDemoTest" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter_++);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~Folder() {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do DeleteFileA((path_ + "\\" + found.cFileName).c_str());
            while (FindNextFileA(find, &found));
            FindClose(find);
        }
        RemoveDirectoryA(path_.c_str());
    }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    // The names of the files in the folder, in order.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return names;
        do
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
        while (FindNextFileA(find, &found));
        FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(File(name), std::ios::binary) << bytes;
        return File(name);
    }
    static std::string Read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }

private:
    std::string path_;
    static int counter_;
};
int Folder::counter_ = 0;

// Opens the file the way a user does: File > Open and its dialog.
void OpenThroughDialog(Demo& demo, const std::string& path, const std::string& name) {
    demo.PostCommand(IDM_OPEN);
    ASSERT_TRUE(demo.ChooseFile("Open", path));
    ASSERT_TRUE(demo.WaitForTitle(name + " - Quorvane Demo")) << demo.Title();
}

TEST(DemoEditorTest, OpensAFileEditsItWithKeysAndSavesItUnderANewName) {
    Folder folder;
    // CR LF line ends, and one lone LF: the saved file has CR LF throughout.
    const std::string input = folder.Write("input.asm",
                                           "; generated by the test\r\n"
                                           "main proc\r\n"
                                           "    mov eax, 1\r\n"
                                           "    ret\n"
                                           "main endp\r\n");
    Demo demo;
    ASSERT_TRUE(demo.main) << "the demo's window did not appear";
    EXPECT_EQ(demo.Title(), "sample.asm - Quorvane Demo");  // the built-in sample
    ASSERT_NO_FATAL_FAILURE(OpenThroughDialog(demo, input, "input.asm"));
    EXPECT_TRUE(demo.WaitForStatus(STATUS_POSITION, "Ln 1, Col 1"));
    EXPECT_EQ(demo.StatusPart(STATUS_MODIFIED), "");
    EXPECT_EQ(demo.StatusPart(STATUS_MODE), "INS");

    // A new line under "mov eax, 1", indented like it.
    demo.Key(VK_DOWN, 2);
    demo.Key(VK_END);
    demo.Type("\rxor ecx, ecx");
    EXPECT_EQ(demo.StatusPart(STATUS_POSITION), "Ln 4, Col 17");
    EXPECT_EQ(demo.StatusPart(STATUS_MODIFIED), "Modified");
    EXPECT_EQ(demo.Title(), "*input.asm - Quorvane Demo");
    // The first line: two characters deleted, three typed.
    demo.Key(VK_UP, 3);
    demo.Key(VK_HOME);
    demo.Key(VK_DELETE, 2);
    demo.Type(";; ");
    // Overwrite mode: "main" becomes "MAIN"; the status bar follows Insert.
    demo.Key(VK_DOWN);
    demo.Key(VK_HOME);
    demo.Key(VK_INSERT);
    EXPECT_EQ(demo.StatusPart(STATUS_MODE), "OVR");
    demo.Type("MAIN");
    demo.Key(VK_INSERT);
    EXPECT_EQ(demo.StatusPart(STATUS_MODE), "INS");
    // Typing and Backspace at the line's end.
    demo.Key(VK_END);
    demo.Type(" uses esi");
    demo.Type("\b\b\b\b");
    const std::string edited =
        ";; generated by the test\r\n"
        "MAIN proc uses\r\n"
        "    mov eax, 1\r\n"
        "    xor ecx, ecx\r\n"
        "    ret\r\n"
        "main endp\r\n";

    const std::string output = folder.File("output.asm");
    demo.PostCommand(IDM_SAVEAS);
    ASSERT_TRUE(demo.ChooseFile("Save As", output));
    ASSERT_TRUE(demo.WaitForTitle("output.asm - Quorvane Demo")) << demo.Title();
    EXPECT_EQ(Folder::Read(output), edited);
    EXPECT_EQ(Folder::Read(input).substr(0, 24), "; generated by the test\r");  // untouched
    EXPECT_EQ(demo.StatusPart(STATUS_MODIFIED), "");

    // Edit > Select All and Copy put the text on the clipboard as the file has it.
    demo.Command(IDM_SELECTALL);
    demo.Command(IDM_COPY);
    EXPECT_EQ(ClipboardText(), edited);
    // Edit > Undo takes the last edit back, Redo brings it again.
    const std::string saved = demo.Text();
    demo.Command(IDM_UNDO);
    EXPECT_NE(demo.Text(), saved);
    EXPECT_EQ(demo.StatusPart(STATUS_MODIFIED), "Modified");
    demo.Command(IDM_REDO);
    EXPECT_EQ(demo.Text(), saved);

    // File > Save writes the file again, through a new file that takes its place:
    // nothing else is left in the folder.
    SendMessageA(demo.editor, EM_SETSEL, 0, 0);
    demo.Type("; saved twice\r");
    demo.Command(IDM_SAVE);
    const std::string savedTwice = "; saved twice\r\n" + edited;
    EXPECT_EQ(Folder::Read(output), savedTwice);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"input.asm", "output.asm"}));
    EXPECT_EQ(demo.Title(), "output.asm - Quorvane Demo");

    // Closing with unsaved changes asks; "No" closes without saving.
    demo.Type("x");
    PostMessageA(demo.main, WM_CLOSE, 0, 0);
    HWND question = demo.WaitForDialog("Quorvane Demo");
    ASSERT_TRUE(question);
    demo.Press(question, IDNO);
    EXPECT_TRUE(demo.WaitForExit());
    EXPECT_EQ(demo.ExitCode(), 0u);
    EXPECT_EQ(Folder::Read(output), savedTwice);
}

// Search > Replace: Replace All with whole words, then Find Next and Replace one by
// one; Search > Find with a word that is not there.
TEST(DemoEditorTest, FindsAndReplacesThroughTheCommonDialogs) {
    Folder folder;
    const std::string path = folder.Write("find.asm",
                                          "start:\r\n"
                                          "    mov eax, ebx\r\n"
                                          "    add eax, eaxy\r\n"
                                          "    mov EAX, 2\r\n"
                                          "    ret\r\n");
    Demo demo("\"" + path + "\"");  // a file named on the command line opens at the start
    ASSERT_TRUE(demo.main);
    ASSERT_TRUE(demo.WaitForTitle("find.asm - Quorvane Demo")) << demo.Title();

    demo.Command(IDM_REPLACE);
    HWND dialog = demo.WaitForDialog("Replace");
    ASSERT_TRUE(dialog);
    SendMessageA(GetDlgItem(dialog, edt1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("eax"));
    SendMessageA(GetDlgItem(dialog, edt2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ecx"));
    SendMessageA(GetDlgItem(dialog, chx1), BM_SETCHECK, BST_CHECKED, 0);  // whole word
    demo.Press(dialog, psh2);                                             // Replace All
    EXPECT_TRUE(demo.WaitForStatus(STATUS_MESSAGE, "Replaced 3 matches")) << demo.StatusPart(STATUS_MESSAGE);
    EXPECT_EQ(demo.Text(),
              "start:\r\n"
              "    mov ecx, ebx\r\n"
              "    add ecx, eaxy\r\n"
              "    mov ecx, 2\r\n"
              "    ret\r\n");
    EXPECT_EQ(demo.StatusPart(STATUS_MODIFIED), "Modified");

    // Find Next selects the first "mov"; Replace replaces it and selects the next.
    SendMessageA(GetDlgItem(dialog, edt1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("mov"));
    SendMessageA(GetDlgItem(dialog, edt2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("lea"));
    SendMessageA(demo.editor, EM_SETSEL, 0, 0);
    demo.Press(dialog, IDOK);  // Find Next
    EXPECT_TRUE(demo.WaitForStatus(STATUS_POSITION, "Ln 2, Col 8")) << demo.StatusPart(STATUS_POSITION);
    EXPECT_EQ(SendMessageA(demo.editor, EM_GETSEL, 0, 0), MAKELONG(11, 14));
    demo.Press(dialog, psh1);  // Replace
    EXPECT_TRUE(demo.WaitForStatus(STATUS_POSITION, "Ln 4, Col 8")) << demo.StatusPart(STATUS_POSITION);
    EXPECT_EQ(demo.Text(),
              "start:\r\n"
              "    lea ecx, ebx\r\n"
              "    add ecx, eaxy\r\n"
              "    mov ecx, 2\r\n"
              "    ret\r\n");
    demo.Press(dialog, IDCANCEL);
    EXPECT_TRUE(demo.WaitUntilClosed(dialog));

    // Find: up from the caret, and a text that is nowhere.
    demo.Command(IDM_FIND);
    dialog = demo.WaitForDialog("Find");
    ASSERT_TRUE(dialog);
    SendMessageA(GetDlgItem(dialog, edt1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ECX"));
    SendMessageA(GetDlgItem(dialog, chx2), BM_SETCHECK, BST_CHECKED, 0);  // match case
    demo.Press(dialog, IDOK);
    EXPECT_TRUE(demo.WaitForStatus(STATUS_MESSAGE, "Cannot find \"ECX\"")) << demo.StatusPart(STATUS_MESSAGE);
    SendMessageA(GetDlgItem(dialog, chx2), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(GetDlgItem(dialog, rad1), BM_SETCHECK, BST_CHECKED, 0);  // up
    SendMessageA(GetDlgItem(dialog, rad2), BM_SETCHECK, BST_UNCHECKED, 0);
    demo.Press(dialog, IDOK);
    EXPECT_TRUE(demo.WaitForStatus(STATUS_POSITION, "Ln 3, Col 9")) << demo.StatusPart(STATUS_POSITION);
    demo.Press(dialog, IDCANCEL);
    EXPECT_TRUE(demo.WaitUntilClosed(dialog));
    // F3's command goes on with the same text and options: down, past the end to the
    // start.
    demo.Command(IDM_FINDNEXT);
    EXPECT_EQ(demo.StatusPart(STATUS_POSITION), "Ln 4, Col 12");
    demo.Command(IDM_FINDNEXT);
    EXPECT_EQ(demo.StatusPart(STATUS_POSITION), "Ln 2, Col 12");
    EXPECT_EQ(demo.StatusPart(STATUS_MESSAGE), "Passed the end: found from the start");
}

// Search > Go To Line, the bookmarks, folding at the caret and all at once, and
// the split view.
TEST(DemoEditorTest, GoesToLinesAndBookmarksFoldsAndSplits) {
    Folder folder;
    std::string text = "; two procedures\r\n";                                // line 0
    text += "first proc\r\n    mov eax, 1\r\n    ret\r\nfirst endp\r\n";      // 1-4
    text += "\r\n";                                                           // 5
    text += "second proc\r\n    xor eax, eax\r\n    ret\r\nsecond endp\r\n";  // 6-9
    const std::string path = folder.Write("blocks.asm", text);
    Demo demo("\"" + path + "\"");
    ASSERT_TRUE(demo.main);
    ASSERT_TRUE(demo.WaitForTitle("blocks.asm - Quorvane Demo")) << demo.Title();

    auto goToLine = [&](const char* number) {
        demo.PostCommand(IDM_GOTOLINE);
        HWND dialog = demo.WaitForDialog("Go To Line");
        ASSERT_TRUE(dialog);
        SendMessageA(GetDlgItem(dialog, IDC_LINE_NUMBER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(number));
        demo.Press(dialog, IDOK);
        ASSERT_TRUE(demo.WaitUntilClosed(dialog));
    };
    ASSERT_NO_FATAL_FAILURE(goToLine("3"));
    EXPECT_TRUE(demo.WaitForStatus(STATUS_POSITION, "Ln 3, Col 1")) << demo.StatusPart(STATUS_POSITION);
    demo.Command(IDM_TOGGLEBOOKMARK);
    ASSERT_NO_FATAL_FAILURE(goToLine("99"));  // past the end: the last line
    EXPECT_TRUE(demo.WaitForStatus(STATUS_POSITION, "Ln 11, Col 1")) << demo.StatusPart(STATUS_POSITION);
    ASSERT_NO_FATAL_FAILURE(goToLine("10"));
    EXPECT_TRUE(demo.WaitForStatus(STATUS_POSITION, "Ln 10, Col 1"));
    demo.Command(IDM_TOGGLEBOOKMARK);

    // Next and previous go round past the ends.
    demo.Command(IDM_NEXTBOOKMARK);
    EXPECT_EQ(demo.StatusPart(STATUS_POSITION), "Ln 3, Col 1");
    demo.Command(IDM_NEXTBOOKMARK);
    EXPECT_EQ(demo.StatusPart(STATUS_POSITION), "Ln 10, Col 1");
    demo.Command(IDM_PREVIOUSBOOKMARK);
    EXPECT_EQ(demo.StatusPart(STATUS_POSITION), "Ln 3, Col 1");
    demo.Command(IDM_PREVIOUSBOOKMARK);
    EXPECT_EQ(demo.StatusPart(STATUS_POSITION), "Ln 10, Col 1");
    demo.Command(IDM_TOGGLEBOOKMARK);  // off again
    demo.Command(IDM_NEXTBOOKMARK);
    EXPECT_EQ(demo.StatusPart(STATUS_POSITION), "Ln 3, Col 1");
    demo.Command(IDM_NEXTBOOKMARK);
    EXPECT_EQ(demo.StatusPart(STATUS_MESSAGE), "No other bookmark");

    // Fold at the caret (inside "first"): the caret goes to the start line.
    demo.Command(IDM_TOGGLEFOLD);
    EXPECT_TRUE(demo.LineHidden(2));
    EXPECT_TRUE(demo.LineHidden(3));
    EXPECT_FALSE(demo.LineHidden(4));
    EXPECT_EQ(demo.StatusPart(STATUS_POSITION), "Ln 2, Col 1");
    demo.Command(IDM_TOGGLEFOLD);
    EXPECT_FALSE(demo.LineHidden(2));
    // Fold All folds both; Unfold All (the control's own number) opens them.
    demo.Command(IDM_FOLDALL);
    for (DWORD line : {2, 3, 7, 8}) EXPECT_TRUE(demo.LineHidden(line)) << line;
    demo.Command(EMX_UNFOLDALL);
    for (DWORD line : {2, 3, 7, 8}) EXPECT_FALSE(demo.LineHidden(line)) << line;
    // A start line with a bookmark keeps it, and its block stays open.
    ASSERT_NO_FATAL_FAILURE(goToLine("7"));
    demo.Command(IDM_TOGGLEBOOKMARK);
    demo.Command(IDM_FOLDALL);
    EXPECT_TRUE(demo.LineHidden(2));
    EXPECT_FALSE(demo.LineHidden(7));
    EXPECT_EQ(SendMessageA(demo.editor, EMX_NEXTMARKER, 2, 100), 6);
    // Going to a hidden line opens its block.
    ASSERT_NO_FATAL_FAILURE(goToLine("3"));
    EXPECT_FALSE(demo.LineHidden(2));
    EXPECT_TRUE(demo.WaitForStatus(STATUS_POSITION, "Ln 3, Col 1"));

    // View > Split View shows the lower pane, and hides it again.
    EXPECT_FALSE(IsWindowVisible(demo.lowerPane) && SendMessageA(demo.editor, EMX_GETSPLIT, 0, 0));
    demo.Command(EMX_TOGGLESPLIT);
    EXPECT_NE(SendMessageA(demo.editor, EMX_GETSPLIT, 0, 0), 0);
    RECT lower;
    GetWindowRect(demo.lowerPane, &lower);
    EXPECT_GT(lower.bottom - lower.top, 50);
    demo.Command(EMX_TOGGLESPLIT);
    EXPECT_EQ(SendMessageA(demo.editor, EMX_GETSPLIT, 0, 0), 0);
}

// The right-click menu: the control leaves the menu to the demo, whose items act on
// the selection and on the line clicked; an item that cannot act is grayed.
TEST(DemoEditorTest, TheRightClickMenuEditsAndActsOnTheLineClicked) {
    Folder folder;
    std::string text = "; two procedures\r\n";                                // line 0
    text += "first proc\r\n    mov eax, 1\r\n    ret\r\nfirst endp\r\n";      // 1-4
    text += "\r\n";                                                           // 5
    text += "second proc\r\n    xor eax, eax\r\n    ret\r\nsecond endp\r\n";  // 6-9
    const std::string path = folder.Write("menu.asm", text);
    Demo demo("\"" + path + "\"");
    ASSERT_TRUE(demo.main);
    ASSERT_TRUE(demo.WaitForTitle("menu.asm - Quorvane Demo")) << demo.Title();
    auto selection = [&] {  // small texts: the packed result's 16 bits suffice
        const LRESULT packed = SendMessageA(demo.editor, EM_GETSEL, 0, 0);
        return std::make_pair(DWORD{LOWORD(packed)}, DWORD{HIWORD(packed)});
    };

    // Fold and Toggle Bookmark act on the line clicked, not where the caret was.
    ASSERT_TRUE(demo.RightClickLine(7, 'f'));
    EXPECT_TRUE(demo.LineHidden(7));
    EXPECT_FALSE(demo.LineHidden(2));
    EXPECT_EQ(demo.StatusPart(STATUS_MESSAGE), "Block folded");
    ASSERT_TRUE(demo.RightClickLine(2, 'b'));
    EXPECT_EQ(SendMessageA(demo.editor, EMX_GETMARKER, 2, 0), 100);
    EXPECT_EQ(demo.StatusPart(STATUS_MESSAGE), "Bookmark set");
    // Outside every block Fold is grayed: picking it does nothing.
    ASSERT_TRUE(demo.RightClickLine(0, 'f'));
    EXPECT_EQ(demo.StatusPart(STATUS_MESSAGE), "Bookmark set");
    EXPECT_EQ(demo.CaretLine(), 0u);

    // Inside the selection a right click keeps it: Copy, Cut, Undo, Redo, Paste.
    const LRESULT first = SendMessageA(demo.editor, EM_LINEINDEX, 1, 0);
    SendMessageA(demo.editor, EM_SETSEL, first, first + 10);  // "first proc"
    ASSERT_TRUE(demo.RightClickLine(1, 'c'));
    EXPECT_EQ(selection(), std::make_pair(DWORD(first), DWORD(first + 10)));
    EXPECT_EQ(ClipboardText(), "first proc");
    ASSERT_TRUE(demo.RightClickLine(1, 't'));
    const std::string cut = demo.Text();
    EXPECT_EQ(cut.substr(0, 20), "; two procedures\r\n\r\n");  // the file's CR LF, kept by the demo
    ASSERT_TRUE(demo.RightClickLine(0, 'u'));
    EXPECT_EQ(demo.Text().substr(0, 30), "; two procedures\r\nfirst proc\r\n");
    ASSERT_TRUE(demo.RightClickLine(0, 'r'));
    EXPECT_EQ(demo.Text(), cut);
    ASSERT_TRUE(demo.RightClickLine(0, 'p'));  // at the click: column 2 of line 0
    EXPECT_EQ(demo.Text().substr(0, 14), "; first proctw");
    // Select All, then Copy inside the selection: the whole text.
    ASSERT_TRUE(demo.RightClickLine(3, 'a'));
    ASSERT_TRUE(demo.RightClickLine(3, 'c'));
    EXPECT_EQ(ClipboardText(), demo.Text());
    // From the keyboard (-1 for the point) the menu opens at the caret.
    SendMessageA(demo.editor, EM_SETSEL, 5, 5);
    PostMessageA(demo.upperPane, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(demo.upperPane), -1);
    HWND menu = WaitFor([&] { return demo.ShownMenu(); });
    ASSERT_TRUE(menu);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(demo.main, nullptr), &info);
    POINT caret = {info.rcCaret.left, info.rcCaret.top};
    ClientToScreen(info.hwndCaret, &caret);
    RECT shown = {};
    GetWindowRect(menu, &shown);
    EXPECT_EQ(shown.left, caret.x);
    EXPECT_EQ(shown.top, caret.y);
    ASSERT_TRUE(demo.Pick('b'));  // on the caret's line
    EXPECT_EQ(SendMessageA(demo.editor, EMX_GETMARKER, 0, 0), 100);
    EXPECT_EQ(selection(), std::make_pair(DWORD{5}, DWORD{5}));
}

// Drops a file on the demo's window. The drop's file list (a DROPFILES record and
// the names) lies in the demo's memory, where the shell puts it.
void DropFile(Demo& demo, const std::string& path) {
    std::string drop(sizeof(DROPFILES), '\0');
    DROPFILES header = {};
    header.pFiles = sizeof header;
    std::memcpy(&drop[0], &header, sizeof header);
    drop += path;
    drop += std::string(2, '\0');  // the list ends with an empty name
    RemoteBuffer files(demo.process(), drop.size());
    files.Write(drop.data(), drop.size());
    SendMessageA(demo.main, WM_DROPFILES, reinterpret_cast<WPARAM>(files.address()), 0);
}

TEST(DemoEditorTest, ADroppedFileOpens) {
    Folder folder;
    const std::string path = folder.Write("dropped.asm", "dropped\r\n");
    Demo demo;
    ASSERT_TRUE(demo.main);
    DropFile(demo, path);
    EXPECT_TRUE(demo.WaitForTitle("dropped.asm - Quorvane Demo")) << demo.Title();
    EXPECT_EQ(demo.Text(), "dropped\r\n");
}

// A file is saved with the line ends it had: LF stays LF and CR stays CR byte for
// byte, and no line end is added after a last line that had none. A file of mixed
// line ends, and a new document, are saved with CR LF.
TEST(DemoEditorTest, SavesAFileWithTheLineEndsItHad) {
    Folder folder;
    const struct {
        const char* name;
        std::string bytes;
        std::string saved;  // after "; " is typed at the start
    } files[] = {
        {"lf.asm", "main proc\n    ret\nmain endp\n", "; main proc\n    ret\nmain endp\n"},
        {"lf-open.asm", "main proc\n    ret\nmain endp", "; main proc\n    ret\nmain endp"},
        {"cr.asm", "a\rb\r\r", "; a\rb\r\r"},
        {"crlf-open.asm", "a\r\nb", "; a\r\nb"},
        {"mixed.asm", "a\nb\r\nc", "; a\r\nb\r\nc"},
        {"one-line.asm", "nop", "; nop"},
    };
    Demo demo;
    ASSERT_TRUE(demo.main);
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const std::string path = folder.Write(file.name, file.bytes);
        DropFile(demo, path);
        ASSERT_TRUE(demo.WaitForTitle(std::string(file.name) + " - Quorvane Demo")) << demo.Title();
        if (file.saved.substr(2) == file.bytes) {
            EXPECT_EQ(demo.Text(), file.bytes);  // WM_GETTEXT gives the file as it was
        }
        SendMessageA(demo.editor, EM_SETSEL, 0, 0);
        demo.Type("; ");
        demo.Command(IDM_SAVE);
        EXPECT_EQ(Folder::Read(path), file.saved);
        EXPECT_EQ(demo.StatusPart(STATUS_MODIFIED), "");
    }
    // File > New: typed lines are saved with CR LF, nothing added after them.
    demo.Command(IDM_NEW);
    demo.Type("one\rtwo");
    const std::string path = folder.File("new.asm");
    demo.PostCommand(IDM_SAVEAS);
    ASSERT_TRUE(demo.ChooseFile("Save As", path));
    ASSERT_TRUE(demo.WaitForTitle("new.asm - Quorvane Demo")) << demo.Title();
    EXPECT_EQ(Folder::Read(path), "one\r\ntwo");
}

}  // namespace
}  // namespace qvtest
