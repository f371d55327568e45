// Everything about the per-line markers, in one include: bookmarks with host ids,
// block patterns and block starts, folding and unfolding of blocks, hidden lines
// and the unfold guard of the edits. Each part lives in a file of its own.
#pragma once

#include "render/BlockStarts.h"
#include "render/Bookmarks.h"
#include "render/Folding.h"
#include "render/HiddenLines.h"
#include "render/MarkerBits.h"
