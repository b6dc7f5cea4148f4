// The packer: a game folder packed and unpacked again is the original, and
// the packed game plays exactly as the plain one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/game_fixture.h"

namespace fs = std::filesystem;

namespace {

int Pack(const std::string& args) {
  return std::system((std::string(KB_PACK_EXECUTABLE) + " " + args + " 2>/dev/null").c_str());
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<long long> PresentedFrames(const kbtest::RunResult& run) {
  std::vector<long long> crcs;
  for (const auto& e : run.Events("present")) crcs.push_back(e.Number("crc32"));
  return crcs;
}

TEST(Packer, DemoRoundTripIsByteIdenticalAndPlaysTheSame) {
  const fs::path demo = fs::path(KB_SOURCE_DIR) / "games/demo";
  kbtest::TempFolder work;
  const fs::path packed = fs::path(work.path()) / "packed", unpacked = fs::path(work.path()) / "unpacked";
  ASSERT_EQ(Pack(demo.string() + " " + packed.string()), 0);
  ASSERT_TRUE(fs::exists(packed / "start.st1"));
  EXPECT_FALSE(fs::exists(packed / "start.txt"));
  EXPECT_NE(ReadFile(packed / "start.st1"), ReadFile(demo / "start.txt"));
  ASSERT_EQ(Pack("--unpack " + packed.string() + " " + unpacked.string()), 0);

  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(demo)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    const fs::path copy = unpacked / fs::relative(entry.path(), demo);
    EXPECT_EQ(ReadFile(copy), ReadFile(entry.path())) << copy;
  }
  int copies = 0;
  for (const auto& entry : fs::recursive_directory_iterator(unpacked)) copies += entry.is_regular_file();
  EXPECT_EQ(copies, files);

  const std::string script = ReadFile(fs::path(KB_SOURCE_DIR) / "games/demo.play");
  auto plain = kbtest::RunHeadless(demo.string(), script);
  auto packedRun = kbtest::RunHeadless(packed.string(), script);
  EXPECT_EQ(packedRun.exitCode, 0) << packedRun.stderrText;
  EXPECT_TRUE(packedRun.Events("error").empty());
  EXPECT_EQ(PresentedFrames(packedRun), PresentedFrames(plain));
}

TEST(Packer, RefusesToOverwriteItsSourceOrAFullTarget) {
  kbtest::TempFolder game;
  game.WriteText("start.txt", "＃終了\n");
  EXPECT_NE(Pack(game.path() + " " + game.path()), 0);
  EXPECT_NE(Pack(game.path() + " " + game.path() + "/inner"), 0);
  EXPECT_FALSE(game.Exists("inner"));
  kbtest::TempFolder full;
  full.WriteText("keep.txt", "x");
  EXPECT_NE(Pack(game.path() + " " + full.path()), 0);
  EXPECT_EQ(full.ReadBytes("keep.txt"), "x");
}

TEST(Packer, NamesAndScramblesEachKind) {
  kbtest::TempFolder game, work;
  game.WriteBytes("START.TXT", "a");
  game.MakeFolder("bg");
  game.WriteBytes("bg/sky.JPG", "b");
  game.WriteBytes("song.mp3", "\x01\x02\x03\x04\x05");
  game.WriteBytes("face.bmp", "BM");
  game.WriteBytes("notes.doc", "n");
  const fs::path out = fs::path(work.path()) / "out";
  ASSERT_EQ(Pack(game.path() + " " + out.string()), 0);
  EXPECT_EQ(ReadFile(out / "start.st1"), std::string(1, static_cast<char>('a' ^ 0x9D)));
  EXPECT_EQ(ReadFile(out / "bg/sky.JPG.sj1"), std::string(1, static_cast<char>('b' ^ 0x9D)));
  EXPECT_EQ(ReadFile(out / "song.mp3.sp3"), std::string("\x1E\x68\x4E\x2F\x1A", 5));
  EXPECT_EQ(ReadFile(out / "face.bmp.sb1"), "BM");
  EXPECT_EQ(ReadFile(out / "notes.doc"), "n");
}

}  // namespace
