#pragma once
// Helpers for tests that run the real game executable headless: a
// throw-away game folder, the run itself, and its trace and shots.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kbtest {

// UTF-8 text as CP932 bytes, as game files hold it.
std::string Sjis(std::string_view utf8);

// `piece` written `times` times over.
inline std::string Repeat(std::string_view piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "kbtest");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // Writes UTF-8 text converted to CP932 (a scenario, mero.ini, …).
  void WriteText(const std::string& name, std::string_view utf8) const;
  void WriteBytes(const std::string& name, std::string_view bytes) const;
  std::string ReadBytes(const std::string& name) const;
  bool Exists(const std::string& name) const;
  void MakeFolder(const std::string& name) const;

 private:
  std::string path_;
};

// One event of the trace.
struct TraceEvent {
  std::string ev;
  long long t = 0;
  std::map<std::string, std::string> text;
  std::map<std::string, long long> number;

  std::string Text(const std::string& key) const;
  long long Number(const std::string& key) const;
};

std::vector<TraceEvent> ParseTrace(const std::string& jsonLines);

struct Frame {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  struct Pixel {
    int r, g, b;
    bool operator==(const Pixel&) const = default;
  };
  Pixel At(int x, int y) const;
};
bool ReadPng(const std::string& path, Frame& frame);

struct RunResult {
  std::shared_ptr<TempFolder> files;  // script, trace and shots; removed with the result
  int exitCode = -1;
  std::vector<TraceEvent> trace;
  std::string stderrText;
  std::string shotsDir;

  std::vector<TraceEvent> Events(const std::string& ev) const;
  // The shot written by "shot NAME".
  Frame Shot(const std::string& name) const;
};

// Runs `kataribedori --headless --script … --trace … --shots … GAME` with the
// script text; extra arguments go before the game folder.
RunResult RunHeadless(const std::string& gameFolder, const std::string& script,
                      const std::vector<std::string>& extraArgs = {});

// The path of the game executable under test.
std::string GameExecutable();

}  // namespace kbtest
