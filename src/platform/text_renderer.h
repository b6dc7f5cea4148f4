#pragma once
// Text drawing: fonts by face name and cell height, CP932 text drawn in one
// colour onto a pixel buffer, and text extents.  It stands in for the
// platform's text service, with its metrics: the height asked for is the
// character cell height (ascent + descent), text is placed by the top-left
// corner of its cells, and glyphs are one colour without anti-aliasing, so a
// colour-keyed surface never gets blended edge pixels.
//
// The four standard Japanese faces map to the IPA fonts: "ＭＳ ゴシック" to
// IPAGothic, "ＭＳ Ｐゴシック" to IPAPGothic, "ＭＳ 明朝" to IPAMincho,
// "ＭＳ Ｐ明朝" to IPAPMincho.  Other names go through fontconfig matching.
#include <cstdint>
#include <string>
#include <string_view>

namespace kb {

// A pixel buffer to draw into: 2 or 3 bytes a pixel, least significant byte
// first; rows are pitch bytes apart.
struct PixelTarget {
  std::uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
  int bytesPerPixel = 2;
};

using FontHandle = int;  // 0: no font
inline constexpr FontHandle kNoFont = 0;

// A font of the face (CP932) with the given cell height in pixels.
// kNoFont when no installed font has that face; the caller then falls back
// as it must.  An empty face gives the platform's default face.
FontHandle CreateFont(std::string_view faceCp932, int cellHeight);
void DeleteFont(FontHandle font);
// The font a fresh drawing context writes with (used by the error page and
// the notices): a fixed-pitch Japanese face with a 16-pixel cell.
FontHandle DefaultFont();

struct TextExtent {
  int width = 0;
  int height = 0;  // the cell height
};
TextExtent MeasureText(FontHandle font, std::string_view cp932);

// Draws text with its top-left corner at (x, y), clipped to the target.
// Glyph pixels get `foreground`; with `opaque`, the cells of the text
// (its extent) are first filled with `background`.
void DrawText(const PixelTarget& target, FontHandle font, int x, int y, std::string_view cp932,
              std::uint32_t foreground, bool opaque = false, std::uint32_t background = 0);

// Fonts a game brings in its font folder, available under their own family
// names for the run.
bool AddFontFile(const std::string& hostPath);
void RemoveFontFile(const std::string& hostPath);

}  // namespace kb
