#pragma once
// Shift-JIS (code page 932) string literals written in UTF-8 source.
//
//   constexpr const char* kw = "＃分岐範囲"_sj;
//
// The conversion runs at compile time: the result is a NUL-terminated array
// of CP932 bytes with static storage, so the engine's texts are the exact
// bytes that scenarios and saved games hold.  A character that CP932 cannot
// encode is a compile error.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kb::sjis_detail {

struct Pair {
  std::uint32_t unicode;
  std::uint16_t code;
};

inline constexpr Pair kTable[] = {
#include "base/sjis_table.inc"
};

constexpr int Lookup(std::uint32_t cp) {
  std::size_t lo = 0, hi = std::size(kTable);
  while (lo < hi) {
    std::size_t mid = (lo + hi) / 2;
    if (kTable[mid].unicode < cp)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo < std::size(kTable) && kTable[lo].unicode == cp) return kTable[lo].code;
  return -1;
}

template <std::size_t N>
struct Utf8Text {
  char bytes[N]{};
  constexpr Utf8Text(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i) bytes[i] = s[i];
  }
};

// Decodes the UTF-8 text; calls back with each code point.
template <typename F>
constexpr void ForEachCodePoint(const char* s, std::size_t n, F f) {
  std::size_t i = 0;
  while (i < n) {
    auto b = static_cast<unsigned char>(s[i]);
    std::uint32_t cp;
    std::size_t len;
    if (b < 0x80) {
      cp = b;
      len = 1;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F;
      len = 2;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F;
      len = 3;
    } else {
      cp = b & 0x07;
      len = 4;
    }
    for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    f(cp);
    i += len;
  }
}

// Number of CP932 bytes of a code point; throws (a compile error in a
// constant expression) when it has no CP932 form.
constexpr std::size_t EncodedLength(std::uint32_t cp) {
  if (cp < 0x80) return 1;
  if (cp >= 0xFF61 && cp <= 0xFF9F) return 1;  // half-width katakana
  if (Lookup(cp) < 0) throw "character without a CP932 form";
  return 2;
}

template <Utf8Text T>
constexpr std::size_t EncodedSize() {
  std::size_t n = 0;
  ForEachCodePoint(T.bytes, sizeof(T.bytes) - 1, [&](std::uint32_t cp) { n += EncodedLength(cp); });
  return n;
}

template <Utf8Text T>
struct Encoded {
  static constexpr std::array<char, EncodedSize<T>() + 1> value = [] {
    std::array<char, EncodedSize<T>() + 1> out{};
    std::size_t o = 0;
    ForEachCodePoint(T.bytes, sizeof(T.bytes) - 1, [&](std::uint32_t cp) {
      if (cp < 0x80) {
        out[o++] = static_cast<char>(cp);
      } else if (cp >= 0xFF61 && cp <= 0xFF9F) {
        out[o++] = static_cast<char>(cp - 0xFF61 + 0xA1);
      } else {
        int code = Lookup(cp);
        out[o++] = static_cast<char>(code >> 8);
        out[o++] = static_cast<char>(code & 0xFF);
      }
    });
    out[o] = '\0';
    return out;
  }();
};

}  // namespace kb::sjis_detail

namespace kb {

template <sjis_detail::Utf8Text T>
constexpr const char* operator""_sj() {
  return sjis_detail::Encoded<T>::value.data();
}

}  // namespace kb
