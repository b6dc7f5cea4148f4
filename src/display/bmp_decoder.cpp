#include "display/bmp_decoder.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kb {
namespace {

constexpr std::uint64_t kFileHeaderBytes = 14;
constexpr std::uint64_t kMaskOffset = 54;  // after a 40-byte header, or inside a longer one

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

// The file's bytes; every read is checked with Has first.
class Bytes {
 public:
  explicit Bytes(std::string_view data) : data_(data) {}
  std::uint64_t size() const { return data_.size(); }
  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size() && count <= size() - offset;
  }
  std::uint8_t U8(std::uint64_t offset) const { return static_cast<std::uint8_t>(data_[offset]); }
  std::uint32_t U16(std::uint64_t offset) const {
    return static_cast<std::uint32_t>(U8(offset) | (U8(offset + 1) << 8));
  }
  std::uint32_t U32(std::uint64_t offset) const { return U16(offset) | (U16(offset + 2) << 16); }
  const std::uint8_t* At(std::uint64_t offset) const {
    return reinterpret_cast<const std::uint8_t*>(data_.data()) + offset;
  }

 private:
  std::string_view data_;
};

// One colour channel of a 16- or 32-bit pixel, described by its bit mask.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;  // 0: the channel is always 0
};

// False for a mask whose set bits are not one run.
bool MakeChannel(std::uint32_t mask, Channel& c) {
  c = Channel{};
  c.mask = mask;
  if (mask == 0) return true;
  while (!(mask & 1u)) {
    mask >>= 1;
    ++c.shift;
  }
  while (mask & 1u) {
    mask >>= 1;
    ++c.bits;
  }
  return mask == 0;
}

// The channel's value scaled to 8 bits, rounded to the nearest
// (5-bit 31 -> 255, 3 -> 25; 10-bit 1023 -> 255).
std::uint8_t Expand(std::uint32_t pixel, const Channel& c) {
  if (c.bits == 0) return 0;
  const std::uint64_t v = (pixel & c.mask) >> c.shift;
  const std::uint64_t max = (std::uint64_t{1} << c.bits) - 1;
  return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
}

struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
};

// What the header says, checked.
struct Layout {
  int width = 0;
  int height = 0;
  bool topDown = false;
  int bitsPerPixel = 0;
  std::uint32_t compression = kRgb;
  std::uint64_t bitsOffset = 0;
  std::array<Channel, 3> channels;  // red, green, blue (16 and 32 bits)
  std::array<Colour, 256> palette;  // indexes at or past paletteSize are black
  int paletteSize = 0;
};

bool OneOf(int value, std::initializer_list<int> allowed) {
  for (int a : allowed)
    if (value == a) return true;
  return false;
}

BmpStatus ReadChannels(const Bytes& file, Layout& l) {
  std::uint32_t masks[3];
  if (l.compression == kBitFields) {
    if (!file.Has(kMaskOffset, 12)) return BmpStatus::Truncated;
    for (int i = 0; i < 3; ++i) masks[i] = file.U32(kMaskOffset + 4 * static_cast<std::uint64_t>(i));
  } else if (l.bitsPerPixel == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  } else {
    masks[0] = 0xFF0000;
    masks[1] = 0x00FF00;
    masks[2] = 0x0000FF;
  }
  for (int i = 0; i < 3; ++i)
    if (!MakeChannel(masks[i], l.channels[static_cast<std::size_t>(i)])) return BmpStatus::Unsupported;
  return BmpStatus::Decoded;
}

BmpStatus ReadPalette(const Bytes& file, std::uint64_t offset, bool core, std::uint32_t coloursUsed,
                      Layout& l) {
  const std::uint32_t full = 1u << l.bitsPerPixel;
  const std::uint32_t count = core || coloursUsed == 0 || coloursUsed > full ? full : coloursUsed;
  const std::uint64_t entryBytes = core ? 3 : 4;
  if (!file.Has(offset, count * entryBytes)) return BmpStatus::Truncated;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t at = offset + i * entryBytes;
    l.palette[i] = Colour{file.U8(at + 2), file.U8(at + 1), file.U8(at)};
  }
  l.paletteSize = static_cast<int>(count);
  return BmpStatus::Decoded;
}

BmpStatus ReadLayout(const Bytes& file, Layout& l) {
  if (!file.Has(0, 2) || file.U8(0) != 'B' || file.U8(1) != 'M') return BmpStatus::NotBmp;
  if (!file.Has(0, kFileHeaderBytes + 4)) return BmpStatus::Truncated;
  const std::uint32_t headerBytes = file.U32(kFileHeaderBytes);
  if (!OneOf(static_cast<int>(headerBytes), {12, 40, 52, 56, 108, 124})) return BmpStatus::BadHeader;
  if (!file.Has(kFileHeaderBytes, headerBytes)) return BmpStatus::Truncated;
  const bool core = headerBytes == 12;

  std::int64_t width, height;
  std::uint32_t planes, coloursUsed = 0;
  if (core) {
    width = file.U16(18);
    height = file.U16(20);
    planes = file.U16(22);
    l.bitsPerPixel = static_cast<int>(file.U16(24));
    l.compression = kRgb;  // the core header has no compression field
  } else {
    width = static_cast<std::int32_t>(file.U32(18));
    height = static_cast<std::int32_t>(file.U32(22));
    planes = file.U16(26);
    l.bitsPerPixel = static_cast<int>(file.U16(28));
    l.compression = file.U32(30);
    coloursUsed = file.U32(46);
  }
  if (planes != 1 || width <= 0 || height == 0) return BmpStatus::BadHeader;
  if (height < 0) {
    l.topDown = true;
    height = -height;
  }
  if (!OneOf(l.bitsPerPixel, core ? std::initializer_list<int>{1, 4, 8, 24} : std::initializer_list<int>{1, 4, 8, 16, 24, 32}))
    return BmpStatus::Unsupported;
  switch (l.compression) {
    case kRgb: break;
    case kRle8:
      if (l.bitsPerPixel != 8 || l.topDown) return BmpStatus::Unsupported;
      break;
    case kRle4:
      if (l.bitsPerPixel != 4 || l.topDown) return BmpStatus::Unsupported;
      break;
    case kBitFields:
      if (l.bitsPerPixel != 16 && l.bitsPerPixel != 32) return BmpStatus::Unsupported;
      break;
    default: return BmpStatus::Unsupported;
  }
  if (!PictureSizeAllowed(width, height)) return BmpStatus::TooLarge;
  l.width = static_cast<int>(width);
  l.height = static_cast<int>(height);

  BmpStatus status = BmpStatus::Decoded;
  if (l.bitsPerPixel <= 8)
    status = ReadPalette(file, kFileHeaderBytes + headerBytes, core, coloursUsed, l);
  else if (l.bitsPerPixel != 24)
    status = ReadChannels(file, l);
  if (status != BmpStatus::Decoded) return status;

  l.bitsOffset = file.U32(10);
  if (!file.Has(l.bitsOffset, 0)) return BmpStatus::Truncated;
  return BmpStatus::Decoded;
}

Colour PaletteColour(const Layout& l, unsigned index) {
  return static_cast<int>(index) < l.paletteSize ? l.palette[index] : Colour{};
}

void Store(std::uint8_t* out, Colour c) {
  out[0] = c.r;
  out[1] = c.g;
  out[2] = c.b;
}

void DecodeRow(const std::uint8_t* src, const Layout& l, std::uint8_t* out) {
  const auto& ch = l.channels;
  for (int x = 0; x < l.width; ++x, out += 3) {
    switch (l.bitsPerPixel) {
      case 1: Store(out, PaletteColour(l, (src[x >> 3] >> (7 - (x & 7))) & 1u)); break;
      case 4: Store(out, PaletteColour(l, (x & 1) ? src[x >> 1] & 0x0Fu : src[x >> 1] >> 4)); break;
      case 8: Store(out, PaletteColour(l, src[x])); break;
      case 16: {
        const std::uint8_t* p = src + 2 * x;
        std::uint32_t v = static_cast<std::uint32_t>(p[0] | (p[1] << 8));
        Store(out, Colour{Expand(v, ch[0]), Expand(v, ch[1]), Expand(v, ch[2])});
        break;
      }
      case 24: {
        const std::uint8_t* p = src + 3 * x;
        Store(out, Colour{p[2], p[1], p[0]});
        break;
      }
      default: {
        const std::uint8_t* p = src + 4 * x;
        std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                          (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
        Store(out, Colour{Expand(v, ch[0]), Expand(v, ch[1]), Expand(v, ch[2])});
        break;
      }
    }
  }
}

BmpStatus DecodeUncompressed(const Bytes& file, const Layout& l, RgbImage& out) {
  const std::uint64_t bitsPerRow = static_cast<std::uint64_t>(l.bitsPerPixel) * static_cast<std::uint64_t>(l.width);
  const std::uint64_t stride = (bitsPerRow + 31) / 32 * 4;
  // The last row's padding may be missing from the file.
  const std::uint64_t needed = stride * static_cast<std::uint64_t>(l.height - 1) + (bitsPerRow + 7) / 8;
  if (!file.Has(l.bitsOffset, needed)) return BmpStatus::Truncated;
  out.Allocate(l.width, l.height);
  for (int row = 0; row < l.height; ++row) {
    const std::uint8_t* src = file.At(l.bitsOffset + stride * static_cast<std::uint64_t>(row));
    DecodeRow(src, l, out.Row(l.topDown ? row : l.height - 1 - row));
  }
  return BmpStatus::Decoded;
}

// The run-length stream, decoded into colour indexes (bottom row first).
// The position (x, y) may stand at x == width: the end of a row whose next
// pixel goes to the start of the following row.
class RleDecoder {
 public:
  RleDecoder(const Bytes& file, const Layout& l)
      : file_(file), width_(l.width), height_(l.height), rle8_(l.compression == kRle8),
        pos_(l.bitsOffset), start_(l.bitsOffset),
        indexes_(static_cast<std::size_t>(l.width) * static_cast<std::size_t>(l.height), 0) {}

  std::vector<std::uint8_t> Run() {
    while (!Finished()) {
      pos_ += (pos_ - start_) & 1;  // each code starts at an even distance from the stream's start
      if (!file_.Has(pos_, 2)) break;  // a stream cut short: the rest stays index 0
      const unsigned count = file_.U8(pos_), value = file_.U8(pos_ + 1);
      pos_ += 2;
      if (count > 0) {
        for (unsigned i = 0; i < count && Put(rle8_ ? value : (i & 1) ? value & 0x0Fu : value >> 4); ++i) {
        }
      } else if (value == 0) {  // end of line: the rest of the row keeps index 0
        x_ = 0;
        ++y_;
      } else if (value == 1) {  // end of bitmap: so does everything after
        break;
      } else if (value == 2) {  // delta: skips dx + dy * width pixels
        if (!file_.Has(pos_, 2)) break;
        x_ += file_.U8(pos_);
        y_ += file_.U8(pos_ + 1);
        pos_ += 2;
        while (x_ > width_) {
          x_ -= width_;
          ++y_;
        }
      } else if (!Literal(value)) {
        break;
      }
    }
    return std::move(indexes_);
  }

 private:
  bool Finished() const { return y_ >= height_ || (y_ == height_ - 1 && x_ >= width_); }

  // Writes one index at the position; false once the bitmap is full.
  bool Put(unsigned index) {
    if (x_ >= width_) {
      x_ = 0;
      ++y_;
    }
    if (y_ >= height_) return false;
    indexes_[static_cast<std::size_t>(y_) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x_)] =
        static_cast<std::uint8_t>(index);
    ++x_;
    return true;
  }

  // n literal pixels (bytes, or nibbles high first); false when the stream
  // ends inside them.
  bool Literal(unsigned n) {
    for (unsigned i = 0; i < n; ++i) {
      const std::uint64_t at = pos_ + (rle8_ ? i : i / 2);
      if (!file_.Has(at, 1)) return false;
      const unsigned byte = file_.U8(at);
      if (!Put(rle8_ ? byte : (i & 1) ? byte & 0x0Fu : byte >> 4)) break;
    }
    pos_ += rle8_ ? n : (n + 1) / 2;
    return true;
  }

  const Bytes& file_;
  const int width_, height_;
  const bool rle8_;
  std::uint64_t pos_;
  const std::uint64_t start_;
  int x_ = 0, y_ = 0;
  std::vector<std::uint8_t> indexes_;
};

BmpStatus DecodeRunLength(const Bytes& file, const Layout& l, RgbImage& out) {
  const std::vector<std::uint8_t> indexes = RleDecoder(file, l).Run();
  out.Allocate(l.width, l.height);
  for (int row = 0; row < l.height; ++row) {
    const std::uint8_t* src = indexes.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(l.width);
    std::uint8_t* dst = out.Row(l.height - 1 - row);
    for (int x = 0; x < l.width; ++x, dst += 3) Store(dst, PaletteColour(l, src[x]));
  }
  return BmpStatus::Decoded;
}

}  // namespace

BmpStatus DecodeBmp(std::string_view file, RgbImage& out) {
  out = RgbImage{};
  // Packed games may put a two-byte marker before the signature.
  if (file.size() >= 2 && file[0] == 'X' && file[1] == 'Q') file.remove_prefix(2);
  const Bytes bytes(file);
  Layout layout;
  BmpStatus status = ReadLayout(bytes, layout);
  if (status != BmpStatus::Decoded) return status;
  if (layout.compression == kRle8 || layout.compression == kRle4) return DecodeRunLength(bytes, layout, out);
  return DecodeUncompressed(bytes, layout, out);
}

}  // namespace kb
