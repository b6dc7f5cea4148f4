// The program from start-up to the end, through the real executable.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/game_fixture.h"

using kbtest::RunHeadless;
using kbtest::TempFolder;

namespace {

// A windowed game without the start-up notice, so that traces hold only
// what a test is about.
void QuietGame(const TempFolder& game, const std::string& scenario) {
  game.WriteText("mero.ini", "＃ウインドウ\n＃注意オフ\n");
  game.WriteText("start.txt", scenario);
}

TEST(StartUp, RefusesWithoutStartScenario) {
  TempFolder game;
  auto run = RunHeadless(game.path(), "wait\n");
  EXPECT_EQ(run.exitCode, 0);
  auto boxes = run.Events("messagebox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text("text"), "startシナリオがありません");
  EXPECT_TRUE(run.Events("present").empty());
}

TEST(StartUp, FolderDepthLimit) {
  // The whole folder path may be 151 bytes long; 152 is refused.
  TempFolder root("kbdeep");
  for (int length : {151, 152}) {
    SCOPED_TRACE(length);
    std::string path = root.path() + "/";
    int need = length - static_cast<int>(path.size());
    ASSERT_GT(need, 2);
    while (need > 0) {
      int part = std::min(need, 60);
      if (need - part == 1) --part;  // leave room for a "/" and a name
      path += std::string(static_cast<std::size_t>(part), static_cast<char>('a' + length % 26));
      need -= part;
      if (need > 0) {
        path += "/";
        --need;
      }
    }
    ASSERT_EQ(path.size(), static_cast<std::size_t>(length));
    std::filesystem::create_directories(path);
    std::string rel = path.substr(root.path().size() + 1);
    root.WriteText(rel + "/mero.ini", "＃ウインドウ\n＃注意オフ\n");
    root.WriteText(rel + "/start.txt", "＃クリック待ち\n");
    auto run = RunHeadless(path, "wait\n");
    EXPECT_EQ(run.exitCode, 0);
    auto boxes = run.Events("messagebox");
    if (length == 151) {
      EXPECT_EQ(run.Events("present").size(), 1u);
    } else {
      ASSERT_EQ(boxes.size(), 2u);
      EXPECT_EQ(boxes[0].Text("text"),
                "●このゲームのフォルダのある位置が深すぎるか、\n間に長い名前のフォルダをはさんでいます。\n\n"
                "ゲームのフォルダを「ﾃﾞｽｸﾄｯﾌﾟ」などの\n浅い階層に移動する事をお勧めします。");
      EXPECT_EQ(boxes[1].Text("text"),
                "●安全のため終了します。\n\n終了後にゲームのフォルダを「ﾃﾞｽｸﾄｯﾌﾟ」などの\n"
                "浅い階層に移動してからプレイしてください。");
      EXPECT_TRUE(run.Events("present").empty());
    }
  }
}

TEST(StartUp, PlainModeDialogsAndPackedStart) {
  TempFolder game;
  game.WriteText("start.txt", "＃クリック待ち\n");
  auto run = RunHeadless(game.path(), "answer ok\nanswer ok\nanswer no\nwait\n");
  auto boxes = run.Events("messagebox");
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].Text("text"),
            "このソフトは\n簡単ゲーム作成アプリケーション \n「カタリベドリVer 1.73」を使用しています。\n\n");
  EXPECT_EQ(boxes[0].Text("caption"), "簡単ゲーム作成アプリケーション 「カタリベドリ」（Ver 01.73）");
  EXPECT_EQ(boxes[1].Text("text").rfind("●お楽しみいただく前に", 0), 0u);
  EXPECT_EQ(boxes[2].Text("buttons"), "yesnocancel");
  EXPECT_EQ(boxes[2].Text("answer"), "no");

  // Cancel on the colour question ends the start.
  auto cancelled = RunHeadless(game.path(), "answer ok\nanswer ok\nanswer cancel\nwait\n");
  EXPECT_EQ(cancelled.exitCode, 0);
  EXPECT_TRUE(cancelled.Events("present").empty());

  // A packed game has neither plain-mode box.
  TempFolder packed;
  std::string scenario = kbtest::Sjis("＃クリック待ち\n");
  for (char& c : scenario) c = static_cast<char>(c ^ 0x9D);
  packed.WriteBytes("start.st1", scenario);
  packed.WriteText("mero.ini", "＃注意オフ\n");
  auto p = RunHeadless(packed.path(), "wait\n");
  EXPECT_TRUE(p.Events("messagebox").empty());
  EXPECT_TRUE(p.Events("error").empty());
}

TEST(FrameStep, EndOfScenarioRestartsAfterAClick) {
  TempFolder game;
  QuietGame(game, "＃クリック待ち\n");
  auto run = RunHeadless(game.path(), "wait\nclick 1 1\nwait\nclick 1 1\nwait\nclick 1 1\nwait\n");
  auto errors = run.Events("error");
  // First click: the click wait ends and the scenario runs off its end.
  // Second click dismisses the notice; the run from line 0 waits again;
  // the third click ends it once more.
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].Text("message"), "シナリオが終了しました。");
  EXPECT_EQ(errors[0].Text("detail"), "始めから実行します。");
  EXPECT_EQ(run.exitCode, 0);
}

TEST(FrameStep, RestartWithErrorsOffDoesNotWait) {
  TempFolder game;
  QuietGame(game, "＃エラーオフ\n＃クリック待ち\n");
  auto run = RunHeadless(game.path(), "wait\nclick 1 1\nwait\n");
  EXPECT_TRUE(run.Events("error").empty());
  EXPECT_EQ(run.exitCode, 0);
}

TEST(Loader, OverlongLineEndsTheGameAfterThreePages) {
  for (bool tooManyLines : {false, true}) {
    SCOPED_TRACE(tooManyLines);
    TempFolder game;
    game.WriteText("mero.ini", "＃ウインドウ\n＃注意オフ\n");
    std::string scenario;
    if (tooManyLines) {
      for (int i = 0; i < 4500; ++i) scenario += "//\n";
    } else {
      scenario = std::string(95, 'x') + "\n";
    }
    game.WriteBytes("start.txt", scenario);
    game.WriteBytes("jp_deco", "left over");
    auto run = RunHeadless(game.path(), "wait\n");
    auto errors = run.Events("error");
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0].Text("message"), tooManyLines ? "シナリオが４５００行を超えています"
                                                      : "シナリオに９５文字を超えた行が存在します");
    EXPECT_EQ(errors[0].Text("detail"), "start.txt");
    EXPECT_EQ(errors[1].Text("message"), tooManyLines ? "長いシナリオは＃別シナリオなどを使って"
                                                      : "シナリオは１行９４（全角４７）文字までです");
    EXPECT_EQ(errors[2].Text("message"), "メモリーが破壊される恐れがあるので");
    EXPECT_EQ(errors[2].Text("detail"), "安全の為、３秒後に強制終了します");
    // The pauses pass in virtual time: 5 s, 3 s, then 5 s before the end.
    EXPECT_EQ(errors[0].t, 0);
    EXPECT_EQ(errors[1].t, 5000);
    EXPECT_EQ(errors[2].t, 8000);
    auto exits = run.Events("exit");
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_EQ(exits[0].t, 13000);
    EXPECT_EQ(exits[0].Number("code"), 0);
    EXPECT_FALSE(game.Exists("jp_deco"));
  }
}

}  // namespace
