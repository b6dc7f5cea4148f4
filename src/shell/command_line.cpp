#include <cstdlib>
#include <cstring>
#include <vector>

#include "shell/run_options.h"

namespace kb {
namespace {

bool StartsWithIgnoringCase(const std::string& text, const char* prefix) {
  std::size_t n = std::strlen(prefix);
  if (text.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char a = text[i], b = prefix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
    if (a != b) return false;
  }
  return true;
}

}  // namespace

const char* UsageText() {
  return "usage:\n"
         "  kataribedori [GAME_DIR]\n"
         "      runs the game in GAME_DIR (default: the program's own folder) in a window\n"
         "  kataribedori --headless [--script FILE] [--trace FILE] [--shots DIR] [--audio FILE] GAME_DIR\n"
         "      runs it without a window on a virtual clock, driven by an input script;\n"
         "      --audio writes the mixed sound as a WAV file (44100 Hz, 16-bit, stereo)\n"
         "\n"
         "input script, one command a line ('#' starts a comment):\n"
         "  wait               run until no line can run (a wait or the error page)\n"
         "  advance MS         move the virtual clock MS milliseconds\n"
         "  click X Y          left click at game-screen pixel (X, Y)\n"
         "  rclick X Y         right click\n"
         "  move X Y           move the pointer\n"
         "  key NAME           ENTER SPACE ESC UP DOWN CTRL SHIFT F1, or a letter or digit\n"
         "  text UTF8          type into the text-input box, then Enter\n"
         "  answer ok|yes|no|cancel   answer for the next message box\n"
         "  shot NAME.png      write the last presented frame into the shots folder\n"
         "  quit               close the window\n"
         "\n"
         "trace: JSON Lines with \"t\" (virtual ms) and \"ev\": messagebox, error, present, beep,\n"
         "file, sweeper, exit ...\n"
         "\n"
         "exit codes: 0 normal end, 2 bad script or command line, 3 a runaway scenario\n"
         "(1,000,000 lines without a wait)\n"
         "\n"
         "test options: --start-tick N, --desktop-depth N, --pixel-format 555\n";
}

bool ParseCommandLine(int argc, char** argv, RunOptions& o, std::string& error) {
  std::vector<std::string> args(argv + 1, argv + argc);
  // The sweeper switch: the command line begins with "/sweep " (any case),
  // and the number after it is the game's process.  A following folder is
  // the game folder to clean.
  std::string joined;
  for (std::size_t i = 0; i < args.size(); ++i) joined += (i ? " " : "") + args[i];
  if (StartsWithIgnoringCase(joined, "/sweep ")) {
    o.sweep = true;
    o.sweepProcessId = std::atoi(joined.c_str() + 7);
    if (args.size() >= 3) o.gameFolder = args[2];
    return true;
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h")
      o.help = true;
    else if (a == "--headless")
      o.headless = true;
    else if (a == "--script") {
      if (!value(o.scriptPath)) return false;
    } else if (a == "--trace") {
      if (!value(o.tracePath)) return false;
    } else if (a == "--shots") {
      if (!value(o.shotsDir)) return false;
    } else if (a == "--audio") {
      if (!value(o.audioPath)) return false;
    } else if (a == "--start-tick") {
      if (!value(v)) return false;
      o.startTick = static_cast<std::uint32_t>(std::strtoul(v.c_str(), nullptr, 0));
    } else if (a == "--desktop-depth") {
      if (!value(v)) return false;
      o.desktopDepth = std::atoi(v.c_str());
    } else if (a == "--pixel-format") {
      if (!value(v)) return false;
      if (v != "555" && v != "565") {
        error = "--pixel-format takes 555 or 565";
        return false;
      }
      o.pixelFormat555 = v == "555";
    } else if (StartsWithIgnoringCase(a, "/sweep")) {
      // The switch without its blank and number is not the sweeper: the
      // game starts as if it were not there.
    } else if (!a.empty() && a[0] == '-') {
      error = "unknown option " + a;
      return false;
    } else if (o.gameFolder.empty())
      o.gameFolder = a;
    else {
      error = "more than one game folder given";
      return false;
    }
  }
  if (!o.audioPath.empty() && !o.headless) {
    error = "--audio is for headless runs";
    return false;
  }
  return true;
}

}  // namespace kb
