#include "MainWindow.h"

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <algorithm>

#include "DemoIds.h"

namespace {

const char kClassName[] = "QuorvaneDemo";

// The panes switch the overwrite mode on Insert without Ctrl and Shift (with them
// it copies and pastes) and know the key by its virtual-key and scan codes; the
// demo follows the same rule.
bool TogglesOverwrite(WPARAM key, LPARAM lParam) {
    const UINT scan = static_cast<UINT>(lParam >> 16) & 0xFF;
    return key == VK_INSERT && scan == MapVirtualKeyA(VK_INSERT, MAPVK_VK_TO_VSC) &&
           GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0;
}

}  // namespace

WNDPROC MainWindow::panePrevious_ = nullptr;

bool MainWindow::Register(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) != 0;
}

bool MainWindow::Create(HINSTANCE instance) {
    instance_ = instance;
    accelerators_ = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    findMessage_ = RegisterWindowMessageA(FINDMSGSTRINGA);
    CreateWindowExA(0, kClassName, kAppName, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                    CW_USEDEFAULT, 900, 680, nullptr, nullptr, instance, this);
    return hwnd_ != nullptr;
}

bool MainWindow::PreTranslate(MSG& msg) {
    if (findDialog_ && IsDialogMessageA(findDialog_, &msg)) return true;
    return TranslateAcceleratorA(hwnd_, accelerators_, &msg) != 0;
}

LRESULT CALLBACK MainWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    MainWindow* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {  // the window's last message
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = self->editor_ = nullptr;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    return self->Handle(msg, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The find dialog's requests come as a registered message.
    if (msg == findMessage_ && findMessage_ != 0) {
        OnFindReplace(*reinterpret_cast<const FINDREPLACEA*>(lParam));
        return 0;
    }
    switch (msg) {
        case WM_CREATE:
            OnCreate();
            return editor_ ? 0 : -1;
        case WM_SIZE:
            OnSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_SETFOCUS:
            SetFocus(editor_);
            return 0;
        case WM_COMMAND:
            OnCommand(wParam, lParam);
            return 0;
        case WM_INITMENUPOPUP:
            OnInitMenu(reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_CONTEXTMENU:
            OnContextMenu(reinterpret_cast<HWND>(wParam), lParam);
            return 0;
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom == editor_ && header->code == QVN_SELCHANGE)
                OnEditorNotify(*reinterpret_cast<const SelChangeEx*>(lParam));
            return 0;
        }
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_CLOSE:
            if (ConfirmDiscard()) DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

void MainWindow::OnCreate() {
    status_.Create(hwnd_, ID_STATUSBAR);
    editor_ = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                              reinterpret_cast<HMENU>(ID_EDITOR), instance_, nullptr);
    if (!editor_) return;
    fonts_.Create();
    SetUpEditor(editor_, fonts_);
    // The control keeps its overwrite mode to itself: the demo watches the keys that
    // reach the panes.
    panePrevious_ = reinterpret_cast<WNDPROC>(
        SendMessageA(editor_, EMX_SUBCLASSPANES, 0, reinterpret_cast<LPARAM>(&MainWindow::PaneHook)));
    DragAcceptFiles(hwnd_, TRUE);
    NewDocument();
    status_.SetMessage("Ready");
    status_.SetOverwrite(false);
}

LRESULT CALLBACK MainWindow::PaneHook(HWND pane, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcA(panePrevious_, pane, msg, wParam, lParam);
    if (msg == WM_KEYDOWN && TogglesOverwrite(wParam, lParam)) {
        // pane -> control -> main window
        auto* self =
            reinterpret_cast<MainWindow*>(GetWindowLongPtrA(GetParent(GetParent(pane)), GWLP_USERDATA));
        if (self) {
            self->overwrite_ = !self->overwrite_;
            self->status_.SetOverwrite(self->overwrite_);
        }
    }
    return result;
}

void MainWindow::OnSize(int width, int height) {
    const int statusHeight = status_.Layout(width);
    MoveWindow(editor_, 0, 0, width, std::max(0, height - statusHeight), TRUE);
}

void MainWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    // The View menu's items that carry the control's own numbers go to it unchanged.
    if (id >= EMX_FIRST && id <= EMX_LAST) {
        SendMessageA(editor_, WM_COMMAND, wParam, lParam);
        return;
    }
    switch (id) {
        case IDM_NEW:
            if (ConfirmDiscard()) NewDocument();
            break;
        case IDM_OPEN:
            if (ConfirmDiscard()) OpenWithDialog();
            break;
        case IDM_SAVE:
            Save();
            break;
        case IDM_SAVEAS:
            SaveAs();
            break;
        case IDM_EXIT:
            SendMessageA(hwnd_, WM_CLOSE, 0, 0);
            break;
        case IDM_UNDO:
            SendMessageA(editor_, EM_UNDO, 0, 0);
            break;
        case IDM_REDO:
            SendMessageA(editor_, EM_REDO, 0, 0);
            break;
        case IDM_CUT:
            SendMessageA(editor_, WM_CUT, 0, 0);
            break;
        case IDM_COPY:
            SendMessageA(editor_, WM_COPY, 0, 0);
            break;
        case IDM_PASTE:
            SendMessageA(editor_, WM_PASTE, 0, 0);
            break;
        case IDM_DELETE:
            SendMessageA(editor_, WM_CLEAR, 0, 0);
            break;
        case IDM_SELECTALL:
            SendMessageA(editor_, EM_SETSEL, 0, -1);
            break;
        case IDM_FIND:
            ShowFindDialog(false);
            break;
        case IDM_REPLACE:
            ShowFindDialog(true);
            break;
        case IDM_FINDNEXT:
            FindNext(true);
            break;
        case IDM_FINDPREVIOUS:
            FindNext(false);
            break;
        case IDM_GOTOLINE:
            GoToLineDialog();
            break;
        case IDM_TOGGLEBOOKMARK:
            ToggleBookmark();
            break;
        case IDM_NEXTBOOKMARK:
            NextBookmark(true);
            break;
        case IDM_PREVIOUSBOOKMARK:
            NextBookmark(false);
            break;
        case IDM_CLEARBOOKMARKS:
            ClearBookmarks();
            break;
        case IDM_TOGGLEFOLD:
            ToggleFoldAtCaret();
            break;
        case IDM_FOLDALL:
            FoldAll();
            break;
        case IDM_ABOUT:
            MessageBoxA(hwnd_,
                        "Quorvane Demo " QUORVANE_VERSION_STRING
                        "\n\nA small editor built on the Quorvane control and its messages.",
                        kAppName, MB_OK | MB_ICONINFORMATION);
            break;
    }
}

// The menus, the right-click menu too, show what can be done now.
void MainWindow::OnInitMenu(HMENU menu) {
    auto enable = [menu](UINT id, bool on) {
        EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    auto check = [menu](UINT id, bool on) {
        CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    };
    CHARRANGE selection;
    SendMessageA(editor_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const bool selected = selection.cpMin != selection.cpMax;
    enable(IDM_UNDO, SendMessageA(editor_, EM_CANUNDO, 0, 0) != 0);
    enable(IDM_REDO, SendMessageA(editor_, EM_CANREDO, 0, 0) != 0);
    enable(IDM_CUT, selected);
    enable(IDM_COPY, selected);
    enable(IDM_DELETE, selected);
    enable(IDM_PASTE, SendMessageA(editor_, EM_CANPASTE, CF_TEXT, 0) != 0);
    enable(IDM_FINDNEXT, findWhat_[0] != '\0');
    enable(IDM_FINDPREVIOUS, findWhat_[0] != '\0');
    check(EMX_TOGGLESPLIT, SendMessageA(editor_, EMX_GETSPLIT, 0, 0) != 0);
    check(EMX_TOGGLELINENUMBERS, SendMessageA(editor_, EMX_GETLINENUMBERS, 0, 0) != 0);
}

// The control tells of every change of its text, selection and view here.
void MainWindow::OnEditorNotify(const SelChangeEx& change) {
    if (change.reason == QV_REASON_SCROLLBAR) return;  // a pane scrolled: only its top line is set
    const DWORD caret = static_cast<DWORD>(change.caret);
    if (change.reason == QV_REASON_CHANGE) {
        // The line fields describe the caret's line.
        caretLine_ = change.line;
        status_.SetPosition(change.line + 1, caret - change.lineStart + 1);
    } else {
        // A small scroll reports the pane's top line: look the caret's line up.
        caretLine_ = static_cast<DWORD>(SendMessageA(editor_, EM_EXLINEFROMCHAR, 0, caret));
        const DWORD lineStart = static_cast<DWORD>(SendMessageA(editor_, EM_LINEINDEX, caretLine_, 0));
        status_.SetPosition(caretLine_ + 1, caret - lineStart + 1);
    }
    // `changed` is 1 once after any number of edits; the flag itself is the control's.
    if (change.changed) ShowModified(SendMessageA(editor_, EM_GETMODIFY, 0, 0) != 0);
}

void MainWindow::ShowModified(bool modified) {
    if (modified == modifiedShown_) return;
    modifiedShown_ = modified;
    status_.SetModified(modified);
    UpdateTitle();
}

void MainWindow::UpdateTitle() {
    const std::string title = (modifiedShown_ ? "*" : "") + name_ + " - " + kAppName;
    SetWindowTextA(hwnd_, title.c_str());
}

// A file dropped from the shell opens; of several, the first.
void MainWindow::OnDropFiles(HDROP drop) {
    char path[MAX_PATH] = "";
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    const bool named = count > 0 && DragQueryFileA(drop, 0, path, sizeof path) > 0;
    DragFinish(drop);
    if (!named) return;
    SetForegroundWindow(hwnd_);  // a question about unsaved changes comes to the front
    if (ConfirmDiscard() && Open(path) && count > 1)
        status_.SetMessage("Opened the first of " + std::to_string(count) + " dropped files");
}
