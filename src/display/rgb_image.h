#pragma once
// A decoded picture: width x height pixels of 8-bit R, G, B, top row first,
// rows packed without padding.  This is the bitmap object the picture
// loaders hand out; it is drawn into surfaces with RgbToPixel.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kb {

// The largest picture the decoders accept.  Nothing a 640x480 game shows
// comes near it; a file that claims more is refused before anything is
// allocated for it.
inline constexpr int kMaxPictureSide = 32767;
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 25;

inline bool PictureSizeAllowed(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  // Sizes the image; every pixel starts black.  The size must be allowed.
  void Allocate(int w, int h) {
    width = w;
    height = h;
    rgb.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3, 0);
  }
  bool Empty() const { return rgb.empty(); }
  std::uint8_t* Row(int y) { return rgb.data() + static_cast<std::size_t>(y) * width * 3; }
  const std::uint8_t* Row(int y) const { return rgb.data() + static_cast<std::size_t>(y) * width * 3; }
};

}  // namespace kb
