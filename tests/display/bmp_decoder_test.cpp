// The BMP reader against pictures made elsewhere (the BMP Suite and its
// reference renderings) and against small files built here for the cases
// the suite does not pin down.
#include "display/bmp_decoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/game_fixture.h"
#include "support/picture_files.h"

namespace {

namespace fs = std::filesystem;
using kb::BmpStatus;
using kb::DecodeBmp;
using kb::RgbImage;

const std::string kSuite = std::string(KB_SOURCE_DIR) + "/tests/data/bmpsuite";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// "" when the image equals the rendering, else where they first differ.
std::string Difference(const RgbImage& image, const kbtest::Frame& ref) {
  if (image.width != ref.width || image.height != ref.height)
    return "size " + std::to_string(image.width) + "x" + std::to_string(image.height) + " vs " +
           std::to_string(ref.width) + "x" + std::to_string(ref.height);
  for (int y = 0; y < ref.height; ++y)
    for (int x = 0; x < ref.width; ++x) {
      const std::uint8_t* p = image.Row(y) + 3 * x;
      kbtest::Frame::Pixel want = ref.At(x, y);
      if (p[0] != want.r || p[1] != want.g || p[2] != want.b)
        return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + std::to_string(p[0]) + "," +
               std::to_string(p[1]) + "," + std::to_string(p[2]) + ", reference " + std::to_string(want.r) +
               "," + std::to_string(want.g) + "," + std::to_string(want.b);
    }
  return "";
}

struct SuiteEntry {
  std::string image;
  std::vector<std::string> references;
};

std::vector<SuiteEntry> ReadReferenceTable() {
  std::vector<SuiteEntry> entries;
  std::istringstream in(ReadFile(kSuite + "/references.tsv"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    SuiteEntry e;
    fields >> e.image;
    for (std::string r; fields >> r;)
      if (r != "none") e.references.push_back(r);
    entries.push_back(e);
  }
  return entries;
}

// Decodes the image and compares it with the renderings it may match.
void ExpectMatchesOneOf(const std::string& image, const std::vector<std::string>& references) {
  RgbImage decoded;
  ASSERT_EQ(DecodeBmp(ReadFile(kSuite + "/" + image), decoded), BmpStatus::Decoded) << image;
  std::string report;
  for (const std::string& r : references) {
    kbtest::Frame ref;
    ASSERT_TRUE(kbtest::ReadPng(kSuite + "/" + r, ref)) << r;
    std::string diff = Difference(decoded, ref);
    if (diff.empty()) return;
    report += "\n  " + r + ": " + diff;
  }
  ADD_FAILURE() << image << " matches no reference:" << report;
}

TEST(BmpSuite, EveryGoodImageDecodesToItsReference) {
  int compared = 0;
  for (const SuiteEntry& e : ReadReferenceTable()) {
    if (e.image.rfind("g/", 0) != 0) continue;
    ExpectMatchesOneOf(e.image, e.references);
    ++compared;
  }
  EXPECT_EQ(compared, static_cast<int>(std::distance(fs::directory_iterator(kSuite + "/g"), {})));
}

// Pixels a run-length stream skips take colour index 0 (the "-0" rendering).
TEST(BmpSuite, RunLengthFilesWithSkippedPixelsShowIndexZeroThere) {
  for (const char* name : {"pal4rlecut", "pal4rletrns", "pal8rlecut", "pal8rletrns"})
    ExpectMatchesOneOf(std::string("q/") + name + ".bmp", {std::string("reference/") + name + "-0.png"});
}

// Bad and questionable files are refused or decoded; under the sanitizers
// this also shows that no read or write leaves its buffer.
TEST(BmpSuite, BadAndQuestionableFilesAreRefusedOrDecodedSafely) {
  for (const char* folder : {"b", "q"})
    for (const auto& entry : fs::directory_iterator(kSuite + "/" + folder)) {
      RgbImage image;
      BmpStatus status = DecodeBmp(ReadFile(entry.path().string()), image);
      if (status == BmpStatus::Decoded) {
        EXPECT_EQ(image.rgb.size(), static_cast<std::size_t>(image.width) * image.height * 3);
      } else {
        EXPECT_TRUE(image.Empty()) << entry.path();
      }
    }
  RgbImage image;
  EXPECT_EQ(DecodeBmp(ReadFile(kSuite + "/b/reallybig.bmp"), image), BmpStatus::TooLarge);
  EXPECT_EQ(DecodeBmp(ReadFile(kSuite + "/b/rletopdown.bmp"), image), BmpStatus::Unsupported);
}

// Every prefix of a good file is refused or decoded, never read past.
TEST(BmpSuite, TruncatedFilesAreRefused) {
  for (const char* name : {"g/pal8rle.bmp", "g/pal4rle.bmp", "g/rgb16-565.bmp", "g/pal8os2.bmp", "g/pal8v5.bmp"}) {
    const std::string whole = ReadFile(kSuite + "/" + name);
    for (std::size_t n = 0; n < whole.size(); n += 7) {
      RgbImage image;
      BmpStatus status = DecodeBmp(whole.substr(0, n), image);
      // Uncompressed files need all their bits; a cut stream leaves index 0.
      if (status != BmpStatus::Decoded) {
        EXPECT_TRUE(image.Empty());
      }
    }
  }
}

using kbtest::BmpBuilder;

TEST(BmpReader, MarkerBeforeTheSignatureIsSkipped) {
  BmpBuilder b(3, 2, 24);
  b.Row24({{255, 0, 0}, {0, 255, 0}, {0, 0, 255}});
  b.Row24({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
  RgbImage plain, marked;
  ASSERT_EQ(DecodeBmp(b.File(), plain), BmpStatus::Decoded);
  ASSERT_EQ(DecodeBmp("XQ" + b.File(), marked), BmpStatus::Decoded);
  EXPECT_EQ(plain.rgb, marked.rgb);
  // Rows are stored bottom first: the first stored row is the bottom one.
  EXPECT_EQ(plain.Row(1)[0], 255);
  EXPECT_EQ(plain.Row(0)[0], 1);
  EXPECT_EQ(DecodeBmp("XY" + b.File(), marked), BmpStatus::NotBmp);
}

// Run-length streams: each case gives the stream and the expected indexes,
// top row first.
struct RleCase {
  const char* what;
  int width, height, bits;
  std::vector<std::uint8_t> stream;
  std::vector<std::vector<int>> rows;
};

TEST(BmpReader, RunLengthDecisions) {
  const RleCase cases[] = {
      {"delta skips dx + dy * width pixels with index 0", 4, 3, 8,
       {2, 5, 0, 2, 1, 1, 1, 7, 0, 1},
       {{0, 0, 0, 0}, {0, 0, 0, 7}, {5, 5, 0, 0}}},
      {"an early end of bitmap leaves index 0", 3, 2, 8, {3, 9, 0, 1}, {{0, 0, 0}, {9, 9, 9}}},
      {"a run past the row's end goes on in the next row", 3, 2, 8, {5, 4, 0, 1}, {{4, 4, 0}, {4, 4, 4}}},
      {"end of line after a full row moves one row", 2, 2, 8, {2, 1, 0, 0, 2, 2, 0, 1}, {{2, 2}, {1, 1}}},
      {"literal groups realign to an even offset", 4, 1, 8, {0, 3, 1, 2, 3, 0, 1, 6}, {{1, 2, 3, 6}}},
      {"4-bit runs alternate the nibbles, high first", 9, 1, 4, {9, 0x12, 0, 1}, {{1, 2, 1, 2, 1, 2, 1, 2, 1}}},
      {"4-bit literals read nibbles high first", 5, 1, 4, {0, 5, 0xAB, 0xCD, 0xE0, 0, 0, 1},
       {{10, 11, 12, 13, 14}}},
      {"a stream cut short leaves index 0", 3, 1, 8, {2, 3, 0}, {{3, 3, 0}}},
      {"bytes after the last row are not read", 2, 1, 8, {2, 6, 2, 7}, {{6, 6}}},
  };
  for (const RleCase& c : cases) {
    BmpBuilder b(c.width, c.height, c.bits);
    b.SetGreyPalette();
    b.SetRle(c.stream);
    RgbImage image;
    ASSERT_EQ(DecodeBmp(b.File(), image), BmpStatus::Decoded) << c.what;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x)
        EXPECT_EQ(image.Row(y)[3 * x], c.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)])
            << c.what << " at (" << x << ", " << y << ")";
  }
}

TEST(BmpReader, RefusesWhatItDoesNotTake) {
  struct Case {
    const char* what;
    std::string file;
    BmpStatus status;
  };
  BmpBuilder good(2, 2, 8);
  good.SetGreyPalette();
  good.Row8({1, 2});
  good.Row8({3, 4});
  auto patched = [&](std::size_t offset, std::vector<std::uint8_t> bytes) {
    std::string f = good.File();
    for (std::size_t i = 0; i < bytes.size(); ++i) f[offset + i] = static_cast<char>(bytes[i]);
    return f;
  };
  const Case cases[] = {
      {"empty file", "", BmpStatus::NotBmp},
      {"signature only", "BM", BmpStatus::Truncated},
      {"unknown header size", patched(14, {64, 0, 0, 0}), BmpStatus::BadHeader},
      {"two planes", patched(26, {2, 0}), BmpStatus::BadHeader},
      {"zero width", patched(18, {0, 0, 0, 0}), BmpStatus::BadHeader},
      {"2 bits a pixel", patched(28, {2, 0}), BmpStatus::Unsupported},
      {"JPEG inside", patched(30, {4, 0, 0, 0}), BmpStatus::Unsupported},
      {"4-bit run-length on 8 bits", patched(30, {2, 0, 0, 0}), BmpStatus::Unsupported},
      {"absurd width", patched(18, {0xFF, 0xFF, 0, 0}), BmpStatus::TooLarge},
      {"most negative height", patched(22, {0, 0, 0, 0x80}), BmpStatus::TooLarge},
      {"bits past the end", patched(10, {0xFF, 0xFF, 0, 0}), BmpStatus::Truncated},
      {"last row short", good.File().substr(0, good.File().size() - 3), BmpStatus::Truncated},
  };
  for (const Case& c : cases) {
    RgbImage image;
    EXPECT_EQ(DecodeBmp(c.file, image), c.status) << c.what;
    EXPECT_TRUE(image.Empty()) << c.what;
  }
  // Only the last row's padding may be missing.
  RgbImage image;
  EXPECT_EQ(DecodeBmp(good.File().substr(0, good.File().size() - 2), image), BmpStatus::Decoded);
}

TEST(BmpReader, IndexesPastThePaletteAreBlack) {
  BmpBuilder b(2, 1, 8);
  b.SetPalette({{10, 20, 30}});
  b.Row8({0, 200});
  RgbImage image;
  ASSERT_EQ(DecodeBmp(b.File(), image), BmpStatus::Decoded);
  EXPECT_EQ(std::vector<std::uint8_t>(image.rgb.begin(), image.rgb.end()),
            (std::vector<std::uint8_t>{10, 20, 30, 0, 0, 0}));
}

}  // namespace
