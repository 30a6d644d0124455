// An INI file as the system's profile functions see it: decoded text split
// into sections and keys, kept in file order with duplicates, so that the
// lookups can apply the first-occurrence rule themselves.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::posix {

// Names and values are views of the file's decoded text, which the file
// holds: they stay valid while any copy of the file is kept.
struct IniKey {
  std::wstring_view name;
  // The text after '=' (blanks dropped at both ends); absent on a line
  // without '=', which is neither listed nor found.
  std::optional<std::wstring_view> value;
};

struct IniSection {
  std::wstring_view name;
  std::vector<IniKey> keys;
};

struct IniFile {
  std::shared_ptr<const std::wstring> text;
  // Keys above the first section header sit in a nameless section that no
  // lookup reaches; it is not stored.
  std::vector<IniSection> sections;
};

// Decodes the file's bytes: a UTF-16LE byte-order mark selects UTF-16LE,
// anything else is 8-bit text in the system code page (UTF-8 here). Like the
// system, a UTF-8 or UTF-16BE mark is not recognised: it stays part of the
// first line.
std::wstring DecodeIniText(const std::vector<uint8_t>& bytes);

// Splits decoded text into sections and keys. Lines end at '\n'; a '\r'
// counts as a blank. A line whose first character is '[' and that holds a
// ']' opens a section named by the text between them.
IniFile ParseIni(std::wstring text);

// The first section whose name equals `name` without regard to case and to
// surrounding blanks; null when there is none or `name` is empty.
const IniSection* FindSection(const IniFile& file, std::wstring_view name);

// The first key of `section` whose name equals `name` (case and surrounding
// blanks ignored); null when there is none or `name` is empty.
const IniKey* FindKey(const IniSection& section, std::wstring_view name);

// The names the key-list form reports: keys with '=' and a name, without
// comment lines (first character ';'), in file order.
std::vector<std::wstring> ListedKeyNames(const IniSection& section);

// Blanks as the profile functions trim them: space, tab, CR, LF, VT, FF and
// the DOS end-of-file mark 0x1A.
bool IsIniBlank(wchar_t c);
std::wstring_view TrimIniBlanks(std::wstring_view s);

}  // namespace zel::posix
