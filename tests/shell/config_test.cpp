// The configuration file, read through the executable: which start-up boxes
// appear, with which captions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/game_fixture.h"

namespace {

// Short names for the start-up boxes; anything else is a box text itself.
std::string Name(const std::string& text) {
  auto starts = [&](const char* p) { return text.rfind(p, 0) == 0; };
  if (starts("このソフトは\n")) return "plain";
  if (starts("●お楽しみいただく前に")) return "notice";
  if (starts("●このゲームはＭＰ３を使用しています。")) return "mp3";
  if (starts("●画面カラーの設定")) return "colour";
  if (starts("●ゲームモードの設定")) return "window?";
  return text;
}

std::string Lines(int count, const std::string& line) {
  std::string s;
  for (int i = 0; i < count; ++i) s += line + "\n";
  return s;
}

TEST(Configuration, KeysAndLimits) {
  const std::string title = "＃ゲーム名\nテストのゲーム\n";
  const struct Case {
    const char* name;
    std::string ini;  // empty: no file
    std::vector<std::string> boxes;
  } cases[] = {
      {"no file", "", {"plain", "notice", "colour"}},
      {"window", "＃ウインドウ\n", {"plain", "notice"}},
      {"window, other spelling", "＃ウィンドウ\n＃注意オフ\n", {"plain"}},
      {"window with 選択 asks", "＃ウインドウ選択\n＃注意オフ\n", {"plain", "window?"}},
      {"ask mp3", "＃ウインドウ\n＃注意オフ\n＃ＭＰ３選択\n", {"plain", "mp3"}},
      {"comments and empty lines", "// x\n／／ y\n\n＃ウインドウ\n＃注意オフ\n", {"plain"}},
      {"save and chunk keys", "＃ウインドウ\n＃注意オフ\n＃セーブ\n＃チャンク\n", {"plain"}},
      {"half-width mp3 key",
       "＃ウインドウ\n＃注意オフ\n＃MP3選択\n",
       {"plain", "INIファイルの設定ミスです\n＃MP3選択"}},
      {"key without ＃",
       "ウインドウ\n＃注意オフ\n",
       {"plain", "INIファイルの設定ミスです\nウインドウ", "colour"}},
      {"95-byte line", "＃ウインドウ" + std::string(95 - 12, 'x') + "\n＃注意オフ\n", {"plain"}},
      {"96-byte line",
       "＃ウインドウ\n＃注意オフ" + std::string(96 - 10, 'x') + "\n",
       {"plain", "INIファイルに９５文字を超えた行があります", "notice", "colour"}},
      {"200 line feeds", "＃ウインドウ\n＃注意オフ\n" + Lines(198, "//"), {"plain"}},
      {"201 line feeds",
       "＃ウインドウ\n＃注意オフ\n" + Lines(199, "//"),
       {"plain", "INIファイルの行数が２００行を超えています", "notice", "colour"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    kbtest::TempFolder game;
    game.WriteText("start.txt", "＃クリック待ち\n");
    if (!c.ini.empty()) game.WriteText("mero.ini", c.ini);
    auto run = kbtest::RunHeadless(game.path(), "answer ok\nwait\n");
    std::vector<std::string> names;
    for (const auto& box : run.Events("messagebox")) names.push_back(Name(box.Text("text")));
    EXPECT_EQ(names, c.boxes);
  }
}

TEST(Configuration, CaptionLineIsConsumedAndTitlesEveryBox) {
  kbtest::TempFolder game;
  game.WriteText("start.txt", "＃クリック待ち\n");
  game.WriteText("mero.ini",
                 "＃ゲーム名\n最初の名前\n＃ゲームタイトル\nテストのゲーム\n＃注意オフ\n＃ウインドウ選択\n");
  auto run = kbtest::RunHeadless(game.path(), "answer ok\nanswer no\nwait\n");
  auto boxes = run.Events("messagebox");
  ASSERT_EQ(boxes.size(), 3u);  // plain mode, window question, colour question (No: full screen)
  EXPECT_EQ(boxes[0].Text("caption"), "簡単ゲーム作成アプリケーション 「カタリベドリ」（Ver 01.73）");
  EXPECT_EQ(boxes[1].Text("caption"), "テストのゲーム");
  EXPECT_EQ(Name(boxes[1].Text("text")), "window?");
  EXPECT_EQ(boxes[1].Text("answer"), "no");
  EXPECT_EQ(Name(boxes[2].Text("text")), "colour");
  EXPECT_EQ(boxes[2].Text("caption"), "テストのゲーム");

  // The caption key on the last line leaves an empty caption.
  game.WriteText("mero.ini", "＃ウインドウ\n＃注意オフ\n＃ＭＰ３選択\n＃ゲーム名");
  run = kbtest::RunHeadless(game.path(), "answer ok\nwait\n");
  boxes = run.Events("messagebox");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].Text("caption"), "");
}

TEST(Configuration, DesktopDepthOtherThan16IsRefusedInAWindow) {
  kbtest::TempFolder game;
  game.WriteText("start.txt", "＃クリック待ち\n");
  game.WriteText("mero.ini", "＃ウインドウ\n＃注意オフ\n");
  for (int depth : {24, 32}) {
    auto run = kbtest::RunHeadless(game.path(), "wait\n", {"--desktop-depth", std::to_string(depth)});
    auto boxes = run.Events("messagebox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].Text("text"),
              "現在の画面は " + std::to_string(depth) +
                  "ビットです\nこのソフトは１６ビットカラーでお楽しみください\n\n安全の為終了します。");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.Events("present").empty());
  }
  // Full screen does not look at the desktop.
  game.WriteText("mero.ini", "＃注意オフ\n");
  auto run = kbtest::RunHeadless(game.path(), "answer ok\nanswer no\nwait\n", {"--desktop-depth", "24"});
  EXPECT_FALSE(run.Events("present").empty());
}

}  // namespace
