// Damaged, truncated and illegal input ends the stream or decodes to silence, and is never read
// outside its bytes (the sanitizer build runs these tests).  Also the bit reservoir's start and
// reset, which make the first frames after a start or a seek silent.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "media/mpeg/mpeg_decoder.h"
#include "mpeg_test_support.h"

namespace kb::mpeg::test {
namespace {

class DamagedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitDecoderTables();
  }
  static std::vector<uint8_t> Iso(const char* name) {
    return ReadFileBytes(VectorsDir() / "iso" / name);
  }
};

TEST_F(DamagedTest, EveryDamagedFileDecodesWithoutFault) {
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VectorsDir() / "damaged")) {
    SCOPED_TRACE(entry.path().filename().string());
    const DecodedFile d = DecodeWholeFile(ReadFileBytes(entry.path()));
    if (d.started) {
      EXPECT_EQ(d.pcm.size() * 2, d.frames * d.outputBytesPerFrame);
      EXPECT_TRUE(d.channels == 1 || d.channels == 2);
    }
    ++files;
  }
  EXPECT_GT(files, 40u);
}

// A file cut anywhere decodes to a prefix of the whole file's PCM: the cut frame is dropped.
TEST_F(DamagedTest, TruncatedFilesDecodeTheFramesThatAreWhole) {
  for (const char* name : {"l1-fl8.bit", "l2-fl16.bit", "l3-he_44khz.bit", "M2L3_noise.bit"}) {
    const std::vector<uint8_t> file = Iso(name);
    const DecodedFile whole = DecodeWholeFile(file);
    ASSERT_TRUE(whole.started) << name;
    for (size_t cut = 0; cut < file.size(); cut += 1 + file.size() / 37) {
      SCOPED_TRACE(std::string(name) + " cut at " + std::to_string(cut));
      const DecodedFile part = DecodeWholeFile(std::span(file).first(cut));
      ASSERT_LE(part.pcm.size(), whole.pcm.size());
      EXPECT_LE(part.bytesConsumed, cut);
      EXPECT_TRUE(std::equal(part.pcm.begin(), part.pcm.end(), whole.pcm.begin()));
    }
  }
}

// Bytes without a sync between two frames end the stream there, as a missing sync does.
TEST_F(DamagedTest, GarbageBetweenFramesEndsTheStream) {
  const std::vector<uint8_t> file = Iso("l3-si.bit");
  const DecodedFile whole = DecodeWholeFile(file);
  // Find the end of the tenth frame.
  FrameHeader header;
  size_t offset = 0;
  ASSERT_TRUE(FindFrameHeader(file, header, offset));
  ASSERT_TRUE(StartStream(header));
  for (int i = 0; i < 10; ++i) offset += FrameLengthAt(std::span(file).subspan(offset));
  std::vector<uint8_t> damaged(file.begin(), file.begin() + static_cast<long>(offset));
  for (int i = 0; i < 300; ++i) damaged.push_back(static_cast<uint8_t>(i * 37 % 251));
  damaged.insert(damaged.end(), file.begin() + static_cast<long>(offset), file.end());
  const DecodedFile d = DecodeWholeFile(damaged);
  EXPECT_EQ(d.frames, 10u);
  EXPECT_TRUE(std::equal(d.pcm.begin(), d.pcm.end(), whole.pcm.begin()));
}

// Random bytes written over the side information and main data of every layer: every frame
// still gives a whole frame of PCM, and nothing is read out of bounds.
TEST_F(DamagedTest, CorruptedFramesStillDecodeSafely) {
  std::mt19937 random(7);
  for (const char* name : {"l1-fl7.bit", "l2-fl11.bit", "l3-compl.bit", "l3-hecommon.bit",
                           "M2L3_noise.bit", "l3-si_block.bit"}) {
    const std::vector<uint8_t> file = Iso(name);
    for (int round = 0; round < 4; ++round) {
      std::vector<uint8_t> damaged = file;
      for (size_t i = 0; i < damaged.size(); ++i) {
        const bool headerByte = i + 1 < damaged.size() && damaged[i] == 0xFF;
        if (!headerByte && random() % 23 == 0) damaged[i] = static_cast<uint8_t>(random());
      }
      SCOPED_TRACE(std::string(name) + " round " + std::to_string(round));
      const DecodedFile d = DecodeWholeFile(damaged);
      if (d.started) {
        EXPECT_EQ(d.pcm.size() * 2, d.frames * d.outputBytesPerFrame);
      }
    }
  }
}

// The first Layer III frame of a decode that starts where main_data_begin points before the
// first byte received is silence; so is the first such frame after ResetStream.
TEST_F(DamagedTest, ReservoirUnderflowGivesSilence) {
  const std::vector<uint8_t> file = Iso("l3-compl.bit");
  FrameHeader header;
  size_t offset = 0;
  ASSERT_TRUE(FindFrameHeader(file, header, offset));
  ASSERT_TRUE(StartStream(header));
  // Move to a frame whose main data begins in an earlier frame.
  auto mainDataBegin = [&](size_t at) {
    const size_t side = at + (file[at + 1] & 1 ? 4 : 6);
    return (file[side] << 1) | (file[side + 1] >> 7);
  };
  for (int i = 0; i < 20 && mainDataBegin(offset) == 0; ++i) {
    offset += FrameLengthAt(std::span(file).subspan(offset));
  }
  ASSERT_GT(mainDataBegin(offset), 0);
  std::vector<uint8_t> out(kMaxOutputBytesPerFrame, 0x55);
  auto decodeNext = [&]() {
    std::fill(out.begin(), out.end(), 0x55);
    const DecodeResult r = DecodeFrame(std::span(file).subspan(offset), out);
    offset += r.consumed;
    return std::all_of(out.begin(), out.begin() + static_cast<long>(r.produced),
                       [](uint8_t b) { return b == 0; });
  };
  EXPECT_TRUE(decodeNext()) << "the first frame after the start is not silent";
  bool sound = false;
  for (int i = 0; i < 8; ++i) sound = !decodeNext() || sound;
  EXPECT_TRUE(sound) << "decoding did not resume";
  ResetStream();
  while (mainDataBegin(offset) == 0) offset += FrameLengthAt(std::span(file).subspan(offset));
  EXPECT_TRUE(decodeNext()) << "the first frame after ResetStream is not silent";
}

}  // namespace
}  // namespace kb::mpeg::test
