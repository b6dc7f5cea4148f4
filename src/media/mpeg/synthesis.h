// The polyphase synthesis filterbank shared by all layers: 32 subband samples per slot become 32
// PCM samples through a fast 32-point DCT, the channel's ring of past slots and the window D.
#pragma once

#include <cstdint>

#include "media/mpeg/stream_state.h"

namespace kb::mpeg {

constexpr int kSynthesisWindowLength = 512;

// The window D times 65536 (synthesis_window.cpp).
extern const int32_t kSynthesisWindow[kSynthesisWindowLength];

void ClearSynthesis(SynthesisRing& ring);

// Synthesises `slots` slots of one channel into 16-bit samples written every `stride` samples
// from out.  Subbands at or above subbandLimit are taken as zero.  Values are carried in the
// 16-bit range throughout; the output is truncated toward zero and clipped.
void Synthesize(SynthesisRing& ring, const float (*samples)[kSubbands], uint32_t slots,
                uint32_t subbandLimit, int16_t* out, uint32_t stride);

}  // namespace kb::mpeg
