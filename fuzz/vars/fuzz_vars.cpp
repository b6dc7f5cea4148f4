// Random texts as expressions, assignment lines and displayed texts.  A few
// variables, an array and string variables (two of which refer to
// themselves) are declared once; their values are set again before every
// input, so that each input runs from the same state.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "base/sjis_literal.h"
#include "platform/headless_platform.h"
#include "platform/platform.h"
#include "script/error_reporter.h"
#include "shell/wait_state.h"
#include "vars/expression.h"
#include "vars/references.h"
#include "vars/variables.h"

using kb::operator""_sj;

namespace {

void Declare() {
  kb::OpenNumericDeclarations();
  for (std::string_view name : {std::string_view("A"), std::string_view("I"), std::string_view("体力"_sj),
                                std::string_view("B［3］"_sj), std::string_view("大"_sj)})
    kb::DeclareNumericVariable(name);
  kb::EndDeclarationBlocks();
  kb::OpenStringDeclarations();
  for (std::string_view name : {std::string_view("名前"_sj), std::string_view("自分"_sj), std::string_view("伸"_sj)})
    kb::DeclareStringVariable(name);
  kb::EndDeclarationBlocks();
}

void SetValues() {
  const std::int32_t values[] = {3, 2, -5, 4, 0, 7, 1, -10000000};
  for (int i = 0; i < kb::numericVariables.count && i < 8; ++i) kb::numericVariables.values[static_cast<std::size_t>(i)] = values[i];
  kb::SetStringValue(kb::FindStringVariable("名前"_sj), "太郎"_sj);
  kb::SetStringValue(kb::FindStringVariable("自分"_sj), "”（自分）”"_sj);
  kb::SetStringValue(kb::FindStringVariable("伸"_sj), "もっと”（伸）”"_sj);
}

// A successful result is a number with six decimals within the limits.
void CheckResult(std::string_view result) {
  if (result.size() > kb::kWorkingTextLimit) std::abort();
  if (kb::IsErrorText(result)) return;
  const std::size_t point = result.find('.');
  if (point == std::string_view::npos || result.size() - point != 7) std::abort();
  const std::int32_t value = kb::ResultValue(result);
  if (value > 10000000 || value < -10000000) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kb::SetPlatform(std::make_unique<kb::HeadlessPlatform>(0, 16));
  Declare();
  if (kb::numericVariables.count != 8 || kb::stringVariables.count != 3) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  SetValues();
  CheckResult(kb::EvaluateExpression(text).view());
  CheckResult(kb::EvaluateFlatExpression(text).view());
  if (kb::RewriteReferences(text).size() > kb::kWorkingTextLimit) std::abort();
  const kb::ComputedNumber n = kb::ComputeNumber(text);
  if (!n.ok && !kb::IsErrorText(n.error.view())) std::abort();
  kb::ExecuteAssignment(text);
  kb::WorkingText out;
  kb::ExpandTextReferences(text, kb::NumberStyle::Plain, out);
  kb::ExpandTextReferences(text, kb::NumberStyle::Columns8, out);
  // Reports halt the interpreter; nothing here waits for the click.
  kb::waitState = kb::WaitState{};
  return 0;
}
