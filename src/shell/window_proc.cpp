#include "shell/window_proc.h"

#include "display/surface_set.h"
#include "script/call_stack.h"
#include "script/choices.h"
#include "script/labels.h"
#include "script/waits.h"
#include "shell/packed_mode.h"
#include "shell/shutdown.h"
#include "shell/wait_state.h"
#include "text/message_window.h"

namespace kb {

PointerState pointerState;

namespace {

// A click or Enter that no particular wait claims.
void PlainClick() {
  waitState.clickWait = 0;
  waitState.halted = 0;
  frameState.restarted = 0;
  if (waitState.charByCharPageWait) waitState.charByCharPageWait = 0;
}

void OnEnter() {
  if (waitState.halted) {
    waitState.halted = 0;
    waitState.clickWait = 0;
    return;
  }
  if (waitState.clickPositionWait) return;
  if (ChoiceEnter()) return;
  PlainClick();
}

void OnKeyDown(int key) {
  switch (key) {
    case vk::kReturn: OnEnter(); break;
    case vk::kShift: break;
    case vk::kEscape: EndGame(); break;
    case vk::kSpace:
      if (waitSettings.skipAllowed) waitState.clickWait = 0;
      break;
    case vk::kUp: ChoiceKeyUp(); break;
    case vk::kDown: ChoiceKeyDown(); break;
    case vk::kLeft: ChoiceKeyLeft(); break;
    case vk::kRight: ChoiceKeyRight(); break;
    case vk::kF1:
      if (!packedMode.packed) displayState.backScreenView = !displayState.backScreenView;
      break;
    default: break;
  }
}

void OnLeftButton(int x, int y) {
  if (waitState.halted) {
    waitState.halted = 0;
    waitState.clickWait = 0;
    return;
  }
  if (ChoiceLeftButton(x, y)) return;
  PlainClick();
}

// The right button opens the right-click scenario, only during an ordinary
// click wait: not during a choice, an effect, an open dialogue block or
// text page, and not inside the right-click scenario itself.
void OnRightButton() {
  if (callStack.rightClickActive || waitState.choiceActive || waitState.backChoiceActive ||
      waitState.overlapRunning || waitState.fadeInRunning || waitState.fadeOutRunning)
    return;
  if (dialogueBox.blockOpen || textPage.open) return;
  if (!callStack.rightClickSet || !waitState.clickWait) return;
  CallScenario(CallKind::RightClick);
}

}  // namespace

void HandleEvent(const InputEvent& event) {
  pointerState.pointerInside = 1;
  switch (event.type) {
    case EventType::CloseRequest: EndGame(); break;
    case EventType::KeyDown: OnKeyDown(event.key); break;
    case EventType::MouseMove:
      pointerState.lastX = event.x;
      pointerState.lastY = event.y;
      ChoiceMouseMove(event.x, event.y);
      break;
    case EventType::LeftButtonDown: OnLeftButton(event.x, event.y); break;
    case EventType::RightButtonDown: OnRightButton(); break;
    case EventType::PointerLeft: pointerState.pointerInside = 0; break;
    case EventType::TextInput: break;
  }
}

}  // namespace kb
