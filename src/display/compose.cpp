#include "display/compose.h"

#include "display/surface_set.h"
#include "shell/wait_state.h"

namespace kb {

void ComposeScreen() {
  if (waitState.halted) return;
  Surface& back = surfaceSet.back;
  if (!back.Exists()) return;
  // 1. Backdrop.
  FillRect(back, 0, 0, back.width, back.height, 0, 0, 0);
  // 15. Present.
  PresentScreen();
}

}  // namespace kb
