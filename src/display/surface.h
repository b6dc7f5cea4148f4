#pragma once
// Our own software surface: a rectangle of pixels in the display's pixel
// format (2 bytes a pixel in 16-bit mode, 3 in 24-bit mode, least
// significant byte first), with an optional source colour key.  Rows are
// `pitch` bytes apart, which is more than width * bytesPerPixel, so code
// that walks rows must use the pitch.
#include <cstdint>
#include <vector>

namespace kb {

// The display's channel layout: the bit masks of red, green and blue.
struct PixelLayout {
  int bytesPerPixel = 2;
  std::uint32_t rMask = 0xF800, gMask = 0x07E0, bMask = 0x001F;
};

inline constexpr PixelLayout kLayout565{2, 0xF800, 0x07E0, 0x001F};
inline constexpr PixelLayout kLayout555{2, 0x7C00, 0x03E0, 0x001F};
inline constexpr PixelLayout kLayout888{3, 0xFF0000, 0x00FF00, 0x0000FF};

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};

struct Surface {
  int width = 0;
  int height = 0;
  int pitch = 0;
  int bytesPerPixel = 2;
  PixelLayout layout;
  bool hasKey = false;
  std::uint32_t key = 0;
  std::vector<std::uint8_t> pixels;

  void Create(int w, int h, const PixelLayout& l);
  void Release();
  bool Exists() const { return !pixels.empty(); }

  std::uint8_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * pitch; }
  const std::uint8_t* Row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * pitch; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  // Out-of-range reads give 0 and writes are ignored.
  std::uint32_t GetPixel(int x, int y) const;
  void SetPixel(int x, int y, std::uint32_t value);
};

// The display's pixel format: masks, shifts and channel maxima.
struct PixelFormat {
  std::uint32_t rMask = 0, gMask = 0, bMask = 0;
  int rShift = 0, gShift = 0, bShift = 0;
  std::uint32_t rMax = 0, gMax = 0, bMax = 0;
  int bytesPerPixel = 2;
};

// Fills the format from a surface's layout.
PixelFormat ReadPixelFormat(const Surface& surface);

// Conversions in a given format (the display's format is `pixelFormat`,
// owned by the surface set).
std::uint32_t RgbToPixel(const PixelFormat& format, int r, int g, int b);
struct Rgb {
  int r = 0, g = 0, b = 0;
};
Rgb PixelValueToRgb(const PixelFormat& format, std::uint32_t pixel);

// Fills (x, y)-(x + w, y + h), clipped to the surface, with a pixel value.
void FillPixels(Surface& surface, int x, int y, int w, int h, std::uint32_t pixel);
// Copies src rectangle to (x, y) on dest; with useKey, source pixels equal to
// the source's colour key are skipped.  A rectangle that does not fit both
// surfaces draws nothing.
void CopyRect(Surface& dest, int x, int y, const Surface& src, const Rect& srcRect, bool useKey);
// The same with the whole source surface.
void CopyAll(Surface& dest, const Surface& src, bool useKey);

// The surface as rows of R, G, B bytes (for presenting and shots).
void SurfaceToRgb(const Surface& surface, const PixelFormat& format, std::uint8_t* rgb);

}  // namespace kb
