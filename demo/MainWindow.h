// The demo editor's main window: a menu, one Quorvane control and a status bar.
//
// Its parts live in files of their own: the window procedure, the layout, the menu
// and the notification here (MainWindow.cpp); opening and saving (Files.cpp); find
// and replace (FindReplace.cpp); go to line and bookmarks (Navigation.cpp); folding
// (Folding.cpp); the right-click menu (ContextMenu.cpp).
#pragma once

#include <windows.h>
// windows.h first: the headers below build on it
#include <commdlg.h>
#include <richedit.h>

#include <string>

#include "EditorSetup.h"
#include "StatusBar.h"
#include "quorvane.h"

class MainWindow {
public:
    static bool Register(HINSTANCE instance);
    bool Create(HINSTANCE instance);
    HWND hwnd() const { return hwnd_; }
    HWND editor() const { return editor_; }

    // The message loop's part: keys of the find dialog and the menu's accelerators.
    bool PreTranslate(MSG& msg);

    static constexpr const char* kAppName = "Quorvane Demo";

    void LoadSample();
    bool Open(const std::string& path);

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK PaneHook(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

    // MainWindow.cpp
    void OnCreate();
    void OnSize(int width, int height);
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void OnInitMenu(HMENU menu);
    void OnEditorNotify(const SelChangeEx& change);
    void OnDropFiles(HDROP drop);
    void ShowModified(bool modified);
    void UpdateTitle();
    DWORD CaretLine() const { return caretLine_; }

    // Files.cpp
    bool ConfirmDiscard();
    void NewDocument();
    void OpenWithDialog();
    bool Save();
    bool SaveAs();
    void SetDocument(const std::string& path, const std::string& name);
    void ReportError(const char* what, const std::string& path, DWORD error);

    // FindReplace.cpp
    void ShowFindDialog(bool replace);
    void OnFindReplace(const FINDREPLACEA& request);
    bool FindNext(bool down);
    bool SelectionIsMatch();
    void ReplaceOnce();
    void ReplaceAll();
    WPARAM SearchFlags(bool down) const;

    // Navigation.cpp
    void GoToLineDialog();
    void GoToLine(DWORD line);
    void SelectFound(const CHARRANGE& found, bool caretAtEnd);
    void RevealLine(DWORD line);
    void ToggleBookmark();
    void NextBookmark(bool forward);
    void ClearBookmarks();

    // ContextMenu.cpp
    void OnContextMenu(HWND window, LPARAM lParam);
    void PlaceCaretForMenu(HWND pane, POINT screen);

    // Folding.cpp
    LRESULT BlockAtCaret();
    void ToggleFoldAtCaret();
    void FoldAll();

    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND editor_ = nullptr;
    StatusBar status_;
    HACCEL accelerators_ = nullptr;
    EditorFonts fonts_;
    static WNDPROC panePrevious_;  // the panes' own procedure, behind PaneHook

    std::string path_;  // empty while the document has no file
    std::string name_;  // what the title shows
    bool modifiedShown_ = false;
    bool overwrite_ = false;  // the panes' typing mode, which the control keeps to itself
    DWORD caretLine_ = 0;     // from the last notification

    HWND findDialog_ = nullptr;
    bool findIsReplace_ = false;
    UINT findMessage_ = 0;
    FINDREPLACEA find_ = {};
    char findWhat_[256] = "";
    char replaceWith_[256] = "";
};
