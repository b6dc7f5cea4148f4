// TEMPORARY: see choice_pending.h.  Delete with it once the picture
// loader has landed.
#include "script/choice_pending.h"

#include <string>

#include "display/surface_set.h"
#include "platform/files.h"
#include "script/call_stack.h"
#include "shell/packed_mode.h"

namespace kb {

namespace {

std::uint32_t Le(const std::string& d, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i)
    v = (v << 8) | static_cast<unsigned char>(d[at + static_cast<std::size_t>(i)]);
  return v;
}

}  // namespace

bool LoadPicture(Surface& surface, std::string_view name, int w, int h) {
  const MaskColour& m = displayState.maskColour;
  FillRect(surface, 0, 0, w, h, m.r, m.g, m.b);
  const std::string path =
      std::string(mediaPaths.picture.view()) + std::string(name) + std::string(packedMode.pictureExt.view());
  auto file = ReadGameFile(path);
  if (!file) return false;
  std::string d = *file;
  if (d.size() >= 2 && d.compare(0, 2, "XQ") == 0) d.erase(0, 2);
  if (d.size() < 54 || d.compare(0, 2, "BM") != 0) return false;
  const std::uint32_t bits = Le(d, 10, 4);
  const int width = static_cast<int>(Le(d, 18, 4));
  const int rawHeight = static_cast<std::int32_t>(Le(d, 22, 4));
  const int bpp = static_cast<int>(Le(d, 28, 2));
  const std::uint32_t compression = Le(d, 30, 4);
  if ((bpp != 24 && bpp != 32) || (compression != 0 && compression != 3) || width <= 0 || rawHeight == 0)
    return false;
  const bool bottomUp = rawHeight > 0;
  const int height = bottomUp ? rawHeight : -rawHeight;
  const std::size_t rowBytes =
      (static_cast<std::size_t>(width) * static_cast<std::size_t>(bpp) + 31) / 32 * 4;
  if (bits > d.size() || (d.size() - bits) / rowBytes < static_cast<std::size_t>(height)) return false;
  for (int y = 0; y < height && y < h; ++y) {
    const std::size_t row = bits + rowBytes * static_cast<std::size_t>(bottomUp ? height - 1 - y : y);
    for (int x = 0; x < width && x < w; ++x) {
      const std::size_t p = row + static_cast<std::size_t>(x) * static_cast<std::size_t>(bpp / 8);
      surface.SetPixel(x, y,
                       RgbToPixel(static_cast<unsigned char>(d[p + 2]), static_cast<unsigned char>(d[p + 1]),
                                  static_cast<unsigned char>(d[p])));
    }
  }
  return true;
}

}  // namespace kb
