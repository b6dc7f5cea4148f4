#include "script/waits.h"

#include <algorithm>
#include <limits>

#include "base/sjis_literal.h"
#include "platform/platform.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "shell/wait_state.h"
#include "text/text_style.h"
#include "vars/references.h"
#include "vars/variables.h"

namespace kb {

WaitSettings waitSettings;
WaitHooks waitHooks;

bool ArgumentNumber(std::string_view line, std::int32_t& value, std::string& error) {
  const ComputedNumber n = ComputeNumber(line);
  if (!n.ok) {
    error = std::string(n.error.view());
    return false;
  }
  value = n.value;
  return true;
}

bool StoreNumericVariable(std::string_view name, std::int32_t value) {
  const int slot = FindNumericVariable(name);
  if (slot < 0) return false;
  numericVariables.values[static_cast<std::size_t>(slot)] = value;
  MarkVariableDisplayDirty();
  return true;
}

namespace {

bool StoreNumber(std::string_view name, std::int32_t value) {
  return waitHooks.storeNumericVariable(name, value);
}

int& ScrollClickWaitOf(ScrollLayer layer) {
  switch (layer) {
    case ScrollLayer::Picture: return waitState.pictureScrollClickWait;
    case ScrollLayer::Figure: return waitState.figureScrollClickWait;
    case ScrollLayer::Foreground: break;
  }
  return waitState.foregroundScrollClickWait;
}

// The reports of a scroll click, by layer: x undeclared, y missing (with
// "指定されていません"), y undeclared.
struct ScrollClickTexts {
  const char* xUndeclared;
  const char* yMissing;
  const char* yUndeclared;
};

ScrollClickTexts ScrollClickTextsOf(ScrollLayer layer) {
  switch (layer) {
    case ScrollLayer::Picture:
      return {"絵スクロールのＸを代入する 変数 が宣言されていません"_sj,
              "絵スクロールのＹを代入する変数が"_sj,
              "絵スクロールのＹを代入する 変数 が宣言されていません"_sj};
    case ScrollLayer::Figure:
      return {"人物スクロールのＸを代入する 変数 が宣言されていません"_sj,
              "人物スクロールのＹを代入する変数が"_sj,
              "人物スクロールのＹを代入する 変数 が宣言されていません"_sj};
    case ScrollLayer::Foreground: break;
  }
  return {"前景スクロールのＸを代入する 変数 が宣言されていません"_sj,
          "前景スクロールのＹを代入する変数が"_sj,
          "前景スクロールのＹを代入する 変数 が宣言されていません"_sj};
}

}  // namespace

void HandleClickWait() {
  // A plain "＃クリック待ち" puts the default style back.
  ApplyStyleLine(CurrentLine());
  waitState.clickWait = 1;
}

void HandleTimeWait() {
  const std::string_view line = NextLine();
  if (line.empty()) {
    ReportError("時間待ちの時間が指定されていません"_sj, "指定単位はミリ秒です"_sj);
    return;
  }
  std::int32_t length = 0;
  std::string error;
  if (!waitHooks.computeNumber(line, length, error)) {
    ReportError(error, line);
    return;
  }
  // 0 and negative lengths are accepted: the wait ends at the first
  // waiting pass that finds more time passed than asked.
  frameState.timeWaitLength = length;
  frameState.timeWaitStart = GetPlatform().Ticks();
  waitState.timeWait = 1;
}

void HandleClickPosition() {
  // The counter moves on as after any line: while the game waits it stands
  // on the x variable's line, where the click handler reads it.
  waitState.clickPositionWait = 1;
}

void HandleSkip() { waitSettings.skipAllowed = CurrentLine().starts_with("＃スキップオフ"_sj) ? 0 : 1; }

void ClickPositionHandler(int x, int y) {
  waitState.clickPositionWait = 0;
  // After a failed step the counter stays on the variable line, and the
  // next frame step runs that line as a scenario line.
  const std::string_view xName = CurrentLine();
  if (xName.empty()) {
    ReportError("＃クリック位置のＸを代入する変数が"_sj, "指定されていません"_sj);
    return;
  }
  if (!StoreNumber(xName, x)) {
    ReportError("＃クリック位置のＸを代入する 変数 が宣言されていません"_sj, xName);
    return;
  }
  const std::string_view yName = NextLine();
  if (yName.empty()) {
    ReportError("＃クリック位置のＹを代入する変数が"_sj, "指定されていません"_sj);
    return;
  }
  if (!StoreNumber(yName, y)) {
    ReportError("＃クリック位置のＹを代入する 変数 が宣言されていません"_sj, yName);
    return;
  }
  ++programCounter;
}

void ScrollClickHandler(ScrollLayer layer) {
  if (waitHooks.stopScroll) waitHooks.stopScroll(layer);
  ScrollClickWaitOf(layer) = 0;
  // The frame step has moved the counter onto the line after the scroll
  // command: the x variable's line, or an empty line when the offsets are
  // not wanted.
  const std::string_view xName = CurrentLine();
  if (xName.empty()) {
    ++programCounter;
    return;
  }
  int offsetX = 0, offsetY = 0;
  if (waitHooks.scrollOffset) waitHooks.scrollOffset(layer, offsetX, offsetY);
  const ScrollClickTexts texts = ScrollClickTextsOf(layer);
  if (!StoreNumber(xName, offsetX)) {
    ReportError(texts.xUndeclared, xName);
    return;
  }
  const std::string_view yName = NextLine();
  if (yName.empty()) {
    ReportError(texts.yMissing, "指定されていません"_sj);
    return;
  }
  if (!StoreNumber(yName, offsetY)) {
    ReportError(texts.yUndeclared, yName);
    return;
  }
  ++programCounter;
}

}  // namespace kb
