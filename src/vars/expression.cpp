#include "vars/expression.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "base/sjis_literal.h"
#include "vars/text_builder.h"

namespace kb {
namespace {

// Only this much of an expression is ever read.
constexpr std::size_t kReadLimit = kWorkingTextLimit;

enum class TokenKind : std::uint8_t { Number, Remainder, Divide, Multiply, Minus, Plus, End };

struct Token {
  TokenKind kind = TokenKind::End;
  float value = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool OperatorKind(char c, TokenKind& kind) {
  switch (c) {
    case '%': kind = TokenKind::Remainder; return true;
    case '/': kind = TokenKind::Divide; return true;
    case '*': kind = TokenKind::Multiply; return true;
    case '-': kind = TokenKind::Minus; return true;
    case '+': kind = TokenKind::Plus; return true;
    default: return false;
  }
}

bool IsOperator(TokenKind k) { return k != TokenKind::Number && k != TokenKind::End; }
bool IsMultiplicative(TokenKind k) {
  return k == TokenKind::Multiply || k == TokenKind::Divide || k == TokenKind::Remainder;
}

// The row of tokens of one flat expression.  Every byte read makes at most
// one token, so the row cannot overflow before the length check.
class TokenRow {
 public:
  int count() const { return count_; }
  Token& operator[](int i) { return tokens_[static_cast<std::size_t>(i)]; }
  void Push(Token t) { tokens_[static_cast<std::size_t>(count_++)] = t; }
  // Removes n tokens starting at `at`.
  void Erase(int at, int n) {
    for (int i = at; i + n < count_; ++i) tokens_[static_cast<std::size_t>(i)] = tokens_[static_cast<std::size_t>(i + n)];
    count_ -= n;
  }

 private:
  std::array<Token, kReadLimit + 2> tokens_{};
  int count_ = 0;
};

// The value of a run of digits and points: its leading part of digits, one
// point and digits ("1.2.3" reads as 1.2, a lone point as 0), converted to
// a real and rounded to single precision.
float NumberValue(std::string_view run) {
  std::size_t end = 0;
  while (end < run.size() && IsDigit(run[end])) ++end;
  if (end < run.size() && run[end] == '.') {
    ++end;
    while (end < run.size() && IsDigit(run[end])) ++end;
  }
  double value = 0;
  if (std::from_chars(run.data(), run.data() + end, value).ec != std::errc()) {
    // No digit at all, or more digits than a double holds.
    const bool anyDigit = run.substr(0, end).find_first_of("0123456789") != std::string_view::npos;
    return anyDigit ? std::numeric_limits<float>::infinity() : 0.0f;
  }
  if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

// A "-" directly before a number is its sign when it opens the expression
// or follows another operator.  Runs right after each number is added; a
// number may take several signs ("3*--5").
void FoldSigns(TokenRow& row) {
  for (;;) {
    const int number = row.count() - 1;
    if (number == 1 && row[0].kind == TokenKind::Minus) {
      row.Erase(0, 1);
      row[0].value = -row[0].value;
    } else if (number >= 2 && row[number - 1].kind == TokenKind::Minus && IsOperator(row[number - 2].kind)) {
      row.Erase(number - 1, 1);
      row[number - 1].value = -row[number - 1].value;
    } else {
      return;
    }
  }
}

WorkingText Result(std::string_view text) { return WorkingText(text); }

WorkingText PrintValue(float value) {
  char digits[64];
  const char* end =
      std::to_chars(digits, digits + sizeof digits, static_cast<double>(value), std::chars_format::fixed, 6).ptr;
  return WorkingText(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

// The remainder of the operands truncated toward zero, with the sign of
// the left one.  It is computed on the whole truncated values, so operands
// beyond 32 bits give their true remainder and the most negative integer
// by -1 gives 0, never a trap; an infinite left operand gives NaN, which
// the range check of the final value refuses.
float Remainder(float left, float right) {
  double r = std::fmod(std::trunc(static_cast<double>(left)), std::trunc(static_cast<double>(right)));
  if (r == 0) r = 0;  // -6 % 3 is 0, as integers give it, not -0
  return static_cast<float>(r);
}

// The multiplicative pass; false with the error in `error`.
bool MultiplicativePass(TokenRow& row, WorkingText& error) {
  for (int i = 1; row[i].kind != TokenKind::End;) {
    const TokenKind op = row[i].kind;
    if (!IsMultiplicative(op)) {
      ++i;
      continue;
    }
    if (row[i - 1].kind != TokenKind::Number || row[i + 1].kind != TokenKind::Number) {
      error = op == TokenKind::Multiply ? "ERR:掛け算の前後が数ではありません"_sj
              : op == TokenKind::Divide ? "ERR:割り算の前後が数ではありません"_sj
                                        : "ERR:剰余の前後が数ではありません"_sj;
      return false;
    }
    const float left = row[i - 1].value, right = row[i + 1].value;
    float value;
    if (op == TokenKind::Multiply) {
      value = left * right;
    } else if (op == TokenKind::Divide) {
      // A divisor below 0.00001 in magnitude counts as zero.
      if (std::trunc(right * 100000.0f) == 0) {
        error = "ERR:０で割っています"_sj;
        return false;
      }
      value = left / right;
    } else {
      if (std::trunc(right) == 0) {
        error = "ERR:０では剰余できません"_sj;
        return false;
      }
      value = Remainder(left, right);
    }
    row[i - 1].value = value;
    row.Erase(i, 2);
  }
  return true;
}

}  // namespace

WorkingText EvaluateFlatExpression(std::string_view expression) {
  const std::string_view text = UpToNul(expression).substr(0, kReadLimit);
  TokenRow row;
  for (std::size_t pos = 0; pos < text.size();) {
    const char c = text[pos];
    TokenKind op;
    if (c == ' ') {
      ++pos;
    } else if (OperatorKind(c, op)) {
      row.Push({op, 0});
      ++pos;
    } else if (IsDigit(c) || c == '.') {
      std::size_t end = pos;
      while (end < text.size() && (IsDigit(text[end]) || text[end] == '.')) ++end;
      row.Push({TokenKind::Number, NumberValue(text.substr(pos, end - pos))});
      FoldSigns(row);
      pos = end;
    } else {
      return Result("ERR:入力時の文字ミス"_sj);
    }
  }
  if (row.count() > kMaxExpressionTokens) return Result("ERR:計算式が長すぎます"_sj);
  row.Push({TokenKind::End, 0});
  row.Push({TokenKind::End, 0});

  if (IsMultiplicative(row[0].kind)) return Result("ERR:先頭に＊か／、％が入力されています"_sj);
  for (int i = 0; i + 1 < row.count(); ++i)
    if (row[i].kind == TokenKind::Number && row[i + 1].kind == TokenKind::Number)
      return Result("ERR:数字が二つ並んでいます"_sj);

  WorkingText error;
  if (!MultiplicativePass(row, error)) return error;

  // Subtractions become additions of negated numbers.
  for (int i = 0; row[i].kind != TokenKind::End; ++i) {
    if (row[i].kind != TokenKind::Minus) continue;
    if (row[i + 1].kind != TokenKind::Number) return Result("ERR:引き算の後が数ではありません"_sj);
    row[i + 1].value = -row[i + 1].value;
    row[i].kind = TokenKind::Plus;
  }

  // Additions, left to right; a leading "+" is a sign.
  for (int i = row[0].kind == TokenKind::Plus ? 1 : 0; row[i].kind != TokenKind::End;) {
    if (row[i].kind != TokenKind::Plus) {
      ++i;
      continue;
    }
    if (row[i - 1].kind != TokenKind::Number || row[i + 1].kind != TokenKind::Number)
      return Result("ERR:足し算の前後が数ではありません"_sj);
    row[i - 1].value = row[i - 1].value + row[i + 1].value;
    row.Erase(i, 2);
  }

  float value;
  if (row[0].kind == TokenKind::Plus)
    value = row[1].value;  // a lone "+" is 0: the end marker carries 0
  else if (row[0].kind == TokenKind::Number)
    value = row[0].value;
  else
    return Result("ERR:計算結果？"_sj);
  if (!(value <= kMaxResultMagnitude && value >= -kMaxResultMagnitude))
    return Result("ERR:絶対値が１千万を超しました"_sj);
  return PrintValue(value);
}

WorkingText EvaluateExpression(std::string_view expression) {
  const std::string_view input = UpToNul(expression).substr(0, kReadLimit);
  int depth = 0;
  for (char c : input) depth += c == '(' ? 1 : c == ')' ? -1 : 0;
  if (depth != 0) return Result("ERR:カッコの数があっていません"_sj);

  // The working text.  A rebuilt text is put together in a buffer that
  // always has room for it (the part before the group, a space, a result
  // and the part after), then checked against the working size.
  TextBuilder<kWorkingTextBytes> work;
  work.Append(input);
  for (std::size_t scan = 0;;) {
    const std::string_view text = work.view();
    const std::size_t close = text.find(')', scan);
    if (close == std::string_view::npos) break;
    const std::size_t open = text.rfind('(', close);
    if (open == std::string_view::npos) return Result("ERR:閉じカッコの前にカッコがありません"_sj);

    const WorkingText inner = EvaluateFlatExpression(text.substr(open + 1, close - open - 1));
    TextBuilder<3 * kWorkingTextBytes> rebuilt;
    rebuilt.Append(text.substr(0, open));
    rebuilt.Append(' ');
    rebuilt.Append(inner.view());
    rebuilt.Append(text.substr(close + 1));
    if (IsErrorText(inner.view())) {
      WorkingText error("ERR:計算中に発生 -> "_sj);
      error.Append(rebuilt.view());  // cut on a character boundary if long
      return error;
    }
    // Each group lengthens the text ("(1)" becomes " 1.000000"); a text
    // that no longer fits the working buffer is refused, never cut.
    if (rebuilt.size() > kWorkingTextLimit) return Result("ERR:計算式が長すぎます"_sj);
    work = TextBuilder<kWorkingTextBytes>();
    work.Append(rebuilt.view());
    scan = open;
  }
  return EvaluateFlatExpression(work.view());
}

std::int32_t ResultValue(std::string_view result) {
  std::size_t i = 0;
  bool negative = false;
  if (i < result.size() && (result[i] == '-' || result[i] == '+')) negative = result[i++] == '-';
  std::int64_t value = 0;
  for (; i < result.size() && IsDigit(result[i]); ++i) {
    value = value * 10 + (result[i] - '0');
    if (value > std::numeric_limits<std::int32_t>::max()) {
      value = std::numeric_limits<std::int32_t>::max() + std::int64_t{negative ? 1 : 0};
      break;
    }
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace kb
