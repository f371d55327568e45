#include "render/Markers.h"

#include "store/LineRecord.h"

namespace qv {

void SetLineMarker(EditorInstance& ed, LineNumber line, uint32_t id) {
    if (line >= LineCount(ed)) return;
    ed.currentMarkerId = id;
    LineRecordView rec = LineRecordOf(ed, line);
    rec.setFlags((rec.flags() & ~0xFFu) | (id ? kKindCurrent : 0));
    rec.setMarkerId(id);
    rec.setMarkerLine(line);
}

void UnfoldBlock(EditorInstance& ed, LineNumber line) {
    const uint32_t count = LineCount(ed);
    if (line >= count) return;
    SetLineMarker(ed, line, kMarkerBlockOpen);
    for (ViewPane& pane : ed.panes) {
        if (pane.topLine > line) pane.topLine = pane.topLineY = pane.topLineStart = 0;
    }
    for (LineNumber l = line + 1; l < count; ++l) {
        LineRecordView rec = LineRecordOf(ed, l);
        if (!(rec.flags() & kFlagHidden)) break;
        rec.setFlags(rec.flags() & ~kFlagHidden);
        if (ed.hiddenLineCount) --ed.hiddenLineCount;
    }
}

// Not built yet: block marking and the unfold guard.
void MarkBlockStarts(EditorInstance&, const char*) {}
void UnfoldForEdit(EditorInstance&, CharIndex, CharIndex) {}

}  // namespace qv
