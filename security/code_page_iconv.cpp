// Code-page conversions with the C library's iconv (Linux).
#include <iconv.h>

#include <cerrno>
#include <string>
#include <vector>

#include "security/code_page.h"

namespace zel {
namespace {

unsigned g_codePage = kDefaultLinuxCodePage;

std::string IconvName(unsigned codePage) { return "CP" + std::to_string(codePage); }

// Converts all of `in` or nothing: false on a character or byte sequence the
// target cannot take.
bool Convert(const std::string& to, const std::string& from, const char* in, size_t inBytes,
             std::string& out) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::vector<char> buffer(inBytes * 4 + 16);
  char* src = const_cast<char*>(in);
  char* dst = buffer.data();
  size_t left = inBytes, room = buffer.size();
  bool ok = iconv(cd, &src, &left, &dst, &room) != static_cast<size_t>(-1) && left == 0;
  // Flush any shift state; stateless code pages write nothing here.
  ok = ok && iconv(cd, nullptr, nullptr, &dst, &room) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (ok) out.assign(buffer.data(), static_cast<size_t>(dst - buffer.data()));
  return ok;
}

}  // namespace

bool SelectCodePage(unsigned codePage) {
  iconv_t cd = iconv_open(IconvName(codePage).c_str(), "WCHAR_T");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  g_codePage = codePage;
  return true;
}

unsigned SelectedCodePage() { return g_codePage; }

bool WideToCodePage(const std::wstring& text, std::string& bytes) {
  return Convert(IconvName(g_codePage), "WCHAR_T", reinterpret_cast<const char*>(text.data()),
                 text.size() * sizeof(wchar_t), bytes);
}

bool CodePageToWide(const std::string& bytes, std::wstring& text) {
  std::string raw;
  if (!Convert("WCHAR_T", IconvName(g_codePage), bytes.data(), bytes.size(), raw)) return false;
  text.assign(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / sizeof(wchar_t));
  return true;
}

}  // namespace zel
