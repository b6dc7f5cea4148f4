#include "text/message_window.h"

#include <string>

#include "base/sjis_literal.h"
#include "display/blend.h"
#include "display/compose.h"
#include "display/layers.h"
#include "display/picture_loader.h"
#include "display/surface_set.h"
#include "platform/platform.h"
#include "script/choices.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "script/sjis.h"
#include "shell/wait_state.h"
#include "text/text_output.h"
#include "text/text_style.h"
#include "vars/references.h"

namespace kb {

DialogueBox dialogueBox;
TextPage textPage;
PageState pageState;
RevealState reveal;

namespace {

constexpr int kMaxBoxHeight = 240;  // the height of dialogueText

// Reads the next argument line of "＃セリフ位置" into value; reports and
// returns false when it is missing or cannot be computed.
bool ReadBoxArgument(std::string_view missingMessage, int& value) {
  const std::string_view line = NextLine();
  if (line.empty()) {
    ReportError(missingMessage, line);
    return false;
  }
  return ComputeNumberOrReport(line, line, value);
}

bool Refuse(std::string_view message, int value) {
  ReportError(message, std::to_string(value));
  return false;
}

// The checks of a new box rectangle, in their order; the first that fails
// is reported with the offending value.
bool BoxFits(int x, int y, int w, int h) {
  if (x < 0 || x > kScreenWidth) return Refuse("セリフ位置のＸが画面からはみ出ています"_sj, x);
  if (y < 0 || y > kScreenHeight) return Refuse("セリフ位置のＹが画面からはみ出ています"_sj, y);
  if (w < 0 || w > kScreenWidth - x)
    return Refuse("セリフ位置の幅がマイナスか、画面からはみ出てしまいます"_sj, w);
  if (h < 0 || h > kScreenHeight - y)
    return Refuse("セリフ位置の高さがマイナスか、画面からはみ出てしまいます"_sj, h);
  if (h > kMaxBoxHeight) return Refuse("セリフ位置の高さの最大は現在２４０までです"_sj, h);
  return true;
}

bool LineHas(std::string_view word) { return SjisContains(CurrentLine(), word); }

}  // namespace

void ResetMessageWindow() {
  dialogueBox = DialogueBox{};
  textPage = TextPage{};
  pageState = PageState{};
  reveal = RevealState{};
  ResetTextStyle();
}

void EndBlocksAtEmptyLine() {
  // TODO(click mark): the mark moves to its dialogue position at the end of
  // a dialogue block, and to (10, 10 + text y) at the end of a text page.
  if (dialogueBox.blockOpen) {
    dialogueBox.blockOpen = 0;
    if (!dialogueBox.waitOff) waitState.clickWait = 1;
  }
  if (textPage.open) {
    textPage.open = 0;
    if (!textPage.waitOff) waitState.clickWait = 1;
  }
}

void ShowDialogueLine() {
  pageState.lineCount += 1;
  if (!LineFits(programCounter)) {
    pageState.lineCount = 1;
    pageState.textY = 0;
  }
  DrawTextLine();
  dialogueBox.shown = 1;
  ComposeScreen();
  // A reveal checks the page itself once its line is out.
  if (!waitState.charByCharRunning && !LineFits(programCounter + 1)) waitState.clickWait = 1;
}

void ShowTextPageLine() {
  pageState.lineCount += 1;
  DrawTextLine();
  layerState.topmostShown = 1;
  ComposeScreen();
}

void HandleDialogue() {
  dialogueBox.hiddenByPlayer = 0;
  ApplyStyleLine(CurrentLine());
  dialogueBox.blockOpen = 1;
  // "追加" continues below the text already in the box.
  if (!LineHas("追加"_sj)) pageState = PageState{};
  dialogueBox.waitOff = LineHas("待ちオフ"_sj) ? 1 : 0;
}

void HandleDialogueOff() { dialogueBox.shown = 0; }

void HandleDialoguePosition() {
  int x = 0, y = 0, w = 0, h = 0;
  if (!ReadBoxArgument("＃セリフ位置のＸが指定されていません"_sj, x)) return;
  if (!ReadBoxArgument("＃セリフ位置のＹが指定されていません"_sj, y)) return;
  if (!ReadBoxArgument("＃セリフ位置の幅が指定されていません"_sj, w)) return;
  if (!ReadBoxArgument("＃セリフ位置の高さが指定されていません"_sj, h)) return;
  if (!BoxFits(x, y, w, h)) return;
  dialogueBox.x = x;
  dialogueBox.y = y;
  dialogueBox.w = w;
  dialogueBox.h = h;
  if (!dialogueBox.customFrame) DrawDialogueFrame();
}

void HandleDialogueFrame() {
  if (LineHas("オフ"_sj)) {
    dialogueBox.customFrame = 0;
    DrawDialogueFrame();
    return;
  }
  const std::string_view name = NextLine();
  if (!LoadPicture(SurfaceOf(SurfaceId::dialogueFrame), name, kScreenWidth, kScreenHeight)) {
    ReportError("＃セリフ枠のファイル名が違います"_sj, name);
    // A failed load leaves the surface filled with the MaskColour: the
    // drawn frame comes back rather than a screen-wide fill over every
    // later dialogue.
    dialogueBox.customFrame = 0;
    DrawDialogueFrame();
    return;
  }
  dialogueBox.customFrame = 1;
}

void HandleDialogueTranslucency() {
  if (LineHas("オフ"_sj)) {
    dialogueBox.translucent = 0;
    return;
  }
  dialogueBox.translucent = 1;
  if (LineHas("白"_sj))
    dialogueBox.blendWhite = 1;
  else if (LineHas("黒"_sj))
    dialogueBox.blendWhite = 0;
  if (LineHas("純"_sj))
    dialogueBox.blendLevel = 0;
  else if (LineHas("薄い"_sj))
    dialogueBox.blendLevel = 3;
  else if (LineHas("濃い"_sj))
    dialogueBox.blendLevel = 1;
  else
    dialogueBox.blendLevel = 2;
}

void HandleScreenText() {
  dialogueBox.hiddenByPlayer = 0;
  textPage.inUse = 1;
  ApplyStyleLine(CurrentLine());
  textPage.open = 1;
  if (!LineHas("追加"_sj)) pageState.lineCount = 0;
  textPage.waitOff = LineHas("待ちオフ"_sj) ? 1 : 0;
}

void HandleScreenTextOff() { layerState.topmostShown = 0; }
void HandleScreenTextDarkenOn() { textPage.darken = 1; }
void HandleScreenTextDarkenOff() { textPage.darken = 0; }

void HandleStyleCommand() { ApplyStyleLine(CurrentLine()); }

void HandleOneCharMode() { reveal.oneCharMode = LineHas("オフ"_sj) ? 0 : 1; }

void ToggleTextWindowHidden() { dialogueBox.hiddenByPlayer = dialogueBox.hiddenByPlayer ? 0 : 1; }

bool TextPageDarkensScreen() { return textPage.darken != 0; }

void ReleaseTopmostFromTextPage() {
  textPage.inUse = 0;
  textPage.darken = 0;
}

void DrawDialogueBox(Surface& back) {
  const DialogueBox& box = dialogueBox;
  if (!box.shown || box.hiddenByPlayer) return;
  // Answers laid out inside the box take its place; the choice draws the
  // backing and the frame itself.
  if (ChoicesInDialogueBox()) return;
  if (box.translucent) {
    if (layerState.translucencySwitch && box.blendLevel != 0) {
      if (box.blendWhite)
        Lighten(back, box.x, box.y, box.w, box.h, box.blendLevel);
      else
        Darken(back, box.x, box.y, box.w, box.h, box.blendLevel);
    } else {
      const int c = box.blendWhite ? 255 : 0;
      FillRect(back, box.x, box.y, box.w, box.h, c, c, c);
    }
  }
  CopyRect(back, box.x, box.y, SurfaceOf(SurfaceId::dialogueText), Rect{0, 0, box.w, box.h}, true);
  CopyAll(back, SurfaceOf(SurfaceId::dialogueFrame), true);
}

}  // namespace kb
