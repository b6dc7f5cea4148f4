#include "mpeg_test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>

#include <unistd.h>

#include "media/mp3_tags.h"
#include "media/mpeg/mpeg_decoder.h"

namespace kb::mpeg::test {

std::filesystem::path VectorsDir() {
  return std::filesystem::path(KB_SOURCE_DIR) / "tests" / "data" / "mpeg-vectors";
}

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<int16_t> BytesToSamples(std::span<const uint8_t> bytes) {
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return samples;
}

DecodedFile DecodeWholeFile(std::span<const uint8_t> file) {
  DecodedFile result;
  const Mp3FileLayout layout = FindMp3Layout(file);
  const std::span<const uint8_t> audio = file.subspan(layout.dataStart, layout.audioLength);
  FrameHeader header;
  size_t offset = 0;
  StreamParams params;
  if (!FindFrameHeader(audio.first(std::min<size_t>(audio.size(), 10240)), header, offset) ||
      !GetStreamParams(header, params) || !StartStream(header)) {
    return result;
  }
  result.started = true;
  result.channels = params.channels;
  result.rate = params.samplesPerSecond;
  result.outputBytesPerFrame = params.outputBytesPerFrame;
  std::vector<uint8_t> out(kMaxOutputBytesPerFrame);
  size_t position = offset;
  while (position < audio.size()) {
    const std::span<const uint8_t> rest = audio.subspan(position);
    const DecodeResult r = DecodeFrame(rest, out);
    if (r.consumed == 0) break;
    result.frameModes.push_back((rest[3] >> 6) & 3);
    position += r.consumed;
    result.bytesConsumed += r.consumed;
    ++result.frames;
    const std::vector<int16_t> samples = BytesToSamples(std::span(out).first(r.produced));
    result.pcm.insert(result.pcm.end(), samples.begin(), samples.end());
  }
  return result;
}

Difference Compare(std::span<const int16_t> ours, std::span<const int16_t> reference) {
  Difference d;
  d.compared = std::min(ours.size(), reference.size());
  double sum = 0.0;
  for (size_t i = 0; i < d.compared; ++i) {
    const int e = ours[i] - reference[i];
    sum += double(e) * e;
    d.max = std::max(d.max, std::abs(e));
  }
  d.rms = d.compared ? std::sqrt(sum / double(d.compared)) : 0.0;
  return d;
}

std::vector<int16_t> TestSignal(uint32_t rate, uint32_t channels, double seconds) {
  const size_t frames = static_cast<size_t>(rate * seconds);
  std::vector<int16_t> samples(frames * channels);
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  constexpr double kTones[] = {220.0, 347.0, 440.0, 587.0, 1250.0, 3100.0};
  double low = 0.0;
  for (size_t i = 0; i < frames; ++i) {
    const double t = double(i) / rate;
    double tone = 0.0;
    for (size_t k = 0; k < std::size(kTones); ++k) {
      tone += std::sin(2.0 * std::numbers::pi * kTones[k] * t * (1.0 + 0.002 * std::sin(t * (k + 1)))) /
              double(k + 1);
    }
    low = 0.85 * low + 0.15 * noise(random);
    const double envelope = 0.6 + 0.4 * std::sin(2.0 * std::numbers::pi * 0.7 * t);
    const double left = 6000.0 * tone * envelope + 3000.0 * low;
    const double right = 5000.0 * tone - 2500.0 * low;
    samples[i * channels] = static_cast<int16_t>(std::clamp(left, -32768.0, 32767.0));
    if (channels == 2) samples[i * 2 + 1] = static_cast<int16_t>(std::clamp(right, -32768.0, 32767.0));
  }
  return samples;
}

void WriteWav(const std::filesystem::path& path, std::span<const int16_t> samples, uint32_t rate,
              uint32_t channels) {
  std::vector<uint8_t> bytes;
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto put16 = [&](uint32_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(t[i]));
  };
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  tag("RIFF");
  put32(36 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  put32(16);
  put16(1);
  put16(channels);
  put32(rate);
  put32(rate * channels * 2);
  put16(channels * 2);
  put16(16);
  tag("data");
  put32(dataBytes);
  for (int16_t s : samples) put16(static_cast<uint16_t>(s));
  WriteFileBytes(path, bytes);
}

std::filesystem::path MakeTempDir(const std::string& name) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("kb-mpeg-" + name + "-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace kb::mpeg::test
