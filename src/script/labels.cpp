#include "script/labels.h"

#include "base/sjis_literal.h"
#include "script/call_stack.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "script/sjis.h"
#include "shell/packed_mode.h"
#include "shell/wait_state.h"
#include "text/message_window.h"

namespace kb {

ScenarioCallStack callStack;
MediaPaths mediaPaths;

namespace {

// The deepest call that may still be made: from level 1000 to 1001.
constexpr int kDeepestCaller = 1000;

std::string_view AfterLastBackslash(std::string_view path) {
  std::size_t p = SjisFindLast(path, "\\");
  return p == kNotFound ? path : path.substr(p + 1);
}

}  // namespace

int FindLabel(std::string_view name) {
  for (int i = 1; i <= scenarioStore.lineCount; ++i)
    if (LineAt(i) == name && StartsWith(LineAt(i - 1), "＃ラベル"_sj)) return i;
  return -1;
}

int CompareFileNames(std::string_view a, std::string_view b) {
  return AfterLastBackslash(a) == AfterLastBackslash(b) ? 0 : 1;
}

std::string ScenarioFileName(std::string_view name) {
  return std::string(mediaPaths.scenario.view()) + std::string(name) +
         std::string(packedMode.scenarioExt.view());
}

void HandleLabel() { ++programCounter; }

void HandleGo() {
  const std::string_view name = NextLine();
  const int i = FindLabel(name);
  if (i < 0) {
    ReportError("該当するラベルが見つかりません"_sj, name);
    return;
  }
  programCounter = i;
}

void HandlePictureFolder() { mediaPaths.picture.Set(NextLine()); }
void HandleSoundFolder() { mediaPaths.sound.Set(NextLine()); }
void HandleScenarioFolder() { mediaPaths.scenario.Set(NextLine()); }

int CallScenario(CallKind kind) {
  if (callStack.depth > kDeepestCaller) {
    ReportError("別シナリオから別シナリオを1000階層以上呼んでいます"_sj,
                "（右クリックシナリオも含みます）"_sj);
    return 0;
  }
  bool labelWanted = false;
  std::string path, nameLine, labelName;
  if (kind == CallKind::RightClick) {
    path = callStack.rightClickName.view();
    // There is no name line: the reports quote the file itself.
    nameLine = path;
  } else {
    labelWanted = SjisContains(CurrentLine(), "ラベル"_sj);
    nameLine = NextLine();
    path = ScenarioFileName(nameLine);
    if (labelWanted) labelName = NextLine();
  }

  // A name too long for the call path cannot be called (it could not be
  // stored whole); it is treated as a missing file.
  const bool storable = path.size() <= static_cast<std::size_t>(kCallNameBytes - 1);
  if (storable && ProbePath(path) == 2) {
    bool onPath = false;
    for (int n = 0; n <= callStack.depth; ++n) {
      if (callStack.names[static_cast<std::size_t>(n)] == path) {
        callStack.depth = n;
        onPath = true;
        break;
      }
    }
    if (!onPath) {
      // A failed load may have left the depth below 0; a new level then
      // starts from the first one.
      if (callStack.depth < 0) callStack.depth = 0;
      callStack.returnLines[static_cast<std::size_t>(callStack.depth)] =
          kind == CallKind::Command ? programCounter : programCounter - 1;
      callStack.depth += 1;
      if (kind == CallKind::RightClick) {
        callStack.rightClickActive = 1;
        callStack.rightClickEntryDepth = callStack.depth;
      }
      callStack.names[static_cast<std::size_t>(callStack.depth)].Set(path);
    }
  } else {
    bool found = false;
    for (int n = callStack.depth; n >= 0; --n) {
      if (CompareFileNames(path, callStack.names[static_cast<std::size_t>(n)].view()) == 0) {
        callStack.depth = n;
        found = true;
        break;
      }
    }
    if (!found) {
      ReportError("別シナリオのファイルがありません。"_sj, nameLine);
      return 0;
    }
  }

  if (!LoadScenario(callStack.names[static_cast<std::size_t>(callStack.depth)].view())) {
    ReportError("別シナリオのファイルがないか、ファイルに異常が起きました。"_sj, nameLine);
    callStack.depth -= 1;
    return 0;
  }
  programCounter = -1;
  waitState.clickWait = 0;
  waitState.choiceActive = 0;
  dialogueBox.blockOpen = 0;
  pageState.lineCount = 0;
  if (labelWanted) {
    const int i = FindLabel(labelName);
    if (i < 0)
      ReportError("該当するラベルが見つかりません"_sj, labelName);
    else
      programCounter = i;
  }
  return 1;
}

void HandleCallScenario() { CallScenario(CallKind::Command); }

void HandleRightClickScenario() {
  const std::string path = ScenarioFileName(LineAt(programCounter + 1));
  // Only a name the call path can hold can be called later.
  if (path.size() <= static_cast<std::size_t>(kCallNameBytes - 1) && ProbePath(path) == 2) {
    callStack.rightClickName.Set(path);
    callStack.rightClickSet = 1;
  } else {
    ReportError("右クリックシナリオのファイルがありません"_sj, LineAt(programCounter + 1));
  }
  ++programCounter;
}

}  // namespace kb
