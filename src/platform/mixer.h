#pragma once
// The sound output: one mixer into which every sound of the game plays as
// a voice (a wave stream, a sound held in memory, later the MIDI
// synthesiser, CD tracks, MP3 and movie sound).  The mixer sums the voices
// at its own format, each scaled by its volume, and hands the result to
// whatever pulls it: the sound card's audio thread in a window, the virtual
// clock in a headless run.
//
// Threads: the control side (Add, Remove, the voices' own operations) runs
// on the game's threads; the audio side (Mix, and through it each voice's
// Render) runs on the thread that pulls.  The mixer's lock is held while a
// voice renders; a voice guards its own state with a lock of its own, taken
// after the mixer's, never before.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kb {

// The mixer's own format: every voice is converted to it.
inline constexpr int kMixRate = 44100;
inline constexpr int kMixChannels = 2;

// A channel's volume: 0 is silent, kFullVolume leaves the samples as they
// are (the scale of the wave output's volume).
inline constexpr std::uint16_t kFullVolume = 65535;

// The layout of PCM bytes handed to the sound output.
struct SampleFormat {
  int channels = kMixChannels;  // 1 or 2; two are interleaved left, right
  int bitsPerSample = 16;       // 8: unsigned; 16: signed little-endian
  int sampleRate = kMixRate;    // frames a second

  static constexpr int kMinRate = 1000;
  static constexpr int kMaxRate = 384000;

  // Whether the sound output can play it.
  bool IsPlayable() const {
    return (channels == 1 || channels == 2) && (bitsPerSample == 8 || bitsPerSample == 16) &&
           sampleRate >= kMinRate && sampleRate <= kMaxRate;
  }
  // Bytes of one frame (one sample of every channel).
  int BlockAlign() const { return channels * bitsPerSample / 8; }
};

// One sound in the mixer.
class Voice {
 public:
  Voice() = default;
  virtual ~Voice() = default;
  Voice(const Voice&) = delete;
  Voice& operator=(const Voice&) = delete;

  // The volume of each channel, 0 … kFullVolume; any thread, heard from
  // the next mixed block on.  A new voice plays at full volume.
  void SetVolume(std::uint16_t left, std::uint16_t right) {
    volume_.store(static_cast<std::uint32_t>(left) | static_cast<std::uint32_t>(right) << 16);
  }
  std::uint16_t LeftVolume() const { return static_cast<std::uint16_t>(volume_.load() & 0xFFFF); }
  std::uint16_t RightVolume() const { return static_cast<std::uint16_t>(volume_.load() >> 16); }

  // --- the audio side, called by the mixer with its lock held -------------
  // Writes up to `frames` frames of the mixer's format (interleaved stereo,
  // 16-bit, kMixRate) into out and returns how many.  Fewer means nothing
  // more for this pass (paused, waiting for data, or ended): the voice is
  // silent for the rest of it.
  virtual std::size_t Render(std::int16_t* out, std::size_t frames) = 0;
  // True once the voice will never sound again; the mixer then lets it go.
  virtual bool Finished() const { return false; }
  // The voice has left its mixer (taken out, or the sound output closed)
  // and will not be rendered again.
  virtual void Detach() {}

 private:
  std::atomic<std::uint32_t> volume_{0xFFFFFFFFu};
};

class Mixer {
 public:
  // The most voices that sound at once.
  static constexpr std::size_t kMaxVoices = 32;

  Mixer() { voices_.reserve(kMaxVoices); }
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  // Plays the voice from the next mixed block on, until it is removed or
  // has finished.  False when the mixer is full or its output has closed;
  // the voice is then detached at once.  A voice plays in one mixer only.
  bool Add(std::shared_ptr<Voice> voice);
  // Takes the voice out and detaches it; when this returns the audio side
  // no longer touches it.  A voice that is not here is left alone.
  void Remove(const Voice* voice);
  bool Contains(const Voice* voice) const;
  // Voices that still sound (finished ones are let go here).
  std::size_t VoiceCount();

  // Waits until `done` answers true, or `ms` milliseconds of mixed sound
  // have passed, or the output has closed; answers `done` at the end.  It
  // is asked with the mixer locked.  On the thread that drives the mix
  // (the headless clock) nothing could pass while it waited, so it answers
  // at once.
  bool WaitFor(const std::function<bool()>& done, std::uint32_t ms);

  // --- the output's side ---------------------------------------------------
  // The next `frames` frames of the mix, interleaved stereo, into out.
  void Mix(std::int16_t* out, std::size_t frames);
  // Frames mixed since the start: the sound output's clock.
  std::uint64_t FramesMixed() const;
  // The thread that pulls the mix when that is one of the game's own
  // threads (the headless clock); WaitFor does not wait on it.
  void SetDrivingThread(std::thread::id id);
  // The output has closed: every voice is detached and let go, later Adds
  // are refused and waits end.
  void Stop();
  bool Stopped() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable mixed_;
  std::vector<std::shared_ptr<Voice>> voices_;
  std::uint64_t framesMixed_ = 0;
  std::thread::id drivingThread_;
  bool stopped_ = false;
};

// The short beep of the system, as a voice that plays once.
std::shared_ptr<Voice> MakeBeepVoice();

}  // namespace kb
