#pragma once
// The arithmetic evaluator behind every computed number of a scenario.
//
// It takes half-width text in which variable references have already been
// replaced by their values, and answers with text: the value with six
// decimals ("3.500000", "-12.000000"), or an error text beginning with
// "ERR:".  It has no access to variables and keeps no state between calls.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/fixed_text.h"

namespace kb {

// Expressions, results and texts being rewritten all live in buffers of
// this size: 255 bytes of text and the terminator.
inline constexpr std::size_t kWorkingTextBytes = 256;
inline constexpr std::size_t kWorkingTextLimit = kWorkingTextBytes - 1;
using WorkingText = FixedText<kWorkingTextBytes>;

// The most tokens one expression without parentheses may hold.
inline constexpr int kMaxExpressionTokens = 200;
// The largest magnitude a result may have (itself allowed).
inline constexpr float kMaxResultMagnitude = 10000000.0f;

// Evaluates an expression with parentheses, innermost groups first.  Only
// the first 255 bytes are read (up to a NUL).
WorkingText EvaluateExpression(std::string_view expression);
// Evaluates an expression without parentheses.
WorkingText EvaluateFlatExpression(std::string_view expression);

// A computation failed when its text contains "ERR".
inline bool IsErrorText(std::string_view text) { return text.find("ERR") != std::string_view::npos; }

// The integer value of a successful result: the text read as a signed
// decimal integer up to the decimal point ("3.999999" gives 3, "-3.500000"
// gives -3).  Digits beyond the 32-bit range saturate.
std::int32_t ResultValue(std::string_view result);

}  // namespace kb
