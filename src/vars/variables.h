#pragma once
// Numeric and string variables.
#include <string_view>

namespace kb {

struct DeclarationState {
  int declaringNumbers = 0;
  int declaringStrings = 0;
};

extern DeclarationState declarationState;

// Empties both variable tables.
void ClearVariables();

bool DeclarationBlockOpen();
// A line inside an open declaration block.
void DeclareLine(std::string_view line);
// The empty line that ends a declaration block.
void EndDeclarationBlocks();

// Row 6 of the command table: a line containing "＝".
void HandleAssignmentLine();

}  // namespace kb
