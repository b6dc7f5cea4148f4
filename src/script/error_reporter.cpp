#include "script/error_reporter.h"

#include "base/format.h"
#include "base/sjis_literal.h"
#include "display/surface_set.h"
#include "platform/platform.h"
#include "platform/trace.h"
#include "script/call_stack.h"
#include "script/scenario_store.h"
#include "script/sjis.h"
#include "shell/wait_state.h"

namespace kb {

ErrorReporter errorReporter;

namespace {

// The texts of the page, written with a fresh drawing context's default
// font and colours: black on white cells.
void DrawPageTexts(Surface& back, std::string_view message, std::string_view detail, int lineNumber) {
  const MediaPaths& p = mediaPaths;
  const struct {
    int x, y;
    std::string text;
  } rows[] = {
      {100, 100, std::string(message)},
      {100, 150, std::string(detail)},
      {20, 250, "●詳しい情報---------------------------------------------"_sj},
      {50, 270, std::string(callStack.CurrentName())},
      {50, 290, Format("%d 行目が間違っています"_sj, {lineNumber})},
      {20, 330, "●現在のパス（ファイルの場所）"_sj},
      {50, 350, Format("シナリオのパス 「%s」"_sj, {p.scenario.view()})},
      {50, 370, Format("絵のパス       「%s」"_sj, {p.picture.view()})},
      {50, 390, Format("音のパス       「%s」"_sj, {p.sound.view()})},
      {50, 410, Format("MIDIのパス     「%s」"_sj, {p.midi.view()})},
  };
  const PixelTarget target = TargetOf(back);
  const std::uint32_t black = RgbToPixel(0, 0, 0), white = RgbToPixel(255, 255, 255);
  for (const auto& row : rows) DrawText(target, DefaultFont(), row.x, row.y, row.text, black, true, white);
}

}  // namespace

void ReportError(std::string_view message, std::string_view detail) {
  if (errorReporter.errorsOff) return;
  const int lineNumber = programCounter + 1;
  errorReporter.lastMessage = message;
  errorReporter.lastDetail = detail;
  errorReporter.lastLine = lineNumber;
  Trace("error", {TraceField::Text("message", message), TraceField::Text("detail", detail),
                  TraceField("line", lineNumber), TraceField::Text("scenario", callStack.CurrentName())});
  Surface& back = surfaceSet.back;
  // Without a display (start-up has not made one) the page cannot be drawn;
  // the flags still change, as they do for a page that could not be drawn.
  if (back.Exists()) {
    FillRect(back, 0, 0, back.width, back.height, 255, 0, 0);
    FillRect(back, 20, 250, 600, 210, 255, 255, 255);
    DrawPageTexts(back, message, detail, lineNumber);
    PresentScreen();
  }
  GetPlatform().Beep();
  waitState.clickWait = 1;
  waitState.halted = 1;
}

void HandleErrorSwitch() { errorReporter.errorsOff = StartsWith(CurrentLine(), "＃エラーオフ"_sj) ? 1 : 0; }

}  // namespace kb
