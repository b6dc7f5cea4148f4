#include "display/compose.h"

#include "display/surface_set.h"
#include "shell/wait_state.h"
#include "text/message_window.h"

namespace kb {

void ComposeScreen() {
  if (waitState.halted) return;
  Surface& back = surfaceSet.back;
  if (!back.Exists()) return;
  // 1. Backdrop.
  FillRect(back, 0, 0, back.width, back.height, 0, 0, 0);
  ComposeScreenText(back, 1);
  ComposeDialogueBox(back, 1);
  // 15. Present.
  PresentScreen();
}

}  // namespace kb
