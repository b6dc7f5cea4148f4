#pragma once
// A text put together from pieces in a fixed local buffer, for the
// rewriting done by the evaluator and the reference expansion.  Nothing is
// ever written past the buffer: a piece that does not fit is dropped whole
// and the builder remembers that it overflowed.
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kb {

template <std::size_t N>
class TextBuilder {
 public:
  void Append(std::string_view piece) {
    if (overflowed_ || piece.size() > N - size_) {
      overflowed_ = true;
      return;
    }
    std::memcpy(bytes_.data() + size_, piece.data(), piece.size());
    size_ += piece.size();
  }
  void Append(char c) { Append(std::string_view(&c, 1)); }
  void AppendNumber(std::int64_t value) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    Append(std::string_view(digits, static_cast<std::size_t>(end - digits)));
  }

  bool overflowed() const { return overflowed_; }
  std::size_t size() const { return size_; }
  std::string_view view() const { return std::string_view(bytes_.data(), size_); }

 private:
  std::array<char, N> bytes_{};
  std::size_t size_ = 0;
  bool overflowed_ = false;
};

// The text up to its first NUL, as the game's C strings end there.
inline std::string_view UpToNul(std::string_view text) {
  std::size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace kb
