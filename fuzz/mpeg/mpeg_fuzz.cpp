// libFuzzer target: random bytes through the whole decoding path of an MP3 file, as the player
// takes it: tag and wrapper skip, header search, stream start, then the frame loop.  The first
// byte also picks whether the decoder's subband and line limits are in force, and whether the bit
// reservoir is emptied every few frames as a seek does.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "media/mp3_tags.h"
#include "media/mpeg/mpeg_decoder.h"

namespace {

uint8_t pcm[kb::mpeg::kMaxOutputBytesPerFrame];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool initialised = (kb::mpeg::InitDecoderTables(), true);
  (void)initialised;
  const std::span<const uint8_t> file(data, size);
  kb::mpeg::decoderConfig.fullBandwidth = size > 0 && (data[0] & 1);
  const bool seeks = size > 0 && (data[0] & 2);

  const kb::Mp3FileLayout layout = kb::FindMp3Layout(file);
  const std::span<const uint8_t> audio = file.subspan(layout.dataStart, layout.audioLength);
  kb::mpeg::FrameHeader header;
  size_t offset = 0;
  kb::mpeg::StreamParams params;
  if (!kb::mpeg::FindFrameHeader(audio.first(std::min<size_t>(audio.size(), 10240)), header,
                                 offset) ||
      !kb::mpeg::GetStreamParams(header, params) || !kb::mpeg::StartStream(header)) {
    return 0;
  }
  for (size_t frame = 0; offset < audio.size(); ++frame) {
    if (seeks && frame % 5 == 4) kb::mpeg::ResetStream();
    const std::span<const uint8_t> rest = audio.subspan(offset);
    const size_t length = kb::mpeg::FrameLengthAt(rest);
    const kb::mpeg::DecodeResult result = kb::mpeg::DecodeFrame(rest, pcm);
    if (result.consumed == 0) break;
    // A decoded frame is as long as FrameLengthAt says and yields a whole frame of PCM.
    if (result.consumed != length || result.produced != params.outputBytesPerFrame) __builtin_trap();
    offset += result.consumed;
  }
  return 0;
}
