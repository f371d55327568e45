// Tight areas for failure injection. The documents of the tests are far smaller
// than the areas' first sizes, so an edit would never grow one: SqueezeAreas lowers
// each area's recorded size to one byte short of what its checks accept, as an area
// is after a change that used part of its headroom, so that the next change of
// any area grows it first, through a real reallocation that can be made to fail.
// The blocks stay as large as they are; the bytes past the lowered size are zeroed,
// as the zero-filled tail of a grown area is. The undo log keeps room for the
// records that undo stepped back over. With `spare` each area keeps that many
// bytes more, so that a command's first checks may pass and a later step of the
// same command be the one that needs the growth.
#pragma once

#include "base/EditorInstance.h"
#include "core/support/FakePlatform.h"

namespace qv::test {

void SqueezeAreas(EditorInstance& ed, const FakePlatform& platform, uint32_t spare = 0);

}  // namespace qv::test
