// Tables of Layers I and II: the scalefactors, the quantisation classes and the Layer II bit
// allocation tables.
#pragma once

#include <cstdint>

namespace kb::mpeg {

// A quantiser of `levels` steps.  Grouped classes code three samples in one codeword of `bits`
// bits; the others code each sample in `bits` bits.  A code v dequantises to
// (v * step + offset) times the scalefactor, that is (2 v - (levels - 1)) / levels.
struct QuantClass {
  uint32_t levels;
  uint32_t bits;
  bool grouped;
  float step;
  float offset;
};

// One Layer II bit allocation table: how many subbands carry data (sblimit), how many bits each
// subband's allocation takes, and which quantisation class each allocation value selects
// (0 = no samples).
struct AllocationTable {
  uint32_t sblimit;
  uint8_t allocationBits[32];
  const uint8_t* classes[32];
};

constexpr int kQuantClassCount = 18;
constexpr int kScalefactorCount = 64;

struct Layer12Tables {
  float scalefactors[kScalefactorCount];  // 2^(1 - i/3) times 32768
  QuantClass classes[kQuantClassCount];   // Layer II; entry 0 is "no samples"
  float layer1Step[16];                   // Layer I: allocation a codes a + 1 bits
  float layer1Offset[16];
};

extern Layer12Tables layer12Tables;

}  // namespace kb::mpeg
