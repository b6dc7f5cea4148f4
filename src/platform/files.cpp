#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/cp932.h"

namespace kb {
namespace {

std::string gameFolder = ".";

bool Exists(const std::string& path, struct stat* st = nullptr) {
  struct stat s {};
  if (stat(path.c_str(), &s) != 0) return false;
  if (st) *st = s;
  return true;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

// Finds the entry of folder that a CP932 component names: as written, as
// UTF-8, then ignoring ASCII case.  Empty when nothing matches.
std::string MatchComponent(const std::string& folder, std::string_view cp932) {
  std::string raw(cp932);
  std::string utf8 = Cp932ToUtf8(cp932);
  if (Exists(folder + "/" + raw)) return raw;
  if (Exists(folder + "/" + utf8)) return utf8;
  std::string found;
  if (DIR* dir = opendir(folder.c_str())) {
    std::vector<std::string> names;
    while (dirent* e = readdir(dir)) names.emplace_back(e->d_name);
    closedir(dir);
    // Sorted, so that two entries that differ only in case resolve the same
    // way on every run.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      if (EqualsIgnoringAsciiCase(name, utf8) || EqualsIgnoringAsciiCase(name, raw)) {
        found = name;
        break;
      }
    }
  }
  return found;
}

}  // namespace

void SetGameFolder(const std::string& hostPath) { gameFolder = hostPath; }
const std::string& GameFolder() { return gameFolder; }

std::optional<std::string> ResolveGamePath(std::string_view path, bool mustExist) {
  if (path.empty()) return std::nullopt;
  // Absolute paths and drive letters leave the game folder.
  if (path[0] == '\\' || path[0] == '/') return std::nullopt;
  if (path.size() >= 2 && path[1] == ':') return std::nullopt;

  // Split on "\" and "/".  A "\" byte can be the second byte of a
  // double-byte character ("表" is 0x95 0x5C), so walk by characters.
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size();) {
    unsigned char b = static_cast<unsigned char>(path[i]);
    bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (lead) {
      i += 2;
      continue;
    }
    if (b == '\\' || b == '/') {
      parts.push_back(path.substr(start, i - start));
      start = i + 1;
    }
    ++i;
  }
  parts.push_back(path.substr(start));

  std::vector<std::string> resolved;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    std::string_view part = parts[k];
    bool last = k + 1 == parts.size();
    if (part.empty() || part == ".") {
      if (last && part.empty() && resolved.empty()) return std::nullopt;
      continue;
    }
    if (part == "..") {
      if (resolved.empty()) return std::nullopt;
      resolved.pop_back();
      continue;
    }
    std::string folder = gameFolder;
    for (const std::string& r : resolved) folder += "/" + r;
    std::string name = MatchComponent(folder, part);
    if (name.empty()) {
      if (!last || mustExist) return std::nullopt;
      name = Cp932ToUtf8(part);
    }
    resolved.push_back(name);
  }
  std::string out = gameFolder;
  for (const std::string& r : resolved) out += "/" + r;
  return out;
}

PathKind ProbeGamePath(std::string_view path) {
  auto host = ResolveGamePath(path, true);
  if (!host) return PathKind::Missing;
  struct stat st {};
  if (!Exists(*host, &st)) return PathKind::Missing;
  return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
}

std::optional<std::string> ReadGameFileStart(std::string_view path, std::size_t maxBytes) {
  auto host = ResolveGamePath(path, true);
  if (!host) return std::nullopt;
  struct stat st {};
  if (!Exists(*host, &st) || S_ISDIR(st.st_mode)) return std::nullopt;
  FILE* f = std::fopen(host->c_str(), "rb");
  if (!f) return std::nullopt;
  std::string data;
  char buf[65536];
  std::size_t n;
  while (data.size() < maxBytes && (n = std::fread(buf, 1, std::min(sizeof buf, maxBytes - data.size()), f)) > 0)
    data.append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) return std::nullopt;
  return data;
}

std::optional<std::string> ReadGameFile(std::string_view path) {
  return ReadGameFileStart(path, std::numeric_limits<std::size_t>::max());
}

bool WriteGameFile(std::string_view path, std::string_view bytes) {
  auto host = ResolveGamePath(path, false);
  if (!host) return false;
  FILE* f = std::fopen(host->c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

bool DeleteGameFile(std::string_view path) {
  auto host = ResolveGamePath(path, true);
  if (!host) return false;
  struct stat st {};
  if (!Exists(*host, &st) || S_ISDIR(st.st_mode)) return false;
  return unlink(host->c_str()) == 0;
}

std::optional<std::vector<FolderEntry>> ListGameFolder(std::string_view path) {
  auto host = path.empty() ? std::optional<std::string>(gameFolder) : ResolveGamePath(path, true);
  if (!host) return std::nullopt;
  DIR* dir = opendir(host->c_str());
  if (!dir) return std::nullopt;
  std::vector<FolderEntry> entries;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    bool isFolder = Exists(*host + "/" + name, &st) && S_ISDIR(st.st_mode);
    entries.push_back({Utf8ToCp932(name), isFolder});
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return entries;
}

std::string AbsoluteHostPath(const std::string& path) {
  char buf[PATH_MAX];
  if (realpath(path.c_str(), buf)) return buf;
  return path;
}

bool HostFolderExists(const std::string& path) {
  struct stat st {};
  return Exists(path, &st) && S_ISDIR(st.st_mode);
}

std::string HostCurrentFolder() {
  char buf[PATH_MAX];
  if (getcwd(buf, sizeof buf)) return buf;
  return ".";
}

bool SetHostCurrentFolder(const std::string& path) { return chdir(path.c_str()) == 0; }

}  // namespace kb
