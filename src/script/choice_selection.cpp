// Ending a choice: the time limit, and the jump to the picked answer's label
// inside the choice's block.  The window procedure's rules pick by mouse and
// keys through the entries InstallChoiceInput fills in.
#include <string>

#include "base/sjis_literal.h"
#include "platform/platform.h"
#include "script/branches.h"
#include "script/choices.h"
#include "display/layers.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "script/sjis.h"
#include "shell/wait_state.h"
#include "shell/window_proc.h"
#include "vars/references.h"

namespace kb {

ChoiceTimer choiceTimer;

namespace {

// A label found at or beyond this line lies outside any scenario the
// loader accepts.
constexpr int kLastLabelLine = 4500;

std::string AnswerLabel(int n) { return std::string("＃"_sj) + std::to_string(n); }

// Both kinds of choice stop waiting.
void CloseChoices() {
  waitState.clickWait = 0;
  waitState.choiceActive = 0;
  waitState.backChoiceActive = 0;
  HideHoverPicture();
}

}  // namespace

bool SetChoiceTimer(std::string_view commandLine) {
  const std::string_view open = "＃時間（"_sj;
  const std::size_t start = SjisFind(commandLine, open);
  const std::size_t end =
      start == kNotFound ? kNotFound : SjisFind(commandLine.substr(start + open.size()), "）＃"_sj);
  if (end == kNotFound) {
    ReportError("＃選択時の「時間」は ＃時間（ ）＃ で囲んでください"_sj, commandLine);
    return false;
  }
  const ComputedNumber limit = ComputeNumber(commandLine.substr(start + open.size(), end));
  if (!limit.ok) {
    ReportError(limit.error.view(), commandLine);
    return false;
  }
  if (limit.value < 0) {
    ReportError("時間制限の時間がマイナスです"_sj, commandLine);
    return false;
  }
  choiceTimer.armed = 1;
  choiceTimer.limit = limit.value;
  choiceTimer.start = GetPlatform().Ticks();
  return true;
}

void ChoiceTimerTick() {
  ChoiceTimer& t = choiceTimer;
  if (!t.armed) return;
  if (!waitState.choiceActive && !waitState.backChoiceActive) {
    t.armed = 0;
    return;
  }
  const std::uint32_t elapsed = GetPlatform().Ticks() - t.start;
  if (elapsed <= static_cast<std::uint32_t>(t.limit)) return;
  t.armed = 0;
  CloseChoices();
  choiceWindow.highlighted = 0;
  const int p = FindInBlock("＃0"_sj, 0);
  if (p < 0) {
    ReportError("時間制限の該当ラベル（＃０）がありません"_sj, "＃選択～＃＃＃＃をチェックしてください"_sj);
    return;
  }
  // The frame step runs the line under the counter next: the one after the
  // label.
  programCounter = p + 1;
}

int ChooseAnswer() {
  DisarmChoiceTimer();
  const int n = choiceWindow.highlighted;
  choiceWindow.highlighted = 0;
  const int p = FindInBlock(AnswerLabel(n), 0);
  if (p < 0) {
    ReportError("該当ラベルがありません"_sj, "＃選択～＃＃＃＃をチェックしてください"_sj);
    return -1;
  }
  if (p < programCounter) {
    ReportError("予期しないエラーです"_sj, "該当ラベルが＃選択より前になりました"_sj);
    return -1;
  }
  if (p >= kLastLabelLine) {
    ReportError("予期しないエラーです"_sj, "該当ラベルが４５００行を超えました"_sj);
    return -1;
  }
  return p;
}

// ---------------------------------------------------------------------------
int ChoiceAnswerCount() { return choiceWindow.count; }
int HighlightedAnswer() { return choiceWindow.highlighted; }
void SetHighlightedAnswer(int n) { choiceWindow.highlighted = n; }
void HideHoverPicture() { layerState.hoverPictureShown = 0; }
void DisarmChoiceTimer() { choiceTimer.armed = 0; }

void InstallChoiceInput() {
  inputHooks.choiceAnswerCount = ChoiceAnswerCount;
  inputHooks.highlightedAnswer = HighlightedAnswer;
  inputHooks.setHighlightedAnswer = SetHighlightedAnswer;
  inputHooks.choiceAt = ChoiceAt;
  inputHooks.classifyBackScreenColour = ClassifyBackScreenColour;
  inputHooks.pictureChoiceHover = BackScreenChoiceHover;
  inputHooks.hideHoverPicture = HideHoverPicture;
  inputHooks.disarmChoiceTimer = DisarmChoiceTimer;
  inputHooks.chooseAnswer = ChooseAnswer;
}

void ChoiceKeyLeft() {
  ChoiceWindow& w = choiceWindow;
  if (!waitState.choiceActive || w.count <= 9) return;
  if (w.highlighted <= 0)
    w.highlighted = 1;
  else if (w.highlighted - w.rowsPerColumn >= 1)
    w.highlighted -= w.rowsPerColumn;
}

void ChoiceKeyRight() {
  ChoiceWindow& w = choiceWindow;
  if (!waitState.choiceActive || w.count <= 9) return;
  if (w.highlighted <= 0)
    w.highlighted = 1;
  else if (w.highlighted + w.rowsPerColumn <= w.count)
    w.highlighted += w.rowsPerColumn;
}

}  // namespace kb
