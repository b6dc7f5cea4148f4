// Header search, stream parameters, frame lengths and the frame loop's contract, on small
// frames built in the test: an all-zero payload is a valid silent frame in every layer.

#include <gtest/gtest.h>

#include <algorithm>

#include "media/mpeg/mpeg_decoder.h"
#include "mpeg_test_support.h"

namespace kb::mpeg::test {
namespace {

struct HeaderFields {
  uint32_t id = 1;
  uint32_t layer = 1;  // Layer III
  uint32_t bitrateIndex = 9;
  uint32_t frequencyIndex = 0;
  uint32_t padding = 0;
  uint32_t mode = 0;
  uint32_t protection = 1;  // no CRC
};

std::vector<uint8_t> HeaderBytes(const HeaderFields& f) {
  return {0xFF, static_cast<uint8_t>(0xF0 | (f.id << 3) | (f.layer << 1) | f.protection),
          static_cast<uint8_t>((f.bitrateIndex << 4) | (f.frequencyIndex << 2) | (f.padding << 1)),
          static_cast<uint8_t>(f.mode << 6)};
}

FrameHeader Parse(const HeaderFields& f) {
  FrameHeader header;
  size_t offset = 0;
  const std::vector<uint8_t> bytes = HeaderBytes(f);
  EXPECT_TRUE(FindFrameHeader(bytes, header, offset));
  return header;
}

// A frame of `length` bytes: the header, then zeros.
void AppendFrame(std::vector<uint8_t>& stream, const HeaderFields& f, size_t length) {
  std::vector<uint8_t> frame = HeaderBytes(f);
  frame.resize(length, 0);
  stream.insert(stream.end(), frame.begin(), frame.end());
}

size_t LengthOf(const HeaderFields& f) {
  StreamParams params;
  EXPECT_TRUE(GetStreamParams(Parse(f), params));
  return params.nominalFrameLength + f.padding * (f.layer == 3 ? 4 : 1);
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override { InitDecoderTables(); }
};

TEST_F(FrameTest, FindFrameHeaderNeedsAWholeTwelveBitSyncedHeader) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    bool found;
    size_t offset;
  };
  const Case cases[] = {
      {"empty", {}, false, 0},
      {"only 0xFF in the last three bytes", {0x00, 0x12, 0x34, 0x56, 0xFF, 0xFB, 0x90}, false, 0},
      {"MPEG-2.5 sync", {0xFF, 0xE3, 0x90, 0x00, 0x00, 0x00}, false, 0},
      {"sync after junk", {0x00, 0xFF, 0x12, 0xFF, 0xFB, 0x90, 0x64}, true, 3},
      {"first of two syncs", {0xFF, 0xF3, 0x90, 0x00, 0xFF, 0xFB, 0x90, 0x00}, true, 0},
  };
  for (const Case& c : cases) {
    FrameHeader header;
    size_t offset = 99;
    EXPECT_EQ(FindFrameHeader(c.bytes, header, offset), c.found) << c.what;
    if (c.found) {
      EXPECT_EQ(offset, c.offset) << c.what;
    }
  }
}

TEST_F(FrameTest, HeaderFieldsAndTableValues) {
  // MPEG-1 Layer III, no CRC, 128 kbit/s, 44.1 kHz, padded, private, joint stereo with mid/side,
  // copyright, original, emphasis 1.
  const std::vector<uint8_t> bytes = {0xFF, 0xFB, 0x93, 0x6D};
  FrameHeader h;
  size_t offset = 0;
  ASSERT_TRUE(FindFrameHeader(bytes, h, offset));
  EXPECT_EQ(h.id, 1u);
  EXPECT_EQ(h.layer, 1u);
  EXPECT_EQ(h.protection, 1u);
  EXPECT_EQ(h.bitrateIndex, 9u);
  EXPECT_EQ(h.frequencyIndex, 0u);
  EXPECT_EQ(h.padding, 1u);
  EXPECT_EQ(h.privateBit, 1u);
  EXPECT_EQ(h.mode, 1u);
  EXPECT_EQ(h.modeExtension, 2u);
  EXPECT_EQ(h.copyright, 1u);
  EXPECT_EQ(h.original, 1u);
  EXPECT_EQ(h.emphasis, 1u);
  EXPECT_EQ(h.bitrate, 128u);
  EXPECT_EQ(h.frequency, 44100u);
}

TEST_F(FrameTest, StreamParamsByLayerAndVersion) {
  struct Case {
    const char* what;
    HeaderFields fields;
    StreamParams expected;
  };
  const Case cases[] = {
      {"Layer I 384 kbit/s 44.1 kHz stereo", {1, 3, 12, 0, 0, 0, 1}, {2, 16, 44100, 416, 420, 1536}},
      {"Layer II 192 kbit/s 48 kHz mono", {1, 2, 10, 1, 0, 3, 1}, {1, 16, 48000, 576, 577, 2304}},
      {"Layer III 128 kbit/s 44.1 kHz stereo", {1, 1, 9, 0, 0, 1, 1}, {2, 16, 44100, 417, 418, 4608}},
      {"LSF Layer III 64 kbit/s 22.05 kHz stereo", {0, 1, 8, 0, 0, 0, 1}, {2, 16, 22050, 208, 209, 2304}},
      {"LSF Layer II 96 kbit/s 24 kHz mono", {0, 2, 10, 1, 0, 3, 1}, {1, 16, 24000, 576, 577, 2304}},
  };
  for (const Case& c : cases) {
    StreamParams p;
    ASSERT_TRUE(GetStreamParams(Parse(c.fields), p)) << c.what;
    EXPECT_EQ(p.channels, c.expected.channels) << c.what;
    EXPECT_EQ(p.bitsPerSample, c.expected.bitsPerSample) << c.what;
    EXPECT_EQ(p.samplesPerSecond, c.expected.samplesPerSecond) << c.what;
    EXPECT_EQ(p.nominalFrameLength, c.expected.nominalFrameLength) << c.what;
    EXPECT_EQ(p.maxFrameLength, c.expected.maxFrameLength) << c.what;
    EXPECT_EQ(p.outputBytesPerFrame, c.expected.outputBytesPerFrame) << c.what;
  }
}

TEST_F(FrameTest, UnplayableHeadersAreRefused) {
  struct Case {
    const char* what;
    HeaderFields fields;
  };
  const Case cases[] = {
      {"reserved layer", {1, 0, 9, 0, 0, 0, 1}},
      {"free format", {1, 1, 0, 0, 0, 0, 1}},
      {"forbidden bitrate index", {1, 1, 15, 0, 0, 0, 1}},
      {"reserved frequency", {1, 1, 9, 3, 0, 0, 1}},
  };
  for (const Case& c : cases) {
    StreamParams p;
    EXPECT_FALSE(GetStreamParams(Parse(c.fields), p)) << c.what;
    EXPECT_FALSE(StartStream(Parse(c.fields))) << c.what;
  }
}

TEST_F(FrameTest, LayerTwoBitrateAndModeCombinationsTheFormatForbids) {
  struct Case {
    uint32_t bitrateIndex;  // Layer II: 1=32 3=56 5=80 4=64 10=192 11=224 14=384
    uint32_t mode;
    bool playable;
  };
  const Case cases[] = {{1, 0, false}, {3, 1, false}, {5, 2, false}, {11, 3, false},
                        {14, 3, false}, {1, 3, true},  {4, 0, true},  {10, 3, true},
                        {11, 0, true},  {14, 1, true}};
  for (const Case& c : cases) {
    HeaderFields f;
    f.layer = 2;
    f.bitrateIndex = c.bitrateIndex;
    f.mode = c.mode;
    EXPECT_EQ(StartStream(Parse(f)), c.playable) << "index " << c.bitrateIndex << " mode " << c.mode;
  }
}

TEST_F(FrameTest, OutputBytesPerFrameAndSilence) {
  struct Case {
    const char* what;
    HeaderFields fields;
    size_t bytes;
  };
  const Case cases[] = {
      {"mono Layer II", {1, 2, 10, 1, 0, 3, 1}, 2304},
      {"stereo LSF Layer III", {0, 1, 8, 0, 0, 0, 1}, 2304},
      {"stereo MPEG-1 Layer III", {1, 1, 9, 0, 0, 0, 1}, 4608},
      {"stereo Layer I", {1, 3, 12, 0, 0, 0, 1}, 1536},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(StartStream(Parse(c.fields))) << c.what;
    std::vector<uint8_t> stream;
    AppendFrame(stream, c.fields, LengthOf(c.fields));
    std::vector<uint8_t> out(kMaxOutputBytesPerFrame, 0x55);
    const DecodeResult r = DecodeFrame(stream, out);
    EXPECT_EQ(r.consumed, stream.size()) << c.what;
    EXPECT_EQ(r.produced, c.bytes) << c.what;
    EXPECT_TRUE(std::all_of(out.begin(), out.begin() + r.produced, [](uint8_t b) { return b == 0; }))
        << c.what;
  }
}

// Each frame's length comes from its own bitrate and padding; a frame that does not belong to
// the stream, or whose bitrate is free or forbidden, ends it.
TEST_F(FrameTest, FollowingFrameDecidesWhetherTheStreamGoesOn) {
  struct Case {
    const char* what;
    HeaderFields second;
    bool continues;
  };
  const Case cases[] = {
      {"other bitrate", {1, 1, 5, 0, 0, 0, 1}, true},
      {"padded, other mode, with CRC", {1, 1, 11, 0, 1, 3, 0}, true},
      {"other frequency", {1, 1, 9, 1, 0, 0, 1}, false},
      {"other layer", {1, 2, 9, 0, 0, 0, 1}, false},
      {"other ID", {0, 1, 9, 0, 0, 0, 1}, false},
      {"free format", {1, 1, 0, 0, 0, 0, 1}, false},
      {"bitrate index 15", {1, 1, 15, 0, 0, 0, 1}, false},
  };
  const HeaderFields first;
  for (const Case& c : cases) {
    ASSERT_TRUE(StartStream(Parse(first)));
    std::vector<uint8_t> stream;
    AppendFrame(stream, first, LengthOf(first));
    const size_t secondStart = stream.size();
    const size_t secondLength = c.continues ? LengthOf(c.second) : 200;
    AppendFrame(stream, c.second, secondLength);
    std::vector<uint8_t> out(kMaxOutputBytesPerFrame);
    ASSERT_EQ(DecodeFrame(stream, out).consumed, secondStart) << c.what;
    const std::span<const uint8_t> rest = std::span(stream).subspan(secondStart);
    EXPECT_EQ(FrameLengthAt(rest), c.continues ? secondLength : 0u) << c.what;
    EXPECT_EQ(DecodeFrame(rest, out).consumed, c.continues ? secondLength : 0u) << c.what;
  }
}

TEST_F(FrameTest, NothingIsReadOutsideTheGivenBytes) {
  const HeaderFields f;
  ASSERT_TRUE(StartStream(Parse(f)));
  std::vector<uint8_t> stream;
  AppendFrame(stream, f, LengthOf(f));
  std::vector<uint8_t> out(kMaxOutputBytesPerFrame);
  // A frame cut short, a header cut short, and too little room for the PCM.
  for (size_t cut : {size_t{0}, size_t{1}, size_t{3}, size_t{40}, stream.size() - 1}) {
    const std::vector<uint8_t> truncated(stream.begin(), stream.begin() + static_cast<long>(cut));
    EXPECT_EQ(DecodeFrame(truncated, out).consumed, 0u) << "cut at " << cut;
    EXPECT_EQ(FrameLengthAt(truncated), cut < 4 ? 0u : LengthOf(f)) << "cut at " << cut;
  }
  EXPECT_EQ(DecodeFrame(stream, std::span(out).first(4607)).consumed, 0u);
  EXPECT_EQ(DecodeFrame(stream, out).consumed, stream.size());
}

// Frames one byte longer than their clear padding bit says stay in step when the next sync is
// not where the unpadded length puts it; the last frame, with nothing after it, is taken as is.
TEST_F(FrameTest, LayerTwoPaddingRepair) {
  HeaderFields f;
  f.layer = 2;
  f.bitrateIndex = 8;  // 128 kbit/s at 44.1 kHz: 417 bytes unpadded
  ASSERT_TRUE(StartStream(Parse(f)));
  std::vector<uint8_t> stream;
  for (int i = 0; i < 3; ++i) AppendFrame(stream, f, 418);
  std::vector<uint8_t> out(kMaxOutputBytesPerFrame);
  std::span<const uint8_t> rest = stream;
  EXPECT_EQ(FrameLengthAt(rest), 418u);
  for (size_t expected : {418u, 418u, 417u}) {
    const DecodeResult r = DecodeFrame(rest, out);
    ASSERT_EQ(r.consumed, expected);
    rest = rest.subspan(r.consumed);
  }
  EXPECT_EQ(rest.size(), 1u);
}

// A Layer I frame whose only allocated subband is 31: silent with the decoder's limit, audible
// without it.
TEST_F(FrameTest, HighestSubbandIsNeverSynthesised) {
  HeaderFields f;
  f.layer = 3;
  f.bitrateIndex = 14;  // 448 kbit/s
  f.mode = 3;
  std::vector<uint8_t> frame = HeaderBytes(f);
  frame.resize(LengthOf(f), 0);
  // Allocation: 31 subbands of 4 zero bits, then subband 31 = 3 (4-bit samples); then its
  // scalefactor 0 (6 bits) and twelve samples of code 14, all written as a bit string.
  std::string bits(31 * 4, '0');
  bits += "0011" "000000";
  for (int i = 0; i < 12; ++i) bits += "1110";
  for (size_t i = 0; i < bits.size(); ++i) {
    if (bits[i] == '1') frame[4 + i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
  }
  std::vector<uint8_t> out(kMaxOutputBytesPerFrame);
  auto loudest = [&](bool fullBandwidth) {
    InitDecoderTables();
    decoderConfig.fullBandwidth = fullBandwidth;
    EXPECT_TRUE(StartStream(Parse(f)));
    const DecodeResult r = DecodeFrame(frame, out);
    decoderConfig.fullBandwidth = false;
    const std::vector<int16_t> pcm = BytesToSamples(std::span(out).first(r.produced));
    int peak = 0;
    for (int16_t s : pcm) peak = std::max(peak, std::abs(int{s}));
    return peak;
  };
  EXPECT_EQ(loudest(false), 0);
  EXPECT_GT(loudest(true), 1000);
}

}  // namespace
}  // namespace kb::mpeg::test
