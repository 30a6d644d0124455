// The name under which a file's new contents are written beside it until they
// are whole, and under which a new directory is filled until its files are in.
// It is an 8.3 name ("~zel1A2B.tmp"), so that it fits wherever a short file
// name fits. A file or directory left under such a name by a run that was
// killed is never taken for a copy, and a later run removes it.
#pragma once
#include <cstdint>
#include <string>

namespace zel {

inline constexpr size_t kPartialNameLength = 12;

// One of the 65536 partial names, picked by the low 16 bits of `number`,
// added to the end of `out` (wide or 8-bit: the name is ASCII).
template <class Ch>
void AppendPartialName(uint32_t number, std::basic_string<Ch>& out) {
  static const char kHex[] = "0123456789ABCDEF";
  for (char c : {'~', 'z', 'e', 'l'}) out += static_cast<Ch>(c);
  for (int shift = 12; shift >= 0; shift -= 4) out += static_cast<Ch>(kHex[(number >> shift) & 0xF]);
  for (char c : {'.', 't', 'm', 'p'}) out += static_cast<Ch>(c);
}

inline std::wstring PartialName(uint32_t number) {
  std::wstring name;
  name.reserve(kPartialNameLength);
  AppendPartialName(number, name);
  return name;
}

// Whether a file name (no directory) is one of ours, in any case.
inline bool IsPartialName(const std::wstring& name) {
  if (name.size() != kPartialNameLength) return false;
  auto lower = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
  static const wchar_t kHead[] = L"~zel";
  static const wchar_t kTail[] = L".tmp";
  for (size_t i = 0; i < 4; ++i) {
    if (lower(name[i]) != kHead[i] || lower(name[8 + i]) != kTail[i]) return false;
  }
  for (size_t i = 4; i < 8; ++i) {
    const wchar_t c = lower(name[i]);
    if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
  }
  return true;
}

}  // namespace zel
