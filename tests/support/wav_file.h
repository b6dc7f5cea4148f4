#pragma once
// Reading back the WAV files that headless runs write.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless_platform.h"
#include "platform/mixer.h"
#include "support/game_fixture.h"

namespace kbtest {

struct WavFile {
  int format = 0;  // 1: PCM
  int channels = 0;
  int sampleRate = 0;
  int bitsPerSample = 0;
  int blockAlign = 0;
  std::uint32_t byteRate = 0;
  std::uint32_t riffSize = 0;         // as the header says
  std::uint32_t dataSize = 0;         // as the header says
  std::vector<std::int16_t> samples;  // 16-bit data, interleaved

  std::size_t Frames() const { return channels ? samples.size() / channels : 0; }
  std::int16_t Left(std::size_t frame) const { return samples[frame * channels]; }
  std::int16_t Right(std::size_t frame) const { return samples[frame * channels + channels - 1]; }
};

// False when the file cannot be read or is not a RIFF WAVE file with a
// "fmt " and a "data" chunk.
bool ReadWav(const std::string& path, WavFile& wav);

// A headless platform recording its mix into a WAV file of its own.
class HeadlessAudioTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Ends the recording and reads it back.
  WavFile Recorded();

  TempFolder folder;
  kb::HeadlessPlatform* headless = nullptr;
  std::shared_ptr<kb::Mixer> mixer;
};

}  // namespace kbtest
