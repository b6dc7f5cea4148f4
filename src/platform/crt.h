#pragma once
// What the game took from the C run-time library: text-mode file reading
// and the linear congruential random generator.
#include <cstdint>
#include <string>
#include <string_view>

namespace kb {

// The bytes a text-mode read of the stored file yields: a carriage return
// directly before a line feed is dropped, and a byte 0x1A ends the file.
std::string TextModeBytes(std::string_view stored);

// The bytes a text-mode write of the text stores: each line feed is written
// as carriage return and line feed.
std::string TextModeWrite(std::string_view text);

// state = state * 214013 + 2531011 (mod 2^32); result = (state >> 16) & 0x7FFF.
void CrtSeed(std::uint32_t seed);
int CrtRandom();

}  // namespace kb
