#include "vars/vars_fixture.h"

#include "platform/cp932.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "shell/frame_step.h"
#include "shell/wait_state.h"
#include "vars/variables.h"

namespace kbtest {

namespace {

// Notes the report on display, if any, and dismisses it.
bool TakeReport(std::vector<Report>& reports) {
  if (!kb::waitState.halted) return false;
  reports.push_back({kb::Cp932ToUtf8(kb::errorReporter.lastMessage), kb::Cp932ToUtf8(kb::errorReporter.lastDetail)});
  kb::waitState = kb::WaitState{};
  return true;
}

}  // namespace

std::vector<Report> VarsTest::Run(std::string_view utf8) {
  LoadScenarioText(utf8);
  std::vector<Report> reports;
  // The store ends with two empty lines of its own; the last one would end
  // the scenario.
  for (int steps = 0; steps < 1000000; ++steps) {
    if (TakeReport(reports)) continue;
    if (kb::programCounter >= kb::scenarioStore.lineCount - 1) break;
    kb::FrameStep();
  }
  return reports;
}

void VarsTest::RunOffEnd() {
  kb::frameState.restarted = 0;
  std::vector<Report> ignored;
  for (int steps = 0; steps < 1000000 && !kb::frameState.restarted; ++steps)
    if (!TakeReport(ignored)) kb::FrameStep();
  TakeReport(ignored);
  kb::frameState.restarted = 0;
}

int VarsTest::Slot(std::string_view utf8Name) { return kb::FindNumericVariable(Sjis(utf8Name)); }

int VarsTest::StringSlot(std::string_view utf8Name) { return kb::FindStringVariable(Sjis(utf8Name)); }

int VarsTest::Value(std::string_view utf8Name) {
  const int slot = Slot(utf8Name);
  return slot < 0 ? INT_MIN : kb::numericVariables.values[static_cast<std::size_t>(slot)];
}

}  // namespace kbtest
