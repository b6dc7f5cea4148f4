// The decoder's global stream state and the interfaces between its parts: header parsing, the
// frame routines of the three layers, the Layer III filterbank and the polyphase synthesis.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "media/mpeg/mpeg_decoder.h"

namespace kb::mpeg {

constexpr int kMaxChannels = 2;
constexpr int kSubbands = 32;
constexpr int kMaxSlots = 36;            // slots of 32 subband samples in one frame
constexpr int kLinesPerGranule = 576;
constexpr int kLinesPerSubband = 18;
constexpr size_t kReservoirKeep = 6692;  // main data kept for later frames
constexpr size_t kReservoirCapacity = kReservoirKeep + kMaxFrameBytes;

enum class FrameRoutine { kLayer1, kLayer2, kLayer3Mpeg1, kLayer3Lsf };

// The synthesis memory of one channel: the last 16 slots after the matrixing, each kept in the
// two arrangements the window reads (even-aged slots use the first 32 values, odd-aged the
// second 32), newest at `offset`.
struct SynthesisRing {
  alignas(32) float slots[16][64];
  uint32_t offset;
};

// Side information of one granule of one channel.
struct GranuleInfo {
  uint32_t part23Length;
  uint32_t bigValues;
  uint32_t globalGain;
  uint32_t scalefacCompress;
  uint32_t windowSwitching;
  uint32_t blockType;
  uint32_t mixedBlock;
  uint32_t tableSelect[3];
  uint32_t subblockGain[3];
  uint32_t region0Count;
  uint32_t region1Count;
  uint32_t preflag;
  uint32_t scalefacScale;
  uint32_t count1Table;
};

struct SideInfo {
  uint32_t mainDataBegin;
  uint32_t scfsi[kMaxChannels][4];
  GranuleInfo granules[2][kMaxChannels];
};

// Scalefactors of one channel in one granule.  For the right channel of an intensity-stereo LSF
// frame, `illegal` holds the value that marks a band's intensity position as not used.
struct Scalefactors {
  uint8_t longBands[22];
  uint8_t shortBands[13][3];
  uint8_t longIllegal[22];
  uint8_t shortIllegal[13];
};

struct Layer3State {
  uint8_t reservoir[kReservoirCapacity];
  size_t fill;                                            // bytes held in reservoir
  alignas(32) float lines[kMaxChannels][kLinesPerGranule];
  int32_t values[kMaxChannels][kLinesPerGranule];         // Huffman-decoded quantised lines
  alignas(32) float overlap[kMaxChannels][kSubbands][kLinesPerSubband];
  SideInfo side;
  Scalefactors scalefactors[kMaxChannels];
};

// Everything that belongs to the stream being played.  StartStream restarts all of it;
// ResetStream empties only the reservoir.
struct StreamState {
  bool started;
  FrameHeader first;
  StreamParams params;
  FrameRoutine routine;
  uint32_t subbandLimit;        // subbands at or above it are never synthesised
  uint32_t lineReadLimit;       // Layer III lines read from the Huffman data of a granule
  uint32_t lineLimitLong;       // Layer III lines at or above it are zero in long blocks
  uint32_t lineLimitShort;      // ... and in short blocks
  SynthesisRing rings[kMaxChannels];
  alignas(32) float samples[kMaxChannels][kMaxSlots][kSubbands];
  Layer3State layer3;
};

extern StreamState stream;

// One frame as the layer routines see it.
struct FrameContext {
  FrameHeader header;                 // this frame's own header
  uint32_t codedChannels;             // channels in this frame (1 for single channel mode)
  uint32_t outputChannels;            // channels of the stream's output
  std::span<const uint8_t> payload;   // the frame after header and CRC, up to its end
};

// What a layer routine left in stream.samples: `slots` slots for `channels` channels, or
// silence for the whole frame.
struct FrameOutcome {
  uint32_t slots = 0;
  uint32_t channels = 0;
  bool silent = true;
};

// Header parsing (frame_header.cpp).
FrameHeader ParseHeader(const uint8_t* bytes);
bool HasSync(std::span<const uint8_t> bytes);
// Frame length from the header's own bitrate and padding bit; 0 for a 0 kbit/s or 0 Hz header.
uint32_t FrameLengthOf(const FrameHeader& header);

// Layer II allocation table for a header; nullptr when the bitrate and mode are forbidden.
struct AllocationTable;
const AllocationTable* SelectAllocationTable(const FrameHeader& header);

// Frame routines (layer1.cpp, layer2.cpp, layer3.cpp).
FrameOutcome DecodeLayer1(const FrameContext& frame);
FrameOutcome DecodeLayer2(const FrameContext& frame);
FrameOutcome DecodeLayer3(const FrameContext& frame);

// Derived tables, built once by InitDecoderTables.
void BuildLayer12Tables();
void BuildLayer3Tables();
void BuildHybridTables();
void BuildSynthesisTables();

}  // namespace kb::mpeg
