// The choice window's layout and hit test, the configuration commands and
// their reports, and the picture choice's colours, run in-process.
#include "script/choices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/surface_set.h"
#include "script/error_reporter.h"
#include "script/scenario_store.h"
#include "shell/wait_state.h"
#include "shell/window_proc.h"
#include "support/engine_fixture.h"
#include "text/message_window.h"

namespace {

using kbtest::Sjis;

std::string Answers(int n) {
  std::string s;
  for (int i = 1; i <= n; ++i) s += "答え" + std::to_string(i) + "\n";
  return s;
}

// A choice block with n answers, and the commands before it.
std::string ChoiceBlock(int n, const std::string& before = "", const std::string& command = "＃選択") {
  std::string s = before + command + "\n" + Answers(n) + "\n";
  for (int i = 0; i <= n; ++i) s += "＃" + std::to_string(i) + "\n";
  return s + "＃＃＃＃\n";
}

class Choices : public kbtest::EngineTest {
 protected:
  // A fresh start for each case of a table.
  void Fresh() {
    kb::ResetChoiceState();
    kb::waitState = kb::WaitState{};
    kb::errorReporter = kb::ErrorReporter{};
  }
  void Run(const std::string& scenario) {
    LoadScenarioText(scenario);
    RunUntilWaiting();
  }
  // The last error page's texts (CP932).
  std::string Message() const { return kb::errorReporter.lastMessage; }
  std::string Detail() const { return kb::errorReporter.lastDetail; }
  int Widest(int n) const {
    int widest = 0;
    for (int i = 1; i <= n; ++i)
      widest =
          std::max(widest, kb::MeasureText(kb::choiceWindow.font, Sjis("答え" + std::to_string(i))).width);
    return widest;
  }
};

struct LayoutCase {
  int answers;
  int width;  // -1: the widest answer plus both margins
  int height, rowsPerColumn, columns;
};

TEST_F(Choices, WindowLayoutByNumberOfAnswers) {
  const LayoutCase cases[] = {
      {5, -1, 5 * 20 + 6, 9, 1},
      {9, -1, 9 * 20 + 6, 5, 1},  // nine stay in one column although the rows become 5
      {12, 2 * 160 + 5 + 6, 6 * 20 + 6, 6, 2},
      {18, 2 * 160 + 5 + 6, 9 * 20 + 6, 9, 2},
      {19, 3 * 160 + 2 * 5 + 6, 7 * 20 + 6, 7, 3},
      {27, 3 * 160 + 2 * 5 + 6, 9 * 20 + 6, 9, 3},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.answers);
    Fresh();
    Run(ChoiceBlock(c.answers));
    const kb::ChoiceWindow& w = kb::choiceWindow;
    ASSERT_EQ(kb::waitState.choiceActive, 1);
    EXPECT_EQ(kb::waitState.clickWait, 1);
    EXPECT_EQ(kb::waitState.halted, 0);
    EXPECT_EQ(w.count, c.answers);
    EXPECT_EQ(w.x, 100);
    EXPECT_EQ(w.y, 200);
    EXPECT_EQ(w.width, c.width < 0 ? Widest(c.answers) + 6 : c.width);
    EXPECT_EQ(w.height, c.height);
    EXPECT_EQ(w.rowsPerColumn, c.rowsPerColumn);
    // The last answer stands at the bottom of the last column.
    const int last = c.answers - 1, column = c.columns - 1;
    const int row = c.columns == 1 ? last : last - column * c.rowsPerColumn;
    EXPECT_EQ(kb::AnswerPosition(last).x, 3 + column * 165);
    EXPECT_EQ(kb::AnswerPosition(last).y, 3 + row * 20);
    // While it waits, execution stands at the empty line after the answers.
    EXPECT_EQ(kb::programCounter, c.answers + 1);
  }
}

TEST_F(Choices, TwelveAnswersPlaceTheEighthAtTheTopOfTheSecondColumnPlusOneRow) {
  Run(ChoiceBlock(12));
  EXPECT_EQ(kb::AnswerPosition(7).x, 3 + 160 + 5);
  EXPECT_EQ(kb::AnswerPosition(7).y, 3 + 20);
}

TEST_F(Choices, AnswersShowVariableValues) {
  Run("＃変数宣言\nA\n\nA＝123\n＃選択\n残り＃（A）＃回\n\n＃1\n＃＃＃＃\n");
  ASSERT_EQ(kb::waitState.choiceActive, 1) << Message();
  EXPECT_EQ(kb::choiceWindow.widest, kb::MeasureText(kb::choiceWindow.font, Sjis("残り123回")).width);
}

TEST_F(Choices, TwentyEightAnswersAreCutToTwentySeven) {
  Run(ChoiceBlock(28));
  EXPECT_EQ(Message(), Sjis("選択肢は２７個までです"));
  EXPECT_EQ(Detail(), Sjis("答え28"));
  EXPECT_EQ(kb::choiceWindow.count, 27);
  EXPECT_EQ(kb::waitState.choiceActive, 1);
  EXPECT_EQ(kb::programCounter, 28);
}

TEST_F(Choices, HitTestFollowsTheColumns) {
  struct Probe {
    int answers, x, y, expected;
  };
  // The window stands at (100, 200); margin 3, rows 20, columns 160 + 5.
  const Probe probes[] = {
      {5, 104, 204, 1},   {5, 104, 223, 2},   {5, 104, 302, 5},   {5, 99, 204, 0},
      {5, 104, 202, 0},   {5, 104, 303, 0},   {12, 263, 224, 2},  {12, 264, 224, 8},
      {12, 264, 323, 12}, {12, 264, 324, 0},  {11, 264, 322, 0},  {27, 428, 204, 10},
      {27, 429, 204, 19}, {27, 429, 375, 27}, {27, 300, 375, 18}, {27, 597, 204, 0},
  };
  for (const Probe& p : probes) {
    SCOPED_TRACE(testing::Message() << p.answers << " answers at " << p.x << "," << p.y);
    Fresh();
    Run(ChoiceBlock(p.answers));
    EXPECT_EQ(kb::ChoiceAt(p.x, p.y), p.expected);
  }
}

TEST_F(Choices, ExplicitSizeDrawsAThreePixelFrameAndIgnoresTheSpaceBelowTheAnswers) {
  Run(ChoiceBlock(3, "＃選択位置\n50\n60\n300\n200\n10\n"));
  const kb::ChoiceWindow& w = kb::choiceWindow;
  EXPECT_EQ(kb::waitState.halted, 0) << Message();
  EXPECT_EQ(w.width, 300);
  EXPECT_EQ(w.height, 200);
  EXPECT_EQ(w.margin, 10);
  EXPECT_EQ(kb::ChoiceAt(60, 71), 1);
  EXPECT_EQ(kb::ChoiceAt(60, 129), 3);
  EXPECT_EQ(kb::ChoiceAt(60, 131), 0);
  kb::Surface& frame = kb::SurfaceOf(kb::SurfaceId::choiceFrame);
  EXPECT_EQ(kb::PixelToRgb(frame, 52, 62).b, 255);
  EXPECT_EQ(kb::PixelToRgb(frame, 53, 63).r, 255) << "inside the 3-pixel border";
}

TEST_F(Choices, DialogueBoxModeTakesTheBoxRectangle) {
  Run(ChoiceBlock(3, "＃選択位置セリフ\n"));
  const kb::ChoiceWindow& w = kb::choiceWindow;
  EXPECT_EQ(w.x, kb::dialogueBox.x);
  EXPECT_EQ(w.y, kb::dialogueBox.y);
  EXPECT_EQ(w.width, kb::dialogueBox.w);
  EXPECT_EQ(w.height, kb::dialogueBox.h);
  EXPECT_EQ(w.margin, 10);
  EXPECT_TRUE(kb::ChoicesInDialogueBox());
}

struct ReportCase {
  const char* scenario;
  const char* message;  // "" for any computation error text
  const char* detail;
};

TEST_F(Choices, PositionReportsKeepWhatWasStoredBefore) {
  struct Case {
    const char* scenario;
    const char* message;  // "" for any computation error text
    const char* detail;
    int sizeStored;  // a bad margin comes after the size has been stored
  };
  const Case cases[] = {
      {"＃選択位置\n\n", "＃選択位置のＸが指定されていません", "", 0},
      {"＃選択位置\n641\n0\n\n", "選択位置のＸが画面からはみ出ています", "641", 0},
      {"＃選択位置\n-1\n0\n\n", "選択位置のＸが画面からはみ出ています", "-1", 0},
      {"＃選択位置\n10\n\n", "＃選択位置のＹが指定されていません", "", 0},
      {"＃選択位置\n10\n481\n\n", "選択位置のＹが画面からはみ出ています", "481", 0},
      {"＃選択位置\n10\nあ\n\n", "", "あ", 0},
      {"＃選択位置\n100\n100\n600\n100\n\n", "選択位置の幅がマイナスか、画面からはみ出てしまいます",
       "幅は 600 です", 0},
      {"＃選択位置\n100\n100\n100\n400\n\n", "選択位置の幅がマイナスか、画面からはみ出てしまいます",
       "高さは 400 です", 0},
      {"＃選択位置\n100\n100\n100\n\n", "＃選択位置の高さが指定されていません", "", 0},
      {"＃選択位置\n100\n100\n100\n100\n-1\n", "選択ウインドウの余白がマイナス値です", "-1", 1},
      {"＃選択位置\n100\n100\n50\n200\n20\n", "余白が大きすぎて選択肢を表示できません",
       "選択位置の幅と余白を調べてください", 1},
      {"＃選択位置\n100\n100\n200\n60\n15\n", "余白が大きすぎて選択肢を表示できません",
       "選択位置の高さと余白を調べてください", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    Fresh();
    Run(c.scenario);
    if (*c.message)
      EXPECT_EQ(Message(), Sjis(c.message));
    else
      EXPECT_NE(Message().find("ERR"), std::string::npos) << Message();
    EXPECT_EQ(Detail(), Sjis(c.detail));
    EXPECT_EQ(kb::choiceWindow.explicitSize, c.sizeStored);
    EXPECT_EQ(kb::choiceWindow.margin, 3);
  }
  // The position is stored before the size and the margin are read.
  EXPECT_EQ(kb::choiceWindow.x, 100);
  EXPECT_EQ(kb::choiceWindow.y, 100);
}

TEST_F(Choices, ChoiceReportsThatLetTheChoiceGoOnOrStopIt) {
  struct Case {
    std::string scenario;
    const char* message;
    bool shown;
  };
  const Case cases[] = {
      {"＃選択\n\n＃＃＃＃\n", "＃選択に選択肢がありません", false},
      {ChoiceBlock(3, "＃選択位置\n100\n100\n100\n50\n\n"), "選択肢を選択ウインドウの中に収められません",
       true},
      {ChoiceBlock(5, "＃選択位置\n0\n400\n\n"), "選択ウインドウが下に はみ出します", true},
      {ChoiceBlock(2, "", "＃選択＃時間（100"), "＃選択時の「時間」は ＃時間（ ）＃ で囲んでください", false},
      {ChoiceBlock(2, "", "＃選択＃時間（－5）＃"), "時間制限の時間がマイナスです", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Fresh();
    Run(c.scenario);
    EXPECT_EQ(Message(), Sjis(c.message));
    EXPECT_EQ(kb::waitState.choiceActive, c.shown ? 1 : 0);
    EXPECT_EQ(kb::waitState.clickWait, 1);
  }
}

TEST_F(Choices, ArrowKeysStayWithinTheAnswers) {
  kb::InstallChoiceInput();
  auto press = [](int key) {
    kb::InputEvent e;
    e.type = kb::EventType::KeyDown;
    e.key = key;
    kb::HandleEvent(e);
    return kb::choiceWindow.highlighted;
  };
  Run(ChoiceBlock(3));
  EXPECT_EQ(press(kb::vk::kUp), 1) << "up with nothing highlighted highlights the first";
  press(kb::vk::kDown);
  press(kb::vk::kDown);
  EXPECT_EQ(press(kb::vk::kDown), 3);
  EXPECT_EQ(press(kb::vk::kRight), 3) << "one column: left and right do nothing";

  Fresh();
  Run(ChoiceBlock(20));  // three columns of 7
  EXPECT_EQ(press(kb::vk::kRight), 1);
  press(kb::vk::kRight);
  EXPECT_EQ(press(kb::vk::kRight), 15);
  press(kb::vk::kDown);
  EXPECT_EQ(press(kb::vk::kRight), 16) << "no answer to the right: it stays";
  EXPECT_EQ(press(kb::vk::kLeft), 9);
  kb::inputHooks = kb::InputHooks{};
}

TEST_F(Choices, FontAndHighlightCommands) {
  Run("＃選択フォント\n明朝　固定\n＃選択反転色 青\n＃クリック待ち\n");
  EXPECT_EQ(kb::choiceWindow.face.view(), Sjis("ＭＳ 明朝"));
  EXPECT_EQ(kb::waitState.halted, 0);
  const kb::Rgb bar = kb::PixelToRgb(kb::SurfaceOf(kb::SurfaceId::choiceBar), 599, 49);
  EXPECT_EQ(bar.r, 0);
  EXPECT_EQ(bar.b, 255);

  Fresh();
  Run("＃選択フォント\n\n");
  EXPECT_EQ(Message(), Sjis("＃選択フォントの指定がありません"));

  // A face that no font has is reported; the answers still get a font, and
  // the next choice falls back without a report.
  Fresh();
  Run("＃選択フォント\nどこにもない書体\n" + ChoiceBlock(2));
  EXPECT_EQ(Message(), Sjis("選択フォント指定が間違っています"));
  EXPECT_EQ(Detail(), Sjis("どこにもない書体"));
  EXPECT_NE(kb::choiceWindow.font, kb::kNoFont);
  kb::waitState = kb::WaitState{};
  kb::errorReporter = kb::ErrorReporter{};
  RunUntilWaiting();
  EXPECT_EQ(kb::waitState.choiceActive, 1);
  EXPECT_EQ(Message(), "");
  EXPECT_NE(kb::choiceWindow.font, kb::kNoFont);
}

// ---------------------------------------------------------------------------
// The picture choice.

class PictureChoices : public Choices {
 protected:
  void Paint(int x, int y, int r, int g, int b) {
    kb::FillRect(kb::SurfaceOf(kb::SurfaceId::backScreen), x, y, 1, 1, r, g, b);
  }
};

TEST_F(PictureChoices, ColourUnderThePointerNamesTheAnswer) {
  kb::FillRect(kb::SurfaceOf(kb::SurfaceId::backScreen), 0, 0, 640, 480, 0, 0, 0);
  Paint(10, 10, 200, 100, 0);
  Paint(20, 20, 90, 90, 90);
  Paint(30, 30, 0, 0, 255);
  Run("＃選択裏画面合成\n黒\nオレンジ\nグレ\n\n＃1\n＃2\n＃3\n＃＃＃＃\n");
  ASSERT_EQ(kb::waitState.backChoiceActive, 1) << Message();
  EXPECT_EQ(kb::waitState.clickWait, 1);
  EXPECT_EQ(kb::ClassifyBackScreenColour(10, 10), 2);
  EXPECT_EQ(kb::ClassifyBackScreenColour(20, 20), 3);
  EXPECT_EQ(kb::backScreenChoice.names[2].view(), Sjis("グレー"));
  EXPECT_EQ(kb::ClassifyBackScreenColour(0, 0), 1);
  EXPECT_EQ(kb::ClassifyBackScreenColour(30, 30), -1) << "blue is no answer";
  EXPECT_EQ(kb::backScreenChoice.names[3].view(), Sjis("なし"));
}

TEST_F(PictureChoices, BandsSplitAt85And170) {
  const struct {
    int r, g, b;
    const char* name;
  } cases[] = {
      {85, 86, 170, "暗いシアン"},
      {171, 0, 0, "赤"},
      {86, 0, 0, "暗い赤"},
      {255, 255, 255, "白"},
      {171, 86, 171, "明るいマゼンタ"},
      {100, 0, 100, "暗いマゼンタ"},
      {0, 171, 86, "青緑"},
      {86, 86, 171, "明るい青"},
      {0, 0, 0, "黒"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(std::string(kb::BackScreenColourName(c.r, c.g, c.b)), Sjis(c.name)) << c.name;
}

TEST_F(PictureChoices, MistakesStopTheChoice) {
  game->WriteBytes("s.wav", "RIFF");
  game->WriteBytes("p.bmp", "BM");
  const ReportCase cases[] = {
      {"＃選択裏画面\n\n", "＃選択裏画面の", "「裏画面」が指定されていません"},
      {"＃選択裏画面\nnone.bmp\n赤\n\n", "＃選択裏画面の「裏画面」ファイル名が違います", "none.bmp"},
      {"＃選択裏画面合成\n\n", "＃選択裏画面の", "「色」が指定されていません"},
      {"＃選択裏画面合成\n紫\n\n", "＃裏画面選択の色指定が違います", "紫"},
      {"＃選択裏画面合成\n赤＃音（s.wav\n\n", "＃選択裏画面時の「音」は ＃音（ ）＃ で囲んでください",
       "赤＃音（s.wav"},
      {"＃選択裏画面合成\n赤＃絵（p.bmp\n\n", "＃選択裏画面時の「絵」は ＃音（ ）＃ で囲んでください",
       "赤＃絵（p.bmp"},
      {"＃選択裏画面合成\n赤\n青\n赤い\n\n", "同じ色を指定しています", "赤"},
      {"＃選択裏画面合成\n赤＃音（x.wav）＃\n\n", "＃選択裏画面の音ファイルがありません", "x.wav"},
      {"＃選択裏画面合成\n赤＃音（s.wav）＃＃絵（x.bmp）＃\n\n", "＃選択裏画面の絵のファイルがありません",
       "x.bmp"},
  };
  for (const ReportCase& c : cases) {
    SCOPED_TRACE(c.scenario);
    Fresh();
    Run(std::string(c.scenario) + "＃＃＃＃\n");
    EXPECT_EQ(Message(), Sjis(c.message));
    EXPECT_EQ(Detail(), Sjis(c.detail));
    EXPECT_EQ(kb::waitState.backChoiceActive, 0);
  }
  std::string colours;
  for (int i = 0; i < 28; ++i) colours += "赤\n";
  Fresh();
  Run("＃選択裏画面合成\n" + colours + "\n＃＃＃＃\n");
  EXPECT_EQ(Message(), Sjis("選択肢（裏画面）は２７色までです"));
  EXPECT_EQ(kb::waitState.backChoiceActive, 0);
}

}  // namespace
