#include "shell/shutdown.h"

#include <string>

#include "base/format.h"
#include "base/sjis_literal.h"
#include "display/surface_set.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/trace.h"
#include "script/sjis.h"
#include "shell/shell_state.h"

namespace kb {

ShellState shellState;

namespace {

void DeleteIfFile(std::string_view name) {
  if (ProbePath(name) == 2 && DeleteGameFile(name))
    Trace("file", {TraceField::Utf8("op", "delete"), TraceField::Text("name", name)});
}

void StartSweeper() {
  std::string pid = Format("%10d", {static_cast<std::int64_t>(CurrentProcessId())});
  bool started = StartSelf({"/sweep", pid, GameFolder()}, GameFolder());
  Trace("sweeper", {TraceField("started", started ? 1 : 0)});
}

}  // namespace

void EndGame() {
  if (shellState.gameEnded) return;
  shellState.gameEnded = 1;
  DeleteIfFile("MID_CPY");
  DeleteIfFile("MP3_DECO");
  DeleteIfFile("jp_deco");
  StartSweeper();
  ReleaseDisplay();
  GetPlatform().CloseDisplay();
  shellState.windowOpen = 0;
  // The destroyed window posts the quit message with value 0.
  shellState.quitPosted = 1;
  shellState.quitValue = 0;
}

void ReleaseDisplay() { ReleaseSurfaces(); }

int RunSweeper(int processId) {
  WaitForProcessEnd(processId);
  for (int i = 0; i <= 899; ++i) {
    std::string name = "av_deco" + std::to_string(i);
    if (ProbePath(name) == 2) DeleteGameFile(name);
  }
  return 0;
}

void HandleEndCommand() { EndGame(); }

}  // namespace kb
