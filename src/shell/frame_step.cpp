#include "shell/frame_step.h"

#include "base/sjis_literal.h"
#include "display/compose.h"
#include "display/layers.h"
#include "display/surface_set.h"
#include "platform/platform.h"
#include "script/call_stack.h"
#include "script/choices.h"
#include "script/command_table.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "script/waits.h"
#include "shell/wait_state.h"
#include "shell/window_proc.h"
#include "text/message_window.h"
#include "text/text_output.h"
#include "vars/variables.h"

namespace kb {

WaitState waitState;
FrameState frameState;

namespace {

constexpr int kCounterGuard = 4510;

// The scenario has run off its end: return to the calling scenario, or
// start the start scenario again from its first line.
void EndOfScenario() {
  if (callStack.depth < 0) {
    ReportError("シナリオＮＯがマイナスになりました"_sj, "予期しないエラーです"_sj);
    callStack.depth = 0;
    programCounter = 0;
    return;
  }
  if (callStack.depth == 0) {
    ReportError("シナリオが終了しました。"_sj, "始めから実行します。"_sj);
    programCounter = 0;
    frameState.restarted = 1;
    ClearVariables();
    ResetLayersForRestart();
    dialogueBox.shown = 0;
    // The store still holds the start scenario: it is not read again.
    return;
  }
  callStack.depth -= 1;
  const auto depth = static_cast<std::size_t>(callStack.depth);
  if (!LoadScenario(callStack.names[depth].view()))
    ReportError("前のシナリオが見つかりません"_sj, callStack.names[depth].view());
  if (callStack.rightClickActive && callStack.depth < callStack.rightClickEntryDepth)
    callStack.rightClickActive = 0;
  programCounter = callStack.returnLines[depth] + 1;
}

void ExecuteOneLine() {
  frameState.balanceChecked = 0;
  ExecuteLine();
  if (!frameState.holdProgramCounter) ++programCounter;
  if (programCounter >= kCounterGuard) {
    ReportError("シナリオが４５００行を超えました"_sj, "予期しないエラーです"_sj);
    programCounter = 0;
  } else if (programCounter < 0) {
    ReportError("シナリオがマイナスになりました"_sj, "予期しないエラーです"_sj);
    // No line outside the store may be read: start over from line 0.
    programCounter = 0;
  }
  if (programCounter < scenarioStore.lineCount) return;
  EndOfScenario();
}

void WaitingPass() {
  Platform& platform = GetPlatform();
  const std::uint32_t now = platform.Ticks();
  if (now - frameState.lastAnimationTick > static_cast<std::uint32_t>(frameState.animationInterval)) {
    RevealTick();  // the first step of the effect step
    frameState.lastAnimationTick = now;
  }
  if (displayState.backScreenView)
    PresentBackScreen();
  else
    ComposeScreen();
  // A signed difference: the tick count may wrap during the wait.
  if (waitState.timeWait &&
      TicksSince(frameState.timeWaitStart, platform.Ticks()) > frameState.timeWaitLength)
    waitState.timeWait = 0;
}

}  // namespace

int FrameStep() {
  if (programCounter == 0) {
    waitState.clickWait = 0;
    if (!frameState.balanceChecked && !frameState.restarted) CheckBlockBalance();
  }
  ChoiceTimerTick();
  frameState.textPageHidden = (dialogueBox.hiddenByPlayer && textPage.inUse) ? 1 : 0;
  PointerTest();
  UpdateCursor();
  if (waitState.halted) return 1;
  if (waitState.NothingAwaited())
    ExecuteOneLine();
  else
    WaitingPass();
  return 1;
}

}  // namespace kb
