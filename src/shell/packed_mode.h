#pragma once
// Packed games: "start.st1" marks a finished game whose files carry packed
// extensions and some of which are scrambled with an XOR key.  Decided once
// at start-up.
#include <cstdint>
#include <string>
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

// The two scrambles, in place.  Each is its own inverse.  Bytes: every byte
// XOR the byte key.  Words: byte i XOR byte (i mod 4) of the word key,
// counted from its least significant byte, which is the key applied to
// little-endian words with a short tail handled byte by byte.
void ScrambleBytes(std::string& data);
void ScrambleWords(std::string& data);

// Copies between game paths, the target created anew.  A source that cannot
// be read, or is empty, leaves no target and the copy fails.
// ScrambleCopyBytes answers 1 on success and 0 on failure; the other two
// answer 0 whatever happens, as their callers find out from the target.
int ScrambleCopyBytes(std::string_view source, std::string_view target);
int ScrambleCopyWords(std::string_view source, std::string_view target);
int PlainCopy(std::string_view source, std::string_view target);

}  // namespace kb
