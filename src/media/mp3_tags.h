// Where the audio of an MP3 file lies: after an ID3v2 tag, or inside the "data" chunk of a RIFF
// wrapper, and before an ID3v1 tag; with the title and artist those tags carry.  A pure function
// over the file's bytes, so the MP3 player and the tools share one reading of the wrappers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kb {

struct Mp3FileLayout {
  size_t dataStart = 0;    // offset of the first audio byte
  size_t audioLength = 0;  // audio bytes from dataStart; never past the end of the file
  char title[128] = {};    // NUL-terminated
  char artist[128] = {};
};

// Reads the tags and wrapper:
// 1. the audio is the whole file;
// 2. an ID3v1 tag ("TAG" in the last 128 bytes) shortens it by 128 bytes and gives title and
//    artist (30 bytes each, trailing blanks removed);
// 3. an ID3v2 tag ("ID3" at the start) moves the start past the tag, whose size is the 28-bit
//    value of bytes 6 to 9 (7 bits of each) plus the 10-byte header;
// 4. without an ID3v2 tag, a RIFF file is walked chunk by chunk to its "data" chunk, which holds
//    the audio, and on to a "LIST" "INFO" chunk whose "INAM" and "IART" give title and artist.
//    A RIFF file without a "data" chunk leaves dataStart at the end of the file.
// Sizes that point past the end of the file are cut at the end.
Mp3FileLayout FindMp3Layout(std::span<const uint8_t> file);

}  // namespace kb
