#include "support/game_fixture.h"

#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/cp932.h"

namespace kbtest {

namespace fs = std::filesystem;

std::string Sjis(std::string_view utf8) { return kb::Utf8ToCp932(utf8); }

TempFolder::TempFolder(const std::string& prefix) {
  std::string templ = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
  char* made = mkdtemp(templ.data());
  path_ = made ? made : templ;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void TempFolder::WriteText(const std::string& name, std::string_view utf8) const {
  WriteBytes(name, Sjis(utf8));
}

void TempFolder::WriteBytes(const std::string& name, std::string_view bytes) const {
  fs::path p = fs::path(path_) / name;
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::ReadBytes(const std::string& name) const {
  std::ifstream in(fs::path(path_) / name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool TempFolder::Exists(const std::string& name) const { return fs::exists(fs::path(path_) / name); }

void TempFolder::MakeFolder(const std::string& name) const { fs::create_directories(fs::path(path_) / name); }

std::string TraceEvent::Text(const std::string& key) const {
  auto it = text.find(key);
  return it == text.end() ? std::string() : it->second;
}

long long TraceEvent::Number(const std::string& key) const {
  auto it = number.find(key);
  return it == number.end() ? -1 : it->second;
}

namespace {

// A reader for the trace's flat objects: string and integer values only.
class JsonLine {
 public:
  explicit JsonLine(const std::string& s) : s_(s) {}

  bool Parse(TraceEvent& e) {
    Skip();
    if (!Eat('{')) return false;
    Skip();
    if (Eat('}')) return true;
    while (true) {
      std::string key;
      if (!String(key)) return false;
      Skip();
      if (!Eat(':')) return false;
      Skip();
      if (Peek() == '"') {
        std::string value;
        if (!String(value)) return false;
        if (key == "ev")
          e.ev = value;
        else
          e.text[key] = value;
      } else {
        long long n = 0;
        bool neg = Eat('-');
        if (!std::isdigit(static_cast<unsigned char>(Peek()))) return false;
        while (std::isdigit(static_cast<unsigned char>(Peek()))) n = n * 10 + (s_[i_++] - '0');
        if (neg) n = -n;
        if (key == "t")
          e.t = n;
        else
          e.number[key] = n;
      }
      Skip();
      if (Eat('}')) return true;
      if (!Eat(',')) return false;
      Skip();
    }
  }

 private:
  char Peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
  bool Eat(char c) {
    if (Peek() != c) return false;
    ++i_;
    return true;
  }
  void Skip() {
    while (Peek() == ' ') ++i_;
  }
  static void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80)
      out.push_back(static_cast<char>(cp));
    else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  bool String(std::string& out) {
    if (!Eat('"')) return false;
    while (i_ < s_.size() && s_[i_] != '"') {
      char c = s_[i_++];
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      char esc = s_[i_++];
      switch (esc) {
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'u':
          AppendUtf8(out, static_cast<unsigned>(std::stoul(s_.substr(i_, 4), nullptr, 16)));
          i_ += 4;
          break;
        default: out.push_back(esc); break;
      }
    }
    return Eat('"');
  }

  const std::string& s_;
  std::size_t i_ = 0;
};

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'')
      out += "'\\''";
    else
      out.push_back(c);
  }
  return out + "'";
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

std::vector<TraceEvent> ParseTrace(const std::string& jsonLines) {
  std::vector<TraceEvent> events;
  std::istringstream in(jsonLines);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    TraceEvent e;
    if (JsonLine(line).Parse(e)) events.push_back(e);
  }
  return events;
}

Frame::Pixel Frame::At(int x, int y) const {
  std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
  if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

bool ReadPng(const std::string& path, Frame& frame) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  frame.width = static_cast<int>(image.width);
  frame.height = static_cast<int>(image.height);
  frame.rgb.assign(PNG_IMAGE_SIZE(image), 0);
  bool ok = png_image_finish_read(&image, nullptr, frame.rgb.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

std::vector<TraceEvent> RunResult::Events(const std::string& ev) const {
  std::vector<TraceEvent> out;
  for (const TraceEvent& e : trace)
    if (e.ev == ev) out.push_back(e);
  return out;
}

Frame RunResult::Shot(const std::string& name) const {
  Frame f;
  ReadPng(shotsDir + "/" + name, f);
  return f;
}

std::string GameExecutable() { return KB_GAME_EXECUTABLE; }

RunResult RunHeadless(const std::string& gameFolder, const std::string& script,
                      const std::vector<std::string>& extraArgs) {
  // The run's files live in a folder of their own, never in the game's.
  auto files = std::make_shared<TempFolder>("kbrun");
  const std::string& base = files->path();
  fs::create_directories(base + "/shots");
  std::string scriptPath = base + "/script.txt", tracePath = base + "/trace.jsonl",
              errPath = base + "/stderr.txt";
  {
    std::ofstream out(scriptPath, std::ios::binary);
    out << script;
  }
  std::string cmd = Quote(GameExecutable()) + " --headless --script " + Quote(scriptPath) + " --trace " +
                    Quote(tracePath) + " --shots " + Quote(base + "/shots");
  for (const std::string& a : extraArgs) cmd += " " + Quote(a);
  cmd += " " + Quote(gameFolder) + " 2>" + Quote(errPath);
  int status = std::system(cmd.c_str());
  RunResult r;
  r.files = files;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.trace = ParseTrace(ReadWhole(tracePath));
  r.stderrText = ReadWhole(errPath);
  r.shotsDir = base + "/shots";
  return r;
}

}  // namespace kbtest
