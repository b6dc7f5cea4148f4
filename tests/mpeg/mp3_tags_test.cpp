// Where the audio of an MP3 file lies, behind ID3 tags or inside a RIFF wrapper, with the title
// and artist; and that sizes pointing past the end of the file stay inside it.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "media/mp3_tags.h"

namespace kb {
namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& b, const std::string& text) { b.insert(b.end(), text.begin(), text.end()); }

void AppendLe32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

Bytes Audio(size_t n) { return Bytes(n, 0xAA); }

Bytes Id3v1(const std::string& title, const std::string& artist) {
  Bytes tag(128, 0);
  std::memcpy(tag.data(), "TAG", 3);
  std::memcpy(tag.data() + 3, title.data(), std::min<size_t>(title.size(), 30));
  std::memcpy(tag.data() + 33, artist.data(), std::min<size_t>(artist.size(), 30));
  return tag;
}

Bytes Id3v2Header(uint32_t size) {
  return {'I', 'D', '3', 4, 0, 0, static_cast<uint8_t>((size >> 21) & 0x7F),
          static_cast<uint8_t>((size >> 14) & 0x7F), static_cast<uint8_t>((size >> 7) & 0x7F),
          static_cast<uint8_t>(size & 0x7F)};
}

void Chunk(Bytes& b, const std::string& id, const Bytes& body, uint32_t declared) {
  Append(b, id);
  AppendLe32(b, declared);
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() & 1) b.push_back(0);
}

void Chunk(Bytes& b, const std::string& id, const Bytes& body) {
  Chunk(b, id, body, static_cast<uint32_t>(body.size()));
}

Bytes InfoList(const std::string& title, const std::string& artist) {
  Bytes list;
  Append(list, "INFO");
  Bytes name(title.begin(), title.end());
  name.push_back(0);
  Chunk(list, "INAM", name);
  Bytes who(artist.begin(), artist.end());
  who.push_back(0);
  Chunk(list, "IART", who);
  return list;
}

Bytes RiffStart() {
  Bytes b;
  Append(b, "RIFF");
  AppendLe32(b, 0);
  Append(b, "WAVE");
  Chunk(b, "fmt ", Bytes(30, 1));
  return b;
}

struct Expected {
  size_t dataStart;
  size_t audioLength;
  const char* title;
  const char* artist;
};

void Check(const Bytes& file, const Expected& e) {
  const Mp3FileLayout layout = FindMp3Layout(file);
  EXPECT_EQ(layout.dataStart, e.dataStart);
  EXPECT_EQ(layout.audioLength, e.audioLength);
  EXPECT_STREQ(layout.title, e.title);
  EXPECT_STREQ(layout.artist, e.artist);
  EXPECT_LE(layout.dataStart + layout.audioLength, file.size());
}

TEST(Mp3TagsTest, PlainFileIsAllAudio) {
  Check(Audio(500), {0, 500, "", ""});
  Check(Bytes{}, {0, 0, "", ""});
}

TEST(Mp3TagsTest, Id3v1ShortensTheAudioAndNamesIt) {
  Bytes file = Audio(1000);
  const Bytes tag = Id3v1("Evening Bell   ", std::string(30, 'A'));
  file.insert(file.end(), tag.begin(), tag.end());
  Check(file, {0, 1000, "Evening Bell", std::string(30, 'A').c_str()});
}

TEST(Mp3TagsTest, Id3v2SizeIsSyncsafe) {
  Bytes file = Id3v2Header(257);  // 0x00 0x00 0x02 0x01
  ASSERT_EQ(file[8], 2);
  ASSERT_EQ(file[9], 1);
  file.resize(10 + 257, 0);
  const Bytes audio = Audio(300);
  file.insert(file.end(), audio.begin(), audio.end());
  Check(file, {267, 300, "", ""});

  const Bytes tag = Id3v1("T", "A");
  file.insert(file.end(), tag.begin(), tag.end());
  Check(file, {267, 300, "T", "A"});
}

TEST(Mp3TagsTest, Id3v2LargerThanTheFileLeavesNoAudio) {
  Bytes file = Id3v2Header(0x0FFFFFFF);
  file.resize(64, 0);
  Check(file, {64, 0, "", ""});
}

TEST(Mp3TagsTest, RiffWrapperIsWalkedToItsDataAndInfo) {
  Bytes file = RiffStart();
  const size_t dataStart = file.size() + 8;
  Chunk(file, "data", Audio(301));  // odd: a pad byte follows
  Chunk(file, "junk", Bytes(5, 0));
  Chunk(file, "LIST", InfoList("Title", "Artist"));
  Check(file, {dataStart, 301, "Title", "Artist"});
}

TEST(Mp3TagsTest, RiffTextIsCutAt127Bytes) {
  Bytes file = RiffStart();
  Chunk(file, "data", Audio(10));
  Chunk(file, "LIST", InfoList(std::string(200, 't'), "x"));
  const Mp3FileLayout layout = FindMp3Layout(file);
  EXPECT_EQ(std::strlen(layout.title), 127u);
  EXPECT_STREQ(layout.artist, "x");
}

TEST(Mp3TagsTest, RiffWithoutDataStartsAtTheEnd) {
  Bytes file = RiffStart();
  Chunk(file, "LIST", InfoList("T", "A"));
  Check(file, {file.size(), 0, "", ""});
}

TEST(Mp3TagsTest, RiffSizesPastTheEndStayInsideTheFile) {
  struct Case {
    const char* what;
    uint32_t declared;
  };
  for (const Case& c : {Case{"data past the end", 100000}, Case{"data size 2^32-1", 0xFFFFFFFF}}) {
    SCOPED_TRACE(c.what);
    Bytes file = RiffStart();
    const size_t dataStart = file.size() + 8;
    Chunk(file, "data", Audio(40), c.declared);
    Check(file, {dataStart, 40, "", ""});
  }
  Bytes file = RiffStart();
  Chunk(file, "fmt ", Bytes(4, 0), 0xFFFFFFF0);  // a chunk that claims the rest of the address space
  Check(file, {file.size(), 0, "", ""});
  Bytes list = RiffStart();
  Chunk(list, "data", Audio(4));
  Bytes info;
  Append(info, "INFO");
  Chunk(info, "INAM", Bytes{'a', 'b'}, 0x7FFFFFFF);
  Chunk(list, "LIST", info);
  EXPECT_STREQ(FindMp3Layout(list).title, "ab");
}

}  // namespace
}  // namespace kb
