#include "platform/cp932.h"

#include <iconv.h>

#include <cerrno>

namespace kb {
namespace {

// Converts with iconv; an unconvertible input sequence is replaced and
// skipped (one byte, or the UTF-8 sequence it begins).
std::string Convert(const char* to, const char* from, std::string_view in, std::string_view replacement,
                    bool utf8Input) {
  std::string out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  out.reserve(in.size() * 3 / 2 + 4);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buf[512];
  while (srcLeft > 0) {
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf, static_cast<size_t>(dst - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL: skip the bad sequence.
      out.append(replacement);
      size_t skip = 1;
      if (utf8Input) {
        auto b = static_cast<unsigned char>(*src);
        if (b >= 0xF0)
          skip = 4;
        else if (b >= 0xE0)
          skip = 3;
        else if (b >= 0xC0)
          skip = 2;
        if (skip > srcLeft) skip = srcLeft;
      }
      src += skip;
      srcLeft -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  return Convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD", false);
}

std::string Utf8ToCp932(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8, "?", true); }

}  // namespace kb
