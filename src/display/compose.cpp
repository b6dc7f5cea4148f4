#include "display/compose.h"

#include "display/surface_set.h"
#include "script/choices.h"
#include "shell/wait_state.h"

namespace kb {

void ComposeScreen() {
  if (waitState.halted) return;
  Surface& back = surfaceSet.back;
  if (!back.Exists()) return;
  // 1. Backdrop.
  FillRect(back, 0, 0, back.width, back.height, 0, 0, 0);
  // 5. The picture choice's hover picture.
  ComposeHoverPicture(back);
  // 10. The text choice.
  ComposeTextChoice(back);
  // 15. Present.
  PresentScreen();
}

}  // namespace kb
