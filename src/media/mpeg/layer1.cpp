// Layer I: 4-bit allocations, 6-bit scalefactors and 12 samples per allocated subband, one slot
// of 32 subband samples at a time.

#include <algorithm>

#include "media/mpeg/bit_reader.h"
#include "media/mpeg/layer12_tables.h"
#include "media/mpeg/stream_state.h"

namespace kb::mpeg {

FrameOutcome DecodeLayer1(const FrameContext& frame) {
  constexpr uint32_t kSlots = 12;
  const Layer12Tables& t = layer12Tables;
  const uint32_t channels = frame.codedChannels;
  // In joint stereo the subbands from `bound` up share one allocation and one sample for both
  // channels; each channel keeps its own scalefactor.
  uint32_t bound = kSubbands;
  if (channels == 2 && frame.header.mode == 1) bound = 4 * (frame.header.modeExtension + 1);

  BitReader bits(frame.payload.data(), frame.payload.size());
  uint8_t allocation[kMaxChannels][kSubbands] = {};
  uint8_t scalefactor[kMaxChannels][kSubbands] = {};
  for (uint32_t sb = 0; sb < kSubbands; ++sb) {
    if (sb < bound) {
      for (uint32_t ch = 0; ch < channels; ++ch) allocation[ch][sb] = bits.Read(4) & 15;
    } else {
      allocation[0][sb] = allocation[1][sb] = bits.Read(4) & 15;
    }
  }
  for (uint32_t sb = 0; sb < kSubbands; ++sb) {
    for (uint32_t ch = 0; ch < channels; ++ch) {
      if (allocation[ch][sb] != 0) scalefactor[ch][sb] = bits.Read(6) & 63;
    }
  }

  for (uint32_t slot = 0; slot < kSlots; ++slot) {
    for (uint32_t sb = 0; sb < kSubbands; ++sb) {
      uint32_t shared = 0;
      for (uint32_t ch = 0; ch < channels; ++ch) {
        const uint32_t a = allocation[ch][sb];
        float value = 0.0f;
        if (a != 0 && a != 15) {
          uint32_t code = shared;
          if (sb < bound || ch == 0) code = bits.Read(a + 1);
          shared = code;
          value = (static_cast<float>(code) * t.layer1Step[a] + t.layer1Offset[a]) *
                  t.scalefactors[scalefactor[ch][sb]];
        }
        stream.samples[ch][slot][sb] = value;
      }
    }
  }
  return {kSlots, channels, false};
}

}  // namespace kb::mpeg
