#include "text/message_window.h"

#include "shell/wait_state.h"

namespace kb {

DialogueBox dialogueBox;
TextPage textPage;

void EndBlocksAtEmptyLine() {
  if (dialogueBox.blockOpen) {
    dialogueBox.blockOpen = 0;
    if (!dialogueBox.waitOff) waitState.clickWait = 1;
  }
  if (textPage.open) {
    textPage.open = 0;
    if (!textPage.waitOff) waitState.clickWait = 1;
  }
}

void ShowDialogueLine(std::string_view) {}
void ShowTextPageLine(std::string_view) {}

}  // namespace kb
