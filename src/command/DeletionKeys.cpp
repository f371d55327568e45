#include "command/DeletionKeys.h"

#include <algorithm>

#include "base/Platform.h"
#include "command/CommandSteps.h"
#include "command/DocumentCommands.h"
#include "command/EmptyDocumentRepair.h"
#include "command/Typing.h"
#include "edit/Notify.h"
#include "edit/TextEdit.h"
#include "pane/CaretGeometry.h"
#include "pane/PaneView.h"
#include "render/LineLocks.h"
#include "render/Words.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

bool Refused(EditorInstance& ed, CharIndex a, CharIndex b) {
    if (!IsRangeLocked(ed, a, b)) return false;
    ThePlatform().Beep();
    return true;
}

void TakeCaretX(const EditorInstance& ed, ViewPane& pane) { pane.caretX = PlacedCaret(ed).x; }

// The selection deleted, as Backspace and Delete delete it: one kind-6 record, the
// caret brought into view, both panes repainted, the empty-document repair.
void DeleteSelection(EditorInstance& ed, ViewPane& pane) {
    bool ok = true;
    ClearSelection(ed, &ok);
    if (!ok) return;  // nothing changed; the message was shown
    LocateChar(ed, ed.caretPos);
    ScrollCaretIntoView(ed, pane.hwnd, static_cast<uint32_t>(pane.scrollY));
    PlaceCaret(ed, static_cast<uint32_t>(pane.scrollY));
    RefreshBothPanes(ed);
    RepairEmptyDocument(ed);
    TakeCaretX(ed, pane);
    NotifyParent(ed, kReasonSelChange);
}

// After one character went: a line break or a '^' changes what follows it (the
// lines below move, the colouring of the rest changes), anything else one line.
void RepaintAfterCharDeleted(EditorInstance& ed, uint32_t deleted) {
    if (deleted == kCR || deleted == kBlockCommentMark)
        RefreshBothPanes(ed);
    else
        InvalidateLineInBothPanes(ed, ed.curLine);
}

// The index of the closing CR: the caret never deletes it or anything after it.
CharIndex ClosingCr(EditorInstance& ed) { return LocateChar(ed, kNoIndex).index - 1; }

}  // namespace

void BackspaceCommand(EditorInstance& ed, WindowRef paneWindow) {
    ViewPane& pane = PaneOf(ed, paneWindow);
    const bool hadSelection = ed.selAnchor != ed.caretPos;
    if (!hadSelection && ed.caretPos == 0) return;
    if (hadSelection) {
        if (!Refused(ed, ed.selAnchor, ed.caretPos)) DeleteSelection(ed, pane);
        return;
    }
    // The character before the caret: a line break there joins its line, which
    // must be unlocked as well as the caret's.
    const CharIndex caret = std::min(ed.caretPos, ClosingCr(ed) + 1);
    if (Refused(ed, caret - 1, caret)) return;
    bool ok = true;
    const uint32_t deleted = BackspaceKey(ed, &ok);
    if (!ok) return;  // nothing changed; the message was shown

    LocateChar(ed, ed.caretPos);
    const int32_t y = PlaceCaret(ed, static_cast<uint32_t>(pane.scrollY));
    if (deleted == kCR && y < 0) {
        // The joined line lies above the pane: the pane moves up to it.
        pane.scrollY += y;
        PlaceCaret(ed, static_cast<uint32_t>(pane.scrollY));
    }
    ScrollCaretIntoView(ed, pane.hwnd, static_cast<uint32_t>(pane.scrollY));
    PlaceCaret(ed, static_cast<uint32_t>(pane.scrollY));
    RepaintAfterCharDeleted(ed, deleted);
    TakeCaretX(ed, pane);
    NotifyParent(ed, kReasonSelChange);
}

void DeleteWordBackCommand(EditorInstance& ed, WindowRef paneWindow) {
    const CharIndex caret = std::min(ed.caretPos, ClosingCr(ed));
    const CharLocation at = LocateChar(ed, caret);
    if (ed.selAnchor != ed.caretPos || at.column == 0) {
        BackspaceCommand(ed, paneWindow);
        return;
    }
    const CharIndex start = WordBackStart(ed, caret);
    if (Refused(ed, start, caret)) return;
    // The word is deleted as a selection would be: one kind-6 record.
    ed.selAnchor = start;
    ed.caretPos = caret;
    bool ok = true;
    ClearSelection(ed, &ok);
    if (!ok) {
        ed.selAnchor = ed.caretPos;  // nothing changed: the caret stays where it was
        return;
    }
    ViewPane& pane = PaneOf(ed, paneWindow);
    LocateChar(ed, ed.caretPos);
    ScrollCaretIntoView(ed, pane.hwnd, static_cast<uint32_t>(pane.scrollY));
    PlaceCaret(ed, static_cast<uint32_t>(pane.scrollY));
    RefreshBothPanes(ed);  // the word may have held a '^'
    TakeCaretX(ed, pane);
    NotifyParent(ed, kReasonSelChange);
}

void DeleteKeyCommand(EditorInstance& ed, WindowRef paneWindow) {
    ViewPane& pane = PaneOf(ed, paneWindow);
    const CharIndex lo = std::min(ed.selAnchor, ed.caretPos);
    const CharIndex hi = std::max(ed.selAnchor, ed.caretPos);
    // A selection of exactly one CR is deleted as that one character.
    const bool oneCr = hi - lo == 1 && CharAt(ed, lo) == kCR;
    if (lo != hi && !oneCr) {
        if (!Refused(ed, ed.selAnchor, ed.caretPos)) DeleteSelection(ed, pane);
        return;
    }
    // The character at lo, and for a line break the next line that it joins.
    if (Refused(ed, lo, lo + 1)) return;
    // At the end of the text (the caret on or after the closing CR) there is
    // nothing to delete, whatever the selection's other end.
    if (lo >= ClosingCr(ed)) return;
    ed.selAnchor = ed.caretPos = lo;
    bool ok = true;
    const uint32_t deleted = DeleteKey(ed, &ok);
    if (!ok) return;  // nothing changed; the message was shown
    LocateChar(ed, ed.caretPos);
    ScrollCaretIntoView(ed, pane.hwnd, static_cast<uint32_t>(pane.scrollY));
    PlaceCaret(ed, static_cast<uint32_t>(pane.scrollY));
    if (oneCr) {
        RefreshBothPanes(ed);  // the selection is gone from the screen too
    } else {
        RepaintAfterCharDeleted(ed, deleted);
    }
    TakeCaretX(ed, pane);
    NotifyParent(ed, kReasonSelChange);
}

}  // namespace qv
