#include "vars/variables.h"

#include "base/sjis_literal.h"
#include "script/error_reporter.h"
#include "script/sjis.h"
#include "vars/references.h"
#include "vars/text_builder.h"

namespace kb {

NumericVariableTable numericVariables;
StringVariableTable stringVariables;
DeclarationState declarationState;

namespace {

const char* const kTotalExceeded = "シナリオをもう一度チェックして下さい"_sj;
const char* const kLockDetail = "（ロード時にデータを破壊する恐れがあります）"_sj;

// The characters of which a numeric name may not consist entirely, since
// the expression would read it as a number or an operator.
bool IsHalfWidthExpressionChar(char c) {
  return (c >= '0' && c <= '9') || c == '%' || c == '(' || c == ')' || c == '*' || c == '+' || c == '-' ||
         c == '/' || c == ' ' || c == '\t';
}

bool IsFullWidthExpressionChar(std::string_view two) {
  static constexpr std::string_view kChars[] = {
      "０"_sj, "１"_sj, "２"_sj, "３"_sj, "４"_sj, "５"_sj, "６"_sj, "７"_sj, "８"_sj, "９"_sj,
      "％"_sj, "／"_sj, "＊"_sj, "－"_sj, "＋"_sj, "（"_sj, "）"_sj, "　"_sj,
  };
  for (std::string_view c : kChars)
    if (two == c) return true;
  return false;
}

}  // namespace

bool OnlyExpressionChars(std::string_view line) {
  for (std::size_t i = 0; i < line.size();) {
    if (IsHalfWidthExpressionChar(line[i])) {
      ++i;
    } else if (i + 2 <= line.size() && IsFullWidthExpressionChar(line.substr(i, 2))) {
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

namespace {

void IndexSlot(int slot) {
  NumericVariableTable& t = numericVariables;
  const auto bucket = static_cast<std::size_t>(NameBucket(t.names[static_cast<std::size_t>(slot)].view()));
  t.nextLinks[static_cast<std::size_t>(slot)] = t.bucketHeads[bucket];
  t.bucketHeads[bucket] = static_cast<std::int16_t>(slot);
}

// Adds a name in the next free slot; the caller has checked the count.
void AddNumericVariable(std::string_view name) {
  NumericVariableTable& t = numericVariables;
  t.names[static_cast<std::size_t>(t.count)].Set(name);
  t.values[static_cast<std::size_t>(t.count)] = 0;
  IndexSlot(t.count);
  ++t.count;
}

bool NumericNameUsed(std::string_view name) { return FindNumericVariable(name) >= 0; }

void DeclareScalar(std::string_view line) {
  NumericVariableTable& t = numericVariables;
  // Slots fill in order, so a name among the first 10000 slots is a
  // duplicate; past them, the total has been exceeded.
  const int same = FindNumericVariable(line);
  if (same >= 0 && same < kNumericValueLimit) {
    ReportError("同じ名前の変数を宣言しています"_sj, line);
    return;
  }
  if (t.count > kNumericValueLimit) {
    ReportError("変数宣言中に変数のトータルが10000を超えました"_sj, kTotalExceeded);
    declarationState.declaringNumbers = 0;
    return;
  }
  if (line.size() > kMaxNameBytes) {
    ReportError("変数名が５０（全角２５）文字を超えています"_sj, line);
    return;
  }
  if (OnlyExpressionChars(line)) {
    ReportError("変数に数字を宣言しています"_sj, line);
    return;
  }
  if (t.count >= kNumericSlots) {  // only a corrupt count gets here
    ReportError("変数宣言中に変数のトータルが10000を超えました"_sj, kTotalExceeded);
    declarationState.declaringNumbers = 0;
    return;
  }
  AddNumericVariable(line);
  if (t.count > kNumericValueLimit) {
    ReportError("変数のトータルが10000を超えました"_sj, kTotalExceeded);
    declarationState.declaringNumbers = 0;
  }
}

// "名前［最大］": the elements 名前:0: to 名前:最大:.
void DeclareArray(std::string_view line) {
  if (!SjisContains(line, "］"_sj)) {
    ReportError("配列変数に閉じカッコがありません"_sj, line);
    return;
  }
  const std::size_t open = SjisFind(line, "［"_sj);
  const std::size_t close = SjisFind(line.substr(open), "］"_sj);
  if (close == kNotFound) {
    ReportError("配列変数の閉じカッコの位置が変です"_sj, line);
    return;
  }
  const ComputedNumber max = ComputeNumber(line.substr(open + 2, close - 2));
  if (!max.ok) {
    ReportError("配列の最大値の指定が間違っています"_sj, line);
    return;
  }
  if (max.value < 1) {
    ReportError("配列の最大値が０またはマイナスになりました"_sj, line);
    return;
  }
  const std::string_view base = line.substr(0, open);
  // Every element name must fit a name slot; the last one is the longest.
  TextBuilder<kNameSlotBytes - 1> longest;
  longest.Append(base);
  longest.Append(':');
  longest.AppendNumber(max.value);
  longest.Append(':');
  if (longest.overflowed()) {
    ReportError("配列変数の名前が長すぎます"_sj, line);
    return;
  }
  TextBuilder<kNameSlotBytes> first;
  first.Append(base);
  first.Append(":0:");
  if (NumericNameUsed(first.view())) {
    ReportError("同じ名前の配列変数を宣言しています"_sj, line);
    return;
  }
  for (std::int32_t i = 0; i <= max.value; ++i) {
    if (numericVariables.count >= kNumericValueLimit) {
      ReportError("配列変数作成中に変数のトータルが10000を超えました"_sj, kTotalExceeded);
      declarationState.declaringNumbers = 0;
      return;
    }
    TextBuilder<kNameSlotBytes> element;
    element.Append(base);
    element.Append(':');
    element.AppendNumber(i);
    element.Append(':');
    AddNumericVariable(element.view());
  }
}

}  // namespace

void NumericVariableTable::Clear() {
  for (VariableName& n : names) n.Clear();
  values.fill(0);
  count = 0;
  bucketHeads.fill(-1);
  nextLinks.fill(-1);
}

void StringVariableTable::Clear() {
  for (VariableName& n : names) n.Clear();
  for (StringValue& v : values) v.Clear();
  count = 0;
}

void ClearVariables() {
  numericVariables.Clear();
  stringVariables.Clear();
}

void RebuildNameIndex() {
  NumericVariableTable& t = numericVariables;
  t.bucketHeads.fill(-1);
  t.nextLinks.fill(-1);
  if (t.count < 0 || t.count > kNumericSlots) t.count = 0;
  for (int slot = 0; slot < t.count; ++slot) IndexSlot(slot);
}

void LockDeclarations() { declarationState.declarationLock = 1; }

int NameBucket(std::string_view name) {
  // Each byte counts as a signed value, so the bytes of double-byte
  // characters count negative.
  std::uint32_t h = 0;
  for (char c : name) h = h * 83u + static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
  return static_cast<int>(h % static_cast<std::uint32_t>(kNameBuckets));
}

int FindNumericVariable(std::string_view name) {
  const NumericVariableTable& t = numericVariables;
  // A chain never holds more than every slot; the bound also stops a
  // corrupt link from looping.
  int slot = t.bucketHeads[static_cast<std::size_t>(NameBucket(name))];
  for (int steps = 0; slot >= 0 && slot < kNumericSlots && steps < kNumericSlots; ++steps) {
    if (t.names[static_cast<std::size_t>(slot)] == name) return slot;
    slot = t.nextLinks[static_cast<std::size_t>(slot)];
  }
  return -1;
}

int FindStringVariable(std::string_view name) {
  for (int i = 0; i < stringVariables.count && i < kStringSlots; ++i)
    if (stringVariables.names[static_cast<std::size_t>(i)] == name) return i;
  return -1;
}

bool SetStringValue(int slot, std::string_view text) {
  if (slot < 0 || slot >= kStringSlots) return false;
  return stringVariables.values[static_cast<std::size_t>(slot)].Set(text);
}

void OpenNumericDeclarations() {
  if (numericVariables.count > kNumericValueLimit - 1) {
    ReportError("すでに変数のトータルは"_sj, "10000個を超えています"_sj);
    return;
  }
  if (declarationState.declarationLock) {
    ReportError("「＃変数宣言」は「＃セーブ・ロード」の前にしてください"_sj, kLockDetail);
    return;
  }
  declarationState.declaringNumbers = 1;
}

void OpenStringDeclarations() {
  if (stringVariables.count > kStringVariableLimit) {
    ReportError("すでに変数（文字）のトータルは"_sj, "５００個を超えています"_sj);
    return;
  }
  if (declarationState.declarationLock) {
    ReportError("「＃変数宣言（文字）」は「＃セーブ・ロード」の前にしてください"_sj, kLockDetail);
    return;
  }
  declarationState.declaringStrings = 1;
}

void DeclareNumericVariable(std::string_view line) {
  if (SjisContains(line, "［"_sj))
    DeclareArray(line);
  else
    DeclareScalar(line);
}

void DeclareStringVariable(std::string_view line) {
  StringVariableTable& t = stringVariables;
  if (t.count >= kStringVariableLimit) {
    ReportError("文字変数は５００個までです"_sj, line);
    declarationState.declaringStrings = 0;
    return;
  }
  if (line.size() > kMaxNameBytes) {
    ReportError("文字変数名が５０（全角２５）文字を超えています"_sj, line);
    return;
  }
  if (FindStringVariable(line) >= 0) {
    ReportError("同じ名前の文字変数を宣言しています"_sj, line);
    return;
  }
  t.names[static_cast<std::size_t>(t.count)].Set(line);
  t.values[static_cast<std::size_t>(t.count)].Clear();
  ++t.count;
}

bool DeclarationBlockOpen() { return declarationState.declaringNumbers || declarationState.declaringStrings; }

void DeclareLine(std::string_view line) {
  if (declarationState.declaringNumbers)
    DeclareNumericVariable(line);
  else if (declarationState.declaringStrings)
    DeclareStringVariable(line);
}

void EndDeclarationBlocks() {
  declarationState.declaringNumbers = 0;
  declarationState.declaringStrings = 0;
}

void MarkVariableDisplayDirty() {}

}  // namespace kb
