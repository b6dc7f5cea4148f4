// The game executable: reads the command line, chooses the platform and
// runs the program.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/headless_platform.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/trace.h"
#include "shell/headless_driver.h"
#include "shell/main_loop.h"
#include "shell/run_options.h"
#include "shell/startup.h"

namespace {

// Paths given on the command line are taken from where the program was
// started, before it moves into the game folder.
void MakeAbsolute(std::string& path, const std::string& base) {
  if (!path.empty() && path[0] != '/') path = base + "/" + path;
}

}  // namespace

int main(int argc, char** argv) {
  kb::RunOptions options;
  std::string error;
  if (!kb::ParseCommandLine(argc, argv, options, error)) {
    std::fprintf(stderr, "kataribedori: %s\n\n%s", error.c_str(), kb::UsageText());
    return kb::kScriptErrorExitCode;
  }
  if (options.help) {
    std::fputs(kb::UsageText(), stdout);
    return 0;
  }
  const std::string startFolder = kb::HostCurrentFolder();
  MakeAbsolute(options.scriptPath, startFolder);
  MakeAbsolute(options.tracePath, startFolder);
  MakeAbsolute(options.shotsDir, startFolder);
  MakeAbsolute(options.audioPath, startFolder);
  MakeAbsolute(options.gameFolder, startFolder);

  if (options.headless || options.sweep) {
    kb::SetPlatform(std::make_unique<kb::HeadlessPlatform>(options.startTick, options.desktopDepth));
  } else {
    kb::SetPlatform(kb::CreateSdlPlatform(options.desktopDepth));
  }
  kb::SetProgramPath(kb::ExecutablePath());
  // A game ends on SIGTERM or SIGINT through its own end, which removes its
  // temporary files.  The sweeper keeps the default: it holds nothing to
  // clean up before it has waited for the game.
  if (!options.sweep) kb::InstallTerminationHandler();
  if (!options.tracePath.empty() && !kb::OpenTrace(options.tracePath)) {
    std::fprintf(stderr, "kataribedori: cannot write the trace %s\n", options.tracePath.c_str());
    return kb::kScriptErrorExitCode;
  }
  if (!options.audioPath.empty() &&
      !static_cast<kb::HeadlessPlatform&>(kb::GetPlatform()).RecordAudio(options.audioPath)) {
    std::fprintf(stderr, "kataribedori: cannot write the sound file %s\n", options.audioPath.c_str());
    return kb::kScriptErrorExitCode;
  }
  if (options.headless && !kb::PrepareHeadlessScript(options)) return kb::kScriptErrorExitCode;

  int code = kb::RunProgram(options);
  kb::Trace("exit", {kb::TraceField("code", code)});
  kb::CloseTrace();
  kb::SetPlatform(nullptr);
  return code;
}
