#include "command/EmptyDocumentRepair.h"

#include "edit/TextEdit.h"
#include "base/Platform.h"
#include "store/PositionMap.h"

namespace qv {

void RepairEmptyDocument(EditorInstance& ed) {
    if (LineCount(ed) != 1 || LineLength(ed, 0) != 0) return;
    const uint32_t modified = ed.modified;
    InsertEndMark(ed);
    ed.modified = modified;
    ThePlatform().SetCursor(StdCursor::IBeam);
}

}  // namespace qv
