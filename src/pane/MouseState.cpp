#include "pane/MouseState.h"

namespace qv {

MouseState gMouse;

}  // namespace qv
