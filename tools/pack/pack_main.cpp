// kataribedori-pack: turns a game folder as its author writes it into the
// packed form a finished game ships in, and back.
//
//   kataribedori-pack SOURCE TARGET            pack
//   kataribedori-pack --unpack SOURCE TARGET   unpack
//
// Packing keeps every file's own name and appends the packed extension of
// its kind ("bg.bmp" becomes "bg.bmp.sb1"), because the scenarios of a game
// written in plain mode name files with their own extensions and the packed
// game looks them up as name + packed extension.  "start.txt" becomes
// "start.st1", which is what marks a packed game.  Scenarios and JPEG
// pictures are scrambled with the byte key, MP3 music with the word key;
// BMP, wave, MIDI and movie files are copied as they are.  Files of a kind
// the game does not use are copied unchanged and listed on standard error.
// Unpacking strips the packed extensions and undoes the scrambles, so a
// packed-then-unpacked folder is the original, byte for byte.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "shell/packed_mode.h"

namespace fs = std::filesystem;

namespace {

enum class Scramble { None, Bytes, Words };

struct FileKind {
  const char* plainExtensions[3];
  const char* packedExtension;
  Scramble scramble;
};

const FileKind kKinds[] = {
    {{".txt"}, ".st1", Scramble::Bytes},
    {{".bmp"}, ".sb1", Scramble::None},
    {{".jpg", ".jpeg"}, ".sj1", Scramble::Bytes},
    {{".wav"}, ".sw1", Scramble::None},
    {{".mid", ".midi"}, ".sm1", Scramble::None},
    {{".mp3"}, ".sp3", Scramble::Words},
    {{".mpg", ".mpeg", ".avi"}, ".sa1", Scramble::None},
};

// Files a game folder holds that are used as they are.
const char* const kKeptExtensions[] = {".ini", ".ttf", ".ttc", ".otf", ".fon"};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::optional<std::string> ReadAll(const fs::path& path) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  std::ifstream in(path, std::ios::binary);
  if (ec || !in) return std::nullopt;
  std::string data(size, '\0');
  in.read(data.data(), static_cast<std::streamsize>(size));
  if (static_cast<std::uintmax_t>(in.gcount()) != size) return std::nullopt;
  return data;
}

bool WriteAll(const fs::path& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(out);
}

void Apply(Scramble scramble, std::string& data) {
  if (scramble == Scramble::Bytes) kb::ScrambleBytes(data);
  if (scramble == Scramble::Words) kb::ScrambleWords(data);
}

struct Plan {
  std::string targetName;
  Scramble scramble = Scramble::None;
  bool known = true;
};

Plan PackPlan(const std::string& name, bool atTop) {
  const std::string lower = Lower(name);
  if (atTop && lower == "start.txt") return {"start.st1", Scramble::Bytes};
  for (const FileKind& kind : kKinds)
    for (const char* ext : kind.plainExtensions)
      if (ext && EndsWith(lower, ext)) return {name + kind.packedExtension, kind.scramble};
  for (const char* ext : kKeptExtensions)
    if (EndsWith(lower, ext)) return {name};
  return {name, Scramble::None, false};
}

Plan UnpackPlan(const std::string& name, bool atTop) {
  const std::string lower = Lower(name);
  if (atTop && lower == "start.st1") return {"start.txt", Scramble::Bytes};
  for (const FileKind& kind : kKinds)
    if (EndsWith(lower, kind.packedExtension) && name.size() > 4)
      return {name.substr(0, name.size() - 4), kind.scramble};
  for (const char* ext : kKeptExtensions)
    if (EndsWith(lower, ext)) return {name};
  return {name, Scramble::None, false};
}

bool Inside(const fs::path& inner, const fs::path& outer) {
  auto o = outer.begin(), i = inner.begin();
  for (; o != outer.end(); ++o, ++i)
    if (i == inner.end() || *i != *o) return false;
  return true;
}

int Convert(const fs::path& source, const fs::path& target, bool unpack) {
  std::error_code ec;
  const fs::path from = fs::weakly_canonical(source, ec);
  if (ec || !fs::is_directory(from)) {
    std::fprintf(stderr, "kataribedori-pack: %s is not a folder\n", source.c_str());
    return 1;
  }
  const fs::path to = fs::weakly_canonical(target, ec);
  if (ec || Inside(to, from) || Inside(from, to)) {
    std::fprintf(stderr, "kataribedori-pack: the target %s would overwrite the source\n", target.c_str());
    return 1;
  }
  if (fs::exists(to) && !fs::is_empty(to)) {
    std::fprintf(stderr, "kataribedori-pack: the target %s is not empty\n", target.c_str());
    return 1;
  }
  bool hasStart = false;
  for (const auto& entry : fs::directory_iterator(from))
    hasStart = hasStart || (entry.is_regular_file() && Lower(entry.path().filename().string()) == "start.txt");
  if (!unpack && !hasStart) {
    std::fprintf(stderr, "kataribedori-pack: %s has no start.txt\n", source.c_str());
    return 1;
  }
  fs::create_directories(to);

  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(from)) {
    if (entry.is_directory()) fs::create_directories(to / fs::relative(entry.path(), from));
    else if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());

  int failures = 0;
  for (const fs::path& file : files) {
    const fs::path relative = fs::relative(file, from);
    const bool atTop = !relative.has_parent_path();
    const std::string name = file.filename().string();
    const Plan plan = unpack ? UnpackPlan(name, atTop) : PackPlan(name, atTop);
    if (!plan.known) std::fprintf(stderr, "kataribedori-pack: not a game file, copied unchanged: %s\n", relative.c_str());
    const fs::path out = to / relative.parent_path() / plan.targetName;
    if (fs::exists(out)) {
      std::fprintf(stderr, "kataribedori-pack: two files would both become %s\n", out.c_str());
      ++failures;
      continue;
    }
    auto data = ReadAll(file);
    if (!data) {
      std::fprintf(stderr, "kataribedori-pack: cannot read %s\n", file.c_str());
      ++failures;
      continue;
    }
    Apply(plan.scramble, *data);
    if (!WriteAll(out, *data)) {
      std::fprintf(stderr, "kataribedori-pack: cannot write %s\n", out.c_str());
      ++failures;
    }
  }
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool unpack = false;
  if (!args.empty() && args[0] == "--unpack") {
    unpack = true;
    args.erase(args.begin());
  }
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: kataribedori-pack [--unpack] SOURCE TARGET\n");
    return 2;
  }
  return Convert(args[0], args[1], unpack);
}
