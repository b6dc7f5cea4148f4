#pragma once
// Shift-JIS aware searching, used by every command handler.
#include <cstddef>
#include <optional>
#include <string_view>

#include "base/fixed_text.h"

namespace kb {

inline constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// Position of the first occurrence of pattern that starts on a character
// boundary, or kNotFound.  An empty pattern is found at 0.
std::size_t SjisFind(std::string_view text, std::string_view pattern);
// Position of the last such occurrence, or kNotFound.
std::size_t SjisFindLast(std::string_view text, std::string_view pattern);
// Plain byte search: may also match from the second byte of a character.
inline bool ByteContains(std::string_view text, std::string_view pattern) {
  return text.find(pattern) != std::string_view::npos;
}
inline bool SjisContains(std::string_view text, std::string_view pattern) {
  return SjisFind(text, pattern) != kNotFound;
}
inline bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// What is at a game path: 0 nothing, 1 a folder, 2 a file.
int ProbePath(std::string_view path);

}  // namespace kb
