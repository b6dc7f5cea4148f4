#pragma once
// Scenario mistakes are shown on the error page, never fatal.
#include <string_view>

namespace kb {

struct ErrorReporter {
  int errorsOff = 0;  // "＃エラーオフ": reports do nothing at all
};

extern ErrorReporter errorReporter;

// Paints the error page with message and detail (CP932), beeps, and halts
// the interpreter until a click or Enter.
void ReportError(std::string_view message, std::string_view detail);

// "＃エラー" / "＃エラーオフ"
void HandleErrorSwitch();

}  // namespace kb
