#pragma once
// In-process runs of scenario text for the variable tests: every line runs
// through the interpreter, and each error page is noted and dismissed so
// that the run goes on, as a player's click would let it.
#include <climits>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/engine_fixture.h"

namespace kbtest {

struct Report {
  std::string message, detail;  // UTF-8
  bool operator==(const Report&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Report& r) {
  return os << "{\"" << r.message << "\", \"" << r.detail << "\"}";
}

class VarsTest : public EngineTest {
 protected:
  // Runs the scenario from its first line up to its last one, and returns
  // the reports.  The run stops before the scenario's end, which would
  // restart it and clear the variables.
  std::vector<Report> Run(std::string_view utf8);
  // Runs the loaded scenario off its end: the start scenario restarts.
  void RunOffEnd();

  // The slot of a numeric or string variable, -1 when undeclared.
  static int Slot(std::string_view utf8Name);
  static int StringSlot(std::string_view utf8Name);
  // The value of a declared numeric variable (INT_MIN when undeclared).
  static int Value(std::string_view utf8Name);
};

}  // namespace kbtest
