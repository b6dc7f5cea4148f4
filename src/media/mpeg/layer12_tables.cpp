// The Layer I and II tables and the Layer II allocation table choice.

#include <cmath>

#include "media/mpeg/layer12_tables.h"
#include "media/mpeg/stream_state.h"

namespace kb::mpeg {

Layer12Tables layer12Tables;

namespace {

// Quantisation classes, in the order their indexes below use: levels, bits, grouped.
struct ClassRow {
  uint32_t levels;
  uint32_t bits;
  bool grouped;
};
constexpr ClassRow kClassRows[kQuantClassCount] = {
    {0, 0, false},      {3, 5, true},       {5, 7, true},       {7, 3, false},
    {9, 10, true},      {15, 4, false},     {31, 5, false},     {63, 6, false},
    {127, 7, false},    {255, 8, false},    {511, 9, false},    {1023, 10, false},
    {2047, 11, false},  {4095, 12, false},  {8191, 13, false},  {16383, 14, false},
    {32767, 15, false}, {65535, 16, false},
};

// The rows of the allocation tables: the class selected by each allocation value.
constexpr uint8_t kRowA[16] = {0, 1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
constexpr uint8_t kRowB[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 17};
constexpr uint8_t kRowC[8] = {0, 1, 2, 3, 4, 5, 6, 17};
constexpr uint8_t kRowD[4] = {0, 1, 2, 17};
constexpr uint8_t kRowE[16] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
constexpr uint8_t kRowF[8] = {0, 1, 2, 4, 5, 6, 7, 8};
constexpr uint8_t kRowG[4] = {0, 1, 2, 4};
constexpr uint8_t kRowH[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

struct RowSpan {
  uint32_t firstSubband;
  uint8_t bits;
  const uint8_t* row;
};

constexpr AllocationTable MakeTable(uint32_t sblimit, const RowSpan* spans, int count) {
  AllocationTable table{};
  table.sblimit = sblimit;
  for (int i = 0; i < count; ++i) {
    const uint32_t end = i + 1 < count ? spans[i + 1].firstSubband : sblimit;
    for (uint32_t sb = spans[i].firstSubband; sb < end; ++sb) {
      table.allocationBits[sb] = spans[i].bits;
      table.classes[sb] = spans[i].row;
    }
  }
  return table;
}

// MPEG-1: tables for high bitrates per channel (27 and 30 subbands) and for low ones (8 and 12).
constexpr RowSpan kSpansHigh[] = {{0, 4, kRowA}, {3, 4, kRowB}, {11, 3, kRowC}, {23, 2, kRowD}};
constexpr RowSpan kSpansLow[] = {{0, 4, kRowE}, {2, 3, kRowF}};
// MPEG-2 lower sampling frequencies: one table of 30 subbands.
constexpr RowSpan kSpansLsf[] = {{0, 4, kRowH}, {4, 3, kRowF}, {11, 2, kRowG}};

constexpr AllocationTable kTable27 = MakeTable(27, kSpansHigh, 4);
constexpr AllocationTable kTable30 = MakeTable(30, kSpansHigh, 4);
constexpr AllocationTable kTable8 = MakeTable(8, kSpansLow, 2);
constexpr AllocationTable kTable12 = MakeTable(12, kSpansLow, 2);
constexpr AllocationTable kTableLsf = MakeTable(30, kSpansLsf, 3);

}  // namespace

void BuildLayer12Tables() {
  Layer12Tables& t = layer12Tables;
  for (int i = 0; i < kScalefactorCount; ++i) {
    t.scalefactors[i] = static_cast<float>(32768.0 * std::exp2(1.0 - i / 3.0));
  }
  for (int i = 0; i < kQuantClassCount; ++i) {
    const ClassRow& row = kClassRows[i];
    QuantClass& c = t.classes[i];
    c.levels = row.levels;
    c.bits = row.bits;
    c.grouped = row.grouped;
    c.step = row.levels ? static_cast<float>(2.0 / row.levels) : 0.0f;
    c.offset = row.levels ? static_cast<float>(-(row.levels - 1.0) / row.levels) : 0.0f;
  }
  // Layer I allocation a (1 to 14) codes samples of a + 1 bits with 2^(a+1) - 1 levels;
  // allocation 15 is forbidden and reads as no samples.
  for (int a = 0; a < 16; ++a) {
    const double levels = std::exp2(a + 1) - 1.0;
    const bool used = a >= 1 && a <= 14;
    t.layer1Step[a] = used ? static_cast<float>(2.0 / levels) : 0.0f;
    t.layer1Offset[a] = used ? static_cast<float>(-(levels - 1.0) / levels) : 0.0f;
  }
}

// The allocation table follows from the bitrate per channel and the sampling frequency.  Some
// bitrates are forbidden with some modes: 32, 48, 56 and 80 kbit/s only for a single channel,
// 224 kbit/s and above only for two.
const AllocationTable* SelectAllocationTable(const FrameHeader& h) {
  if (h.id == 0) return &kTableLsf;
  const bool single = h.mode == 3;
  const uint32_t b = h.bitrate;
  if (b == 0) return nullptr;
  if (!single && (b == 32 || b == 48 || b == 56 || b == 80)) return nullptr;
  if (single && b >= 224) return nullptr;
  const uint32_t perChannel = single ? b : b / 2;
  if (perChannel <= 48) return h.frequency == 32000 ? &kTable12 : &kTable8;
  if (perChannel <= 80 || h.frequency == 48000) return &kTable27;
  return &kTable30;
}

}  // namespace kb::mpeg
