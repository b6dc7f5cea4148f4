// kataribedori-mpegdec FILE: decodes an MPEG audio file with the game's decoder and writes raw
// signed 16-bit little-endian PCM to standard output, with one line on standard error naming the
// channels and the rate.  Exit code 1 when the file cannot be read or not one frame of it decodes.
//
// The file is read the way the MP3 player reads it: tags and RIFF wrapper skipped, the first
// frame header searched in the first 10240 bytes of audio, then frame after frame to the end.

#include <algorithm>
#include <cstdio>
#include <vector>

#include "media/mp3_tags.h"
#include "media/mpeg/mpeg_decoder.h"

namespace {

constexpr size_t kHeaderSearchBytes = 10240;

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  uint8_t chunk[65536];
  size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof(chunk), file)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kataribedori-mpegdec FILE\n");
    return 1;
  }
  std::vector<uint8_t> file;
  if (!ReadWholeFile(argv[1], file)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  kb::mpeg::InitDecoderTables();

  const kb::Mp3FileLayout layout = kb::FindMp3Layout(file);
  const std::span<const uint8_t> audio =
      std::span<const uint8_t>(file).subspan(layout.dataStart, layout.audioLength);
  kb::mpeg::FrameHeader header;
  size_t offset = 0;
  kb::mpeg::StreamParams params;
  if (!kb::mpeg::FindFrameHeader(audio.first(std::min(audio.size(), kHeaderSearchBytes)), header,
                                 offset) ||
      !kb::mpeg::GetStreamParams(header, params) || !kb::mpeg::StartStream(header)) {
    std::fprintf(stderr, "no playable MPEG audio stream in %s\n", argv[1]);
    return 1;
  }

  std::vector<uint8_t> pcm(kb::mpeg::kMaxOutputBytesPerFrame);
  size_t position = offset;
  size_t frames = 0;
  while (position < audio.size()) {
    const kb::mpeg::DecodeResult result = kb::mpeg::DecodeFrame(audio.subspan(position), pcm);
    if (result.consumed == 0) break;
    if (frames++ == 0) {
      std::fprintf(stderr, "channels %u rate %u\n", params.channels, params.samplesPerSecond);
    }
    position += result.consumed;
    if (std::fwrite(pcm.data(), 1, result.produced, stdout) != result.produced) return 1;
  }
  if (frames == 0) {
    std::fprintf(stderr, "no whole frame in %s\n", argv[1]);
    return 1;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
