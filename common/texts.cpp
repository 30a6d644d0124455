#include "common/texts.h"

#include "common/app_paths.h"
#include "common/language_file.h"
#include "common/text.h"
#include "ports/platform.h"
#include "ports/profile_port.h"

namespace zel {
namespace {

std::wstring LanguagePath(const wchar_t*) { return ProcessPaths().languageFile; }
std::string LanguagePath(const char*) { return WideToAnsi(ProcessPaths().languageFile); }

// Every lookup opens the language file afresh, and sees one version of it.
template <class Ch>
bool Find(const Ch* key, std::basic_string<Ch>& out) {
  out.clear();
  if (key == nullptr) return false;
  ProfileLookup lookup(Ports().profile);
  return LanguageFile<Ch>::Open(LanguagePath(key)).Lookup(key, out);
}

template <class Ch>
std::basic_string<Ch> Text(const Ch* key, const Ch* tail, const Ch* def) {
  std::basic_string<Ch> text;
  if (Find(key, text)) return tail ? text + tail : text;
  return def ? def : std::basic_string<Ch>();
}

}  // namespace

bool FindTextW(const wchar_t* key, std::wstring& out) { return Find(key, out); }
bool FindTextA(const char* key, std::string& out) { return Find(key, out); }

std::wstring TextW(const wchar_t* key, const wchar_t* def) {
  return Text<wchar_t>(key, nullptr, def);
}
std::string TextA(const char* key, const char* def) { return Text<char>(key, nullptr, def); }

std::wstring TextWithTailW(const wchar_t* key, const wchar_t* tail, const wchar_t* def) {
  return Text(key, tail, def);
}
std::string TextWithTailA(const char* key, const char* tail, const char* def) {
  return Text(key, tail, def);
}

}  // namespace zel
