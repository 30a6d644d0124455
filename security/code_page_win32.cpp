// Code-page conversions with the system's own functions (Windows).
#include <windows.h>

#include "security/code_page.h"

namespace zel {
namespace {

unsigned g_codePage = CP_ACP;

}  // namespace

bool SelectCodePage(unsigned codePage) {
  if (codePage != CP_ACP && !IsValidCodePage(codePage)) return false;
  g_codePage = codePage;
  return true;
}

unsigned SelectedCodePage() { return g_codePage; }

bool WideToCodePage(const std::wstring& text, std::string& bytes) {
  bytes.clear();
  if (text.empty()) return true;
  const int n = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(g_codePage, WC_NO_BEST_FIT_CHARS, text.data(), n, nullptr, 0, nullptr,
                                       &usedDefault);
  if (size <= 0 || usedDefault) return false;
  bytes.resize(static_cast<size_t>(size));
  return WideCharToMultiByte(g_codePage, WC_NO_BEST_FIT_CHARS, text.data(), n, bytes.data(), size, nullptr,
                             &usedDefault) == size &&
         !usedDefault;
}

bool CodePageToWide(const std::string& bytes, std::wstring& text) {
  text.clear();
  if (bytes.empty()) return true;
  const int n = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(g_codePage, MB_ERR_INVALID_CHARS, bytes.data(), n, nullptr, 0);
  if (size <= 0) return false;
  text.resize(static_cast<size_t>(size));
  return MultiByteToWideChar(g_codePage, MB_ERR_INVALID_CHARS, bytes.data(), n, text.data(), size) == size;
}

}  // namespace zel
