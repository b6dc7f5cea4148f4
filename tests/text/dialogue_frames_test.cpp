// The dialogue box and screen text as the player sees them: frames of the
// real executable run headless.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "support/game_fixture.h"
#include "support/picture_files.h"

using kbtest::Frame;
using kbtest::RunHeadless;
using kbtest::TempFolder;

namespace {

void WriteGame(TempFolder& game, const std::string& scenario) {
  game.WriteText("mero.ini", "＃ウインドウ\n＃注意オフ\n");
  game.WriteText("start.txt", scenario);
}

// Frames pass through 16-bit surfaces: channels come back within a few
// steps of what was asked for.
::testing::AssertionResult Near(const Frame& f, int x, int y, int r, int g, int b) {
  const Frame::Pixel p = f.At(x, y);
  if (std::abs(p.r - r) <= 8 && std::abs(p.g - g) <= 8 && std::abs(p.b - b) <= 8)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is (" << p.r << ", " << p.g << ", "
                                       << p.b << "), expected about (" << r << ", " << g << ", " << b << ")";
}

// The bounding box of the pixels of one colour: where a text was drawn.
struct Box {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;  // right and bottom inclusive
  bool Empty() const { return right < 0; }
};
Box PixelsOf(const Frame& f, int r, int g, int b) {
  Box box;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      const Frame::Pixel p = f.At(x, y);
      if (std::abs(p.r - r) > 8 || std::abs(p.g - g) > 8 || std::abs(p.b - b) > 8) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x);
      box.bottom = std::max(box.bottom, y);
    }
  return box;
}

// The glyphs of a line lie inside its row: [top, top + height).
::testing::AssertionResult InRow(const Box& b, int top, int height) {
  if (b.Empty()) return ::testing::AssertionFailure() << "nothing drawn";
  if (b.top >= top && b.bottom < top + height && b.left >= 10) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "drawn at x " << b.left << ".." << b.right << ", y " << b.top << ".." << b.bottom
         << "; the row is y " << top << ".." << top + height - 1;
}

TEST(DialogueFrames, RowsAndPagesOfTheDefaultBox) {
  TempFolder game;
  WriteGame(game,
            "＃セリフ赤\n赤い一行目\n＃文字緑\n緑の二行目\n＃文字青\n青の三行目\n＃文字黄\n黄の四行目\n"
            "＃文字シアン\n五行目は次のページ\n\n");
  auto run = RunHeadless(game.path(), "wait\nshot page1.png\nclick 1 1\nwait\nshot page2.png\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  const Frame page1 = run.Shot("page1.png");
  EXPECT_TRUE(InRow(PixelsOf(page1, 255, 0, 0), 370, 18));
  EXPECT_TRUE(InRow(PixelsOf(page1, 0, 255, 0), 390, 18));
  EXPECT_TRUE(InRow(PixelsOf(page1, 0, 0, 255), 410, 18));
  EXPECT_TRUE(InRow(PixelsOf(page1, 255, 255, 0), 430, 18));
  EXPECT_TRUE(PixelsOf(page1, 0, 255, 255).Empty()) << "the fifth line waits for the click";
  const Frame page2 = run.Shot("page2.png");
  EXPECT_TRUE(InRow(PixelsOf(page2, 0, 255, 255), 370, 18));
  EXPECT_TRUE(PixelsOf(page2, 255, 0, 0).Empty()) << "a new page clears the box";
}

TEST(DialogueFrames, AChainIsOneRowWithItsSegmentsCentred) {
  TempFolder game;
  WriteGame(game,
            "＃セリフ赤\nあいう\n＃文字青大追加\nかきく\n＃文字緑追加\nさしす\n＃文字黄\n次の行\n\n"
            "＃セリフオフ\n＃文章赤\n画面の文字\n\n");
  auto run = RunHeadless(game.path(), "wait\nshot chain.png\nclick 1 1\nwait\nshot page.png\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  const Frame f = run.Shot("chain.png");
  const Box red = PixelsOf(f, 255, 0, 0), blue = PixelsOf(f, 0, 0, 255), green = PixelsOf(f, 0, 255, 0);
  EXPECT_TRUE(InRow(red, 380, 18)) << "an 18-pixel segment sits (38 - 18) / 2 below the row's top";
  EXPECT_TRUE(InRow(blue, 370, 38));
  EXPECT_GT(blue.bottom, 390) << "the middle segment is 38 high";
  EXPECT_TRUE(InRow(green, 380, 18));
  EXPECT_LT(red.right, blue.left);
  EXPECT_LT(blue.right, green.left);
  EXPECT_TRUE(InRow(PixelsOf(f, 255, 255, 0), 410, 18)) << "the next row is 38 + 2 lower";
  const Frame page = run.Shot("page.png");
  EXPECT_TRUE(InRow(PixelsOf(page, 255, 0, 0), 10, 18)) << "screen text starts at the top left";
}

TEST(DialogueFrames, OneCharacterModeRevealsOnTheAnimationTicks) {
  TempFolder game;
  WriteGame(game, "＃一文字\n＃セリフ赤待ちオフ\nああああああああああ\n\n＃一文字オフ\n＃文章緑\n次\n\n");
  auto run = RunHeadless(game.path(),
                         "wait\nadvance 205\nshot half.png\nadvance 204\nshot nine.png\n"
                         "advance 1\nshot all.png\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  // A tick runs once more than 40 ms have passed: at 41, 82, … 410 ms.
  const Box half = PixelsOf(run.Shot("half.png"), 255, 0, 0);
  const Box nine = PixelsOf(run.Shot("nine.png"), 255, 0, 0);
  const Frame all = run.Shot("all.png");
  const Box full = PixelsOf(all, 255, 0, 0);
  ASSERT_FALSE(half.Empty());
  EXPECT_LT(half.right, 30 + 5 * 18) << "five characters of 18 pixels";
  EXPECT_GT(half.right, 30 + 3 * 18);
  EXPECT_LT(half.right, nine.right);
  EXPECT_LT(nine.right, full.right);
  EXPECT_TRUE(PixelsOf(run.Shot("nine.png"), 0, 255, 0).Empty()) << "the next line waits for the reveal";
  EXPECT_FALSE(PixelsOf(all, 0, 255, 0).Empty());
}

TEST(DialogueFrames, BackingAndFrameOfTheBox) {
  TempFolder game;
  WriteGame(game,
            "＃セリフ半透明白\n＃セリフ\nあ\n\n"
            "＃セリフ半透明白純\n＃セリフ\nい\n\n"
            "＃セリフ半透明オフ\n＃セリフ位置\n100\n100\n200\n50\n＃セリフ\nう\n\n"
            "＃セリフオフ\n＃クリック待ち\n");
  auto run =
      RunHeadless(game.path(),
                  "wait\nshot light.png\nclick 1 1\nwait\nshot solid.png\nclick 1 1\nwait\nshot moved.png\n"
                  "click 1 1\nwait\nshot off.png\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_TRUE(run.Events("error").empty());

  const Frame light = run.Shot("light.png");
  EXPECT_TRUE(Near(light, 20, 360, 100, 100, 255)) << "the drawn frame's border";
  EXPECT_TRUE(Near(light, 618, 458, 100, 100, 255));
  EXPECT_TRUE(Near(light, 300, 450, 128, 128, 128)) << "black lightened at the normal level";
  EXPECT_TRUE(Near(light, 300, 470, 0, 0, 0)) << "below the box";
  EXPECT_TRUE(Near(light, 10, 10, 0, 0, 0));

  const Frame solid = run.Shot("solid.png");
  EXPECT_TRUE(Near(solid, 300, 450, 255, 255, 255)) << "純: a solid white backing";

  const Frame moved = run.Shot("moved.png");
  EXPECT_TRUE(Near(moved, 100, 100, 100, 100, 255)) << "the frame follows the new rectangle";
  EXPECT_TRUE(Near(moved, 200, 140, 0, 0, 0)) << "no backing with translucency off";
  EXPECT_TRUE(Near(moved, 20, 360, 0, 0, 0)) << "the old frame is gone";

  const Frame off = run.Shot("off.png");
  EXPECT_TRUE(Near(off, 100, 100, 0, 0, 0)) << "＃セリフオフ hides the box";
}

TEST(DialogueFrames, AFramePictureReplacesTheDrawnFrame) {
  TempFolder game;
  WriteGame(game,
            "＃セリフ枠\nwaku.bmp\n＃セリフ\nあ\n\n"
            "＃セリフ位置\n0\n0\n100\n100\n＃セリフ\nい\n\n"
            "＃セリフ枠\nnai.bmp\n＃セリフ\nう\n\n");
  // White is transparent; a green band stands for the picture's frame.
  game.WriteBytes(
      "waku.bmp", kbtest::MakeBmp24(640, 480, [](int, int y) {
        return y >= 340 && y < 350 ? kbtest::RgbTriple{0, 255, 0} : kbtest::RgbTriple{255, 255, 255};
      }));
  auto run = RunHeadless(game.path(),
                         "wait\nshot picture.png\nclick 1 1\nwait\nshot moved.png\nclick 1 1\nwait\n"
                         "click 1 1\nwait\nshot missing.png\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  const Frame picture = run.Shot("picture.png");
  EXPECT_TRUE(Near(picture, 300, 345, 0, 255, 0));
  EXPECT_TRUE(Near(picture, 20, 360, 0, 0, 0)) << "no drawn border under a frame picture";
  const Frame moved = run.Shot("moved.png");
  EXPECT_TRUE(Near(moved, 300, 345, 0, 255, 0)) << "moving the box keeps the frame picture";
  EXPECT_TRUE(Near(moved, 0, 0, 0, 0, 0));
  const auto errors = run.Events("error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].Text("message"), "＃セリフ枠のファイル名が違います");
  EXPECT_EQ(errors[0].Text("detail"), "nai.bmp");
  const Frame missing = run.Shot("missing.png");
  EXPECT_TRUE(Near(missing, 0, 0, 100, 100, 255)) << "a failed load brings the drawn frame back";
  EXPECT_TRUE(Near(missing, 300, 345, 0, 0, 0));
}

TEST(DialogueFrames, CtrlHidesTheTextWindowUntilPressedAgain) {
  TempFolder game;
  WriteGame(game, "＃セリフ\nあ\n\n＃文章半透明オン\n＃文章\nい\n\n");
  auto run = RunHeadless(game.path(),
                         "wait\nkey CTRL\nwait\nshot hidden.png\nkey CTRL\nwait\nshot shown.png\nclick 1 1\nwait\n"
                         "key CTRL\nwait\nshot text-hidden.png\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_TRUE(Near(run.Shot("hidden.png"), 20, 360, 0, 0, 0));
  EXPECT_TRUE(Near(run.Shot("shown.png"), 20, 360, 100, 100, 255));
  // "＃文章" shows the window again; Ctrl then hides both the box and the
  // screen text.
  const Frame textHidden = run.Shot("text-hidden.png");
  EXPECT_TRUE(Near(textHidden, 20, 360, 0, 0, 0));
  EXPECT_TRUE(PixelsOf(textHidden, 247, 247, 247).Empty());
}

}  // namespace
