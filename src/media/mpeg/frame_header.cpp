// Frame headers: the sync search, the parsed fields, the stream parameters and frame lengths.

#include "media/mpeg/stream_state.h"

namespace kb::mpeg {

namespace {

// Bitrates in kbit/s by ID (0 LSF, 1 MPEG-1), layer code (3 I, 2 II, 1 III) and index.  Index 0
// is free format and index 15 is forbidden; both read as 0 so that they are refused.
constexpr uint32_t kBitrates[2][4][16] = {
    {
        {},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    },
    {
        {},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    },
};

// Sampling frequencies in Hz by ID and index; index 3 is reserved.
constexpr uint32_t kFrequencies[2][4] = {
    {22050, 24000, 16000, 0},
    {44100, 48000, 32000, 0},
};

constexpr uint32_t kLayer1 = 3;
constexpr uint32_t kLayer3 = 1;

}  // namespace

bool HasSync(std::span<const uint8_t> bytes) {
  return bytes.size() >= 2 && bytes[0] == 0xFF && (bytes[1] & 0xF0) == 0xF0;
}

FrameHeader ParseHeader(const uint8_t* bytes) {
  const uint32_t word = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) |
                        (uint32_t{bytes[2]} << 8) | uint32_t{bytes[3]};
  FrameHeader h;
  h.id = (word >> 19) & 1;
  h.layer = (word >> 17) & 3;
  h.protection = (word >> 16) & 1;
  h.bitrateIndex = (word >> 12) & 15;
  h.frequencyIndex = (word >> 10) & 3;
  h.padding = (word >> 9) & 1;
  h.privateBit = (word >> 8) & 1;
  h.mode = (word >> 6) & 3;
  h.modeExtension = (word >> 4) & 3;
  h.copyright = (word >> 3) & 1;
  h.original = (word >> 2) & 1;
  h.emphasis = word & 3;
  h.bitrate = kBitrates[h.id][h.layer][h.bitrateIndex];
  h.frequency = kFrequencies[h.id][h.frequencyIndex];
  return h;
}

uint32_t FrameLengthOf(const FrameHeader& h) {
  if (h.layer == 0 || h.bitrate == 0 || h.frequency == 0) return 0;
  if (h.layer == kLayer1) return 4 * (12000 * h.bitrate / h.frequency) + 4 * h.padding;
  uint32_t nominal = 144000 * h.bitrate / h.frequency;
  if (h.layer == kLayer3 && h.id == 0) nominal /= 2;
  return nominal + h.padding;
}

bool FindFrameHeader(std::span<const uint8_t> bytes, FrameHeader& header, size_t& offset) {
  for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
    if (HasSync(bytes.subspan(i))) {
      header = ParseHeader(bytes.data() + i);
      offset = i;
      return true;
    }
  }
  return false;
}

bool GetStreamParams(const FrameHeader& header, StreamParams& params) {
  if (header.layer == 0 || header.bitrate == 0 || header.frequency == 0) return false;
  FrameHeader unpadded = header;
  unpadded.padding = 0;
  const uint32_t nominal = FrameLengthOf(unpadded);
  const uint32_t channels = header.mode == 3 ? 1 : 2;
  uint32_t samplesPerFrame = 1152;
  if (header.layer == kLayer1) samplesPerFrame = 384;
  if (header.layer == kLayer3 && header.id == 0) samplesPerFrame = 576;

  params.channels = channels;
  params.bitsPerSample = 16;
  params.samplesPerSecond = header.frequency;
  params.nominalFrameLength = nominal;
  params.maxFrameLength = nominal + (header.layer == kLayer1 ? 4 : 1);
  params.outputBytesPerFrame = samplesPerFrame * channels * 2;
  return true;
}

}  // namespace kb::mpeg
