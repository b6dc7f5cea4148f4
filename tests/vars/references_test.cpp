// Numbers as authors write them: ComputeNumber, the array rewrite and the
// references inside texts, in-process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cp932.h"
#include "script/error_reporter.h"
#include "support/game_fixture.h"
#include "vars/references.h"
#include "vars/vars_fixture.h"
#include "vars/variables.h"

namespace {

using kbtest::Report;
using kbtest::Sjis;
using Reports = std::vector<Report>;

using kbtest::Repeat;

class References : public kbtest::VarsTest {
 protected:
  void SetUp() override {
    VarsTest::SetUp();
    ASSERT_EQ(Run("＃変数宣言\nA\nＡＢ\nI\nB［3］\n体力2\nａ東\n負\n大\n\n"
                  "＃変数宣言文字\n名前\n自分\n伸びる\n\n"
                  "A＝3\nＡＢ＝10\nI＝2\nB［1］＝4\nB［2］＝7\n体力2＝8\nａ東＝6\n負＝－5\n大＝－10000000\n"),
              Reports{});
    kb::SetStringValue(StringSlot("名前"), Sjis("太郎"));
    kb::SetStringValue(StringSlot("自分"), Sjis("”（自分）”"));
    kb::SetStringValue(StringSlot("伸びる"), Sjis("もっと”（伸びる）”"));
  }

  // The last report, or an empty one.
  static Report LastReport() {
    return {kb::Cp932ToUtf8(kb::errorReporter.lastMessage), kb::Cp932ToUtf8(kb::errorReporter.lastDetail)};
  }
};

struct NumberCase {
  std::string expression;
  int value;
  std::string error;  // empty when the computation succeeds
};

TEST_F(References, ComputeNumber) {
  const NumberCase cases[] = {
      {"A＊２＋１", 7, ""},
      {"ＡＢ＋1", 11, ""},
      {"ＡＢ+１", 11, ""},
      {"（１＋２）＊３", 9, ""},
      {"７／２", 3, ""},
      {"－７／２", -3, ""},
      {"１０％３", 1, ""},
      {"１　＋\tA", 4, ""},
      {"A　＋1", 0, "ERR:該当する A　 が宣言されていません"},  // "　" does not end a name
      {"2＊負", -10, ""},  // a negative value stays a sign after an operator
      {"負－負", 0, ""},
      {"体力2＊2", 16, ""},  // digits do not end a name
      {"ａ東＋1", 7, ""},    // a name is read a character at a time
      {"B［I－1］＋1", 5, ""},
      {"B［B［1］－2］", 7, ""},
      {"B:2:", 7, ""},
      {"X＋1", 0, "ERR:該当する X が宣言されていません"},
      {"A＋1.5", 0, "ERR:該当する .5 が宣言されていません"},
      {"1］", 0, "ERR:カッコ［　の数が足りません"},
      {"B］［1］", 0, "ERR:閉じカッコ］の前にカッコ［がありません"},
      {"B［4］", 0, "ERR:該当する B:4: が宣言されていません"},
      {"", 0, "ERR:計算結果？"},
      {"5／0", 0, "ERR:０で割っています"},
      // Every name grows to "(-10000000)": 24 of them outgrow the working text.
      {Repeat("大＋", 23) + "大", 0, "ERR:計算式が長すぎます"},
      {Repeat("負＋", 19) + "負", -100, ""},
      {std::string(300, '1'), 0, "ERR:計算式が長すぎます"},
  };
  for (const NumberCase& c : cases) {
    const kb::ComputedNumber n = kb::ComputeNumber(Sjis(c.expression));
    EXPECT_EQ(n.ok, c.error.empty()) << c.expression;
    EXPECT_EQ(n.ok ? n.value : 0, c.value) << c.expression;
    EXPECT_EQ(kb::Cp932ToUtf8(n.error.view()), c.error) << c.expression;
  }
}

TEST_F(References, RewriteResolvesSubscriptsInnermostFirst) {
  EXPECT_EQ(kb::Cp932ToUtf8(kb::RewriteReferences(Sjis("B［B［1］－2］＋A")).view()), "(7)+(3)");
  EXPECT_EQ(kb::Cp932ToUtf8(kb::SubstituteVariables(Sjis("ＡＢ／（１＋負）")).view()), "(10)/(1+(-5))");
  // A subscript that fails is reported here, and its error is the result.
  const kb::WorkingText failed = kb::RewriteReferences(Sjis("B［1／0］＋1"));
  EXPECT_EQ(kb::Cp932ToUtf8(failed.view()), "ERR:０で割っています");
  EXPECT_EQ(LastReport(), (Report{"配列変数の中身が間違っています", "B［1／0］＋1"}));
}

struct TextCase {
  std::string text;
  kb::NumberStyle style;
  std::string expanded;
  Report report;  // empty when none is expected
};

TEST_F(References, TextReferences) {
  const auto plain = kb::NumberStyle::Plain, columns = kb::NumberStyle::Columns8;
  const TextCase cases[] = {
      {"残り＃（A）＃回", plain, "残り3回", {}},
      {"残り＃（A）＃回", columns, "残り       3回", {}},
      {"＃（負＊1000000）＃", columns, "-5000000", {}},
      {"＃（－10000000）＃", columns, "-10000000", {}},  // wider than 8: no padding
      {"＃（B［I］）＃と＃（１＋１）＃", plain, "7と2", {}},
      {"”（名前）”さん", plain, "太郎さん", {}},
      {"”（名前）”と”（名前）”", plain, "太郎と太郎", {}},
      {"＃（A）＃”（名前）”", plain, "3太郎", {}},
      {"何もない", plain, "何もない", {}},
      // Failures leave the text as it was.
      {"＃（A", plain, "＃（A", {"変数の閉じカッコがありません", "行"}},
      {"）＃＃（A", plain, "）＃＃（A", {"閉じカッコの位置が変です", "行"}},
      {"＃（X）＃", plain, "＃（X）＃", {"ERR:該当する X が宣言されていません", "行"}},
      {"”（名前", plain, "”（名前", {"文字変数の閉じカッコがありません", "行"}},
      {"）””（名前）”", plain, "）””（名前）”", {"閉じカッコの位置が変です", "行"}},
      {"”（無い）”", plain, "”（無い）”", {"該当する文字変数が宣言されていません", "無い"}},
      // A value naming itself stops after a bounded number of expansions.
      {"”（自分）”", plain, "”（自分）”", {"文字変数の展開が多すぎます", "行"}},
  };
  LoadScenarioText("行");
  for (const TextCase& c : cases) {
    kb::errorReporter.lastMessage.clear();
    kb::errorReporter.lastDetail.clear();
    kb::WorkingText out("old");
    const bool ok = kb::ExpandTextReferences(Sjis(c.text), c.style, out);
    EXPECT_EQ(kb::Cp932ToUtf8(out.view()), c.expanded) << c.text;
    EXPECT_EQ(ok, c.report.message.empty()) << c.text;
    EXPECT_EQ(LastReport(), c.report) << c.text;
  }
}

TEST_F(References, AnExpansionOutgrowingItsBufferIsCut) {
  // Each expansion adds "もっと" until the text no longer fits.
  kb::WorkingText out;
  EXPECT_TRUE(kb::ExpandTextReferences(Sjis("”（伸びる）”"), kb::NumberStyle::Plain, out));
  const std::string expanded = kb::Cp932ToUtf8(out.view());
  EXPECT_EQ(expanded.rfind(Repeat("もっと", 40), 0), 0u) << expanded;
  EXPECT_LE(out.size(), kb::kWorkingTextLimit);
  EXPECT_EQ(kb::errorReporter.lastMessage, "");
  // The text to expand may be the output buffer itself.
  out = Sjis("＃（ＡＢ）＃本");
  EXPECT_TRUE(kb::ExpandTextReferences(out.view(), kb::NumberStyle::Plain, out));
  EXPECT_EQ(kb::Cp932ToUtf8(out.view()), "10本");
}

}  // namespace
