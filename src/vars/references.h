#pragma once
// Numbers as scenario authors write them: variable names, array elements
// with full-width brackets, full-width digits and operators, in
// expressions, assignment lines and references inside displayed texts.
#include <cstdint>
#include <string_view>

#include "vars/expression.h"

namespace kb {

// The outcome of a computed number: the value, or the error text that the
// caller reports as the message (with its own detail).
struct ComputedNumber {
  bool ok = false;
  std::int32_t value = 0;
  WorkingText error;
};

// Replaces every variable name by "(" value ")" and full-width digits and
// operators by half-width ones; or the error text of an undeclared name.
WorkingText SubstituteVariables(std::string_view expression);
// Resolves array subscripts, innermost first ("A［B［1］＋1］" becomes
// "A:5:" when B:1: holds 4), then substitutes the variables.  A subscript
// that fails is reported on the error page; the result is then its error
// text.
WorkingText RewriteReferences(std::string_view expression);
// The integer value of an expression as authors write it.
ComputedNumber ComputeNumber(std::string_view expression);
// The same for an argument line: on a failure the error text is reported
// with `detail` and the result is false.
bool ComputeNumberOrReport(std::string_view expression, std::string_view detail, std::int32_t& value);

// An assignment line: "名前＝式" or "名前［式］＝式".  Failures are reported
// and change nothing.
void ExecuteAssignment(std::string_view line);

enum class NumberStyle {
  Plain,     // "7"
  Columns8,  // "       7": right-aligned in 8 columns (the variable display)
};

// Expands "＃（式）＃" to the expression's integer value and "”（名前）”" to
// the string variable's value.  On a failure (reported on the error page,
// with the scenario line as detail) `out` is the text unexpanded and the
// result is false.  An expansion that outgrows the buffer is cut on a
// character boundary and goes no further.
bool ExpandTextReferences(std::string_view text, NumberStyle style, WorkingText& out);

// How many string references one text may expand: a value that refers to
// itself would otherwise expand for ever.
inline constexpr int kMaxStringExpansions = 100;

}  // namespace kb
