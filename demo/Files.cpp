// Opening and saving: the common file dialogs, and the streams of FileStreams.cpp.
#include <windows.h>
// windows.h first: the headers below build on it
#include <commdlg.h>

#include "DemoIds.h"
#include "FileStreams.h"
#include "MainWindow.h"

namespace {

const char kUntitled[] = "Untitled";

const char kFilter[] =
    "Assembly sources (*.asm;*.inc)\0*.asm;*.inc\0"
    "Text files (*.txt)\0*.txt\0"
    "All files (*.*)\0*.*\0";

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FullPathOf(const std::string& path) {
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

OPENFILENAMEA FileDialog(HWND owner, char* path, DWORD size) {
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.lpstrFile = path;
    dialog.nMaxFile = size;
    dialog.lpstrDefExt = "asm";
    // The process's current folder stays where it was.
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return dialog;
}

}  // namespace

// Asks whether to save unsaved changes; false when the user cancels (or the save
// fails), and whatever was about to replace the document must not happen.
bool MainWindow::ConfirmDiscard() {
    if (!SendMessageA(editor_, EM_GETMODIFY, 0, 0)) return true;
    const std::string question = "Save the changes to " + name_ + "?";
    switch (MessageBoxA(hwnd_, question.c_str(), kAppName, MB_YESNOCANCEL | MB_ICONWARNING)) {
        case IDYES:
            return Save();
        case IDNO:
            return true;
        default:
            return false;
    }
}

void MainWindow::SetDocument(const std::string& path, const std::string& name) {
    path_ = path;
    name_ = name;
    modifiedShown_ = true;  // so that the next line refreshes the title and the bar
    ShowModified(false);
}

void MainWindow::NewDocument() {
    SendMessageA(editor_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    KeepLineEnds(editor_);  // none yet: CR LF
    SendMessageA(editor_, EM_SETMODIFY, FALSE, 0);
    SetDocument("", kUntitled);
}

void MainWindow::LoadSample() {
    HRSRC found = FindResourceA(instance_, MAKEINTRESOURCEA(IDR_SAMPLE), RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(instance_, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes) {
        NewDocument();
        return;
    }
    StreamInFromMemory(editor_, bytes, SizeofResource(instance_, found));
    SetDocument("", "sample.asm");  // no file yet: Save asks for a name
}

bool MainWindow::Open(const std::string& name) {
    const std::string path = FullPathOf(name);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ReportError("open", path, GetLastError());
        return false;
    }
    const DWORD error = StreamInFromFile(editor_, file);
    CloseHandle(file);
    if (error != 0) {
        ReportError("read", path, error);
        NewDocument();  // the part that was read is not the file: it must not be saved as it
        return false;
    }
    SetDocument(path, FileNameOf(path));
    status_.SetMessage("Opened " + path);
    return true;
}

void MainWindow::OpenWithDialog() {
    char path[MAX_PATH] = "";
    OPENFILENAMEA dialog = FileDialog(hwnd_, path, sizeof path);
    dialog.Flags |= OFN_FILEMUSTEXIST;
    if (GetOpenFileNameA(&dialog)) Open(path);
}

bool MainWindow::Save() {
    if (path_.empty()) return SaveAs();
    const DWORD error = SaveToFile(editor_, path_);
    if (error != 0) {
        ReportError("save", path_, error);
        return false;
    }
    ShowModified(false);
    status_.SetMessage("Saved " + path_);
    return true;
}

bool MainWindow::SaveAs() {
    // The dialog starts from the file's path, or from the sample's name.
    const std::string proposal = !path_.empty() ? path_ : name_ == kUntitled ? "" : name_;
    char path[MAX_PATH];
    lstrcpynA(path, proposal.c_str(), sizeof path);
    OPENFILENAMEA dialog = FileDialog(hwnd_, path, sizeof path);
    dialog.Flags |= OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameA(&dialog)) return false;
    const DWORD error = SaveToFile(editor_, path);
    if (error != 0) {
        ReportError("save", path, error);
        return false;
    }
    SetDocument(path, FileNameOf(path));
    status_.SetMessage(std::string("Saved ") + path);
    return true;
}

void MainWindow::ReportError(const char* what, const std::string& path, DWORD error) {
    char reason[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason,
                   sizeof reason, nullptr);
    const std::string text = "Cannot " + std::string(what) + " " + path + ".\n\n" + reason;
    MessageBoxA(hwnd_, text.c_str(), kAppName, MB_OK | MB_ICONERROR);
}
