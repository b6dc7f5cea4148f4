// Helpers shared by the MPEG decoder tests: file access, whole-file decoding through the same
// path the player takes, PCM comparison, and test signals.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace kb::mpeg::test {

// The compliance streams and damaged files (tests/data/mpeg-vectors, described in its README).
std::filesystem::path VectorsDir();

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes);
std::vector<int16_t> BytesToSamples(std::span<const uint8_t> bytes);

struct DecodedFile {
  bool started = false;       // a header was found and the stream could be started
  uint32_t channels = 0;
  uint32_t rate = 0;
  size_t outputBytesPerFrame = 0;
  size_t frames = 0;
  size_t bytesConsumed = 0;   // from the first frame
  std::vector<int16_t> pcm;
  std::vector<uint32_t> frameModes;  // each decoded frame's channel mode
};

// Tag skip, header search in the first 10240 bytes of audio, stream start, then frame after
// frame to the end, as the decoding tool does.
DecodedFile DecodeWholeFile(std::span<const uint8_t> file);

struct Difference {
  double rms = 0.0;   // in 16-bit steps
  int max = 0;
  size_t compared = 0;
};

Difference Compare(std::span<const int16_t> ours, std::span<const int16_t> reference);

// The limited-accuracy bound: 2^-11 / sqrt(12) of full scale, in 16-bit steps.
constexpr double kLimitedAccuracyRms = 32768.0 / 2048.0 / 3.4641016151377544;

// A few seconds of mixed sines and low-passed noise, interleaved 16-bit.
std::vector<int16_t> TestSignal(uint32_t rate, uint32_t channels, double seconds);
void WriteWav(const std::filesystem::path& path, std::span<const int16_t> samples, uint32_t rate,
              uint32_t channels);

// A fresh temporary folder for one test.
std::filesystem::path MakeTempDir(const std::string& name);

}  // namespace kb::mpeg::test
