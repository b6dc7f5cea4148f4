// The hybrid filterbank.  Each IMDCT (36 outputs from 18 lines, or 12 from 6 for short windows)
// is computed through a DCT-IV of half its length: with u = DCT-IV(X), the outputs are
// u[n/4 + i] for the first quarter, -u[3n/4 - 1 - i] for the middle half and -u[i - 3n/4] for
// the last quarter (n the number of outputs).

#include "media/mpeg/hybrid_filterbank.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "media/mpeg/float4.h"

namespace kb::mpeg {

namespace {

constexpr int kCos18Stride = 20;  // 18 outputs padded to whole groups of four

struct HybridTables {
  alignas(16) float cos18[18][kCos18Stride];  // [k][j] = cos(pi/18 (j + 1/2)(k + 1/2)), j < 18
  float cos6[6][6];                 // cos(pi/6 (j + 1/2)(k + 1/2))
  alignas(32) float longWindow[4][36];  // by block type; type 2 unused here
  float shortWindow[12];
  float aliasCs[8];
  float aliasCa[8];
};
HybridTables tables;

constexpr double kAliasCoefficients[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};

void AliasReduce(float* lines, uint32_t boundaries) {
  for (uint32_t sb = 1; sb <= boundaries; ++sb) {
    float* low = lines + sb * kLinesPerSubband - 1;
    float* high = lines + sb * kLinesPerSubband;
    for (int i = 0; i < 8; ++i) {
      const float a = low[-i];
      const float b = high[i];
      low[-i] = a * tables.aliasCs[i] - b * tables.aliasCa[i];
      high[i] = b * tables.aliasCs[i] + a * tables.aliasCa[i];
    }
  }
}

// 36-point IMDCT of one subband, windowed, into z.  The DCT-IV runs over the columns of the
// matrix, four outputs at a time.
void LongImdct(const float* in, const float* window, float* z) {
  Float4 acc[kCos18Stride / 4] = {};
  for (int k = 0; k < 18; ++k) {
    const Float4 x = {in[k], in[k], in[k], in[k]};
    for (int q = 0; q < kCos18Stride / 4; ++q) acc[q] += x * Load4(tables.cos18[k] + 4 * q);
  }
  alignas(16) float u[kCos18Stride];
  for (int q = 0; q < kCos18Stride / 4; ++q) Store4(u + 4 * q, acc[q]);
  for (int i = 0; i < 9; ++i) z[i] = u[9 + i] * window[i];
  for (int i = 9; i < 27; ++i) z[i] = -u[26 - i] * window[i];
  for (int i = 27; i < 36; ++i) z[i] = -u[i - 27] * window[i];
}

// Three 12-point IMDCTs of one subband's short windows, windowed and overlapped into z.
void ShortImdct(const float* in, float* z) {
  std::memset(z, 0, 36 * sizeof(float));
  for (int w = 0; w < 3; ++w) {
    const float* x = in + 6 * w;
    float u[6];
    for (int j = 0; j < 6; ++j) {
      float sum = 0.0f;
      for (int k = 0; k < 6; ++k) sum += x[k] * tables.cos6[j][k];
      u[j] = sum;
    }
    float y[12];
    for (int i = 0; i < 3; ++i) y[i] = u[3 + i];
    for (int i = 3; i < 9; ++i) y[i] = -u[8 - i];
    for (int i = 9; i < 12; ++i) y[i] = -u[i - 9];
    float* target = z + 6 + 6 * w;
    for (int i = 0; i < 12; ++i) target[i] += y[i] * tables.shortWindow[i];
  }
}

}  // namespace

void BuildHybridTables() {
  const double pi = std::numbers::pi;
  for (int j = 0; j < 18; ++j) {
    for (int k = 0; k < 18; ++k) {
      tables.cos18[k][j] = static_cast<float>(std::cos(pi / 18.0 * (j + 0.5) * (k + 0.5)));
    }
  }
  for (int j = 0; j < 6; ++j) {
    for (int k = 0; k < 6; ++k) {
      tables.cos6[j][k] = static_cast<float>(std::cos(pi / 6.0 * (j + 0.5) * (k + 0.5)));
    }
  }
  for (int i = 0; i < 36; ++i) {
    const float normal = static_cast<float>(std::sin(pi / 36.0 * (i + 0.5)));
    tables.longWindow[0][i] = normal;
    tables.longWindow[2][i] = normal;
    // Start block: normal rising half, flat, the short window's falling half, zero.
    float start = 0.0f;
    if (i < 18) {
      start = normal;
    } else if (i < 24) {
      start = 1.0f;
    } else if (i < 30) {
      start = static_cast<float>(std::sin(pi / 12.0 * (i - 18 + 0.5)));
    }
    tables.longWindow[1][i] = start;
    // Stop block: the mirror image.
    float stop = 0.0f;
    if (i >= 18) {
      stop = normal;
    } else if (i >= 12) {
      stop = 1.0f;
    } else if (i >= 6) {
      stop = static_cast<float>(std::sin(pi / 12.0 * (i - 6 + 0.5)));
    }
    tables.longWindow[3][i] = stop;
  }
  for (int i = 0; i < 12; ++i) {
    tables.shortWindow[i] = static_cast<float>(std::sin(pi / 12.0 * (i + 0.5)));
  }
  for (int i = 0; i < 8; ++i) {
    const double c = kAliasCoefficients[i];
    const double root = std::sqrt(1.0 + c * c);
    tables.aliasCs[i] = static_cast<float>(1.0 / root);
    tables.aliasCa[i] = static_cast<float>(c / root);
  }
}

void ReorderShortBlocks(float* lines, const uint16_t* shortStart, uint32_t firstBand) {
  float reordered[kLinesPerGranule];
  const uint32_t begin = 3u * shortStart[firstBand];
  for (uint32_t band = firstBand; band < 13; ++band) {
    const uint32_t start = shortStart[band];
    const uint32_t width = shortStart[band + 1] - start;
    for (uint32_t w = 0; w < 3; ++w) {
      const float* source = lines + 3 * start + w * width;
      for (uint32_t i = 0; i < width; ++i) {
        const uint32_t f = start + i;
        reordered[(f / 6) * 18 + w * 6 + f % 6] = source[i];
      }
    }
  }
  std::memcpy(lines + begin, reordered + begin, (kLinesPerGranule - begin) * sizeof(float));
}

void HybridFilterbank(float* lines, const GranuleInfo& granule, uint32_t nonzeroLines,
                      float (*overlap)[kLinesPerSubband], float (*out)[kSubbands],
                      uint32_t subbandLimit) {
  const bool shortBlocks = granule.windowSwitching && granule.blockType == 2;
  const bool mixed = shortBlocks && granule.mixedBlock;
  const uint32_t longBlockType = granule.windowSwitching ? granule.blockType : 0;
  uint32_t active = (nonzeroLines + kLinesPerSubband - 1) / kLinesPerSubband;

  // Alias reduction works across the boundaries between long-block subbands; across the last
  // one it also fills the first lines of the next subband.
  if (!shortBlocks) {
    const uint32_t boundaries = std::min(active, uint32_t{kSubbands - 1});
    AliasReduce(lines, boundaries);
    active = std::min(active + 1, uint32_t{kSubbands});
  } else if (mixed) {
    AliasReduce(lines, 1);
    active = std::max(active, 2u);
  }
  active = std::min(active, subbandLimit);

  alignas(32) float z[36];
  for (uint32_t sb = 0; sb < kSubbands; ++sb) {
    float* memory = overlap[sb];
    float result[kLinesPerSubband];
    if (sb < active) {
      if (shortBlocks && !(mixed && sb < 2)) {
        ShortImdct(lines + sb * kLinesPerSubband, z);
      } else {
        // The two lowest subbands of a granule with the mixed-block flag take the normal window,
        // whatever the block type.
        const uint32_t type = (granule.windowSwitching && granule.mixedBlock && sb < 2) ? 0 : longBlockType;
        LongImdct(lines + sb * kLinesPerSubband, tables.longWindow[type], z);
      }
      for (int i = 0; i < 18; ++i) {
        result[i] = z[i] + memory[i];
        memory[i] = z[18 + i];
      }
    } else {
      for (int i = 0; i < 18; ++i) {
        result[i] = memory[i];
        memory[i] = 0.0f;
      }
    }
    if (sb & 1) {
      for (int i = 1; i < 18; i += 2) result[i] = -result[i];
    }
    for (int i = 0; i < 18; ++i) out[i][sb] = result[i];
  }
}

}  // namespace kb::mpeg
