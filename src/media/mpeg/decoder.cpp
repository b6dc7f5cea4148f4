// The decoder's entry points: table set-up, stream start, the frame loop's common part (sync,
// frame length, dispatch to the layer routine) and the PCM output of a frame.

#include <algorithm>
#include <bit>
#include <cstring>

#include "media/mpeg/layer3_tables.h"
#include "media/mpeg/stream_state.h"
#include "media/mpeg/synthesis.h"

namespace kb::mpeg {

DecoderConfig decoderConfig;
StreamState stream;

namespace {

constexpr uint32_t kLayer1 = 3;
constexpr uint32_t kLayer2 = 2;

// Scratch for the PCM of one frame; rewritten by every frame, holds no state between frames.
struct OutputScratch {
  alignas(32) int16_t pcm[kMaxOutputBytesPerFrame / 2];
  alignas(32) int16_t mix[kMaxOutputBytesPerFrame / 2];
};
OutputScratch scratch;

// A later frame may change its bitrate, padding, mode and CRC, but not what the stream was
// started with: the ID, the layer and the sampling frequency.  A frame that does, or whose
// bitrate index is free format or forbidden, ends the stream like a missing sync.
bool BelongsToStream(const FrameHeader& h) {
  const FrameHeader& first = stream.first;
  return h.id == first.id && h.layer == first.layer && h.frequencyIndex == first.frequencyIndex &&
         h.bitrate != 0;
}

// The frame's length as DecodeFrame consumes it, 0 when it is not a frame of this stream.  Some
// Layer II encoders leave the padding bit clear on frames that are one byte longer: when the two
// bytes after the unpadded frame are visible and do not hold a sync, the frame counts as padded.
size_t FrameLengthIn(std::span<const uint8_t> input, FrameHeader& header) {
  if (!stream.started || input.size() < 4 || !HasSync(input)) return 0;
  header = ParseHeader(input.data());
  if (!BelongsToStream(header)) return 0;
  size_t length = FrameLengthOf(header);
  if (header.layer == kLayer2 && header.padding == 0 && input.size() >= length + 2 &&
      !HasSync(input.subspan(length))) {
    ++length;
  }
  return length;
}

FrameOutcome RunFrameRoutine(const FrameContext& frame) {
  switch (stream.routine) {
    case FrameRoutine::kLayer1:
      return DecodeLayer1(frame);
    case FrameRoutine::kLayer2:
      return DecodeLayer2(frame);
    case FrameRoutine::kLayer3Mpeg1:
    case FrameRoutine::kLayer3Lsf:
      return DecodeLayer3(frame);
  }
  return {};
}

// Synthesises the frame's subband samples into signed 16-bit little-endian PCM at the stream's
// channel count.  A single-channel frame in a two-channel stream plays on both channels; a
// two-channel frame in a single-channel stream is mixed down, each channel keeping its own
// synthesis memory so that later frames continue without a click.
void WriteFramePcm(const FrameOutcome& outcome, std::span<uint8_t> output) {
  const size_t bytes = stream.params.outputBytesPerFrame;
  const uint32_t outChannels = stream.params.channels;
  if (outcome.silent) {
    std::memset(output.data(), 0, bytes);
    return;
  }
  const uint32_t slots = outcome.slots;
  uint32_t coded = outcome.channels;
  if (coded == 1 && outChannels == 2) {
    std::memcpy(stream.samples[1], stream.samples[0], sizeof(stream.samples[0]));
    coded = 2;
  }
  int16_t* pcm = scratch.pcm;
  if (coded == outChannels) {
    for (uint32_t ch = 0; ch < coded; ++ch) {
      Synthesize(stream.rings[ch], stream.samples[ch], slots, stream.subbandLimit, pcm + ch,
                 outChannels);
    }
  } else {
    for (uint32_t ch = 0; ch < 2; ++ch) {
      Synthesize(stream.rings[ch], stream.samples[ch], slots, stream.subbandLimit,
                 scratch.mix + ch, 2);
    }
    const size_t count = size_t{slots} * kSubbands;
    for (size_t i = 0; i < count; ++i) {
      pcm[i] = static_cast<int16_t>((scratch.mix[2 * i] + scratch.mix[2 * i + 1]) / 2);
    }
  }
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(output.data(), pcm, bytes);
  } else {
    for (size_t i = 0; i < bytes / 2; ++i) {
      const uint16_t v = static_cast<uint16_t>(pcm[i]);
      output[2 * i] = static_cast<uint8_t>(v & 0xFF);
      output[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
  }
}

// The number of subbands below the cut-off frequency, rounded, and never the highest subband at
// full rate.
uint32_t SubbandLimitFor(uint32_t frequency) {
  const DecoderConfig& config = decoderConfig;
  if (config.fullBandwidth) return kSubbands;
  uint32_t limit = (frequency / 2 + config.cutoffFrequency * 64) / frequency;
  uint32_t e = 32u >> config.downsamplingShift;
  if (e > 8) e -= 1;
  return std::min({limit, e, uint32_t{kSubbands}});
}

}  // namespace

void InitDecoderTables() {
  decoderConfig = DecoderConfig{};
  BuildLayer12Tables();
  BuildLayer3Tables();
  BuildHybridTables();
  BuildSynthesisTables();
  stream.started = false;
}

bool StartStream(const FrameHeader& header) {
  stream.started = false;
  StreamParams params;
  if (!GetStreamParams(header, params)) return false;
  if (decoderConfig.downsamplingShift != 0 || decoderConfig.outputOptions != 0) return false;
  if (header.layer == kLayer2 && SelectAllocationTable(header) == nullptr) return false;

  stream = StreamState{};
  stream.first = header;
  stream.params = params;
  stream.subbandLimit = SubbandLimitFor(header.frequency);
  if (header.layer == kLayer1) {
    stream.routine = FrameRoutine::kLayer1;
  } else if (header.layer == kLayer2) {
    stream.routine = FrameRoutine::kLayer2;
  } else {
    stream.routine = header.id == 1 ? FrameRoutine::kLayer3Mpeg1 : FrameRoutine::kLayer3Lsf;
    // B: the lines up to the last long-block band, S: up to the last short-block band (all 576 for
    // MPEG-1).  At most R lines are read; lines above the limits stay zero.
    const ScalefactorBands& bands = BandsFor(header.id, header.frequencyIndex);
    uint32_t longEnd = kLinesPerGranule;
    uint32_t shortEnd = kLinesPerGranule;
    if (header.id == 0) {
      longEnd = bands.longStart[21];
      shortEnd = 3u * bands.shortStart[12];
    }
    uint32_t readLimit = std::min(longEnd + 8, stream.subbandLimit * kLinesPerSubband);
    if (decoderConfig.fullBandwidth) {
      longEnd = shortEnd = readLimit = kLinesPerGranule;
    }
    stream.lineReadLimit = readLimit;
    stream.lineLimitLong = std::min(longEnd, readLimit);
    stream.lineLimitShort = std::min(shortEnd, readLimit);
  }
  stream.started = true;
  return true;
}

DecodeResult DecodeFrame(std::span<const uint8_t> input, std::span<uint8_t> output) {
  FrameHeader header;
  const size_t length = FrameLengthIn(input, header);
  if (length == 0 || length > input.size()) return {};
  if (output.size() < stream.params.outputBytesPerFrame) return {};

  const size_t headerBytes = header.protection == 0 ? 6 : 4;  // the CRC is skipped, not checked
  FrameOutcome outcome;
  if (length > headerBytes) {
    FrameContext frame;
    frame.header = header;
    frame.codedChannels = header.mode == 3 ? 1 : 2;
    frame.outputChannels = stream.params.channels;
    frame.payload = input.subspan(headerBytes, length - headerBytes);
    outcome = RunFrameRoutine(frame);
  }
  WriteFramePcm(outcome, output);
  return {length, stream.params.outputBytesPerFrame};
}

void ResetStream() {
  stream.layer3.fill = 0;
}

size_t FrameLengthAt(std::span<const uint8_t> bytes) {
  FrameHeader header;
  return FrameLengthIn(bytes, header);
}

}  // namespace kb::mpeg
