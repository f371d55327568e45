// Find and replace: the common find and replace dialogs (modeless; their requests
// arrive as the registered FINDMSGSTRING message) and EM_FINDTEXTEX. The control
// searches; the host selects what it found.
#include <windows.h>
// windows.h first: the headers below build on it
#include <commdlg.h>
#include <richedit.h>

#include "MainWindow.h"

void MainWindow::ShowFindDialog(bool replace) {
    if (findDialog_) {
        if (findIsReplace_ == replace) {
            SetFocus(findDialog_);
            return;
        }
        DestroyWindow(findDialog_);
        findDialog_ = nullptr;
    }
    // A selection within one line is what the user wants to find. Only such a
    // selection is read: one that holds line ends is longer than its ends say when
    // they are written as CR LF.
    CHARRANGE selection;
    SendMessageA(editor_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const bool oneLine = SendMessageA(editor_, EM_EXLINEFROMCHAR, 0, selection.cpMin) ==
                         SendMessageA(editor_, EM_EXLINEFROMCHAR, 0, selection.cpMax);
    const LONG length = selection.cpMax - selection.cpMin;
    if (oneLine && length > 0 && length < LONG(sizeof findWhat_)) {
        char text[sizeof findWhat_];
        SendMessageA(editor_, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text));
        lstrcpynA(findWhat_, text, sizeof findWhat_);
    }
    // The options the user chose last time stay.
    const DWORD options = find_.lStructSize ? find_.Flags & (FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD) : FR_DOWN;
    find_ = {};
    find_.lStructSize = sizeof find_;
    find_.hwndOwner = hwnd_;
    find_.Flags = options;
    find_.lpstrFindWhat = findWhat_;
    find_.wFindWhatLen = sizeof findWhat_;
    find_.lpstrReplaceWith = replaceWith_;
    find_.wReplaceWithLen = sizeof replaceWith_;
    findDialog_ = replace ? ReplaceTextA(&find_) : FindTextA(&find_);
    findIsReplace_ = replace;
}

void MainWindow::OnFindReplace(const FINDREPLACEA& request) {
    if (request.Flags & FR_DIALOGTERM) {
        findDialog_ = nullptr;
        return;
    }
    // The replace dialog has no direction: it searches down.
    if (request.Flags & FR_FINDNEXT) FindNext(findIsReplace_ || (request.Flags & FR_DOWN));
    if (request.Flags & FR_REPLACE) ReplaceOnce();
    if (request.Flags & FR_REPLACEALL) ReplaceAll();
}

WPARAM MainWindow::SearchFlags(bool down) const {
    return (down ? FR_DOWN : 0) | (find_.Flags & (FR_MATCHCASE | FR_WHOLEWORD));
}

// Finds from the selection on, or back from it; past the end (or the start) the
// search goes on from the other end once.
bool MainWindow::FindNext(bool down) {
    if (findWhat_[0] == '\0') {
        ShowFindDialog(false);
        return false;
    }
    CHARRANGE selection;
    SendMessageA(editor_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    FINDTEXTEXA search = {};
    search.lpstrText = findWhat_;
    // Forwards from the selection's end; backwards, the nearest match that ends at or
    // before its start. cpMax -1 reaches the end (the start).
    search.chrg.cpMin = down ? selection.cpMax : selection.cpMin;
    search.chrg.cpMax = -1;
    LRESULT found =
        SendMessageA(editor_, EM_FINDTEXTEX, SearchFlags(down), reinterpret_cast<LPARAM>(&search));
    const char* wrapped = nullptr;
    if (found == -1) {
        GETTEXTLENGTHEX length = {GTL_DEFAULT, CP_ACP};
        search.chrg.cpMin = down ? 0
                                 : static_cast<LONG>(SendMessageA(editor_, EM_GETTEXTLENGTHEX,
                                                                  reinterpret_cast<WPARAM>(&length), 0));
        found = SendMessageA(editor_, EM_FINDTEXTEX, SearchFlags(down), reinterpret_cast<LPARAM>(&search));
        wrapped = down ? "Passed the end: found from the start" : "Passed the start: found from the end";
    }
    if (found == -1) {
        MessageBeep(MB_ICONWARNING);
        status_.SetMessage("Cannot find \"" + std::string(findWhat_) + "\"");
        return false;
    }
    SelectFound(search.chrgText, down);
    status_.SetMessage(wrapped ? wrapped : "");
    return true;
}

// True when the selection is a match of the search text with the current options.
bool MainWindow::SelectionIsMatch() {
    CHARRANGE selection;
    SendMessageA(editor_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (selection.cpMin == selection.cpMax) return false;
    FINDTEXTEXA search = {};
    search.chrg = selection;
    search.lpstrText = findWhat_;
    return SendMessageA(editor_, EM_FINDTEXTEX, SearchFlags(true), reinterpret_cast<LPARAM>(&search)) ==
               selection.cpMin &&
           search.chrgText.cpMax == selection.cpMax;
}

// Replaces the selected match, then finds the next one.
void MainWindow::ReplaceOnce() {
    if (SelectionIsMatch())
        SendMessageA(editor_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replaceWith_));
    FindNext(true);
}

// Every match from the start, each replacement one undo step. A match on a locked
// line stays: the control refuses the replacement and keeps the selection.
void MainWindow::ReplaceAll() {
    if (findWhat_[0] == '\0') return;
    int replaced = 0, refused = 0;
    FINDTEXTEXA search = {};
    search.lpstrText = findWhat_;
    search.chrg.cpMin = 0;
    search.chrg.cpMax = -1;
    while (SendMessageA(editor_, EM_FINDTEXTEX, SearchFlags(true), reinterpret_cast<LPARAM>(&search)) != -1) {
        SendMessageA(editor_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&search.chrgText));
        SendMessageA(editor_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replaceWith_));
        CHARRANGE after;
        SendMessageA(editor_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&after));
        if (after.cpMin != after.cpMax) {
            ++refused;  // still selected: the replacement was refused
            search.chrg.cpMin = search.chrgText.cpMax;
        } else {
            ++replaced;
            search.chrg.cpMin = after.cpMax;  // after the replacement: it is never searched again
        }
        search.chrg.cpMax = -1;
    }
    SendMessageA(editor_, EM_SCROLLCARET, 0, 0);
    std::string message = "Replaced " + std::to_string(replaced) + (replaced == 1 ? " match" : " matches");
    if (refused) message += ", " + std::to_string(refused) + " on locked lines left";
    status_.SetMessage(message);
}
