#include "platform/posix/ini_file.h"

#include <string_view>

#include "common/text.h"

namespace zel::posix {

bool IsIniBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' ||
         c == 0x1A;
}

std::wstring_view TrimIniBlanks(std::wstring_view s) {
  while (!s.empty() && IsIniBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsIniBlank(s.back())) s.remove_suffix(1);
  return s;
}

namespace {

// Names and values are C strings to the system: text after a NUL is lost.
std::wstring_view CutAtNul(std::wstring_view s) {
  const size_t nul = s.find(L'\0');
  return nul == std::wstring_view::npos ? s : s.substr(0, nul);
}

}  // namespace

std::wstring DecodeIniText(const std::vector<uint8_t>& bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return Utf16ToWide(units);
  }
  // The 8-bit code page is UTF-8 on these hosts (see AnsiToWide).
  return Utf8ToWide(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

IniFile ParseIni(std::wstring decoded) {
  IniFile file;
  file.text = std::make_shared<const std::wstring>(std::move(decoded));
  const std::wstring_view text(*file.text);
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find(L'\n', pos);
    if (end == std::wstring_view::npos) end = text.size();
    const std::wstring_view line = TrimIniBlanks(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty()) continue;

    if (line[0] == L'[') {
      const size_t close = line.rfind(L']');
      if (close != std::wstring_view::npos) {
        file.sections.emplace_back().name = TrimIniBlanks(CutAtNul(TrimIniBlanks(line.substr(1, close - 1))));
        continue;
      }
      // Without ']' the line is an ordinary key line.
    }
    if (file.sections.empty()) continue;  // above the first header

    IniKey& key = file.sections.back().keys.emplace_back();
    const size_t found = line.find(L'=');
    if (found == std::wstring_view::npos) {
      key.name = CutAtNul(line);
    } else {
      key.name = TrimIniBlanks(CutAtNul(TrimIniBlanks(line.substr(0, found))));
      key.value = CutAtNul(TrimIniBlanks(line.substr(found + 1)));
    }
  }
  return file;
}

namespace {
// The first item whose name equals `name` (case and surrounding blanks ignored).
template <class Item>
const Item* FindNamed(const std::vector<Item>& items, std::wstring_view name) {
  const std::wstring_view wanted = TrimIniBlanks(name);
  if (wanted.empty()) return nullptr;
  for (const Item& item : items) {
    if (EqualsNoCaseWide(item.name, wanted)) return &item;
  }
  return nullptr;
}
}  // namespace

const IniSection* FindSection(const IniFile& file, std::wstring_view name) {
  return FindNamed(file.sections, name);
}

const IniKey* FindKey(const IniSection& section, std::wstring_view name) {
  return FindNamed(section.keys, name);
}

std::vector<std::wstring> ListedKeyNames(const IniSection& section) {
  std::vector<std::wstring> names;
  for (const IniKey& k : section.keys) {
    if (!k.value || k.name.empty() || k.name[0] == L';') continue;
    // A name is looked up at its first line; when that line has no value the
    // name reads as missing, so it is not listed either.
    const IniKey* first = FindKey(section, k.name);
    if (first == nullptr || !first->value) continue;
    names.emplace_back(k.name);
  }
  return names;
}

}  // namespace zel::posix
