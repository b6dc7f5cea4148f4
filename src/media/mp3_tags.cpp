// Tag and wrapper reading for MP3 files.

#include "media/mp3_tags.h"

#include <algorithm>
#include <cstring>

namespace kb {

namespace {

constexpr size_t kId3v1Size = 128;
constexpr size_t kId3v2HeaderSize = 10;
constexpr size_t kChunkHeaderSize = 8;
constexpr size_t kRiffHeaderSize = 12;
constexpr size_t kInfoTextMax = 127;

bool StartsWith(std::span<const uint8_t> bytes, size_t at, const char* text) {
  const size_t length = std::strlen(text);
  return at <= bytes.size() && bytes.size() - at >= length &&
         std::memcmp(bytes.data() + at, text, length) == 0;
}

uint32_t ReadLe32(std::span<const uint8_t> bytes, size_t at) {
  return uint32_t{bytes[at]} | (uint32_t{bytes[at + 1]} << 8) | (uint32_t{bytes[at + 2]} << 16) |
         (uint32_t{bytes[at + 3]} << 24);
}

// Copies at most `count` bytes into a 128-byte field, stopping at a NUL, with a terminating NUL.
void CopyText(char (&field)[128], const uint8_t* text, size_t count) {
  count = std::min(count, sizeof(field) - 1);
  size_t n = 0;
  while (n < count && text[n] != 0) {
    field[n] = static_cast<char>(text[n]);
    ++n;
  }
  field[n] = '\0';
}

void TrimTrailingBlanks(char (&field)[128]) {
  size_t n = std::strlen(field);
  while (n > 0 && field[n - 1] == ' ') field[--n] = '\0';
}

// The LIST chunk's INFO subchunks from `at` (after "INFO") to `end`.
void ReadInfoList(std::span<const uint8_t> file, size_t at, size_t end, Mp3FileLayout& layout) {
  while (end > at && end - at > kChunkHeaderSize) {
    const size_t size = ReadLe32(file, at + 4);
    const size_t textStart = at + kChunkHeaderSize;
    const size_t available = std::min(size, end - textStart);
    if (StartsWith(file, at, "INAM")) {
      CopyText(layout.title, file.data() + textStart, std::min(available, kInfoTextMax));
    } else if (StartsWith(file, at, "IART")) {
      CopyText(layout.artist, file.data() + textStart, std::min(available, kInfoTextMax));
    }
    if (size > end - textStart) break;
    at = textStart + size + (size & 1);
  }
}

void WalkRiff(std::span<const uint8_t> file, Mp3FileLayout& layout) {
  const size_t fileSize = file.size();
  size_t at = kRiffHeaderSize;
  bool haveData = false;
  while (at <= fileSize && fileSize - at >= kChunkHeaderSize) {
    const size_t size = ReadLe32(file, at + 4);
    const size_t body = at + kChunkHeaderSize;
    if (!haveData) {
      layout.dataStart = at;
      if (StartsWith(file, at, "data")) {
        haveData = true;
        layout.dataStart = body;
        layout.audioLength = std::min(size, fileSize - body);
      }
    } else if (StartsWith(file, at, "LIST")) {
      if (size >= 4 && StartsWith(file, body, "INFO")) {
        ReadInfoList(file, body + 4, std::min(fileSize, body + size), layout);
      }
      return;
    }
    if (size > fileSize - body) break;
    at = body + size + (size & 1);
  }
  if (!haveData) {
    layout.dataStart = fileSize;
    layout.audioLength = 0;
  }
}

}  // namespace

Mp3FileLayout FindMp3Layout(std::span<const uint8_t> file) {
  Mp3FileLayout layout;
  layout.audioLength = file.size();

  if (file.size() >= kId3v1Size && StartsWith(file, file.size() - kId3v1Size, "TAG")) {
    const uint8_t* tag = file.data() + file.size() - kId3v1Size;
    layout.audioLength -= kId3v1Size;
    CopyText(layout.title, tag + 3, 30);
    CopyText(layout.artist, tag + 33, 30);
    TrimTrailingBlanks(layout.title);
    TrimTrailingBlanks(layout.artist);
  }

  if (file.size() >= kId3v2HeaderSize && StartsWith(file, 0, "ID3")) {
    const size_t tagSize = (size_t{file[6] & 0x7Fu} << 21) | (size_t{file[7] & 0x7Fu} << 14) |
                           (size_t{file[8] & 0x7Fu} << 7) | size_t{file[9] & 0x7Fu};
    layout.dataStart = std::min(tagSize + kId3v2HeaderSize, file.size());
    layout.audioLength = layout.audioLength > layout.dataStart
                             ? layout.audioLength - layout.dataStart
                             : 0;
    return layout;
  }

  if (file.size() >= kRiffHeaderSize && StartsWith(file, 0, "RIFF")) WalkRiff(file, layout);
  return layout;
}

}  // namespace kb
