#include "script/branches.h"

#include "base/sjis_literal.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"

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

}  // namespace kb
