#pragma once
#include "shell/run_options.h"

namespace kb {

// The whole program: start-up, the main loop (or the headless script), the
// end.  Returns the exit code.
int RunProgram(const RunOptions& options);

// Puts every piece of game state back to its start value (a new run).
void ResetAllState();

}  // namespace kb
