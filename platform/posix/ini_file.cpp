#include "platform/posix/ini_file.h"

#include "common/text.h"

namespace zel::posix {
namespace {

// Names and values are C strings to the system: text after a NUL is lost.
std::wstring CutAtNul(std::wstring s) {
  size_t nul = s.find(L'\0');
  if (nul != std::wstring::npos) s.resize(nul);
  return s;
}

}  // namespace

bool IsIniBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' ||
         c == 0x1A;
}

std::wstring TrimIniBlanks(const std::wstring& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsIniBlank(s[b])) ++b;
  while (e > b && IsIniBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::wstring DecodeIniText(const std::vector<uint8_t>& bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return Utf16ToWide(units);
  }
  return AnsiToWide(std::string(bytes.begin(), bytes.end()));
}

IniFile ParseIni(const std::wstring& text) {
  IniFile file;
  IniSection* current = nullptr;  // null above the first header
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(L'\n', pos);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = TrimIniBlanks(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty()) continue;

    if (line[0] == L'[') {
      size_t close = line.rfind(L']');
      if (close != std::wstring::npos) {
        file.sections.push_back({TrimIniBlanks(CutAtNul(TrimIniBlanks(line.substr(1, close - 1)))), {}});
        current = &file.sections.back();
        continue;
      }
      // Without ']' the line is an ordinary key line.
    }
    if (current == nullptr) continue;

    IniKey key;
    size_t eq = line.find(L'=');
    if (eq == std::wstring::npos) {
      key.name = CutAtNul(line);
    } else {
      key.name = TrimIniBlanks(CutAtNul(TrimIniBlanks(line.substr(0, eq))));
      key.value = CutAtNul(TrimIniBlanks(line.substr(eq + 1)));
    }
    current->keys.push_back(std::move(key));
  }
  return file;
}

namespace {
// The first item whose name equals `name` (case and surrounding blanks ignored).
template <class Item>
const Item* FindNamed(const std::vector<Item>& items, const std::wstring& name) {
  std::wstring wanted = TrimIniBlanks(name);
  if (wanted.empty()) return nullptr;
  for (const Item& item : items) {
    if (EqualsNoCaseWide(item.name, wanted)) return &item;
  }
  return nullptr;
}
}  // namespace

const IniSection* FindSection(const IniFile& file, const std::wstring& name) {
  return FindNamed(file.sections, name);
}

const IniKey* FindKey(const IniSection& section, const std::wstring& name) {
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
    names.push_back(k.name);
  }
  return names;
}

}  // namespace zel::posix
