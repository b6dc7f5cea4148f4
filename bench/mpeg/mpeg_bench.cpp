// Decoding speed: a three-minute 128 kbit/s stereo MP3, made by lame from a synthetic signal,
// decoded from memory by our decoder and by libmpg123 in the same run.  Prints the best of a few
// runs of each and the ratio of our time to libmpg123's.

#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include <time.h>

#include "media/mpeg/mpeg_decoder.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr double kSeconds = 180.0;
constexpr int kRuns = 9;

// The time this thread spent on the CPU, which other processes on a busy machine disturb less
// than the wall clock.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Music-like test signal: a few drifting tones with an envelope, and low-passed noise.
void WriteSignalWav(const std::filesystem::path& path) {
  const size_t frames = static_cast<size_t>(kRate * kSeconds);
  std::vector<int16_t> samples(frames * 2);
  std::mt19937 random(1);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  constexpr double kTones[] = {110.0, 220.0, 330.0, 440.0, 554.4, 659.3, 880.0, 1760.0, 3520.0};
  double low = 0.0;
  for (size_t i = 0; i < frames; ++i) {
    const double t = double(i) / kRate;
    double tone = 0.0;
    for (size_t k = 0; k < std::size(kTones); ++k) {
      const double vibrato = 1.0 + 0.003 * std::sin(2.0 * std::numbers::pi * (0.3 + 0.1 * k) * t);
      const double envelope = 0.5 + 0.5 * std::sin(2.0 * std::numbers::pi * (0.11 * (k + 1)) * t);
      tone += envelope * std::sin(2.0 * std::numbers::pi * kTones[k] * vibrato * t) / (1.0 + k * 0.5);
    }
    low = 0.7 * low + 0.3 * noise(random);
    samples[2 * i] = static_cast<int16_t>(std::clamp(4000.0 * tone + 2500.0 * low, -32768.0, 32767.0));
    samples[2 * i + 1] = static_cast<int16_t>(std::clamp(3500.0 * tone - 2000.0 * low, -32768.0, 32767.0));
  }
  std::ofstream out(path, std::ios::binary);
  auto put = [&](uint32_t v, int bytes) {
    for (int b = 0; b < bytes; ++b) out.put(static_cast<char>((v >> (8 * b)) & 0xFF));
  };
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  out.write("RIFF", 4);
  put(36 + dataBytes, 4);
  out.write("WAVEfmt ", 8);
  put(16, 4);
  put(1, 2);
  put(2, 2);
  put(kRate, 4);
  put(kRate * 4, 4);
  put(4, 2);
  put(16, 2);
  out.write("data", 4);
  put(dataBytes, 4);
  out.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(dataBytes));
}

std::vector<uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Returns seconds and the number of PCM bytes.
std::pair<double, size_t> DecodeOurs(const std::vector<uint8_t>& mp3) {
  static std::vector<uint8_t> pcm(kb::mpeg::kMaxOutputBytesPerFrame);
  const double start = ThreadSeconds();
  kb::mpeg::FrameHeader header;
  size_t offset = 0;
  size_t produced = 0;
  if (kb::mpeg::FindFrameHeader(mp3, header, offset) && kb::mpeg::StartStream(header)) {
    const std::span<const uint8_t> all(mp3);
    while (offset < mp3.size()) {
      const kb::mpeg::DecodeResult r = kb::mpeg::DecodeFrame(all.subspan(offset), pcm);
      if (r.consumed == 0) break;
      offset += r.consumed;
      produced += r.produced;
    }
  }
  return {ThreadSeconds() - start, produced};
}

std::pair<double, size_t> DecodeMpg123(const std::vector<uint8_t>& mp3, std::string& decoder) {
  static std::vector<unsigned char> pcm(1 << 16);
  int error = 0;
  mpg123_handle* handle = mpg123_new(nullptr, &error);
  mpg123_param(handle, MPG123_FLAGS, MPG123_QUIET, 0.0);
  mpg123_format_none(handle);
  mpg123_format(handle, kRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
  decoder = mpg123_current_decoder(handle);
  const double start = ThreadSeconds();
  size_t produced = 0;
  mpg123_open_feed(handle);
  mpg123_feed(handle, mp3.data(), mp3.size());
  for (;;) {
    size_t done = 0;
    const int status = mpg123_read(handle, pcm.data(), pcm.size(), &done);
    produced += done;
    if (status != MPG123_OK && status != MPG123_NEW_FORMAT) break;
  }
  const double seconds = ThreadSeconds() - start;
  mpg123_delete(handle);
  return {seconds, produced};
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path dir =
      argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
  const std::filesystem::path mp3Path = dir / "kb-mpeg-bench-180s-128k.mp3";
  if (!std::filesystem::exists(mp3Path)) {
    const std::filesystem::path wav = dir / "kb-mpeg-bench-signal.wav";
    std::printf("making %s with lame ...\n", mp3Path.c_str());
    WriteSignalWav(wav);
    const std::string command = "lame --quiet -t -b 128 -m j '" + wav.string() + "' '" +
                                mp3Path.string() + "'";
    const int status = std::system(command.c_str());
    std::filesystem::remove(wav);
    if (status != 0) {
      std::fprintf(stderr, "lame failed; is it installed?\n");
      return 1;
    }
  }
  const std::vector<uint8_t> mp3 = ReadAll(mp3Path);
  kb::mpeg::InitDecoderTables();
  mpg123_init();

  double ours = 1e9;
  double theirs = 1e9;
  size_t ourBytes = 0;
  size_t theirBytes = 0;
  std::string decoder;
  for (int run = 0; run < kRuns; ++run) {
    const auto [t1, b1] = DecodeOurs(mp3);
    const auto [t2, b2] = DecodeMpg123(mp3, decoder);
    ours = std::min(ours, t1);
    theirs = std::min(theirs, t2);
    ourBytes = b1;
    theirBytes = b2;
  }
  const double audioSeconds = double(ourBytes) / (kRate * 4.0);
  std::printf("input: %zu bytes, %.1f s of 44.1 kHz stereo at 128 kbit/s\n", mp3.size(), audioSeconds);
  std::printf("kb::mpeg   %8.3f ms  (%6.0fx real time)  %zu PCM bytes\n", ours * 1e3,
              audioSeconds / ours, ourBytes);
  std::printf("libmpg123  %8.3f ms  (%6.0fx real time)  %zu PCM bytes, decoder %s\n",
              theirs * 1e3, audioSeconds / theirs, theirBytes, decoder.c_str());
  std::printf("ratio ours / libmpg123: %.2f (best of %d runs each)\n", ours / theirs, kRuns);
  return 0;
}
