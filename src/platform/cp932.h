#pragma once
// Conversion between CP932 (the engine's text) and UTF-8 (the rest of the
// system: file names, dialogs, the trace, typed text).  Bytes that do not
// convert become "?" (to CP932) or U+FFFD (to UTF-8).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kb {

std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);

// One character of CP932 text, for drawing it.
struct Cp932Char {
  int bytes = 1;               // 1, or 2 for a double-byte character
  unsigned code = 0;           // the character as the text holds it (lead byte << 8 | trail byte)
  std::uint32_t unicode = 0;   // its code point; 0 when the bytes are no character
};

// The character that starts at text[at] (at < text.size()).  A byte that
// begins no character (0x80, 0xA0, 0xFD-0xFF, a lead byte without a trail
// byte after it) is one byte long and has no code point; so has a
// double-byte code that CP932 leaves unassigned.  Single bytes 0xA1-0xDF
// are the half-width katakana.
Cp932Char DecodeCp932(std::string_view text, std::size_t at);

}  // namespace kb
