#include "support/wav_file.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace kbtest {
namespace {

std::uint32_t Get16(const unsigned char* p) { return p[0] | p[1] << 8; }
std::uint32_t Get32(const unsigned char* p) { return Get16(p) | Get16(p + 2) << 16; }

}  // namespace

bool ReadWav(const std::string& path, WavFile& wav) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
    return false;
  wav = WavFile{};
  wav.riffSize = Get32(bytes.data() + 4);
  bool haveFormat = false;
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const unsigned char* chunk = bytes.data() + at;
    const std::uint32_t size = Get32(chunk + 4);
    const unsigned char* body = chunk + 8;
    const std::size_t available = bytes.size() - at - 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && available >= 16) {
      wav.format = static_cast<int>(Get16(body));
      wav.channels = static_cast<int>(Get16(body + 2));
      wav.sampleRate = static_cast<int>(Get32(body + 4));
      wav.byteRate = Get32(body + 8);
      wav.blockAlign = static_cast<int>(Get16(body + 12));
      wav.bitsPerSample = static_cast<int>(Get16(body + 14));
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      wav.dataSize = size;
      const std::size_t n = std::min<std::size_t>(size, available) / 2;
      wav.samples.resize(n);
      for (std::size_t i = 0; i < n; ++i) wav.samples[i] = static_cast<std::int16_t>(Get16(body + i * 2));
      return haveFormat && wav.bitsPerSample == 16;
    }
    at += 8 + size + (size & 1);
  }
  return false;
}

void HeadlessAudioTest::SetUp() {
  auto platform = std::make_unique<kb::HeadlessPlatform>(0, 16);
  headless = platform.get();
  kb::SetPlatform(std::move(platform));
  mixer = headless->Audio();
  ASSERT_TRUE(mixer);
  ASSERT_TRUE(headless->RecordAudio(folder.path() + "/mix.wav"));
}

void HeadlessAudioTest::TearDown() { kb::SetPlatform(nullptr); }

WavFile HeadlessAudioTest::Recorded() {
  EXPECT_TRUE(headless->StopRecording());
  WavFile wav;
  EXPECT_TRUE(ReadWav(folder.path() + "/mix.wav", wav));
  return wav;
}

}  // namespace kbtest
