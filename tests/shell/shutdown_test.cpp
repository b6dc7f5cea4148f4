// The end of the game and the temporary-file sweeper: every way a game
// ends removes its temporary files and starts a second process of the
// program, which waits for the game to end and then deletes "av_deco0" …
// "av_deco899" in the game folder.
#include "shell/shutdown.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "display/surface_set.h"
#include "shell/shell_state.h"
#include "support/engine_fixture.h"
#include "support/game_fixture.h"

using kbtest::TempFolder;
namespace fs = std::filesystem;

namespace {

const char* const kTemporaryFiles[] = {"MID_CPY", "MP3_DECO", "jp_deco"};

// A packed game (scrambled "start.st1") holding the temporary files a
// previous part of the run would have made, an "av_deco" file and a file of
// the game's own.
void PackedGame(const TempFolder& game, const std::string& scenario) {
  std::string bytes = kbtest::Sjis(scenario);
  for (char& c : bytes) c = static_cast<char>(c ^ 0x9D);
  game.WriteBytes("start.st1", bytes);
  game.WriteText("mero.ini", "＃ウインドウ\n＃注意オフ\n");
  for (const char* name : kTemporaryFiles) game.WriteBytes(name, "left over");
  game.WriteBytes("av_deco7", "movie");
  game.WriteBytes("save1.dat", "keep");
}

// Polls for up to ten seconds.
template <typename F>
bool Eventually(F done) {
  for (int i = 0; i < 200; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Whether a sweeper for this game folder still runs: its command line
// names the folder.
bool SweeperRunsFor(const std::string& folder) {
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string cmdline = ReadWhole(entry.path() / "cmdline");
    if (cmdline.find("/sweep") != std::string::npos && cmdline.find(folder) != std::string::npos) return true;
  }
  return false;
}

void ExpectCleanedUp(const TempFolder& game, const std::vector<kbtest::TraceEvent>& trace) {
  for (const char* name : kTemporaryFiles) EXPECT_FALSE(game.Exists(name)) << name;
  std::vector<std::string> deleted;
  int sweepers = 0;
  for (const auto& e : trace) {
    if (e.ev == "file" && e.Text("op") == "delete") deleted.push_back(e.Text("name"));
    if (e.ev == "sweeper" && e.Number("started") == 1) ++sweepers;
  }
  EXPECT_EQ(deleted, (std::vector<std::string>{"MID_CPY", "MP3_DECO", "jp_deco"}));
  EXPECT_EQ(sweepers, 1);
  // The sweeper deletes the av_deco file once the game has ended, and
  // ends.
  EXPECT_TRUE(Eventually([&] { return !game.Exists("av_deco7"); }));
  EXPECT_TRUE(Eventually([&] { return !SweeperRunsFor(game.path()); }));
  EXPECT_TRUE(game.Exists("save1.dat"));
}

TEST(EndGame, EveryEndRemovesTheTemporaryFiles) {
  struct Case {
    const char* scenario;
    const char* script;
  };
  const Case cases[] = {
      {"＃クリック待ち\n", "wait\nkey ESC\n"},                   // Esc on the title screen
      {"＃クリック待ち\n", "wait\nclick 1 1\nwait\nkey ESC\n"},  // Esc on the error page
      {"＃クリック待ち\n", "wait\nquit\n"},                      // the close box
      {"＃クリック待ち\n", "wait\n"},                            // the end of the input script
      {"＃終了\n", "wait\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    TempFolder game;
    PackedGame(game, c.scenario);
    auto run = kbtest::RunHeadless(game.path(), c.script);
    EXPECT_EQ(run.exitCode, 0);
    ExpectCleanedUp(game, run.trace);
  }
}

// --- processes started by the test ------------------------------------------------

pid_t Spawn(const std::vector<std::string>& args, bool withoutDisplay = false) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (withoutDisplay) {
      unsetenv("DISPLAY");
      unsetenv("WAYLAND_DISPLAY");
    }
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 1);
    dup2(null, 2);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

// The exit code, or -1 when the process has not ended within ten seconds
// (it is then killed).
int WaitForExit(pid_t pid) {
  int status = 0;
  const bool ended = Eventually([&] { return waitpid(pid, &status, WNOHANG) == pid; });
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(EndGame, SigtermAndSigintEndTheGameThroughItsEnd) {
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    TempFolder game, files("kbrun");
    PackedGame(game, "＃クリック待ち\n");
    const std::string script = files.path() + "/script.txt", trace = files.path() + "/trace.jsonl";
    files.WriteBytes("script.txt", "wait\nadvance 2000000000\n");
    const pid_t pid =
        Spawn({kbtest::GameExecutable(), "--headless", "--script", script, "--trace", trace, game.path()});
    ASSERT_TRUE(Eventually([&] { return ReadWhole(trace).find("present") != std::string::npos; }));
    kill(pid, signal);
    EXPECT_EQ(WaitForExit(pid), 0);
    ExpectCleanedUp(game, kbtest::ParseTrace(ReadWhole(trace)));
  }
}

TEST(Sweeper, StartedByHandDeletesOnlyTheAvDecoFilesOfItsFolder) {
  // The program copied into a folder of its own, as a game ships it; the
  // process number names no process.
  for (const char* sweepSwitch : {"/sweep", "/SWEEP"}) {
    SCOPED_TRACE(sweepSwitch);
    TempFolder folder;
    const std::string program = folder.path() + "/game";
    fs::copy_file(kbtest::GameExecutable(), program);
    const std::vector<std::string> swept = {"av_deco0", "av_deco1", "av_deco899"};
    const std::vector<std::string> kept = {"av_deco900",   "av_deco01", "av_deco",
                                           "av_deco5.txt", "xav_deco3", "jp_deco"};
    for (const auto& name : swept) folder.WriteBytes(name, "x");
    for (const auto& name : kept) folder.WriteBytes(name, "x");
    folder.MakeFolder("av_deco2");
    EXPECT_EQ(WaitForExit(Spawn({program, sweepSwitch, "99999999"}, true)), 0);
    for (const auto& name : swept) EXPECT_FALSE(folder.Exists(name)) << name;
    for (const auto& name : kept) EXPECT_TRUE(folder.Exists(name)) << name;
    EXPECT_TRUE(folder.Exists("av_deco2"));
    EXPECT_TRUE(folder.Exists("game"));
  }
}

TEST(Sweeper, WaitsForTheGameProcessEvenWhenItIsNotItsParent) {
  TempFolder folder;
  folder.WriteBytes("av_deco3", "x");
  // Stands in for the game: a child of the test, not of the sweeper.
  const pid_t gameProcess = Spawn({"/bin/sleep", "30"});
  const pid_t sweeper =
      Spawn({kbtest::GameExecutable(), "/sweep", std::to_string(gameProcess), folder.path()}, true);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  int status = 0;
  EXPECT_EQ(waitpid(sweeper, &status, WNOHANG), 0) << "the sweeper did not wait";
  EXPECT_TRUE(folder.Exists("av_deco3"));
  kill(gameProcess, SIGKILL);
  waitpid(gameProcess, &status, 0);
  EXPECT_EQ(WaitForExit(sweeper), 0);
  EXPECT_FALSE(folder.Exists("av_deco3"));
}

// --- in-process --------------------------------------------------------------------

class EndGameInProcess : public kbtest::EngineTest {};

TEST_F(EndGameInProcess, RunsOnceAndReleasesTheDisplayOnce) {
  ASSERT_TRUE(kb::surfaceSet.back.Exists());
  kb::EndGame();
  EXPECT_EQ(kb::shellState.quitPosted, 1);
  EXPECT_EQ(kb::shellState.quitValue, 0);
  EXPECT_FALSE(kb::surfaceSet.back.Exists());
  EXPECT_FALSE(kb::surfaceSet.surfaces[0].Exists());
  // The main loop's own release afterwards, and a second end, find nothing.
  kb::ReleaseDisplay();
  kb::EndGame();
  EXPECT_FALSE(kb::surfaceSet.back.Exists());
  EXPECT_EQ(kb::surfaceSet.created, 0);
}

}  // namespace
