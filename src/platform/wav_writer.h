#pragma once
// A WAV file written as sound is produced: the header goes first with
// sizes filled in at the end, so a run of any length streams to disk.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/mixer.h"

namespace kb {

class WavWriter {
 public:
  WavWriter() = default;
  ~WavWriter() { Close(); }
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Creates the file (replacing one that is there) for PCM of this format.
  // False when it cannot be created.
  bool Open(const std::string& hostPath, const SampleFormat& format);
  bool IsOpen() const { return file_ != nullptr; }
  // Appends PCM bytes.  A WAV file holds at most kMaxDataBytes; what would
  // go past that is left out (whole frames), and the file stays valid.
  void Write(const void* bytes, std::size_t size);
  // Fills in the sizes and closes the file; false when writing failed.
  bool Close();

  std::uint32_t DataBytes() const { return dataBytes_; }

  static constexpr std::uint32_t kHeaderBytes = 44;
  static constexpr std::uint32_t kMaxDataBytes = 0xFFFFFFFFu - kHeaderBytes;

 private:
  std::FILE* file_ = nullptr;
  std::uint32_t dataBytes_ = 0;
  std::uint32_t blockAlign_ = 1;
  bool failed_ = false;
};

}  // namespace kb
