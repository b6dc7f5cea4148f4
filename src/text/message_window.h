#pragma once
// The two ways scenario text reaches the screen: the dialogue box
// ("＃セリフ" blocks, a framed rectangle over the pictures that pages and
// waits for a click) and screen text ("＃文章" blocks, written over the
// whole screen on the topmost layer).  Lines are laid out by text_output.h.
//
// All of this state lives for the whole run; ResetMessageWindow() puts it
// back to its start values (start-up and tests).
#include <string_view>

#include "base/fixed_text.h"

namespace kb {

// The dialogue box.  Its rectangle, frame and translucency are kept for the
// whole run; the choices read the rectangle and `shown` to lay answers out
// inside it.
struct DialogueBox {
  int x = 20, y = 360, w = 600, h = 100;  // the rectangle: left, top, width, height
  int blockOpen = 0;  // a "＃セリフ" block is open: text lines go to the box
  int shown = 0;      // composed onto the screen; set by a dialogue line, cleared by "＃セリフオフ"
  int hiddenByPlayer = 0;  // TextWindowHidden: Ctrl toggles it; "＃セリフ" and "＃文章" clear it
  int waitOff = 0;         // the block was opened with "待ちオフ": no click wait at its end
  int customFrame = 0;     // "＃セリフ枠" loaded a frame picture into dialogueFrame
  int translucent = 1;     // the area under the box is blended before the text goes over it
  int blendLevel = 2;      // 0 solid, 1 strong, 2 normal, 3 weak
  int blendWhite = 0;      // "白": blend toward white, else toward black
};

// Screen text ("＃文章" blocks) on the topmost layer.
struct TextPage {
  int open = 0;     // a "＃文章" block is open: text lines go to the page
  int waitOff = 0;  // opened with "待ちオフ"
  int inUse = 0;    // the topmost layer holds screen text (so Ctrl hides it); "＃最前景" clears it
  int darken = 0;   // "＃文章半透明オン": the screen is darkened under the page
};

// The page being written, shared by both block kinds.
struct PageState {
  int lineCount = 0;  // lines on the current page, 1 for the first
  int textY = 0;      // offset of the next line below the top margin, in pixels
};

// The one-character reveal ("＃一文字"): a line is drawn one more character
// on each animation tick.
inline constexpr int kRevealLineBytes = 256;
struct RevealState {
  int oneCharMode = 0;               // "＃一文字" is on
  int count = 0;                     // characters of the current segment shown so far
  int chainX = 0;                    // width of the chain segments already revealed
  int chainHeight = 0;               // row height of the line (the tallest size of a chain)
  int inChain = 0;                   // the line is a "＃文字追加" chain
  int onTopmost = 0;                 // the line belongs to screen text, not to the dialogue box
  FixedText<kRevealLineBytes> line;  // the current segment, references expanded
};

extern DialogueBox dialogueBox;
extern TextPage textPage;
extern PageState pageState;
extern RevealState reveal;

void ResetMessageWindow();

// The empty line that ends a dialogue block or a text page: closes it and
// waits for a click unless it was opened with "待ちオフ".
void EndBlocksAtEmptyLine();
// The line at the program counter inside an open dialogue block: pages when
// the box is full, draws the line, shows the box, and waits for a click when
// the next line would not fit.
void ShowDialogueLine();
// The line at the program counter inside an open text page.
void ShowTextPageLine();

// Command handlers.
void HandleDialogue();              // "＃セリフ"
void HandleDialogueOff();           // "＃セリフオフ"
void HandleDialoguePosition();      // "＃セリフ位置"
void HandleDialogueFrame();         // "＃セリフ枠"
void HandleDialogueTranslucency();  // "＃セリフ半透明"
void HandleScreenText();            // "＃文章"
void HandleScreenTextOff();         // "＃文章オフ"
void HandleScreenTextDarkenOn();    // "＃文章半透明オン"
void HandleScreenTextDarkenOff();   // "＃文章半透明オフ"
void HandleStyleCommand();          // "＃文字"
void HandleOneCharMode();           // "＃一文字", "＃１文字", "＃1文字"

// Ctrl: the player hides the text window (the dialogue box and the screen
// text), or shows it again.
void ToggleTextWindowHidden();

// The composition draws the box at its step (DrawDialogueBox), and the
// screen text as the topmost layer: ShowTextPageLine shows that layer,
// "＃文章オフ" hides it, and TextPageDarkensScreen gives its darkening
// (display/compose.h).  "＃最前景" takes the layer back
// (ReleaseTopmostFromTextPage, display/layers.h).

}  // namespace kb
