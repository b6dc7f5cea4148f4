// The polyphase synthesis.  The matrixing of the 32 subband samples into the 64 values of a slot
// is a DCT-II of size 32 (X[m] = sum of s[k] cos((2k+1) m pi / 64)), computed by halving
// (even outputs from the sums, odd outputs from the scaled differences) down to size 1.  The 64
// values follow from the 32 by symmetry, and each slot is stored in the two arrangements the
// window sum reads, so that sum runs over contiguous memory.

#include "media/mpeg/synthesis.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>

#include "media/mpeg/float4.h"

namespace kb::mpeg {

namespace {

struct SynthesisTables {
  alignas(32) float window[16][32];  // D[32 a + j] for the slot of age a and output j
  alignas(16) float dctScale[6][16];             // [log2 N][k] = 1 / (2 cos((2k + 1) pi / 2N))
};
SynthesisTables tables;

template <int N>
inline void Dct(const float* in, float* out) {
  if constexpr (N == 1) {
    out[0] = in[0];
  } else {
    constexpr int kHalf = N / 2;
    constexpr int kLog = std::bit_width(unsigned{N}) - 1;
    const float* scale = tables.dctScale[kLog];
    alignas(16) float sums[kHalf];
    alignas(16) float differences[kHalf];
    if constexpr (kHalf % 4 == 0) {
      for (int k = 0; k < kHalf; k += 4) {
        const Float4 a = Load4(in + k);
        const Float4 b = Reverse4(Load4(in + N - 4 - k));
        Store4(sums + k, a + b);
        Store4(differences + k, (a - b) * Load4(scale + k));
      }
    } else {
      for (int k = 0; k < kHalf; ++k) {
        sums[k] = in[k] + in[N - 1 - k];
        differences[k] = (in[k] - in[N - 1 - k]) * scale[k];
      }
    }
    float even[kHalf];
    float odd[kHalf];
    Dct<kHalf>(sums, even);
    Dct<kHalf>(differences, odd);
    for (int m = 0; m < kHalf - 1; ++m) {
      out[2 * m] = even[m];
      out[2 * m + 1] = odd[m] + odd[m + 1];
    }
    out[N - 2] = even[kHalf - 1];
    out[N - 1] = odd[kHalf - 1];
  }
}

}  // namespace

void BuildSynthesisTables() {
  for (int a = 0; a < 16; ++a) {
    for (int j = 0; j < 32; ++j) {
      tables.window[a][j] = static_cast<float>(kSynthesisWindow[32 * a + j]) / 65536.0f;
    }
  }
  for (int log = 1; log <= 5; ++log) {
    const int n = 1 << log;
    for (int k = 0; k < n / 2; ++k) {
      tables.dctScale[log][k] = static_cast<float>(
          1.0 / (2.0 * std::cos((2 * k + 1) * std::numbers::pi / (2.0 * n))));
    }
  }
}

void ClearSynthesis(SynthesisRing& ring) {
  std::memset(&ring, 0, sizeof(ring));
}

void Synthesize(SynthesisRing& ring, const float (*samples)[kSubbands], uint32_t slots,
                uint32_t subbandLimit, int16_t* out, uint32_t stride) {
  const uint32_t limit = std::min(subbandLimit, uint32_t{kSubbands});
  for (uint32_t slot = 0; slot < slots; ++slot) {
    alignas(32) float in[kSubbands];
    std::memcpy(in, samples[slot], sizeof(in));
    for (uint32_t sb = limit; sb < kSubbands; ++sb) in[sb] = 0.0f;
    alignas(32) float x[kSubbands];
    Dct<kSubbands>(in, x);

    ring.offset = (ring.offset - 1) & 15;
    float* even = ring.slots[ring.offset];
    float* odd = even + 32;
    for (int j = 0; j < 16; ++j) even[j] = x[16 + j];
    even[16] = 0.0f;
    for (int j = 17; j < 32; ++j) even[j] = -x[48 - j];
    for (int j = 0; j < 16; ++j) odd[j] = -x[16 - j];
    for (int j = 16; j < 32; ++j) odd[j] = -x[j - 16];

    Float4 acc[8] = {};
    for (uint32_t age = 0; age < 16; ++age) {
      const float* v = ring.slots[(ring.offset + age) & 15] + ((age & 1) ? 32 : 0);
      const float* d = tables.window[age];
      for (int q = 0; q < 8; ++q) acc[q] += Load4(v + 4 * q) * Load4(d + 4 * q);
    }
    alignas(32) float sum[32];
    for (int q = 0; q < 8; ++q) Store4(sum + 4 * q, acc[q]);
    for (int j = 0; j < 32; ++j) {
      const float clipped = std::clamp(sum[j], -32768.0f, 32767.0f);
      out[j * stride] = static_cast<int16_t>(clipped);
    }
    out += 32 * stride;
  }
}

}  // namespace kb::mpeg
