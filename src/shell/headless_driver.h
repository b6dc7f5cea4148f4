#pragma once
#include "shell/run_options.h"

namespace kb {

// Reads the input script and queues its leading answers, so that the
// message boxes of start-up take them.  False (with a message on standard
// error) when the script cannot be read or holds an unknown command.
bool PrepareHeadlessScript(const RunOptions& options);

// Runs the rest of the script against the started game; returns the exit
// code.
int RunHeadlessScript(const RunOptions& options);

}  // namespace kb
