#include "vars/references.h"

#include "base/sjis_literal.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "script/sjis.h"
#include "vars/text_builder.h"
#include "vars/variables.h"

namespace kb {
namespace {

const char* const kTooLong = "ERR:計算式が長すぎます"_sj;

struct WideChar {
  std::string_view wide;
  char narrow;
};

// The full-width characters an expression may hold, and what the evaluator
// reads instead.
constexpr WideChar kWideChars[] = {
    {"０"_sj, '0'}, {"１"_sj, '1'}, {"２"_sj, '2'}, {"３"_sj, '3'}, {"４"_sj, '4'}, {"５"_sj, '5'},
    {"６"_sj, '6'}, {"７"_sj, '7'}, {"８"_sj, '8'}, {"９"_sj, '9'}, {"％"_sj, '%'}, {"／"_sj, '/'},
    {"＊"_sj, '*'}, {"－"_sj, '-'}, {"＋"_sj, '+'}, {"（"_sj, '('}, {"）"_sj, ')'}, {"　"_sj, ' '},
};

bool IsHalfWidthOperand(char c) {
  return (c >= '0' && c <= '9') || c == '%' || c == '/' || c == '*' || c == '-' || c == '+' || c == '(' ||
         c == ')' || c == ' ' || c == '\t';
}

bool NarrowOf(std::string_view text, std::size_t pos, char& narrow) {
  if (pos + 2 > text.size()) return false;
  for (const WideChar& w : kWideChars)
    if (text.compare(pos, 2, w.wide) == 0) {
      narrow = w.narrow;
      return true;
    }
  return false;
}

// Operators and blanks end a name; digits, colons and the full-width space
// do not ("体力2", "配列:3:").
bool EndsName(std::string_view text, std::size_t pos) {
  const char c = text[pos];
  if (c == '\t' || c == ' ' || c == '%' || c == '/' || c == '*' || c == '-' || c == '+' || c == '(' || c == ')')
    return true;
  char narrow;
  return NarrowOf(text, pos, narrow) && narrow != ' ' && !(narrow >= '0' && narrow <= '9');
}

std::size_t CharLength(std::string_view text, std::size_t pos) {
  return IsSjisLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

WorkingText Undeclared(std::string_view name) {
  TextBuilder<3 * kWorkingTextBytes> error;
  error.Append("ERR:該当する "_sj);
  error.Append(name);
  error.Append(" が宣言されていません"_sj);
  return WorkingText(error.view());  // cut on a character boundary
}

// Replaces bytes [from, to) of text by insert.  False when the result had
// to be cut to fit.
bool Splice(WorkingText& text, std::size_t from, std::size_t to, std::string_view insert) {
  TextBuilder<3 * kWorkingTextBytes> spliced;
  spliced.Append(text.view().substr(0, from));
  spliced.Append(insert);
  spliced.Append(text.view().substr(to));
  return text.Set(spliced.view());
}

}  // namespace

WorkingText SubstituteVariables(std::string_view expression) {
  const std::string_view text = UpToNul(expression);
  TextBuilder<kWorkingTextLimit> out;
  for (std::size_t pos = 0; pos < text.size();) {
    const char c = text[pos];
    char narrow;
    if (IsHalfWidthOperand(c)) {
      out.Append(c == '\t' ? ' ' : c);
      ++pos;
    } else if (NarrowOf(text, pos, narrow)) {
      out.Append(narrow);
      pos += 2;
    } else {
      // A name runs to the next operator or blank, a whole character at a
      // time so that a double-byte character is never split.
      std::size_t end = pos;
      while (end < text.size() && !EndsName(text, end)) end += CharLength(text, end);
      const std::string_view name = text.substr(pos, end - pos);
      const int slot = FindNumericVariable(name);
      if (slot < 0) return Undeclared(name);
      // In parentheses, so that a negative value stays a sign after an
      // operator ("2*(-3)").
      out.Append('(');
      out.AppendNumber(numericVariables.values[static_cast<std::size_t>(slot)]);
      out.Append(')');
      pos = end;
    }
    if (out.overflowed()) return WorkingText(kTooLong);
  }
  return WorkingText(out.view());
}

WorkingText RewriteReferences(std::string_view expression) {
  const std::string_view input = UpToNul(expression);
  if (input.size() > kWorkingTextLimit) return WorkingText(kTooLong);
  if (!SjisContains(input, "［"_sj) && !SjisContains(input, "］"_sj)) return SubstituteVariables(input);

  TextBuilder<kWorkingTextLimit> work;
  work.Append(input);
  for (;;) {
    const std::string_view text = work.view();
    const std::size_t close = SjisFind(text, "］"_sj);
    if (close == kNotFound) break;
    if (!SjisContains(text, "［"_sj)) return WorkingText("ERR:カッコ［　の数が足りません"_sj);
    // The innermost subscript: the last "［" before the first "］".
    const std::size_t open = SjisFindLast(text.substr(0, close), "［"_sj);
    if (open == kNotFound) return WorkingText("ERR:閉じカッコ］の前にカッコ［がありません"_sj);
    WorkingText subscript = SubstituteVariables(text.substr(open + 2, close - open - 2));
    if (!IsErrorText(subscript)) subscript = EvaluateExpression(subscript);
    if (IsErrorText(subscript)) {
      ReportError("配列変数の中身が間違っています"_sj, text);
      return subscript;
    }
    // 名前［式］ becomes the element name 名前:n:.
    TextBuilder<kWorkingTextLimit> rebuilt;
    rebuilt.Append(text.substr(0, open));
    rebuilt.Append(':');
    rebuilt.AppendNumber(ResultValue(subscript));
    rebuilt.Append(':');
    rebuilt.Append(text.substr(close + 2));
    if (rebuilt.overflowed()) return WorkingText(kTooLong);
    work = rebuilt;
  }
  return SubstituteVariables(work.view());
}

ComputedNumber ComputeNumber(std::string_view expression) {
  ComputedNumber result;
  WorkingText text = RewriteReferences(expression);
  if (!IsErrorText(text)) text = EvaluateExpression(text);
  if (IsErrorText(text)) {
    result.error = text;
    return result;
  }
  result.ok = true;
  result.value = ResultValue(text);
  return result;
}

bool ComputeNumberOrReport(std::string_view expression, std::string_view detail, std::int32_t& value) {
  const ComputedNumber n = ComputeNumber(expression);
  if (!n.ok) {
    ReportError(n.error.view(), detail);
    return false;
  }
  value = n.value;
  return true;
}

void ExecuteAssignment(std::string_view line) {
  if (ByteContains(line, "=")) {
    ReportError("「＝」は全角のみです"_sj, line);
    return;
  }
  if (SjisContains(line, "　"_sj)) {
    ReportError("スペースに関してだけは半角にして下さい"_sj, line);
    return;
  }
  const std::size_t equals = SjisFind(line, "＝"_sj);
  if (equals == kNotFound) return;
  std::string_view left = line.substr(0, equals);
  const std::string_view right = line.substr(equals + 2);

  // One word on the left: blanks may only trail it.
  const std::size_t blank = left.find_first_of(" \t");
  if (blank != std::string_view::npos) {
    if (left.find_first_not_of(" \t", blank) != std::string_view::npos) {
      ReportError("左辺に文字が二つ以上あります"_sj, left);
      return;
    }
    left = left.substr(0, blank);
  }

  TextBuilder<kWorkingTextLimit> target;
  const std::size_t open = SjisFind(left, "［"_sj);
  if (open == kNotFound) {
    target.Append(left);
  } else {
    // The subscript runs from the first "［" to the last "］"; a "］" that
    // stands only before the "［" does not close it.
    const std::size_t close = SjisFindLast(left, "］"_sj);
    if (close == kNotFound || close < open) {
      ReportError("左辺の配列変数が閉じていません"_sj, left);
      return;
    }
    const ComputedNumber subscript = ComputeNumber(left.substr(open + 2, close - open - 2));
    if (!subscript.ok) {
      ReportError(subscript.error, left);
      return;
    }
    target.Append(left.substr(0, open));
    target.Append(':');
    target.AppendNumber(subscript.value);
    target.Append(':');
  }

  const ComputedNumber value = ComputeNumber(right);
  if (!value.ok) {
    ReportError(value.error, line);
    return;
  }
  const int slot = FindNumericVariable(target.view());
  if (slot < 0) {
    ReportError("該当する変数が宣言されていません"_sj, target.view());
    return;
  }
  numericVariables.values[static_cast<std::size_t>(slot)] = value.value;
}

void HandleAssignmentLine() {
  ExecuteAssignment(CurrentLine());
  MarkVariableDisplayDirty();
}

bool ExpandTextReferences(std::string_view text, NumberStyle style, WorkingText& out) {
  // `text` may be `out` itself: both copies are made before `out` changes.
  const WorkingText original(UpToNul(text));
  WorkingText work = original;
  auto fail = [&](std::string_view message, std::string_view detail) {
    ReportError(message, detail);
    out = original;
    return false;
  };
  // Numeric references; the markers are searched byte for byte.
  bool cut = false;
  while (!cut) {
    const std::string_view t = work.view();
    const std::size_t open = t.find("＃（"_sj);
    if (open == std::string_view::npos) break;
    const std::size_t close = t.find("）＃"_sj);
    if (close == std::string_view::npos) return fail("変数の閉じカッコがありません"_sj, CurrentLine());
    if (close < open + 4) return fail("閉じカッコの位置が変です"_sj, CurrentLine());
    const ComputedNumber n = ComputeNumber(t.substr(open + 4, close - open - 4));
    if (!n.ok) return fail(n.error, CurrentLine());
    TextBuilder<24> number;
    number.AppendNumber(n.value);
    TextBuilder<24> shown;
    if (style == NumberStyle::Columns8)
      for (std::size_t i = number.size(); i < 8; ++i) shown.Append(' ');
    shown.Append(number.view());
    cut = !Splice(work, open, close + 4, shown.view());
  }
  // String references.  A value may hold references of its own, so the
  // search starts again from the beginning after each one.
  for (int expansions = 0; !cut; ++expansions) {
    const std::string_view t = work.view();
    const std::size_t open = t.find("”（"_sj);
    if (open == std::string_view::npos) break;
    const std::size_t close = t.find("）”"_sj);
    if (close == std::string_view::npos) return fail("文字変数の閉じカッコがありません"_sj, CurrentLine());
    if (close < open + 4) return fail("閉じカッコの位置が変です"_sj, CurrentLine());
    const std::string_view name = t.substr(open + 4, close - open - 4);
    const int slot = FindStringVariable(name);
    if (slot < 0) return fail("該当する文字変数が宣言されていません"_sj, name);
    if (expansions >= kMaxStringExpansions) return fail("文字変数の展開が多すぎます"_sj, CurrentLine());
    cut = !Splice(work, open, close + 4, stringVariables.values[static_cast<std::size_t>(slot)].view());
  }
  out = work;
  return true;
}

}  // namespace kb
