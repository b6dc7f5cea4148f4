#pragma once
// Numeric and string variables: the two tables, the declaration blocks that
// fill them, and the lookups every user of variables calls.
#include <array>
#include <cstdint>
#include <string_view>

#include "base/fixed_text.h"

namespace kb {

// Numeric values that scenarios may declare, scalars and array elements
// together.  The table has room for a few more, so that the one scalar
// accepted past the limit (and then reported) still fits.
inline constexpr int kNumericValueLimit = 10000;
inline constexpr int kNumericSlots = 10200;
inline constexpr int kNameBuckets = 5000;
// A name slot: 54 bytes and the terminator.  Declared names may have 50
// bytes; array element names ("名前:12:") use the rest.
inline constexpr int kNameSlotBytes = 55;
inline constexpr int kMaxNameBytes = 50;

inline constexpr int kStringVariableLimit = 500;
inline constexpr int kStringSlots = 900;
// A string value: 104 bytes of text and the terminator.
inline constexpr int kStringValueBytes = 105;

using VariableName = FixedText<kNameSlotBytes>;
using StringValue = FixedText<kStringValueBytes>;

// Every numeric variable and array element, in declaration order.  Slot
// numbers stay fixed as long as the declarations do (saved games store the
// slots in order).  Names are found through a hashed index: each bucket
// holds the first slot of a chain linked through nextLinks, -1 ending it.
struct NumericVariableTable {
  std::array<VariableName, kNumericSlots> names;
  std::array<std::int32_t, kNumericSlots> values{};
  int count = 0;
  std::array<std::int16_t, kNameBuckets> bucketHeads{};
  std::array<std::int16_t, kNumericSlots> nextLinks{};

  NumericVariableTable() { Clear(); }
  void Clear();
};

// String variables, in declaration order; found by a walk over the names.
struct StringVariableTable {
  std::array<VariableName, kStringSlots> names;
  std::array<StringValue, kStringSlots> values;
  int count = 0;

  void Clear();
};

// The open declaration block, and the lock that "＃セーブ" and "＃ロード"
// set: once a game has been saved or loaded, nothing may be declared any
// more, since a saved game stores the variables by slot.  The lock is
// never released while the program runs, not even when the scenario
// starts again from its first line.
struct DeclarationState {
  int declaringNumbers = 0;
  int declaringStrings = 0;
  int declarationLock = 0;
};

extern NumericVariableTable numericVariables;
extern StringVariableTable stringVariables;
extern DeclarationState declarationState;

// Empties both tables: no names, all values 0 or empty, an empty index.
// Called at start-up, when the start scenario runs again from its first
// line, and before a saved game's variables are restored.
void ClearVariables();
// Indexes slots 0 .. count-1 again, after a saved game has filled the
// names.
void RebuildNameIndex();
// Refuses every later "＃変数宣言" and "＃変数宣言文字" for the rest of the
// run.  "＃セーブ" and "＃ロード" call it as they start, whether or not they
// then succeed.
void LockDeclarations();

// The slot of a declared variable, or -1.
// True for a line of expression characters only (digits, operators,
// parentheses, blanks, half- or full-width): a number or a calculation,
// which cannot be a variable's name.
bool OnlyExpressionChars(std::string_view line);

int FindNumericVariable(std::string_view name);
int FindStringVariable(std::string_view name);
// The index bucket of a name (exposed for tests of the chains).
int NameBucket(std::string_view name);

// Stores a string variable's value, cut on a character boundary to the
// 104 bytes a value holds.  False when the slot does not exist or the text
// had to be cut.
bool SetStringValue(int slot, std::string_view text);

// "＃変数宣言" (row 36) and "＃変数宣言文字" (row 35): open a block.
void OpenNumericDeclarations();
void OpenStringDeclarations();
// One line of an open block.
void DeclareNumericVariable(std::string_view line);
void DeclareStringVariable(std::string_view line);

bool DeclarationBlockOpen();
// A line inside an open declaration block.
void DeclareLine(std::string_view line);
// The empty line that ends a declaration block.
void EndDeclarationBlocks();

// Row 6 of the command table: a line containing "＝".
void HandleAssignmentLine();

// Called whenever a command has changed a variable.  The variable display
// is to redraw from here; until it exists there is nothing to do.
void MarkVariableDisplayDirty();

}  // namespace kb
