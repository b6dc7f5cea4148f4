#include "display/picture_loader.h"

#include <algorithm>
#include <array>
#include <optional>

#include "display/bmp_decoder.h"
#include "display/surface_set.h"
#include "platform/files.h"
#include "platform/jpeg_decoder.h"
#include "platform/platform.h"
#include "platform/trace.h"
#include "script/call_stack.h"
#include "script/sjis.h"
#include "shell/packed_mode.h"

namespace kb {
namespace {

// The unscrambled copy of a packed game's JPEG picture.
constexpr std::string_view kJpegTempFile = "jp_deco";

// 8-bit components to pixel values of the display's format, by table:
// RgbToPixel handles each channel on its own, so a pixel is the three
// channels' values or-ed together.
class PixelTables {
 public:
  PixelTables() {
    const PixelFormat& f = displayState.pixelFormat;
    for (int c = 0; c < 256; ++c) {
      r_[static_cast<std::size_t>(c)] = RgbToPixel(f, c, 0, 0) & f.rMask;
      g_[static_cast<std::size_t>(c)] = RgbToPixel(f, 0, c, 0) & f.gMask;
      b_[static_cast<std::size_t>(c)] = RgbToPixel(f, 0, 0, c) & f.bMask;
    }
  }
  std::uint32_t Pixel(std::uint8_t r, std::uint8_t g, std::uint8_t b) const { return r_[r] | g_[g] | b_[b]; }

 private:
  std::array<std::uint32_t, 256> r_{}, g_{}, b_{};
};

void Put(std::uint8_t* p, int bytesPerPixel, std::uint32_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
  if (bytesPerPixel == 3) p[2] = static_cast<std::uint8_t>(value >> 16);
}

// The file the JPEG decoder reads: the picture itself, or in a packed game
// its unscrambled copy.  Empty when the copy could not be made (a copy
// left from an earlier picture must not be shown instead).
std::string JpegSourcePath(std::string_view name) {
  std::string path = JpegPicturePath(name);
  if (!packedMode.packed) return path;
  if (!ScrambleCopyBytes(path, kJpegTempFile)) return "";
  Trace("file", {TraceField::Utf8("op", "create"), TraceField::Utf8("name", kJpegTempFile)});
  return std::string(kJpegTempFile);
}

// Decoded rows straight into a surface: nothing but one row is buffered.
class SurfaceSink : public JpegSink {
 public:
  explicit SurfaceSink(Surface& surface) : surface_(surface) {}

  bool Start(const JpegHeader& header) override {
    if (!PictureSizeAllowed(header.width, header.height)) return false;
    grey_ = header.samples == JpegSamples::Grey;
    width_ = std::min(header.width, surface_.width);
    return true;
  }
  void Row(int y, const std::uint8_t* samples) override {
    if (y >= surface_.height) return;
    const int bpp = surface_.bytesPerPixel;
    std::uint8_t* out = surface_.Row(y);
    for (int x = 0; x < width_; ++x, out += bpp) {
      const std::uint8_t* s = grey_ ? samples + x : samples + 3 * x;
      Put(out, bpp, grey_ ? tables_.Pixel(s[0], s[0], s[0]) : tables_.Pixel(s[0], s[1], s[2]));
    }
  }

 private:
  Surface& surface_;
  PixelTables tables_;
  bool grey_ = false;
  int width_ = 0;
};

class ImageSink : public JpegSink {
 public:
  explicit ImageSink(RgbImage& image) : image_(image) {}

  bool Start(const JpegHeader& header) override {
    if (!PictureSizeAllowed(header.width, header.height)) return false;
    grey_ = header.samples == JpegSamples::Grey;
    image_.Allocate(header.width, header.height);
    return true;
  }
  void Row(int y, const std::uint8_t* samples) override {
    if (y >= image_.height) return;
    std::uint8_t* out = image_.Row(y);
    if (!grey_) {
      std::copy(samples, samples + 3 * image_.width, out);
      return;
    }
    for (int x = 0; x < image_.width; ++x, out += 3) out[0] = out[1] = out[2] = samples[x];
  }

 private:
  RgbImage& image_;
  bool grey_ = false;
};

JpegLoad DecodeJpegFile(std::string_view path, JpegSink& sink) {
  if (path.empty()) return JpegLoad::Failed;
  std::optional<std::string> file = ReadGameFile(path);
  if (!file) return JpegLoad::Failed;
  switch (DecodeJpeg(*file, sink)) {
    case JpegStatus::Decoded: return JpegLoad::Drawn;
    case JpegStatus::OtherColours: return JpegLoad::NothingDrawn;
    case JpegStatus::Refused:
    case JpegStatus::Broken: break;
  }
  return JpegLoad::Failed;
}

}  // namespace

std::string PicturePath(std::string_view name) {
  std::string path(mediaPaths.picture.view());
  path += name;
  path += packedMode.pictureExt.view();
  return path;
}

std::string JpegPicturePath(std::string_view name) {
  std::string path(mediaPaths.picture.view());
  path += name;
  path += packedMode.jpegExt.view();
  return path;
}

bool IsJpegPicture(std::string_view name) {
  const std::string path = JpegPicturePath(name);
  if (packedMode.packed) return ProbePath(path) == 2;
  std::optional<std::string> start = ReadGameFileStart(path, 3);
  return start && *start == "\xFF\xD8\xFF";
}

bool LoadBitmapFile(std::string_view path, RgbImage& out) {
  out = RgbImage{};
  std::optional<std::string> file = ReadGameFile(path);
  return file && DecodeBmp(*file, out) == BmpStatus::Decoded;
}

void FillWithMaskColour(Surface& surface, int w, int h) {
  const MaskColour& m = displayState.maskColour;
  FillRect(surface, 0, 0, w, h, m.r, m.g, m.b);
}

bool LoadPicture(Surface& surface, std::string_view name, int w, int h) {
  FillWithMaskColour(surface, w, h);
  RgbImage image;
  if (!LoadBitmapFile(PicturePath(name), image)) return false;
  DrawRgbImage(surface, 0, 0, image, 0, 0, w, h);
  return true;
}

JpegLoad LoadJpegToSurface(std::string_view name, Surface& surface) {
  FillWithMaskColour(surface, kScreenWidth, kScreenHeight);
  SurfaceSink sink(surface);
  const JpegLoad result = DecodeJpegFile(JpegSourcePath(name), sink);
  // Rows drawn before the decoder gave up are taken back.
  if (result == JpegLoad::Failed) FillWithMaskColour(surface, kScreenWidth, kScreenHeight);
  return result;
}

JpegLoad LoadJpegBitmap(std::string_view path, RgbImage& out) {
  out = RgbImage{};
  ImageSink sink(out);
  const JpegLoad result = DecodeJpegFile(path, sink);
  if (result != JpegLoad::Drawn) out = RgbImage{};
  return result;
}

bool LoadPictureBitmap(std::string_view name, RgbImage& out) {
  if (IsJpegPicture(name)) return LoadJpegBitmap(JpegSourcePath(name), out) != JpegLoad::Failed;
  return LoadBitmapFile(PicturePath(name), out);
}

void PasteBitmap(Surface& surface, const RgbImage& bitmap, int x, int y) {
  FillWithMaskColour(surface, kScreenWidth, kScreenHeight);
  DrawRgbImage(surface, x, y, bitmap, 0, 0, std::min(bitmap.width, kScreenWidth),
               std::min(bitmap.height, kScreenHeight));
}

void DrawRgbImage(Surface& surface, int x, int y, const RgbImage& image, int srcX, int srcY, int w, int h) {
  if (!surface.Exists() || image.Empty()) return;
  // Clip against the destination, then against the image, moving both
  // corners together.
  auto clip = [](int& dst, int& src, int& len, int dstSize, int srcSize) {
    if (dst < 0) {
      src -= dst;
      len += dst;
      dst = 0;
    }
    if (src < 0) {
      dst -= src;
      len += src;
      src = 0;
    }
    len = std::min({len, dstSize - dst, srcSize - src});
  };
  clip(x, srcX, w, surface.width, image.width);
  clip(y, srcY, h, surface.height, image.height);
  if (w <= 0 || h <= 0) return;
  const PixelTables tables;
  const int bpp = surface.bytesPerPixel;
  for (int row = 0; row < h; ++row) {
    const std::uint8_t* src = image.Row(srcY + row) + 3 * srcX;
    std::uint8_t* out = surface.Row(y + row) + x * bpp;
    for (int i = 0; i < w; ++i, src += 3, out += bpp) Put(out, bpp, tables.Pixel(src[0], src[1], src[2]));
  }
}

}  // namespace kb
