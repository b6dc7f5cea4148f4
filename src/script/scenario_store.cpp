#include "script/scenario_store.h"

#include <cstring>

#include "base/format.h"
#include "base/sjis_literal.h"
#include "platform/crt.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "script/error_reporter.h"
#include "script/sjis.h"
#include "shell/packed_mode.h"
#include "shell/shutdown.h"
#include "shell/wait_state.h"

namespace kb {

ScenarioStore scenarioStore;
int programCounter = 0;

std::string_view LineAt(int i) {
  if (i < 0 || i >= kStoreLines) return {};
  return std::string_view(scenarioStore.lines[static_cast<std::size_t>(i)].data());
}

void SetLine(int i, std::string_view text) {
  if (i < 0 || i >= kStoreLines) return;
  LineBuffer& line = scenarioStore.lines[static_cast<std::size_t>(i)];
  std::size_t n = SjisCutLength(text, kLineBufferBytes - 1);
  std::memmove(line.data(), text.data(), n);
  line[n] = '\0';
}

namespace {

// The three pages of a read that went past the store's limits, the pauses
// between them, and the end of the game.
void FailOverlongScenario(std::string_view fileName, const char* first, const char* second,
                          const char* third) {
  Platform& platform = GetPlatform();
  ReportError(first, fileName);
  platform.Sleep(5000);
  ReportError(second, third);
  platform.Sleep(3000);
  ReportError("メモリーが破壊される恐れがあるので"_sj, "安全の為、３秒後に強制終了します"_sj);
  platform.Sleep(5000);
  EndGame();
}

}  // namespace

int LoadScenarioBytes(std::string_view stored, std::string_view fileName) {
  for (LineBuffer& line : scenarioStore.lines) line[0] = '\0';
  // Text mode works on the bytes as stored, before unscrambling.
  const std::string text = TextModeBytes(stored);
  int j = 0, c = 0;
  for (char raw : text) {
    auto b = static_cast<unsigned char>(raw);
    if (packedMode.packed) b ^= kByteKey;
    if (b == '\t') continue;
    LineBuffer& line = scenarioStore.lines[static_cast<std::size_t>(j)];
    line[static_cast<std::size_t>(c)] = static_cast<char>(b);
    if (b == '\n') {
      line[static_cast<std::size_t>(c)] = '\0';
      ++j;
      c = 0;
      if (j >= kMaxLineFeeds + 1) {
        scenarioStore.lineCount = j;
        FailOverlongScenario(fileName, "シナリオが４５００行を超えています"_sj,
                             "長いシナリオは＃別シナリオなどを使って"_sj, "分割するようにしてください"_sj);
        return 0;
      }
    } else if (++c >= kMaxLineBytes + 1) {
      scenarioStore.lineCount = j;
      FailOverlongScenario(fileName, "シナリオに９５文字を超えた行が存在します"_sj,
                           "シナリオは１行９４（全角４７）文字までです"_sj,
                           "無理に実行するはメモリー上、危険です"_sj);
      return 0;
    }
  }
  scenarioStore.lines[static_cast<std::size_t>(j)][static_cast<std::size_t>(c)] = '\0';
  scenarioStore.lines[static_cast<std::size_t>(j + 1)][0] = '\0';
  scenarioStore.lines[static_cast<std::size_t>(j + 2)][0] = '\0';
  scenarioStore.lineCount = j + 3;
  NormalizeNumberLabels();
  return 1;
}

int LoadScenario(std::string_view fileName) {
  auto bytes = ReadGameFile(fileName);
  if (!bytes) {
    ReportError("ファイルがオープンできません"_sj, fileName);
    return 0;
  }
  return LoadScenarioBytes(*bytes, fileName);
}

void NormalizeNumberLabels() {
  const std::string_view sharp = "＃"_sj;
  const std::string_view fullDigits = "０１２３４５６７８９"_sj;
  for (int i = 0; i <= scenarioStore.lineCount && i < kStoreLines; ++i) {
    std::string_view line = LineAt(i);
    if (!StartsWith(line, sharp)) continue;
    if (StartsWith(line, "＃１文字"_sj) || StartsWith(line, "＃1文字"_sj)) continue;
    if (StartsWith(line, "＃＃＃＃"_sj)) {
      SetLine(i, "＃＃＃＃"_sj);
      continue;
    }
    std::string digits;
    std::size_t p = sharp.size();
    while (p < line.size()) {
      unsigned char b = static_cast<unsigned char>(line[p]);
      if (b >= '0' && b <= '9') {
        digits.push_back(static_cast<char>(b));
        p += 1;
        continue;
      }
      bool full = false;
      if (p + 1 < line.size()) {
        for (int d = 0; d < 10; ++d) {
          if (line.substr(p, 2) == fullDigits.substr(static_cast<std::size_t>(d) * 2, 2)) {
            digits.push_back(static_cast<char>('0' + d));
            full = true;
            break;
          }
        }
      }
      if (!full) break;
      p += 2;
    }
    if (!digits.empty()) SetLine(i, std::string(sharp) + digits);
  }
}

int BlockLevelStep(std::string_view line) {
  if (StartsWith(line, "＃選択"_sj) && !SjisContains(line, "位置"_sj) && !SjisContains(line, "選択枠"_sj) &&
      !SjisContains(line, "選択フォント"_sj) && !SjisContains(line, "＃選択反転"_sj))
    return 1;
  if (StartsWith(line, "＃分岐"_sj)) return 1;
  if (StartsWith(line, "＃＃＃＃"_sj)) return -1;
  return 0;
}

void CheckBlockBalance() {
  if (scenarioStore.lineCount < 0) return;
  int s = 0;
  for (int i = 0; i <= scenarioStore.lineCount && i < kStoreLines; ++i) {
    s += BlockLevelStep(LineAt(i));
    if (s < 0) {
      ReportError("「＃＃＃＃」が多いか位置が違います。"_sj,
                  Format("%d 行目の「＃＃＃＃」をチェックしてください"_sj, {i}));
      frameState.balanceChecked = 1;
      return;
    }
  }
  if (s > 0) {
    ReportError(Format("「＃＃＃＃」が %d 個 足りません"_sj, {s}), "シナリオを再チェックしてください"_sj);
    frameState.balanceChecked = 1;
  }
}

}  // namespace kb
