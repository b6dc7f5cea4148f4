#include "platform/pcm_stream.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kb {

PcmStream::PcmStream(const SampleFormat& format, DoneCallback done)
    : format_(format), done_(std::move(done)), converter_(format.sampleRate) {}

bool PcmStream::Queue(const std::uint8_t* data, std::size_t size) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (detached_ || count_ == kMaxQueued) return false;
  queue_[(head_ + count_) % kMaxQueued] = Buffer{data, data ? size : 0};
  ++count_;
  return true;
}

void PcmStream::PopFront() {
  const std::uint8_t* data = queue_[head_].data;
  head_ = (head_ + 1) % kMaxQueued;
  --count_;
  offset_ = 0;
  if (done_) done_(data);
}

void PcmStream::DiscardAll() {
  while (count_ > 0) PopFront();
  frameBytes_ = 0;
  converter_.Reset();
}

void PcmStream::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  DiscardAll();
}

void PcmStream::Pause() {
  std::lock_guard<std::mutex> lock(mutex_);
  paused_ = true;
}

void PcmStream::Restart() {
  std::lock_guard<std::mutex> lock(mutex_);
  paused_ = false;
}

bool PcmStream::Paused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return paused_;
}

bool PcmStream::Holds(const std::uint8_t* data) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (std::size_t i = 0; i < count_; ++i)
    if (queue_[(head_ + i) % kMaxQueued].data == data) return true;
  return false;
}

std::size_t PcmStream::QueuedCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

bool PcmStream::NextFrame(std::int16_t lr[2]) {
  const int need = format_.BlockAlign();
  if (frameBytes_ == 0 && count_ > 0) {
    // The usual case: the whole frame lies in the front buffer.
    const Buffer& front = queue_[head_];
    if (front.size - offset_ >= static_cast<std::size_t>(need)) {
      DecodePcmFrame(front.data + offset_, format_, lr);
      offset_ += static_cast<std::size_t>(need);
      if (offset_ == front.size) PopFront();
      return true;
    }
  }
  while (frameBytes_ < need) {
    if (count_ == 0) return false;
    const Buffer& front = queue_[head_];
    const std::size_t take =
        std::min<std::size_t>(static_cast<std::size_t>(need - frameBytes_), front.size - offset_);
    if (take > 0) std::memcpy(frame_ + frameBytes_, front.data + offset_, take);
    frameBytes_ += static_cast<int>(take);
    offset_ += take;
    if (offset_ == front.size) PopFront();
  }
  frameBytes_ = 0;
  DecodePcmFrame(frame_, format_, lr);
  return true;
}

std::size_t PcmStream::Render(std::int16_t* out, std::size_t frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (paused_ || detached_) return 0;
  return converter_.Convert(out, frames, [this](std::int16_t* lr) { return NextFrame(lr); });
}

void PcmStream::Detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  DiscardAll();
  detached_ = true;
}

}  // namespace kb
