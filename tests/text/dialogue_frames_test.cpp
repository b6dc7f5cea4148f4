// The dialogue box and screen text as the player sees them: frames of the
// real executable run headless.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/game_fixture.h"

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

}  // namespace
