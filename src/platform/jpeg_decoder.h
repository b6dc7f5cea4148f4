#pragma once
// JPEG pictures, decoded row by row from the bytes of a file.  The
// decoder's fatal errors come back as a failure of the call; its warnings
// (recoverable damage) are ignored and decoding goes on.
#include <cstdint>
#include <string_view>

namespace kb {

enum class JpegSamples {
  Rgb,    // 3 samples a pixel: R, G, B
  Grey,   // 1 sample a pixel
  Other,  // anything else (CMYK, YCCK): no rows are delivered
};

struct JpegHeader {
  int width = 0;
  int height = 0;
  JpegSamples samples = JpegSamples::Rgb;
};

// Receives the picture: Start once with the output size (returning false
// refuses the picture: no rows follow), then Row for rows 0 (top) to
// height - 1 while the decoder delivers them.  The samples of a row are
// valid only during the call.
class JpegSink {
 public:
  virtual ~JpegSink() = default;
  virtual bool Start(const JpegHeader& header) = 0;
  virtual void Row(int y, const std::uint8_t* samples) = 0;
};

enum class JpegStatus {
  Decoded,      // every row was delivered (damage the decoder could mend included)
  OtherColours, // decoded header, output neither RGB nor grey: no rows
  Refused,      // Start answered false
  Broken,       // not a JPEG, or damage the decoder gives up on; some rows may have been delivered
};

// Decodes a whole JPEG file held in memory with the library's default
// parameters (no scaling, no quantization, output colours as the file
// implies).  Never ends the program and never writes to the standard
// streams, whatever the bytes.
JpegStatus DecodeJpeg(std::string_view file, JpegSink& sink);

}  // namespace kb
