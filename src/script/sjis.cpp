#include "script/sjis.h"

#include "platform/files.h"

namespace kb {

std::size_t SjisFind(std::string_view text, std::string_view pattern) {
  const std::size_t n = pattern.size(), m = text.size();
  if (n > m) return kNotFound;
  for (std::size_t i = 0; i <= m - n;) {
    if (text.compare(i, n, pattern) == 0) return i;
    i += IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
  }
  return kNotFound;
}

std::size_t SjisFindLast(std::string_view text, std::string_view pattern) {
  const std::size_t n = pattern.size(), m = text.size();
  std::size_t last = kNotFound;
  if (n > m) return kNotFound;
  for (std::size_t i = 0; i <= m - n;) {
    if (text.compare(i, n, pattern) == 0) last = i;
    i += IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
  }
  return last;
}

int ProbePath(std::string_view path) { return static_cast<int>(ProbeGamePath(path)); }

}  // namespace kb
