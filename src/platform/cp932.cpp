#include "platform/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

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

bool IsLeadByte(unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(unsigned b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Lead bytes 0x81-0x9F are rows 0-30, 0xE0-0xFC rows 31-59.
constexpr std::size_t kDoubleByteRows = 60;
std::size_t DoubleByteIndex(unsigned lead, unsigned trail) {
  std::size_t row = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
  return row * 256 + trail;
}

// The code point of every double-byte code (0: unassigned), made on first
// use with the system's converter, which also knows the duplicate codes of
// the extension rows.  It never changes afterwards.
std::vector<std::uint32_t> doubleByteTable;

void BuildDoubleByteTable() {
  doubleByteTable.assign(kDoubleByteRows * 256, 0);
  iconv_t cd = iconv_open("UTF-32LE", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLeadByte(lead)) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (!IsTrailByte(trail)) continue;
      char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      unsigned char out[8] = {};
      char* src = in;
      char* dst = reinterpret_cast<char*>(out);
      size_t srcLeft = 2, dstLeft = sizeof out;
      size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (r == static_cast<size_t>(-1) || srcLeft != 0 || dstLeft != sizeof out - 4) continue;
      doubleByteTable[DoubleByteIndex(lead, trail)] =
          out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<std::uint32_t>(out[3]) << 24);
    }
  }
  iconv_close(cd);
}

}  // namespace

Cp932Char DecodeCp932(std::string_view text, std::size_t at) {
  Cp932Char c;
  if (at >= text.size()) return c;
  unsigned b = static_cast<unsigned char>(text[at]);
  c.code = b;
  if (b < 0x80) {
    c.unicode = b;
  } else if (b >= 0xA1 && b <= 0xDF) {
    c.unicode = 0xFF61 + (b - 0xA1);
  } else if (IsLeadByte(b) && at + 1 < text.size() && IsTrailByte(static_cast<unsigned char>(text[at + 1]))) {
    unsigned trail = static_cast<unsigned char>(text[at + 1]);
    if (doubleByteTable.empty()) BuildDoubleByteTable();
    c.bytes = 2;
    c.code = (b << 8) | trail;
    c.unicode = doubleByteTable[DoubleByteIndex(b, trail)];
  }
  return c;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  return Convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD", false);
}

std::string Utf8ToCp932(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8, "?", true); }

}  // namespace kb
