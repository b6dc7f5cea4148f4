#pragma once
// Picture files made in tests: small BMP files built byte by byte, and
// JPEG files made with the JPEG library itself.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kbtest {

using RgbTriple = std::array<int, 3>;

// A BMP file with a 40-byte header.  Rows are added in the order the file
// stores them: bottom row first, unless SetTopDown.
class BmpBuilder {
 public:
  BmpBuilder(int width, int height, int bitsPerPixel);

  void SetPalette(const std::vector<RgbTriple>& colours);
  // 2^bits entries; entry i is (i, i, i).
  void SetGreyPalette();
  void SetTopDown() { topDown_ = true; }
  // One stored row of colour indexes (8 bits a pixel) or colours (24 bits).
  void Row8(const std::vector<int>& indexes);
  void Row24(const std::vector<RgbTriple>& colours);
  // A run-length stream in place of the rows (8-bit or 4-bit by the depth).
  void SetRle(const std::vector<std::uint8_t>& stream);

  std::string File() const;

 private:
  int width_, height_, bits_;
  bool topDown_ = false;
  std::uint32_t compression_ = 0;
  std::vector<RgbTriple> palette_;
  std::string rows_;
};

// A w x h BMP of 24 bits whose pixel (x, y) (top row 0) is colour(x, y).
std::string MakeBmp24(int width, int height, const std::function<RgbTriple(int, int)>& colour);

// A JPEG of 1 (grey), 3 (RGB) or 4 (CMYK) components; samples(x, y) gives
// the pixel's components in that order.
std::string MakeJpeg(int width, int height, int components,
                     const std::function<std::array<int, 4>(int, int)>& samples, int quality = 95);

}  // namespace kbtest
