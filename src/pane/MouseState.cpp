#include "pane/MouseState.h"

namespace qv {

uint32_t gSmoothWheel = 0;

}  // namespace qv
