// Labels, jumps, sub-scenarios and the right-click scenario, through the
// executable.  Lines such as "＃印Ａ" are not commands: each shows the error
// page with itself as the detail, which marks where execution went.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/game_fixture.h"

namespace {

struct Page {
  std::string message, detail, scenario;
  long long line;
};

// Runs the game until `count` pages have been shown, dismissing each with a
// click, and returns them.
std::vector<Page> Pages(const kbtest::TempFolder& game, int count) {
  std::string script = "wait\n";
  for (int i = 1; i < count; ++i) script += "click 1 1\nwait\n";
  auto run = kbtest::RunHeadless(game.path(), script);
  std::vector<Page> pages;
  for (const auto& e : run.Events("error"))
    pages.push_back({e.Text("message"), e.Text("detail"), e.Text("scenario"), e.Number("line")});
  return pages;
}

std::vector<std::string> Details(const std::vector<Page>& pages) {
  std::vector<std::string> out;
  for (const Page& p : pages) out.push_back(p.detail);
  return out;
}

kbtest::TempFolder& Game(kbtest::TempFolder& game, const std::string& start) {
  game.WriteText("mero.ini", "＃ウインドウ\n＃注意オフ\n");
  game.WriteText("start.txt", start);
  return game;
}

const std::string kRestart = "始めから実行します。";

TEST(Labels, JumpsGoToTheFirstLabelOfTheName) {
  kbtest::TempFolder game;
  Game(game,
       "＃ＧＯ\n先\n＃印Ａ\n＃ラベル\n先\n＃印Ｂ\n＃ラベル\n先\n＃印Ｃ\n＃GO\n先 "
       "\n＃ＧＯ\n最後\n＃印Ｄ\n＃ラベル\n"
       "最後");
  auto pages = Pages(game, 4);
  EXPECT_EQ(Details(pages), (std::vector<std::string>{"＃印Ｂ", "＃印Ｃ", "先 ", kRestart}));
  ASSERT_EQ(pages.size(), 4u);
  EXPECT_EQ(pages[2].message, "該当するラベルが見つかりません");
  EXPECT_EQ(pages[2].line, 11) << "the page counts the name line from 1";
}

TEST(Labels, SubScenarioReturnsAfterItsArgumentLine) {
  kbtest::TempFolder game;
  Game(game, "＃別シナリオ\nsub.txt\n＃印Ａ\n＃別シナリオラベル\nsub.txt\n中\n＃印Ｂ\n");
  game.WriteText("sub.txt", "＃印Ｓ\n＃ラベル\n中\n＃印Ｔ\n");
  auto pages = Pages(game, 6);
  EXPECT_EQ(Details(pages),
            (std::vector<std::string>{"＃印Ｓ", "＃印Ｔ", "＃印Ａ", "＃印Ｔ", "＃印Ｂ", kRestart}));
  ASSERT_GE(pages.size(), 3u);
  EXPECT_EQ(pages[0].scenario, "sub.txt") << "the page names the file now running";
  EXPECT_EQ(pages[2].scenario, "start.txt");
}

TEST(Labels, CallingAScenarioOnThePathReturnsToIt) {
  // start calls b, b calls start again at a label: the path unwinds to
  // level 0, so the end of start restarts the game instead of returning.
  kbtest::TempFolder game;
  Game(game, "＃別シナリオ\nb.txt\n＃印Ｘ\n＃ラベル\n後\n＃印Ｙ\n");
  game.WriteText("b.txt", "＃別シナリオラベル\nstart.txt\n後\n＃印Ｂ\n");
  EXPECT_EQ(Details(Pages(game, 2)), (std::vector<std::string>{"＃印Ｙ", kRestart}));
}

TEST(Labels, CallFailures) {
  const struct {
    const char* name;
    const char* start;
    const char* message;
    const char* detail;
    const char* next;  // the marker that runs after the page
  } cases[] = {
      {"missing file", "＃別シナリオ\nない.txt\n＃印Ａ\n", "別シナリオのファイルがありません。", "ない.txt",
       "＃印Ａ"},
      {"missing label in the called file", "＃別シナリオラベル\nsub.txt\nない\n＃印Ａ\n",
       "該当するラベルが見つかりません", "ない", "＃印Ｓ"},
      {"missing right-click file", "＃右クリックシナリオ\nない.txt\n＃印Ａ\n",
       "右クリックシナリオのファイルがありません", "ない.txt", "＃印Ａ"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    kbtest::TempFolder game;
    Game(game, c.start);
    game.WriteText("sub.txt", "＃印Ｓ\n");
    auto pages = Pages(game, 2);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].message, c.message);
    EXPECT_EQ(pages[0].detail, c.detail);
    EXPECT_EQ(pages[1].detail, c.next);
  }
}

TEST(Labels, FolderAndNamesAnyCaseAndSeparator) {
  kbtest::TempFolder game;
  Game(game, "＃シナリオのパス\nシナリオ\\\n＃別シナリオ\n第1章\\SUB.TXT\n＃印Ａ\n");
  game.WriteText("シナリオ/第1章/sub.txt", "＃印Ｓ\n");
  EXPECT_EQ(Details(Pages(game, 2)), (std::vector<std::string>{"＃印Ｓ", "＃印Ａ"}));
}

TEST(Labels, CallDepthStopsAbove1000) {
  kbtest::TempFolder game;
  Game(game, "＃別シナリオ\ns1.txt\n");
  for (int i = 1; i <= 1002; ++i) {
    std::string body = "＃別シナリオ\ns" + std::to_string(i + 1) + ".txt\n";
    if (i == 1001) body += "＃印Ｚ\n";
    game.WriteText("s" + std::to_string(i) + ".txt", body);
  }
  auto pages = Pages(game, 3);
  ASSERT_EQ(pages.size(), 3u);
  // s1001 runs at depth 1001; its call is refused before the name line is
  // read, so that line then runs as a line of its own.
  EXPECT_EQ(pages[0].message, "別シナリオから別シナリオを1000階層以上呼んでいます");
  EXPECT_EQ(pages[0].detail, "（右クリックシナリオも含みます）");
  EXPECT_EQ(pages[0].scenario, "s1001.txt");
  EXPECT_EQ(pages[1].message, "シナリオ上のミスです。");
  EXPECT_EQ(pages[1].detail, "s1002.txt");
  EXPECT_EQ(pages[2].detail, "＃印Ｚ");
}

TEST(Labels, RightClickScenarioReturnsToTheWaitingPoint) {
  kbtest::TempFolder game;
  Game(game, "＃右クリックシナリオ\nmenu.txt\n＃クリック待ち\n＃印Ａ\n");
  game.WriteText("menu.txt", "＃クリック待ち\n＃印Ｍ\n");
  // Right click during the click wait opens the menu; a second right click
  // inside it does nothing; the menu's end returns to the line after the
  // waiting one.
  auto run = kbtest::RunHeadless(
      game.path(), "wait\nrclick 5 5\nwait\nrclick 5 5\nwait\nclick 1 1\nwait\nclick 1 1\nwait\n");
  std::vector<std::string> details;
  for (const auto& e : run.Events("error")) details.push_back(e.Text("detail"));
  EXPECT_EQ(details, (std::vector<std::string>{"＃印Ｍ", "＃印Ａ"}));
}

}  // namespace
