// The tone blends of a rectangle at each level, in the three pixel layouts.
#include "display/blend.h"

#include <gtest/gtest.h>

#include "display/surface_set.h"

using namespace kb;

namespace {

struct Fields {
  unsigned r, g, b;
  bool operator==(const Fields&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Fields& f) { return os << f.r << "," << f.g << "," << f.b; }

class BlendTest : public ::testing::Test {
 protected:
  void TearDown() override { displayState = DisplayState{}; }

  // A w x 2 surface of the layout, every pixel the given field values; the
  // display's format becomes the layout's.
  Surface Make(const PixelLayout& layout, int w, Fields value) {
    Surface s;
    s.Create(w, 2, layout);
    displayState.layout = layout;
    displayState.pixelFormat = ReadPixelFormat(s);
    const PixelFormat& f = displayState.pixelFormat;
    FillPixels(s, 0, 0, w, 2, (value.r << f.rShift) | (value.g << f.gShift) | (value.b << f.bShift));
    return s;
  }
  static Fields At(const Surface& s, int x, int y) {
    const PixelFormat& f = displayState.pixelFormat;
    const std::uint32_t p = s.GetPixel(x, y);
    return {(p & f.rMask) >> f.rShift, (p & f.gMask) >> f.gShift, (p & f.bMask) >> f.bShift};
  }
};

TEST_F(BlendTest, EachLevelChangesEachFieldOnItsOwn) {
  const struct {
    const char* what;
    PixelLayout layout;
    bool lighten;
    int level;
    Fields before, after;
  } cases[] = {
      {"darken 1", kLayout565, false, 1, {31, 63, 30}, {7, 15, 7}},
      {"darken 2", kLayout565, false, 2, {31, 63, 30}, {15, 31, 15}},
      {"darken 3", kLayout565, false, 3, {31, 63, 30}, {24, 48, 23}},
      {"darken 4 changes nothing", kLayout565, false, 4, {31, 63, 30}, {31, 63, 30}},
      {"darken 0 paints black", kLayout565, false, 0, {31, 63, 30}, {0, 0, 0}},
      {"lighten 1", kLayout565, true, 1, {0, 0, 31}, {24, 48, 31}},
      {"lighten 2", kLayout565, true, 2, {0, 0, 31}, {16, 32, 31}},
      {"lighten 3", kLayout565, true, 3, {31, 63, 0}, {30, 62, 8}},
      {"lighten 4 changes nothing", kLayout565, true, 4, {1, 2, 3}, {1, 2, 3}},
      {"lighten 0 paints white", kLayout565, true, 0, {1, 2, 3}, {31, 63, 31}},
      {"darken 2, 5-5-5", kLayout555, false, 2, {31, 31, 31}, {15, 15, 15}},
      {"lighten 3, 5-5-5", kLayout555, true, 3, {31, 31, 0}, {30, 30, 8}},
      {"darken 3, 8 bits", kLayout888, false, 3, {255, 200, 1}, {192, 150, 1}},
      {"lighten 3, 8 bits", kLayout888, true, 3, {255, 0, 100}, {254, 64, 139}},
      {"lighten 1, 8 bits", kLayout888, true, 1, {255, 0, 100}, {255, 192, 217}},
  };
  for (const auto& c : cases) {
    Surface s = Make(c.layout, 5, c.before);
    (c.lighten ? Lighten : Darken)(s, 0, 0, 5, 1, c.level);
    EXPECT_EQ(At(s, 0, 0), c.after) << c.what;
    EXPECT_EQ(At(s, 3, 0), c.after) << c.what;
    EXPECT_EQ(At(s, 0, 1), c.before) << c.what << ": outside the rectangle";
  }
}

// 16-bit pixels are blended in pairs: with an odd width the rightmost
// pixel of each row keeps its value.  Solid fills and 24-bit blends cover
// the whole rectangle.
TEST_F(BlendTest, OddWidthLeavesTheLastSixteenBitPixel) {
  Surface s = Make(kLayout565, 6, {31, 63, 31});
  Darken(s, 1, 0, 3, 2, 2);
  EXPECT_EQ(At(s, 1, 1), (Fields{15, 31, 15}));
  EXPECT_EQ(At(s, 2, 1), (Fields{15, 31, 15}));
  EXPECT_EQ(At(s, 3, 1), (Fields{31, 63, 31}));
  Darken(s, 1, 0, 3, 2, 0);
  EXPECT_EQ(At(s, 3, 1), (Fields{0, 0, 0}));

  Surface t = Make(kLayout888, 5, {200, 200, 200});
  Darken(t, 0, 0, 5, 1, 2);
  EXPECT_EQ(At(t, 4, 0), (Fields{100, 100, 100}));
}

}  // namespace
