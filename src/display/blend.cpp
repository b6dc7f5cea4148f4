#include "display/blend.h"

#include <algorithm>

#include "display/surface_set.h"

namespace kb {
namespace {

struct Field {
  std::uint32_t mask;
  int shift;
  std::uint32_t range;  // 2^bits
};

// The new value of one field of `bits` bits.
std::uint32_t Toned(std::uint32_t v, std::uint32_t range, int level, bool toWhite) {
  if (!toWhite) {
    switch (level) {
      case 1: return v / 4;
      case 2: return v / 2;
      default: return v - v / 4;
    }
  }
  switch (level) {
    case 1: return v / 4 + 3 * range / 4;
    case 2: return v / 2 + range / 2;
    default: return v / 4 + v / 2 + range / 4;
  }
}

void Tone(Surface& s, int x, int y, int w, int h, int level, bool toWhite) {
  if (level > 3 || !s.Exists()) return;
  if (level < 1) {
    int c = toWhite ? 255 : 0;
    FillRect(s, x, y, w, h, c, c, c);
    return;
  }
  // The rectangle must lie inside the surface; one that does not is cut
  // to it rather than drawn outside.
  int x0 = std::max(x, 0), y0 = std::max(y, 0);
  int x1 = std::min(x + w, s.width), y1 = std::min(y + h, s.height);
  if (x0 >= x1 || y0 >= y1) return;
  const PixelFormat& f = displayState.pixelFormat;
  if (s.bytesPerPixel == 3) {
    for (int row = y0; row < y1; ++row) {
      std::uint8_t* p = s.Row(row) + x0 * 3;
      for (int i = 0; i < (x1 - x0) * 3; ++i) p[i] = static_cast<std::uint8_t>(Toned(p[i], 256, level, toWhite));
    }
    return;
  }
  const Field fields[3] = {{f.rMask, f.rShift, f.rMax + 1}, {f.gMask, f.gShift, f.gMax + 1}, {f.bMask, f.bShift, f.bMax + 1}};
  // Pixels are handled in pairs from the left edge of the rectangle.
  const int pairs = (x1 - x0) / 2;
  for (int row = y0; row < y1; ++row) {
    for (int i = 0; i < pairs * 2; ++i) {
      std::uint32_t p = s.GetPixel(x0 + i, row), out = 0;
      for (const Field& fd : fields)
        out |= (Toned((p & fd.mask) >> fd.shift, fd.range, level, toWhite) << fd.shift) & fd.mask;
      s.SetPixel(x0 + i, row, out);
    }
  }
}

}  // namespace

void Darken(Surface& surface, int x, int y, int w, int h, int level) { Tone(surface, x, y, w, h, level, false); }
void Lighten(Surface& surface, int x, int y, int w, int h, int level) { Tone(surface, x, y, w, h, level, true); }

}  // namespace kb
