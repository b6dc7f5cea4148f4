#include "script/error_reporter.h"

#include "base/sjis_literal.h"
#include "display/surface_set.h"
#include "platform/platform.h"
#include "platform/trace.h"
#include "script/scenario_store.h"
#include "script/sjis.h"
#include "shell/wait_state.h"

namespace kb {

ErrorReporter errorReporter;

void ReportError(std::string_view message, std::string_view detail) {
  if (errorReporter.errorsOff) return;
  const int lineNumber = programCounter + 1;
  errorReporter.lastMessage = message;
  errorReporter.lastDetail = detail;
  errorReporter.lastLine = lineNumber;
  Trace("error", {TraceField::Text("message", message), TraceField::Text("detail", detail),
                  TraceField("line", lineNumber)});
  Surface& back = surfaceSet.back;
  if (back.Exists()) {
    FillRect(back, 0, 0, back.width, back.height, 255, 0, 0);
    FillRect(back, 20, 250, 600, 210, 255, 255, 255);
    PresentScreen();
  }
  GetPlatform().Beep();
  waitState.clickWait = 1;
  waitState.halted = 1;
}

void HandleErrorSwitch() { errorReporter.errorsOff = StartsWith(CurrentLine(), "＃エラーオフ"_sj) ? 1 : 0; }

}  // namespace kb
