#pragma once
// Files of the game folder.  Scenarios name files the Windows way, in CP932:
// "bg\夕焼け.bmp", with "\" between folders and any letter case.  These
// functions resolve such a name inside the game folder: "\" and "/" both
// separate components; each component is matched against the folder's
// entries as written, then converted to UTF-8, then without regard to ASCII
// letter case.  A name that would leave the game folder (an absolute path,
// a drive letter, ".." above the folder) is treated as missing, so a game
// can neither read nor write files elsewhere.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kb {

// The game folder, an absolute host path.  All game paths are relative to it.
void SetGameFolder(const std::string& hostPath);
const std::string& GameFolder();

// The host path of a game path.  With mustExist the whole path must name an
// existing entry; otherwise the folders must exist and the last component
// may be new (its name is converted to UTF-8 when no entry matches).
std::optional<std::string> ResolveGamePath(std::string_view cp932Path, bool mustExist);

enum class PathKind { Missing = 0, Folder = 1, File = 2 };
PathKind ProbeGamePath(std::string_view cp932Path);

// Whole-file access.  Read gives nullopt when the file cannot be read.
std::optional<std::string> ReadGameFile(std::string_view cp932Path);
// At most the first maxBytes bytes of a file (fewer when it is shorter).
std::optional<std::string> ReadGameFileStart(std::string_view cp932Path, std::size_t maxBytes);
bool WriteGameFile(std::string_view cp932Path, std::string_view bytes);
bool DeleteGameFile(std::string_view cp932Path);

struct FolderEntry {
  std::string name;  // CP932, as a scenario would write it
  bool isFolder = false;
};
// The entries of a game folder (without "." and ".."), sorted by name so
// that every run sees the same order.  nullopt when it is not a folder.
std::optional<std::vector<FolderEntry>> ListGameFolder(std::string_view cp932Path);

// Host-path helpers for the entry point.
std::string AbsoluteHostPath(const std::string& path);
bool HostFolderExists(const std::string& path);
std::string HostCurrentFolder();
bool SetHostCurrentFolder(const std::string& path);

}  // namespace kb
