// The text choice: its window settings, "＃選択" and its layout, the hit
// test and the composition of the open window.
#include "script/choices.h"

#include <algorithm>
#include <string>

#include "base/format.h"
#include "base/sjis_literal.h"
#include "display/blend.h"
#include "display/surface_set.h"
#include "platform/platform.h"
#include "display/picture_loader.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "script/sjis.h"
#include "shell/wait_state.h"
#include "text/message_window.h"
#include "text/text_style.h"
#include "vars/references.h"

namespace kb {

ChoiceWindow choiceWindow;

namespace {

constexpr int kAnswerR = 247, kAnswerG = 247, kAnswerB = 247;
// Up to this many answers stand in one column.
constexpr int kOneColumnAnswers = 9;
constexpr int kTwoColumnAnswers = 18;
// An explicit window keeps a border of its own width, whatever the margin.
constexpr int kExplicitFrameInset = 3;

const char* const kChoiceFallbackFace = "ＭＳ ゴシック"_sj;

// The number on the line under the counter; false after reporting the
// computation's error text with the line as detail.
bool NumberOnLine(int& out) { return ComputeNumberOrReport(CurrentLine(), CurrentLine(), out); }

// The face an argument line names: "ゴシック" and "明朝" at its start name
// the standard faces (the fixed-pitch ones with "固定"); any other line is a
// face name itself.
std::string FaceFromLine(std::string_view line) {
  const bool fixed = SjisContains(line, "固定"_sj);
  if (StartsWith(line, "ゴシック"_sj)) return fixed ? "ＭＳ ゴシック"_sj : "ＭＳ Ｐゴシック"_sj;
  if (StartsWith(line, "明朝"_sj)) return fixed ? "ＭＳ 明朝"_sj : "ＭＳ Ｐ明朝"_sj;
  return std::string(line);
}

bool IsStandardFace(std::string_view face) {
  return face == "ＭＳ ゴシック"_sj || face == "ＭＳ Ｐゴシック"_sj || face == "ＭＳ 明朝"_sj ||
         face == "ＭＳ Ｐ明朝"_sj;
}

void RecreateChoiceFont() {
  ChoiceWindow& w = choiceWindow;
  if (w.font != kNoFont) DeleteFont(w.font);
  w.font = CreateFont(w.face.view(), kChoiceFontHeight);
  if (w.font == kNoFont) w.font = CreateFont(kChoiceFallbackFace, kChoiceFontHeight);
}

// A copy cut to both surfaces, so that a window partly off the screen (or
// larger than the surface its text is drawn in) still shows what fits.
void CopyClipped(Surface& dest, int x, int y, const Surface& src, Rect r, bool useKey) {
  r.w = std::min(r.w, src.width - r.x);
  r.h = std::min(r.h, src.height - r.y);
  if (x < 0) {
    r.x -= x;
    r.w += x;
    x = 0;
  }
  if (y < 0) {
    r.y -= y;
    r.h += y;
    y = 0;
  }
  r.w = std::min(r.w, dest.width - x);
  r.h = std::min(r.h, dest.height - y);
  if (r.w <= 0 || r.h <= 0) return;
  CopyRect(dest, x, y, src, r, useKey);
}

// Draws the answer lines after the command into choiceText and measures
// the widest.
void DrawAnswers(int commandLine) {
  ChoiceWindow& w = choiceWindow;
  Surface& text = SurfaceOf(SurfaceId::choiceText);
  const std::uint32_t colour = RgbToPixel(kAnswerR, kAnswerG, kAnswerB);
  w.widest = 0;
  for (int k = 0; k < w.count; ++k) {
    WorkingText answer;
    ExpandTextReferences(LineAt(commandLine + 1 + k), NumberStyle::Plain, answer);
    const Point p = AnswerPosition(k);
    DrawText(TargetOf(text), w.font, p.x, p.y, answer.view(), colour);
    w.widest = std::max(w.widest, MeasureText(w.font, answer.view()).width);
  }
}

void SizeWindow() {
  ChoiceWindow& w = choiceWindow;
  const int m = w.margin;
  if (w.count <= kOneColumnAnswers) {
    w.height = w.count * w.rowHeight + 2 * m;
    w.width = std::min(w.widest + 2 * m, kScreenWidth - w.x);
  } else {
    w.height = 2 * m + w.rowHeight * w.rowsPerColumn;
    const int columns = w.count <= kTwoColumnAnswers ? 2 : 3;
    w.width = columns * w.columnWidth + (columns - 1) * w.columnGap + 2 * m;
  }
  if (w.explicitSize) {
    w.width = w.explicitWidth;
    w.height = w.explicitHeight;
  }
}

// The blue frame: a border of the margin (3 pixels for an explicit size)
// around the window, the rest of choiceFrame white (transparent).
void DrawBlueFrame() {
  const ChoiceWindow& w = choiceWindow;
  Surface& frame = SurfaceOf(SurfaceId::choiceFrame);
  FillWhite(frame);
  const int inset = w.explicitSize ? kExplicitFrameInset : w.margin;
  FillRect(frame, w.x, w.y, w.width, w.height, 0, 0, 255);
  FillRect(frame, w.x + inset, w.y + inset, w.width - 2 * inset, w.height - 2 * inset, 255, 255, 255);
}

}  // namespace

void ResetChoiceState() {
  if (choiceWindow.font != kNoFont) DeleteFont(choiceWindow.font);
  choiceWindow = ChoiceWindow{};
  backScreenChoice = BackScreenChoice{};
  choiceTimer = ChoiceTimer{};
}

// ---------------------------------------------------------------------------
// "＃選択位置": where the window stands, and optionally its size and margin.
// Each value is stored only when its checks pass; a report ends the command
// with what was stored before.  The counter stays on the last line read
// (the empty line that ends the arguments belongs to the command).
void HandleChoicePosition() {
  ChoiceWindow& w = choiceWindow;
  if (SjisContains(CurrentLine(), "セリフ"_sj)) {
    w.inDialogueBox = 1;
    return;
  }
  w.inDialogueBox = 0;
  w.margin = 3;

  int x = 0, y = 0;
  if (NextLine().empty()) return ReportError("＃選択位置のＸが指定されていません"_sj, CurrentLine());
  if (!NumberOnLine(x)) return;
  if (x < 0 || x > kScreenWidth)
    return ReportError("選択位置のＸが画面からはみ出ています"_sj, Format("%d", {x}));
  if (NextLine().empty()) return ReportError("＃選択位置のＹが指定されていません"_sj, CurrentLine());
  if (!NumberOnLine(y)) return;
  if (y < 0 || y > kScreenHeight)
    return ReportError("選択位置のＹが画面からはみ出ています"_sj, Format("%d", {y}));
  w.x = x;
  w.y = y;

  if (NextLine().empty()) {
    w.explicitSize = 0;
    return;
  }
  int width = 0, height = 0;
  if (!NumberOnLine(width)) return;
  if (NextLine().empty()) return ReportError("＃選択位置の高さが指定されていません"_sj, CurrentLine());
  if (!NumberOnLine(height)) return;
  if (width < 0 || x + width > kScreenWidth)
    return ReportError("選択位置の幅がマイナスか、画面からはみ出てしまいます"_sj,
                       Format("幅は %d です"_sj, {width}));
  if (height < 0 || y + height > kScreenHeight)
    return ReportError("選択位置の幅がマイナスか、画面からはみ出てしまいます"_sj,
                       Format("高さは %d です"_sj, {height}));
  w.explicitSize = 1;
  w.explicitWidth = width;
  w.explicitHeight = height;

  if (NextLine().empty()) return;
  int margin = 0;
  if (!NumberOnLine(margin)) return;
  if (margin < 0) return ReportError("選択ウインドウの余白がマイナス値です"_sj, CurrentLine());
  if (width - 2 * margin < w.rowHeight)
    return ReportError("余白が大きすぎて選択肢を表示できません"_sj, "選択位置の幅と余白を調べてください"_sj);
  if (height - 2 * margin < 2 * w.rowHeight)
    return ReportError("余白が大きすぎて選択肢を表示できません"_sj,
                       "選択位置の高さと余白を調べてください"_sj);
  w.margin = margin;
}

// "＃選択枠": a frame picture of the screen's size replaces the blue frame;
// with "オフ" the blue frame comes back at the next choice.
void HandleChoiceFrame() {
  if (SjisContains(CurrentLine(), "オフ"_sj)) {
    choiceWindow.customFrame = 0;
    return;
  }
  const std::string_view name = NextLine();
  if (!LoadPicture(SurfaceOf(SurfaceId::choiceFrame), name, kScreenWidth, kScreenHeight)) {
    ReportError("＃選択枠のファイル名が違います"_sj, name);
    return;
  }
  choiceWindow.customFrame = 1;
}

// "＃選択フォント": the answers' face.  A standard face is only stored (the
// next "＃選択" makes the font); any other is tried at once.
void HandleChoiceFont() {
  ChoiceWindow& w = choiceWindow;
  const std::string_view line = NextLine();
  if (line.empty()) {
    ReportError("＃選択フォントの指定がありません"_sj, "");
    return;
  }
  const std::string face = FaceFromLine(line);
  w.face.Set(face);
  if (IsStandardFace(face)) return;
  if (w.font != kNoFont) DeleteFont(w.font);
  w.font = CreateFont(face, kChoiceFontHeight);
  if (w.font == kNoFont) {
    w.font = CreateFont("", kChoiceFontHeight);
    ReportError("選択フォント指定が間違っています"_sj, face);
  }
}

// "＃選択反転色": the colour of the highlight bar, from the colour words of
// the line.
void HandleChoiceHighlight() {
  const TextColour c = ParseColourWords(CurrentLine());
  ChoiceWindow& w = choiceWindow;
  w.barR = c.r;
  w.barG = c.g;
  w.barB = c.b;
  Surface& bar = SurfaceOf(SurfaceId::choiceBar);
  FillRect(bar, 0, 0, bar.width, bar.height, c.r, c.g, c.b);
}

// ---------------------------------------------------------------------------
// "＃選択": the answers are the lines after the command up to the next empty
// line.  Reports about their number or the window's size let the choice go
// on; a bad time limit stops it.  While the choice waits, the counter stands
// on the last answer line, so label searches start inside the block.
void OpenChoices() {
  ChoiceWindow& w = choiceWindow;
  const int commandLine = programCounter;
  waitState.choiceActive = 0;
  w.count = 0;
  RecreateChoiceFont();
  if (w.inDialogueBox) {
    w.x = dialogueBox.x;
    w.y = dialogueBox.y;
    w.width = w.explicitWidth = dialogueBox.w;
    w.height = w.explicitHeight = dialogueBox.h;
    w.margin = 10;
    w.explicitSize = 1;
  }
  w.margin = std::min(w.margin, kMaxChoiceMargin);
  FillWhite(SurfaceOf(SurfaceId::choiceText));

  int lines = 0;
  while (lines <= kMaxAnswers && commandLine + 1 + lines < scenarioStore.lineCount &&
         !LineAt(commandLine + 1 + lines).empty())
    ++lines;
  if (lines == 0) {
    ReportError("＃選択に選択肢がありません"_sj, "");
    return;
  }
  if (lines > kMaxAnswers) {
    ReportError("選択肢は２７個までです"_sj, LineAt(commandLine + 1 + kMaxAnswers));
    lines = kMaxAnswers;
  }
  w.count = lines;

  if (w.explicitSize && w.count > kOneColumnAnswers)
    ReportError("選択位置で幅と高さを指定した場合の"_sj, "選択肢は最大９個までです"_sj);
  if (w.explicitSize && w.explicitHeight - 2 * w.margin < w.count * w.rowHeight)
    ReportError("選択肢を選択ウインドウの中に収められません"_sj,
                "選択位置で指定した高さ（と余白）をチェックしてください"_sj);

  if (w.count > kTwoColumnAnswers)
    w.rowsPerColumn = (w.count + 2) / 3;
  else if (w.count >= kOneColumnAnswers)
    w.rowsPerColumn = (w.count + 1) / 2;

  DrawAnswers(commandLine);
  SizeWindow();
  if (!w.customFrame) DrawBlueFrame();

  if (SjisContains(LineAt(commandLine), "＃時間（"_sj) && !SetChoiceTimer(LineAt(commandLine))) return;
  if (w.y + w.height > kScreenHeight)
    ReportError("選択ウインドウが下に はみ出します"_sj, "選択できない選択肢が出てしまいます"_sj);
  waitState.choiceActive = 1;
  programCounter = commandLine + w.count;
}

void HandleTextChoice() {
  OpenChoices();
  waitState.clickWait = 1;
}

// ---------------------------------------------------------------------------
Point AnswerPosition(int k) {
  const ChoiceWindow& w = choiceWindow;
  if (w.count <= kOneColumnAnswers || w.rowsPerColumn <= 0) return {w.margin, w.margin + k * w.rowHeight};
  const int column = k / w.rowsPerColumn, row = k % w.rowsPerColumn;
  return {w.margin + column * (w.columnWidth + w.columnGap), w.margin + row * w.rowHeight};
}

int ChoiceAt(int mx, int my) {
  const ChoiceWindow& w = choiceWindow;
  const int m = w.margin;
  if (w.rowHeight <= 0) return 0;
  if (w.explicitSize && my > w.y + m + w.rowHeight * w.count) return 0;
  if (mx < w.x || mx > w.x + w.width || my < w.y + m || my > w.y + w.height - m) return 0;
  int r = (my - w.y - m) / w.rowHeight + 1;
  if (w.count > kOneColumnAnswers) {
    const int rows = w.rowsPerColumn;
    r = std::min(r, rows);
    if (w.count <= kTwoColumnAnswers) {
      if (mx > w.x + m + w.columnWidth) r += rows;
    } else if (mx > w.x + m + 2 * w.columnWidth + w.columnGap) {
      r += 2 * rows;
    } else if (mx > w.x + m + w.columnWidth) {
      r += rows;
    }
  }
  return r > w.count ? 0 : r;
}

bool ChoicesInDialogueBox() { return waitState.choiceActive && choiceWindow.inDialogueBox; }

void ComposeTextChoice(Surface& back, int translucency) {
  if (!waitState.choiceActive) return;
  ChoiceWindow& w = choiceWindow;
  auto backing = [&](int x, int y, int width, int height) {
    if (translucency)
      Darken(back, x, y, width, height, 2);
    else
      FillRect(back, x, y, width, height, 0, 0, 0);
  };
  if (w.inDialogueBox) backing(dialogueBox.x, dialogueBox.y, dialogueBox.w, dialogueBox.h);
  w.width = std::min(w.width, kScreenWidth - w.x);
  w.height = std::min(w.height, kScreenHeight - w.y);
  if (w.explicitSize) {
    w.width = w.explicitWidth;
    w.height = w.explicitHeight;
  }
  if (!w.inDialogueBox) {
    backing(w.x, w.y, w.width, w.height);
    CopyAll(back, SurfaceOf(SurfaceId::choiceFrame), true);
  }

  const int n = w.highlighted, m = w.margin, rows = w.rowsPerColumn;
  const Surface& bar = SurfaceOf(SurfaceId::choiceBar);
  if (n > 0 && w.count > kOneColumnAnswers && rows > 0) {
    const int row = n % rows == 0 ? rows - 1 : n % rows - 1;
    int left = w.x + m;
    if (n >= 2 * rows + 1)
      left += 2 * (w.columnWidth + w.columnGap);
    else if (n >= rows + 1)
      left += w.columnWidth + w.columnGap;
    CopyClipped(back, left, w.y + m + w.rowHeight * row, bar, Rect{0, 0, w.columnWidth, w.rowHeight}, false);
  } else if (n > 0) {
    CopyClipped(back, w.x + m, w.y + m + w.rowHeight * (n - 1), bar, Rect{0, 0, w.width - 2 * m, w.rowHeight},
                false);
  }

  CopyClipped(back, w.x, w.y, SurfaceOf(SurfaceId::choiceText), Rect{0, 0, w.width, w.height}, true);
  if (w.inDialogueBox) CopyAll(back, SurfaceOf(SurfaceId::dialogueFrame), true);
}

}  // namespace kb
