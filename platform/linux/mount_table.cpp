#include "platform/linux/mount_table.h"

#include <fstream>
#include <sstream>

namespace zel::linux_adapters {
namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// The kernel writes blank, tab, newline and backslash in paths as three octal
// digits after a backslash.
std::string Unescape(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) &&
        IsOctal(field[i + 3])) {
      out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

}  // namespace

// 36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue
// (mount id, parent id, major:minor, root, mount point, options, optional
// fields up to "-", then type, source and super-block options).
std::vector<MountEntry> ParseMountInfo(const std::string& text) {
  std::vector<MountEntry> out;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string id, parent, devno, root, point, options, word;
    if (!(fields >> id >> parent >> devno >> root >> point >> options)) continue;
    bool separator = false;
    while (fields >> word) {
      if (word == "-") {
        separator = true;
        break;
      }
    }
    MountEntry m;
    if (!separator || !(fields >> m.type >> m.source) || devno.find(':') == std::string::npos) continue;
    m.device = devno;
    m.directory = Unescape(point);
    m.source = Unescape(m.source);
    out.push_back(std::move(m));
  }
  return out;
}

std::vector<MountEntry> ReadMountTable(const std::string& mountInfoPath) {
  std::ifstream in(mountInfoPath);
  std::ostringstream text;
  text << in.rdbuf();
  return ParseMountInfo(text.str());
}

}  // namespace zel::linux_adapters
