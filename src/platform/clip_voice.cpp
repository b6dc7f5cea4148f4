#include "platform/clip_voice.h"

#include <utility>

namespace kb {

ClipVoice::ClipVoice(const SampleFormat& format, std::vector<std::uint8_t> pcm, bool loop)
    : format_(format),
      pcm_(std::move(pcm)),
      frameCount_(pcm_.size() / static_cast<std::size_t>(format.BlockAlign())),
      loop_(loop),
      playing_(frameCount_ > 0),
      converter_(format.sampleRate) {}

void ClipVoice::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  playing_ = false;
}

bool ClipVoice::Playing() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return playing_;
}

bool ClipVoice::NextFrame(std::int16_t lr[2]) {
  if (nextFrame_ == frameCount_) {
    if (!loop_) {
      sourceEnded_ = true;
      return false;
    }
    nextFrame_ = 0;
  }
  DecodePcmFrame(pcm_.data() + nextFrame_ * static_cast<std::size_t>(format_.BlockAlign()), format_, lr);
  ++nextFrame_;
  return true;
}

std::size_t ClipVoice::Render(std::int16_t* out, std::size_t frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!playing_) return 0;
  std::size_t produced = converter_.Convert(out, frames, [this](std::int16_t* lr) { return NextFrame(lr); });
  // Nothing more will come once the source has ended and the converter
  // could not fill the pass.
  if (produced < frames && sourceEnded_) playing_ = false;
  return produced;
}

}  // namespace kb
