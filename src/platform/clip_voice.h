#pragma once
// A sound held in memory, played once or over and over: the wave sounds of
// the scenario and the system beep.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/mixer.h"
#include "platform/pcm_convert.h"

namespace kb {

class ClipVoice final : public Voice {
 public:
  // The format must be playable (SampleFormat::IsPlayable); a trailing
  // part frame is not played.
  ClipVoice(const SampleFormat& format, std::vector<std::uint8_t> pcm, bool loop);

  // Ends the sound; the mixer lets it go.
  void Stop();
  // True until it has played to its end (never, looping) or was stopped.
  bool Playing() const;

  std::size_t Render(std::int16_t* out, std::size_t frames) override;
  bool Finished() const override { return !Playing(); }
  void Detach() override { Stop(); }

 private:
  bool NextFrame(std::int16_t lr[2]);  // locked

  mutable std::mutex mutex_;
  const SampleFormat format_;
  const std::vector<std::uint8_t> pcm_;
  const std::size_t frameCount_;
  const bool loop_;
  std::size_t nextFrame_ = 0;
  bool sourceEnded_ = false;  // the last frame has gone into the converter
  bool playing_ = true;
  RateConverter converter_;
};

}  // namespace kb
