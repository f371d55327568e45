#include "command/StreamCommands.h"

#include "base/Platform.h"
#include "command/CommandSteps.h"
#include "edit/Notify.h"
#include "edit/TextEdit.h"
#include "edit/UndoLog.h"
#include "pane/CaretGeometry.h"
#include "pane/PaneView.h"
#include "render/BlockPatterns.h"
#include "render/Markers.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

// The checks both directions make before the callback is ever called.
bool Accepts(EditStream* stream, const StreamFormat& format) {
    if (!stream) return false;
    if (!stream->callback) {
        stream->error = kErrorInvalidParameter;
        return false;
    }
    if (!format.supported) {
        stream->error = kErrorNotSupported;
        return false;
    }
    return true;
}

uint32_t CountHiddenLines(const EditorInstance& ed) {
    uint32_t hidden = 0;
    const uint32_t count = LineCount(ed);
    for (LineNumber line = 0; line < count; ++line)
        hidden += (LineRecordOf(ed, line).flags() & kFlagHidden) != 0;
    return hidden;
}

// The view of a freshly loaded document: both panes at the top, the selection and
// the caret at 0, the current line the first one.
void ResetViewToTop(EditorInstance& ed) {
    for (ViewPane& pane : ed.panes) {
        pane.scrollY = 0;
        pane.caretX = 0;
        pane.scrollX = 0;
        pane.topLine = pane.topLineY = pane.topLineStart = 0;
    }
    ed.selAnchor = ed.caretPos = 0;
    ed.clickGridX = ed.dragGridX = 0;
    ed.mouseSelStart = ed.mouseSelEnd = 0;
    LocateChar(ed, 0);
}

// After a whole-document stream-in.
void FinishDocumentLoad(EditorInstance& ed, const StreamInResult& result) {
    if (result.inserted > 0) EmptyUndoLog(ed);
    ed.hiddenLineCount = CountHiddenLines(ed);
    ResetViewToTop(ed);
    RefreshBothPanes(ed);
    PlaceCaret(ed, 0);
    NotifyParent(ed, kReasonSelChange);
}

// After a stream-in over the selection: what a paste does.
void FinishSelectionLoad(EditorInstance& ed, const StreamInResult& result) {
    if (result.started) ed.selAnchor = ed.caretPos = result.end;
    BringCaretIntoView(ed);
    RefreshBothPanes(ed);
    ActivePane(ed).caretX = PlacedCaret(ed).x;
    NotifyParent(ed, kReasonSelChange);
}

}  // namespace

uint32_t StreamInCommand(EditorInstance& ed, EditStream* stream, uint32_t flags, const uint32_t* abandoned,
                         LoadedLineEnds* loaded) {
    const StreamFormat format = ReadStreamFormat(flags);
    if (!Accepts(stream, format)) return 0;
    if (format.selection && RefuseLockedSelection(ed)) {
        stream->error = kErrorAccessDenied;
        return 0;
    }
    WaitCursor wait;
    StreamInRequest request;
    request.unicode = format.unicode;
    request.abandoned = abandoned;
    if (format.selection) {
        request.replace = true;
        request.from = ed.selAnchor;
        request.to = ed.caretPos;
        UnfoldForEdit(ed, ed.selAnchor, ed.caretPos);
    } else {
        ed.maxLineLength = 0;
        // A header on line 0 keeps its flags on the first inserted line: its block is
        // unfolded first, so that no hidden lines are left without their header.
        UnfoldForEdit(ed, 0, 0);
    }
    const StreamInResult result = StreamIn(ed, *stream, request);
    if (loaded && !format.selection && result.started && !result.abandoned) *loaded = {true, result.lineEnds};
    // A stream that could not start (no transfer buffer), or that found no room for
    // its text and so changed nothing, leaves the selection and the view as they were.
    if (result.abandoned || result.refused) return result.bytes;
    if (!result.changed && stream->error == kErrorNotEnoughMemory) return result.bytes;
    EndMouseDrag(ed);  // a drag's positions no longer hold
    if (format.selection)
        FinishSelectionLoad(ed, result);
    else
        FinishDocumentLoad(ed, result);
    MarkBlockStarts(ed, kBlockPatterns.start);
    return result.bytes;
}

uint32_t StreamOutCommand(EditorInstance& ed, EditStream* stream, uint32_t flags, const uint32_t* abandoned,
                          LineEnd lineEnd, bool finalLineEnd) {
    const StreamFormat format = ReadStreamFormat(flags);
    if (!Accepts(stream, format)) return 0;
    StreamOutRequest request;
    request.selection = format.selection;
    request.from = ed.selAnchor;
    request.to = ed.caretPos;
    request.unicode = format.unicode;
    request.abandoned = abandoned;
    request.lineEnd = lineEnd;
    request.finalLineEnd = finalLineEnd;
    return StreamOut(ed, *stream, request);
}

}  // namespace qv
