#pragma once
// A stream of PCM buffers played one after another, the stand-in for a
// wave output device: the writer queues buffers, and each buffer is handed
// back through the "done" callback once it has played, so the writer knows
// when it may fill it again.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

#include "platform/mixer.h"
#include "platform/pcm_convert.h"

namespace kb {

class PcmStream final : public Voice {
 public:
  // The most buffers queued at once.
  static constexpr std::size_t kMaxQueued = 8;

  // Called once for every queued buffer, in the order they were queued,
  // when it has played, was discarded by Reset, or the stream left its
  // mixer.  It runs with the stream locked (and, when a buffer has played,
  // on the audio side with the mixer locked), so it must not call back into
  // the stream or the mixer; releasing a semaphore or posting a message is
  // what it is for.
  using DoneCallback = std::function<void(const std::uint8_t* data)>;

  // The format must be playable (SampleFormat::IsPlayable).
  PcmStream(const SampleFormat& format, DoneCallback done);

  const SampleFormat& Format() const { return format_; }

  // Queues `size` bytes at data to play after what is queued.  The bytes
  // stay the writer's and must stay unchanged until they are reported done.
  // A frame may run over into the next buffer.  False, with nothing queued
  // and nothing to be reported, when kMaxQueued buffers wait or the stream
  // has left its mixer.
  bool Queue(const std::uint8_t* data, std::size_t size);
  // Discards everything queued; every buffer is reported done before this
  // returns.  A paused stream stays paused.
  void Reset();
  // Holds playback where it is / goes on from there.
  void Pause();
  void Restart();
  bool Paused() const;
  // Whether the buffer at data is queued and not yet reported done.
  bool Holds(const std::uint8_t* data) const;
  std::size_t QueuedCount() const;

  std::size_t Render(std::int16_t* out, std::size_t frames) override;
  void Detach() override;

 private:
  struct Buffer {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
  };

  // The next whole frame from the queue; false when the queue runs dry.
  // Buffers whose last byte it takes are reported done.  Locked.
  bool NextFrame(std::int16_t lr[2]);
  void PopFront();    // locked
  void DiscardAll();  // locked

  mutable std::mutex mutex_;
  const SampleFormat format_;
  const DoneCallback done_;
  std::array<Buffer, kMaxQueued> queue_{};
  std::size_t head_ = 0;
  std::size_t count_ = 0;
  std::size_t offset_ = 0;   // bytes of the front buffer already taken
  std::uint8_t frame_[4]{};  // a frame being put together across buffers
  int frameBytes_ = 0;
  RateConverter converter_;
  bool paused_ = false;
  bool detached_ = false;
};

}  // namespace kb
