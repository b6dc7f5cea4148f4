// The evaluator: expression texts in, result texts out.
#include <gtest/gtest.h>

#include <string>

#include "platform/cp932.h"
#include "support/game_fixture.h"
#include "vars/expression.h"

namespace {

std::string Evaluate(const std::string& expression) {
  return kb::Cp932ToUtf8(kb::EvaluateExpression(expression).view());
}

using kbtest::Repeat;

struct Case {
  std::string expression;
  std::string result;
};

TEST(Expression, ResultTexts) {
  const Case cases[] = {
      // Precedence, associativity, parentheses.
      {"1+2*3", "7.000000"},
      {"(1+2)*3", "9.000000"},
      {"10-2-3", "5.000000"},
      {"2*(3+(4-1))", "12.000000"},
      {"(1+2)*(3+4)", "21.000000"},
      {"8/4/2", "1.000000"},
      {"7/2*2", "7.000000"},
      {"2+3%2*4", "6.000000"},
      {" 1 +  2 ", "3.000000"},
      // Signs.
      {"-5", "-5.000000"},
      {"-(3)", "-3.000000"},
      {"2*-3", "-6.000000"},
      {"2--3", "5.000000"},
      {"3*--5", "15.000000"},
      {"--5", "5.000000"},
      {"+", "0.000000"},
      {"+5", "5.000000"},
      {"+5+3", "8.000000"},
      // Division is real; the remainder is on whole numbers and keeps the
      // left operand's sign.
      {"7/2", "3.500000"},
      {"-7/2", "-3.500000"},
      {"7%3", "1.000000"},
      {"-7%3", "-1.000000"},
      {"7%-3", "1.000000"},
      {"7.9%3.9", "1.000000"},
      {"-6%3", "0.000000"},
      {"1/0.5", "2.000000"},
      // Number runs.
      {"1.2.3", "1.200000"},
      {".", "0.000000"},
      {".5*2", "1.000000"},
      // Single precision: 2^24 + 1 is 2^24.
      {"16777217-16777216", "0.000000"},
      {"16777216+1-16777216", "0.000000"},
      // The magnitude limit is inclusive and checks final values only.
      {"10000000", "10000000.000000"},
      {"-10000000", "-10000000.000000"},
      {"10000001", "ERR:絶対値が１千万を超しました"},
      {"20000000/4", "5000000.000000"},
      {"(20000000)/4", "ERR:計算中に発生 ->  ERR:絶対値が１千万を超しました/4"},
      {"2*(3/0)", "ERR:計算中に発生 -> 2* ERR:０で割っています"},
      // The error texts.
      {"((1)", "ERR:カッコの数があっていません"},
      {")(", "ERR:閉じカッコの前にカッコがありません"},
      {"1+a", "ERR:入力時の文字ミス"},
      {"1\t+2", "ERR:入力時の文字ミス"},
      {"*5", "ERR:先頭に＊か／、％が入力されています"},
      {"/5", "ERR:先頭に＊か／、％が入力されています"},
      {"%5", "ERR:先頭に＊か／、％が入力されています"},
      {"2(3)", "ERR:数字が二つ並んでいます"},
      {"3 4", "ERR:数字が二つ並んでいます"},
      {"2%", "ERR:剰余の前後が数ではありません"},
      {"5%0", "ERR:０では剰余できません"},
      {"5%0.9", "ERR:０では剰余できません"},
      {"2/", "ERR:割り算の前後が数ではありません"},
      {"5/0", "ERR:０で割っています"},
      {"5/0.000001", "ERR:０で割っています"},
      {"2*", "ERR:掛け算の前後が数ではありません"},
      {"5+*3", "ERR:掛け算の前後が数ではありません"},
      {"5-", "ERR:引き算の後が数ではありません"},
      {"-", "ERR:引き算の後が数ではありません"},
      {"5+", "ERR:足し算の前後が数ではありません"},
      {"", "ERR:計算結果？"},
      {"()", "ERR:計算中に発生 ->  ERR:計算結果？"},
      {"  ", "ERR:計算結果？"},
  };
  for (const Case& c : cases) EXPECT_EQ(Evaluate(c.expression), c.result) << c.expression;
}

TEST(Expression, TokenLimit) {
  // "+1" a hundred times is 200 tokens; one more operator is too many.
  EXPECT_EQ(Evaluate(Repeat("+1", 100)), "100.000000");
  EXPECT_EQ(Evaluate(Repeat("+1", 100) + "+"), "ERR:計算式が長すぎます");
}

TEST(Expression, OnlyTheFirst255CharactersAreRead) {
  // The "2" after position 254 is not seen, so the "+" lacks its operand.
  const std::string text = "1" + std::string(253, ' ') + "+2";
  ASSERT_EQ(text.size(), 256u);
  EXPECT_EQ(Evaluate(text), "ERR:足し算の前後が数ではありません");
  EXPECT_EQ(Evaluate(text.substr(0, 252) + "+2"), "3.000000");
  // The text ends at a NUL, as a C string does.
  EXPECT_EQ(Evaluate(std::string("1+2\0+9", 6)), "3.000000");
}

TEST(Expression, RebuiltTextLongerThanTheWorkingBufferIsRefused) {
  // Each "(1)" grows to " 1.000000": 25 groups still fit, 30 do not.
  const std::string fits = "(1)" + Repeat("+(1)", 24);
  const std::string grows = "(1)" + Repeat("+(1)", 29);
  EXPECT_EQ(Evaluate(fits), "25.000000");
  EXPECT_EQ(Evaluate(grows), "ERR:計算式が長すぎます");
  // An error inside a long rebuilt text is cut, never written past its buffer.
  const std::string failing = Repeat("1+", 120) + "(1/0)";
  const kb::WorkingText result = kb::EvaluateExpression(failing);
  EXPECT_EQ(kb::Cp932ToUtf8(result.view()).rfind("ERR:計算中に発生 -> 1+1+", 0), 0u);
  EXPECT_LE(result.size(), kb::kWorkingTextLimit);
}

TEST(Expression, RemainderOutsideThe32BitRangeHasADefinedValue) {
  const Case cases[] = {
      {"4294967296%10", "6.000000"},     // 2^32: the whole value, not a wrapped one
      {"-2147483648%-1", "0.000000"},    // the one quotient that does not fit
      {"-2147483648%3", "-2.000000"},
      {"1%99999999999", "1.000000"},
      // A left operand too large for a real gives no number at all.
      {std::string(60, '9') + "%7", "ERR:絶対値が１千万を超しました"},
  };
  for (const Case& c : cases) EXPECT_EQ(Evaluate(c.expression), c.result) << c.expression;
}

TEST(Expression, IntegerValueOfAResult) {
  EXPECT_EQ(kb::ResultValue("3.500000"), 3);
  EXPECT_EQ(kb::ResultValue("3.999999"), 3);
  EXPECT_EQ(kb::ResultValue("-3.500000"), -3);
  EXPECT_EQ(kb::ResultValue("-10000000.000000"), -10000000);
  EXPECT_EQ(kb::ResultValue(kb::EvaluateExpression("-7/2").view()), -3);
  EXPECT_TRUE(kb::IsErrorText(kb::EvaluateExpression("5/0").view()));
}

}  // namespace
