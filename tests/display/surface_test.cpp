// Pixel formats, conversions and the drawing primitives of the surfaces.
#include "display/surface.h"

#include <gtest/gtest.h>

#include "display/surface_set.h"
#include "support/engine_fixture.h"

using namespace kb;

namespace {

Surface Make(int w, int h, const PixelLayout& layout) {
  Surface s;
  s.Create(w, h, layout);
  return s;
}

struct Channels {
  unsigned r, g, b;
  bool operator==(const Channels&) const = default;
};

Channels Split(const PixelFormat& f, std::uint32_t p) {
  return {(p & f.rMask) >> f.rShift, (p & f.gMask) >> f.gShift, (p & f.bMask) >> f.bShift};
}

TEST(PixelFormat, RgbToPixel) {
  const struct {
    PixelLayout layout;
    int r, g, b;
    Channels expected;
  } cases[] = {
      {kLayout565, 300, -5, 128, {31, 63, 16}},  // out of range: 255 (also a negative component)
      {kLayout565, 100, 100, 255, {12, 25, 31}},
      {kLayout565, 8, 4, 7, {1, 1, 0}},  // a field narrower than 8 bits takes the top bits
      {kLayout565, 255, 255, 255, {31, 63, 31}},
      {kLayout565, 0, 0, 0, {0, 0, 0}},
      {kLayout555, 300, -5, 128, {31, 31, 16}},
      {kLayout555, 100, 100, 255, {12, 12, 31}},
      {kLayout888, 100, 100, 255, {100, 100, 255}},
      {kLayout888, 254, 255, -1, {254, 255, 255}},
  };
  for (const auto& c : cases) {
    PixelFormat f = ReadPixelFormat(Make(1, 1, c.layout));
    SCOPED_TRACE(testing::Message() << c.r << "," << c.g << "," << c.b << " in " << f.rMax << "/" << f.gMax);
    EXPECT_EQ(Split(f, RgbToPixel(f, c.r, c.g, c.b)), c.expected);
  }
}

TEST(PixelFormat, PixelToRgb) {
  PixelFormat f565 = ReadPixelFormat(Make(1, 1, kLayout565));
  EXPECT_EQ(f565.rShift, 11);
  EXPECT_EQ(f565.gMax, 63u);
  Rgb c = PixelValueToRgb(f565, (31u << 11) | (32u << 5) | 0u);
  EXPECT_EQ(c.r, 255);
  EXPECT_EQ(c.g, 129);
  EXPECT_EQ(c.b, 0);
  PixelFormat f555 = ReadPixelFormat(Make(1, 1, kLayout555));
  c = PixelValueToRgb(f555, (16u << 10) | (31u << 5) | 1u);
  EXPECT_EQ(c.r, 131);
  EXPECT_EQ(c.g, 255);
  EXPECT_EQ(c.b, 8);
  PixelFormat f888 = ReadPixelFormat(Make(1, 1, kLayout888));
  c = PixelValueToRgb(f888, 0x123456);
  EXPECT_EQ(c.r, 0x12);
  EXPECT_EQ(c.g, 0x34);
  EXPECT_EQ(c.b, 0x56);
}

TEST(Surface, FillAndKeyedCopyUseThePitch) {
  for (const PixelLayout& layout : {kLayout565, kLayout888}) {
    Surface src = Make(8, 4, layout), dst = Make(10, 6, layout);
    ASSERT_GT(src.pitch, src.width * src.bytesPerPixel);
    FillPixels(dst, 0, 0, 10, 6, 0x1111);
    FillPixels(src, 0, 0, 8, 4, 0x2222);
    FillPixels(src, 2, 1, 3, 2, 0x0F0F);    // the key
    FillPixels(src, -5, -5, 6, 6, 0x3333);  // clipped to (0,0)
    src.hasKey = true;
    src.key = 0x0F0F;
    CopyRect(dst, 1, 1, src, Rect{0, 0, 8, 4}, true);
    EXPECT_EQ(dst.GetPixel(0, 0), 0x1111u);
    EXPECT_EQ(dst.GetPixel(1, 1), 0x3333u);
    EXPECT_EQ(dst.GetPixel(2, 1), 0x2222u);
    EXPECT_EQ(dst.GetPixel(3, 2), 0x1111u) << "keyed pixels are skipped";
    EXPECT_EQ(dst.GetPixel(8, 4), 0x2222u);
    EXPECT_EQ(dst.GetPixel(9, 5), 0x1111u);
    CopyRect(dst, 1, 1, src, Rect{0, 0, 8, 4}, false);
    EXPECT_EQ(dst.GetPixel(3, 2), 0x0F0Fu) << "without the key everything is copied";
    // A rectangle that does not fit draws nothing.
    FillPixels(dst, 0, 0, 10, 6, 0x1111);
    CopyRect(dst, 5, 5, src, Rect{0, 0, 8, 4}, false);
    CopyRect(dst, 0, 0, src, Rect{4, 0, 8, 4}, false);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 10; ++x) ASSERT_EQ(dst.GetPixel(x, y), 0x1111u);
  }
}

class SurfaceSetTest : public kbtest::EngineTest {};

TEST_F(SurfaceSetTest, ColourKeysAndPreparation) {
  const std::uint32_t white = RgbToPixel(255, 255, 255), black = RgbToPixel(0, 0, 0);
  EXPECT_EQ(SurfaceOf(SurfaceId::picture).key, white) << "the mask colour starts white";
  EXPECT_EQ(SurfaceOf(SurfaceId::maskPicture).key, black);
  EXPECT_FALSE(SurfaceOf(SurfaceId::choiceBar).hasKey);
  EXPECT_EQ(SurfaceOf(SurfaceId::choiceBar).GetPixel(599, 49), RgbToPixel(255, 0, 0));
  EXPECT_EQ(SurfaceOf(SurfaceId::figure).GetPixel(320, 240), white);
  ApplyColourKeys(0, 255, 0);
  EXPECT_EQ(SurfaceOf(SurfaceId::topmost).key, RgbToPixel(0, 255, 0));
  EXPECT_EQ(SurfaceOf(SurfaceId::dialogueText).key, white);
  EXPECT_EQ(SurfaceOf(SurfaceId::variableText).key, white);
  // The dialogue frame: a 2-pixel border around (20, 360, 600, 100).
  const Surface& frame = SurfaceOf(SurfaceId::dialogueFrame);
  const std::uint32_t border = RgbToPixel(100, 100, 255);
  EXPECT_EQ(frame.GetPixel(20, 360), border);
  EXPECT_EQ(frame.GetPixel(21, 361), border);
  EXPECT_EQ(frame.GetPixel(22, 362), white);
  EXPECT_EQ(frame.GetPixel(619, 459), border);
  EXPECT_EQ(frame.GetPixel(620, 459), white);
  EXPECT_EQ(frame.GetPixel(19, 400), white);
  // Sizes of a few surfaces, and release (twice is harmless).
  EXPECT_EQ(SurfaceOf(SurfaceId::choiceBar).width, 600);
  EXPECT_EQ(SurfaceOf(SurfaceId::variableText).height, 300);
  ReleaseSurfaces();
  ReleaseSurfaces();
  EXPECT_FALSE(SurfaceOf(SurfaceId::picture).Exists());
  EXPECT_FALSE(surfaceSet.back.Exists());
}

}  // namespace
