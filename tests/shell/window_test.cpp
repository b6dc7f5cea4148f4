// The real window: the game runs under a virtual X server, a screenshot of
// the X display is taken with the standard tools, and the image the
// headless run presents is found in it.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/game_fixture.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool HaveTool(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null").c_str()) == 0;
}

// Where the frame lies in the screenshot, or false.
bool FindFrame(const kbtest::Frame& screen, const kbtest::Frame& frame, int& atX, int& atY) {
  for (int y = 0; y + frame.height <= screen.height; ++y) {
    for (int x = 0; x + frame.width <= screen.width; ++x) {
      bool same = true;
      for (int row = 0; row < frame.height && same; row += (row == 0 ? 1 : 7)) {
        const std::uint8_t* a = &screen.rgb[(static_cast<std::size_t>(y + row) * screen.width + x) * 3];
        const std::uint8_t* b = &frame.rgb[static_cast<std::size_t>(row) * frame.width * 3];
        same = std::equal(b, b + frame.width * 3, a);
      }
      if (same) {
        atX = x;
        atY = y;
        return true;
      }
    }
  }
  return false;
}

class XServer {
 public:
  explicit XServer(const std::string& dir) : dir_(dir) {
    std::string cmd = "Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >" + dir +
                      "/display 2>/dev/null & echo $! >" + dir + "/xpid";
    std::system(cmd.c_str());
    for (int i = 0; i < 100 && display_.empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      std::string d = ReadFile(dir + "/display");
      if (!d.empty() && d.back() == '\n') display_ = ":" + d.substr(0, d.size() - 1);
    }
  }
  ~XServer() { std::system(("kill " + ReadFile(dir_ + "/xpid") + " 2>/dev/null").c_str()); }
  const std::string& display() const { return display_; }

 private:
  std::string dir_, display_;
};

TEST(Window, ShowsTheSameImageAsTheHeadlessRun) {
  for (const char* tool : {"Xvfb", "xwd", "convert", "xdotool"})
    if (!HaveTool(tool)) GTEST_SKIP() << tool << " is missing (scripts/deps.sh installs it)";
  // A packed game shows no start-up box; its first screen is an error page.
  kbtest::TempFolder game;
  std::string scenario = kbtest::Sjis("＃クリック待ち\n＃ホゲ\n");
  for (char& c : scenario) c = static_cast<char>(c ^ 0x9D);
  game.WriteBytes("start.st1", scenario);
  game.WriteText("mero.ini", "＃ウインドウ\n＃注意オフ\n");
  auto headless = kbtest::RunHeadless(game.path(), "wait\nclick 1 1\nwait\nshot page.png\n");
  kbtest::Frame frame = headless.Shot("page.png");
  ASSERT_EQ(frame.width, 640);

  kbtest::TempFolder work("kbwin");
  XServer x(work.path());
  ASSERT_FALSE(x.display().empty()) << "Xvfb did not start";
  const std::string trace = work.path() + "/trace.jsonl";
  std::string run = "DISPLAY=" + x.display() + " SDL_AUDIODRIVER=dummy " + kbtest::GameExecutable() +
                    " --trace " + trace + " " + game.path() + " >" + work.path() + "/log 2>&1 & echo $! >" +
                    work.path() + "/gamepid";
  std::system(run.c_str());
  const std::string pid = ReadFile(work.path() + "/gamepid");

  // The game waits for a click first: click into the window (it is
  // centred on the screen) until the page shows.
  bool found = false;
  int atX = -1, atY = -1;
  const std::string shot = work.path() + "/screen.png";
  for (int attempt = 0; attempt < 60 && !found; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    std::system(("DISPLAY=" + x.display() + " xdotool mousemove 512 384 click 1 >/dev/null 2>&1").c_str());
    std::string grab =
        "xwd -root -silent -display " + x.display() + " | convert xwd:- " + shot + " 2>/dev/null";
    if (std::system(grab.c_str()) != 0) continue;
    kbtest::Frame screen;
    if (kbtest::ReadPng(shot, screen)) found = FindFrame(screen, frame, atX, atY);
  }
  EXPECT_TRUE(found) << "the headless frame is not on the X display; game log: "
                     << ReadFile(work.path() + "/log");

  // A desktop's SIGTERM ends the game the ordinary way.
  std::system(("kill -TERM " + pid).c_str());
  for (int i = 0; i < 100 && ReadFile(trace).find("\"ev\":\"exit\"") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  auto events = kbtest::ParseTrace(ReadFile(trace));
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().ev, "exit");
  EXPECT_EQ(events.back().Number("code"), 0);
}

}  // namespace
