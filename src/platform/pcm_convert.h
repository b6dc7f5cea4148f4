#pragma once
// Bringing PCM of any playable format to the mixer's: one frame decoded to
// a stereo pair, and the frames taken to the mixer's rate.
#include <cstddef>
#include <cstdint>

#include "platform/mixer.h"

namespace kb {

// Reads the frame at bytes as a stereo pair: mono goes to both channels,
// 8-bit samples are centred on 0 and widened to 16 bits.
inline void DecodePcmFrame(const std::uint8_t* bytes, const SampleFormat& format, std::int16_t lr[2]) {
  auto sample = [&](int channel) -> std::int16_t {
    if (format.bitsPerSample == 8) return static_cast<std::int16_t>((bytes[channel] - 128) * 256);
    const std::uint8_t* p = bytes + channel * 2;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
  };
  lr[0] = sample(0);
  lr[1] = format.channels == 2 ? sample(1) : lr[0];
}

// Takes frames at the source's rate to the mixer's by linear interpolation
// between neighbouring frames.  At the mixer's own rate every frame passes
// unchanged; at half of it every frame is followed by the midpoint to the
// next.  The position is kept in fixed point, so the result is the same on
// every run.
class RateConverter {
 public:
  explicit RateConverter(int sourceRate = kMixRate)
      : step_((static_cast<std::uint64_t>(sourceRate) << 32) / kMixRate) {}

  // Produces up to `frames` stereo frames into out.  `next(lr)` gives the
  // next source frame, or answers false when there is none yet; the
  // converter then stops and keeps its place, so frames that come later
  // carry on where it stopped.  Returns the frames produced.
  template <typename Source>
  std::size_t Convert(std::int16_t* out, std::size_t frames, Source&& next) {
    std::size_t produced = 0;
    while (produced < frames) {
      // Move to the source frame under the position.
      while (position_ >= kOne) {
        if (haveB_) {
          a_[0] = b_[0];
          a_[1] = b_[1];
          haveB_ = false;
        } else if (!next(a_)) {
          haveA_ = false;
          return produced;
        }
        haveA_ = true;
        position_ -= kOne;
      }
      if (!haveA_) {
        if (!next(a_)) return produced;
        haveA_ = true;
      }
      if (position_ == 0) {
        out[0] = a_[0];
        out[1] = a_[1];
      } else {
        if (!haveB_) {
          if (!next(b_)) return produced;
          haveB_ = true;
        }
        const auto fraction = static_cast<std::int64_t>(position_);
        for (int c = 0; c < 2; ++c)
          out[c] = static_cast<std::int16_t>(a_[c] + (((b_[c] - a_[c]) * fraction) >> 32));
      }
      out += 2;
      ++produced;
      position_ += step_;
    }
    return produced;
  }

  // Forgets the frames it holds (the source was discarded).
  void Reset() {
    position_ = 0;
    haveA_ = haveB_ = false;
  }

 private:
  static constexpr std::uint64_t kOne = std::uint64_t{1} << 32;
  std::uint64_t step_;          // source frames per output frame, 32.32
  std::uint64_t position_ = 0;  // how far past frame a_, 32.32
  std::int16_t a_[2]{};
  std::int16_t b_[2]{};
  bool haveA_ = false;
  bool haveB_ = false;
};

}  // namespace kb
