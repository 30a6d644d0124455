#include "platform/linux/drive_letters.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/linux/config_file.h"
#include "platform/linux/linux_ports.h"

namespace zel::linux_adapters {
namespace fs = std::filesystem;
namespace {

constexpr wchar_t kFirstGivenLetter = L'D';

std::string Canonical(const std::string& dir) {
  std::error_code ec;
  const fs::path p = fs::weakly_canonical(dir, ec);
  return ec ? dir : p.string();
}

}  // namespace

LetterMap ParseDriveLetters(const std::string& text, char separator) {
  LetterMap out;
  std::istringstream items(text);
  std::string item;
  while (std::getline(items, item, separator)) {
    while (!item.empty() && (item.back() == '\r' || item.back() == '\n')) item.pop_back();
    const size_t eq = item.find('=');
    if (eq != 1 || item.size() < 3 || !std::isalpha(static_cast<unsigned char>(item[0]))) continue;
    out[static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(item[0])))] = item.substr(2);
  }
  return out;
}

std::string FormatDriveLetters(const LetterMap& letters) {
  std::string text =
      "# Drive letters of the corvex, tessary and dormel tools: LETTER=mount point.\n"
      "# Newly mounted partitions are added with the first free letter from D:.\n";
  for (const auto& [letter, dir] : letters) {
    text += static_cast<char>(letter);
    text += "=" + dir + "\n";
  }
  return text;
}

std::vector<wchar_t> ExtendDriveLetters(LetterMap& letters, const std::vector<std::string>& mounted) {
  std::vector<wchar_t> given;
  std::set<std::string> named;
  for (const auto& entry : letters) named.insert(Canonical(entry.second));
  for (const std::string& dir : mounted) {
    if (named.count(Canonical(dir)) != 0) continue;
    wchar_t letter = kFirstGivenLetter;
    while (letter <= L'Z' && letters.count(letter) != 0) ++letter;
    if (letter > L'Z') break;
    letters[letter] = dir;
    named.insert(Canonical(dir));
    given.push_back(letter);
  }
  return given;
}

std::vector<std::string> MountedPartitionDirectories(const SysfsNodes& nodes) {
  std::vector<std::string> out;
  std::set<std::string> seen;
  for (const MountEntry& m : nodes.Mounts()) {
    if (!seen.insert(m.device).second) continue;
    const std::string node = nodes.NodeOfDevice(m.device);
    if (node.empty() || IsVirtualDisk(fs::path(node).filename().string())) continue;
    out.push_back(m.directory);
  }
  return out;
}

std::string DriveLettersFile() { return UserConfigFile("drives"); }

bool LoadDriveLetters(const SysfsNodes& nodes, const std::string& file, LetterMap& out, std::string& error) {
  const ConfigFileLock lock(file);  // two tools starting at once give a new mount one letter
  std::ifstream in(file);
  std::ostringstream text;
  text << in.rdbuf();
  out = ParseDriveLetters(text.str(), '\n');
  if (ExtendDriveLetters(out, MountedPartitionDirectories(nodes)).empty()) return true;
  if (ReplaceFileWhole(file, FormatDriveLetters(out), error)) return true;
  error = "cannot write the drive letters to " + error;
  return false;
}

const LetterMap& ProcessDriveLetters(std::string* error) {
  static const auto loaded = [] {
    std::pair<LetterMap, std::string> result;
    const char* environment = std::getenv("ZEL_DRIVES");
    if (environment != nullptr) {
      result.first = ParseDriveLetters(environment);
    } else {
      LoadDriveLetters(SysfsNodes(HostRoots()), DriveLettersFile(), result.first, result.second);
    }
    return result;
  }();
  if (error != nullptr) *error = loaded.second;
  return loaded.first;
}

std::vector<DriveMapping> MountedDriveMap(const SysfsNodes& nodes) {
  const bool fromEnvironment = std::getenv("ZEL_DRIVES") != nullptr;
  std::set<std::string> mountPoints;
  for (const MountEntry& m : nodes.Mounts()) mountPoints.insert(m.directory);
  std::vector<DriveMapping> out;
  for (const auto& [letter, dir] : nodes.DriveLetters()) {
    // A directory with nothing mounted on it is not the drive: a copy there
    // would fill the disk under it instead.
    if (!fromEnvironment && mountPoints.count(Canonical(dir)) == 0) continue;
    DriveMapping d;
    d.letter = letter;
    d.hostDirectory = dir;
    d.mounted = true;
    out.push_back(d);
  }
  return out;
}

}  // namespace zel::linux_adapters
