#include "support/picture_files.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <cstdlib>

namespace kbtest {
namespace {

void Put16(std::string& s, std::uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

}  // namespace

BmpBuilder::BmpBuilder(int width, int height, int bitsPerPixel)
    : width_(width), height_(height), bits_(bitsPerPixel) {}

void BmpBuilder::SetPalette(const std::vector<RgbTriple>& colours) { palette_ = colours; }

void BmpBuilder::SetGreyPalette() {
  palette_.clear();
  for (int i = 0; i < (1 << bits_); ++i) palette_.push_back({i, i, i});
}

void BmpBuilder::Row8(const std::vector<int>& indexes) {
  std::size_t start = rows_.size();
  for (int i : indexes) rows_.push_back(static_cast<char>(i));
  while ((rows_.size() - start) % 4 != 0) rows_.push_back('\0');
}

void BmpBuilder::Row24(const std::vector<RgbTriple>& colours) {
  std::size_t start = rows_.size();
  for (const RgbTriple& c : colours) {
    rows_.push_back(static_cast<char>(c[2]));
    rows_.push_back(static_cast<char>(c[1]));
    rows_.push_back(static_cast<char>(c[0]));
  }
  while ((rows_.size() - start) % 4 != 0) rows_.push_back('\0');
}

void BmpBuilder::SetRle(const std::vector<std::uint8_t>& stream) {
  compression_ = bits_ == 8 ? 1 : 2;
  rows_.assign(stream.begin(), stream.end());
}

std::string BmpBuilder::File() const {
  const std::uint32_t offBits = 14 + 40 + static_cast<std::uint32_t>(palette_.size()) * 4;
  std::string f = "BM";
  Put32(f, offBits + static_cast<std::uint32_t>(rows_.size()));
  Put32(f, 0);
  Put32(f, offBits);
  Put32(f, 40);
  Put32(f, static_cast<std::uint32_t>(width_));
  Put32(f, static_cast<std::uint32_t>(topDown_ ? -height_ : height_));
  Put16(f, 1);
  Put16(f, static_cast<std::uint32_t>(bits_));
  Put32(f, compression_);
  Put32(f, static_cast<std::uint32_t>(rows_.size()));
  Put32(f, 2835);
  Put32(f, 2835);
  Put32(f, static_cast<std::uint32_t>(palette_.size()));
  Put32(f, 0);
  for (const RgbTriple& c : palette_) {
    f.push_back(static_cast<char>(c[2]));
    f.push_back(static_cast<char>(c[1]));
    f.push_back(static_cast<char>(c[0]));
    f.push_back('\0');
  }
  return f + rows_;
}

std::string MakeBmp24(int width, int height, const std::function<RgbTriple(int, int)>& colour) {
  BmpBuilder b(width, height, 24);
  for (int y = height - 1; y >= 0; --y) {
    std::vector<RgbTriple> row;
    for (int x = 0; x < width; ++x) row.push_back(colour(x, y));
    b.Row24(row);
  }
  return b.File();
}

std::string MakeJpeg(int width, int height, int components,
                     const std::function<std::array<int, 4>(int, int)>& samples, int quality) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width * components));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::array<int, 4> s = samples(x, y);
      for (int c = 0; c < components; ++c)
        row[static_cast<std::size_t>(x * components + c)] = static_cast<JSAMPLE>(s[static_cast<std::size_t>(c)]);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return out;
}

}  // namespace kbtest
