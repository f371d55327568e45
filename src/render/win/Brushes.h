#pragma once

#include "base/EditorInstance.h"

namespace qv {

// Makes the twelve brushes from the current colours, in brush order: colours 0-4,
// plainBackColor, colours 11-15 and 26, and only then deletes the old ones. When
// any of them cannot be made, the new ones are deleted and the old ones stay:
// false. A control never paints with a brush missing.
bool CreateBrushes(EditorInstance& ed);
void DeleteBrushes(EditorInstance& ed);

}  // namespace qv
