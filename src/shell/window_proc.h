#pragma once
// All player input reaches the game here.  The procedure changes what the
// interpreter waits for; it never runs scenario lines itself.
#include "platform/platform.h"

namespace kb {

struct PointerState {
  int pointerInside = 1;
  int lastX = 0, lastY = 0;
};

extern PointerState pointerState;

void HandleEvent(const InputEvent& event);

}  // namespace kb
