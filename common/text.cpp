#include "common/text.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

#ifdef _WIN32
#include <windows.h>
#else
#include <locale.h>
#include <wctype.h>
#endif

namespace zel {

namespace {

// Writes one code point at `out` and returns the place after it.
wchar_t* PutCodePoint(wchar_t* out, char32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      *out++ = static_cast<wchar_t>(0xD800 + (cp >> 10));
      *out++ = static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
      return out;
    }
  }
  *out++ = static_cast<wchar_t>(cp);
  return out;
}

}  // namespace

// Each byte gives at most one character, so the result is written into room
// for them all and cut to what was written.
std::wstring Utf8ToWide(std::string_view s) {
  std::wstring out(s.size(), L'\0');
  wchar_t* const first = out.data();
  wchar_t* put = first;
  const size_t size = s.size();
  for (size_t i = 0; i < size;) {
    // Runs of ASCII (most text) are widened eight bytes at a time.
    while (i + 8 <= size) {
      uint64_t block;
      std::memcpy(&block, s.data() + i, 8);
      if ((block & 0x8080808080808080ULL) != 0) break;
      for (size_t k = 0; k < 8; ++k) put[k] = static_cast<wchar_t>(static_cast<unsigned char>(s[i + k]));
      put += 8;
      i += 8;
    }
    if (i >= size) break;
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    size_t n;
    if (c < 0x80) { *put++ = static_cast<wchar_t>(c); ++i; continue; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; n = 2; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; n = 3; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; n = 4; }
    else { put = PutCodePoint(put, 0xFFFD); ++i; continue; }
    if (i + n > size) { put = PutCodePoint(put, 0xFFFD); break; }
    bool ok = true;
    for (size_t k = 1; k < n; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) { put = PutCodePoint(put, 0xFFFD); ++i; continue; }
    put = PutCodePoint(put, cp);
    i += n;
  }
  out.resize(static_cast<size_t>(put - first));
  return out;
}

namespace {

// The code point at s[i] (a surrogate pair where wchar_t has 16 bits),
// moving i past it.
char32_t NextCodePoint(std::wstring_view s, size_t& i) {
  char32_t cp = static_cast<char32_t>(s[i++]);
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0xD800 && cp < 0xDC00 && i < s.size()) {
      const char32_t lo = static_cast<char32_t>(s[i]);
      if (lo >= 0xDC00 && lo < 0xE000) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
        ++i;
      }
    }
  }
  return cp;
}

size_t Utf8Length(char32_t cp) { return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4; }

}  // namespace

void AppendUtf8(std::wstring_view s, std::string& out) {
  const size_t from = out.size();
  // Plain ASCII, the common case, is copied unit by unit.
  size_t ascii = 0;
  while (ascii < s.size() && static_cast<uint32_t>(s[ascii]) < 0x80) ++ascii;
  if (ascii == s.size()) {
    out.resize(from + s.size());
    char* put = out.data() + from;
    for (wchar_t c : s) *put++ = static_cast<char>(c);
    return;
  }
  // Otherwise measured first, then written straight into the string grown to that length.
  size_t length = 0;
  for (size_t i = 0; i < s.size();) length += Utf8Length(NextCodePoint(s, i));
  out.resize(from + length);
  char* put = out.data() + from;
  for (size_t i = 0; i < s.size();) {
    const char32_t cp = NextCodePoint(s, i);
    switch (Utf8Length(cp)) {
      case 1:
        *put++ = static_cast<char>(cp);
        break;
      case 2:
        *put++ = static_cast<char>(0xC0 | (cp >> 6));
        *put++ = static_cast<char>(0x80 | (cp & 0x3F));
        break;
      case 3:
        *put++ = static_cast<char>(0xE0 | (cp >> 12));
        *put++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *put++ = static_cast<char>(0x80 | (cp & 0x3F));
        break;
      default:
        *put++ = static_cast<char>(0xF0 | (cp >> 18));
        *put++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *put++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *put++ = static_cast<char>(0x80 | (cp & 0x3F));
        break;
    }
  }
}

std::string WideToUtf8(const std::wstring& s) {
  std::string out;
  AppendUtf8(s, out);
  return out;
}

#ifdef _WIN32
std::wstring AnsiToWide(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}
std::string WideToAnsi(const std::wstring& s) {
  if (s.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}
#else
std::wstring AnsiToWide(const std::string& s) { return Utf8ToWide(s); }
std::string WideToAnsi(const std::wstring& s) { return WideToUtf8(s); }
#endif

std::u16string WideToUtf16(const std::wstring& s) {
  std::u16string out;
  for (wchar_t w : s) {
    char32_t cp = static_cast<char32_t>(w);
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::wstring Utf16ToWide(const std::u16string& s) {
  std::wstring out;
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if constexpr (sizeof(wchar_t) == 4) {
      if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
        ++i;
      }
    }
    out.push_back(static_cast<wchar_t>(cp));
  }
  return out;
}

#ifndef _WIN32
namespace {
// towupper follows the process's LC_CTYPE, which is "C" (ASCII only) unless
// the program changes it. Case is folded with a locale object of our own
// instead, so that the rule does not depend on the environment and no global
// locale is touched: C.UTF-8 (built into the C library), else the first
// UTF-8 locale found; only when none can be had does folding stay ASCII.
locale_t FoldingLocale() {
  static const locale_t loc = [] {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      if (locale_t l = newlocale(LC_CTYPE_MASK, name, locale_t(0))) return l;
    }
    return locale_t(0);
  }();
  return loc;
}

// One character upper-cased. ASCII folds alike in every locale, and most
// text here is ASCII: the locale object is made only for the first
// character beyond it.
wchar_t UpperChar(wchar_t c) {
  if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - L'a' + L'A');
  if (static_cast<uint32_t>(c) >= 0x80) {
    if (locale_t loc = FoldingLocale()) return static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), loc));
  }
  return c;
}

bool IsAscii(const std::string& s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Upper-casing goes character by character, so texts of one length whose
// characters are ASCII or wide are compared so, without upper-cased copies.
template <class Ch>
bool SameCharsWithoutCase(std::basic_string_view<Ch> a, std::basic_string_view<Ch> b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    using Unit = std::make_unsigned_t<Ch>;
    if (UpperChar(static_cast<wchar_t>(static_cast<Unit>(a[i]))) != UpperChar(static_cast<wchar_t>(static_cast<Unit>(b[i])))) {
      return false;
    }
  }
  return true;
}
}  // namespace
#endif

std::wstring UpperWide(std::wstring s) {
#ifdef _WIN32
  if (!s.empty()) CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
#else
  for (auto& c : s) c = UpperChar(c);
#endif
  return s;
}

std::string UpperAnsi(std::string s) {
#ifdef _WIN32
  if (!s.empty()) CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
#else
  // 8-bit text is UTF-8 here: upper-case through the wide form.
  s = WideToUtf8(UpperWide(Utf8ToWide(s)));
#endif
  return s;
}

bool EqualsNoCaseWide(std::wstring_view a, std::wstring_view b) {
#ifdef _WIN32
  return a.size() == b.size() && UpperWide(std::wstring(a)) == UpperWide(std::wstring(b));
#else
  return SameCharsWithoutCase(a, b);
#endif
}

bool EqualsNoCaseAnsi(const std::string& a, const std::string& b) {
#ifndef _WIN32
  // 8-bit text is UTF-8 here; ASCII keeps its length when upper-cased.
  if (IsAscii(a) && IsAscii(b)) return SameCharsWithoutCase<char>(a, b);
#endif
  return UpperAnsi(a) == UpperAnsi(b);
}

}  // namespace zel
