// Branch blocks run in-process: a marker line such as "＃印１" is no command,
// so the error page it raises names where execution went.
#include <gtest/gtest.h>

#include <string>

#include "script/error_reporter.h"
#include "shell/wait_state.h"
#include "support/engine_fixture.h"
#include "vars/variables.h"

using kbtest::Sjis;

namespace {

class BranchTest : public kbtest::EngineTest {
 protected:
  // Runs the scenario to its first error page; returns its detail and sets
  // `message`.
  std::string FirstPage(const std::string& scenario, bool keepVariables = false) {
    if (!keepVariables) kb::ClearVariables();
    kb::waitState = kb::WaitState{};
    LoadScenarioText(scenario);
    RunUntilWaiting();
    message = kb::errorReporter.lastMessage;
    return kb::errorReporter.lastDetail;
  }
  // After dismissing the page, runs on to the next one.
  std::string NextPage() {
    kb::waitState = kb::WaitState{};
    RunUntilWaiting();
    message = kb::errorReporter.lastMessage;
    return kb::errorReporter.lastDetail;
  }
  std::string message;
};

const std::string kDeclare = "＃変数宣言\nＶ\n\n";
const std::string kBodies = "＃0\n＃印０\n＃1\n＃印１\n＃2\n＃印２\n＃＃＃＃\n＃印後\n";

std::string RangeBlock(const std::string& value, const std::string& separators,
                       const std::string& bodies = kBodies) {
  return kDeclare + "Ｖ＝" + value + "\n＃分岐範囲\nＶ\n" + separators + "\n\n" + bodies;
}

TEST_F(BranchTest, RangeFindsTheRangeOfTheValue) {
  const struct {
    const char* value;
    const char* label;
  } cases[] = {{"9", "＃印０"}, {"10", "＃印１"}, {"19", "＃印１"}, {"20", "＃印２"},
               {"1000", "＃印２"}, {"－5", "＃印０"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(FirstPage(RangeBlock(c.value, "10\n２０")), Sjis(c.label));
  }
  // Separators may be computed; the body runs into the next label, which
  // leaves the block.
  EXPECT_EQ(FirstPage(RangeBlock("15", "Ｖ－5\nＶ＋5")), Sjis("＃印１"));
  EXPECT_EQ(NextPage(), Sjis("＃印後"));
}

TEST_F(BranchTest, RangeReportsItsMistakes) {
  const struct {
    std::string scenario, message, detail;
  } cases[] = {
      {RangeBlock("1", "10\n10"), "範囲の大小関係が間違っています", "10"},
      {RangeBlock("1", "20\n10"), "範囲の大小関係が間違っています", "20"},
      {"＃分岐範囲\n5\n10\n\n" + kBodies, "＃分岐範囲の基準となる「変数」が「数」です", "5"},
      {"＃分岐範囲\n１＋２\n10\n\n" + kBodies, "＃分岐範囲の基準となる「変数」が「数」です", "１＋２"},
      {"＃分岐範囲\n\n" + kBodies, "＃分岐範囲で分岐の基準となる", "「変数」が指定されていません"},
      {kDeclare + "＃分岐範囲\nＶ\n\n" + kBodies, "区間を区切る数がありません",
       "（パラメータの直後にリターンがあります）"},
      {"＃分岐範囲\n未知\n10\n\n" + kBodies, "ERR:該当する 未知 が宣言されていません", "未知"},
      {RangeBlock("1", "10", "＃1\n＃＃＃＃\n"), "該当ラベルがありません",
       "＃選択～＃＃＃＃をチェックしてください"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scenario);
    EXPECT_EQ(FirstPage(c.scenario), Sjis(c.detail));
    EXPECT_EQ(message, Sjis(c.message));
  }
}

TEST_F(BranchTest, RangeTakesAtMostNinetyNineSeparators) {
  std::string separators;
  for (int i = 1; i <= 99; ++i) separators += (i > 1 ? "\n" : "") + std::to_string(i);
  std::string labels = "＃99\n＃印最後\n＃＃＃＃\n";
  EXPECT_EQ(FirstPage(RangeBlock("500", separators, labels)), Sjis("＃印最後"));
  EXPECT_EQ(FirstPage(RangeBlock("500", separators + "\n100", labels)), Sjis("（区切り数は９９まで）"));
  EXPECT_EQ(message, Sjis("＃分岐範囲は１００区間までです"));
}

TEST_F(BranchTest, MaximumTakesTheFirstOfTheLargest) {
  const struct {
    const char* values;
    const char* label;
  } cases[] = {{"3\n7\n7", "＃印２"}, {"9\n7", "＃印１"}, {"", "＃印１"}, {"Ｖ\nＶ＋1\n－4", "＃印２"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.values);
    std::string values = c.values;
    EXPECT_EQ(FirstPage(kDeclare + "＃分岐最大\n" + values + (values.empty() ? "" : "\n") + "\n" + kBodies),
              Sjis(c.label));
  }
  std::string many;
  for (int i = 0; i < 101; ++i) many += "1\n";
  FirstPage("＃分岐最大\n" + many + "\n" + kBodies);
  EXPECT_EQ(message, Sjis("＃分岐範囲は１００までです"));
}

TEST_F(BranchTest, TextComparesTheWholeLine) {
  const struct {
    const char* value;
    const char* line;
    const char* label;
  } cases[] = {{"あいう", "あいう", "＃印１"}, {"あいう", "あいう ", "＃印０"}, {"", "", "＃印１"}, {"a", "A", "＃印０"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    kb::ClearVariables();
    kb::OpenStringDeclarations();
    kb::DeclareLine(Sjis("Ｓ"));
    kb::EndDeclarationBlocks();
    kb::SetStringValue(kb::FindStringVariable(Sjis("Ｓ")), Sjis(c.value));
    EXPECT_EQ(FirstPage("＃分岐文字\nＳ\n" + std::string(c.line) + "\n" + kBodies, true), Sjis(c.label));
  }
  EXPECT_EQ(FirstPage("＃分岐文字\n無い\nx\n" + kBodies), Sjis("無い"));
  EXPECT_EQ(message, Sjis("該当する文字変数が宣言されていません"));
  EXPECT_EQ(FirstPage("＃分岐文字\n\n" + kBodies), Sjis("指定されていません"));
}

TEST_F(BranchTest, LabelSearchStaysAtTheBlocksLevel) {
  // Body 1 holds a nested block with its own "＃2"; the outer "＃2" is found
  // past it.
  const std::string nested = kDeclare + "＃分岐最大\n1\n5\n\n＃1\n＃分岐最大\n1\n5\n\n＃2\n＃印内\n＃＃＃＃\n" +
                             "＃2\n＃印外\n＃＃＃＃\n";
  EXPECT_EQ(FirstPage(nested), Sjis("＃印外"));
  // A label missing from its own block is found in a later block of the
  // same level.
  const std::string later = "＃分岐最大\n1\n5\n\n＃1\n＃印一\n＃＃＃＃\n＃分岐最大\n\n＃2\n＃印次\n＃＃＃＃\n";
  EXPECT_EQ(FirstPage(later), Sjis("＃印次"));
  // A number label outside any block.
  EXPECT_EQ(FirstPage("＃2\n"), Sjis("＃選択（又は分岐）～＃＃＃＃の間にありません"));
  EXPECT_EQ(message, Sjis("＃数の位置がおかしいです"));
}

}  // namespace
