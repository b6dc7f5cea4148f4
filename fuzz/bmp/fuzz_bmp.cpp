// Any bytes given to the BMP reader are refused or decoded within bounds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "display/bmp_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kb::RgbImage image;
  const kb::BmpStatus status = kb::DecodeBmp(std::string_view(reinterpret_cast<const char*>(data), size), image);
  if (status == kb::BmpStatus::Decoded &&
      image.rgb.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
    __builtin_trap();
  return 0;
}
