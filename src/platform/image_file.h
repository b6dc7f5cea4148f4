#pragma once
// Frames as files: PNG writing for headless shots, and the CRC-32 that the
// trace gives for every presented frame.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kb {

bool WritePng(const std::string& hostPath, const std::uint8_t* rgb, int width, int height);
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);

}  // namespace kb
