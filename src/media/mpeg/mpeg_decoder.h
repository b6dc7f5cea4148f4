// The MPEG audio decoder: MPEG-1 and MPEG-2 lower-sampling-frequency streams, Layers I, II and
// III, decoded in single-precision floating point to signed 16-bit PCM.
//
// One stream at a time: the decoder is a single global object whose tables are built once by
// InitDecoderTables and whose stream state is restarted by StartStream.  Nothing is allocated
// after InitDecoderTables.  Every operation takes the bytes it may read as a span and never reads
// outside it, so a damaged or truncated file ends the stream instead of overrunning a buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kb::mpeg {

// The 4-byte frame header, parsed field by field.  bitrate and frequency come from the format's
// tables: free format (bitrate index 0) and the forbidden index 15 give 0 kbit/s, the reserved
// frequency index 3 gives 0 Hz.
struct FrameHeader {
  uint32_t id = 0;              // 1 = MPEG-1, 0 = MPEG-2 lower sampling frequencies
  uint32_t layer = 0;           // 3 = Layer I, 2 = Layer II, 1 = Layer III, 0 = reserved
  uint32_t protection = 0;      // 0 = a 16-bit CRC follows the header
  uint32_t bitrateIndex = 0;
  uint32_t frequencyIndex = 0;
  uint32_t padding = 0;
  uint32_t privateBit = 0;
  uint32_t mode = 0;            // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
  uint32_t modeExtension = 0;
  uint32_t copyright = 0;
  uint32_t original = 0;
  uint32_t emphasis = 0;
  uint32_t bitrate = 0;         // kbit/s
  uint32_t frequency = 0;       // Hz
};

// What a stream decodes to, derived from its first header.  Lengths are in bytes; samples per
// frame are per channel.
struct StreamParams {
  uint32_t channels = 0;
  uint32_t bitsPerSample = 0;
  uint32_t samplesPerSecond = 0;
  uint32_t nominalFrameLength = 0;   // without the padding slot
  uint32_t maxFrameLength = 0;       // nominal plus one padding slot
  uint32_t outputBytesPerFrame = 0;
};

// The decoder's settings.  InitDecoderTables sets the values this system plays with: cut-off
// 24000 Hz, full rate, 16-bit samples with the channels as coded.  The decoder implements only
// those; StartStream refuses any other down-sampling shift or output option.
struct DecoderConfig {
  uint32_t cutoffFrequency = 24000;
  uint32_t downsamplingShift = 0;
  uint32_t outputOptions = 0;
  // Set only by tests: synthesise subband 31 and decode every Layer III frequency line, which
  // shows whether a difference from a reference decode comes from those two limits.
  bool fullBandwidth = false;
};

// The settings in force; read by StartStream.
extern DecoderConfig decoderConfig;

// Bytes read and PCM bytes written by DecodeFrame; consumed 0 means "no frame here".
struct DecodeResult {
  size_t consumed = 0;
  size_t produced = 0;
};

// Capacity limits a caller can rely on.
constexpr size_t kMaxFrameBytes = 1729;           // Layer II, 384 kbit/s at 32 kHz, padded
constexpr size_t kMaxOutputBytesPerFrame = 4608;  // 1152 samples, two channels, 16 bits

// Builds every derived table and sets decoderConfig to its defaults.  Called once at start-up.
void InitDecoderTables();

// Finds the first 12-bit sync (0xFF followed by a byte whose top four bits are set) that leaves a
// whole header inside bytes, parses it into header and sets offset.  Nothing else is validated.
bool FindFrameHeader(std::span<const uint8_t> bytes, FrameHeader& header, size_t& offset);

// Derives the stream's parameters; false for a reserved layer, 0 kbit/s or 0 Hz.
bool GetStreamParams(const FrameHeader& header, StreamParams& params);

// Prepares the decoder for a stream whose first frame has this header; false when the stream
// cannot be decoded (reserved layer, free format, reserved frequency, a Layer II bitrate and mode
// that the format forbids, or settings other than the defaults).
bool StartStream(const FrameHeader& header);

// Decodes the frame at the start of input into output.  The frame's length comes from its own
// header (bitrate index and padding bit), so variable-bitrate streams play through.  consumed is 0
// when input does not start with a sync, when the header changes the stream's ID, layer or
// frequency or carries bitrate index 0 or 15, when the whole frame is not inside input, or when
// output has no room for outputBytesPerFrame bytes.  Otherwise produced is always the stream's
// outputBytesPerFrame: damaged Layer III data becomes silence or zeroed lines, never an error.
DecodeResult DecodeFrame(std::span<const uint8_t> input, std::span<uint8_t> output);

// Empties the Layer III bit reservoir (after a seek); the filterbank memories carry over.
void ResetStream();

// The length DecodeFrame consumes for the frame whose header starts bytes: its own bitrate and
// padding, plus the Layer II padding repair when the two bytes after the frame are inside bytes.
// 0 when there is no sync there, when the header does not belong to the current stream (or carries
// bitrate index 0 or 15), or when fewer than 4 bytes are given.  Needs StartStream first.
size_t FrameLengthAt(std::span<const uint8_t> bytes);

}  // namespace kb::mpeg
