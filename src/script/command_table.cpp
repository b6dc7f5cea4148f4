#include "script/command_table.h"

#include "base/sjis_literal.h"
#include "display/layers.h"
#include "script/branches.h"
#include "script/choices.h"
#include "script/error_reporter.h"
#include "script/labels.h"
#include "script/scenario_store.h"
#include "script/sjis.h"
#include "script/waits.h"
#include "shell/shutdown.h"
#include "text/message_window.h"
#include "vars/variables.h"

namespace kb {
namespace {

// Where a row's behaviour depends on the line (an option word) the handler
// decides; the table only decides which handler runs.
//
// The order is part of the language: the first keyword a line begins with
// wins, so longer keywords stand before the shorter ones they begin with
// ("＃絵オフ", "＃絵裏画面", "＃絵オーバーラップ", "＃絵スクロール" before
// "＃絵").  Row 6 is not a keyword: a line containing "＝" is an assignment.
const CommandEntry kLeadingEntries[] = {
    {-1, {"＃クリック待ち"_sj}, HandleClickWait},
    {-2, {"＃文字変数代入"_sj}, CommandNotAvailable},
    {-3, {"＃文字入力"_sj}, CommandNotAvailable},
    {-4, {"＃文字"_sj}, HandleStyleCommand},
};

constexpr int kAssignmentRow = 6;

const CommandEntry kCommandTable[] = {
    {1, {"＃分岐範囲"_sj}, HandleBranchRange},
    {2, {"＃分岐最大"_sj}, HandleBranchMaximum},
    {3, {"＃分岐文字"_sj}, HandleBranchText},
    {4, {"＃ラベル"_sj}, HandleLabel},
    {5, {"＃ＧＯ"_sj, "＃GO"_sj}, HandleGo},
    {kAssignmentRow, {}, HandleAssignmentLine},
    {7, {"＃時間待ち"_sj}, HandleTimeWait},
    {8, {"＃絵のパス"_sj}, HandlePictureFolder},
    {9, {"＃音のパス"_sj}, HandleSoundFolder},
    {10, {"＃シナリオのパス"_sj}, HandleScenarioFolder},
    {11, {"＃絵オフ"_sj}, HandlePictureOff},
    {12, {"＃人物オフ"_sj}, HandleFigureOff},
    {13, {"＃人物アニメオフ"_sj}, CommandNotAvailable},
    {14, {"＃前景オフ"_sj}, HandleForegroundOff},
    {15, {"＃前景アニメオフ"_sj}, CommandNotAvailable},
    {16, {"＃部分絵１オフ"_sj, "＃部分絵1オフ"_sj}, CommandNotAvailable},
    {17, {"＃部分アニメ絵１オフ"_sj, "＃部分アニメ絵1オフ"_sj}, CommandNotAvailable},
    {18, {"＃部分絵２オフ"_sj, "＃部分絵2オフ"_sj}, CommandNotAvailable},
    {19, {"＃部分アニメ絵２オフ"_sj, "＃部分アニメ絵2オフ"_sj}, CommandNotAvailable},
    {20, {"＃部分人物１オフ"_sj, "＃部分人物1オフ"_sj}, CommandNotAvailable},
    {21, {"＃部分アニメ人物１オフ"_sj, "＃部分アニメ人物1オフ"_sj}, CommandNotAvailable},
    {22, {"＃部分人物２オフ"_sj, "＃部分人物2オフ"_sj}, CommandNotAvailable},
    {23, {"＃部分アニメ人物２オフ"_sj, "＃部分アニメ人物2オフ"_sj}, CommandNotAvailable},
    {24, {"＃最前景オフ"_sj}, HandleTopmostOff},
    {25, {"＃文章オフ"_sj}, HandleScreenTextOff},
    {26, {"＃変数表示オフ"_sj}, CommandNotAvailable},
    {27, {"＃セリフオフ"_sj}, HandleDialogueOff},
    {28, {"＃セリフ半透明"_sj}, HandleDialogueTranslucency},
    {29, {"＃セリフ位置"_sj}, HandleDialoguePosition},
    {30, {"＃セリフ枠"_sj}, HandleDialogueFrame},
    {31, {"＃セリフ"_sj}, HandleDialogue},
    {32, {"＃文章半透明オン"_sj}, HandleScreenTextDarkenOn},
    {33, {"＃文章半透明オフ"_sj}, HandleScreenTextDarkenOff},
    {34, {"＃文章"_sj}, HandleScreenText},
    {35, {"＃変数宣言文字"_sj}, OpenStringDeclarations},
    {36, {"＃変数宣言"_sj}, OpenNumericDeclarations},
    {37, {"＃ランダム"_sj}, CommandNotAvailable},
    {38, {"＃変数表示位置"_sj}, CommandNotAvailable},
    {39, {"＃変数表示フォント"_sj}, CommandNotAvailable},
    {40, {"＃変数表示"_sj}, CommandNotAvailable},
    {41, {"＃切り直し"_sj}, CommandNotAvailable},
    {42, {"＃絵裏画面"_sj}, CommandNotAvailable},
    {43, {"＃人物裏画面"_sj}, CommandNotAvailable},
    {44, {"＃前景裏画面"_sj}, CommandNotAvailable},
    {45, {"＃最前景裏画面"_sj}, CommandNotAvailable},
    {46, {"＃選択裏画面"_sj}, HandleBackScreenChoice},
    {47, {"＃選択位置"_sj}, HandleChoicePosition},
    {48, {"＃選択枠"_sj}, HandleChoiceFrame},
    {49, {"＃選択フォント"_sj}, HandleChoiceFont},
    {50, {"＃選択反転色"_sj}, HandleChoiceHighlight},
    {51, {"＃選択"_sj}, HandleTextChoice},
    {52, {"＃セーブ"_sj}, CommandNotAvailable},
    {53, {"＃ロード"_sj}, CommandNotAvailable},
    {54, {"＃音設定"_sj}, CommandNotAvailable},
    {55, {"＃音ループ"_sj}, CommandNotAvailable},
    {56, {"＃音止め"_sj}, CommandNotAvailable},
    {57, {"＃音"_sj}, CommandNotAvailable},
    {58, {"＃ＣＤ止め"_sj, "＃CD止め"_sj}, CommandNotAvailable},
    {59, {"＃ＣＤ"_sj, "＃CD"_sj}, CommandNotAvailable},
    {60, {"＃ＭＩＤＩ"_sj, "＃MIDI"_sj}, CommandNotAvailable},
    {61, {"＃ＭＰ３"_sj, "＃MP3"_sj, "＃ＭＰ3"_sj}, CommandNotAvailable},
    {62, {"＃人物半透明"_sj}, CommandNotAvailable},
    {63, {"＃前景半透明"_sj}, CommandNotAvailable},
    {64, {"＃最前景半透明"_sj}, CommandNotAvailable},
    {65, {"＃人物アニメ準備"_sj}, CommandNotAvailable},
    {66, {"＃人物アニメオン"_sj}, CommandNotAvailable},
    {67, {"＃前景アニメ準備"_sj}, CommandNotAvailable},
    {68, {"＃前景アニメオン"_sj}, CommandNotAvailable},
    {69, {"＃部分アニメ絵１"_sj, "＃部分アニメ絵1"_sj}, CommandNotAvailable},
    {70, {"＃部分アニメ絵２"_sj, "＃部分アニメ絵2"_sj}, CommandNotAvailable},
    {71, {"＃部分アニメ人物１"_sj, "＃部分アニメ人物1"_sj}, CommandNotAvailable},
    {72, {"＃部分アニメ人物２"_sj, "＃部分アニメ人物2"_sj}, CommandNotAvailable},
    {73, {"＃絵オーバーラップ"_sj}, CommandNotAvailable},
    {74, {"＃人物オーバーラップ"_sj}, CommandNotAvailable},
    {75, {"＃前景オーバーラップ"_sj}, CommandNotAvailable},
    {76, {"＃最前景オーバーラップ"_sj}, CommandNotAvailable},
    {77, {"＃全オーバーラップ"_sj}, CommandNotAvailable},
    {78, {"＃絵スクロール"_sj}, CommandNotAvailable},
    {79, {"＃人物スクロール"_sj}, CommandNotAvailable},
    {80, {"＃前景スクロール"_sj}, CommandNotAvailable},
    {81, {"＃絵"_sj}, HandlePicture},
    {82, {"＃人物"_sj}, HandleFigure},
    {83, {"＃前景"_sj}, HandleForeground},
    {84, {"＃最前景"_sj}, HandleTopmost},
    {85, {"＃部分絵１"_sj, "＃部分絵1"_sj}, CommandNotAvailable},
    {86, {"＃部分絵２"_sj, "＃部分絵2"_sj}, CommandNotAvailable},
    {87, {"＃部分人物１"_sj, "＃部分人物1"_sj}, CommandNotAvailable},
    {88, {"＃部分人物２"_sj, "＃部分人物2"_sj}, CommandNotAvailable},
    {89, {"＃フェードアウト"_sj}, CommandNotAvailable},
    {90, {"＃フェードイン"_sj}, CommandNotAvailable},
    {91, {"＃別シナリオ"_sj}, HandleCallScenario},
    {92, {"＃右クリックシナリオ"_sj}, HandleRightClickScenario},
    {93, {"＃一文字"_sj, "＃１文字"_sj, "＃1文字"_sj}, HandleOneCharMode},
    {94, {"＃フォント"_sj}, CommandNotAvailable},
    {95, {}, HandleNumberLabel},  // "＃0" … "＃9": see MatchesRow
    {96, {"＃＃＃＃"_sj}, CommandNothing},
    {97, {"＃半透明"_sj}, HandleTranslucencySwitch},
    {98, {"＃終了"_sj}, HandleEndCommand},
    {99, {"＃マスクＲＧＢ"_sj}, HandleMaskColour},
    {100, {"＃アニメスピード"_sj}, CommandNotAvailable},
    {101, {"＃マシンチェック"_sj}, CommandNotAvailable},
    {102, {"＃クリックマーク"_sj}, CommandNotAvailable},
    {103, {"＃ワイプ"_sj}, CommandNotAvailable},
    {104, {"＃クリック位置"_sj}, HandleClickPosition},
    {105, {"＃スキップ"_sj}, HandleSkip},
    {106, {"＃エラー"_sj}, HandleErrorSwitch},
    {107, {"＃疑似カーソル"_sj, "＃擬似カーソル"_sj}, CommandNotAvailable},
    {108, {"＃ムービー"_sj}, CommandNotAvailable},
    {109, {"＃タイピング"_sj}, CommandNotAvailable},
    {110, {"＃ホゲテスト"_sj}, CommandNothing},
};

constexpr int kUnknownRow = 111;
constexpr int kNumberLabelRow = 95;

bool MatchesRow(const CommandEntry& entry, std::string_view line) {
  if (entry.number == kAssignmentRow) return SjisContains(line, "＝"_sj);
  if (entry.number == kNumberLabelRow) {
    // "＃" and a half-width digit: the loader has already made every
    // number label half-width.
    const std::string_view sharp = "＃"_sj;
    return StartsWith(line, sharp) && line.size() > sharp.size() && line[sharp.size()] >= '0' &&
           line[sharp.size()] <= '9';
  }
  for (std::string_view keyword : entry.keywords)
    if (!keyword.empty() && StartsWith(line, keyword)) return true;
  return false;
}

const CommandEntry* FindLeading(std::string_view line) {
  for (const CommandEntry& e : kLeadingEntries)
    if (MatchesRow(e, line)) return &e;
  return nullptr;
}

const CommandEntry* FindRow(std::string_view line) {
  for (const CommandEntry& e : kCommandTable)
    if (MatchesRow(e, line)) return &e;
  return nullptr;
}

bool IsComment(std::string_view line) { return StartsWith(line, "//") || StartsWith(line, "／／"_sj); }

}  // namespace

void CommandNotAvailable() { ReportError("この命令はまだ使えません"_sj, CurrentLine()); }

void CommandNothing() {}

void CommandUnknown() { ReportError("シナリオ上のミスです。"_sj, CurrentLine()); }

int ClassifyLine(std::string_view line) {
  if (const CommandEntry* e = FindLeading(line)) return e->number;
  if (line.empty()) return 0;
  if (IsComment(line)) return -5;
  if (const CommandEntry* e = FindRow(line)) return e->number;
  return kUnknownRow;
}

void ExecuteLine() {
  const std::string_view line = CurrentLine();
  if (const CommandEntry* e = FindLeading(line)) {
    e->handler();
    return;
  }
  if (line.empty()) {
    EndBlocksAtEmptyLine();
    EndDeclarationBlocks();
    return;
  }
  if (dialogueBox.blockOpen) {
    ShowDialogueLine();
    return;
  }
  if (textPage.open) {
    ShowTextPageLine();
    return;
  }
  if (DeclarationBlockOpen()) {
    DeclareLine(line);
    return;
  }
  if (IsComment(line)) return;
  if (const CommandEntry* e = FindRow(line)) {
    e->handler();
    return;
  }
  CommandUnknown();
}

}  // namespace kb
