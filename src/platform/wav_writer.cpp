#include "platform/wav_writer.h"

#include <cstring>

namespace kb {
namespace {

void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
  Put16(p, v & 0xFFFF);
  Put16(p + 2, v >> 16);
}

}  // namespace

bool WavWriter::Open(const std::string& hostPath, const SampleFormat& format) {
  Close();
  file_ = std::fopen(hostPath.c_str(), "wb");
  if (!file_) return false;
  dataBytes_ = 0;
  failed_ = false;
  blockAlign_ = static_cast<std::uint32_t>(format.BlockAlign());
  const auto rate = static_cast<std::uint32_t>(format.sampleRate);
  std::uint8_t h[kHeaderBytes];
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, kHeaderBytes - 8);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  Put32(h + 16, 16);
  Put16(h + 20, 1);  // PCM
  Put16(h + 22, static_cast<std::uint32_t>(format.channels));
  Put32(h + 24, rate);
  Put32(h + 28, rate * blockAlign_);
  Put16(h + 32, blockAlign_);
  Put16(h + 34, static_cast<std::uint32_t>(format.bitsPerSample));
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, 0);
  if (std::fwrite(h, 1, sizeof h, file_) != sizeof h) failed_ = true;
  return true;
}

void WavWriter::Write(const void* bytes, std::size_t size) {
  if (!file_) return;
  std::size_t room = kMaxDataBytes - dataBytes_;
  room -= room % blockAlign_;
  if (size > room) size = room;
  if (size == 0) return;
  if (std::fwrite(bytes, 1, size, file_) != size) failed_ = true;
  dataBytes_ += static_cast<std::uint32_t>(size);
}

bool WavWriter::Close() {
  if (!file_) return !failed_;
  std::uint8_t size[4];
  Put32(size, kHeaderBytes - 8 + dataBytes_);
  if (std::fseek(file_, 4, SEEK_SET) != 0 || std::fwrite(size, 1, 4, file_) != 4) failed_ = true;
  Put32(size, dataBytes_);
  if (std::fseek(file_, 40, SEEK_SET) != 0 || std::fwrite(size, 1, 4, file_) != 4) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

}  // namespace kb
