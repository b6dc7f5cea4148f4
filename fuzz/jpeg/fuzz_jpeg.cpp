// Any bytes given to the JPEG decoder come back as a picture or a failure:
// the program is never ended, rows stay inside the picture.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "display/rgb_image.h"
#include "platform/jpeg_decoder.h"

namespace {

class Sink : public kb::JpegSink {
 public:
  bool Start(const kb::JpegHeader& header) override {
    if (!kb::PictureSizeAllowed(header.width, header.height)) return false;
    samples_ = header.samples == kb::JpegSamples::Grey ? 1 : 3;
    image_.Allocate(header.width, header.height);
    return true;
  }
  void Row(int y, const std::uint8_t* samples) override {
    if (y < 0 || y >= image_.height) __builtin_trap();
    std::uint8_t* out = image_.Row(y);
    for (int i = 0; i < image_.width * samples_ && i < image_.width * 3; ++i) out[i] = samples[i];
  }

 private:
  kb::RgbImage image_;
  int samples_ = 3;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Sink sink;
  kb::DecodeJpeg(std::string_view(reinterpret_cast<const char*>(data), size), sink);
  return 0;
}
