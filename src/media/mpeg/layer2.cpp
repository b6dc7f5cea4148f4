// Layer II: allocations from the table the bitrate selects, scalefactor selection information,
// up to three scalefactors per subband, and 36 samples per subband coded alone or in groups of
// three.

#include <algorithm>

#include "media/mpeg/bit_reader.h"
#include "media/mpeg/layer12_tables.h"
#include "media/mpeg/stream_state.h"

namespace kb::mpeg {

namespace {

// Reads the three samples of one granule of one subband as codes (0 to levels - 1).
void ReadTriple(BitReader& bits, const QuantClass& c, uint32_t codes[3]) {
  if (c.grouped) {
    uint32_t word = bits.Read(c.bits);
    for (int i = 0; i < 3; ++i) {
      codes[i] = word % c.levels;
      word /= c.levels;
    }
  } else {
    for (int i = 0; i < 3; ++i) codes[i] = bits.Read(c.bits);
  }
}

}  // namespace

FrameOutcome DecodeLayer2(const FrameContext& frame) {
  const AllocationTable* table = SelectAllocationTable(frame.header);
  if (table == nullptr) return {};  // a forbidden bitrate and mode: the frame is silence

  const Layer12Tables& t = layer12Tables;
  const uint32_t channels = frame.codedChannels;
  const uint32_t sblimit = table->sblimit;
  uint32_t bound = sblimit;
  if (channels == 2 && frame.header.mode == 1) {
    bound = std::min(sblimit, 4 * (frame.header.modeExtension + 1));
  }

  BitReader bits(frame.payload.data(), frame.payload.size());
  uint8_t classOf[kMaxChannels][kSubbands] = {};
  for (uint32_t sb = 0; sb < sblimit; ++sb) {
    const uint32_t width = table->allocationBits[sb];
    if (sb < bound) {
      for (uint32_t ch = 0; ch < channels; ++ch) classOf[ch][sb] = table->classes[sb][bits.Read(width)];
    } else {
      classOf[0][sb] = classOf[1][sb] = table->classes[sb][bits.Read(width)];
    }
  }
  uint8_t selection[kMaxChannels][kSubbands] = {};
  for (uint32_t sb = 0; sb < sblimit; ++sb) {
    for (uint32_t ch = 0; ch < channels; ++ch) {
      if (classOf[ch][sb] != 0) selection[ch][sb] = bits.Read(2) & 3;
    }
  }
  // Scalefactor indexes for the three parts of the frame (granules 0-3, 4-7, 8-11).
  uint8_t scalefactor[kMaxChannels][kSubbands][3] = {};
  for (uint32_t sb = 0; sb < sblimit; ++sb) {
    for (uint32_t ch = 0; ch < channels; ++ch) {
      if (classOf[ch][sb] == 0) continue;
      uint8_t* s = scalefactor[ch][sb];
      s[0] = bits.Read(6) & 63;
      switch (selection[ch][sb]) {
        case 0:
          s[1] = bits.Read(6) & 63;
          s[2] = bits.Read(6) & 63;
          break;
        case 1:
          s[1] = s[0];
          s[2] = bits.Read(6) & 63;
          break;
        case 2:
          s[1] = s[2] = s[0];
          break;
        default:
          s[1] = s[2] = bits.Read(6) & 63;
          break;
      }
    }
  }

  for (uint32_t granule = 0; granule < 12; ++granule) {
    const uint32_t part = granule / 4;
    for (uint32_t sb = 0; sb < sblimit; ++sb) {
      uint32_t codes[3] = {};
      for (uint32_t ch = 0; ch < channels; ++ch) {
        const QuantClass& c = t.classes[classOf[ch][sb]];
        float* out0 = &stream.samples[ch][granule * 3][sb];
        if (c.levels == 0) {
          out0[0] = out0[kSubbands] = out0[2 * kSubbands] = 0.0f;
          continue;
        }
        if (sb < bound || ch == 0) ReadTriple(bits, c, codes);
        const float scale = t.scalefactors[scalefactor[ch][sb][part]];
        for (int i = 0; i < 3; ++i) {
          out0[i * kSubbands] = (static_cast<float>(codes[i]) * c.step + c.offset) * scale;
        }
      }
    }
    for (uint32_t ch = 0; ch < channels; ++ch) {
      for (uint32_t i = 0; i < 3; ++i) {
        for (uint32_t sb = sblimit; sb < kSubbands; ++sb) stream.samples[ch][granule * 3 + i][sb] = 0.0f;
      }
    }
  }
  return {36, channels, false};
}

}  // namespace kb::mpeg
