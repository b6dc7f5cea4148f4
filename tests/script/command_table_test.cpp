// Which row of the command table a line reaches, and how lines inside
// blocks are told apart from commands.
#include "script/command_table.h"

#include <gtest/gtest.h>

#include "base/sjis_literal.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "shell/wait_state.h"
#include "support/engine_fixture.h"
#include "text/message_window.h"
#include "vars/variables.h"

using namespace kb;
using kbtest::Sjis;

namespace {

struct Row {
  const char* line;
  int row;
};

// Every keyword of every row, each alternative spelling, and the lines the
// table's order sends elsewhere.
const Row kRows[] = {
    {"＃クリック待ち", -1},
    {"＃クリック待ち赤", -1},
    {"＃文字変数代入", -2},
    {"＃文字入力", -3},
    {"＃文字", -4},
    {"＃文字大", -4},
    {"", 0},
    {"//コメント", -5},
    {"／／コメント", -5},
    {"// a＝1", -5},
    {"＃分岐範囲", 1},
    {"＃分岐最大", 2},
    {"＃分岐文字", 3},
    {"＃ラベル", 4},
    {"＃ＧＯ", 5},
    {"＃GO", 5},
    {"a＝1", 6},
    {"＃ラベル＝1", 4},
    {"＃GO＝", 5},
    {"＃時間待ち＝", 6},
    {"＃絵＝", 6},
    {"＃時間待ち", 7},
    {"＃絵のパス", 8},
    {"＃音のパス", 9},
    {"＃シナリオのパス", 10},
    {"＃絵オフ", 11},
    {"＃人物オフ", 12},
    {"＃人物アニメオフ", 13},
    {"＃前景オフ", 14},
    {"＃前景アニメオフ", 15},
    {"＃部分絵１オフ", 16},
    {"＃部分絵1オフ", 16},
    {"＃部分アニメ絵１オフ", 17},
    {"＃部分アニメ絵1オフ", 17},
    {"＃部分絵２オフ", 18},
    {"＃部分絵2オフ", 18},
    {"＃部分アニメ絵２オフ", 19},
    {"＃部分アニメ絵2オフ", 19},
    {"＃部分人物１オフ", 20},
    {"＃部分人物1オフ", 20},
    {"＃部分アニメ人物１オフ", 21},
    {"＃部分アニメ人物1オフ", 21},
    {"＃部分人物２オフ", 22},
    {"＃部分人物2オフ", 22},
    {"＃部分アニメ人物２オフ", 23},
    {"＃部分アニメ人物2オフ", 23},
    {"＃最前景オフ", 24},
    {"＃文章オフ", 25},
    {"＃変数表示オフ", 26},
    {"＃セリフオフ", 27},
    {"＃セリフ半透明", 28},
    {"＃セリフ位置", 29},
    {"＃セリフ枠", 30},
    {"＃セリフ", 31},
    {"＃セリフ待ちオフ", 31},
    {"＃文章半透明オン", 32},
    {"＃文章半透明オフ", 33},
    {"＃文章", 34},
    {"＃変数宣言文字", 35},
    {"＃変数宣言", 36},
    {"＃ランダム", 37},
    {"＃変数表示位置", 38},
    {"＃変数表示フォント", 39},
    {"＃変数表示", 40},
    {"＃切り直し", 41},
    {"＃絵裏画面", 42},
    {"＃人物裏画面", 43},
    {"＃前景裏画面", 44},
    {"＃最前景裏画面", 45},
    {"＃選択裏画面", 46},
    {"＃選択位置", 47},
    {"＃選択枠", 48},
    {"＃選択フォント", 49},
    {"＃選択反転色", 50},
    {"＃選択", 51},
    {"＃セーブ", 52},
    {"＃ロード", 53},
    {"＃音設定", 54},
    {"＃音ループ", 55},
    {"＃音止め", 56},
    {"＃音", 57},
    {"＃ＣＤ止め", 58},
    {"＃CD止め", 58},
    {"＃ＣＤ", 59},
    {"＃CD", 59},
    {"＃ＭＩＤＩ", 60},
    {"＃MIDI", 60},
    {"＃ＭＩＤＩのパス", 60},
    {"＃ＭＰ３", 61},
    {"＃MP3", 61},
    {"＃ＭＰ3", 61},
    {"＃人物半透明", 62},
    {"＃前景半透明", 63},
    {"＃最前景半透明", 64},
    {"＃人物アニメ準備", 65},
    {"＃人物アニメオン", 66},
    {"＃前景アニメ準備", 67},
    {"＃前景アニメオン", 68},
    {"＃部分アニメ絵１", 69},
    {"＃部分アニメ絵1", 69},
    {"＃部分アニメ絵２", 70},
    {"＃部分アニメ絵2", 70},
    {"＃部分アニメ人物１", 71},
    {"＃部分アニメ人物1", 71},
    {"＃部分アニメ人物２", 72},
    {"＃部分アニメ人物2", 72},
    {"＃絵オーバーラップ", 73},
    {"＃人物オーバーラップ", 74},
    {"＃前景オーバーラップ", 75},
    {"＃最前景オーバーラップ", 76},
    {"＃全オーバーラップ", 77},
    {"＃絵スクロール", 78},
    {"＃人物スクロール", 79},
    {"＃前景スクロール", 80},
    {"＃絵", 81},
    {"＃人物", 82},
    {"＃前景", 83},
    {"＃最前景", 84},
    {"＃部分絵１", 85},
    {"＃部分絵1", 85},
    {"＃部分絵２", 86},
    {"＃部分絵2", 86},
    {"＃部分人物１", 87},
    {"＃部分人物1", 87},
    {"＃部分人物２", 88},
    {"＃部分人物2", 88},
    {"＃フェードアウト", 89},
    {"＃フェードイン", 90},
    {"＃別シナリオ", 91},
    {"＃別シナリオラベル", 91},
    {"＃右クリックシナリオ", 92},
    {"＃一文字", 93},
    {"＃１文字", 93},
    {"＃1文字", 93},
    {"＃フォント", 94},
    {"＃0", 95},
    {"＃1", 95},
    {"＃9", 95},
    {"＃12", 95},
    {"＃＃＃＃", 96},
    {"＃半透明", 97},
    {"＃半透明オフ", 97},
    {"＃終了", 98},
    {"＃マスクＲＧＢ", 99},
    {"＃アニメスピード", 100},
    {"＃マシンチェック", 101},
    {"＃クリックマーク", 102},
    {"＃クリックマークオフ", 102},
    {"＃ワイプ", 103},
    {"＃ワイプパターン", 103},
    {"＃クリック位置", 104},
    {"＃スキップ", 105},
    {"＃スキップオフ", 105},
    {"＃エラー", 106},
    {"＃エラーオフ", 106},
    {"＃疑似カーソル", 107},
    {"＃擬似カーソル", 107},
    {"＃ムービー", 108},
    {"＃タイピング", 109},
    {"＃ホゲテスト", 110},
    // Not commands.
    {"＃ホゲ", 111},
    {"＃分岐", 111},
    {"＃１", 111},
    {"ただの文", 111},
    {"#絵", 111},
    {"＃ＭＰ３選択", 61},
};

TEST(CommandTable, EveryKeywordReachesItsRow) {
  for (const Row& r : kRows) EXPECT_EQ(ClassifyLine(Sjis(r.line)), r.row) << r.line;
}

TEST(CommandTable, EveryRowIsReachable) {
  bool seen[112] = {};
  for (const Row& r : kRows)
    if (r.row > 0) seen[r.row] = true;
  for (int row = 1; row <= 111; ++row) EXPECT_TRUE(seen[row]) << "row " << row;
}

class Dispatch : public kbtest::EngineTest {};

TEST_F(Dispatch, UnknownLinesAreReportedAndHogeTestIsNot) {
  LoadScenarioText("＃ホゲテスト\n＃ホゲ\n");
  ExecuteLine();
  EXPECT_EQ(waitState.halted, 0);
  programCounter = 1;
  ExecuteLine();
  EXPECT_EQ(waitState.halted, 1);
  EXPECT_EQ(errorReporter.lastMessage, Sjis("シナリオ上のミスです。"));
  EXPECT_EQ(errorReporter.lastDetail, Sjis("＃ホゲ"));
  EXPECT_EQ(errorReporter.lastLine, 2);
}

TEST_F(Dispatch, LinesInsideADialogueBlockAreText) {
  LoadScenarioText("＃絵\nbg\n＃ホゲ\n//x\n\n");
  dialogueBox.blockOpen = 1;
  for (programCounter = 0; programCounter < 4; ++programCounter) ExecuteLine();
  EXPECT_EQ(waitState.halted, 0) << "commands inside the block are shown, not run";
  ExecuteLine();  // the empty line closes the block and waits
  EXPECT_EQ(dialogueBox.blockOpen, 0);
  EXPECT_EQ(waitState.clickWait, 1);
  waitState.clickWait = 0;
  dialogueBox.blockOpen = 1;
  dialogueBox.waitOff = 1;
  ExecuteLine();
  EXPECT_EQ(waitState.clickWait, 0) << "a block opened with 待ちオフ closes without waiting";
}

TEST_F(Dispatch, EmptyLineEndsDeclarationBlocks) {
  LoadScenarioText("\n");
  declarationState.declaringNumbers = 1;
  declarationState.declaringStrings = 1;
  ExecuteLine();
  EXPECT_FALSE(DeclarationBlockOpen());
}

TEST_F(Dispatch, ErrorSwitch) {
  LoadScenarioText("＃エラーオフ\n＃ホゲ\n＃エラー\n＃ホゲ\n");
  RunUntilWaiting();
  EXPECT_EQ(programCounter, 4) << "the first mistake passes silently";
  EXPECT_EQ(errorReporter.lastLine, 4);
  EXPECT_EQ(waitState.halted, 1);
}

}  // namespace
