#pragma once
// What the interpreter is waiting for, and the frame step's bookkeeping.
// Both live for the whole run; ResetShellState() puts them back to their
// start values (tests use it between runs).
#include <cstdint>

namespace kb {

// While any flag is 1 the frame step executes no line.  Each flag belongs to
// the command or event that sets it; see where it is written.
struct WaitState {
  int halted = 0;  // the error page or a media notice is on display
  int clickWait = 0;
  int choiceActive = 0;
  int backChoiceActive = 0;
  int timeWait = 0;
  int fadeInRunning = 0;
  int fadeOutRunning = 0;
  int overlapRunning = 0;
  int textInputOpen = 0;
  int wipeRunning = 0;
  int pictureScrollClickWait = 0;
  int figureScrollClickWait = 0;
  int foregroundScrollClickWait = 0;
  int clickPositionWait = 0;
  int charByCharRunning = 0;
  int charByCharPageWait = 0;
  int typingGameRunning = 0;

  // True when no flag except halted is set: the frame step may run a line
  // unless halted.
  bool NothingAwaited() const {
    return !(clickWait || choiceActive || backChoiceActive || timeWait || fadeInRunning || fadeOutRunning ||
             overlapRunning || textInputOpen || wipeRunning || pictureScrollClickWait ||
             figureScrollClickWait || foregroundScrollClickWait || clickPositionWait || charByCharRunning ||
             charByCharPageWait || typingGameRunning);
  }
  bool LineCanRun() const { return !halted && NothingAwaited(); }
};

struct FrameState {
  int moviePlaying = 0;
  int holdProgramCounter = 0;  // one-character output keeps the counter still
  int balanceChecked = 0;      // the block check has reported while the counter is 0
  int restarted = 0;           // the scenario ran off its end and restarted
  int animationInterval = 40;  // milliseconds between effect steps
  std::uint32_t lastAnimationTick = 0;
  std::uint32_t timeWaitStart = 0;
  int timeWaitLength = 0;
  int textPageHidden = 0;
  int clickMarkVisible = 0;
};

extern WaitState waitState;
extern FrameState frameState;

}  // namespace kb
