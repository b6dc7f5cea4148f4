// Layer III: side information, the bit reservoir, scalefactors, Huffman decoding of the
// frequency lines, requantisation and stereo processing; the hybrid filterbank then turns each
// granule into 18 slots of subband samples.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/mpeg/bit_reader.h"
#include "media/mpeg/huffman_tables.h"
#include "media/mpeg/hybrid_filterbank.h"
#include "media/mpeg/layer3_tables.h"
#include "media/mpeg/stream_state.h"

namespace kb::mpeg {

namespace {

constexpr float kInverseSqrt2 = 0.70710678118654752f;

bool IsShort(const GranuleInfo& g) { return g.windowSwitching && g.blockType == 2; }

uint32_t SideInfoBytes(bool mpeg1, uint32_t channels) {
  if (mpeg1) return channels == 1 ? 17 : 32;
  return channels == 1 ? 9 : 17;
}

void ReadSideInfo(BitReader& bits, bool mpeg1, uint32_t channels, SideInfo& side) {
  side.mainDataBegin = bits.Read(mpeg1 ? 9 : 8);
  bits.Skip(mpeg1 ? (channels == 1 ? 5 : 3) : (channels == 1 ? 1 : 2));  // private bits
  if (mpeg1) {
    for (uint32_t ch = 0; ch < channels; ++ch) {
      for (int band = 0; band < 4; ++band) side.scfsi[ch][band] = bits.Read(1);
    }
  }
  const uint32_t granules = mpeg1 ? 2 : 1;
  for (uint32_t gr = 0; gr < granules; ++gr) {
    for (uint32_t ch = 0; ch < channels; ++ch) {
      GranuleInfo& g = side.granules[gr][ch];
      g.part23Length = bits.Read(12);
      g.bigValues = bits.Read(9);
      g.globalGain = bits.Read(8);
      g.scalefacCompress = bits.Read(mpeg1 ? 4 : 9);
      g.windowSwitching = bits.Read(1);
      if (g.windowSwitching) {
        g.blockType = bits.Read(2);
        g.mixedBlock = bits.Read(1);
        g.tableSelect[0] = bits.Read(5);
        g.tableSelect[1] = bits.Read(5);
        g.tableSelect[2] = 0;
        for (int w = 0; w < 3; ++w) g.subblockGain[w] = bits.Read(3);
        // Block type 0 with window switching is forbidden; it reads as a normal long block.
        g.region0Count = (g.blockType == 2 && !g.mixedBlock) ? 8 : 7;
        g.region1Count = 20 - g.region0Count;
      } else {
        g.blockType = 0;
        g.mixedBlock = 0;
        for (int r = 0; r < 3; ++r) g.tableSelect[r] = bits.Read(5);
        for (int w = 0; w < 3; ++w) g.subblockGain[w] = 0;
        g.region0Count = bits.Read(4);
        g.region1Count = bits.Read(3);
      }
      g.preflag = mpeg1 ? bits.Read(1) : 0;
      g.scalefacScale = bits.Read(1);
      g.count1Table = bits.Read(1);
    }
  }
}

void ReadScalefactorsMpeg1(BitReader& bits, const GranuleInfo& g, const uint32_t* scfsi,
                           uint32_t granule, Scalefactors& sf) {
  const uint32_t slen1 = kSlen1[g.scalefacCompress & 15];
  const uint32_t slen2 = kSlen2[g.scalefacCompress & 15];
  std::memset(sf.longIllegal, 7, sizeof(sf.longIllegal));
  std::memset(sf.shortIllegal, 7, sizeof(sf.shortIllegal));
  if (IsShort(g)) {
    uint32_t firstShort = 0;
    if (g.mixedBlock) {
      for (int band = 0; band < 8; ++band) sf.longBands[band] = static_cast<uint8_t>(bits.Read(slen1));
      firstShort = 3;
    }
    for (uint32_t band = firstShort; band < 12; ++band) {
      const uint32_t length = band < 6 ? slen1 : slen2;
      for (int w = 0; w < 3; ++w) sf.shortBands[band][w] = static_cast<uint8_t>(bits.Read(length));
    }
    for (int w = 0; w < 3; ++w) sf.shortBands[12][w] = 0;
    return;
  }
  // Four groups of long bands; in the second granule a group may reuse the first's values.
  constexpr int kGroupStart[5] = {0, 6, 11, 16, 21};
  for (int group = 0; group < 4; ++group) {
    if (granule == 1 && scfsi[group]) continue;
    const uint32_t length = group < 2 ? slen1 : slen2;
    for (int band = kGroupStart[group]; band < kGroupStart[group + 1]; ++band) {
      sf.longBands[band] = static_cast<uint8_t>(bits.Read(length));
    }
  }
  sf.longBands[21] = 0;
}

// LSF scalefactors come in four partitions whose sizes and bit lengths follow from
// scalefac_compress; the right channel of an intensity-stereo frame codes intensity positions
// and an intensity scale instead.
void ReadScalefactorsLsf(BitReader& bits, GranuleInfo& g, bool intensityRight,
                         uint32_t& intensityScale, Scalefactors& sf) {
  uint32_t slen[4] = {};
  uint32_t table = 0;
  uint32_t c = g.scalefacCompress;
  if (!intensityRight) {
    if (c < 400) {
      slen[0] = (c >> 4) / 5;
      slen[1] = (c >> 4) % 5;
      slen[2] = (c & 15) >> 2;
      slen[3] = c & 3;
    } else if (c < 500) {
      c -= 400;
      slen[0] = (c >> 2) / 5;
      slen[1] = (c >> 2) % 5;
      slen[2] = c & 3;
      table = 1;
    } else {
      c -= 500;
      slen[0] = c / 3;
      slen[1] = c % 3;
      table = 2;
      g.preflag = 1;
    }
  } else {
    intensityScale = c & 1;
    c >>= 1;
    if (c < 180) {
      slen[0] = c / 36;
      slen[1] = (c % 36) / 6;
      slen[2] = (c % 36) % 6;
      table = 3;
    } else if (c < 244) {
      c -= 180;
      slen[0] = (c & 63) >> 4;
      slen[1] = (c & 15) >> 2;
      slen[2] = c & 3;
      table = 4;
    } else {
      c -= 244;
      slen[0] = c / 3;
      slen[1] = c % 3;
      table = 5;
    }
  }
  const uint32_t kind = IsShort(g) ? (g.mixedBlock ? 2 : 1) : 0;
  uint8_t values[39] = {};
  uint8_t illegal[39] = {};
  uint32_t n = 0;
  for (int part = 0; part < 4; ++part) {
    const uint32_t length = std::min(slen[part], 8u);
    for (uint32_t i = 0; i < kLsfPartitions[table][kind][part] && n < 39; ++i, ++n) {
      values[n] = static_cast<uint8_t>(bits.Read(length));
      illegal[n] = static_cast<uint8_t>((1u << length) - 1);
    }
  }
  // Bands past the coded ones have scalefactor 0 and no intensity position.
  std::memset(sf.longIllegal, 0xFF, sizeof(sf.longIllegal));
  std::memset(sf.shortIllegal, 0xFF, sizeof(sf.shortIllegal));
  std::memset(sf.longBands, 0, sizeof(sf.longBands));
  std::memset(sf.shortBands, 0, sizeof(sf.shortBands));
  if (kind == 0) {
    for (int band = 0; band < 21; ++band) {
      sf.longBands[band] = values[band];
      sf.longIllegal[band] = illegal[band];
    }
  } else {
    uint32_t k = 0;
    uint32_t firstShort = 0;
    if (kind == 2) {
      for (int band = 0; band < 6; ++band, ++k) {
        sf.longBands[band] = values[k];
        sf.longIllegal[band] = illegal[k];
      }
      firstShort = 3;
    }
    for (uint32_t band = firstShort; band < 12; ++band) {
      for (int w = 0; w < 3; ++w, ++k) sf.shortBands[band][w] = values[k];
      sf.shortIllegal[band] = illegal[k - 1];
    }
  }
}

// Huffman decoding of one granule's big values and count1 quadruples into `values`, reading no
// further than readLimit lines.  Returns the number of lines decoded (those above are zero), or
// -1 when the big values ran past the granule's bits, which marks the granule as damaged.
int DecodeLines(BitReader& bits, const GranuleInfo& g, size_t endBit,
                const ScalefactorBands& bands, uint32_t readLimit, int32_t* values) {
  const uint32_t bigEnd = std::min(g.bigValues * 2, uint32_t{kLinesPerGranule});
  uint32_t region1 = 0;
  uint32_t region2 = 0;
  if (g.windowSwitching) {
    region1 = g.blockType == 2 ? 36 : bands.longStart[8];
    region2 = kLinesPerGranule;
  } else {
    region1 = bands.longStart[std::min(g.region0Count + 1, 22u)];
    region2 = bands.longStart[std::min(g.region0Count + g.region1Count + 2, 22u)];
  }
  const uint32_t regionEnd[3] = {std::min(region1, bigEnd), std::min(region2, bigEnd), bigEnd};
  const uint32_t stop = std::min(bigEnd, readLimit);

  uint32_t line = 0;
  for (int region = 0; region < 3; ++region) {
    const HuffmanDecoder& decoder = huffmanTables.bigValues[g.tableSelect[region] & 31];
    const uint32_t end = std::min(regionEnd[region], stop);
    if (decoder.rootBits == 0) {  // table 0 (and the unused 4 and 14): all zero
      for (; line < end; ++line) values[line] = 0;
      continue;
    }
    const uint32_t linbits = decoder.linbits;
    for (; line < end; line += 2) {
      const uint32_t symbol = DecodeHuffmanSymbol(decoder, bits);
      // The linbits and signs of both values take at most 28 bits: one look at the stream.
      uint32_t word = bits.Peek32();
      uint32_t used = 0;
      int32_t pair[2] = {static_cast<int32_t>(symbol >> 4), static_cast<int32_t>(symbol & 15)};
      for (int i = 0; i < 2; ++i) {
        if (pair[i] == 15 && linbits) {
          pair[i] += static_cast<int32_t>(word >> (32 - linbits));
          word <<= linbits;
          used += linbits;
        }
        if (pair[i] != 0) {
          if (word >> 31) pair[i] = -pair[i];
          word <<= 1;
          ++used;
        }
      }
      bits.Skip(used);
      values[line] = pair[0];
      if (line + 1 < kLinesPerGranule) values[line + 1] = pair[1];
    }
    line = std::max(line, end);
  }
  if (bits.Position() > endBit) return -1;
  if (stop < bigEnd) return static_cast<int>(stop);

  const HuffmanDecoder& quads = huffmanTables.count1[g.count1Table & 1];
  while (bits.Position() < endBit && line < readLimit && line + 4 <= kLinesPerGranule) {
    const uint32_t symbol = DecodeHuffmanSymbol(quads, bits);
    uint32_t word = bits.Peek32();
    uint32_t used = 0;
    int32_t quad[4] = {static_cast<int32_t>((symbol >> 3) & 1), static_cast<int32_t>((symbol >> 2) & 1),
                       static_cast<int32_t>((symbol >> 1) & 1), static_cast<int32_t>(symbol & 1)};
    for (int i = 0; i < 4; ++i) {
      if (quad[i]) {
        if (word >> 31) quad[i] = -1;
        word <<= 1;
        ++used;
      }
    }
    bits.Skip(used);
    if (bits.Position() > endBit) break;  // a quadruple that runs past the granule is dropped
    for (int i = 0; i < 4; ++i) values[line + i] = quad[i];
    line += 4;
  }
  return static_cast<int>(line);
}

// Requantises lines [0, count) into xr: sign(x) |x|^(4/3) 2^(q/4), with the exponent q made of
// the global gain, the subblock gain and the scaled scalefactors (plus pretab).  The factor
// 32768 is in q (+60), so the filterbanks work in the 16-bit range.
void Requantise(const GranuleInfo& g, const Scalefactors& sf, const ScalefactorBands& bands,
                bool mpeg1, const int32_t* values, uint32_t count, float* xr) {
  const int gainBase = static_cast<int>(g.globalGain) - 210 + 60;
  const int sfShift = g.scalefacScale ? 2 : 1;  // 2^(-(1 + scalefac_scale)/2 * sf) as quarter steps
  auto apply = [&](uint32_t start, uint32_t end, int exponent) {
    end = std::min(end, count);
    const float factor = GainFactor(exponent);
    for (uint32_t i = start; i < end; ++i) {
      const int32_t v = values[i];
      const uint32_t magnitude = static_cast<uint32_t>(v < 0 ? -v : v);
      const float r = layer3Tables.power43[std::min(magnitude, uint32_t{kLargestQuantised})] * factor;
      xr[i] = v < 0 ? -r : r;
    }
  };
  const bool shortBlocks = IsShort(g);
  uint32_t longBands = 22;
  uint32_t firstShort = 13;
  if (shortBlocks) {
    longBands = g.mixedBlock ? (mpeg1 ? 8 : 6) : 0;
    firstShort = g.mixedBlock ? 3 : 0;
  }
  for (uint32_t band = 0; band < longBands; ++band) {
    const uint32_t start = bands.longStart[band];
    if (start >= count) return;
    const int scale = sf.longBands[band] + (g.preflag ? kPretab[band] : 0);
    apply(start, bands.longStart[band + 1], gainBase - 2 * sfShift * scale);
  }
  for (uint32_t band = firstShort; band < 13; ++band) {
    const uint32_t start = bands.shortStart[band];
    const uint32_t width = bands.shortStart[band + 1] - start;
    if (3 * start >= count) return;
    for (uint32_t w = 0; w < 3; ++w) {
      const int exponent = gainBase - 8 * static_cast<int>(g.subblockGain[w]) -
                           2 * sfShift * sf.shortBands[band][w];
      const uint32_t first = 3 * start + w * width;
      apply(first, first + width, exponent);
    }
  }
}

void MidSide(float* left, float* right, uint32_t start, uint32_t end) {
  for (uint32_t i = start; i < end; ++i) {
    const float m = left[i];
    const float s = right[i];
    left[i] = (m + s) * kInverseSqrt2;
    right[i] = (m - s) * kInverseSqrt2;
  }
}

struct StereoContext {
  float* left;
  float* right;
  bool midSide;
  bool mpeg1;
  uint32_t intensityScale;
  const Scalefactors* rightScalefactors;
};

// One band of the intensity region: positions that are not legal fall back to mid/side (when on)
// or leave the band as coded.
void IntensityBand(const StereoContext& s, uint32_t start, uint32_t end, uint32_t position,
                   uint32_t illegal) {
  float kl = 0.0f;
  float kr = 0.0f;
  if (s.mpeg1) {
    if (position >= 7) {
      if (s.midSide) MidSide(s.left, s.right, start, end);
      return;
    }
    kl = layer3Tables.intensityMpeg1[position][0];
    kr = layer3Tables.intensityMpeg1[position][1];
  } else {
    if (position == illegal || position >= 32) {
      if (s.midSide) MidSide(s.left, s.right, start, end);
      return;
    }
    kl = layer3Tables.intensityLsf[s.intensityScale][position][0];
    kr = layer3Tables.intensityLsf[s.intensityScale][position][1];
  }
  for (uint32_t i = start; i < end; ++i) {
    const float m = s.left[i];
    s.left[i] = m * kl;
    s.right[i] = m * kr;
  }
}

bool AnyNonZero(const int32_t* values, uint32_t start, uint32_t end) {
  for (uint32_t i = start; i < end; ++i) {
    if (values[i] != 0) return true;
  }
  return false;
}

// Intensity stereo over the bands above the right channel's last non-zero line (per window for
// short blocks); mid/side below it when that is on too.  The last band, which has no
// scalefactor, takes the position of the band below it.
void IntensityStereo(const StereoContext& s, const GranuleInfo& g, const ScalefactorBands& bands,
                     const int32_t* rightValues, uint32_t rightCount) {
  const Scalefactors& sf = *s.rightScalefactors;
  const uint32_t longBandsInMixed = s.mpeg1 ? 8 : 6;
  auto longRegion = [&](uint32_t bandLimit) {
    // The first long band with nothing coded in the right channel from there to bandLimit.
    uint32_t first = bandLimit;
    while (first > 0 && !AnyNonZero(rightValues, bands.longStart[first - 1],
                                    std::min<uint32_t>(bands.longStart[bandLimit], rightCount))) {
      --first;
    }
    if (s.midSide) MidSide(s.left, s.right, 0, bands.longStart[first]);
    for (uint32_t band = first; band < bandLimit; ++band) {
      const uint32_t source = std::min(band, 20u);
      IntensityBand(s, bands.longStart[band], bands.longStart[band + 1], sf.longBands[source],
                    sf.longIllegal[source]);
    }
  };
  auto shortRegion = [&](uint32_t firstBand, bool allIntensity) {
    for (uint32_t w = 0; w < 3; ++w) {
      uint32_t first = firstBand;
      if (!allIntensity) {
        first = 13;
        while (first > firstBand) {
          const uint32_t start = bands.shortStart[first - 1];
          const uint32_t width = bands.shortStart[first] - start;
          const uint32_t lineStart = 3 * start + w * width;
          if (AnyNonZero(rightValues, lineStart, std::min(lineStart + width, rightCount))) break;
          --first;
        }
      }
      for (uint32_t band = firstBand; band < 13; ++band) {
        const uint32_t start = bands.shortStart[band];
        const uint32_t width = bands.shortStart[band + 1] - start;
        const uint32_t lineStart = 3 * start + w * width;
        if (band < first) {
          if (s.midSide) MidSide(s.left, s.right, lineStart, lineStart + width);
        } else {
          const uint32_t source = std::min(band, 11u);
          IntensityBand(s, lineStart, lineStart + width, sf.shortBands[source][w],
                        sf.shortIllegal[source]);
        }
      }
    }
  };

  if (!IsShort(g)) {
    longRegion(22);
  } else if (!g.mixedBlock) {
    shortRegion(0, false);
  } else if (AnyNonZero(rightValues, 36, rightCount)) {
    // Something is coded in the short part: the long part is below the intensity region.
    if (s.midSide) MidSide(s.left, s.right, 0, 36);
    shortRegion(3, false);
  } else {
    longRegion(longBandsInMixed);
    shortRegion(3, true);
  }
}

// After the short-block reordering, lines [0, count) of the coded order lie below the end of
// the subband that holds the top of the last band they reach.
uint32_t ReorderedLineCount(const ScalefactorBands& bands, uint32_t count) {
  for (uint32_t band = 0; band < 13; ++band) {
    const uint32_t end = bands.shortStart[band + 1];
    if (3 * end >= count) {
      return std::min((end + 5) / 6 * kLinesPerSubband, uint32_t{kLinesPerGranule});
    }
  }
  return kLinesPerGranule;
}

// Zeroes what the line limits exclude and returns the new count of possibly non-zero lines.
uint32_t ApplyLineLimit(const GranuleInfo& g, uint32_t count, int32_t* values) {
  const uint32_t limit = IsShort(g) ? stream.lineLimitShort : stream.lineLimitLong;
  if (count > limit) {
    for (uint32_t i = limit; i < count; ++i) values[i] = 0;
    count = limit;
  }
  return count;
}

}  // namespace

FrameOutcome DecodeLayer3(const FrameContext& frame) {
  Layer3State& l3 = stream.layer3;
  const bool mpeg1 = frame.header.id == 1;
  const uint32_t channels = frame.codedChannels;
  const uint32_t granules = mpeg1 ? 2 : 1;
  const uint32_t sideBytes = SideInfoBytes(mpeg1, channels);
  if (frame.payload.size() < sideBytes) return {};

  BitReader sideBits(frame.payload.data(), sideBytes);
  SideInfo& side = l3.side;
  ReadSideInfo(sideBits, mpeg1, channels, side);
  const std::span<const uint8_t> mainData = frame.payload.subspan(sideBytes);

  // The bit reservoir: this frame's main data begins mainDataBegin bytes before the end of what
  // earlier frames left.  Past 6692 bytes only the part that can still be referred to is kept.
  const size_t begin = side.mainDataBegin;
  if (l3.fill > kReservoirKeep) {
    const size_t keep = std::min(begin, l3.fill);
    std::memmove(l3.reservoir, l3.reservoir + l3.fill - keep, keep);
    l3.fill = keep;
  }
  const bool underflow = begin > l3.fill;
  const size_t start = underflow ? 0 : l3.fill - begin;
  const size_t append = std::min(mainData.size(), kReservoirCapacity - l3.fill);
  std::memcpy(l3.reservoir + l3.fill, mainData.data(), append);
  l3.fill += append;
  if (underflow) return {};  // main data from before the stream's start: the frame is silence

  BitReader bits(l3.reservoir + start, l3.fill - start);
  const ScalefactorBands& bands = BandsFor(frame.header.id, frame.header.frequencyIndex);
  const bool jointStereo = channels == 2 && frame.header.mode == 1;
  const bool midSide = jointStereo && (frame.header.modeExtension & 2);
  const bool intensity = jointStereo && (frame.header.modeExtension & 1);
  const uint32_t outChannels = std::max(channels, frame.outputChannels);

  for (uint32_t gr = 0; gr < granules; ++gr) {
    uint32_t count[kMaxChannels] = {};
    uint32_t intensityScale = 0;
    for (uint32_t ch = 0; ch < channels; ++ch) {
      GranuleInfo& g = side.granules[gr][ch];
      const size_t part2Start = bits.Position();
      const size_t endBit = part2Start + g.part23Length;
      Scalefactors& sf = l3.scalefactors[ch];
      if (mpeg1) {
        ReadScalefactorsMpeg1(bits, g, side.scfsi[ch], gr, sf);
      } else {
        ReadScalefactorsLsf(bits, g, intensity && ch == 1, intensityScale, sf);
      }
      int32_t* values = l3.values[ch];
      int decoded = -1;
      if (bits.Position() <= endBit) {
        decoded = DecodeLines(bits, g, endBit, bands, stream.lineReadLimit, values);
      }
      // Lines past the granule's bits mean damaged data: the granule of this channel is silent.
      count[ch] = decoded < 0 ? 0 : ApplyLineLimit(g, static_cast<uint32_t>(decoded), values);
      float* xr = l3.lines[ch];
      std::memset(xr, 0, sizeof(l3.lines[ch]));
      Requantise(g, sf, bands, mpeg1, values, count[ch], xr);
      bits.SetPosition(endBit);
    }

    if (midSide || intensity) {
      const uint32_t both = std::max(count[0], count[1]);
      StereoContext s{l3.lines[0], l3.lines[1], midSide, mpeg1, intensityScale,
                      &l3.scalefactors[1]};
      if (intensity) {
        IntensityStereo(s, side.granules[gr][1], bands, l3.values[1], count[1]);
        count[0] = count[1] = kLinesPerGranule;
      } else {
        MidSide(l3.lines[0], l3.lines[1], 0, both);
        count[0] = count[1] = both;
      }
    }

    if (channels == 1 && outChannels == 2) {
      // A single-channel frame in a two-channel stream: both channels play it.
      std::memcpy(l3.lines[1], l3.lines[0], sizeof(l3.lines[0]));
      count[1] = count[0];
    }
    for (uint32_t ch = 0; ch < outChannels; ++ch) {
      const GranuleInfo& g = side.granules[gr][ch < channels ? ch : 0];
      if (IsShort(g)) {
        ReorderShortBlocks(l3.lines[ch], bands.shortStart, g.mixedBlock ? 3 : 0);
        count[ch] = ReorderedLineCount(bands, count[ch]);
      }
      HybridFilterbank(l3.lines[ch], g, count[ch], l3.overlap[ch], stream.samples[ch] + gr * 18,
                       stream.subbandLimit);
    }
  }
  return {granules * 18, outChannels, false};
}

}  // namespace kb::mpeg
