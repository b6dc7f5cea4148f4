// Files made at run time by lame and twolame from a synthetic signal decode to the same PCM as
// libmpg123 gives, within the limited-accuracy bound over the whole file and to the same last
// frame, for constant and variable bitrate, one and two channels, MPEG-1 and LSF.

#include <gtest/gtest.h>
#include <mpg123.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <set>
#include <string>

#include "media/mpeg/mpeg_decoder.h"
#include "mpeg_test_support.h"

namespace kb::mpeg::test {
namespace {

struct PeerDecode {
  bool ok = false;
  long rate = 0;
  int channels = 0;
  std::vector<int16_t> pcm;
};

// libmpg123 with gapless decoding off, so that it outputs every frame from the first, as ours.
PeerDecode DecodeWithMpg123(const std::filesystem::path& path) {
  PeerDecode result;
  mpg123_init();
  int error = 0;
  mpg123_handle* handle = mpg123_new(nullptr, &error);
  if (handle == nullptr) return result;
  mpg123_param(handle, MPG123_FLAGS, MPG123_QUIET, 0.0);
  mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
  mpg123_format_none(handle);
  for (long rate : {16000L, 22050L, 24000L, 32000L, 44100L, 48000L}) {
    mpg123_format(handle, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  if (mpg123_open(handle, path.c_str()) == MPG123_OK) {
    std::vector<unsigned char> buffer(65536);
    for (;;) {
      size_t done = 0;
      const int status = mpg123_read(handle, buffer.data(), buffer.size(), &done);
      const std::vector<int16_t> samples = BytesToSamples(std::span(buffer).first(done));
      result.pcm.insert(result.pcm.end(), samples.begin(), samples.end());
      if (status == MPG123_DONE) {
        result.ok = true;
        break;
      }
      if (status != MPG123_OK && status != MPG123_NEW_FORMAT) break;
    }
    int encoding = 0;
    mpg123_getformat(handle, &result.rate, &result.channels, &encoding);
    mpg123_close(handle);
  }
  mpg123_delete(handle);
  return result;
}

bool HaveProgram(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// The lengths of the frames from the first sync on, to tell a variable-bitrate file.
std::set<size_t> FrameLengths(std::span<const uint8_t> file) {
  std::set<size_t> lengths;
  FrameHeader header;
  size_t offset = 0;
  if (!FindFrameHeader(file, header, offset) || !StartStream(header)) return lengths;
  while (offset < file.size()) {
    const size_t length = FrameLengthAt(file.subspan(offset));
    if (length == 0) break;
    lengths.insert(length);
    offset += length;
  }
  return lengths;
}

struct PeerCase {
  const char* name;
  const char* encoder;   // "lame" or "twolame"
  const char* options;
  uint32_t rate;
  uint32_t channels;
  bool variableBitrate;
};

void PrintTo(const PeerCase& c, std::ostream* os) { *os << c.name; }

class PeerTest : public ::testing::TestWithParam<PeerCase> {};

TEST_P(PeerTest, MatchesLibmpg123OverTheWholeFile) {
  const PeerCase& c = GetParam();
  if (!HaveProgram(c.encoder)) GTEST_SKIP() << c.encoder << " is not installed";
  const std::filesystem::path dir = MakeTempDir(c.name);
  const std::filesystem::path wav = dir / "signal.wav";
  const std::filesystem::path coded = dir / "coded.bin";
  WriteWav(wav, TestSignal(c.rate, c.channels, 4.0), c.rate, c.channels);
  const std::string command = std::string(c.encoder) + " --quiet " + c.options + " " +
                              wav.string() + " " + coded.string() + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  const std::vector<uint8_t> file = ReadFileBytes(coded);
  InitDecoderTables();
  if (c.variableBitrate) {
    EXPECT_GT(FrameLengths(file).size(), 2u) << "the file is not VBR";
  }
  const DecodedFile ours = DecodeWholeFile(file);
  const PeerDecode peer = DecodeWithMpg123(coded);
  std::filesystem::remove_all(dir);

  ASSERT_TRUE(ours.started);
  ASSERT_TRUE(peer.ok);
  EXPECT_EQ(ours.channels, static_cast<uint32_t>(peer.channels));
  EXPECT_EQ(ours.rate, static_cast<uint32_t>(peer.rate));
  // Same length means the same number of frames: every frame up to the last one was decoded.
  EXPECT_EQ(ours.pcm.size(), peer.pcm.size());
  const Difference d = Compare(ours.pcm, peer.pcm);
  std::printf("%-18s %zu frames  %zu samples  rms %.3f  max %d\n", c.name, ours.frames,
              d.compared, d.rms, d.max);
  EXPECT_LT(d.rms, kLimitedAccuracyRms);
}

INSTANTIATE_TEST_SUITE_P(
    Encoded, PeerTest,
    ::testing::Values(
        PeerCase{"mp3_cbr_stereo", "lame", "-t -b 128 -m j", 44100, 2, false},
        PeerCase{"mp3_vbr_stereo", "lame", "-t -V 2", 44100, 2, true},
        PeerCase{"mp3_cbr_mono_48k", "lame", "-t -b 64 -m m", 48000, 1, false},
        PeerCase{"mp3_vbr_32k", "lame", "-t -V 5 -m s", 32000, 2, true},
        PeerCase{"mp3_lsf_22k", "lame", "-t -b 64", 22050, 2, false},
        PeerCase{"mp3_lsf_24k_vbr", "lame", "-t -V 4 -m m", 24000, 1, true},
        PeerCase{"mp3_lsf_16k", "lame", "-t -b 32", 16000, 2, false},
        PeerCase{"mp2_stereo", "twolame", "-b 192", 44100, 2, false},
        PeerCase{"mp2_joint_48k", "twolame", "-b 128 -m j", 48000, 2, false},
        PeerCase{"mp2_mono", "twolame", "-b 64 -m m", 44100, 1, false},
        PeerCase{"mp2_lsf_24k", "twolame", "-b 96", 24000, 2, false}),
    [](const ::testing::TestParamInfo<PeerCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace kb::mpeg::test
