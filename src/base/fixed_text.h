#pragma once
// A text in a fixed buffer of N bytes (N - 1 bytes of CP932 and a NUL), as
// the game's tables hold them.  Setting a longer text cuts it on a
// character boundary, so a double-byte character is never split.
#include <cstddef>
#include <cstring>
#include <string_view>

namespace kb {

// The game treats 0x80-0x9F and 0xE0-0xFF as the first byte of a
// double-byte character.
inline bool IsSjisLeadByte(unsigned char b) { return (b >= 0x80 && b <= 0x9F) || b >= 0xE0; }

// The longest prefix of text of at most limit bytes that ends on a
// character boundary.
inline std::size_t SjisCutLength(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  std::size_t i = 0;
  while (i < limit) {
    std::size_t step = IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + step > limit) break;
    i += step;
  }
  return i;
}

template <std::size_t N>
class FixedText {
 public:
  static constexpr std::size_t kCapacity = N - 1;

  FixedText() { bytes_[0] = '\0'; }
  FixedText(std::string_view text) { Set(text); }  // NOLINT: implicit on purpose

  // Returns false when the text had to be cut.
  bool Set(std::string_view text) {
    std::size_t n = SjisCutLength(text, kCapacity);
    std::memcpy(bytes_, text.data(), n);
    bytes_[n] = '\0';
    return n == text.size();
  }
  bool Append(std::string_view text) {
    std::size_t have = size();
    std::size_t n = SjisCutLength(text, kCapacity - have);
    std::memcpy(bytes_ + have, text.data(), n);
    bytes_[have + n] = '\0';
    return n == text.size();
  }
  FixedText& operator=(std::string_view text) {
    Set(text);
    return *this;
  }
  void Clear() { bytes_[0] = '\0'; }

  const char* c_str() const { return bytes_; }
  std::string_view view() const { return std::string_view(bytes_); }
  operator std::string_view() const { return view(); }  // NOLINT
  std::size_t size() const { return std::strlen(bytes_); }
  bool empty() const { return bytes_[0] == '\0'; }
  bool operator==(std::string_view other) const { return view() == other; }

 private:
  char bytes_[N];
};

}  // namespace kb
