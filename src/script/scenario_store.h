#pragma once
// The loaded scenario: one file at a time, as fixed lines.
#include <array>
#include <string_view>

namespace kb {

inline constexpr int kStoreLines = 5000;
inline constexpr int kLineBufferBytes = 105;
inline constexpr int kMaxLineBytes = 94;
inline constexpr int kMaxLineFeeds = 4499;

using LineBuffer = std::array<char, kLineBufferBytes>;

struct ScenarioStore {
  std::array<LineBuffer, kStoreLines> lines{};
  int lineCount = 0;  // lines of the last load, the two added empty lines included
};

extern ScenarioStore scenarioStore;
// The index of the line that the next frame step executes.
extern int programCounter;

// Line i of the store; "" outside the store, so a handler that reads past
// the end of its arguments reads empty lines, never other memory.
std::string_view LineAt(int i);
// Replaces line i (inside the store) by text, cut to fit.
void SetLine(int i, std::string_view text);
// The line at the program counter.
inline std::string_view CurrentLine() { return LineAt(programCounter); }
// Moves the counter onto the next line and returns it.
inline std::string_view NextLine() { return LineAt(++programCounter); }

// Reads a scenario file into the store: 1 on success, 0 when it cannot be
// opened (reported) or is too long (reported, and the game ends).
int LoadScenario(std::string_view fileName);
void NormalizeNumberLabels();
void CheckBlockBalance();
// How a line changes the block level: +1 for a choice or branch opener
// ("＃選択", "＃選択裏画面", "＃分岐…"; not "＃選択位置", "＃選択枠",
// "＃選択フォント", "＃選択反転色"), -1 for the closer "＃＃＃＃", else 0.
int BlockLevelStep(std::string_view line);

// Loads scenario text already in memory (the bytes as stored in the file);
// used by LoadScenario and by tests.  Returns 1, or 0 after a limit
// failure (which has been reported and has ended the game).
int LoadScenarioBytes(std::string_view stored, std::string_view fileName);

}  // namespace kb
