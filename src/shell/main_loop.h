#pragma once
#include <string>
#include <vector>

#include "shell/run_options.h"

namespace kb {

// Runs the game until its window is destroyed; returns the quit value.
// Headless runs follow the input script instead of the event queue.
int RunMainLoop(const RunOptions& options);

// Headless: the input script as commands; false with a message naming the
// line when it holds something unknown.
struct ScriptCommand {
  int lineNumber = 0;
  std::string verb;
  std::string argument;  // the rest of the line
  int a = 0, b = 0;      // numbers of click, move, advance
};
bool ParseInputScript(const std::string& text, std::vector<ScriptCommand>& commands, std::string& error);

// Exit code of a scenario that runs a million lines without waiting.
inline constexpr int kRunawayExitCode = 3;
inline constexpr int kScriptErrorExitCode = 2;

}  // namespace kb
