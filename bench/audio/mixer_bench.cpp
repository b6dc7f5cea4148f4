// How fast the mixer makes sound: seconds of mix per second of processor
// time, for streams at the mixer's rate and for streams it must convert.
// The sound card's thread asks for 1024 frames (23 ms) a pass; the figure
// says how small a share of that time mixing takes.
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/mixer.h"
#include "platform/pcm_stream.h"

namespace {

double MixSpeed(const kb::SampleFormat& format, int voices) {
  constexpr int kSeconds = 20;
  constexpr std::size_t kPass = 1024;
  kb::Mixer mixer;
  const std::size_t bytes =
      static_cast<std::size_t>(format.sampleRate) * kSeconds * static_cast<std::size_t>(format.BlockAlign());
  std::vector<std::uint8_t> pcm(bytes);
  for (std::size_t i = 0; i < bytes; ++i) pcm[i] = static_cast<std::uint8_t>(i * 7919 >> 3);
  std::vector<std::shared_ptr<kb::PcmStream>> streams;
  for (int v = 0; v < voices; ++v) {
    streams.push_back(std::make_shared<kb::PcmStream>(format, nullptr));
    streams.back()->SetVolume(40000, 30000);
    streams.back()->Queue(pcm.data(), pcm.size());
    mixer.Add(streams.back());
  }
  std::vector<std::int16_t> out(kPass * kb::kMixChannels);
  const std::size_t passes = static_cast<std::size_t>(kb::kMixRate) * kSeconds / kPass;
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t p = 0; p < passes; ++p) mixer.Mix(out.data(), kPass);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return passes * kPass / static_cast<double>(kb::kMixRate) / took.count();
}

}  // namespace

int main() {
  const struct {
    const char* name;
    kb::SampleFormat format;
  } cases[] = {
      {"44100 Hz 16-bit stereo (no conversion)", {2, 16, 44100}},
      {"22050 Hz 16-bit mono", {1, 16, 22050}},
      {"48000 Hz 16-bit stereo", {2, 16, 48000}},
      {"11025 Hz 8-bit mono", {1, 8, 11025}},
  };
  std::printf("%-42s %8s %14s\n", "stream format", "voices", "x real time");
  for (const auto& c : cases) {
    for (int voices : {1, 8}) std::printf("%-42s %8d %14.0f\n", c.name, voices, MixSpeed(c.format, voices));
  }
  return 0;
}
