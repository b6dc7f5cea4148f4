#include "script/waits.h"

#include <algorithm>
#include <limits>

#include "base/sjis_literal.h"
#include "platform/platform.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "shell/wait_state.h"
#include "text/text_style.h"

namespace kb {

WaitSettings waitSettings;
WaitHooks waitHooks;

namespace {

// Reads one digit, half- or full-width, at text[i]; advances i.
bool TakeDigit(std::string_view text, std::size_t& i, int& digit) {
  if (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    digit = text[i] - '0';
    i += 1;
    return true;
  }
  // "０" … "９" are 0x82 0x4F … 0x82 0x58.
  if (i + 1 < text.size() && static_cast<unsigned char>(text[i]) == 0x82) {
    const auto low = static_cast<unsigned char>(text[i + 1]);
    if (low >= 0x4F && low <= 0x58) {
      digit = low - 0x4F;
      i += 2;
      return true;
    }
  }
  return false;
}

bool TakeText(std::string_view text, std::size_t& i, std::string_view word) {
  if (text.substr(i).substr(0, word.size()) != word) return false;
  i += word.size();
  return true;
}

void SkipBlanks(std::string_view text, std::size_t& i) {
  while (TakeText(text, i, " ") || TakeText(text, i, "\t") || TakeText(text, i, "　"_sj)) {
  }
}

// The number of an argument line while no evaluator is wired up: a plain
// integer with an optional sign; larger magnitudes stop at the 32-bit range.
bool PlainInteger(std::string_view line, std::int32_t& value, std::string& error) {
  std::size_t i = 0;
  SkipBlanks(line, i);
  bool negative = false;
  if (TakeText(line, i, "-") || TakeText(line, i, "－"_sj))
    negative = true;
  else if (!TakeText(line, i, "+"))
    TakeText(line, i, "＋"_sj);
  std::int64_t magnitude = 0;
  int digit = 0, digits = 0;
  while (TakeDigit(line, i, digit)) {
    magnitude = std::min<std::int64_t>(magnitude * 10 + digit, std::int64_t{1} << 31);
    ++digits;
  }
  SkipBlanks(line, i);
  if (digits == 0 || i != line.size()) {
    error = "ERR";
    return false;
  }
  const std::int64_t v = negative ? -magnitude : magnitude;
  value = static_cast<std::int32_t>(std::min<std::int64_t>(v, std::numeric_limits<std::int32_t>::max()));
  return true;
}

bool ComputeNumber(std::string_view line, std::int32_t& value, std::string& error) {
  if (waitHooks.computeNumber) return waitHooks.computeNumber(line, value, error);
  return PlainInteger(line, value, error);
}

bool StoreNumber(std::string_view name, std::int32_t value) {
  return waitHooks.storeNumericVariable && waitHooks.storeNumericVariable(name, value);
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
  if (!ComputeNumber(line, length, error)) {
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
