#include "platform/mixer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/clip_voice.h"

namespace kb {
namespace {

// Frames mixed in one go; the scratch buffers live on the stack.
constexpr std::size_t kBlockFrames = 512;

std::int32_t Scale(std::int16_t sample, std::uint32_t volume) {
  if (volume == kFullVolume) return sample;
  return static_cast<std::int32_t>(sample) * static_cast<std::int32_t>(volume) / kFullVolume;
}

std::int16_t Clip(std::int32_t sum) {
  return static_cast<std::int16_t>(std::clamp<std::int32_t>(sum, -32768, 32767));
}

}  // namespace

bool Mixer::Add(std::shared_ptr<Voice> voice) {
  if (!voice) return false;
  std::unique_lock<std::mutex> lock(mutex_);
  std::erase_if(voices_, [](const std::shared_ptr<Voice>& v) { return v->Finished(); });
  if (stopped_ || voices_.size() >= kMaxVoices) {
    lock.unlock();
    voice->Detach();
    return false;
  }
  voices_.push_back(std::move(voice));
  return true;
}

void Mixer::Remove(const Voice* voice) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::find_if(voices_.begin(), voices_.end(),
                         [voice](const std::shared_ptr<Voice>& v) { return v.get() == voice; });
  if (it == voices_.end()) return;
  std::shared_ptr<Voice> taken = std::move(*it);
  voices_.erase(it);
  taken->Detach();
}

bool Mixer::Contains(const Voice* voice) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::any_of(voices_.begin(), voices_.end(),
                     [voice](const std::shared_ptr<Voice>& v) { return v.get() == voice; });
}

std::size_t Mixer::VoiceCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(voices_, [](const std::shared_ptr<Voice>& v) { return v->Finished(); });
  return voices_.size();
}

bool Mixer::WaitFor(const std::function<bool()>& done, std::uint32_t ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (std::this_thread::get_id() == drivingThread_) return done();
  const std::uint64_t deadline = framesMixed_ + static_cast<std::uint64_t>(ms) * kMixRate / 1000;
  mixed_.wait(lock, [&] { return done() || stopped_ || framesMixed_ >= deadline; });
  return done();
}

void Mixer::Mix(std::int16_t* out, std::size_t frames) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::int32_t sum[kBlockFrames * 2];
    std::int16_t voiceOut[kBlockFrames * 2];
    for (std::size_t done = 0; done < frames;) {
      const std::size_t n = std::min(frames - done, kBlockFrames);
      std::fill(sum, sum + n * 2, 0);
      for (const std::shared_ptr<Voice>& voice : voices_) {
        if (voice->Finished()) continue;
        const std::size_t got = std::min(voice->Render(voiceOut, n), n);
        const std::uint32_t left = voice->LeftVolume(), right = voice->RightVolume();
        for (std::size_t i = 0; i < got; ++i) {
          sum[i * 2] += Scale(voiceOut[i * 2], left);
          sum[i * 2 + 1] += Scale(voiceOut[i * 2 + 1], right);
        }
      }
      std::int16_t* block = out + done * 2;
      for (std::size_t i = 0; i < n * 2; ++i) block[i] = Clip(sum[i]);
      done += n;
    }
    framesMixed_ += frames;
  }
  mixed_.notify_all();
}

std::uint64_t Mixer::FramesMixed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return framesMixed_;
}

void Mixer::SetDrivingThread(std::thread::id id) {
  std::lock_guard<std::mutex> lock(mutex_);
  drivingThread_ = id;
}

void Mixer::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    for (const std::shared_ptr<Voice>& voice : voices_) voice->Detach();
    voices_.clear();
  }
  mixed_.notify_all();
}

bool Mixer::Stopped() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopped_;
}

std::shared_ptr<Voice> MakeBeepVoice() {
  // 880 Hz for 120 ms at a quarter of full scale, faded in and out over
  // 5 ms so it does not click.
  constexpr int kFrames = kMixRate * 120 / 1000;
  constexpr int kFade = kMixRate * 5 / 1000;
  constexpr double kPi = 3.14159265358979323846;
  std::vector<std::uint8_t> pcm(kFrames * 2);
  for (int i = 0; i < kFrames; ++i) {
    const double envelope =
        std::min({1.0, static_cast<double>(i) / kFade, static_cast<double>(kFrames - 1 - i) / kFade});
    const auto s =
        static_cast<std::int16_t>(std::lround(8192.0 * envelope * std::sin(2 * kPi * 880 * i / kMixRate)));
    pcm[i * 2] = static_cast<std::uint8_t>(s & 0xFF);
    pcm[i * 2 + 1] = static_cast<std::uint8_t>((s >> 8) & 0xFF);
  }
  return std::make_shared<ClipVoice>(SampleFormat{1, 16, kMixRate}, std::move(pcm), false);
}

}  // namespace kb
