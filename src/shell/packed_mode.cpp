#include "shell/packed_mode.h"

#include "platform/files.h"

namespace kb {

PackedMode packedMode;

void EnterPackedMode() {
  packedMode.packed = 1;
  packedMode.scenarioExt = ".st1";
  packedMode.pictureExt = ".sb1";
  packedMode.waveExt = ".sw1";
  packedMode.midiExt = ".sm1";
  packedMode.mp3Ext = ".sp3";
  packedMode.jpegExt = ".sj1";
  packedMode.movieExt = ".sa1";
}

void ScrambleBytes(std::string& data) {
  for (char& c : data) c = static_cast<char>(static_cast<std::uint8_t>(c) ^ kByteKey);
}

void ScrambleWords(std::string& data) {
  for (std::size_t i = 0; i < data.size(); ++i) {
    const auto keyByte = static_cast<std::uint8_t>(kWordKey >> (8 * (i % 4)));
    data[i] = static_cast<char>(static_cast<std::uint8_t>(data[i]) ^ keyByte);
  }
}

namespace {

enum class Transform { Bytes, Words, None };

bool CopyTransformed(std::string_view source, std::string_view target, Transform transform) {
  auto data = ReadGameFile(source);
  if (!data || data->empty()) return false;
  if (transform == Transform::Bytes) ScrambleBytes(*data);
  if (transform == Transform::Words) ScrambleWords(*data);
  return WriteGameFile(target, *data);
}

}  // namespace

int ScrambleCopyBytes(std::string_view source, std::string_view target) {
  return CopyTransformed(source, target, Transform::Bytes) ? 1 : 0;
}

int ScrambleCopyWords(std::string_view source, std::string_view target) {
  CopyTransformed(source, target, Transform::Words);
  return 0;
}

int PlainCopy(std::string_view source, std::string_view target) {
  CopyTransformed(source, target, Transform::None);
  return 0;
}

}  // namespace kb
