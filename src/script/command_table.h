#pragma once
// The scenario language: which line runs which handler.
#include <array>
#include <string_view>

namespace kb {

using CommandHandler = void (*)();

struct CommandEntry {
  int number;                                // the row's number, 1 to 111
  std::array<std::string_view, 3> keywords;  // alternative spellings; empty ones unused
  CommandHandler handler;
};

// Runs the line at the program counter: the four leading commands, the
// block rules, comments, then the first matching row of the table.
void ExecuteLine();

// The row a line outside any block runs (for tests and tools): the row's
// number from 1 to 111 (6 is an assignment, 111 an error); 0 for an empty
// line, -1 to -4 for the leading commands, -5 for a comment.
int ClassifyLine(std::string_view line);

// The shared handler of commands this version does not offer yet: it says
// so on the error page.
void CommandNotAvailable();
// Row 110 "＃ホゲテスト": nothing.
void CommandNothing();
// Row 111: any other line.
void CommandUnknown();

}  // namespace kb
