// Declaration blocks, the two tables and their lookups, in-process.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/game_fixture.h"
#include "vars/vars_fixture.h"
#include "vars/variables.h"

namespace {

using kbtest::Report;
using kbtest::Sjis;
using Reports = std::vector<Report>;

using kbtest::Repeat;

std::string Element(const std::string& base, int i) { return base + ":" + std::to_string(i) + ":"; }

const std::string kCheckScenario = "シナリオをもう一度チェックして下さい";

class Declarations : public kbtest::VarsTest {};

TEST_F(Declarations, ArraysMakeElementsUpToTheirMaximum) {
  const Reports reports = Run(
      "＃変数宣言\nN\n配列［3］\n二［2＋1］\n\n"
      "N＝3\n"
      "＃変数宣言\n三［N］\n零［0］\n負［－1］\n配列:0:\n配列［2］\n"
      "壊［3\n壊］［3\n壊［Ｘ］\n");
  EXPECT_EQ(reports, (Reports{
                         {"配列の最大値が０またはマイナスになりました", "零［0］"},
                         {"配列の最大値が０またはマイナスになりました", "負［－1］"},
                         {"同じ名前の変数を宣言しています", "配列:0:"},
                         {"同じ名前の配列変数を宣言しています", "配列［2］"},
                         {"配列変数に閉じカッコがありません", "壊［3"},
                         {"配列変数の閉じカッコの位置が変です", "壊］［3"},
                         {"配列の最大値の指定が間違っています", "壊［Ｘ］"},
                     }));
  // Elements take consecutive slots after N, in declaration order.
  int slot = 1;
  for (const char* base : {"配列", "二", "三"}) {
    for (int i = 0; i <= 3; ++i) EXPECT_EQ(Slot(Element(base, i)), slot++) << base << i;
    EXPECT_EQ(Slot(Element(base, 4)), -1) << base;
  }
  EXPECT_EQ(kb::numericVariables.count, 13);
}

TEST_F(Declarations, ElementNamesMustFitTheirSlot) {
  // A base of 50 bytes: "base:10:" is the 54 bytes a slot holds, "base:100:"
  // would be 55.
  const std::string base = Repeat("あ", 25);
  const Reports reports = Run("＃変数宣言\n" + base + "［10］\n" + Repeat("い", 25) + "［100］\n");
  EXPECT_EQ(reports, (Reports{{"配列変数の名前が長すぎます", Repeat("い", 25) + "［100］"}}));
  EXPECT_GE(Slot(Element(base, 10)), 0);
  EXPECT_EQ(Slot(Element(Repeat("い", 25), 0)), -1) << "a refused array declares nothing";
  EXPECT_EQ(kb::numericVariables.count, 11);
}

TEST_F(Declarations, NamesAndTheirLimits) {
  const std::string name50 = Repeat("あ", 25);
  const Reports reports = Run(
      "＃変数宣言\n１２\n１ ＋ (2)\nＡ１２\n体力2\n//メモ\n" + name50 + "\n" + name50 + "a\nＡ１２\n\n" +
      "＃変数宣言文字\n名前\n１２\n" + name50 + "\n" + name50 + "a\n名前\n");
  EXPECT_EQ(reports, (Reports{
                         {"変数に数字を宣言しています", "１２"},
                         {"変数に数字を宣言しています", "１ ＋ (2)"},
                         {"変数名が５０（全角２５）文字を超えています", name50 + "a"},
                         {"同じ名前の変数を宣言しています", "Ａ１２"},
                         {"文字変数名が５０（全角２５）文字を超えています", name50 + "a"},
                         {"同じ名前の文字変数を宣言しています", "名前"},
                     }));
  // A comment line inside a block is a name like any other.
  for (const std::string& name : {std::string("Ａ１２"), std::string("体力2"), std::string("//メモ"), name50})
    EXPECT_GE(Slot(name), 0) << name;
  for (const std::string& name : {std::string("名前"), std::string("１２"), name50})
    EXPECT_GE(StringSlot(name), 0) << name;
  EXPECT_EQ(Slot("１２"), -1);
  EXPECT_EQ(Slot("名前"), -1) << "the two tables are apart";
  EXPECT_EQ(kb::stringVariables.count, 3);
}

TEST_F(Declarations, AnArrayStopsAtTheTotal) {
  // 9999 values, then X［5］ has room for X:0: only.
  const Reports reports = Run("＃変数宣言\n大［9998］\nX［5］\nY\n");
  EXPECT_EQ(reports, (Reports{{"配列変数作成中に変数のトータルが10000を超えました", kCheckScenario},
                              {"シナリオ上のミスです。", "Y"}}))
      << "the block closes, so Y is no declaration";
  EXPECT_EQ(kb::numericVariables.count, 10000);
  EXPECT_EQ(Value("X:0:"), 0);
  EXPECT_EQ(Slot("X:1:"), -1);
}

TEST_F(Declarations, OneScalarIsStoredPastTheTotal) {
  const Reports reports = Run("＃変数宣言\n大［9999］\nY\nZ\n＃変数宣言\n");
  EXPECT_EQ(reports, (Reports{{"変数のトータルが10000を超えました", kCheckScenario},
                              {"シナリオ上のミスです。", "Z"},
                              {"すでに変数のトータルは", "10000個を超えています"}}));
  EXPECT_EQ(kb::numericVariables.count, 10001);
  EXPECT_EQ(Slot("Y"), 10000);
}

TEST_F(Declarations, FiveHundredStringVariables) {
  std::string scenario = "＃変数宣言文字\n";
  for (int i = 0; i <= 500; ++i) scenario += "s" + std::to_string(i) + "\n";
  scenario += "t\n";
  const Reports reports = Run(scenario);
  EXPECT_EQ(reports, (Reports{{"文字変数は５００個までです", "s500"}, {"シナリオ上のミスです。", "t"}}));
  EXPECT_EQ(kb::stringVariables.count, 500);
  EXPECT_EQ(StringSlot("s499"), 499);
}

// "＃セーブ" and "＃ロード" call LockDeclarations as they start; the lock is
// tested through that call.
TEST_F(Declarations, NothingIsDeclaredAfterASaveOrLoad) {
  const std::string scenario = "＃変数宣言\nA\n\n＃変数宣言文字\nS\n";
  const Reports locked = {
      {"「＃変数宣言」は「＃セーブ・ロード」の前にしてください", "（ロード時にデータを破壊する恐れがあります）"},
      {"シナリオ上のミスです。", "A"},
      {"「＃変数宣言（文字）」は「＃セーブ・ロード」の前にしてください",
       "（ロード時にデータを破壊する恐れがあります）"},
      {"シナリオ上のミスです。", "S"},
  };
  EXPECT_EQ(Run(scenario), Reports{});
  EXPECT_GE(Slot("A"), 0);
  kb::LockDeclarations();
  // The start scenario runs off its end and starts again with empty tables:
  // its declarations are now refused.
  RunOffEnd();
  EXPECT_EQ(Slot("A"), -1);
  EXPECT_EQ(Run(scenario), locked);
  RunOffEnd();
  EXPECT_EQ(Run(scenario), locked) << "the lock outlives every restart";
  EXPECT_EQ(kb::numericVariables.count, 0);
  EXPECT_EQ(kb::stringVariables.count, 0);
}

TEST_F(Declarations, NamesSharingAChainAreAllFound) {
  // Two names in one bucket, found by trying names until one collides.
  std::map<int, std::string> firstInBucket;
  std::string a, b;
  for (int i = 0; b.empty(); ++i) {
    const std::string name = "v" + std::to_string(i);
    auto [it, added] = firstInBucket.emplace(kb::NameBucket(name), name);
    if (!added) a = it->second, b = name;
  }
  for (const auto& order : {std::vector<std::string>{a, b}, std::vector<std::string>{b, a}}) {
    kb::ClearVariables();
    EXPECT_EQ(Slot(a), -1);
    EXPECT_EQ(Run("＃変数宣言\n" + order[0] + "\n" + order[1] + "\n"), Reports{});
    EXPECT_EQ(Slot(order[0]), 0);
    EXPECT_EQ(Slot(order[1]), 1);
    EXPECT_EQ(Slot("v"), -1);
  }
  // Bytes of double-byte characters count as negative numbers.
  EXPECT_EQ(kb::NameBucket("AB"), (65 * 83 + 66) % 5000);
  EXPECT_EQ(kb::NameBucket(Sjis("あ")), 1742);
}

TEST_F(Declarations, TheIndexIsRebuiltFromTheNames) {
  // As a saved game fills the table: names and count, then the index.
  kb::ClearVariables();
  const char* names[] = {"甲", "乙", "丙:2:"};
  for (int i = 0; i < 3; ++i) kb::numericVariables.names[static_cast<std::size_t>(i)].Set(Sjis(names[i]));
  kb::numericVariables.count = 3;
  EXPECT_EQ(Slot("乙"), -1);
  kb::RebuildNameIndex();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Slot(names[i]), i);
}

TEST_F(Declarations, StringValuesAreCutOnACharacterBoundary) {
  Run("＃変数宣言文字\n名前\n");
  const int slot = StringSlot("名前");
  ASSERT_GE(slot, 0);
  // 103 bytes and a double-byte character would end on byte 105.
  const std::string text = std::string(103, 'a') + Sjis("あ");
  EXPECT_FALSE(kb::SetStringValue(slot, text));
  EXPECT_EQ(kb::stringVariables.values[static_cast<std::size_t>(slot)].view(), std::string(103, 'a'));
  EXPECT_TRUE(kb::SetStringValue(slot, std::string(102, 'a') + Sjis("あ")));
  EXPECT_EQ(kb::stringVariables.values[static_cast<std::size_t>(slot)].size(), 104u);
  EXPECT_FALSE(kb::SetStringValue(-1, "x"));
  EXPECT_FALSE(kb::SetStringValue(kb::kStringSlots, "x"));
}

}  // namespace
