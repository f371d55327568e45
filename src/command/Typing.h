// A typed character of a pane (WM_CHAR): a printable character (any byte from
// 0x20 up but 0x7F, which Ctrl+Backspace makes), TAB or CR, end to end.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

// The caret mark of the painter: a '^' opens or closes a block comment that runs
// across lines, so typing or deleting one recolours the rest of the document.
constexpr uint8_t kBlockCommentMark = '^';

// True for the characters a pane inserts: 0x20 and up but 0x7F, TAB and CR.
inline bool IsTypedChar(uint32_t ch) {
    return ch <= 0xFF && ((ch >= 0x20 && ch != 0x7F) || ch == kTab || ch == kCR);
}

// Refused with a beep over a locked line or in a read-only control. Otherwise
// TypeChar (the selection deleted, the character inserted or, in overwrite mode
// over an empty selection, replacing the one under the caret, the indentation
// copied after a CR while autoIndent is on); then the caret is brought into the
// pane's view and placed, as little is repainted as the change needs (both panes
// in full after a line break, a '^', or a selection replaced; otherwise the
// caret's line in both panes), caretX is taken and the parent notified.
void TypeCharCommand(EditorInstance& ed, WindowRef paneWindow, uint8_t ch);

}  // namespace qv
