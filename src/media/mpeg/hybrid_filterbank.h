// The Layer III hybrid filterbank: alias reduction, the IMDCT of each subband by block type with
// its window, overlap-add with the previous granule and frequency inversion.
#pragma once

#include <cstdint>

#include "media/mpeg/stream_state.h"

namespace kb::mpeg {

// Transforms one granule of one channel.  lines holds 576 requantised lines, short-block parts
// already reordered (see ReorderShortBlocks); lines at or above nonzeroLines are zero.  Writes 18
// slots of 32 subband samples to out; subbands at or above subbandLimit are not transformed and
// read as zero.
void HybridFilterbank(float* lines, const GranuleInfo& granule, uint32_t nonzeroLines,
                      float (*overlap)[kLinesPerSubband], float (*out)[kSubbands],
                      uint32_t subbandLimit);

// Rearranges the short-block part of a granule from band, window, line order to the order the
// short IMDCT reads: for subband sb, window w and line k (0 to 5) the value of frequency
// 6 sb + k of window w goes to 18 sb + 6 w + k.  firstBand is 0, or 3 for mixed blocks.
void ReorderShortBlocks(float* lines, const uint16_t* shortStart, uint32_t firstBand);

}  // namespace kb::mpeg
