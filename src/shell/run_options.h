#pragma once
// How the program was started: the command line, read once by the entry
// point.
#include <cstdint>
#include <string>

namespace kb {

struct RunOptions {
  bool headless = false;
  bool help = false;
  std::string scriptPath;  // headless: the input script
  std::string tracePath;
  std::string shotsDir;
  std::string audioPath;   // headless: the WAV file of everything mixed
  std::string gameFolder;  // host path; empty: the program's own folder
  // The "/sweep " switch: the run is the temporary-file sweeper.
  bool sweep = false;
  int sweepProcessId = 0;
  // Test options.
  std::uint32_t startTick = 0;  // headless: the tick count at start
  int desktopDepth = 16;        // the colour depth the desktop reports
  bool pixelFormat555 = false;  // 5-5-5 instead of 5-6-5 surfaces
};

// Reads the command line.  False with a message when it is not understood.
bool ParseCommandLine(int argc, char** argv, RunOptions& options, std::string& error);

// The --help text.
const char* UsageText();

}  // namespace kb
