// The four picture layers as the player sees them: frames of the real
// executable after the layer commands.
#include <gtest/gtest.h>

#include <string>

#include "display/layers.h"
#include "display/surface.h"
#include "shell/window_proc.h"
#include "support/engine_fixture.h"
#include "support/game_fixture.h"
#include "support/picture_files.h"

namespace {

using kbtest::Frame;
using kbtest::RgbTriple;
using kbtest::RunHeadless;
using kbtest::TempFolder;

constexpr RgbTriple kWhite{255, 255, 255}, kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0},
    kBlue{0, 0, 255}, kYellow{255, 255, 0};

// A colour as the 16-bit (5-6-5) display shows it.
Frame::Pixel Shown(RgbTriple c) {
  kb::Surface s;
  s.Create(1, 1, kb::kLayout565);
  const kb::PixelFormat f = kb::ReadPixelFormat(s);
  const kb::Rgb shown = kb::PixelValueToRgb(f, kb::RgbToPixel(f, c[0], c[1], c[2]));
  return {shown.r, shown.g, shown.b};
}

// A w x h picture of one colour with a rectangle of another.
std::string Boxed(int w, int h, RgbTriple ground, int x0, int y0, int x1, int y1, RgbTriple box) {
  return kbtest::MakeBmp24(w, h, [=](int x, int y) { return x >= x0 && x < x1 && y >= y0 && y < y1 ? box : ground; });
}

// A game whose scenario is given in UTF-8; no start-up notices.
void WriteGame(const TempFolder& game, const std::string& scenario) {
  game.WriteText("mero.ini", "＃ウインドウ\n＃注意オフ\n");
  game.WriteText("start.txt", scenario);
}

struct Expect {
  int x, y;
  RgbTriple colour;
};

void ExpectPixels(const Frame& frame, std::initializer_list<Expect> expected, const char* what) {
  ASSERT_EQ(frame.width, 640) << what;
  for (const Expect& e : expected)
    EXPECT_EQ(frame.At(e.x, e.y), Shown(e.colour)) << what << " at (" << e.x << ", " << e.y << ")";
}

TEST(Layers, FourLayersInOrderOverTheBackdrop) {
  TempFolder game;
  // Each layer: white (the MaskColour) with one coloured square, the squares
  // overlapping diagonally; the picture is red with a white corner.
  game.WriteBytes("bg.bmp", Boxed(640, 480, kRed, 0, 0, 100, 100, kWhite));
  game.WriteBytes("fig.bmp", Boxed(640, 480, kWhite, 50, 50, 150, 150, kGreen));
  game.WriteBytes("fore.bmp", Boxed(640, 480, kWhite, 100, 100, 200, 200, kBlue));
  game.WriteBytes("top.bmp", Boxed(640, 480, kWhite, 150, 150, 250, 250, kYellow));
  WriteGame(game,
            "＃絵\nbg.bmp\n＃人物\nfig.bmp\n＃前景\nfore.bmp\n＃最前景\ntop.bmp\n＃クリック待ち\n"
            "＃絵オフ\n＃人物オフ\n＃クリック待ち\n"
            "＃前景オフ\n＃最前景オフ\n＃絵\nbg.bmp\n＃クリック待ち\n");
  auto run = RunHeadless(game.path(), "wait\nshot all.png\nclick 1 1\nwait\nshot off.png\nclick 1 1\nwait\nshot bg.png\n");
  EXPECT_TRUE(run.Events("error").empty());
  // The picture's white corner shows the backdrop, which is the MaskColour.
  ExpectPixels(run.Shot("all.png"),
               {{10, 10, kWhite}, {300, 300, kRed}, {60, 60, kGreen}, {120, 60, kGreen}, {110, 110, kBlue},
                {160, 160, kYellow}, {240, 240, kYellow}, {199, 120, kBlue}},
               "all four");
  // Hidden layers are left out at the next composition.
  ExpectPixels(run.Shot("off.png"), {{10, 10, kBlack}, {300, 300, kBlack}, {60, 60, kBlack}, {110, 110, kBlue}},
               "picture and figure off");
  ExpectPixels(run.Shot("bg.png"), {{10, 10, kWhite}, {300, 300, kRed}, {110, 110, kRed}, {160, 160, kRed}},
               "picture alone");
}

TEST(Layers, ChangedMaskColourIsTheNewKey) {
  TempFolder game;
  game.WriteBytes("bg.bmp", Boxed(640, 480, kRed, 0, 0, 100, 100, kBlue));
  game.WriteBytes("fig.bmp", Boxed(640, 480, kBlue, 50, 50, 150, 150, kWhite));
  // Components are clamped to 0…255 after the third line.
  WriteGame(game, "＃マスクＲＧＢ\n-5\n0\n300\n＃絵\nbg.bmp\n＃人物\nfig.bmp\n＃クリック待ち\n");
  auto run = RunHeadless(game.path(), "wait\nshot a.png\n");
  EXPECT_TRUE(run.Events("error").empty());
  ExpectPixels(run.Shot("a.png"), {{10, 10, kBlue}, {300, 300, kRed}, {60, 60, kWhite}, {160, 160, kRed}},
               "blue key");
}

TEST(Layers, PositionShiftsAndCutsThePicture) {
  TempFolder game;
  // 200 x 100; column x is (x, 100, 50), row 0 is yellow.
  game.WriteBytes("strip.bmp", kbtest::MakeBmp24(200, 100, [](int x, int y) {
                    return y == 0 ? kYellow : RgbTriple{x, 100, 50};
                  }));
  const struct {
    const char* x;
    const char* y;
    std::initializer_list<Expect> pixels;
  } cases[] = {
      // X = -100: the picture's column 100 at the left edge.
      {"-100", "50", {{0, 50, kYellow}, {0, 51, {100, 100, 50}}, {99, 51, {199, 100, 50}}, {100, 51, kBlack}}},
      // Beyond the right edge: placed at 639, one column shows.
      {"800", "0", {{639, 0, kYellow}, {639, 1, {0, 100, 50}}, {638, 1, kBlack}}},
      // Y = -1: the yellow top row is cut off.
      {"10", "-1", {{10, 0, {0, 100, 50}}, {209, 98, {199, 100, 50}}, {10, 99, kBlack}}},
      {"639", "479", {{639, 479, kYellow}, {638, 479, kBlack}}},
  };
  for (const auto& c : cases) {
    WriteGame(game, std::string("＃人物　位置\nstrip.bmp\n") + c.x + "\n" + c.y + "\n＃クリック待ち\n");
    auto run = RunHeadless(game.path(), "wait\nshot a.png\n");
    EXPECT_TRUE(run.Events("error").empty());
    ExpectPixels(run.Shot("a.png"), c.pixels, c.x);
  }
}

TEST(Layers, AddAndMaskDrawOverTheLayer) {
  TempFolder game;
  game.WriteBytes("a.bmp", Boxed(640, 480, kWhite, 0, 0, 100, 100, kGreen));
  game.WriteBytes("b.bmp", Boxed(640, 480, kWhite, 50, 0, 150, 100, kBlue));
  game.WriteBytes("t.bmp", Boxed(640, 480, kWhite, 0, 0, 300, 100, kGreen));
  // Black, white and red thirds: with "マスク" black is transparent too.
  game.WriteBytes("m.bmp", kbtest::MakeBmp24(300, 480, [](int x, int) {
                    return x < 100 ? kBlack : x < 200 ? kWhite : kRed;
                  }));
  WriteGame(game,
            "＃前景\na.bmp\n＃前景　追加\nb.bmp\n＃クリック待ち\n"
            "＃前景\nb.bmp\n＃クリック待ち\n"
            "＃最前景\nt.bmp\n＃最前景　マスク\nm.bmp\n＃クリック待ち\n");
  auto run = RunHeadless(game.path(), "wait\nshot add.png\nclick 1 1\nwait\nshot new.png\nclick 1 1\nwait\nshot mask.png\n");
  EXPECT_TRUE(run.Events("error").empty());
  ExpectPixels(run.Shot("add.png"), {{10, 10, kGreen}, {60, 10, kBlue}, {140, 10, kBlue}, {10, 200, kBlack}},
               "added");
  ExpectPixels(run.Shot("new.png"), {{10, 10, kBlack}, {60, 10, kBlue}}, "replaced");
  // Under the black third the topmost layer keeps its green; the white
  // third replaces it by the MaskColour, through which the foreground shows.
  ExpectPixels(run.Shot("mask.png"),
               {{10, 10, kGreen}, {60, 10, kGreen}, {140, 10, kBlue}, {250, 10, kRed}, {10, 200, kBlack}},
               "mask");
}

TEST(Layers, JpegAndBmpOnTheLayers) {
  TempFolder game;
  game.WriteBytes("sky.jpg", kbtest::MakeJpeg(640, 480, 3, [](int, int y) {
                    return y < 240 ? std::array<int, 4>{0, 0, 255, 0} : std::array<int, 4>{0, 255, 0, 0};
                  }));
  game.WriteBytes("fig.bmp", Boxed(640, 480, kWhite, 300, 200, 340, 280, kRed));
  game.WriteBytes("cmyk.jpg", kbtest::MakeJpeg(16, 16, 4, [](int, int) { return std::array<int, 4>{0, 0, 0, 0}; }));
  WriteGame(game, "＃絵\nsky.jpg\n＃人物\nfig.bmp\n＃前景\ncmyk.jpg\n＃クリック待ち\n");
  auto run = RunHeadless(game.path(), "wait\nshot a.png\n");
  EXPECT_TRUE(run.Events("error").empty());
  const Frame f = run.Shot("a.png");
  // JPEG colours are near, not exact.
  auto near = [](Frame::Pixel p, RgbTriple c) {
    return std::abs(p.r - c[0]) <= 12 && std::abs(p.g - c[1]) <= 12 && std::abs(p.b - c[2]) <= 12;
  };
  EXPECT_TRUE(near(f.At(10, 10), kBlue));
  EXPECT_TRUE(near(f.At(10, 470), kGreen));
  EXPECT_EQ(f.At(320, 240), Shown(kRed));
}

// X, Y and colour lines are expressions with variables.  An error in a
// position line is reported and the picture still placed, at 0; an error in
// a colour line stops the command with the components read so far stored
// and the colour keys as they were (the counter stays on that line, so the
// next one, a bare number, is then reported as a mistake of its own).
TEST(Layers, NumberLinesAreExpressions) {
  TempFolder game;
  game.WriteBytes("strip.bmp", kbtest::MakeBmp24(200, 100, [](int x, int y) {
                    return y == 0 ? kYellow : RgbTriple{x, 100, 50};
                  }));
  game.WriteBytes("bg.bmp", Boxed(320, 240, kRed, 0, 0, 100, 100, kWhite));
  WriteGame(game,
            "＃変数宣言\nＸ\n\nＸ＝５０\n"
            "＃人物　位置\nstrip.bmp\nＸ＊２－２００\nＸ\n＃クリック待ち\n"
            "＃人物　位置\nstrip.bmp\nＺ＋１\n(3+7)\n＃クリック待ち\n"
            "＃人物オフ\n＃マスクＲＧＢ\n０\nＺ\n０\n＃絵\nbg.bmp\n＃クリック待ち\n");
  auto run = RunHeadless(game.path(),
                         "wait\nshot expr.png\nclick 1 1\nwait\nclick 1 1\nwait\nshot err.png\n"
                         "click 1 1\nwait\nclick 1 1\nwait\nclick 1 1\nwait\nshot mask.png\n");
  EXPECT_EQ(run.exitCode, 0);
  ExpectPixels(run.Shot("expr.png"), {{0, 50, kYellow}, {0, 51, {100, 100, 50}}, {100, 51, kBlack}}, "X*2-200");
  ExpectPixels(run.Shot("err.png"), {{0, 10, kYellow}, {199, 11, {199, 100, 50}}}, "X undeclared, Y (3+7)");
  // Red became 0; green and blue stayed 255; white is still the key, so
  // the picture's white corner shows the backdrop, which is the new colour.
  ExpectPixels(run.Shot("mask.png"), {{10, 10, {0, 255, 255}}, {200, 200, kRed}, {400, 300, {0, 255, 255}}},
               "colour line error");
  auto errors = run.Events("error");
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_NE(errors[0].Text("message").find("ERR"), std::string::npos);
  EXPECT_EQ(errors[0].Text("detail"), "Ｚ＋１");
  EXPECT_EQ(errors[0].Number("line"), 12);
  EXPECT_NE(errors[1].Text("message").find("ERR"), std::string::npos);
  EXPECT_EQ(errors[1].Text("detail"), "Ｚ");
  EXPECT_EQ(errors[1].Number("line"), 18);
}

// Each failure is reported with the command's own message; the game goes
// on after the click that closes the error page.
TEST(Layers, LoadFailuresAreReportedAndTheGameGoesOn) {
  TempFolder game;
  game.WriteBytes("ok.bmp", Boxed(640, 480, kWhite, 0, 0, 10, 10, kRed));
  game.WriteBytes("broken.jpg", "\xFF\xD8\xFF\xE0 this is not a picture");
  game.WriteBytes("fine.jpg", kbtest::MakeJpeg(8, 8, 3, [](int, int) { return std::array<int, 4>{0, 0, 0, 0}; }));
  const struct {
    const char* scenario;
    const char* message;
    const char* detail;
    int line;
  } cases[] = {
      {"＃絵\nbroken.jpg\n", "＃絵のファイル名が違います", "broken.jpg", 2},
      {"＃絵\nmissing.bmp\n", "＃絵のファイル名が違います", "missing.bmp", 2},
      {"＃人物\n\n", "＃人物のファイルが指定されていません", "", 2},
      {"＃前景\nbroken.jpg\n", "＃前景のファイル名が違います", "broken.jpg", 2},
      {"＃人物　位置\nok.bmp\n\n", "＃人物のＸ位置が指定されていません", "ok.bmp", 3},
      {"＃人物　位置\nok.bmp\n5\n\n", "＃人物のＹ位置が指定されていません", "ok.bmp", 4},
      // "マスク" takes BMP pictures only.
      {"＃人物　マスク\nfine.jpg\n", "＃人物のファイル名が違います", "fine.jpg", 2},
  };
  for (const auto& c : cases) {
    WriteGame(game, std::string(c.scenario) + "＃人物\nok.bmp\n＃クリック待ち\n");
    auto run = RunHeadless(game.path(), "wait\nclick 1 1\nwait\nshot after.png\n");
    EXPECT_EQ(run.exitCode, 0) << c.scenario;
    auto errors = run.Events("error");
    ASSERT_EQ(errors.size(), 1u) << c.scenario;
    EXPECT_EQ(errors[0].Text("message"), c.message);
    EXPECT_EQ(errors[0].Text("detail"), c.detail);
    EXPECT_EQ(errors[0].Number("line"), c.line) << c.scenario;
    EXPECT_EQ(run.Shot("after.png").At(5, 5), Shown(kRed)) << c.scenario;
  }
}

// The flags behind the frames: a failed load leaves the layer shown, and
// the restart of the start scenario hides every layer and turns the
// translucency switch back on.
class LayerStateTest : public kbtest::EngineTest {
 protected:
  static void Click() {
    kb::InputEvent click;
    click.type = kb::EventType::LeftButtonDown;
    kb::HandleEvent(click);
  }
};

TEST_F(LayerStateTest, FailedLoadKeepsTheLayerShownUntilTheRestart) {
  LoadScenarioText("＃半透明オフ\n＃人物\nmissing.bmp\n＃最前景\n\n");
  RunUntilWaiting();
  EXPECT_EQ(kb::layerState.translucencySwitch, 0);
  EXPECT_EQ(kb::layerState.figureShown, 1);
  Click();  // closes the error page
  RunUntilWaiting();
  EXPECT_EQ(kb::layerState.topmostShown, 1);
  Click();
  RunUntilWaiting();  // runs off the end: the restart notice
  EXPECT_EQ(kb::layerState.figureShown, 0);
  EXPECT_EQ(kb::layerState.topmostShown, 0);
  EXPECT_EQ(kb::layerState.translucencySwitch, 1);
  Click();
  LoadScenarioText("＃半透明\n");
  kb::layerState.translucencySwitch = 0;
  RunUntilWaiting(1);
  EXPECT_EQ(kb::layerState.translucencySwitch, 1);
}

}  // namespace
