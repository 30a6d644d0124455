// The registry of the tools on Linux: a text file in the user's
// configuration directory (config_file.h), one "[HKLM\key]" line starting
// each key and one "name TAB type TAB bytes in hex" line for each of its
// values, in their stored order. Two keys are always there: the password
// hint's key (the system has it, and the tools only open it), and the
// mounted-device table, which is not stored but read from the drive letters
// and the mount table each time, so a removable disk gets its letter the
// way a fixed one does. Lines the tools cannot read are kept as they stand.
#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "common/hex_text.h"
#include "common/text.h"
#include "platform/linux/config_file.h"
#include "platform/linux/linux_ports.h"

namespace zel::linux_adapters {

// One line of the file and what it says.
struct RegistryLine {
  std::string text;
  bool isKey = false;
  bool isValue = false;
  std::string key;  // the key it starts or belongs to
  RegValue value;
};

namespace {

using Line = RegistryLine;

constexpr char kMountedDevicesKey[] = "HKLM\\SYSTEM\\MountedDevices";
constexpr char kHintKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\Icon Hints";

std::string FullKey(RegRoot root, const std::wstring& key) {
  return std::string(root == RegRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + WideToUtf8(key);
}

// `key` itself or a key below it.
bool Within(const std::string& key, const std::string& tree) {
  return EqualsNoCaseAnsi(key, tree) ||
         (key.size() > tree.size() && key[tree.size()] == '\\' && EqualsNoCaseAnsi(key.substr(0, tree.size()), tree));
}

// A name the file can hold on one line without being taken for something else.
bool Writable(const std::string& name, bool isKey) {
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F || (isKey && c == ']')) return false;
  }
  return isKey || name.empty() || (name[0] != '[' && name[0] != '#');
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) {
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 15]);
  }
  return out;
}

std::string ValueLine(const RegValue& v) {
  return WideToUtf8(v.name) + "\t" + std::to_string(v.type) + "\t" + Hex(v.data);
}

std::vector<Line> ParseRegistry(const std::string& text) {
  std::vector<Line> lines;
  std::istringstream in(text);
  std::string row, key;
  while (std::getline(in, row)) {
    Line l;
    l.text = row;
    if (row.size() >= 2 && row.front() == '[' && row.back() == ']') {
      key = row.substr(1, row.size() - 2);
      l.isKey = true;
    } else if (!key.empty() && !row.empty() && row[0] != '#') {
      const size_t a = row.find('\t'), b = a == std::string::npos ? a : row.find('\t', a + 1);
      if (b != std::string::npos && row.find('\t', b + 1) == std::string::npos) {
        const std::string type = row.substr(a + 1, b - a - 1);
        l.isValue = !type.empty() && type.find_first_not_of("0123456789") == std::string::npos && type.size() <= 9 &&
                    DecodeHexBytes(row.substr(b + 1), l.value.data);
        l.value.name = Utf8ToWide(row.substr(0, a));
        if (l.isValue) l.value.type = static_cast<uint32_t>(std::stoul(type));
      }
    }
    l.key = key;
    lines.push_back(std::move(l));
  }
  return lines;
}

std::string FormatRegistry(const std::vector<Line>& lines) {
  std::string text;
  for (const Line& l : lines) text += l.text + "\n";
  return text;
}

bool HasKey(const std::vector<Line>& lines, const std::string& key) {
  if (Within(kHintKey, key)) return true;
  for (const Line& l : lines) {
    if (l.isKey && Within(l.key, key)) return true;
  }
  return false;
}

// The value line of `name` under `key`, or lines.end().
std::vector<Line>::iterator FindValue(std::vector<Line>& lines, const std::string& key, const std::wstring& name) {
  for (auto it = lines.begin(); it != lines.end(); ++it) {
    if (it->isValue && EqualsNoCaseAnsi(it->key, key) && EqualsNoCaseAnsi(WideToUtf8(it->value.name), WideToUtf8(name))) {
      return it;
    }
  }
  return lines.end();
}

}  // namespace

LinuxRegistry::LinuxRegistry(SysfsNodes& nodes) : nodes_(nodes), file_(UserConfigFile("registry")) {}

std::vector<RegValue> LinuxRegistry::MountedDevices() const {
  std::vector<RegValue> out;
  for (const auto& [letter, dir] : nodes_.DriveLetters()) {
    const std::wstring drive{letter, L':'};
    const std::string node = DeviceNode(nodes_, drive);
    if (node.empty() || dir.empty()) continue;
    out.push_back(RegString(L"\\DosDevices\\" + drive, Utf8ToWide(node)));
    out.back().type = kRegBinary;
  }
  return out;
}

std::vector<RegValue> LinuxRegistry::StoredValues(const std::string& key) const {
  std::ifstream in(file_);
  std::ostringstream text;
  text << in.rdbuf();
  std::vector<RegValue> out;
  for (const Line& l : ParseRegistry(text.str())) {
    if (l.isValue && EqualsNoCaseAnsi(l.key, key)) out.push_back(l.value);
  }
  return out;
}

long LinuxRegistry::Change(const std::function<long(std::vector<Line>&)>& change) {
  const ConfigFileLock lock(file_);
  std::ifstream in(file_);
  std::ostringstream text;
  text << in.rdbuf();
  std::vector<Line> lines = ParseRegistry(text.str());
  if (lines.empty()) {
    for (const char* comment : {"# Registry values of the corvex, tessary and dormel tools: [ROOT\\key] starts a key,",
                                "# then one value a line: name, type and the bytes in hex, separated by tabs."}) {
      Line l;
      l.text = comment;
      lines.push_back(l);
    }
  }
  if (long error = change(lines); error != 0) return error;
  std::string failure;
  return ReplaceFileWhole(file_, FormatRegistry(lines), failure) ? 0L : long{kErrorWriteFault};
}

long LinuxRegistry::KeyExists(RegRoot root, const std::wstring& key) {
  const std::string full = FullKey(root, key);
  if (Within(kMountedDevicesKey, full)) return 0;
  std::ifstream in(file_);
  std::ostringstream text;
  text << in.rdbuf();
  return HasKey(ParseRegistry(text.str()), full) ? 0L : long{kErrorFileNotFound};
}

long LinuxRegistry::CreateKey(RegRoot root, const std::wstring& key) {
  const std::string full = FullKey(root, key);
  if (Within(kMountedDevicesKey, full)) return 0;
  if (!Writable(full, true)) return kErrorInvalidParameter;
  if (KeyExists(root, key) == 0) return 0;
  return Change([&](std::vector<Line>& lines) {
    lines.push_back({"[" + full + "]", true, false, full, {}});
    return 0L;
  });
}

long LinuxRegistry::ReadValue(RegRoot root, const std::wstring& key, const std::wstring& name, uint32_t maxBytes,
                              RegValue& out) {
  const std::string full = FullKey(root, key);
  std::vector<RegValue> values;
  if (long error = EnumValues(root, key, values); error != 0) return error;
  for (const RegValue& v : values) {
    if (!EqualsNoCaseAnsi(WideToUtf8(v.name), WideToUtf8(name))) continue;
    if (v.data.size() > maxBytes) return kErrorMoreData;
    out = v;
    return 0;
  }
  return kErrorFileNotFound;
}

long LinuxRegistry::WriteValue(RegRoot root, const std::wstring& key, const RegValue& value) {
  const std::string full = FullKey(root, key);
  if (EqualsNoCaseAnsi(full, kMountedDevicesKey)) return kErrorAccessDenied;  // the system keeps it
  if (!Writable(WideToUtf8(value.name), false)) return kErrorInvalidParameter;
  return Change([&](std::vector<Line>& lines) {
    if (!HasKey(lines, full)) return long{kErrorFileNotFound};
    Line l{ValueLine(value), false, true, full, value};
    if (auto it = FindValue(lines, full, value.name); it != lines.end()) {
      *it = l;
      return 0L;
    }
    // After the key's last line; a key that is only known gets its line now.
    auto end = lines.end();
    for (auto it = lines.begin(); it != lines.end(); ++it) {
      if (it->isKey && EqualsNoCaseAnsi(it->key, full)) {
        end = it + 1;
        while (end != lines.end() && !end->isKey) ++end;
        break;
      }
    }
    if (end == lines.end() && std::none_of(lines.begin(), lines.end(), [&](const Line& k) {
          return k.isKey && EqualsNoCaseAnsi(k.key, full);
        })) {
      lines.push_back({"[" + full + "]", true, false, full, {}});
      end = lines.end();
    }
    lines.insert(end, l);
    return 0L;
  });
}

long LinuxRegistry::DeleteValue(RegRoot root, const std::wstring& key, const std::wstring& name) {
  const std::string full = FullKey(root, key);
  if (EqualsNoCaseAnsi(full, kMountedDevicesKey)) return kErrorAccessDenied;
  return Change([&](std::vector<Line>& lines) {
    auto it = FindValue(lines, full, name);
    if (it == lines.end()) return long{kErrorFileNotFound};
    lines.erase(it);
    return 0L;
  });
}

long LinuxRegistry::EnumValues(RegRoot root, const std::wstring& key, std::vector<RegValue>& out) {
  const std::string full = FullKey(root, key);
  if (EqualsNoCaseAnsi(full, kMountedDevicesKey)) {
    out = MountedDevices();
    return 0;
  }
  if (KeyExists(root, key) != 0) return kErrorFileNotFound;
  out = StoredValues(full);
  return 0;
}

long LinuxRegistry::DeleteTree(RegRoot root, const std::wstring& key) {
  const std::string full = FullKey(root, key);
  if (Within(kMountedDevicesKey, full)) return kErrorAccessDenied;
  return Change([&](std::vector<Line>& lines) {
    const size_t before = lines.size();
    std::erase_if(lines, [&](const Line& l) { return !l.key.empty() && Within(l.key, full); });
    return lines.size() == before ? long{kErrorFileNotFound} : 0L;
  });
}

}  // namespace zel::linux_adapters
