#include "render/BlockPatterns.h"

namespace qv {

BlockPatterns gBlockPatterns = {"$ proc", "$ endp"};

void ResetBlockPatterns() { gBlockPatterns = {"$ proc", "$ endp"}; }

}  // namespace qv
