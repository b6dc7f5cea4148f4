// Pictures by name: the loaders that draw into a surface and the ones that
// hold a bitmap, JPEG and BMP, plain and packed games, and broken files.
#include "display/picture_loader.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "display/surface_set.h"
#include "script/call_stack.h"
#include "shell/packed_mode.h"
#include "support/engine_fixture.h"
#include "support/picture_files.h"

using namespace kb;

namespace {

using kbtest::MakeBmp24;
using kbtest::MakeJpeg;
using kbtest::RgbTriple;

std::string Scrambled(std::string bytes) {
  ScrambleBytes(bytes);
  return bytes;
}

// A w x h JPEG, its pixel (x, y) given as R, G, B.
std::string Jpeg(int w, int h, const std::function<RgbTriple(int, int)>& colour) {
  return MakeJpeg(w, h, 3, [&](int x, int y) {
    RgbTriple c = colour(x, y);
    return std::array<int, 4>{c[0], c[1], c[2], 0};
  });
}

// The JPEG's first start-of-frame marker: height and width follow 3 bytes in.
std::size_t FrameHeader(const std::string& jpeg) {
  for (std::size_t i = 2; i + 1 < jpeg.size(); ++i)
    if (static_cast<unsigned char>(jpeg[i]) == 0xFF && (static_cast<unsigned char>(jpeg[i + 1]) & 0xF0) == 0xC0 &&
        static_cast<unsigned char>(jpeg[i + 1]) != 0xC4)
      return i;
  return 0;
}

class PictureLoaderTest : public kbtest::EngineTest {
 protected:
  Surface& picture() { return SurfaceOf(SurfaceId::picture); }

  // The pixel's colour within what the 16-bit format and JPEG may change.
  static bool Near(const Surface& s, int x, int y, RgbTriple want) {
    Rgb c = PixelToRgb(s, x, y);
    return std::abs(c.r - want[0]) <= 12 && std::abs(c.g - want[1]) <= 12 && std::abs(c.b - want[2]) <= 12;
  }
  static bool IsMaskColour(const Surface& s, int x, int y) {
    const MaskColour& m = displayState.maskColour;
    return s.GetPixel(x, y) == RgbToPixel(m.r, m.g, m.b);
  }
};

TEST_F(PictureLoaderTest, JpegRowsGoStraightIntoTheSurfaceCutToIt) {
  // 800x600: red left, blue right, green below row 300.
  game->WriteBytes("big.jpg", Jpeg(800, 600, [](int x, int y) {
    return y >= 300 ? RgbTriple{0, 255, 0} : x < 400 ? RgbTriple{255, 0, 0} : RgbTriple{0, 0, 255};
  }));
  game->WriteBytes("small.jpg", Jpeg(320, 240, [](int, int) { return RgbTriple{255, 255, 0}; }));
  ASSERT_EQ(LoadJpegToSurface("big.jpg", picture()), JpegLoad::Drawn);
  EXPECT_TRUE(Near(picture(), 10, 10, {255, 0, 0}));
  EXPECT_TRUE(Near(picture(), 639, 10, {0, 0, 255}));
  EXPECT_TRUE(Near(picture(), 639, 479, {0, 255, 0}));

  displayState.maskColour = {0, 0, 255};
  ASSERT_EQ(LoadJpegToSurface("small.jpg", picture()), JpegLoad::Drawn);
  EXPECT_TRUE(Near(picture(), 319, 239, {255, 255, 0}));
  EXPECT_TRUE(IsMaskColour(picture(), 320, 0));
  EXPECT_TRUE(IsMaskColour(picture(), 0, 240));
}

TEST_F(PictureLoaderTest, GreyJpegShowsGreyAndCmykDrawsNothing) {
  game->WriteBytes("grey.jpg", MakeJpeg(16, 16, 1, [](int, int) { return std::array<int, 4>{100, 0, 0, 0}; }));
  game->WriteBytes("cmyk.jpg", MakeJpeg(16, 16, 4, [](int, int) { return std::array<int, 4>{0, 255, 255, 0}; }));
  ASSERT_EQ(LoadJpegToSurface("grey.jpg", picture()), JpegLoad::Drawn);
  EXPECT_TRUE(Near(picture(), 5, 5, {100, 100, 100}));
  EXPECT_EQ(LoadJpegToSurface("cmyk.jpg", picture()), JpegLoad::NothingDrawn);
  EXPECT_TRUE(IsMaskColour(picture(), 5, 5));

  RgbImage image;
  EXPECT_TRUE(LoadPictureBitmap("cmyk.jpg", image));  // loaded, but there is nothing to paste
  EXPECT_TRUE(image.Empty());
  ASSERT_TRUE(LoadPictureBitmap("grey.jpg", image));
  EXPECT_EQ(image.width, 16);
  EXPECT_NEAR(image.Row(3)[3 * 3 + 1], 100, 2);
}

// The decoder's fatal errors are load failures of the caller, never the end
// of the program; damage it can mend is ignored.
TEST_F(PictureLoaderTest, BrokenJpegIsALoadFailure) {
  const std::string good = Jpeg(64, 48, [](int x, int) { return RgbTriple{x * 4, 0, 0}; });
  std::string huge = good;
  const std::size_t sof = FrameHeader(huge);
  ASSERT_NE(sof, 0u);
  huge.replace(sof + 5, 4, "\xFD\xE8\xFD\xE8");  // 65000 x 65000
  const struct {
    const char* what;
    std::string bytes;
    JpegLoad result;
  } cases[] = {
      {"only the signature", "\xFF\xD8\xFF", JpegLoad::Failed},
      {"signature and noise", "\xFF\xD8\xFF\xE0" + std::string(300, '\x5A'), JpegLoad::Failed},
      {"cut inside the header", good.substr(0, 120), JpegLoad::Failed},
      {"an absurd size", huge, JpegLoad::Failed},
      {"cut inside the picture data", good.substr(0, good.size() * 2 / 3), JpegLoad::Drawn},
      {"empty", "", JpegLoad::Failed},
  };
  for (const auto& c : cases) {
    game->WriteBytes("x.jpg", c.bytes);
    FillRect(picture(), 0, 0, 640, 480, 1, 2, 3);
    EXPECT_EQ(LoadJpegToSurface("x.jpg", picture()), c.result) << c.what;
    if (c.result == JpegLoad::Failed) {
      EXPECT_TRUE(IsMaskColour(picture(), 0, 0)) << c.what;
      RgbImage image;
      EXPECT_EQ(LoadJpegBitmap("x.jpg", image), JpegLoad::Failed) << c.what;
      EXPECT_TRUE(image.Empty()) << c.what;
    }
  }
  EXPECT_EQ(LoadJpegToSurface("missing.jpg", picture()), JpegLoad::Failed);
}

TEST_F(PictureLoaderTest, JpegOrBmpByContentInPlainGamesByExtensionInPacked) {
  const std::string jpeg = Jpeg(8, 8, [](int, int) { return RgbTriple{0, 0, 0}; });
  const std::string bmp = MakeBmp24(8, 8, [](int, int) { return RgbTriple{0, 0, 0}; });
  game->MakeFolder("pic");
  game->WriteBytes("pic/a.jpg", jpeg);
  game->WriteBytes("pic/b.bmp", bmp);
  game->WriteBytes("pic/c.jpg", bmp);  // named wrongly: the content decides
  mediaPaths.picture = "pic\\";
  EXPECT_TRUE(IsJpegPicture("a.jpg"));
  EXPECT_TRUE(IsJpegPicture("A.JPG"));
  EXPECT_FALSE(IsJpegPicture("b.bmp"));
  EXPECT_FALSE(IsJpegPicture("c.jpg"));
  EXPECT_FALSE(IsJpegPicture("missing"));
  EXPECT_FALSE(IsJpegPicture(""));

  EnterPackedMode();
  game->WriteBytes("pic/p.sj1", Scrambled(jpeg));
  game->WriteBytes("pic/q.sb1", bmp);
  EXPECT_TRUE(IsJpegPicture("p"));
  EXPECT_FALSE(IsJpegPicture("q"));
  EXPECT_EQ(JpegPicturePath("p"), "pic\\p.sj1");
  EXPECT_EQ(PicturePath("q"), "pic\\q.sb1");
}

TEST_F(PictureLoaderTest, PackedJpegIsUnscrambledIntoJpDeco) {
  EnterPackedMode();
  const std::string jpeg = Jpeg(32, 32, [](int, int) { return RgbTriple{0, 255, 0}; });
  game->WriteBytes("g.sj1", Scrambled(jpeg));
  game->WriteBytes("empty.sj1", "");
  ASSERT_EQ(LoadJpegToSurface("g", picture()), JpegLoad::Drawn);
  EXPECT_TRUE(Near(picture(), 31, 31, {0, 255, 0}));
  EXPECT_EQ(game->ReadBytes("jp_deco"), jpeg);

  // A file that cannot be unscrambled fails; the copy left by the picture
  // before is not shown in its place.
  EXPECT_EQ(LoadJpegToSurface("empty", picture()), JpegLoad::Failed);
  EXPECT_TRUE(IsMaskColour(picture(), 0, 0));
  RgbImage image;
  EXPECT_FALSE(LoadPictureBitmap("empty", image));
  ASSERT_TRUE(LoadPictureBitmap("g", image));
  EXPECT_EQ(image.width, 32);
}

TEST_F(PictureLoaderTest, BmpCoversItsSizeAndLeavesTheMaskColour) {
  EnterPackedMode();
  const std::string bmp = MakeBmp24(320, 240, [](int x, int y) { return RgbTriple{x % 256, y, 200}; });
  game->WriteBytes("half.sb1", bmp);
  game->WriteBytes("marked.sb1", "XQ" + bmp);
  game->WriteBytes("bad.sb1", "BM broken");
  displayState.maskColour = {0, 255, 0};
  for (const char* name : {"half", "marked"}) {
    ASSERT_TRUE(LoadPicture(picture(), name, 640, 480)) << name;
    EXPECT_EQ(picture().GetPixel(100, 50), RgbToPixel(100, 50, 200)) << name;
    EXPECT_EQ(picture().GetPixel(319, 239), RgbToPixel(319 % 256, 239, 200)) << name;
    EXPECT_TRUE(IsMaskColour(picture(), 320, 0)) << name;
    EXPECT_TRUE(IsMaskColour(picture(), 0, 240)) << name;
  }
  // A smaller rectangle is all that is drawn (and filled).
  FillRect(picture(), 0, 0, 640, 480, 1, 2, 3);
  ASSERT_TRUE(LoadPicture(picture(), "half", 10, 10));
  EXPECT_EQ(picture().GetPixel(9, 9), RgbToPixel(9, 9, 200));
  EXPECT_EQ(picture().GetPixel(10, 9), RgbToPixel(1, 2, 3));

  for (const char* name : {"bad", "missing"}) {
    FillRect(picture(), 0, 0, 640, 480, 1, 2, 3);
    EXPECT_FALSE(LoadPicture(picture(), name, 640, 480)) << name;
    EXPECT_TRUE(IsMaskColour(picture(), 639, 479)) << name;
  }
}

TEST_F(PictureLoaderTest, BitmapIsPastedAtAnOffset) {
  const std::string bmp = MakeBmp24(700, 100, [](int x, int y) { return RgbTriple{x % 256, y, 7}; });
  game->WriteBytes("wide.bmp", bmp);
  RgbImage image;
  ASSERT_TRUE(LoadPictureBitmap("wide.bmp", image));
  ASSERT_EQ(image.width, 700);
  Surface& work = SurfaceOf(SurfaceId::workB);
  PasteBitmap(work, image, -10, 20);
  EXPECT_TRUE(IsMaskColour(work, 0, 19));
  EXPECT_EQ(work.GetPixel(0, 20), RgbToPixel(10, 0, 7));
  // At most 640 x 480 pixels are taken from the bitmap's top-left corner.
  EXPECT_EQ(work.GetPixel(629, 119), RgbToPixel(639 % 256, 99, 7));
  EXPECT_TRUE(IsMaskColour(work, 630, 20));
  EXPECT_TRUE(IsMaskColour(work, 0, 120));
  PasteBitmap(work, image, 630, 470);
  EXPECT_EQ(work.GetPixel(639, 479), RgbToPixel(9, 9, 7));
  PasteBitmap(work, image, 640, 0);  // entirely outside: only the fill
  EXPECT_TRUE(IsMaskColour(work, 639, 0));
  EXPECT_FALSE(LoadPictureBitmap("missing.bmp", image));
}

}  // namespace
