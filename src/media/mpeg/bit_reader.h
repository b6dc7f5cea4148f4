// A big-endian bit reader over a byte range that it never leaves: bits past the end read as 0,
// and the position may run past the end so that callers can tell an overrun afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kb::mpeg {

class BitReader {
 public:
  BitReader() = default;
  BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // The next 32 bits, most significant first, without moving.
  uint32_t Peek32() const {
    const size_t byte = position_ >> 3;
    const unsigned shift = position_ & 7;
    uint64_t word = 0;
    if (byte < size_ && size_ - byte >= 8) {
      std::memcpy(&word, data_ + byte, 8);
      word = __builtin_bswap64(word);
    } else {
      for (size_t i = 0; i < 8; ++i) {
        word <<= 8;
        if (byte < size_ && i < size_ - byte) word |= data_[byte + i];
      }
    }
    return static_cast<uint32_t>((word << shift) >> 32);
  }

  // Reads count bits (0 to 32) as an unsigned number.
  uint32_t Read(unsigned count) {
    if (count == 0) return 0;
    const uint32_t value = Peek32() >> (32 - count);
    position_ += count;
    return value;
  }

  void Skip(size_t count) { position_ += count; }
  size_t Position() const { return position_; }
  void SetPosition(size_t bits) { position_ = bits; }
  size_t SizeInBits() const { return size_ * 8; }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t position_ = 0;
};

}  // namespace kb::mpeg
