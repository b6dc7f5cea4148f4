#pragma once
// Processes: our own executable started again (the temporary-file sweeper),
// and waiting for a process that is not our child.
#include <string>
#include <vector>

namespace kb {

int CurrentProcessId();
// Full host path of the running executable.
std::string ExecutablePath();
// The game executable, which StartSelf starts again.  The entry point sets
// it; until then (in unit tests, say) StartSelf starts nothing.
void SetProgramPath(const std::string& hostPath);
// Starts the game executable again with the arguments in workFolder,
// without waiting for it.  False when it could not be started.
bool StartSelf(const std::vector<std::string>& args, const std::string& workFolder);
// Returns when the process with this number has ended (at once when there
// is none).
void WaitForProcessEnd(int pid);

// SIGTERM and SIGINT from the desktop become a close request of the game.
void InstallTerminationHandler();
bool TerminationRequested();

}  // namespace kb
