#include "script/branches.h"

#include <array>
#include <cstdint>
#include <string>

#include "base/format.h"
#include "base/sjis_literal.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "vars/references.h"
#include "vars/variables.h"

namespace kb {

int FindInBlock(std::string_view target, int level) {
  int c = 0;
  for (int i = programCounter + 1;; ++i) {
    c += BlockLevelStep(LineAt(i));
    if (i >= scenarioStore.lineCount) return -1;
    if (c == level && LineAt(i) == target) return i;
  }
}

void HandleNumberLabel() {
  const int p = FindInBlock("＃＃＃＃"_sj, -1);
  if (p < 0) {
    ReportError("＃数の位置がおかしいです"_sj, "＃選択（又は分岐）～＃＃＃＃の間にありません"_sj);
    return;
  }
  programCounter = p;
}

namespace {

// Substitutes and evaluates one parameter line; an error is reported with
// the failing text and the line.
bool ComputeParameter(std::string_view line, std::int32_t& value) { return ComputeNumberOrReport(line, line, value); }

void JumpToLabel(int k, std::string_view checkHint) {
  const std::string target = Format("＃%d"_sj, {k});
  const int p = FindInBlock(target, 0);
  if (p < 0) {
    ReportError("該当ラベルがありません"_sj, checkHint);
    return;
  }
  programCounter = p;
}

constexpr int kMaxSeparators = 99;
constexpr int kMaxCompared = 100;

}  // namespace

void HandleBranchRange() {
  const std::string_view valueLine = NextLine();
  if (valueLine.empty()) {
    ReportError("＃分岐範囲で分岐の基準となる"_sj, "「変数」が指定されていません"_sj);
    return;
  }
  if (OnlyExpressionChars(valueLine)) {
    ReportError("＃分岐範囲の基準となる「変数」が「数」です"_sj, valueLine);
    return;
  }
  std::int32_t v = 0;
  if (!ComputeParameter(valueLine, v)) return;

  if (NextLine().empty()) {
    ReportError("区間を区切る数がありません"_sj, "（パラメータの直後にリターンがあります）"_sj);
    return;
  }
  const int first = programCounter;
  int count = 0;
  while (!LineAt(first + count).empty() && first + count < scenarioStore.lineCount) {
    if (count == kMaxSeparators) {
      programCounter = first + kMaxSeparators;
      ReportError("＃分岐範囲は１００区間までです"_sj, "（区切り数は９９まで）"_sj);
      return;
    }
    ++count;
  }
  programCounter = first + count;

  std::array<std::int32_t, kMaxSeparators> bounds{};
  for (int i = 0; i < count; ++i)
    if (!ComputeParameter(LineAt(first + i), bounds[i])) return;
  for (int i = 0; i + 1 < count; ++i) {
    if (bounds[i] >= bounds[i + 1]) {
      ReportError("範囲の大小関係が間違っています"_sj, LineAt(first + i));
      return;
    }
  }
  int k = 0;
  while (k < count && bounds[k] <= v) ++k;
  JumpToLabel(k, "＃選択～＃＃＃＃をチェックしてください"_sj);
}

void HandleBranchMaximum() {
  int count = 0, best = 0;
  std::int32_t bestValue = 0;
  NextLine();
  while (!CurrentLine().empty()) {
    std::int32_t value = 0;
    if (!ComputeParameter(CurrentLine(), value)) return;
    if (count == 0 || value > bestValue) {
      best = count;
      bestValue = value;
    }
    ++count;
    NextLine();
    if (count == kMaxCompared + 1) {
      ReportError("＃分岐範囲は１００までです"_sj, CurrentLine());
      return;
    }
  }
  JumpToLabel(best + 1, "＃分岐最大～＃＃＃＃をチェックしてください"_sj);
}

void HandleBranchText() {
  const std::string_view name = NextLine();
  if (name.empty()) {
    ReportError("＃分岐文字の文字変数が"_sj, "指定されていません"_sj);
    return;
  }
  const int slot = FindStringVariable(name);
  if (slot < 0) {
    ReportError("該当する文字変数が宣言されていません"_sj, name);
    return;
  }
  const std::string_view text = NextLine();
  JumpToLabel(stringVariables.values[slot].view() == text ? 1 : 0, "＃分岐文字～＃＃＃＃をチェックしてください"_sj);
}

}  // namespace kb
