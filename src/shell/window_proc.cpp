#include "shell/window_proc.h"

#include "display/surface_set.h"
#include "script/call_stack.h"
#include "script/choices.h"
#include "script/labels.h"
#include "script/scenario_store.h"
#include "script/waits.h"
#include "shell/game_config.h"
#include "shell/packed_mode.h"
#include "shell/shutdown.h"
#include "shell/wait_state.h"
#include "text/message_window.h"

namespace kb {

PointerState pointerState;
InputHooks inputHooks;

namespace {

// --- the hooks, with what an empty entry stands for -----------------------

int AnswerCount() { return inputHooks.choiceAnswerCount ? inputHooks.choiceAnswerCount() : 0; }
int Highlighted() { return inputHooks.highlightedAnswer ? inputHooks.highlightedAnswer() : 0; }
void SetHighlighted(int n) {
  if (inputHooks.setHighlightedAnswer) inputHooks.setHighlightedAnswer(n);
}
int ChoiceAt(int x, int y) { return inputHooks.choiceAt ? inputHooks.choiceAt(x, y) : 0; }
int ClassifyBackScreenColour(int x, int y) {
  return inputHooks.classifyBackScreenColour ? inputHooks.classifyBackScreenColour(x, y) : -1;
}
bool PseudoCursorOn() { return inputHooks.pseudoCursorOn && inputHooks.pseudoCursorOn(); }

// --- the rules --------------------------------------------------------------

// A click or Enter that no particular wait claims.  (The click that
// dismisses the error page is not one: it leaves restarted set.)
void PlainClick() {
  waitState.clickWait = 0;
  waitState.halted = 0;
  frameState.restarted = 0;
  if (waitState.charByCharPageWait) waitState.charByCharPageWait = 0;
}

void DismissPage() {
  waitState.halted = 0;
  waitState.clickWait = 0;
}

// The picked answer's branch: the counter goes to its label, and the frame
// step runs the line after it.  After a failure (reported by the choice)
// the line after the current one runs.
void Pick() {
  if (inputHooks.disarmChoiceTimer) inputHooks.disarmChoiceTimer();
  const int p = inputHooks.chooseAnswer ? inputHooks.chooseAnswer() : -1;
  if (p > 0) programCounter = p;
  programCounter += 1;
}

// The scroll click wait that a click or Enter answers, picture first; false
// when no scroll waits.
bool AnswerScrollClick() {
  if (waitState.pictureScrollClickWait)
    ScrollClickHandler(ScrollLayer::Picture);
  else if (waitState.figureScrollClickWait)
    ScrollClickHandler(ScrollLayer::Figure);
  else if (waitState.foregroundScrollClickWait)
    ScrollClickHandler(ScrollLayer::Foreground);
  else
    return false;
  return true;
}

void OnEnter() {
  if (waitState.halted) {
    DismissPage();
    return;
  }
  if (waitState.clickPositionWait) return;  // only a click answers it
  if (AnswerScrollClick()) return;
  if (waitState.backChoiceActive) return;  // a picture choice takes only the mouse
  if (waitState.choiceActive && Highlighted() > 0) {
    // Enter picks as a click on the answer does: the choice closes, or the
    // interpreter would wait on a choice whose branch already runs.
    waitState.clickWait = 0;
    waitState.choiceActive = 0;
    Pick();
    return;
  }
  // With no answer highlighted this clears clickWait only: choiceActive
  // still holds the interpreter.
  PlainClick();
}

void OnLeftButton(int x, int y) {
  if (waitState.halted) {
    DismissPage();
    return;
  }
  if (waitState.clickPositionWait) {
    ClickPositionHandler(x, y);
    return;
  }
  if (AnswerScrollClick()) return;
  if (waitState.backChoiceActive) {
    const int n = ClassifyBackScreenColour(x, y);
    SetHighlighted(n);
    if (n > 0) {
      waitState.clickWait = 0;
      waitState.backChoiceActive = 0;
      if (inputHooks.hideHoverPicture) inputHooks.hideHoverPicture();
      Pick();
    }
    return;  // a click on no answer does nothing
  }
  if (waitState.choiceActive) {
    const int n = ChoiceAt(x, y);
    SetHighlighted(n);
    if (n > 0) {
      waitState.clickWait = 0;
      waitState.choiceActive = 0;
      Pick();
    }
    return;
  }
  PlainClick();
}

// The right button opens the right-click scenario, only during an ordinary
// click wait: not during a choice, a fade or an overlap, not while a
// dialogue block or the text page is open, and not inside the right-click
// scenario itself.
void OnRightButton() {
  if (callStack.rightClickActive || waitState.choiceActive || waitState.backChoiceActive ||
      waitState.overlapRunning || waitState.fadeInRunning || waitState.fadeOutRunning)
    return;
  if (dialogueBox.blockOpen || textPage.open) return;
  if (!callStack.rightClickSet || !waitState.clickWait) return;
  CallScenario(CallKind::RightClick);
}

void OnMouseMove(int x, int y) {
  pointerState.lastX = x;
  pointerState.lastY = y;
  pointerState.pointerInside = 1;
  if (waitState.backChoiceActive) {
    if (inputHooks.pictureChoiceHover) inputHooks.pictureChoiceHover(x, y);
  } else if (waitState.choiceActive) {
    // Moving off the answers keeps the last one highlighted.
    const int n = ChoiceAt(x, y);
    if (n > 0) SetHighlighted(n);
  }
}

void OnKeyDown(int key) {
  switch (key) {
    case vk::kReturn: OnEnter(); break;
    case vk::kShift: break;
    case vk::kControl:
      if (inputHooks.toggleTextWindow) inputHooks.toggleTextWindow();
      break;
    case vk::kEscape: EndGame(); break;
    case vk::kSpace:
      // Only the click wait: never the error page, a choice or a timed wait.
      if (waitSettings.skipAllowed) waitState.clickWait = 0;
      break;
    case vk::kUp:
      if (waitState.choiceActive) {
        const int n = Highlighted() - 1;
        SetHighlighted(n < 1 ? 1 : n);
      }
      break;
    case vk::kDown:
      if (waitState.choiceActive) {
        const int n = Highlighted() + 1;
        SetHighlighted(n > AnswerCount() ? AnswerCount() : n);
      }
      break;
    case vk::kF1:
      // The back-screen view is a tool for writing a game: packed games
      // never show it.
      if (!packedMode.packed) displayState.backScreenView = !displayState.backScreenView;
      break;
    case vk::kLeft:
    case vk::kRight:
      // Left and right move between the columns of a text choice.
      if (waitState.choiceActive) {
        if (key == vk::kLeft)
          ChoiceKeyLeft();
        else
          ChoiceKeyRight();
        break;
      }
      [[fallthrough]];
    default:
      if (waitState.typingGameRunning && inputHooks.typingKey)
        inputHooks.typingKey(key >= 'a' && key <= 'z' ? key - ('a' - 'A') : key);
      break;
  }
}

void ShowSystemCursor(bool visible) {
  pointerState.cursorHidden = visible ? 0 : 1;
  GetPlatform().ShowCursor(visible);
}

}  // namespace

void HandleEvent(const InputEvent& event) {
  pointerState.pointerInside = 1;
  switch (event.type) {
    case EventType::CloseRequest: EndGame(); break;
    case EventType::KeyDown: OnKeyDown(event.key); break;
    case EventType::MouseMove: OnMouseMove(event.x, event.y); break;
    case EventType::LeftButtonDown: OnLeftButton(event.x, event.y); break;
    case EventType::RightButtonDown: OnRightButton(); break;
    case EventType::PointerLeft:
      pointerState.pointerInside = 0;
      ShowSystemCursor(true);
      break;
    case EventType::TypingSoundDone:
      if (inputHooks.typingSoundDone) inputHooks.typingSoundDone();
      break;
    case EventType::TextInput: break;  // only the text-input box takes text
  }
}

void PointerTest() {
  if (!PseudoCursorOn() || gameConfig.windowMode == 0) return;
  // The outer rectangle, frame and caption included, edges included.
  if (!(pointerState.pointerInside && GetPlatform().PointerOverWindow())) pointerState.pointerInside = 0;
}

void UpdateCursor() {
  const bool hide = PseudoCursorOn() && pointerState.pointerInside;
  if (hide != (pointerState.cursorHidden != 0)) ShowSystemCursor(!hide);
}

}  // namespace kb
