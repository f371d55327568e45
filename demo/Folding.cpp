// Folding: blocks run from a line matching the start pattern to the next line
// matching the end pattern, "$ proc" and "$ endp" (a name, then PROC or ENDP).
// Folding hides the lines between the two; the start and end lines stay.
#include <windows.h>

#include "MainWindow.h"

namespace {

BlockPatternPair DefaultPatterns() {
    BlockPatternPair patterns = {QV_BLOCK_START_DEFAULT, QV_BLOCK_END_DEFAULT};
    return patterns;
}

bool Matches(HWND editor, DWORD line, const char* pattern) {
    return SendMessageA(editor, EMX_MATCHBLOCKPATTERN, line, reinterpret_cast<LPARAM>(pattern)) >= 0;
}

}  // namespace

// The start line of the block the caret is in (on its start or end line, or
// between), or -1.
LRESULT MainWindow::BlockAtCaret() {
    const BlockPatternPair patterns = DefaultPatterns();
    const DWORD caretLine = CaretLine();
    for (DWORD line = caretLine + 1; line-- > 0;) {
        if (Matches(editor_, line, patterns.start)) return line;
        if (line != caretLine && Matches(editor_, line, patterns.end)) return -1;  // below a block
    }
    return -1;
}

void MainWindow::ToggleFoldAtCaret() {
    const LRESULT start = BlockAtCaret();
    if (start == -1) {
        MessageBeep(MB_ICONWARNING);
        status_.SetMessage("The caret is in no block");
        return;
    }
    // A folded block hides the line after its start.
    if (SendMessageA(editor_, EMX_ISLINEHIDDEN, start + 1, 0)) {
        SendMessageA(editor_, EMX_UNFOLDBLOCK, start, 0);
        status_.SetMessage("Block unfolded");
    } else {
        // A caret on a line the fold hides moves to the start line.
        BlockPatternPair patterns = DefaultPatterns();
        SendMessageA(editor_, EMX_FOLDBLOCK, start, reinterpret_cast<LPARAM>(&patterns));
        status_.SetMessage(SendMessageA(editor_, EMX_ISLINEHIDDEN, start + 1, 0)
                               ? "Block folded"
                               : "The block has no end line");
    }
}

// EMX_MARKBLOCKS marks every block start of the text as it is now (the user may have
// typed new ones since the file was read); EMX_FOLDALL then folds them all. A start
// line with a bookmark keeps it, unfolded.
void MainWindow::FoldAll() {
    BlockPatternPair patterns = DefaultPatterns();
    SendMessageA(editor_, EMX_MARKBLOCKS, 0, reinterpret_cast<LPARAM>(&patterns));
    SendMessageA(editor_, EMX_FOLDALL, 0, reinterpret_cast<LPARAM>(&patterns));
    status_.SetMessage("Blocks folded");
}
