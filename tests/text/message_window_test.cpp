// The dialogue box and screen text as layout: rows, pages, chains, the
// box commands and the one-character reveal.
#include "text/message_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/compose.h"
#include "display/surface_set.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "shell/frame_step.h"
#include "shell/wait_state.h"
#include "support/engine_fixture.h"
#include "text/text_output.h"
#include "text/text_style.h"

using namespace kb;
using kbtest::Sjis;

namespace {

class MessageWindow : public kbtest::EngineTest {
 protected:
  // Runs frame steps until a line has executed (the counter moved) or
  // something is awaited; returns the text y after it.
  int StepLine() {
    const int pc = programCounter;
    while (waitState.LineCanRun() && programCounter == pc) FrameStep();
    return pageState.textY;
  }
  void Click() { waitState.clickWait = 0; }
};

TEST_F(MessageWindow, DialoguePagesAfterTheFourthLineOfTheDefaultBox) {
  LoadScenarioText("＃セリフ\n一\n二\n三\n四\n五\n\n＃ホゲテスト\n");
  StepLine();  // "＃セリフ"
  std::vector<int> rows;
  for (int i = 0; i < 4; ++i) {
    rows.push_back(pageState.textY);
    StepLine();
    EXPECT_EQ(dialogueBox.shown, 1);
    EXPECT_EQ(waitState.clickWait, i == 3 ? 1 : 0) << "after line " << i + 1;
  }
  EXPECT_EQ(rows, (std::vector<int>{0, 20, 40, 60}));
  EXPECT_EQ(programCounter, 5);
  Click();
  StepLine();  // the fifth line needs 80 + 18 > 80: a new page
  EXPECT_EQ(pageState.lineCount, 1);
  EXPECT_EQ(pageState.textY, 20);
  EXPECT_EQ(waitState.clickWait, 0);
  StepLine();  // the empty line ends the block
  EXPECT_EQ(dialogueBox.blockOpen, 0);
  EXPECT_EQ(waitState.clickWait, 1);
}

TEST_F(MessageWindow, AStyleLineInTheBlockIsMeasuredInItsOwnSize) {
  // After three rows (text y 60) a "＃文字大" line announces 38 pixels:
  // 60 + 38 > 80, so the page waits after the third row.
  LoadScenarioText("＃セリフ\n一\n二\n三\n＃文字赤大\n四\n\n");
  RunUntilWaiting();
  EXPECT_EQ(programCounter, 4);
  EXPECT_EQ(pageState.textY, 60);
  EXPECT_EQ(waitState.clickWait, 1);
  Click();
  RunUntilWaiting();  // the style line, then the big red row on a new page
  EXPECT_EQ(textStyle.colour, (TextColour{255, 0, 0}));
  EXPECT_EQ(pageState.lineCount, 1);
  EXPECT_EQ(pageState.textY, 40);
}

TEST_F(MessageWindow, AChainOfFiveLinesIsOneRowFortyHigh) {
  LoadScenarioText("＃セリフ\nあ\n＃文字青大追加\nい\n＃文字赤追加\nう\n次の行\n\n");
  StepLine();
  EXPECT_TRUE(LineFits(1)) << "the chain needs 38 of the 80 pixels";
  StepLine();
  EXPECT_EQ(pageState.textY, 40);
  EXPECT_EQ(programCounter, 6) << "the chain's lines are consumed";
  EXPECT_EQ(textStyle.colour, (TextColour{255, 0, 0}));
  EXPECT_EQ(textStyle.size, 18);
  StepLine();
  EXPECT_EQ(pageState.textY, 60);
  EXPECT_EQ(waitState.halted, 0);
}

TEST_F(MessageWindow, AChainTallerThanTheRoomLeftStartsANewPage) {
  LoadScenarioText("＃セリフ\n一\n二\n三\nあ\n＃文字大追加\nい\n\n");
  RunUntilWaiting();
  EXPECT_EQ(programCounter, 4) << "60 + 38 > 80: the page waits before the chain";
  EXPECT_EQ(waitState.clickWait, 1);
  Click();
  StepLine();
  EXPECT_EQ(pageState.textY, 40);
}

TEST_F(MessageWindow, ASegmentThatIsAStyleLineIsReported) {
  LoadScenarioText("＃セリフ\nあ\n＃文字追加\n＃文字赤\nい\n\n");
  RunUntilWaiting();
  EXPECT_EQ(waitState.halted, 1);
  EXPECT_EQ(errorReporter.lastMessage, Sjis("＃文字追加の次の行が"));
  EXPECT_EQ(errorReporter.lastDetail, Sjis("＃文字となっています。"));
  EXPECT_EQ(errorReporter.lastLine, 4);
}

TEST_F(MessageWindow, AddContinuesBelowTheTextAndWaitOffSkipsTheClick) {
  LoadScenarioText("＃セリフ待ちオフ\n一\n\n＃セリフ追加\n二\n\n＃セリフ\n三\n\n");
  RunUntilWaiting();
  EXPECT_EQ(programCounter, 6) << "the first block ended without a wait";
  EXPECT_EQ(pageState.lineCount, 2);
  EXPECT_EQ(pageState.textY, 40);
  Click();
  RunUntilWaiting();
  EXPECT_EQ(pageState.lineCount, 1) << "without 追加 the box starts afresh";
  EXPECT_EQ(pageState.textY, 20);
}

TEST_F(MessageWindow, TheRestartHidesTheBox) {
  LoadScenarioText("＃セリフ\nあ\n\n");
  RunUntilWaiting();
  ASSERT_EQ(dialogueBox.shown, 1);
  Click();
  RunUntilWaiting();
  EXPECT_EQ(frameState.restarted, 1);
  EXPECT_EQ(dialogueBox.shown, 0);
}

TEST_F(MessageWindow, BoxCommands) {
  LoadScenarioText(
      "＃セリフ半透明白薄い\n＃セリフ半透明純\n＃セリフ半透明黒濃い\n＃セリフ半透明オフ\n"
      "＃セリフ\nあ\n\n＃セリフオフ\n＃一文字\n＃１文字オフ\n＃1文字\n");
  StepLine();
  EXPECT_EQ(dialogueBox.blendWhite, 1);
  EXPECT_EQ(dialogueBox.blendLevel, 3);
  StepLine();
  EXPECT_EQ(dialogueBox.blendWhite, 1) << "neither 白 nor 黒 keeps the tint";
  EXPECT_EQ(dialogueBox.blendLevel, 0);
  StepLine();
  EXPECT_EQ(dialogueBox.blendWhite, 0);
  EXPECT_EQ(dialogueBox.blendLevel, 1);
  EXPECT_EQ(dialogueBox.translucent, 1);
  StepLine();
  EXPECT_EQ(dialogueBox.translucent, 0);
  dialogueBox.hiddenByPlayer = 1;
  RunUntilWaiting();
  EXPECT_EQ(dialogueBox.hiddenByPlayer, 0) << "＃セリフ shows the box again";
  EXPECT_EQ(dialogueBox.shown, 1);
  Click();
  StepLine();
  EXPECT_EQ(dialogueBox.shown, 0);
  StepLine();
  EXPECT_EQ(reveal.oneCharMode, 1);
  StepLine();
  EXPECT_EQ(reveal.oneCharMode, 0);
  StepLine();
  EXPECT_EQ(reveal.oneCharMode, 1);
}

struct PositionCase {
  const char* args;  // four lines: x, y, width, height
  const char* message;
  const char* detail;
};

const PositionCase kPositionCases[] = {
    {"0\n0\n640\n240\n", "", ""},
    {"640\n０\n0\n２００\n", "", ""},
    {"20\n0\n600\n241\n", "セリフ位置の高さの最大は現在２４０までです", "241"},
    {"641\n0\n0\n0\n", "セリフ位置のＸが画面からはみ出ています", "641"},
    {"-1\n0\n0\n0\n", "セリフ位置のＸが画面からはみ出ています", "-1"},
    {"0\n481\n0\n0\n", "セリフ位置のＹが画面からはみ出ています", "481"},
    {"100\n0\n541\n10\n", "セリフ位置の幅がマイナスか、画面からはみ出てしまいます", "541"},
    {"0\n0\n-5\n10\n", "セリフ位置の幅がマイナスか、画面からはみ出てしまいます", "-5"},
    {"0\n400\n10\n81\n", "セリフ位置の高さがマイナスか、画面からはみ出てしまいます", "81"},
    {"0\n\n", "＃セリフ位置のＹが指定されていません", ""},
    {"0\n0\n\n", "＃セリフ位置の幅が指定されていません", ""},
    {"0\n0\n0\n\n", "＃セリフ位置の高さが指定されていません", ""},
    {"\n", "＃セリフ位置のＸが指定されていません", ""},
};

TEST_F(MessageWindow, PositionChecksItsFourValuesInOrder) {
  for (const PositionCase& c : kPositionCases) {
    ResetMessageWindow();
    waitState = WaitState{};
    errorReporter.lastMessage.clear();
    LoadScenarioText(std::string("＃セリフ位置\n") + c.args);
    StepLine();
    if (*c.message == '\0') {
      EXPECT_EQ(waitState.halted, 0) << c.args;
      EXPECT_NE(dialogueBox.x, 20) << c.args;
      continue;
    }
    EXPECT_EQ(errorReporter.lastMessage, Sjis(c.message)) << c.args;
    EXPECT_EQ(errorReporter.lastDetail, Sjis(c.detail)) << c.args;
    EXPECT_EQ(dialogueBox.x, 20) << "a refused rectangle leaves the box";
    EXPECT_EQ(dialogueBox.h, 100);
  }
}

TEST_F(MessageWindow, PositionComputesItsValues) {
  LoadScenarioText(
      "＃変数宣言\n幅\n\n幅＝３００\n＃セリフ位置\n５０＊２\n１０\n幅＋２０\n幅／３\n＃セリフ位置\n0\n0\n未知"
      "\n");
  RunUntilWaiting();
  EXPECT_EQ(dialogueBox.x, 100);
  EXPECT_EQ(dialogueBox.y, 10);
  EXPECT_EQ(dialogueBox.w, 320);
  EXPECT_EQ(dialogueBox.h, 100);
  EXPECT_EQ(waitState.halted, 1) << "an unknown name in the third line";
  EXPECT_EQ(errorReporter.lastDetail, Sjis("未知"));
  EXPECT_EQ(dialogueBox.w, 320) << "the box stays as it was";
}

TEST_F(MessageWindow, PositionMovesTheDrawnFrameAndTheRoom) {
  LoadScenarioText("＃セリフ位置\n10\n20\n300\n58\n＃セリフ\n一\n二\n三\n\n");
  RunUntilWaiting();
  EXPECT_EQ(programCounter, 8) << "58 - 20 holds two rows of 18, the second exactly";
  const Surface& frame = SurfaceOf(SurfaceId::dialogueFrame);
  EXPECT_EQ(PixelToRgb(frame, 10, 20).b, PixelToRgb(frame, 11, 21).b);
  EXPECT_NE(frame.GetPixel(10, 20), frame.key);
  EXPECT_EQ(frame.GetPixel(12, 22), frame.key);
  EXPECT_EQ(frame.GetPixel(20, 360), frame.key) << "the old frame is gone";
}

TEST_F(MessageWindow, ScreenTextRowsHaveNoPages) {
  LoadScenarioText("＃文章待ちオフ\n一\n二\n三\n四\n五\n\n＃文章追加\n六\n\n＃文章オフ\n");
  RunUntilWaiting();
  EXPECT_EQ(layerState.topmostShown, 1);
  EXPECT_EQ(textPage.inUse, 1);
  EXPECT_EQ(pageState.textY, 120);
  EXPECT_EQ(programCounter, 10) << "待ちオフ: only the second page waits";
  Click();
  RunUntilWaiting();
  EXPECT_EQ(layerState.topmostShown, 0);
}

TEST_F(MessageWindow, OneCharacterModeRevealsOneCharacterATick) {
  LoadScenarioText("＃一文字\n＃セリフ\n０１２３４５６７８９\n＃ホゲテスト\n\n");
  RunUntilWaiting();
  ASSERT_EQ(waitState.charByCharRunning, 1);
  EXPECT_EQ(programCounter, 3);
  for (int tick = 1; tick < 10; ++tick) {
    RevealTick();
    EXPECT_EQ(waitState.charByCharRunning, 1) << "tick " << tick;
  }
  RevealTick();
  EXPECT_EQ(waitState.charByCharRunning, 0);
  EXPECT_EQ(pageState.textY, 20);
  StepLine();
  EXPECT_EQ(programCounter, 4);
}

TEST_F(MessageWindow, ReferencesInTheTextAreExpanded) {
  LoadScenarioText("＃変数宣言\n点\n\n点＝１２\n＃一文字\n＃セリフ\n点は＃（点）＃です\n\n");
  RunUntilWaiting();
  ASSERT_EQ(waitState.charByCharRunning, 1);
  EXPECT_EQ(reveal.line.view(), Sjis("点は12です"));
}

TEST_F(MessageWindow, OneCharacterModeWalksAChainAndWaitsForAFullPage) {
  LoadScenarioText("＃一文字\n＃セリフ\n一\n二\n三\nあい\n＃文字大追加\nう\n次\n\n");
  RunUntilWaiting();
  for (int i = 0; i < 3 && waitState.charByCharRunning; ++i) {
    RevealTick();
    RunUntilWaiting();
  }
  EXPECT_EQ(pageState.textY, 60);
  ASSERT_EQ(waitState.charByCharRunning, 0);
  EXPECT_EQ(waitState.charByCharPageWait, 1) << "the chain does not fit below the third row";
  EXPECT_EQ(waitState.clickWait, 1);
  EXPECT_EQ(programCounter, 5);
  Click();
  waitState.charByCharPageWait = 0;
  RunUntilWaiting();
  ASSERT_EQ(waitState.charByCharRunning, 1);
  EXPECT_EQ(frameState.holdProgramCounter, 1);
  RevealTick();  // あ
  RevealTick();  // あい: the segment is out, the chain moves on
  EXPECT_EQ(programCounter, 7);
  EXPECT_EQ(textStyle.size, 38);
  RevealTick();  // う: the chain is out
  EXPECT_EQ(waitState.charByCharRunning, 0);
  EXPECT_EQ(frameState.holdProgramCounter, 0);
  EXPECT_EQ(programCounter, 8);
  EXPECT_EQ(pageState.textY, 40);
}

}  // namespace

// What the composition takes from this state: the translucency switch, the
// player's hiding, the darkening under screen text.
TEST_F(MessageWindow, CompositionFollowsTheSwitchAndThePlayersHiding) {
  Surface& back = surfaceSet.back;
  for (SurfaceId id : {SurfaceId::dialogueText, SurfaceId::topmost}) {
    Surface& s = SurfaceOf(id);
    FillPixels(s, 0, 0, s.width, s.height, s.key);  // as the first line of a page leaves them
  }
  auto compose = [&](int translucencySwitch) {
    FillRect(back, 0, 0, 640, 480, 255, 255, 255);
    layerState.translucencySwitch = translucencySwitch;
    DrawTopmostLayer(back);
    DrawDialogueBox(back);
  };
  dialogueBox.shown = 1;
  compose(1);
  EXPECT_LT(PixelToRgb(back, 300, 400).r, 140) << "darkened at the normal level";
  EXPECT_GT(PixelToRgb(back, 300, 400).r, 110);
  compose(0);
  EXPECT_EQ(PixelToRgb(back, 300, 400).r, 0) << "switch off: a solid backing";
  ToggleTextWindowHidden();
  compose(1);
  EXPECT_EQ(PixelToRgb(back, 300, 400).r, 255);
  EXPECT_EQ(PixelToRgb(back, 20, 360).r, 255) << "the frame is hidden too";

  layerState.topmostShown = 1;
  textPage.darken = 1;
  compose(1);
  EXPECT_LT(PixelToRgb(back, 5, 5).r, 200) << "darkened at the weak level under screen text";
  EXPECT_GT(PixelToRgb(back, 5, 5).r, 180);
  compose(0);
  EXPECT_EQ(PixelToRgb(back, 5, 5).r, 255);
  frameState.textPageHidden = 1;
  textPage.darken = 1;
  compose(1);
  EXPECT_EQ(PixelToRgb(back, 5, 5).r, 255) << "hidden screen text darkens nothing";
}
