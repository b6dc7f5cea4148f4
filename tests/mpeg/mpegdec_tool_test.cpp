// kataribedori-mpegdec: PCM on standard output, channels and rate on standard error, exit code 1
// for what it cannot decode.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "media/mpeg/mpeg_decoder.h"
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

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

void Put32(std::vector<uint8_t>& bytes, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A RIFF file with a format chunk and the stream in its "data" chunk.
std::vector<uint8_t> InRiff(const std::vector<uint8_t>& stream) {
  std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
  Put32(file, static_cast<uint32_t>(4 + 8 + 16 + 8 + stream.size()));
  for (char c : std::string("WAVEfmt ")) file.push_back(static_cast<uint8_t>(c));
  Put32(file, 16);
  file.resize(file.size() + 16, 0x55);
  for (char c : std::string("data")) file.push_back(static_cast<uint8_t>(c));
  Put32(file, static_cast<uint32_t>(stream.size()));
  return Concat(file, stream);
}

TEST(MpegdecToolTest, WritesPcmAndFormat) {
  const std::filesystem::path dir = MakeTempDir("tool");
  const std::vector<uint8_t> layer2 = ReadFileBytes(VectorsDir() / "iso" / "l2-fl13.bit");
  const std::vector<uint8_t> layer3 = ReadFileBytes(VectorsDir() / "iso" / "l3-hecommon.bit");
  std::vector<uint8_t> id3v2 = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
  id3v2.resize(30, 0xFF);  // the tag's body would hold syncs if it were searched
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    const char* format;
    size_t bytes;
  };
  const Case cases[] = {
      {"plain Layer II", layer2, "channels 1 rate 32000\n", 49u * 2304u},
      {"Layer II after an ID3v2 tag", Concat(id3v2, layer2), "channels 1 rate 32000\n", 49u * 2304u},
      {"Layer III in a RIFF wrapper", InRiff(layer3), "channels 2 rate 44100\n", 30u * 4608u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFileBytes(dir / "input.mp3", c.file);
    const ToolRun run = RunTool(dir / "input.mp3", dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, c.format);
    EXPECT_EQ(run.out.size(), c.bytes);
  }
  // The PCM is the decoder's own output.
  InitDecoderTables();
  const DecodedFile decoded = DecodeWholeFile(layer3);
  WriteFileBytes(dir / "input.mp3", layer3);
  EXPECT_EQ(BytesToSamples(RunTool(dir / "input.mp3", dir).out), decoded.pcm);
  std::filesystem::remove_all(dir);
}

TEST(MpegdecToolTest, FailsOnWhatItCannotDecode) {
  const std::filesystem::path dir = MakeTempDir("tool-fail");
  const std::string text = "not an MPEG audio file, only text without a sync byte\n";
  WriteFileBytes(dir / "text.mp3", std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_EQ(RunTool(dir / "text.mp3", dir).exitCode, 1);
  EXPECT_EQ(RunTool(dir / "missing.mp3", dir).exitCode, 1);
  EXPECT_EQ(RunTool(VectorsDir() / "iso" / "l3-he_free.bit", dir).exitCode, 1);
  // A header whose frame is cut short by the end of the file: not one frame decodes.
  const std::vector<uint8_t> layer2 = ReadFileBytes(VectorsDir() / "iso" / "l2-fl13.bit");
  WriteFileBytes(dir / "cut.mp2", std::span(layer2).first(100));
  const ToolRun cut = RunTool(dir / "cut.mp2", dir);
  EXPECT_EQ(cut.exitCode, 1);
  EXPECT_TRUE(cut.out.empty());
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kb::mpeg::test
