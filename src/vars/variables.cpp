#include "vars/variables.h"

#include "script/command_table.h"

namespace kb {

DeclarationState declarationState;

void ClearVariables() {}

bool DeclarationBlockOpen() { return declarationState.declaringNumbers || declarationState.declaringStrings; }

void DeclareLine(std::string_view) {}

void EndDeclarationBlocks() {
  declarationState.declaringNumbers = 0;
  declarationState.declaringStrings = 0;
}

void HandleAssignmentLine() { CommandNotAvailable(); }

}  // namespace kb
