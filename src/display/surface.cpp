#include "display/surface.h"

#include <algorithm>
#include <cstring>

namespace kb {

void Surface::Create(int w, int h, const PixelLayout& l) {
  width = w;
  height = h;
  layout = l;
  bytesPerPixel = l.bytesPerPixel;
  // Rows are padded beyond their pixels, as a display's surfaces often are.
  pitch = (w * bytesPerPixel + 15) / 16 * 16 + 16;
  pixels.assign(static_cast<std::size_t>(pitch) * h, 0);
  hasKey = false;
  key = 0;
}

void Surface::Release() {
  pixels.clear();
  pixels.shrink_to_fit();
  width = height = pitch = 0;
}

std::uint32_t Surface::GetPixel(int x, int y) const {
  if (!Contains(x, y) || pixels.empty()) return 0;
  const std::uint8_t* p = Row(y) + x * bytesPerPixel;
  if (bytesPerPixel == 2) return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
  return static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
}

void Surface::SetPixel(int x, int y, std::uint32_t value) {
  if (!Contains(x, y) || pixels.empty()) return;
  std::uint8_t* p = Row(y) + x * bytesPerPixel;
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
  if (bytesPerPixel == 3) p[2] = static_cast<std::uint8_t>(value >> 16);
}

namespace {
int LowestSetBit(std::uint32_t mask) {
  int shift = 0;
  while (shift < 32 && !(mask & (1u << shift))) ++shift;
  return shift;
}

// The channel value of an 8-bit component: its most significant bit lands
// on the highest bit of the mask's run of set bits.
std::uint32_t Channel(std::uint32_t mask, unsigned component) {
  int low = LowestSetBit(mask);
  int top = low;
  while (top + 1 < 32 && (mask & (1u << (top + 1)))) ++top;
  std::uint32_t v = component;
  if (top + 1 < 8)
    v >>= (7 - top);
  else
    v <<= (top - 7);
  return v & mask;
}
}  // namespace

PixelFormat ReadPixelFormat(const Surface& surface) {
  PixelFormat f;
  f.rMask = surface.layout.rMask;
  f.gMask = surface.layout.gMask;
  f.bMask = surface.layout.bMask;
  f.rShift = LowestSetBit(f.rMask);
  f.gShift = LowestSetBit(f.gMask);
  f.bShift = LowestSetBit(f.bMask);
  f.rMax = f.rMask >> f.rShift;
  f.gMax = f.gMask >> f.gShift;
  f.bMax = f.bMask >> f.bShift;
  f.bytesPerPixel = surface.layout.bytesPerPixel;
  return f;
}

std::uint32_t RgbToPixel(const PixelFormat& f, int r, int g, int b) {
  // Components are taken as unsigned: anything above 254, negative values
  // included, becomes 255.
  auto clamp = [](int c) { return static_cast<unsigned>(c) > 254u ? 255u : static_cast<unsigned>(c); };
  return Channel(f.rMask, clamp(r)) | Channel(f.gMask, clamp(g)) | Channel(f.bMask, clamp(b));
}

Rgb PixelValueToRgb(const PixelFormat& f, std::uint32_t pixel) {
  Rgb c;
  std::uint32_t r = (pixel & f.rMask) >> f.rShift;
  std::uint32_t g = (pixel & f.gMask) >> f.gShift;
  std::uint32_t b = (pixel & f.bMask) >> f.bShift;
  if (f.bytesPerPixel == 3) {
    c.r = static_cast<int>(r);
    c.g = static_cast<int>(g);
    c.b = static_cast<int>(b);
  } else {
    c.r = static_cast<int>(r * 255 / f.rMax);
    c.g = static_cast<int>(g * 255 / f.gMax);
    c.b = static_cast<int>(b * 255 / f.bMax);
  }
  return c;
}

void FillPixels(Surface& s, int x, int y, int w, int h, std::uint32_t pixel) {
  if (!s.Exists()) return;
  int x0 = std::max(x, 0), y0 = std::max(y, 0);
  int x1 = std::min(x + w, s.width), y1 = std::min(y + h, s.height);
  if (x0 >= x1 || y0 >= y1) return;
  std::uint8_t b0 = static_cast<std::uint8_t>(pixel), b1 = static_cast<std::uint8_t>(pixel >> 8),
               b2 = static_cast<std::uint8_t>(pixel >> 16);
  for (int yy = y0; yy < y1; ++yy) {
    std::uint8_t* p = s.Row(yy) + x0 * s.bytesPerPixel;
    if (s.bytesPerPixel == 2) {
      for (int xx = x0; xx < x1; ++xx, p += 2) {
        p[0] = b0;
        p[1] = b1;
      }
    } else {
      for (int xx = x0; xx < x1; ++xx, p += 3) {
        p[0] = b0;
        p[1] = b1;
        p[2] = b2;
      }
    }
  }
}

void CopyRect(Surface& dest, int x, int y, const Surface& src, const Rect& r, bool useKey) {
  if (!dest.Exists() || !src.Exists() || r.w <= 0 || r.h <= 0) return;
  if (r.x < 0 || r.y < 0 || r.x + r.w > src.width || r.y + r.h > src.height) return;
  if (x < 0 || y < 0 || x + r.w > dest.width || y + r.h > dest.height) return;
  if (dest.bytesPerPixel != src.bytesPerPixel) return;
  const int bpp = src.bytesPerPixel;
  const std::size_t rowBytes = static_cast<std::size_t>(r.w) * bpp;
  if (!useKey || !src.hasKey) {
    for (int row = 0; row < r.h; ++row)
      std::memmove(dest.Row(y + row) + x * bpp, src.Row(r.y + row) + r.x * bpp, rowBytes);
    return;
  }
  const std::uint32_t key = src.key;
  for (int row = 0; row < r.h; ++row) {
    const std::uint8_t* s = src.Row(r.y + row) + r.x * bpp;
    std::uint8_t* d = dest.Row(y + row) + x * bpp;
    if (bpp == 2) {
      for (int i = 0; i < r.w; ++i, s += 2, d += 2) {
        std::uint32_t v = static_cast<std::uint32_t>(s[0] | (s[1] << 8));
        if (v != key) {
          d[0] = s[0];
          d[1] = s[1];
        }
      }
    } else {
      for (int i = 0; i < r.w; ++i, s += 3, d += 3) {
        std::uint32_t v = static_cast<std::uint32_t>(s[0] | (s[1] << 8) | (s[2] << 16));
        if (v != key) {
          d[0] = s[0];
          d[1] = s[1];
          d[2] = s[2];
        }
      }
    }
  }
}

void CopyAll(Surface& dest, const Surface& src, bool useKey) {
  CopyRect(dest, 0, 0, src, Rect{0, 0, src.width, src.height}, useKey);
}

void SurfaceToRgb(const Surface& s, const PixelFormat& f, std::uint8_t* rgb) {
  for (int y = 0; y < s.height; ++y) {
    for (int x = 0; x < s.width; ++x) {
      Rgb c = PixelValueToRgb(f, s.GetPixel(x, y));
      *rgb++ = static_cast<std::uint8_t>(c.r);
      *rgb++ = static_cast<std::uint8_t>(c.g);
      *rgb++ = static_cast<std::uint8_t>(c.b);
    }
  }
}

}  // namespace kb
