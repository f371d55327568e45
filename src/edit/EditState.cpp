#include "edit/EditState.h"

namespace qv {

EditState gEdit;

void ResetEditState() {
    gEdit = EditState{};
}

void BeginEditCommand() {
    gEdit.absorbNextCr = 0;
    gEdit.keepNextCr = 0;
}

}  // namespace qv
