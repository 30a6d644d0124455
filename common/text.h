// Conversions between the suite's text forms. Wide text is std::wstring
// (UTF-16 on Windows); 8-bit text is the system code page on Windows and
// UTF-8 elsewhere. Fixed layouts store UTF-16LE, encoded explicitly.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

std::wstring Utf8ToWide(std::string_view s);
std::string WideToUtf8(const std::wstring& s);
// The UTF-8 form of `s` added to the end of `out`.
void AppendUtf8(std::wstring_view s, std::string& out);
// The 8-bit system code page (CP_ACP on Windows, UTF-8 elsewhere).
std::wstring AnsiToWide(const std::string& s);
std::string WideToAnsi(const std::wstring& s);

// UTF-16 code units of `s` (wchar_t values above 0xFFFF become surrogate pairs).
std::u16string WideToUtf16(const std::wstring& s);
std::wstring Utf16ToWide(const std::u16string& s);

// Case mapping and comparison that ignore case the way the system's
// case-insensitive comparisons do for the texts this suite handles.
std::wstring UpperWide(std::wstring s);
std::string UpperAnsi(std::string s);
bool EqualsNoCaseWide(std::wstring_view a, std::wstring_view b);
bool EqualsNoCaseAnsi(const std::string& a, const std::string& b);

}  // namespace zel
