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
// "ＭＳ Ｐ明朝" to IPAPMincho, in any of the spellings games use (full- or
// half-width letters, with or without the blank, "MS Gothic" ...).  They
// are drawn with the em square as the cell, as the faces they replace are,
// and the two fixed-pitch ones keep their grid: a single byte is half the
// cell height wide (rounded down), a double-byte character the cell height.
// Other names are looked up among the fonts added for the run, then through
// fontconfig; a name no font carries gives kNoFont.
//
// A character the font lacks is taken from IPAGothic; one that neither has
// (and bytes that are no CP932 character) draws nothing and advances by an
// empty cell: the cell height for a double-byte code, half of it for a
// single byte (proportional faces: the em and half the em).
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

// A font of the face (CP932) with the given cell height in pixels (1 to
// 1024).  kNoFont when no font has that face or the height is out of range;
// the caller then falls back as it must.  An empty face gives the
// platform's default face.
FontHandle CreateFont(std::string_view faceCp932, int cellHeight);
void DeleteFont(FontHandle font);
// The font a fresh drawing context writes with (used by the error page and
// the notices): a fixed-pitch Japanese face with a 16-pixel cell.  It lives
// for the run; DeleteFont ignores it.
FontHandle DefaultFont();
// The family name (UTF-8) of the file a font draws with, "" for no font.
std::string FontFamilyName(FontHandle font);

struct TextExtent {
  int width = 0;
  int height = 0;  // the cell height
};
TextExtent MeasureText(FontHandle font, std::string_view cp932);

// Draws text with its top-left corner at (x, y), clipped to the target.
// The baseline lies `ascent` rows below y, the face's share of the cell.
// Glyph pixels get `foreground`, nothing is blended; parts of a glyph
// above or below its cell are cut off.  With `opaque`, the cells of the
// text (its extent) are first filled with `background`.
void DrawText(const PixelTarget& target, FontHandle font, int x, int y, std::string_view cp932,
              std::uint32_t foreground, bool opaque = false, std::uint32_t background = 0);

// Fonts a game brings in its font folder (TrueType, collections, bitmap
// fonts), available for the run under every family name they carry,
// Japanese and English, before any installed font of that name.  False
// when the file is no font.  After removal the name is no longer found;
// fonts already made from the file go on drawing.
bool AddFontFile(const std::string& hostPath);
void RemoveFontFile(const std::string& hostPath);

}  // namespace kb
