#pragma once

#include "base/EditorInstance.h"

namespace qv {

// After a deletion command: a document that is one line holding no character at
// all gets its closing CR back, and the pointer becomes the I-beam. A document that
// still holds its closing CR (the deletions never remove it) is left as it is.
void RepairEmptyDocument(EditorInstance& ed);

}  // namespace qv
