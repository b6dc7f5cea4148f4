#pragma once
// The wave output device: the sink into which the internal MP3 player
// pours decoded PCM.  It holds one stream of the sound output and a ring of
// four buffers, and it throttles the writer with a counting semaphore of
// four: a write takes one count and blocks while all four buffers are
// queued; the stream's "done" report for a played buffer gives the count
// back, from the audio side.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "base/counting_semaphore.h"

namespace kb {

class Mixer;
class PcmStream;

// The PCM that the player hands to its output (filled from the stream
// header).  The low 16 bits of channels and bitsPerSample are used.
struct PcmFormat {
  std::uint32_t channels = 0;          // 1 or 2
  std::uint32_t bitsPerSample = 0;     // 8 or 16
  std::uint32_t samplesPerSecond = 0;  // output rate in Hz
  std::uint32_t bufferSize = 0;        // bytes of each of the four buffers, and the most one Write passes
};

// Where a player's PCM goes.  Results are 1 for success and 0 for failure.
class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // 1 when the stream is open; 0 on failure or when one is open already.
  virtual int Open(const PcmFormat& format) = 0;
  // 1; 0 when nothing is open.
  virtual int Close() = 0;
  // Queues `length` bytes (at most the buffer size), waiting while every
  // buffer is queued.  1; 0 when nothing is open.
  virtual int Write(const std::uint8_t* data, std::uint32_t length) = 0;
  // Discards everything queued (each buffer comes back as played).  1 when
  // the output took the call, 0 when nothing is open.
  virtual int Reset() = 0;
  // Holds / resumes playback.  As Reset.
  virtual int Pause() = 0;
  virtual int Restart() = 0;
  // Left and right volume in percent (0 to 100).  1.
  virtual int SetVolume(int leftPercent, int rightPercent) = 0;
};

class WaveOutDevice final : public AudioOutput {
 public:
  static constexpr int kBufferCount = 4;
  // The largest buffer size Open accepts (the player asks for 8 frames of
  // decoded PCM, a few tens of kilobytes).
  static constexpr std::uint32_t kMaxBufferSize = 1u << 20;

  WaveOutDevice() = default;
  // Reset, then Close.
  ~WaveOutDevice() override;
  WaveOutDevice(const WaveOutDevice&) = delete;
  WaveOutDevice& operator=(const WaveOutDevice&) = delete;

  // Opens a stream of the platform's sound output.  Refused (0) when a
  // stream is open, for a format the output cannot play (channels other
  // than 1 or 2, bits other than 8 or 16, a rate outside 1000-384000 Hz, a
  // buffer size of 0 or above kMaxBufferSize), or when there is no sound
  // output.  Allocates the four buffers; the semaphore starts at 4.
  int Open(const PcmFormat& format) override;
  // Gives each buffer the stream still plays time to finish (its playing
  // time and 200 ms more of played sound), then closes the stream, which
  // cuts off anything still queued, and frees the buffers.
  int Close() override;
  int Write(const std::uint8_t* data, std::uint32_t length) override;
  int Reset() override;
  int Pause() override;
  int Restart() override;
  // Each percentage (clamped to 0-100) becomes percent × 65535 ÷ 100; the
  // stream's volume is left | right << 16.  Set while closed, it applies to
  // the next stream opened.
  int SetVolume(int leftPercent, int rightPercent) override;

  // --- state, for tests --------------------------------------------------
  bool IsOpen() const { return stream_ != nullptr; }
  // The volume as set: left in the low 16 bits, right in the high 16 bits.
  std::uint32_t Volume() const { return volume_.load(); }
  // The semaphore's count (free buffers), and the writers waiting on it;
  // -1 and 0 while closed.
  int FreeBuffers() const { return semaphore_ ? semaphore_->Count() : -1; }
  int WaitingWriters() const { return semaphore_ ? semaphore_->Waiters() : 0; }
  const PcmStream* Stream() const { return stream_.get(); }

 private:
  struct BufferHeader {
    std::unique_ptr<std::uint8_t[]> data;
    std::uint32_t length = 0;
  };

  // Milliseconds that `bytes` of the open format play.
  std::uint32_t PlayingTimeMs(std::uint32_t bytes) const;

  std::shared_ptr<Mixer> mixer_;       // the sound output the stream plays in
  std::shared_ptr<PcmStream> stream_;  // null when closed
  // Open and Close run on the writer's thread, never beside Write; the
  // game thread may set the volume at any time, so the stream is handed
  // over under this lock.
  std::mutex streamLock_;
  std::unique_ptr<CountingSemaphore> semaphore_;
  int nextIndex_ = 0;  // the next buffer to fill, 0-3
  std::array<BufferHeader, kBufferCount> headers_;
  PcmFormat format_;
  std::atomic<std::uint32_t> volume_{0xFFFFFFFFu};
};

// The one device of the run; the MP3 player writes into it.
extern WaveOutDevice waveOutDevice;

}  // namespace kb
