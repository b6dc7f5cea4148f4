// Choices played through the executable: picking by click, keys, pointer
// and time limit, the picture choice, and the frames of the choice window.
// Each answer's body is a line such as "＃印二", which is no command: it
// shows the error page with itself as the detail, marking where execution
// went.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "support/game_fixture.h"

namespace {

using Colour = kbtest::Frame::Pixel;

// A 24-bit BMP file of w x h pixels.
std::string Bmp(int w, int h, const std::function<Colour(int, int)>& colour) {
  const int rowBytes = (w * 3 + 3) / 4 * 4;
  std::string out;
  auto put = [&](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  out = "BM";
  put(static_cast<std::uint32_t>(54 + rowBytes * h), 4);
  put(0, 4);
  put(54, 4);
  put(40, 4);
  put(static_cast<std::uint32_t>(w), 4);
  put(static_cast<std::uint32_t>(h), 4);
  put(1, 2);
  put(24, 2);
  put(0, 4);
  put(static_cast<std::uint32_t>(rowBytes * h), 4);
  put(2835, 4);
  put(2835, 4);
  put(0, 4);  // colours used
  put(0, 4);  // important colours
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const Colour c = colour(x, y);
      out.push_back(static_cast<char>(c.b));
      out.push_back(static_cast<char>(c.g));
      out.push_back(static_cast<char>(c.r));
    }
    out.append(static_cast<std::size_t>(rowBytes - w * 3), '\0');
  }
  return out;
}

constexpr Colour kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255},
    kMagenta{255, 0, 255};

const std::string kThreeAnswers =
    "＃選択\nはい\nいいえ\nたぶん\n\n＃1\n＃印一\n＃2\n＃印二\n＃3\n＃印三\n＃0\n＃印零\n＃＃＃＃\n＃印後\n";

struct Game {
  kbtest::TempFolder folder;
  explicit Game(const std::string& start) {
    folder.WriteText("mero.ini", "＃ウインドウ\n＃注意オフ\n");
    folder.WriteText("start.txt", start);
  }
  kbtest::RunResult Play(const std::string& script) const {
    return kbtest::RunHeadless(folder.path(), script);
  }
};

std::vector<std::string> Details(const kbtest::RunResult& run) {
  std::vector<std::string> out;
  for (const auto& e : run.Events("error")) out.push_back(e.Text("detail"));
  return out;
}

std::string FirstDetail(const kbtest::RunResult& run) {
  auto d = Details(run);
  return d.empty() ? "(no error page)" : d.front();
}

TEST(ChoicePlay, PicksByClickKeysAndPointer) {
  const struct {
    const char* script;
    const char* landed;
  } cases[] = {
      // A click beside the window does nothing; one on the second row picks it.
      {"wait\nclick 10 10\nwait\nclick 110 225\nwait\n", "＃印二"},
      // Enter with nothing highlighted picks nothing; the arrows stop at the ends.
      {"wait\nkey ENTER\nwait\nkey DOWN\nkey DOWN\nkey DOWN\nkey DOWN\nkey UP\nkey ENTER\nwait\n", "＃印二"},
      // The pointer highlights; moving off the answers keeps the highlight.
      {"wait\nmove 110 245\nmove 10 10\nkey ENTER\nwait\n", "＃印三"},
  };
  Game game(kThreeAnswers);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    auto run = game.Play(c.script);
    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(FirstDetail(run), c.landed);
  }
}

TEST(ChoicePlay, TimeLimitContinuesAtLabelZero) {
  std::string start = kThreeAnswers;
  start.replace(0, std::string("＃選択").size(), "＃選択＃時間（50）＃");
  Game game(start);
  auto run = game.Play("wait\nadvance 50\nadvance 1\nwait\n");
  ASSERT_EQ(Details(run), std::vector<std::string>{"＃印零"});
  EXPECT_EQ(run.Events("error")[0].t, 51) << "the limit has passed when more than 50 ms have gone";

  // A pick disarms the timer.
  auto picked = game.Play("wait\nclick 110 205\nwait\nadvance 1000\n");
  EXPECT_EQ(Details(picked), std::vector<std::string>{"＃印一"});
}

TEST(ChoicePlay, TimeLimitWithoutLabelZeroIsReported) {
  Game game("＃選択＃時間（0）＃\nはい\n\n＃1\n＃印一\n＃＃＃＃\n＃印後\n");
  auto run = game.Play("wait\nadvance 1\nclick 1 1\nwait\n");
  const auto errors = run.Events("error");
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].Text("message"), "時間制限の該当ラベル（＃０）がありません");
  EXPECT_EQ(errors[0].Text("detail"), "＃選択～＃＃＃＃をチェックしてください");
  EXPECT_EQ(errors[1].Text("detail"), "＃印後") << "the bodies are passed over";
}

TEST(ChoicePlay, PictureChoiceFollowsTheBackScreenColour) {
  Game game(
      "＃選択裏画面\nback.bmp\n赤＃音（pin.wav）＃\n青＃絵（hover."
      "bmp）＃\n\n＃1\n＃印赤\n＃2\n＃印青\n＃＃＃＃\n");
  // Red on the left, blue in the middle, green (no answer) on the right.
  game.folder.WriteBytes("back.bmp", Bmp(640, 480, [](int x, int) {
                           return x < 320 ? kRed : x < 600 ? kBlue : kGreen;
                         }));
  game.folder.WriteBytes("hover.bmp", Bmp(640, 480, [](int x, int y) {
                           return x >= 400 && x < 450 && y >= 300 && y < 350 ? kGreen : kWhite;
                         }));
  game.folder.WriteBytes("pin.wav", "RIFF");
  auto run = game.Play(
      "wait\nmove 100 100\nmove 110 100\nmove 500 100\nmove 510 100\nwait\nshot hover.png\n"
      "move 100 400\nwait\nshot plain.png\nkey ENTER\nkey DOWN\nclick 620 100\nwait\nclick 500 100\nwait\n");
  EXPECT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_EQ(Details(run), std::vector<std::string>{"＃印青"});

  // Moving onto red plays its sound, onto blue (no sound) beeps; moving
  // within an answer does neither.
  std::vector<std::string> feedback;
  for (const auto& e : run.trace) {
    if (e.ev == "error") break;
    if (e.ev == "sound") feedback.push_back("sound " + e.Text("file"));
    if (e.ev == "beep") feedback.push_back("beep");
  }
  EXPECT_EQ(feedback, (std::vector<std::string>{"sound pin.wav", "beep", "sound pin.wav"}));

  EXPECT_EQ(run.Shot("hover.png").At(420, 320), kGreen);
  EXPECT_EQ(run.Shot("hover.png").At(100, 100), kBlack) << "the back screen itself stays hidden";
  EXPECT_EQ(run.Shot("plain.png").At(420, 320), kBlack);
}

// ---------------------------------------------------------------------------
// Frames of the text choice on a black screen: the backing is darkened
// black, so what is not black is the frame and the bar.

TEST(ChoiceFrames, OneColumnFrameAndBar) {
  Game game(kThreeAnswers);
  auto run = game.Play("wait\nkey DOWN\nkey DOWN\nwait\nshot f.png\n");
  const kbtest::Frame f = run.Shot("f.png");
  EXPECT_EQ(f.At(100, 200), kBlue);
  EXPECT_EQ(f.At(102, 202), kBlue) << "the border is the margin wide";
  EXPECT_EQ(f.At(99, 200), kBlack);
  EXPECT_EQ(f.At(103, 223), kRed) << "the bar behind answer 2";
  EXPECT_EQ(f.At(103, 242), kRed);
  EXPECT_EQ(f.At(103, 243), kBlack);
  EXPECT_EQ(f.At(103, 222), kBlack);
  // The answers' glyphs, light grey, stand in their rows inside the window.
  auto light = [&](int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += f.At(x, y).r > 200 && f.At(x, y).g > 200 && f.At(x, y).b > 200;
    return n;
  };
  EXPECT_GT(light(103, 203, 150, 223), 20) << "answer 1";
  EXPECT_GT(light(103, 243, 150, 263), 20) << "answer 3";
  EXPECT_EQ(light(0, 0, 640, 200) + light(0, 266, 640, 480), 0) << "nothing outside the window";
}

TEST(ChoiceFrames, TwoColumnBarIsOneColumnWide) {
  std::string start = "＃選択\n";
  for (int i = 1; i <= 12; ++i) start += "答" + std::to_string(i) + "\n";
  start += "\n＃＃＃＃\n";
  Game game(start);
  std::string script = "wait\n";
  for (int i = 0; i < 8; ++i) script += "key DOWN\n";
  auto run = game.Play(script + "wait\nshot f.png\n");
  const kbtest::Frame f = run.Shot("f.png");
  // Answer 8 is the second row of the second column.
  EXPECT_EQ(f.At(268, 223), kRed);
  EXPECT_EQ(f.At(427, 242), kRed);
  EXPECT_EQ(f.At(428, 223), kBlue) << "160 wide, up to the window's border";
  EXPECT_EQ(f.At(267, 223), kBlack);
  EXPECT_EQ(f.At(430, 325), kBlue) << "the window is 331 x 126";
  EXPECT_EQ(f.At(431, 325), kBlack);
}

TEST(ChoiceFrames, CustomFrameAndHighlightColour) {
  Game game("＃選択反転色 緑\n＃選択枠\nframe.bmp\n" + kThreeAnswers);
  game.folder.WriteBytes("frame.bmp", Bmp(640, 480, [](int x, int y) {
                           return x >= 10 && x < 20 && y >= 10 && y < 20 ? kMagenta : kWhite;
                         }));
  auto run = game.Play("wait\nkey DOWN\nwait\nshot f.png\n");
  EXPECT_TRUE(run.Events("error").empty()) << FirstDetail(run);
  const kbtest::Frame f = run.Shot("f.png");
  EXPECT_EQ(f.At(15, 15), kMagenta);
  EXPECT_EQ(f.At(100, 200), kBlack) << "no blue frame";
  EXPECT_EQ(f.At(103, 203), kGreen);
}

TEST(ChoiceFrames, AnswersInsideTheDialogueBox) {
  Game game("＃選択位置セリフ\n" + kThreeAnswers);
  auto run = game.Play("wait\nkey DOWN\nwait\nshot f.png\n");
  EXPECT_TRUE(run.Events("error").empty()) << FirstDetail(run);
  const kbtest::Frame f = run.Shot("f.png");
  EXPECT_EQ(f.At(30, 370), kRed) << "the bar inside the box's 10-pixel margin";
  EXPECT_EQ(f.At(29, 370), kBlack);
  EXPECT_EQ(f.At(20, 360).b, 255) << "the dialogue box's frame over the answers";
  EXPECT_EQ(f.At(100, 200), kBlack) << "no window at the old position";
}

}  // namespace
