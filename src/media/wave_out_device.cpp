#include "media/wave_out_device.h"

#include <algorithm>
#include <cstring>

#include "platform/mixer.h"
#include "platform/pcm_stream.h"
#include "platform/platform.h"

namespace kb {

WaveOutDevice waveOutDevice;

namespace {

// What Close gives a buffer beyond its own playing time.
constexpr std::uint32_t kCloseGraceMs = 200;

std::uint16_t PercentToVolume(int percent) {
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(std::clamp(percent, 0, 100)) * 65535 / 100);
}

}  // namespace

WaveOutDevice::~WaveOutDevice() {
  Reset();
  Close();
}

int WaveOutDevice::Open(const PcmFormat& format) {
  if (stream_) return 0;
  const SampleFormat sample{static_cast<int>(format.channels & 0xFFFF),
                            static_cast<int>(format.bitsPerSample & 0xFFFF),
                            static_cast<int>(std::min<std::uint32_t>(format.samplesPerSecond, 0x7FFFFFFF))};
  if (!sample.IsPlayable() || format.bufferSize == 0 || format.bufferSize > kMaxBufferSize) return 0;
  std::shared_ptr<Mixer> mixer = GetPlatform().Audio();
  if (!mixer) return 0;

  auto semaphore = std::make_unique<CountingSemaphore>(kBufferCount, kBufferCount);
  // The completion callback: a played buffer gives its count back.  It
  // runs on the audio side and touches nothing else.
  CountingSemaphore* counts = semaphore.get();
  auto stream = std::make_shared<PcmStream>(sample, [counts](const std::uint8_t*) { counts->Release(); });
  if (!mixer->Add(stream)) return 0;

  mixer_ = std::move(mixer);
  {
    std::lock_guard<std::mutex> lock(streamLock_);
    const std::uint32_t volume = volume_.load();
    stream->SetVolume(static_cast<std::uint16_t>(volume & 0xFFFF), static_cast<std::uint16_t>(volume >> 16));
    stream_ = std::move(stream);
  }
  semaphore_ = std::move(semaphore);
  format_ = format;
  nextIndex_ = 0;
  for (BufferHeader& header : headers_) {
    header.data = std::make_unique<std::uint8_t[]>(format.bufferSize);
    header.length = format.bufferSize;
  }
  return 1;
}

std::uint32_t WaveOutDevice::PlayingTimeMs(std::uint32_t bytes) const {
  const std::uint64_t bytesPerSecond =
      static_cast<std::uint64_t>(format_.samplesPerSecond) * stream_->Format().BlockAlign();
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(bytes) * 1000 / bytesPerSecond + 1);
}

int WaveOutDevice::Close() {
  if (!stream_) return 0;
  // Oldest first: the next buffer to fill is the one queued longest ago.
  for (int i = 0; i < kBufferCount; ++i) {
    BufferHeader& header = headers_[nextIndex_];
    nextIndex_ = (nextIndex_ + 1) % kBufferCount;
    const std::uint8_t* data = header.data.get();
    if (stream_->Holds(data)) {
      PcmStream* stream = stream_.get();
      mixer_->WaitFor([stream, data] { return !stream->Holds(data); },
                      PlayingTimeMs(header.length) + kCloseGraceMs);
    }
  }
  // A buffer still held now (the stream was paused, or the output stopped
  // moving) is cut off by closing the stream, so no buffer is freed while
  // the output reads it.
  mixer_->Remove(stream_.get());
  for (BufferHeader& header : headers_) {
    header.data.reset();
    header.length = 0;
  }
  {
    std::lock_guard<std::mutex> lock(streamLock_);
    stream_.reset();
  }
  semaphore_.reset();
  mixer_.reset();
  return 1;
}

int WaveOutDevice::Write(const std::uint8_t* data, std::uint32_t length) {
  if (!stream_) return 0;
  semaphore_->Acquire();
  BufferHeader& header = headers_[nextIndex_];
  nextIndex_ = (nextIndex_ + 1) % kBufferCount;
  // A longer write than a buffer holds is cut to the buffer.
  header.length = data ? std::min(length, format_.bufferSize) : 0;
  if (header.length > 0) std::memcpy(header.data.get(), data, header.length);
  // A stream whose output has closed takes nothing; the buffer is free
  // again at once.
  if (!stream_->Queue(header.data.get(), header.length)) semaphore_->Release();
  return 1;
}

int WaveOutDevice::Reset() {
  if (!stream_) return 0;
  stream_->Reset();
  return 1;
}

int WaveOutDevice::Pause() {
  if (!stream_) return 0;
  stream_->Pause();
  return 1;
}

int WaveOutDevice::Restart() {
  if (!stream_) return 0;
  stream_->Restart();
  return 1;
}

int WaveOutDevice::SetVolume(int leftPercent, int rightPercent) {
  const std::uint16_t left = PercentToVolume(leftPercent), right = PercentToVolume(rightPercent);
  std::lock_guard<std::mutex> lock(streamLock_);
  volume_.store(static_cast<std::uint32_t>(left) | static_cast<std::uint32_t>(right) << 16);
  if (stream_) stream_->SetVolume(left, right);
  return 1;
}

}  // namespace kb
