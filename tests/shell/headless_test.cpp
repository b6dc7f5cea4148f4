// The headless interface itself: the input script, exit codes, shots and
// the sameness of repeated runs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "support/game_fixture.h"
#include "support/wav_file.h"

using kbtest::RunHeadless;
using kbtest::TempFolder;

namespace {

TempFolder& QuietGame(TempFolder& game, const std::string& scenario) {
  game.WriteText("mero.ini", "＃ウインドウ\n＃注意オフ\n");
  game.WriteText("start.txt", scenario);
  return game;
}

TEST(HeadlessScript, UnknownCommandsEndTheRunNamingTheLine) {
  TempFolder game;
  QuietGame(game, "＃クリック待ち\n");
  const struct {
    const char* script;
    const char* fragment;
  } cases[] = {
      {"wait\n# a comment\njump 3\n", "script line 3: unknown command"},
      {"click 10\n", "script line 1: needs X and Y"},
      {"key F13\n", "script line 1: unknown key"},
      {"answer maybe\n", "script line 1"},
      {"advance -5\n", "script line 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    auto run = RunHeadless(game.path(), c.script);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.stderrText.find(c.fragment), std::string::npos) << run.stderrText;
    EXPECT_TRUE(run.trace.empty());
  }
}

TEST(HeadlessScript, RunawayScenarioEndsWithCode3) {
  TempFolder game;
  // With errors off the end of the scenario restarts at once, for ever.
  QuietGame(game, "＃エラーオフ\n");
  auto run = RunHeadless(game.path(), "wait\n");
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.stderrText.find("1000000 lines"), std::string::npos);
}

TEST(HeadlessScript, SameGameAndScriptGiveTheSameTrace) {
  TempFolder game;
  QuietGame(game, "＃クリック待ち\n＃ホゲ\n＃クリック待ち\n");
  const char* script = "wait\nclick 5 5\nwait\nshot a.png\nkey ENTER\nwait\nadvance 100\nkey SPACE\nwait\n";
  auto a = RunHeadless(game.path(), script);
  auto b = RunHeadless(game.path(), script);
  ASSERT_EQ(a.trace.size(), b.trace.size());
  for (std::size_t i = 0; i < a.trace.size(); ++i) {
    EXPECT_EQ(a.trace[i].ev, b.trace[i].ev);
    EXPECT_EQ(a.trace[i].t, b.trace[i].t);
    EXPECT_EQ(a.trace[i].text, b.trace[i].text);
    EXPECT_EQ(a.trace[i].number, b.trace[i].number);
  }
  EXPECT_EQ(a.Shot("a.png").rgb, b.Shot("a.png").rgb);
  // The mistake, then the end of the scenario.
  EXPECT_EQ(a.Events("error").size(), 2u);
  // advance moved the clock; the exit comes after it.
  EXPECT_EQ(a.Events("exit").back().t, 100);
}

TEST(HeadlessScript, ShotsAreThePresentedFrames) {
  TempFolder game;
  QuietGame(game, "＃ホゲ\n");
  auto run = RunHeadless(game.path(), "wait\nshot err.png\n");
  auto frame = run.Shot("err.png");
  ASSERT_EQ(frame.width, 640);
  ASSERT_EQ(frame.height, 480);
  EXPECT_EQ(frame.At(5, 5), (kbtest::Frame::Pixel{255, 0, 0}));
  EXPECT_EQ(frame.At(600, 440), (kbtest::Frame::Pixel{255, 255, 255}));
  // The page's texts are black on white cells, without blended pixels:
  // the message row at (100, 100) and the information box below.
  const kbtest::Frame::Pixel black{0, 0, 0}, white{255, 255, 255};
  auto count = [&](kbtest::Frame::Pixel p, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += frame.At(x, y) == p;
    return n;
  };
  EXPECT_GT(count(black, 100, 100, 200, 116), 50);
  EXPECT_GT(count(black, 20, 250, 620, 266), 50);
  EXPECT_EQ(count(black, 20, 250, 620, 460) + count(white, 20, 250, 620, 460), 600 * 210);
  auto presents = run.Events("present");
  ASSERT_FALSE(presents.empty());
  EXPECT_GT(presents.back().Number("crc32"), 0);
}

TEST(HeadlessScript, EscAndQuitEndTheGame) {
  TempFolder game;
  QuietGame(game, "＃クリック待ち\n");
  for (const char* script : {"wait\nkey ESC\nwait\nclick 1 1\n", "wait\nquit\n", "wait\n"}) {
    auto run = RunHeadless(game.path(), script);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.Events("sweeper").size(), 1u);
    EXPECT_EQ(run.Events("exit").size(), 1u);
  }
}

TEST(HeadlessScript, HelpDescribesTheInterface) {
  std::string cmd = kbtest::GameExecutable() + " --help";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[256];
  while (std::fgets(buf, sizeof buf, p)) out += buf;
  EXPECT_EQ(pclose(p), 0);
  for (const char* word :
       {"--headless", "--script", "--trace", "--shots", "--audio", "advance MS", "answer", "shot"})
    EXPECT_NE(out.find(word), std::string::npos) << word;
}

TEST(HeadlessScript, AudioIsRecordedOnTheVirtualClock) {
  TempFolder game;
  QuietGame(game, "＃クリック待ち\n＃ホゲ\n");
  TempFolder out;
  // The mistake at 20 ms beeps; the run lasts 170 ms.
  const char* script = "wait\nadvance 20\nclick 5 5\nwait\nadvance 150\n";
  auto run = RunHeadless(game.path(), script, {"--audio", out.path() + "/a.wav"});
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.Events("beep").size(), 1u);
  EXPECT_EQ(run.Events("beep")[0].t, 20);

  kbtest::WavFile wav;
  ASSERT_TRUE(kbtest::ReadWav(out.path() + "/a.wav", wav));
  EXPECT_EQ(wav.sampleRate, 44100);
  ASSERT_EQ(wav.Frames(), 170u * 441 / 10);
  std::size_t first = wav.Frames(), last = 0;
  for (std::size_t f = 0; f < wav.Frames(); ++f) {
    if (wav.Left(f) == 0) continue;
    first = std::min(first, f);
    last = f;
  }
  EXPECT_GE(first, 882u);
  EXPECT_LT(first, 892u);
  EXPECT_LT(last, 882u + 5292u);

  // The same run gives the same sound, byte for byte.
  RunHeadless(game.path(), script, {"--audio", out.path() + "/b.wav"});
  EXPECT_EQ(out.ReadBytes("a.wav"), out.ReadBytes("b.wav"));
}

TEST(HeadlessScript, AudioFileProblemsEndTheRunWithCode2) {
  TempFolder game;
  QuietGame(game, "＃クリック待ち\n");
  auto run = RunHeadless(game.path(), "wait\n", {"--audio", game.path() + "/no/such/folder/a.wav"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.stderrText.find("cannot write the sound file"), std::string::npos) << run.stderrText;

  // Only a headless run records its sound.
  const std::string cmd = kbtest::GameExecutable() + " --audio " + game.path() + "/a.wav " + game.path() +
                          " 2>" + game.path() + "/err.txt";
  const int status = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  EXPECT_NE(game.ReadBytes("err.txt").find("--audio is for headless runs"), std::string::npos);
  EXPECT_FALSE(game.Exists("a.wav"));
}

}  // namespace
