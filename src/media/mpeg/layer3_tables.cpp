// Layer III tables and the ones derived from them at start-up.

#include "media/mpeg/layer3_tables.h"

#include <cmath>
#include <numbers>

#include "media/mpeg/huffman_tables.h"
#include "media/mpeg/stream_state.h"

namespace kb::mpeg {

Layer3Tables layer3Tables;

namespace {

// By ID (0 LSF, 1 MPEG-1) and frequency index (MPEG-1: 44.1, 48, 32 kHz; LSF: 22.05, 24, 16 kHz).
constexpr ScalefactorBands kBands[2][3] = {
    {
        {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396,
          464, 522, 576},
         {0, 4, 8, 12, 18, 24, 32, 42, 56, 74, 100, 132, 174, 192}},
        {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 114, 136, 162, 194, 232, 278, 332, 394,
          464, 540, 576},
         {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 136, 180, 192}},
        {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396,
          464, 522, 576},
         {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    },
    {
        {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 52, 62, 74, 90, 110, 134, 162, 196, 238, 288, 342,
          418, 576},
         {0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192}},
        {{0, 4, 8, 12, 16, 20, 24, 30, 36, 42, 50, 60, 72, 88, 106, 128, 156, 190, 230, 276, 330,
          384, 576},
         {0, 4, 8, 12, 16, 22, 28, 38, 50, 64, 80, 100, 126, 192}},
        {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 54, 66, 82, 102, 126, 156, 194, 240, 296, 364, 448,
          550, 576},
         {0, 4, 8, 12, 16, 22, 30, 42, 58, 78, 104, 138, 180, 192}},
    },
};

}  // namespace

const uint8_t kSlen1[16] = {0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4};
const uint8_t kSlen2[16] = {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3};
const uint8_t kPretab[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};
const uint8_t kLsfPartitions[6][3][4] = {
    {{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},
    {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
    {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}},
    {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
    {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},
    {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}},
};

const ScalefactorBands& BandsFor(uint32_t id, uint32_t frequencyIndex) {
  return kBands[id & 1][frequencyIndex < 3 ? frequencyIndex : 0];
}

void BuildLayer3Tables() {
  Layer3Tables& t = layer3Tables;
  for (int i = 0; i <= kLargestQuantised; ++i) {
    t.power43[i] = static_cast<float>(std::pow(static_cast<double>(i), 4.0 / 3.0));
  }
  for (int q = kGainExponentMin; q <= kGainExponentMax; ++q) {
    t.gain[q - kGainExponentMin] = static_cast<float>(std::exp2(q / 4.0));
  }
  // MPEG-1 intensity positions 0 to 6: the ratio tan(is_pos pi / 12) split into left and right.
  for (int p = 0; p < 7; ++p) {
    const double angle = p * std::numbers::pi / 12.0;
    const double s = std::sin(angle);
    const double c = std::cos(angle);
    t.intensityMpeg1[p][0] = static_cast<float>(s / (s + c));
    t.intensityMpeg1[p][1] = static_cast<float>(c / (s + c));
  }
  // LSF: odd positions scale the left channel, even ones the right, by powers of i0.
  for (int scale = 0; scale < 2; ++scale) {
    const double i0 = scale ? std::sqrt(0.5) : std::pow(2.0, -0.25);
    for (int p = 0; p < 32; ++p) {
      double left = 1.0;
      double right = 1.0;
      if (p & 1) {
        left = std::pow(i0, (p + 1) / 2);
      } else if (p != 0) {
        right = std::pow(i0, p / 2);
      }
      t.intensityLsf[scale][p][0] = static_cast<float>(left);
      t.intensityLsf[scale][p][1] = static_cast<float>(right);
    }
  }
  BuildHuffmanDecoders();
}

}  // namespace kb::mpeg
