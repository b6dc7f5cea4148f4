#pragma once
// Packed games: "start.st1" marks a finished game whose files carry packed
// extensions and some of which are scrambled with an XOR key.  Decided once
// at start-up.
#include <cstdint>
#include <string_view>

#include "base/fixed_text.h"

namespace kb {

inline constexpr std::uint8_t kByteKey = 0x9D;
inline constexpr std::uint32_t kWordKey = 0x2B4D6A1F;

struct PackedMode {
  int packed = 0;
  FixedText<256> scenarioExt, pictureExt, waveExt, midiExt, mp3Ext, jpegExt, movieExt;
};

extern PackedMode packedMode;

// Sets the packed flag and the seven extensions.
void EnterPackedMode();

}  // namespace kb
