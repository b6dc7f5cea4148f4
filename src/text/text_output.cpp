#include "text/text_output.h"

#include <algorithm>

#include "base/sjis_literal.h"
#include "display/surface_set.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "script/sjis.h"
#include "shell/wait_state.h"
#include "text/message_window.h"
#include "text/text_style.h"
#include "vars/references.h"

namespace kb {
namespace {

using LineText = FixedText<kRevealLineBytes>;

// The text of a line as it is shown: variable references expanded (a
// failed expansion is reported and shows the line as written).
LineText ShownText(std::string_view line) {
  WorkingText out;
  ExpandTextReferences(line, NumberStyle::Plain, out);
  return LineText(out.view());
}

Surface& TextSurface(bool onTopmost) {
  return SurfaceOf(onTopmost ? SurfaceId::topmost : SurfaceId::dialogueText);
}

// Text goes to the screen-text page only while a "＃文章" block is open;
// the two block kinds never are open together.
bool WritingScreenText() { return !dialogueBox.blockOpen && textPage.open; }

// Clears a text surface to its colour key (white for dialogueText, the
// MaskColour for topmost), so that only glyphs show when it is composed.
void ClearTextSurface(Surface& s) { FillPixels(s, 0, 0, s.width, s.height, s.key); }

// Draws text in the current style on an opaque background of the
// surface's key and returns its width.
int DrawStyledText(Surface& s, int x, int y, std::string_view text) {
  if (textStyle.font == kNoFont) RecreateTextFont();
  const TextColour& c = textStyle.colour;
  DrawText(TargetOf(s), textStyle.font, x, y, text, RgbToPixel(c.r, c.g, c.b), true, s.key);
  return MeasureText(textStyle.font, text).width;
}

// The tallest size of the chain whose first segment is line `first`, drawn
// in `size`: the sizes named on the style lines that follow it, every
// second line.
int ChainHeight(int first, int size) {
  int height = size;
  for (int i = first + 1; IsContinuationLine(LineAt(i)); i += 2)
    height = std::max(height, FontSizeWords(LineAt(i)));
  return height;
}

// From one chain segment over its style line to the next segment, applying
// the style.  A segment that is itself a "＃文字" line is a mistake: it is
// reported and the chain ends there (the counter on that line).
bool MoveToNextSegment() {
  ApplyStyleLine(NextLine());
  if (StartsWith(NextLine(), "＃文字"_sj)) {
    ReportError("＃文字追加の次の行が"_sj, "＃文字となっています。"_sj);
    return false;
  }
  return true;
}

// Bytes of the first `count` characters of text (a double-byte character
// counts as one).
std::size_t CharacterPrefix(std::string_view text, int count) {
  std::size_t i = 0;
  for (int n = 0; n < count && i < text.size(); ++n)
    i += IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
  return std::min(i, text.size());
}

void StartReveal(bool chain) {
  reveal.count = 0;
  reveal.chainX = 0;
  reveal.inChain = chain ? 1 : 0;
  reveal.chainHeight = chain ? ChainHeight(programCounter, textStyle.size) : textStyle.size;
  reveal.onTopmost = WritingScreenText() ? 1 : 0;
  reveal.line = ShownText(CurrentLine());
  waitState.charByCharRunning = 1;
  // A chain reads its segments as it goes: the counter stays on the first
  // segment until the reveal moves it past the last.
  if (chain) frameState.holdProgramCounter = 1;
}

void EndReveal() {
  waitState.charByCharRunning = 0;
  if (reveal.inChain) {
    programCounter += 1;
    frameState.holdProgramCounter = 0;
  }
  reveal.count = reveal.chainX = reveal.chainHeight = reveal.inChain = 0;
  reveal.line.Clear();
}

}  // namespace

bool IsContinuationLine(std::string_view line) {
  return StartsWith(line, "＃文字"_sj) && SjisContains(line, "追加"_sj);
}

bool LineFits(int n) {
  const std::string_view line = LineAt(n);
  if (line.empty()) return true;
  int size = textStyle.size;
  int textLine = n;
  if (StartsWith(line, "＃文字"_sj)) {
    size = FontSizeWords(line);
    textLine = n + 1;
  }
  const int height = ChainHeight(textLine, size);
  return dialogueBox.h - 2 * kTextMargin >= pageState.textY + height;
}

void DrawTextLine() {
  const bool onTopmost = WritingScreenText();
  Surface& target = TextSurface(onTopmost);
  if (pageState.lineCount == 1) {
    pageState.textY = 0;
    ClearTextSurface(target);
  }
  const bool chain = IsContinuationLine(LineAt(programCounter + 1));
  if (reveal.oneCharMode) {
    StartReveal(chain);
    return;
  }
  if (!chain) {
    DrawStyledText(target, kTextMargin, kTextMargin + pageState.textY, ShownText(CurrentLine()));
    pageState.textY += textStyle.size + kLineSpacing;
    return;
  }
  const int height = ChainHeight(programCounter, textStyle.size);
  int x = kTextMargin;
  for (;;) {
    const int y = kTextMargin + pageState.textY + (height - textStyle.size) / 2;
    x += DrawStyledText(target, x, y, ShownText(CurrentLine()));
    if (!IsContinuationLine(LineAt(programCounter + 1))) break;
    if (!MoveToNextSegment()) return;
  }
  pageState.textY += height + kLineSpacing;
}

void RevealTick() {
  if (!waitState.charByCharRunning || waitState.charByCharPageWait) return;
  reveal.count += 1;
  Surface& target = TextSurface(reveal.onTopmost != 0);
  const std::string_view text = reveal.line.view();
  const std::size_t shown = CharacterPrefix(text, reveal.count);
  const int y =
      kTextMargin + pageState.textY + (reveal.inChain ? (reveal.chainHeight - textStyle.size) / 2 : 0);
  const int width = DrawStyledText(target, kTextMargin + reveal.chainX, y, text.substr(0, shown));
  if (shown < text.size()) return;

  if (reveal.inChain && IsContinuationLine(LineAt(programCounter + 1))) {
    reveal.chainX += width;
    reveal.count = 0;
    if (!MoveToNextSegment()) {
      // The mistaken line is passed over, as the drawing without reveal does.
      EndReveal();
      return;
    }
    reveal.line = ShownText(CurrentLine());
    return;
  }
  pageState.textY += reveal.chainHeight + kLineSpacing;
  const bool inDialogue = reveal.onTopmost == 0;
  EndReveal();
  if (inDialogue && !LineFits(programCounter)) {
    waitState.clickWait = 1;
    waitState.charByCharPageWait = 1;
  }
}

}  // namespace kb
