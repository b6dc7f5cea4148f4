// kataribedori-mpegdec: PCM on standard output, channels and rate on standard error, exit code 1
// for what it cannot decode.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <sys/wait.h>

#include "mpeg_test_support.h"

namespace kb::mpeg::test {
namespace {

struct ToolRun {
  int exitCode = -1;
  std::vector<uint8_t> out;
  std::string err;
};

ToolRun RunTool(const std::filesystem::path& input, const std::filesystem::path& dir) {
  const std::filesystem::path out = dir / "out.pcm";
  const std::filesystem::path err = dir / "err.txt";
  const std::string command = std::string(KB_MPEGDEC_TOOL) + " '" + input.string() + "' >'" +
                              out.string() + "' 2>'" + err.string() + "'";
  ToolRun run;
  const int status = std::system(command.c_str());
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadFileBytes(out);
  const std::vector<uint8_t> text = ReadFileBytes(err);
  run.err.assign(text.begin(), text.end());
  return run;
}

TEST(MpegdecToolTest, WritesPcmAndFormat) {
  const std::filesystem::path dir = MakeTempDir("tool");
  // An ID3v2 tag in front of a Layer II stream is skipped.
  std::vector<uint8_t> file = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
  file.resize(30, 0);
  const std::vector<uint8_t> stream = ReadFileBytes(VectorsDir() / "iso" / "l2-fl13.bit");
  file.insert(file.end(), stream.begin(), stream.end());
  WriteFileBytes(dir / "tagged.mp2", file);
  const ToolRun run = RunTool(dir / "tagged.mp2", dir);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "channels 1 rate 32000\n");
  EXPECT_EQ(run.out.size(), 49u * 2304u);
  std::filesystem::remove_all(dir);
}

TEST(MpegdecToolTest, FailsOnWhatItCannotDecode) {
  const std::filesystem::path dir = MakeTempDir("tool-fail");
  const std::string text = "not an MPEG audio file, only text without a sync byte\n";
  WriteFileBytes(dir / "text.mp3", std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_EQ(RunTool(dir / "text.mp3", dir).exitCode, 1);
  EXPECT_EQ(RunTool(dir / "missing.mp3", dir).exitCode, 1);
  EXPECT_EQ(RunTool(VectorsDir() / "iso" / "l3-he_free.bit", dir).exitCode, 1);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kb::mpeg::test
