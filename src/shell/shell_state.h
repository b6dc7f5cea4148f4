#pragma once
// The host's own state: whether the window still exists and the main loop
// should go on.
namespace kb {

struct ShellState {
  int windowOpen = 0;
  int quitPosted = 0;  // the window has been destroyed: the main loop ends
  int quitValue = 0;
  int gameEnded = 0;  // EndGame has run
};

extern ShellState shellState;

}  // namespace kb
