// Placeholder until the language lookup lands: every key is reported missing,
// so the call sites' English defaults show.
#include "common/texts.h"

#include "common/app_paths.h"

namespace zel {

AppPaths& ProcessPaths() {
  static AppPaths paths;
  return paths;
}

bool FindTextW(const wchar_t*, std::wstring&) { return false; }
bool FindTextA(const char*, std::string&) { return false; }
std::wstring TextW(const wchar_t*, const wchar_t* def) { return def; }
std::string TextA(const char*, const char* def) { return def; }
std::wstring TextWithTailW(const wchar_t*, const wchar_t*, const wchar_t* def) { return def; }
std::string TextWithTailA(const char*, const char*, const char* def) { return def; }

}  // namespace zel
