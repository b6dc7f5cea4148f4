#include "platform/crt.h"

namespace kb {
namespace {
std::uint32_t randomState = 1;
}

std::string TextModeBytes(std::string_view stored) {
  std::string out;
  out.reserve(stored.size());
  for (std::size_t i = 0; i < stored.size(); ++i) {
    char b = stored[i];
    if (b == 0x1A) break;
    if (b == '\r' && i + 1 < stored.size() && stored[i + 1] == '\n') continue;
    out.push_back(b);
  }
  return out;
}

std::string TextModeWrite(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char b : text) {
    if (b == '\n') out.push_back('\r');
    out.push_back(b);
  }
  return out;
}

void CrtSeed(std::uint32_t seed) { randomState = seed; }

int CrtRandom() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int>((randomState >> 16) & 0x7FFF);
}

}  // namespace kb
