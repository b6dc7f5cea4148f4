#include "shell/config.h"

#include <array>
#include <string>

#include "base/format.h"
#include "base/sjis_literal.h"
#include "platform/crt.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "script/sjis.h"
#include "shell/game_config.h"

namespace kb {
namespace {

void ShowBox(std::string_view text) {
  GetPlatform().ShowMessageBox(gameConfig.caption.view(), text, MessageButtons::Ok);
}

using Slot = FixedText<kConfigSlotBytes>;

// Splits the file into slots.  Returns the line count (slots used), or -1
// after a limit message.
int ReadSlots(std::string_view text, std::array<Slot, kConfigSlots>& slots) {
  int n = 0, lineFeeds = 0;
  std::string current;
  for (char b : text) {
    if (b == '\n') {
      slots[static_cast<std::size_t>(n)].Set(current);
      current.clear();
      ++n;
      if (++lineFeeds > kConfigLines) {
        ShowBox("INIファイルの行数が２００行を超えています"_sj);
        return -1;
      }
      continue;
    }
    current.push_back(b);
    if (current.size() > static_cast<std::size_t>(kConfigLineBytes)) {
      ShowBox("INIファイルに９５文字を超えた行があります"_sj);
      return -1;
    }
  }
  slots[static_cast<std::size_t>(n)].Set(current);
  slots[static_cast<std::size_t>(n) + 1].Clear();
  slots[static_cast<std::size_t>(n) + 2].Clear();
  return n + 2;
}

}  // namespace

void ReadConfiguration() {
  if (ProbePath("mero.ini") != 2) return;
  auto stored = ReadGameFile("mero.ini");
  if (!stored) return;
  std::array<Slot, kConfigSlots> slots;
  const int count = ReadSlots(TextModeBytes(*stored), slots);
  if (count < 0) return;

  for (int j = 0; j < count; ++j) {
    std::string_view line = slots[static_cast<std::size_t>(j)].view();
    if (line.empty() || StartsWith(line, "//") || StartsWith(line, "／／"_sj)) continue;
    if (StartsWith(line, "＃ウインドウ"_sj) || StartsWith(line, "＃ウィンドウ"_sj)) {
      gameConfig.windowMode = ByteContains(line, "選択"_sj) ? 2 : 1;
    } else if (StartsWith(line, "＃ゲーム名"_sj) || StartsWith(line, "＃ゲームタイトル"_sj)) {
      // The caption is the whole next line, which is consumed; on the last
      // line the caption becomes empty.
      ++j;
      gameConfig.caption.Set(j < count ? slots[static_cast<std::size_t>(j)].view() : std::string_view());
    } else if (StartsWith(line, "＃注意オフ"_sj)) {
      gameConfig.noticeOff = 1;
    } else if (StartsWith(line, "＃ＭＰ３選択"_sj)) {
      gameConfig.askMp3Mode = 1;
    } else if (StartsWith(line, "＃セーブ"_sj)) {
      gameConfig.saveKey = 1;
    } else if (StartsWith(line, "＃チャンク"_sj)) {
      gameConfig.waveChannelKey = 1;
    } else {
      ShowBox(Format("INIファイルの設定ミスです\n%s"_sj, {line}));
    }
  }

  if (gameConfig.windowMode == 2) {
    MessageAnswer a = GetPlatform().ShowMessageBox(
        gameConfig.caption.view(),
        "●ゲームモードの設定\n\nゲームをウインドウ・タイプでプレイしますか？\n\n（いいえを選ぶと全画面モードになります）\n\n"_sj,
        MessageButtons::YesNo);
    gameConfig.windowMode = a == MessageAnswer::Yes ? 1 : 0;
  }
}

}  // namespace kb
