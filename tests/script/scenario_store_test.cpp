// The scenario loader and the checks made on a loaded scenario.
#include "script/scenario_store.h"

#include <gtest/gtest.h>

#include <string>

#include "base/sjis_literal.h"
#include "script/error_reporter.h"
#include "shell/packed_mode.h"
#include "shell/wait_state.h"
#include "support/engine_fixture.h"

using namespace kb;
using kbtest::Sjis;

namespace {

class Loader : public kbtest::EngineTest {
 protected:
  std::string Line(int i) { return std::string(LineAt(i)); }
};

TEST_F(Loader, SplitsLinesAndAddsTwoEmptyOnes) {
  ASSERT_EQ(LoadScenarioBytes("A\nB\n", "s"), 1);
  EXPECT_EQ(scenarioStore.lineCount, 5);
  EXPECT_EQ(Line(0), "A");
  EXPECT_EQ(Line(1), "B");
  EXPECT_EQ(Line(2), "");
  ASSERT_EQ(LoadScenarioBytes("A\nB", "s"), 1);
  EXPECT_EQ(scenarioStore.lineCount, 4);
  EXPECT_EQ(Line(1), "B");
}

TEST_F(Loader, TextModeAndTabs) {
  ASSERT_EQ(LoadScenarioBytes("a\tb\r\nc\rd\nafter\x1A"
                              "hidden\n",
                              "s"),
            1);
  EXPECT_EQ(Line(0), "ab");
  EXPECT_EQ(Line(1), "c\rd");
  EXPECT_EQ(Line(2), "after");
  EXPECT_EQ(scenarioStore.lineCount, 5);
}

TEST_F(Loader, PackedFilesAreUnscrambledAfterTextMode) {
  EnterPackedMode();
  std::string plain = "A\r\nB\n";
  std::string stored;
  for (char c : plain) stored.push_back(static_cast<char>(c ^ 0x9D));
  ASSERT_EQ(LoadScenarioBytes(stored, "s.st1"), 1);
  // The scrambled carriage return is not dropped: it is part of the line.
  EXPECT_EQ(Line(0), "A\r");
  EXPECT_EQ(Line(1), "B");
  // A stored CR LF pair (as bytes 0x0D 0x0A) is dropped before unscrambling.
  std::string raw =
      std::string(1, static_cast<char>('A' ^ 0x9D)) + "\r\n" + std::string(1, static_cast<char>('\n' ^ 0x9D));
  ASSERT_EQ(LoadScenarioBytes(raw, "s.st1"), 1);
  EXPECT_EQ(Line(0), std::string("A") + static_cast<char>(0x0A ^ 0x9D));
}

TEST_F(Loader, LongestLineAndMostLineFeedsLoad) {
  std::string line94(94, 'x');
  std::string fullWidth47;
  for (int i = 0; i < 47; ++i) fullWidth47 += "あ"_sj;
  ASSERT_EQ(LoadScenarioBytes(line94 + "\n" + fullWidth47, "s"), 1);
  EXPECT_EQ(Line(0).size(), 94u);
  EXPECT_EQ(Line(1), fullWidth47);
  // Tabs do not count toward the 94.
  ASSERT_EQ(LoadScenarioBytes(line94 + "\t\t\n", "s"), 1);
  EXPECT_EQ(Line(0), line94);
  std::string many;
  for (int i = 0; i < kMaxLineFeeds; ++i) many += "//\n";
  many += "last";
  ASSERT_EQ(LoadScenarioBytes(many, "s"), 1);
  EXPECT_EQ(scenarioStore.lineCount, 4502);
  EXPECT_EQ(Line(4499), "last");
}

TEST_F(Loader, NumberLabelsAndClosersAreNormalised) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"＃１２　次へ", "＃12"},
      {"＃3２", "＃32"},
      {"＃１文字", "＃１文字"},
      {"＃1文字", "＃1文字"},
      {"＃＃＃＃ここまで", "＃＃＃＃"},
      {"＃ラベル", "＃ラベル"},
      {"＃０", "＃0"},
      {"＃9x", "＃9"},
  };
  std::string text;
  for (const auto& c : cases) text += Sjis(c.in) + "\n";
  ASSERT_EQ(LoadScenarioBytes(text, "s"), 1);
  int i = 0;
  for (const auto& c : cases) EXPECT_EQ(Line(i++), Sjis(c.out)) << c.in;
}

TEST_F(Loader, BalanceCheck) {
  struct Case {
    const char* scenario;
    const char* message;  // empty: balanced
    const char* detail;
  };
  const Case cases[] = {
      {"＃選択\nA\n＃分岐範囲\n＃＃＃＃\n＃＃＃＃\n", "", ""},
      {"＃選択位置\n＃選択枠\n＃選択フォント\n＃選択反転色\n", "", ""},
      {"＃選択\n＃分岐\n＃＃＃＃\n", "「＃＃＃＃」が 1 個 足りません", "シナリオを再チェックしてください"},
      {"＃選択裏画面\n", "「＃＃＃＃」が 1 個 足りません", "シナリオを再チェックしてください"},
      {"＃＃＃＃\n＃選択\n", "「＃＃＃＃」が多いか位置が違います。",
       "0 行目の「＃＃＃＃」をチェックしてください"},
      {"//\n＃分岐文字\n＃＃＃＃\n＃＃＃＃\n", "「＃＃＃＃」が多いか位置が違います。",
       "3 行目の「＃＃＃＃」をチェックしてください"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    waitState = WaitState{};
    frameState.balanceChecked = 0;
    LoadScenarioText(c.scenario);
    CheckBlockBalance();
    if (*c.message == '\0') {
      EXPECT_EQ(waitState.halted, 0);
      EXPECT_EQ(frameState.balanceChecked, 0);
    } else {
      EXPECT_EQ(waitState.halted, 1);
      EXPECT_EQ(frameState.balanceChecked, 1);
      EXPECT_EQ(errorReporter.lastMessage, Sjis(c.message));
      EXPECT_EQ(errorReporter.lastDetail, Sjis(c.detail));
    }
  }
}

}  // namespace
