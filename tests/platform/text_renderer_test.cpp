// Fonts, extents and drawing of CP932 text with the installed IPA fonts.
#include "platform/text_renderer.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/game_fixture.h"

namespace {

using kb::FontHandle;
using kbtest::Sjis;

constexpr std::uint32_t kPaper = 0x0A0B0C;
constexpr std::uint32_t kInk = 0x123456;
constexpr std::uint32_t kBack = 0x654321;

// A pixel buffer filled with kPaper, with a few bytes of slack at each row
// end so that the pitch differs from the width.
struct Canvas {
  int width, height, bytesPerPixel, pitch;
  std::vector<std::uint8_t> pixels;

  Canvas(int w, int h, int bpp = 2)
      : width(w), height(h), bytesPerPixel(bpp), pitch(w * bpp + 6), pixels(static_cast<std::size_t>(pitch) * h) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Set(x, y, kPaper);
  }
  kb::PixelTarget Target() { return {pixels.data(), width, height, pitch, bytesPerPixel}; }
  std::uint32_t Mask() const { return bytesPerPixel == 2 ? 0xFFFF : 0xFFFFFF; }
  std::uint32_t At(int x, int y) const {
    const std::uint8_t* p = &pixels[static_cast<std::size_t>(y) * pitch + x * bytesPerPixel];
    return p[0] | (p[1] << 8) | (bytesPerPixel == 3 ? p[2] << 16 : 0);
  }
  void Set(int x, int y, std::uint32_t v) {
    std::uint8_t* p = &pixels[static_cast<std::size_t>(y) * pitch + x * bytesPerPixel];
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    if (bytesPerPixel == 3) p[2] = static_cast<std::uint8_t>(v >> 16);
  }
  // Pixels of value v inside [x0, x1) × [y0, y1).
  int Count(std::uint32_t v, int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += At(x, y) == (v & Mask());
    return n;
  }
  int Count(std::uint32_t v) const { return Count(v, 0, 0, width, height); }
};

// A font that is deleted with the test.
struct Font {
  FontHandle handle;
  Font(const std::string& faceUtf8, int cellHeight) : handle(kb::CreateFont(Sjis(faceUtf8), cellHeight)) {}
  ~Font() { kb::DeleteFont(handle); }
  int Width(const std::string& utf8) const { return kb::MeasureText(handle, Sjis(utf8)).width; }
};

TEST(TextRenderer, StandardFaceNamesResolveToTheIpaFonts) {
  const struct {
    const char* face;
    const char* family;
  } cases[] = {
      {"ＭＳ ゴシック", "IPAGothic"},  {"ＭＳ　ゴシック", "IPAGothic"}, {"MS ゴシック", "IPAGothic"},
      {"MS Gothic", "IPAGothic"},      {"ms gothic", "IPAGothic"},      {"ＭＳ ｺﾞｼｯｸ", "IPAGothic"},
      {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS Pゴシック", "IPAPGothic"},  {"MS PGothic", "IPAPGothic"},
      {"ＭＳ 明朝", "IPAMincho"},      {"MS 明朝", "IPAMincho"},        {"MS Mincho", "IPAMincho"},
      {"ＭＳ Ｐ明朝", "IPAPMincho"},   {"ＭＳＰ明朝", "IPAPMincho"},    {"MS PMincho", "IPAPMincho"},
      {"", "IPAPGothic"},              {"IPAMincho", "IPAMincho"},      {"IPAゴシック", "IPAGothic"},
  };
  for (const auto& c : cases) {
    Font font(c.face, 18);
    EXPECT_EQ(kb::FontFamilyName(font.handle), c.family) << c.face;
  }
  EXPECT_EQ(kb::FontFamilyName(kb::DefaultFont()), "IPAGothic");
  // A name no font carries, or a name that merely contains a standard one.
  for (const char* face : {"存在しない書体", "ＭＳ ゴシック体", "xMS Gothic"}) {
    Font font(face, 18);
    EXPECT_EQ(font.handle, kb::kNoFont) << face;
  }
  for (int height : {0, -3, 1025}) EXPECT_EQ(kb::CreateFont(Sjis("ＭＳ ゴシック"), height), kb::kNoFont);
}

TEST(TextRenderer, ExtentsKeepTheCellHeightAndTheFixedPitchGrid) {
  FontHandle def = kb::DefaultFont();
  EXPECT_EQ(kb::MeasureText(def, "AB").width, 16);
  EXPECT_EQ(kb::MeasureText(def, "AB").height, 16);
  EXPECT_EQ(kb::MeasureText(def, Sjis("あい")).width, 32);
  EXPECT_EQ(kb::MeasureText(def, Sjis("ｱｲ漢")).width, 32);
  EXPECT_EQ(kb::MeasureText(def, "").width, 0);

  for (const char* face : {"ＭＳ ゴシック", "ＭＳ 明朝"}) {
    Font odd(face, 23);
    EXPECT_EQ(odd.Width("i"), 11) << face;
    EXPECT_EQ(odd.Width("W"), 11) << face;
    EXPECT_EQ(odd.Width("あ"), 23) << face;
  }
  for (const char* face : {"ＭＳ Ｐゴシック", "ＭＳ Ｐ明朝"}) {
    Font p(face, 18);
    EXPECT_LT(p.Width("i"), p.Width("W")) << face;
    EXPECT_LT(p.Width("W"), p.Width("永")) << face;
    EXPECT_EQ(p.Width("iW永"), p.Width("i") + p.Width("W") + p.Width("永")) << face;
  }
  for (const char* face : {"ＭＳ ゴシック", "ＭＳ Ｐゴシック", "ＭＳ 明朝", "ＭＳ Ｐ明朝", "IPAGothic"})
    for (int height : {1, 8, 11, 18, 38, 80, 200}) {
      Font font(face, height);
      ASSERT_NE(font.handle, kb::kNoFont) << face << " " << height;
      EXPECT_EQ(kb::MeasureText(font.handle, Sjis("永A")).height, height) << face << " " << height;
    }
}

TEST(TextRenderer, DrawsOneColourInsideTheCellsWithoutBlending) {
  const std::string text = Sjis("永あAg漢ｱﾟ");
  for (int bpp : {2, 3})
    for (const char* face : {"ＭＳ ゴシック", "ＭＳ Ｐゴシック", "ＭＳ 明朝", "ＭＳ Ｐ明朝"})
      for (int height : {11, 18, 23, 80})
        for (bool opaque : {false, true}) {
          SCOPED_TRACE(testing::Message() << face << " " << height << " bpp " << bpp << " opaque " << opaque);
          Font font(face, height);
          Canvas c(640, 100, bpp);
          const int x = 7, y = 5;
          kb::TextExtent e = kb::MeasureText(font.handle, text);
          kb::DrawText(c.Target(), font.handle, x, y, text, kInk, opaque, kBack);
          const std::uint32_t under = opaque ? kBack : kPaper;
          int ink = c.Count(kInk, x, y, x + e.width, y + e.height);
          int rest = c.Count(under, x, y, x + e.width, y + e.height);
          EXPECT_GT(ink, 0);
          EXPECT_GT(rest, 0);
          EXPECT_EQ(ink + rest, e.width * e.height) << "a pixel of another colour in the cells";
          EXPECT_EQ(c.Count(kPaper), c.width * c.height - e.width * e.height + (opaque ? 0 : rest))
              << "a pixel outside the cells";
        }
}

TEST(TextRenderer, DrawingIsClippedToTheTarget) {
  FontHandle def = kb::DefaultFont();
  for (int x : {-20, -4, 30, 36})
    for (int y : {-10, 30}) {
      Canvas c(40, 40, 2);
      kb::DrawText(c.Target(), def, x, y, Sjis("漢字テキスト"), kInk, true, kBack);
      EXPECT_GT(c.Count(kInk) + c.Count(kBack), 0) << x << "," << y;
    }
  // A cell much taller than the target.
  Font huge("ＭＳ Ｐ明朝", 300);
  Canvas big(40, 40, 3);
  kb::DrawText(big.Target(), huge.handle, -100, -150, Sjis("永"), kInk, false);
  EXPECT_GT(big.Count(kInk), 0);
  EXPECT_EQ(big.Count(kInk) + big.Count(kPaper), 40 * 40);
  // Drawing far outside, or into no buffer, draws nothing.
  Canvas c(40, 40, 2);
  kb::DrawText(c.Target(), def, 100000, -100000, Sjis("漢字"), kInk, true, kBack);
  kb::DrawText(kb::PixelTarget{}, def, 0, 0, Sjis("漢字"), kInk, true, kBack);
  kb::DrawText(c.Target(), kb::kNoFont, 0, 0, Sjis("漢字"), kInk, true, kBack);
  EXPECT_EQ(c.Count(kPaper), 40 * 40);
}

TEST(TextRenderer, HalfWidthKatakanaDraws) {
  for (const char* face : {"ＭＳ ゴシック", "ＭＳ Ｐ明朝"}) {
    Font font(face, 16);
    Canvas c(200, 20);
    kb::DrawText(c.Target(), font.handle, 0, 0, Sjis("ｱｲｳｴｵ"), kInk);
    int pen = 0;
    for (const char* kana : {"ｱ", "ｲ", "ｳ", "ｴ", "ｵ"}) {
      int w = font.Width(kana);
      EXPECT_GT(w, 0);
      EXPECT_GT(c.Count(kInk, pen, 0, pen + w, 16), 0) << face << " " << kana;
      pen += w;
    }
  }
}

TEST(TextRenderer, CharactersWithoutAGlyphAdvanceAndDrawNothing) {
  // A user-defined character (no font holds one), an unassigned code, a
  // stray byte, then a letter; a lead byte at the very end.
  const std::string gap = std::string("\xF0\x40", 2) + "\x85\x40" + "\x80";
  FontHandle def = kb::DefaultFont();
  EXPECT_EQ(kb::MeasureText(def, "A" + gap + "B").width, 8 + 16 + 16 + 8 + 8);
  EXPECT_EQ(kb::MeasureText(def, "A\x82").width, 16);

  Canvas with(100, 16), alone(100, 16);
  kb::DrawText(with.Target(), def, 0, 0, "A" + gap + "B", kInk);
  kb::DrawText(alone.Target(), def, 0, 0, "A", kInk);
  kb::DrawText(alone.Target(), def, 48, 0, "B", kInk);
  EXPECT_EQ(with.pixels, alone.pixels);
  EXPECT_EQ(with.Count(kInk, 8, 0, 48, 16), 0);

  // A proportional face leaves the em for a double-byte character.
  Font p("ＭＳ Ｐゴシック", 18);
  EXPECT_EQ(kb::MeasureText(p.handle, "\xF0\x40").width, 18);
}

// A small bitmap font a game might bring: only "A", a hollow box.
constexpr const char* kTestFont = R"(STARTFONT 2.1
FONT -kb-KbTestFace-Medium-R-Normal--16-160-75-75-C-80-ISO10646-1
SIZE 16 75 75
FONTBOUNDINGBOX 8 16 0 -2
STARTPROPERTIES 5
FAMILY_NAME "KbTestFace"
FONT_ASCENT 14
FONT_DESCENT 2
CHARSET_REGISTRY "ISO10646"
CHARSET_ENCODING "1"
ENDPROPERTIES
CHARS 1
STARTCHAR A
ENCODING 65
SWIDTH 500 0
DWIDTH 8 0
BBX 8 4 0 0
BITMAP
FF
81
81
FF
ENDCHAR
ENDFONT
)";

TEST(TextRenderer, GameFontFilesAreFoundByTheirFamilyNameUntilRemoved) {
  kbtest::TempFolder folder;
  folder.WriteBytes("test.bdf", kTestFont);
  folder.WriteBytes("notes.ttf", "not a font");
  const std::string file = folder.path() + "/test.bdf";
  EXPECT_EQ(kb::CreateFont("KbTestFace", 16), kb::kNoFont);
  EXPECT_FALSE(kb::AddFontFile(folder.path() + "/notes.ttf"));
  EXPECT_FALSE(kb::AddFontFile(folder.path() + "/missing.ttf"));
  ASSERT_TRUE(kb::AddFontFile(file));

  Font font("kbtestface", 16);
  ASSERT_NE(font.handle, kb::kNoFont);
  EXPECT_EQ(kb::FontFamilyName(font.handle), "KbTestFace");
  Canvas c(40, 20);
  kb::DrawText(c.Target(), font.handle, 3, 2, "A", kInk);
  // The box sits on the baseline, 14 rows below the top of the cell.
  EXPECT_EQ(c.Count(kInk), 20);
  EXPECT_EQ(c.Count(kInk, 3, 12, 11, 13), 8);
  EXPECT_EQ(c.Count(kInk, 3, 13, 11, 15), 4);
  EXPECT_EQ(c.Count(kInk, 3, 15, 11, 16), 8);
  // What the font lacks comes from IPAGothic.
  Canvas k(40, 20);
  kb::DrawText(k.Target(), font.handle, 0, 0, Sjis("漢"), kInk);
  EXPECT_GT(k.Count(kInk), 10);

  kb::RemoveFontFile(file);
  EXPECT_EQ(kb::CreateFont("KbTestFace", 16), kb::kNoFont);
  Canvas again(40, 20);
  kb::DrawText(again.Target(), font.handle, 3, 2, "A", kInk);
  EXPECT_EQ(again.pixels, c.pixels);
}

}  // namespace
