#pragma once
// Branch blocks: a command computes a number and jumps to the label of its
// block that carries it ("＃0", "＃1", …); a body ends at the next label,
// which sends execution to the block's closer "＃＃＃＃".
#include <string_view>

namespace kb {

// Walks the lines below the program counter, counting block openers and
// closers.  level 0: a line of the current block's own level equal to
// target (a label of this block); level -1: the closer of the current block.
// Returns the line's index, or -1.
int FindInBlock(std::string_view target, int level);

void HandleNumberLabel();  // "＃0", "＃1", … reached from above

void HandleBranchRange();    // "＃分岐範囲": which range a value lies in
void HandleBranchMaximum();  // "＃分岐最大": which value is largest
void HandleBranchText();     // "＃分岐文字": whether a string variable equals a text

}  // namespace kb
