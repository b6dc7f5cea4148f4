#pragma once
// Scenario mistakes are shown on the error page, never fatal.
#include <string>
#include <string_view>

namespace kb {

struct ErrorReporter {
  int errorsOff = 0;  // "＃エラーオフ": reports do nothing at all
  // The last report shown, as the page shows it (the line counted from 1).
  std::string lastMessage;
  std::string lastDetail;
  int lastLine = 0;
};

extern ErrorReporter errorReporter;

// Paints the error page with message and detail (CP932), beeps, and halts
// the interpreter until a click or Enter.
void ReportError(std::string_view message, std::string_view detail);

// "＃エラー" / "＃エラーオフ"
void HandleErrorSwitch();

}  // namespace kb
