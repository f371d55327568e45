// The one message the control sends its parent: WM_NOTIFY with code 0x702 and the
// SelChangeInfo record (packed by the platform into the host's 54-byte SelChangeEx),
// sent synchronously for every change of text, selection, caret or view. The
// parent may query the control while it handles the notification, so sending
// never leaves the caches in a state that other operations would misread.
//
// Reasons:
//   1     text, selection or caret changed; the line fields describe the caret's line.
//   1234  the view moved by a small vertical scroll (the line field holds the
//         pane's top line + 1) or a margin drag selected lines (the current line).
//   44    a scroll bar or the wheel moved a pane; only the line field (the pane's
//         top line) is filled besides the header and the reason.
//
// `notifiedChangeCount` holds the changeCount of the last notification of reason
// 1 or 1234; the record's changed flag is 1 exactly when the two differ.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"

namespace qv {

constexpr uint32_t kSelChangeCode = 0x702;  // the value of EN_SELCHANGE

constexpr uint16_t kReasonSelChange = 1;
constexpr uint16_t kReasonScrollBar = 44;
constexpr uint16_t kReasonViewMoved = 1234;

// Sends reason 1 or 1234. Unless the reason is 1234 the caret's line is looked up
// first and becomes the current line; for 1234 the current line is reported as it
// stands. wParam is controlId, or the reported line mod linesPerPage while a page
// length is set.
void NotifyParent(EditorInstance& ed, uint16_t reason);

// Reason 1 with `caret` in the record's caret field instead of caretPos, and the
// line fields of that position's line; caretPos itself is not touched, so whatever
// the parent does to the selection meanwhile stands. A drag past a line's end
// reports the position before the line's CR this way.
void NotifyParentReportingCaret(EditorInstance& ed, CharIndex caret);

// Reason 1234 of a small vertical scroll: reports `line` (the pane's top line + 1)
// in the line field, and its page, without touching curLine or the rest of the
// current-line cache.
void NotifyParentOfScroll(EditorInstance& ed, LineNumber line);

// Reason 44 of scroll-bar and wheel scrolling of the pane whose window is
// `paneWindow`: the header, the reason and the pane's top line; every other field 0;
// wParam 0. The change count is not consumed.
void NotifyScrollBarScroll(EditorInstance& ed, WindowRef paneWindow);

}  // namespace qv
