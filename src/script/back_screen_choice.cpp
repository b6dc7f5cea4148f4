// The picture choice: each answer is one of 27 colours of the back screen,
// a hidden picture of the screen's size; the answer is the colour under the
// pointer.  Moving onto an answer may show a picture of its own over the
// screen and play a sound.
#include <string>

#include "base/sjis_literal.h"
#include "display/surface_set.h"
#include "platform/platform.h"
#include "platform/trace.h"
#include "script/call_stack.h"
#include "display/picture_loader.h"
#include "script/choices.h"
#include "display/layers.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "script/sjis.h"
#include "shell/packed_mode.h"
#include "shell/wait_state.h"

namespace kb {

BackScreenChoice backScreenChoice;

namespace {

// Each 8-bit component falls into a band; each combination of bands has one
// name.  An answer line begins with the written form; the rows stand in the
// order the lines are matched (longer names before the shorter ones inside
// them), the first match wins.
enum Band { kLow = 0, kMiddle = 1, kHigh = 2 };

struct ColourName {
  const char* written;
  const char* name;
  Band r, g, b;
};

const ColourName kColourNames[] = {
    {"オレンジ"_sj, "オレンジ"_sj, kHigh, kMiddle, kLow},
    {"黄緑"_sj, "黄緑"_sj, kMiddle, kHigh, kLow},
    {"青緑"_sj, "青緑"_sj, kLow, kHigh, kMiddle},
    {"マリン"_sj, "マリン"_sj, kLow, kMiddle, kHigh},
    {"青紫"_sj, "青紫"_sj, kMiddle, kLow, kHigh},
    {"赤紫"_sj, "赤紫"_sj, kHigh, kLow, kMiddle},
    {"明るい赤"_sj, "明るい赤"_sj, kHigh, kMiddle, kMiddle},
    {"明るい緑"_sj, "明るい緑"_sj, kMiddle, kHigh, kMiddle},
    {"明るい青"_sj, "明るい青"_sj, kMiddle, kMiddle, kHigh},
    {"明るい黄"_sj, "明るい黄"_sj, kHigh, kHigh, kMiddle},
    {"明るいシアン"_sj, "明るいシアン"_sj, kMiddle, kHigh, kHigh},
    {"明るいマゼン"_sj, "明るいマゼンタ"_sj, kHigh, kMiddle, kHigh},
    {"暗い赤"_sj, "暗い赤"_sj, kMiddle, kLow, kLow},
    {"暗い緑"_sj, "暗い緑"_sj, kLow, kMiddle, kLow},
    {"暗い青"_sj, "暗い青"_sj, kLow, kLow, kMiddle},
    {"暗い黄"_sj, "暗い黄"_sj, kMiddle, kMiddle, kLow},
    {"暗いシアン"_sj, "暗いシアン"_sj, kLow, kMiddle, kMiddle},
    {"暗いマゼン"_sj, "暗いマゼンタ"_sj, kMiddle, kLow, kMiddle},
    {"赤"_sj, "赤"_sj, kHigh, kLow, kLow},
    {"緑"_sj, "緑"_sj, kLow, kHigh, kLow},
    {"青"_sj, "青"_sj, kLow, kLow, kHigh},
    {"黄"_sj, "黄"_sj, kHigh, kHigh, kLow},
    {"シアン"_sj, "シアン"_sj, kLow, kHigh, kHigh},
    {"マゼン"_sj, "マゼンタ"_sj, kHigh, kLow, kHigh},
    {"黒"_sj, "黒"_sj, kLow, kLow, kLow},
    {"白"_sj, "白"_sj, kHigh, kHigh, kHigh},
    {"グレ"_sj, "グレー"_sj, kMiddle, kMiddle, kMiddle},
};

const char* const kUnusedAnswer = "なし"_sj;

Band BandOf(int component) { return component <= 85 ? kLow : component <= 170 ? kMiddle : kHigh; }

const ColourName* ColourOfLine(std::string_view line) {
  for (const ColourName& c : kColourNames)
    if (StartsWith(line, c.written)) return &c;
  return nullptr;
}

std::string AnswerSoundPath(std::string_view name) {
  return std::string(mediaPaths.sound.view()) + std::string(name) + std::string(packedMode.waveExt.view());
}

// The text between `open` and the following "）＃" on the line: 0 when the
// line has no `open`, 1 with the text in out, -1 when it is not closed.
int Enclosed(std::string_view line, std::string_view open, std::string_view& out) {
  const std::size_t start = SjisFind(line, open);
  if (start == kNotFound) return 0;
  const std::string_view rest = line.substr(start + open.size());
  const std::size_t end = SjisFind(rest, "）＃"_sj);
  if (end == kNotFound) return -1;
  out = rest.substr(0, end);
  return 1;
}

// The hover sound plays once, without waiting, in the one channel that
// plain sound files share.
// TODO(sound): hand the file to the sound system once it exists; until then
// the trace records where it would start.
void PlayHoverSound(const std::string& path) {
  Trace("sound",
        {TraceField::Utf8("op", "play"), TraceField::Utf8("by", "choice"), TraceField::Text("file", path)});
}

}  // namespace

std::string_view BackScreenColourName(int r, int g, int b) {
  const Band br = BandOf(r), bg = BandOf(g), bb = BandOf(b);
  for (const ColourName& c : kColourNames)
    if (c.r == br && c.g == bg && c.b == bb) return c.name;
  return kUnusedAnswer;  // not reached: the table covers every combination
}

int ClassifyBackScreenColour(int mx, int my) {
  const Surface& screen = SurfaceOf(SurfaceId::backScreen);
  if (!screen.Contains(mx, my)) return -1;
  const Rgb c = PixelToRgb(screen, mx, my);
  const std::string_view name = BackScreenColourName(c.r, c.g, c.b);
  const BackScreenChoice& choice = backScreenChoice;
  for (int k = 0; k < choice.count; ++k)
    if (choice.names[static_cast<std::size_t>(k)] == name) return k + 1;
  return -1;
}

// "＃選択裏画面": stops at the first mistake and then shows nothing.
void OpenBackScreenChoices() {
  BackScreenChoice& c = backScreenChoice;
  const std::string_view command = CurrentLine();
  c.count = 0;
  if (SjisContains(command, "＃時間（"_sj) && !SetChoiceTimer(command)) return;
  // With "合成" the back screen composed by the back-screen commands is used
  // as it stands.
  if (!SjisContains(command, "合成"_sj)) {
    const std::string_view name = NextLine();
    if (name.empty()) return ReportError("＃選択裏画面の"_sj, "「裏画面」が指定されていません"_sj);
    if (!LoadPicture(SurfaceOf(SurfaceId::backScreen), name, kScreenWidth, kScreenHeight))
      return ReportError("＃選択裏画面の「裏画面」ファイル名が違います"_sj, name);
  }

  const int first = programCounter + 1;
  int lines = 0;
  while (lines <= kMaxAnswers && first + lines < scenarioStore.lineCount && !LineAt(first + lines).empty())
    ++lines;
  if (lines == 0) return ReportError("＃選択裏画面の"_sj, "「色」が指定されていません"_sj);
  if (lines > kMaxAnswers)
    return ReportError("選択肢（裏画面）は２７色までです"_sj, LineAt(first + kMaxAnswers));

  for (std::size_t k = 0; k < kMaxAnswers; ++k) {
    c.names[k] = kUnusedAnswer;
    c.sounds[k].Clear();
    c.pictures[k].Clear();
  }
  for (int k = 0; k < lines; ++k) {
    const auto slot = static_cast<std::size_t>(k);
    const std::string_view line = LineAt(first + k);
    const ColourName* colour = ColourOfLine(line);
    if (!colour) return ReportError("＃裏画面選択の色指定が違います"_sj, line);
    c.names[slot] = colour->name;
    std::string_view sound, picture;
    const int hasSound = Enclosed(line, "＃音（"_sj, sound);
    if (hasSound < 0) return ReportError("＃選択裏画面時の「音」は ＃音（ ）＃ で囲んでください"_sj, line);
    if (hasSound > 0) c.sounds[slot] = sound;
    const int hasPicture = Enclosed(line, "＃絵（"_sj, picture);
    if (hasPicture < 0) return ReportError("＃選択裏画面時の「絵」は ＃音（ ）＃ で囲んでください"_sj, line);
    if (hasPicture > 0) c.pictures[slot] = picture;
  }
  for (std::size_t i = 0; i < static_cast<std::size_t>(lines); ++i)
    for (std::size_t j = i + 1; j < static_cast<std::size_t>(lines); ++j)
      if (c.names[i].view() == c.names[j].view())
        return ReportError("同じ色を指定しています"_sj, c.names[i].view());
  for (std::size_t k = 0; k < static_cast<std::size_t>(lines); ++k) {
    if (!c.sounds[k].empty() && ProbePath(AnswerSoundPath(c.sounds[k].view())) != 2)
      return ReportError("＃選択裏画面の音ファイルがありません"_sj, c.sounds[k].view());
    if (!c.pictures[k].empty() && ProbePath(PicturePath(c.pictures[k].view())) != 2)
      return ReportError("＃選択裏画面の絵のファイルがありません"_sj, c.pictures[k].view());
  }

  c.count = lines;
  if (!waitState.halted) waitState.backChoiceActive = 1;
  programCounter = first + lines - 1;
}

void HandleBackScreenChoice() {
  OpenBackScreenChoices();
  waitState.clickWait = 1;
}

// The pointer moved during a picture choice: the answer under it becomes the
// highlighted one; its picture is shown (loaded when the answer changed),
// and moving onto another answer plays its sound, or beeps.
void BackScreenChoiceHover(int x, int y) {
  BackScreenChoice& c = backScreenChoice;
  const int previous = choiceWindow.highlighted;
  const int n = ClassifyBackScreenColour(x, y);
  choiceWindow.highlighted = n;
  const auto slot = static_cast<std::size_t>(n - 1);
  if (n > 0 && !c.pictures[slot].empty()) {
    if (n != previous)
      LoadPicture(SurfaceOf(SurfaceId::workB), c.pictures[slot].view(), kScreenWidth, kScreenHeight);
    layerState.hoverPictureShown = 1;
  } else {
    layerState.hoverPictureShown = 0;
  }
  if (n > 0 && n != previous) {
    if (!c.sounds[slot].empty())
      PlayHoverSound(AnswerSoundPath(c.sounds[slot].view()));
    else if (!c.beepOff)
      GetPlatform().Beep();
  }
}

}  // namespace kb
