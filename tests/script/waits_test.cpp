// Click waits, timed waits, the skip switch, and what a click stores during
// a click-position wait or a scroll's click wait.
#include "script/waits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "shell/wait_state.h"
#include "support/engine_fixture.h"
#include "support/game_fixture.h"
#include "text/text_style.h"

using namespace kb;
using kbtest::Sjis;

namespace {

std::string stored;  // what the fake variable table received
std::string stops;   // the layers whose scroll was stopped

// Declared numeric variables: "vx" and "vy" only.
bool StoreFake(std::string_view name, std::int32_t value) {
  if (name != "vx" && name != "vy") return false;
  stored += std::string(name) + "=" + std::to_string(value) + " ";
  return true;
}

class WaitsTest : public kbtest::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    stored.clear();
    waitHooks.storeNumericVariable = StoreFake;
  }
  void TearDown() override {
    waitHooks = WaitHooks{};
    EngineTest::TearDown();
  }
  // Line 0 is the command; the handlers find the counter on line 1.
  void Stand(const std::string& argumentLines) {
    LoadScenarioText("＃命令\n" + argumentLines);
    programCounter = 1;
    waitState = WaitState{};
    errorReporter.lastMessage.clear();
    errorReporter.lastDetail.clear();
    stored.clear();
  }
};

struct StoreCase {
  const char* lines;
  const char* message;  // "" for no report
  const char* detail;
  const char* stored;
  int counter;
};

TEST_F(WaitsTest, ClickPositionStoresTheClickIntoTheNamedVariables) {
  const StoreCase cases[] = {
      {"vx\nvy\n", "", "", "vx=7 vy=8 ", 3},
      {"\nvy\n", "＃クリック位置のＸを代入する変数が", "指定されていません", "", 1},
      {"nox\nvy\n", "＃クリック位置のＸを代入する 変数 が宣言されていません", "nox", "", 1},
      {"vx\n\n", "＃クリック位置のＹを代入する変数が", "指定されていません", "vx=7 ", 2},
      {"vx\nnoy\n", "＃クリック位置のＹを代入する 変数 が宣言されていません", "noy", "vx=7 ", 2},
  };
  for (const StoreCase& c : cases) {
    SCOPED_TRACE(c.lines);
    Stand(c.lines);
    waitState.clickPositionWait = 1;
    ClickPositionHandler(7, 8);
    EXPECT_EQ(waitState.clickPositionWait, 0);
    EXPECT_EQ(errorReporter.lastMessage, Sjis(c.message));
    EXPECT_EQ(errorReporter.lastDetail, Sjis(c.detail));
    EXPECT_EQ(stored, c.stored);
    EXPECT_EQ(programCounter, c.counter);
  }
}

TEST_F(WaitsTest, ScrollClickStopsTheScrollAndStoresItsOffsets) {
  waitHooks.stopScroll = [](ScrollLayer layer) { stops += std::to_string(static_cast<int>(layer)); };
  waitHooks.scrollOffset = [](ScrollLayer layer, int& x, int& y) {
    x = 100 + static_cast<int>(layer);
    y = -20;
  };
  struct Layer {
    ScrollLayer layer;
    int WaitState::*flag;
    const char* name;
  };
  const Layer layers[] = {
      {ScrollLayer::Picture, &WaitState::pictureScrollClickWait, "絵"},
      {ScrollLayer::Figure, &WaitState::figureScrollClickWait, "人物"},
      {ScrollLayer::Foreground, &WaitState::foregroundScrollClickWait, "前景"},
  };
  for (const Layer& l : layers) {
    const std::string x = std::to_string(100 + static_cast<int>(l.layer));
    const std::string scroll = std::string(l.name) + "スクロールの";
    const std::string xUndeclared = scroll + "Ｘを代入する 変数 が宣言されていません";
    const std::string yMissing = scroll + "Ｙを代入する変数が";
    const std::string yUndeclared = scroll + "Ｙを代入する 変数 が宣言されていません";
    const std::string xOnly = "vx=" + x + " ";
    const std::string both = xOnly + "vy=-20 ";
    const StoreCase cases[] = {
        // An empty line: the offsets are not wanted; execution goes on
        // after it.
        {"\nvy\n", "", "", "", 2},
        {"vx\nvy\n", "", "", both.c_str(), 3},
        {"nox\nvy\n", xUndeclared.c_str(), "nox", "", 1},
        {"vx\n\n", yMissing.c_str(), "指定されていません", xOnly.c_str(), 2},
        {"vx\nnoy\n", yUndeclared.c_str(), "noy", xOnly.c_str(), 2},
    };
    for (const StoreCase& c : cases) {
      SCOPED_TRACE(scroll + " / " + c.lines);
      Stand(c.lines);
      stops.clear();
      waitState.*l.flag = 1;
      ScrollClickHandler(l.layer);
      EXPECT_EQ(stops, std::to_string(static_cast<int>(l.layer)));
      EXPECT_EQ(waitState.*l.flag, 0);
      EXPECT_EQ(errorReporter.lastMessage, Sjis(c.message));
      EXPECT_EQ(errorReporter.lastDetail, Sjis(c.detail));
      EXPECT_EQ(stored, c.stored);
      EXPECT_EQ(programCounter, c.counter);
    }
  }
}

TEST_F(WaitsTest, TimeWaitReadsItsLength) {
  struct Case {
    const char* line;
    bool waits;
    int length;
  };
  // The length is computed: full-width digits, signs and sums; a value
  // beyond the evaluator's range or an undeclared name is reported.
  const Case cases[] = {
      {"1000", true, 1000},
      {"０", true, 0},
      {"－５", true, -5},
      {"1+1", true, 2},
      {"99999999999", false, 0},
      {"abc", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Stand(std::string(c.line) + "\n");
    programCounter = 0;
    frameState.timeWaitLength = 0;
    HandleTimeWait();
    EXPECT_EQ(programCounter, 1);
    EXPECT_EQ(waitState.timeWait, c.waits ? 1 : 0);
    EXPECT_EQ(frameState.timeWaitLength, c.length);
    EXPECT_EQ(waitState.halted, c.waits ? 0 : 1);
    if (c.waits) {
      EXPECT_EQ(frameState.timeWaitStart, GetPlatform().Ticks());
    }
  }

  Stand("\n");
  programCounter = 0;
  HandleTimeWait();
  EXPECT_EQ(errorReporter.lastMessage, Sjis("時間待ちの時間が指定されていません"));
  EXPECT_EQ(errorReporter.lastDetail, Sjis("指定単位はミリ秒です"));
  EXPECT_EQ(waitState.timeWait, 0);

  // A failed computation is reported with the length line.
  waitHooks.computeNumber = [](std::string_view, std::int32_t&, std::string& error) {
    error = "ERR:test";
    return false;
  };
  Stand("Ａ＋1\n");
  programCounter = 0;
  HandleTimeWait();
  EXPECT_EQ(errorReporter.lastMessage, "ERR:test");
  EXPECT_EQ(errorReporter.lastDetail, Sjis("Ａ＋1"));
  EXPECT_EQ(waitState.timeWait, 0);
}

TEST_F(WaitsTest, ClickWaitTakesTheLineStyle) {
  Stand("");
  SetLine(0, Sjis("＃クリック待ち赤大"));
  programCounter = 0;
  HandleClickWait();
  EXPECT_EQ(waitState.clickWait, 1);
  EXPECT_EQ(textStyle.colour, (TextColour{255, 0, 0}));
  EXPECT_EQ(textStyle.size, 38);
  SetLine(0, Sjis("＃クリック待ち"));
  HandleClickWait();
  EXPECT_EQ(textStyle.colour, TextColour{});
  EXPECT_EQ(textStyle.size, 18);
}

// --- through the executable -------------------------------------------------------

void Game(const kbtest::TempFolder& game, const std::string& start) {
  game.WriteText("mero.ini", "＃ウインドウ\n＃注意オフ\n");
  game.WriteText("start.txt", start);
}

std::vector<std::string> Details(const kbtest::RunResult& run) {
  std::vector<std::string> out;
  for (const auto& e : run.Events("error")) out.push_back(e.Text("detail"));
  return out;
}

TEST(TimeWait, HoldsForTheVirtualTimeAskedWhateverIsClicked) {
  struct Case {
    const char* length;
    const char* startTick;
    long long endsAt;  // virtual milliseconds after the start
  };
  const Case cases[] = {
      {"30", "0", 31},          {"０", "0", 1},  // ends once the clock has moved on
      {"-5", "0", 0},                            // ends at the first waiting pass
      {"30", "4294967286", 31},                  // the tick count wraps 10 ms in
      {"0", "4294967295", 1},   {"－１", "4294967295", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.length) + " from tick " + c.startTick);
    kbtest::TempFolder game;
    Game(game, std::string("＃時間待ち\n") + c.length + "\n＃印\n");
    auto run = kbtest::RunHeadless(
        game.path(),
        "wait\nclick 1 1\nkey ENTER\nadvance 15\nclick 1 1\nkey ENTER\nkey SPACE\nrclick 1 1\nadvance 35\n",
        {"--start-tick", c.startTick});
    auto errors = run.Events("error");
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors[0].Text("detail"), "＃印");
    EXPECT_EQ(errors[0].t, c.endsAt);
  }
}

TEST(Skip, SpaceEndsClickWaitsOnlyWhileAllowed) {
  kbtest::TempFolder game;
  Game(game, "＃スキップオフ\n＃クリック待ち\n＃印Ａ\n＃スキップ\n＃クリック待ち\n＃印Ｂ\n");
  // Space does nothing after "＃スキップオフ"; a click goes on.  After
  // "＃スキップ" Space goes on, but does not dismiss the error page.
  auto run = kbtest::RunHeadless(game.path(),
                                 "wait\nkey SPACE\nwait\nclick 1 1\nwait\n"
                                 "key SPACE\nwait\nclick 1 1\nwait\nkey SPACE\nwait\nkey SPACE\nwait\n");
  EXPECT_EQ(Details(run), (std::vector<std::string>{"＃印Ａ", "＃印Ｂ"}));
}

TEST(ClickPosition, EnterDoesNotAnswerItAndAnUndeclaredVariableRunsAsALine) {
  kbtest::TempFolder game;
  Game(game, "＃クリック位置\nＸ\nＹ\n");
  auto run = kbtest::RunHeadless(game.path(),
                                 "wait\nkey ENTER\nkey SPACE\nwait\nclick 30 40\nwait\nclick 1 1\nwait\n");
  auto errors = run.Events("error");
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].Text("message"), "＃クリック位置のＸを代入する 変数 が宣言されていません");
  EXPECT_EQ(errors[0].Text("detail"), "Ｘ");
  EXPECT_EQ(errors[1].Text("message"), "シナリオ上のミスです。");
  EXPECT_EQ(errors[1].Text("detail"), "Ｘ");
}

}  // namespace
