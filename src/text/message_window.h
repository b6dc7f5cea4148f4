#pragma once
// The dialogue box ("＃セリフ" blocks) and the text page ("＃文章" blocks).
#include <string_view>

namespace kb {

struct DialogueBox {
  int x = 20, y = 360, w = 600, h = 100;
  int shown = 0;
  int blockOpen = 0;
  int waitOff = 0;  // the block was opened with "待ちオフ"
  int lineCount = 0;
};

struct TextPage {
  int open = 0;
  int waitOff = 0;
  int inUse = 0;
};

extern DialogueBox dialogueBox;
extern TextPage textPage;

// The empty line that ends a dialogue block or a text page.
void EndBlocksAtEmptyLine();
// A line inside an open dialogue block or text page.
void ShowDialogueLine(std::string_view line);
void ShowTextPageLine(std::string_view line);

}  // namespace kb
