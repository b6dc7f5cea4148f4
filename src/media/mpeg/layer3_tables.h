// Tables of Layer III: scalefactor bands, the scalefactor lengths, pretab and the LSF scalefactor
// partitions, plus the derived requantisation and stereo tables.
#pragma once

#include <cstdint>

namespace kb::mpeg {

// First line of each scalefactor band; the last entry is the end of the granule.  Short-block
// lines count within one window (multiply by 3 for the position in the granule).
struct ScalefactorBands {
  uint16_t longStart[23];
  uint16_t shortStart[14];
};

const ScalefactorBands& BandsFor(uint32_t id, uint32_t frequencyIndex);

// MPEG-1 scalefactor lengths by scalefac_compress.
extern const uint8_t kSlen1[16];
extern const uint8_t kSlen2[16];
// Added to the long-block scalefactors when preflag is set.
extern const uint8_t kPretab[22];
// LSF: scalefactors in each of the four partitions, by length table (6) and block kind
// (0 long, 1 short, 2 mixed).
extern const uint8_t kLsfPartitions[6][3][4];

constexpr int kLargestQuantised = 8206;  // 15 plus the largest 13-bit linbits value
constexpr int kGainExponentMin = -384;   // exponents of 2^(q/4) the gain table covers
constexpr int kGainExponentMax = 127;

struct Layer3Tables {
  float power43[kLargestQuantised + 1];                         // |x|^(4/3)
  float gain[kGainExponentMax - kGainExponentMin + 1];          // 2^(q/4)
  float intensityMpeg1[7][2];                                   // is_pos -> left, right factor
  float intensityLsf[2][32][2];                                 // intensity_scale, is_pos
};

extern Layer3Tables layer3Tables;

inline float GainFactor(int exponent) {
  if (exponent < kGainExponentMin) return 0.0f;
  if (exponent > kGainExponentMax) exponent = kGainExponentMax;
  return layer3Tables.gain[exponent - kGainExponentMin];
}

}  // namespace kb::mpeg
