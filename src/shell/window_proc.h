#pragma once
// All player input reaches the game here.  The procedure changes what the
// interpreter waits for; it never runs scenario lines itself (picking a
// choice only sets the counter).
#include "platform/platform.h"

namespace kb {

// Reset with the rest of the game state.
struct PointerState {
  int pointerInside = 1;     // set by every event; lowered when the pointer leaves
  int lastX = 0, lastY = 0;  // game-screen pixels of the last mouse move
  int cursorHidden = 0;      // the system cursor is hidden now
};

extern PointerState pointerState;

// What the procedure asks of the parts of the game that input reaches but
// that are built elsewhere: the open choice, the text window, the
// pseudo-cursor and the typing game.  Each owner fills its entries in when
// it is wired up; an empty entry behaves as its comment says, which is what
// a game sees while that part is missing.
struct InputHooks {
  // The open text choice.
  int (*choiceAnswerCount)() = nullptr;           // empty: 0
  int (*highlightedAnswer)() = nullptr;           // 0 for none; empty: 0
  void (*setHighlightedAnswer)(int n) = nullptr;  // empty: nothing
  int (*choiceAt)(int x, int y) = nullptr;        // answer under the point, 0 for none; empty: 0
  // The open picture choice.  The answer whose colour the back screen
  // has under the point, -1 for none (empty: -1); the hover picture and
  // sound for the point (empty: nothing).
  int (*classifyBackScreenColour)(int x, int y) = nullptr;
  void (*pictureChoiceHover)(int x, int y) = nullptr;
  void (*hideHoverPicture)() = nullptr;  // empty: nothing
  // Both kinds.
  void (*disarmChoiceTimer)() = nullptr;  // empty: nothing
  // Finds the label of the highlighted answer: its line, or -1 after a
  // reported failure.  Resets the highlight.  Empty: -1.
  int (*chooseAnswer)() = nullptr;
  // Ctrl: hides the text window, or shows it again.  Empty: nothing.
  void (*toggleTextWindow)() = nullptr;
  // The pseudo-cursor replaces the system cursor.  Empty: never.
  bool (*pseudoCursorOn)() = nullptr;
  // A key for the running typing game (its upper-cased virtual-key
  // number), and the end of one of its sounds.  Empty: nothing.
  void (*typingKey)(int key) = nullptr;
  void (*typingSoundDone)() = nullptr;
};

extern InputHooks inputHooks;

// The window procedure: one event from the platform.
void HandleEvent(const InputEvent& event);

// The frame step's pointer check: in a window, while the pseudo-cursor is
// on, pointer inside falls to 0 once the pointer has left the window's
// outer rectangle (only the next event raises it again).
void PointerTest();
// The frame step's cursor: hidden while the pseudo-cursor is on and the
// pointer is inside, the arrow otherwise.
void UpdateCursor();

}  // namespace kb
