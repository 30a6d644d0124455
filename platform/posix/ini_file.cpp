#include "platform/posix/ini_file.h"

#include <string_view>

#include "common/text.h"

namespace zel::posix {

bool IsIniBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' ||
         c == 0x1A;
}

namespace {

// A stretch [begin, end) of the text being parsed: lines, names and values
// are cut from the text as stretches and copied out once.
struct Stretch {
  size_t begin, end;
};

Stretch Trimmed(const std::wstring& text, Stretch s) {
  while (s.begin < s.end && IsIniBlank(text[s.begin])) ++s.begin;
  while (s.end > s.begin && IsIniBlank(text[s.end - 1])) --s.end;
  return s;
}

// Names and values are C strings to the system: text after a NUL is lost.
Stretch CutAtNul(const std::wstring& text, Stretch s) {
  const size_t nul = std::wstring_view(text).substr(s.begin, s.end - s.begin).find(L'\0');
  return nul == std::wstring_view::npos ? s : Stretch{s.begin, s.begin + nul};
}

std::wstring_view View(const std::wstring& text, Stretch s) {
  return std::wstring_view(text).substr(s.begin, s.end - s.begin);
}

std::wstring Copy(const std::wstring& text, Stretch s) { return std::wstring(View(text, s)); }

}  // namespace

std::wstring TrimIniBlanks(const std::wstring& s) { return Copy(s, Trimmed(s, {0, s.size()})); }

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
  // The lines are cut first, then each section is made with room for all of
  // its keys, so that no key is moved as a section grows.
  struct Line {
    Stretch name, value;
    bool header = false, hasValue = false;
  };
  std::vector<Line> lines;
  size_t sections = 0;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find(L'\n', pos);
    if (end == std::wstring::npos) end = text.size();
    const Stretch line = Trimmed(text, {pos, end});
    pos = end + 1;
    if (line.begin == line.end) continue;

    if (text[line.begin] == L'[') {
      const size_t close = View(text, line).rfind(L']');
      if (close != std::wstring_view::npos) {
        lines.push_back({Trimmed(text, CutAtNul(text, Trimmed(text, {line.begin + 1, line.begin + close}))), {}, true});
        ++sections;
        continue;
      }
      // Without ']' the line is an ordinary key line.
    }
    if (sections == 0) continue;  // above the first header

    const size_t found = View(text, line).find(L'=');
    if (found == std::wstring_view::npos) {
      lines.push_back({CutAtNul(text, line), {}});
    } else {
      lines.push_back({Trimmed(text, CutAtNul(text, Trimmed(text, {line.begin, line.begin + found}))),
                       CutAtNul(text, Trimmed(text, {line.begin + found + 1, line.end})), false, true});
    }
  }

  IniFile file;
  file.sections.reserve(sections);
  for (size_t at = 0; at < lines.size();) {
    size_t next = at + 1;  // `at` is a header; its keys run to the next one
    while (next < lines.size() && !lines[next].header) ++next;
    IniSection& section = file.sections.emplace_back();
    section.name = Copy(text, lines[at].name);
    section.keys.reserve(next - at - 1);
    for (size_t i = at + 1; i < next; ++i) {
      IniKey& key = section.keys.emplace_back();
      key.name = Copy(text, lines[i].name);
      if (lines[i].hasValue) key.value = Copy(text, lines[i].value);
    }
    at = next;
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
