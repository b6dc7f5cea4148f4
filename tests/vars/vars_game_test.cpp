// Declarations and assignment lines in a real headless run: the reports
// reach the trace with their texts.  A value is made visible by assigning
// to an element of the undeclared array 見: the report names the element,
// whose number is the value.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/game_fixture.h"

namespace {

struct Page {
  std::string message, detail;
  long long line;
  bool operator==(const Page&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Page& p) {
  return os << "{\"" << p.message << "\", \"" << p.detail << "\", " << p.line << "}";
}

// The pages the start scenario shows up to its end, each dismissed with a
// click.
std::vector<Page> PagesOfOneRun(const std::string& start, int count) {
  kbtest::TempFolder game;
  game.WriteText("mero.ini", "＃ウインドウ\n＃注意オフ\n");
  game.WriteText("start.txt", start);
  std::string script = "wait\n";
  for (int i = 0; i < count; ++i) script += "click 1 1\nwait\n";
  const auto run = kbtest::RunHeadless(game.path(), script);
  std::vector<Page> pages;
  for (const auto& e : run.Events("error")) {
    if (e.Text("message") == "シナリオが終了しました。") break;
    pages.push_back({e.Text("message"), e.Text("detail"), e.Number("line")});
  }
  return pages;
}

TEST(VariablesInAGame, AssignmentLines) {
  const std::string scenario =
      "＃変数宣言\nA\nI\nB［3］\n\n"  // lines 1-5
      "A＝3\nA＝A＊２＋１\n見［A］＝0\n"  // 6-8
      "A＝７／２\n見［A］＝0\n"  // 9-10
      "A＝－７／２\n見［A］＝0\n"  // 11-12
      "I＝2\nB［I＋1］＝10\n見［B［3］］＝0\n"  // 13-15
      "B［I＋2］＝10\n"  // 16
      "A ＝5\n見［A］＝0\n"  // 17-18
      " A＝6\nA B＝6\nA=6\nA＝B=6\nA＝　6\n"  // 19-23
      "B［1＝6\nB］［1＝6\nB［X］＝6\nA＝X＋1\nA＝5/0\n"  // 24-28
      "見［A］＝0\n"  // 29
      "B［0］x＝9\n見［B［0］］＝0\n";  // 30-31
  const std::string undeclared = "該当する変数が宣言されていません";
  const std::string twoWords = "左辺に文字が二つ以上あります";
  const std::string notClosed = "左辺の配列変数が閉じていません";
  const std::string noX = "ERR:該当する X が宣言されていません";
  const std::vector<Page> expected = {
      {undeclared, "見:7:", 8},
      {undeclared, "見:3:", 10},
      {undeclared, "見:-3:", 12},
      {undeclared, "見:10:", 15},
      {undeclared, "B:4:", 16},
      {undeclared, "見:5:", 18},
      {twoWords, " A", 19},
      {twoWords, "A B", 20},
      {"シナリオ上のミスです。", "A=6", 21},  // without "＝" the line is no assignment
      {"「＝」は全角のみです", "A＝B=6", 22},
      {"スペースに関してだけは半角にして下さい", "A＝　6", 23},
      {notClosed, "B［1", 24},
      {notClosed, "B］［1", 25},
      {noX, "B［X］", 26},
      {noX, "A＝X＋1", 27},
      {"ERR:０で割っています", "A＝5/0", 28},
      {undeclared, "見:5:", 29},  // the failures changed nothing
      {undeclared, "見:9:", 31},
  };
  EXPECT_EQ(PagesOfOneRun(scenario, static_cast<int>(expected.size())), expected);
}

TEST(VariablesInAGame, DeclarationReports) {
  const std::string scenario =
      "＃変数宣言\n１２\n配列［0］\n配列［2］\n配列［2］\n\n"
      "＃変数宣言文字\n名前\n名前\n";
  const std::vector<Page> expected = {
      {"変数に数字を宣言しています", "１２", 2},
      {"配列の最大値が０またはマイナスになりました", "配列［0］", 3},
      {"同じ名前の配列変数を宣言しています", "配列［2］", 5},
      {"同じ名前の文字変数を宣言しています", "名前", 9},
  };
  EXPECT_EQ(PagesOfOneRun(scenario, static_cast<int>(expected.size())), expected);
}

}  // namespace
