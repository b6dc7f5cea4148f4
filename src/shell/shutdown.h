#pragma once
// The end of the game and the temporary-file sweeper.

namespace kb {

// Stops sounds, deletes the temporary files, starts the sweeper, releases
// the display and closes the window; the main loop then ends.
void EndGame();
// Releases the surfaces (and the registered fonts).  A second call finds
// nothing left to release.
void ReleaseDisplay();
// The whole run of the sweeper process: waits for the game process to end,
// then deletes "av_deco0" … "av_deco899" in the current game folder.
int RunSweeper(int processId);

// "＃終了"
void HandleEndCommand();

}  // namespace kb
