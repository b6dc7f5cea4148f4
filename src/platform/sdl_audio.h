#pragma once
// The sound card: SDL's default output device, which pulls the mix from
// its own audio thread.  Opened on first use, so a game that never makes a
// sound leaves the device alone.
#include <cstdint>
#include <memory>
#include <utility>

#include "platform/mixer.h"

namespace kb {

class SdlAudioOutput {
 public:
  // Opens the default device for the mixer's format (SDL converts when the
  // card wants another).  Null, with a note on standard error, when there
  // is no sound output.
  static std::unique_ptr<SdlAudioOutput> Open();
  // Closes the device (the audio thread has stopped when this returns) and
  // stops the mixer, which detaches whatever still plays.
  ~SdlAudioOutput();
  SdlAudioOutput(const SdlAudioOutput&) = delete;
  SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

  const std::shared_ptr<Mixer>& mixer() const { return mixer_; }

 private:
  SdlAudioOutput(std::uint32_t device, std::shared_ptr<Mixer> mixer)
      : device_(device), mixer_(std::move(mixer)) {}

  std::uint32_t device_;
  std::shared_ptr<Mixer> mixer_;
};

}  // namespace kb
