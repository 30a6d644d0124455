// The registry of the simulated machine, kept in "registry.txt": one line per
// key ("HKLM\SYSTEM\MountedDevices") and one per value
// (key TAB name TAB type TAB hex bytes), values in their stored order.

#include <string_view>

#include "common/text.h"
#include "platform/sim/sim_ports.h"
#include "platform/sim/state_file.h"

namespace zel::sim {
namespace {


struct Line {
  std::string key;  // with its root
  bool hasValue = false;
  std::string name;
  uint32_t type = 0;
  std::string data;
};

Line KeyLine(const std::string& key) {
  Line l;
  l.key = key;
  return l;
}

std::string RegistryPath(const std::string& dir) { return JoinPath(dir, "registry.txt"); }

std::string FullKey(RegRoot root, const std::wstring& key) {
  return std::string(root == RegRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + WideToUtf8(key);
}

bool SameKey(const std::string& a, const std::string& b) { return EqualsNoCaseAnsi(a, b); }

// The rows of the file, each cut at its tabs: a key line, or a value line of
// key, name, type and hex data (a value of empty data ends in a tab). A row
// whose data is not hex is passed over.
std::vector<Line> ReadLines(const std::string& dir) {
  std::vector<Line> lines;
  std::string text;
  ReadTextFile(RegistryPath(dir), text);
  const std::string_view all(text);
  size_t at = 0;
  while (at < all.size()) {
    size_t end = all.find('\n', at);
    if (end == std::string_view::npos) end = all.size();
    std::string_view row = all.substr(at, end - at);
    at = end + 1;
    if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
    if (row.empty()) continue;
    std::string_view cells[4];
    size_t count = 0;
    for (size_t from = 0;;) {
      const size_t tab = row.find('\t', from);
      if (count < 4) cells[count] = row.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from);
      ++count;
      if (tab == std::string_view::npos) break;
      from = tab + 1;
    }
    Line l;
    l.key = cells[0];
    if (count >= 4) {
      l.hasValue = true;
      l.name = cells[1];
      l.type = static_cast<uint32_t>(ParseNumber(cells[2], 0));
      if (!ParseHexBytes(cells[3], l.data)) continue;
    }
    lines.push_back(std::move(l));
  }
  return lines;
}

bool WriteLines(const std::string& dir, const std::vector<Line>& lines) {
  std::string text;
  for (const Line& l : lines) {
    text += l.key;
    if (l.hasValue) {
      text += "\t" + l.name + "\t" + std::to_string(l.type) + "\t" +
              HexBytes(reinterpret_cast<const uint8_t*>(l.data.data()), l.data.size());
    }
    text += "\n";
  }
  return WriteTextFileAtomically(RegistryPath(dir), text);
}

bool Within(const std::string& key, const std::string& tree) {
  return SameKey(key, tree) ||
         (key.size() > tree.size() && key[tree.size()] == '\\' && SameKey(key.substr(0, tree.size()), tree));
}

// A key exists when it was made or when a key below it was (creating a key
// makes the keys above it, as the system does).
bool HasKey(const std::vector<Line>& lines, const std::string& key) {
  for (const Line& l : lines) {
    if (Within(l.key, key)) return true;
  }
  return false;
}

}  // namespace

long SimRegistry::KeyExists(RegRoot root, const std::wstring& key) {
  return HasKey(ReadLines(dir_), FullKey(root, key)) ? kErrorSuccess : kErrorFileNotFound;
}

long SimRegistry::CreateKey(RegRoot root, const std::wstring& key) {
  std::vector<Line> lines = ReadLines(dir_);
  const std::string full = FullKey(root, key);
  if (HasKey(lines, full)) return 0;
  lines.push_back(KeyLine(full));
  return WriteLines(dir_, lines) ? kErrorSuccess : kErrorWriteFault;
}

long SimRegistry::ReadValue(RegRoot root, const std::wstring& key, const std::wstring& name, uint32_t maxBytes,
                            RegValue& out) {
  const std::string full = FullKey(root, key), valueName = WideToUtf8(name);
  const std::vector<Line> lines = ReadLines(dir_);
  if (!HasKey(lines, full)) return kErrorFileNotFound;
  for (const Line& l : lines) {
    if (!l.hasValue || !SameKey(l.key, full) || !EqualsNoCaseAnsi(l.name, valueName)) continue;
    if (l.data.size() > maxBytes) return kErrorMoreData;
    out.name = Utf8ToWide(l.name);
    out.type = l.type;
    out.data.assign(l.data.begin(), l.data.end());
    return 0;
  }
  return kErrorFileNotFound;
}

long SimRegistry::WriteValue(RegRoot root, const std::wstring& key, const RegValue& value) {
  std::vector<Line> lines = ReadLines(dir_);
  const std::string full = FullKey(root, key), valueName = WideToUtf8(value.name);
  if (!HasKey(lines, full)) return kErrorFileNotFound;
  Line l{full, true, valueName, value.type, std::string(value.data.begin(), value.data.end())};
  bool replaced = false;
  for (Line& existing : lines) {
    if (existing.hasValue && SameKey(existing.key, full) && EqualsNoCaseAnsi(existing.name, valueName)) {
      existing = l;
      replaced = true;
    }
  }
  if (!replaced) lines.push_back(l);
  return WriteLines(dir_, lines) ? kErrorSuccess : kErrorWriteFault;
}

long SimRegistry::DeleteValue(RegRoot root, const std::wstring& key, const std::wstring& name) {
  std::vector<Line> lines = ReadLines(dir_);
  const std::string full = FullKey(root, key), valueName = WideToUtf8(name);
  const size_t before = lines.size();
  std::erase_if(lines, [&](const Line& l) {
    return l.hasValue && SameKey(l.key, full) && EqualsNoCaseAnsi(l.name, valueName);
  });
  if (lines.size() == before) return kErrorFileNotFound;
  return WriteLines(dir_, lines) ? kErrorSuccess : kErrorWriteFault;
}

long SimRegistry::EnumValues(RegRoot root, const std::wstring& key, std::vector<RegValue>& out) {
  const std::string full = FullKey(root, key);
  const std::vector<Line> lines = ReadLines(dir_);
  if (!HasKey(lines, full)) return kErrorFileNotFound;
  out.clear();
  for (const Line& l : lines) {
    if (l.hasValue && SameKey(l.key, full)) {
      out.push_back({Utf8ToWide(l.name), l.type, std::vector<uint8_t>(l.data.begin(), l.data.end())});
    }
  }
  return 0;
}

long SimRegistry::DeleteTree(RegRoot root, const std::wstring& key) {
  std::vector<Line> lines = ReadLines(dir_);
  const std::string full = FullKey(root, key);
  if (!HasKey(lines, full)) return kErrorFileNotFound;
  std::erase_if(lines, [&](const Line& l) { return Within(l.key, full); });
  return WriteLines(dir_, lines) ? kErrorSuccess : kErrorWriteFault;
}

bool WriteMountedDevices(const std::string& dir, std::string& error) {
  View view;
  if (!view.Load(dir, error)) return false;
  std::vector<Line> lines = ReadLines(dir);
  const std::string key = "HKLM\\SYSTEM\\MountedDevices";
  std::erase_if(lines, [&](const Line& l) { return SameKey(l.key, key); });
  lines.push_back(KeyLine(key));
  auto utf16 = [](const std::wstring& text) {
    std::string bytes;
    for (char16_t c : WideToUtf16(text)) {
      bytes.push_back(static_cast<char>(c & 0xFF));
      bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
  };
  // Every volume that has been given a letter, present or not, under its
  // name-space form "\??\STORAGE#..." (the interface path from its fifth
  // character on); volume GUID entries beside them as the system keeps them.
  int n = 0;
  for (size_t i = 0; i < view.machine.volumes.size(); ++i) {
    const SimVolume& v = view.machine.volumes[i];
    const std::wstring path = VolumeInterfacePath(view.machine, v);
    const std::string data = utf16(L"\\??\\" + path.substr(4));
    char guid[64];
    std::snprintf(guid, sizeof guid, "\\??\\Volume{5a1e0000-0000-11d0-94f2-00a0c91e%04x}", ++n);
    lines.push_back({key, true, guid, kRegBinary, data});
    if (v.letter != 0) lines.push_back({key, true, std::string("\\DosDevices\\") + v.letter + ":", kRegBinary, data});
  }
  if (!WriteLines(dir, lines)) {
    error = "cannot write " + RegistryPath(dir);
    return false;
  }
  return true;
}

}  // namespace zel::sim
