#include "edit/EditState.h"

namespace qv {

void BeginEditCommand(EditorInstance& ed) {
    EditState& edit = EditStateOf(ed);
    edit.absorbNextCr = 0;
    edit.keepNextCr = 0;
}

}  // namespace qv
