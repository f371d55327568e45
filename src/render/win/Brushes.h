#pragma once

#include "base/EditorInstance.h"

namespace qv {

// Deletes the brushes that exist and makes the twelve again from the current
// colours, in brush order: colours 0-4, plainBackColor, colours 11-15 and 26.
void CreateBrushes(EditorInstance& ed);
void DeleteBrushes(EditorInstance& ed);

}  // namespace qv
