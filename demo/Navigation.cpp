// Going places: to a line by number, to what a search found, and along the
// bookmarks. Bookmarks are the control's markers with an id of the host's choice.
#include <windows.h>
// windows.h first: the headers below build on it
#include <richedit.h>

#include <algorithm>
#include <cstdio>

#include "DemoIds.h"
#include "MainWindow.h"

namespace {

// The demo's one kind of bookmark. Ids 0, 1 and 2 are the control's own (none, an
// unfolded and a folded block); any other value is free.
const DWORD kBookmark = 100;

struct GoToLineRequest {
    DWORD current;  // lines counted from 1
    DWORD count;
    DWORD chosen;
};

INT_PTR CALLBACK GoToLineProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<GoToLineRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            request = reinterpret_cast<GoToLineRequest*>(lParam);
            char prompt[64];
            std::snprintf(prompt, sizeof prompt,
                          "&Line number (1 - %lu):", static_cast<unsigned long>(request->count));
            SetDlgItemTextA(dialog, IDC_LINE_PROMPT, prompt);
            SetDlgItemInt(dialog, IDC_LINE_NUMBER, request->current, FALSE);
            SendDlgItemMessageA(dialog, IDC_LINE_NUMBER, EM_SETSEL, 0, -1);
            return TRUE;  // the focus goes to the number
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                BOOL number = FALSE;
                const UINT line = GetDlgItemInt(dialog, IDC_LINE_NUMBER, &number, FALSE);
                if (!number) {
                    MessageBeep(MB_ICONWARNING);
                    SetFocus(GetDlgItem(dialog, IDC_LINE_NUMBER));
                    return TRUE;
                }
                request->chosen = std::min<DWORD>(std::max<UINT>(line, 1), request->count);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

void MainWindow::GoToLineDialog() {
    GoToLineRequest request = {CaretLine() + 1,
                               static_cast<DWORD>(SendMessageA(editor_, EM_GETLINECOUNT, 0, 0)), 0};
    if (DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_GOTOLINE), hwnd_, GoToLineProc,
                        reinterpret_cast<LPARAM>(&request)) == IDOK)
        GoToLine(request.chosen - 1);
}

// Shows a line a folded block hides: the control opens the block.
void MainWindow::RevealLine(DWORD line) {
    if (SendMessageA(editor_, EMX_ISLINEHIDDEN, line, 0))
        SendMessageA(editor_, EMX_SETLINEHIDDEN, line, FALSE);
}

// The caret to the start of the line, in the middle of the pane.
void MainWindow::GoToLine(DWORD line) {
    RevealLine(line);
    const LONG start = static_cast<LONG>(SendMessageA(editor_, EM_LINEINDEX, line, 0));
    CHARRANGE caret = {start, start};
    SendMessageA(editor_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    SendMessageA(editor_, EMX_CENTERCARET, 0, 0);
}

// Selects a match, with the caret at its end (searching down) or its start.
void MainWindow::SelectFound(const CHARRANGE& found, bool caretAtEnd) {
    RevealLine(static_cast<DWORD>(SendMessageA(editor_, EM_EXLINEFROMCHAR, 0, found.cpMin)));
    // EM_EXSETSEL keeps cpMin as the anchor and cpMax as the caret.
    CHARRANGE selection = caretAtEnd ? found : CHARRANGE{found.cpMax, found.cpMin};
    SendMessageA(editor_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageA(editor_, EM_SCROLLCARET, 0, 0);
}

void MainWindow::ToggleBookmark() {
    const DWORD line = CaretLine();
    const bool marked = SendMessageA(editor_, EMX_GETMARKER, line, 0) == LRESULT(kBookmark);
    // A bookmark takes the place of a block's marker on its start line (the control
    // opens a folded block first).
    SendMessageA(editor_, EMX_SETMARKER, line, marked ? QV_MARKERID_NONE : kBookmark);
    status_.SetMessage(marked ? "Bookmark removed" : "Bookmark set");
}

// To the next (previous) bookmark, round past the end (the start).
void MainWindow::NextBookmark(bool forward) {
    const DWORD line = CaretLine();
    LRESULT found = SendMessageA(editor_, forward ? EMX_NEXTMARKER : EMX_PREVMARKER, line, kBookmark);
    if (found == -1) {
        if (forward) {
            found = SendMessageA(editor_, EMX_FINDMARKER, kBookmark, 0);  // the first one
        } else {
            const DWORD last = static_cast<DWORD>(SendMessageA(editor_, EM_GETLINECOUNT, 0, 0)) - 1;
            found = SendMessageA(editor_, EMX_GETMARKER, last, 0) == LRESULT(kBookmark)
                        ? LRESULT(last)
                        : SendMessageA(editor_, EMX_PREVMARKER, last, kBookmark);
        }
    }
    if (found == -1 || DWORD(found) == line) {
        MessageBeep(MB_ICONWARNING);
        status_.SetMessage(found == -1 ? "No bookmarks" : "No other bookmark");
        return;
    }
    GoToLine(static_cast<DWORD>(found));
    status_.SetMessage("");
}

void MainWindow::ClearBookmarks() {
    // This also clears the blocks' markers, and opens the folded ones.
    SendMessageA(editor_, EMX_CLEARMARKERS, 0, 0);
    status_.SetMessage("Bookmarks cleared");
}
