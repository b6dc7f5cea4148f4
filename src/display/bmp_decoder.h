#pragma once
// BMP files (device-independent bitmaps) decoded into 8-bit R, G, B rows.
//
// Accepted: the core header (12 bytes) and the info headers of 40, 52, 56,
// 108 and 124 bytes (versions 3 to 5); 1, 4, 8, 16, 24 and 32 bits a
// pixel; uncompressed rows bottom-up or top-down (negative height); bit
// fields for 16 and 32 bits; 8-bit and 4-bit run-length compression
// (bottom-up only).  A file of a packed game may carry the two-byte marker
// "XQ" before "BM".
//
// Run-length streams are decoded the way the game always has: pixels the
// stream skips (delta, end of line, an early end of the bitmap, a stream
// cut short) take colour index 0; a run that reaches the end of a row goes
// on at the start of the next; decoding stops after the last row.
//
// Everything else is refused.  Every read is checked against the file's
// size, and sizes beyond kMaxPicturePixels are refused before allocating,
// so any sequence of bytes is safe to pass in.  Pure: no files, no state.
#include <string_view>

#include "display/rgb_image.h"

namespace kb {

enum class BmpStatus {
  Decoded,
  NotBmp,       // no "BM" signature (after the optional marker)
  BadHeader,    // unknown header size, bad planes, width or height
  Unsupported,  // a bit depth or compression the reader does not take
  TooLarge,     // dimensions beyond the picture limits
  Truncated,    // the header, palette or pixel bits run past the file's end
};

// Decodes the bytes of a BMP file into out (replaced on success, left
// empty otherwise).
BmpStatus DecodeBmp(std::string_view file, RgbImage& out);

}  // namespace kb
