// The scrambled copies of packed games.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "shell/packed_mode.h"
#include "support/game_fixture.h"

namespace {

class PackedCopyTest : public ::testing::Test {
 protected:
  void SetUp() override { kb::SetGameFolder(folder.path()); }
  kbtest::TempFolder folder;
};

TEST_F(PackedCopyTest, ByteCopyTwiceGivesBackTheFile) {
  const std::string original("start\r\n\x82\xa0\x00\xff", 11);
  folder.WriteBytes("a", original);
  EXPECT_EQ(kb::ScrambleCopyBytes("a", "b"), 1);
  const std::string scrambled = folder.ReadBytes("b");
  ASSERT_EQ(scrambled.size(), original.size());
  EXPECT_EQ(static_cast<unsigned char>(scrambled[0]), ('s' ^ 0x9D));
  EXPECT_EQ(kb::ScrambleCopyBytes("b", "c"), 1);
  EXPECT_EQ(folder.ReadBytes("c"), original);
}

TEST_F(PackedCopyTest, WordCopyXorsATailByteWithTheKeysLowByte) {
  folder.WriteBytes("a", std::string(5, '\0'));
  kb::ScrambleCopyWords("a", "b");
  EXPECT_EQ(folder.ReadBytes("b"), std::string("\x1F\x6A\x4D\x2B\x1F", 5));
}

TEST_F(PackedCopyTest, EmptyOrMissingSourceLeavesNoTarget) {
  folder.WriteBytes("empty", "");
  EXPECT_EQ(kb::ScrambleCopyBytes("empty", "t1"), 0);
  EXPECT_EQ(kb::ScrambleCopyBytes("missing", "t2"), 0);
  EXPECT_EQ(kb::PlainCopy("missing", "t3"), 0);
  EXPECT_FALSE(folder.Exists("t1"));
  EXPECT_FALSE(folder.Exists("t2"));
  EXPECT_FALSE(folder.Exists("t3"));
}

TEST_F(PackedCopyTest, PlainCopyKeepsBytes) {
  folder.WriteBytes("MIDI.sm1", "MThd\x00\x01");
  kb::PlainCopy("midi.SM1", "MID_CPY");
  EXPECT_EQ(folder.ReadBytes("MID_CPY"), "MThd\x00\x01");
}

}  // namespace
