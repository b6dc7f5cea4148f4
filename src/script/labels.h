#pragma once
// Labels, jumps, sub-scenarios and the folders files are taken from.
#include <string>
#include <string_view>

namespace kb {

// The index of the name line of the first label called name, or -1.  The
// search always starts at the top of the scenario.
int FindLabel(std::string_view name);
// 0 when the parts of the two paths after their last "\" are equal.
int CompareFileNames(std::string_view a, std::string_view b);

enum class CallKind { Command = 1, RightClick = 2 };
// Loads another scenario and starts it: "＃別シナリオ" (the name line after
// the command, and a label line with "ラベル"), or the right-click scenario.
// A scenario already on the call path is returned to, not called again.
// Returns 1 when the scenario was loaded.
int CallScenario(CallKind kind);

// The full name of a scenario file: scenario folder + name + extension.
std::string ScenarioFileName(std::string_view name);

void HandleLabel();               // "＃ラベル"
void HandleGo();                  // "＃ＧＯ", "＃GO"
void HandlePictureFolder();       // "＃絵のパス"
void HandleSoundFolder();         // "＃音のパス"
void HandleScenarioFolder();      // "＃シナリオのパス"
void HandleCallScenario();        // "＃別シナリオ"
void HandleRightClickScenario();  // "＃右クリックシナリオ"

}  // namespace kb
