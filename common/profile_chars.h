// The copy utility reads its texts with wide strings and the wide profile
// functions, the security and power tools with 8-bit strings and the 8-bit
// ones. The reading rules are written once over the character type;
// ProfileChars<Ch> names what differs between the two forms.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "common/text.h"
#include "ports/platform.h"

namespace zel {

template <class Ch>
struct ProfileChars;

template <>
struct ProfileChars<wchar_t> {
  using String = std::wstring;
  static uint32_t Get(ProfilePort& p, const String& file, const wchar_t* section,
                      const wchar_t* key, const wchar_t* def, wchar_t* buf, uint32_t size) {
    return p.GetStringW(file, section, key, def, buf, size);
  }
  static int32_t GetInt(ProfilePort& p, const String& file, const wchar_t* section,
                        const wchar_t* key, int32_t def) {
    return p.GetIntW(file, section, key, def);
  }
  static bool Exists(ProfilePort& p, const String& path) { return p.FileExistsW(path); }
  static String Upper(const String& s) { return UpperWide(s); }
  static bool EqualsNoCase(const String& a, const String& b) { return EqualsNoCaseWide(a, b); }
  static String FromAscii(const std::string& s) { return String(s.begin(), s.end()); }
  static String FromWide(const std::wstring& s) { return s; }
};

template <>
struct ProfileChars<char> {
  using String = std::string;
  static uint32_t Get(ProfilePort& p, const String& file, const char* section, const char* key,
                      const char* def, char* buf, uint32_t size) {
    return p.GetStringA(file, section, key, def, buf, size);
  }
  static int32_t GetInt(ProfilePort& p, const String& file, const char* section, const char* key,
                        int32_t def) {
    return p.GetIntA(file, section, key, def);
  }
  static bool Exists(ProfilePort& p, const String& path) { return p.FileExistsA(path); }
  static String Upper(const String& s) { return UpperAnsi(s); }
  static bool EqualsNoCase(const String& a, const String& b) { return EqualsNoCaseAnsi(a, b); }
  static String FromAscii(const std::string& s) { return s; }
  static String FromWide(const std::wstring& s) { return WideToAnsi(s); }
};

// printf-style formatting of ASCII-only texts ("Bad%08X", "%.2X") into
// either form.
template <class Ch, class... Args>
std::basic_string<Ch> FormatAscii(const char* format, Args... args) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, format, args...);
  if (n < 0) n = 0;
  if (n >= static_cast<int>(sizeof buf)) n = static_cast<int>(sizeof buf) - 1;
  return ProfileChars<Ch>::FromAscii(std::string(buf, static_cast<size_t>(n)));
}

}  // namespace zel
