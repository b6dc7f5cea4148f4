#include "shell/shutdown.h"

#include <string>

#include "base/format.h"
#include "display/surface_set.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/text_renderer.h"
#include "platform/trace.h"
#include "script/sjis.h"
#include "shell/shell_state.h"
#include "text/text_style.h"

namespace kb {

ShellState shellState;

namespace {

// Files named "av_deco0" … "av_deco899" are the sweeper's to delete.
constexpr int kLastSweptNumber = 899;

void DeleteIfFile(std::string_view name) {
  if (ProbePath(name) == 2 && DeleteGameFile(name))
    Trace("file", {TraceField::Utf8("op", "delete"), TraceField::Text("name", name)});
}

// A second run of our own program with "/sweep" and our process number,
// right-aligned in ten characters.  It needs the game folder too, as the
// program need not live in it; it starts there.  A failure is ignored: the
// sweeper then does not run.
void StartSweeper() {
  const std::string pid = Format("%10d", {static_cast<std::int64_t>(CurrentProcessId())});
  const bool started = StartSelf({"/sweep", pid, GameFolder()}, GameFolder());
  Trace("sweeper", {TraceField("started", started ? 1 : 0)});
}

void DeleteHeldFonts() {
  if (textStyle.font != kNoFont) {
    DeleteFont(textStyle.font);
    textStyle.font = kNoFont;
  }
  // The choice, variable-display and typing fonts, the scroll pictures and
  // the overlap pictures are deleted here too, by their owners.
}

}  // namespace

void EndGame() {
  // Esc, the close box, "＃終了", the loader's forced end and a signal may
  // meet; the game ends once.
  if (shellState.gameEnded) return;
  shellState.gameEnded = 1;
  // 1. Sounds: the simple playback, the wave, CD and music devices (each
  //    result ignored; nothing plays in this version yet).
  // 2. The MIDI copy.
  DeleteIfFile("MID_CPY");
  // 3. MP3: the device, or the internal player (nothing plays yet).
  // 4. The unscrambled MP3 and JPEG copies.
  DeleteIfFile("MP3_DECO");
  DeleteIfFile("jp_deco");
  // 5. The typing game's sound images (none yet).
  // 6. The sweeper.
  StartSweeper();
  // 7. Fonts and pictures held outside the surfaces.
  DeleteHeldFonts();
  // 8. The surfaces.
  ReleaseDisplay();
  // 9. The window.  Its destruction posts the quit message with value 0:
  //    the main loop ends and releases the display again, finding nothing.
  GetPlatform().CloseDisplay();
  shellState.windowOpen = 0;
  shellState.quitPosted = 1;
  shellState.quitValue = 0;
}

void ReleaseDisplay() {
  // Surfaces 24 down to 0, then back and primary, each only while it
  // exists.  Fonts of the game's font folder are removed here as well once
  // they are registered.
  ReleaseSurfaces();
}

int RunSweeper(int processId) {
  // The game may still be closing its files: delete nothing before it has
  // ended.  A number that names no process is not waited for.
  WaitForProcessEnd(processId);
  for (int i = 0; i <= kLastSweptNumber; ++i) {
    const std::string name = "av_deco" + std::to_string(i);
    if (ProbePath(name) == 2) DeleteGameFile(name);
  }
  return 0;
}

void HandleEndCommand() { EndGame(); }

}  // namespace kb
