#include "common/texts.h"

#include <memory>
#include <mutex>

#include "common/app_paths.h"
#include "common/language_file.h"
#include "common/text.h"
#include "ports/platform.h"
#include "ports/profile_port.h"

namespace zel {
namespace {

std::wstring LanguagePath(const wchar_t*) { return ProcessPaths().languageFile; }
std::string LanguagePath(const char*) { return WideToAnsi(ProcessPaths().languageFile); }

std::shared_ptr<const void> VersionOf(ProfilePort& port, const std::wstring& path) { return port.FileVersionW(path); }
std::shared_ptr<const void> VersionOf(ProfilePort& port, const std::string& path) { return port.FileVersionA(path); }

// The language file as last opened: which entry the system's language
// resolves to depends on nothing else, so while the file stands as it was
// (and the language is the same) the entry is not resolved again.
template <class Ch>
struct Resolved {
  std::basic_string<Ch> path;
  uint16_t systemLanguage = 0;
  std::shared_ptr<const void> version;
  std::shared_ptr<const LanguageFile<Ch>> file;
};

template <class Ch>
std::shared_ptr<const LanguageFile<Ch>> OpenLanguageFile(const std::basic_string<Ch>& path) {
  static std::mutex mutex;
  static Resolved<Ch> last;
  ProfilePort* port = Ports().profile;
  const std::shared_ptr<const void> version = port ? VersionOf(*port, path) : nullptr;
  const uint16_t language = Ports().system ? Ports().system->DefaultLanguage() : kDefaultLanguageId;
  if (version) {
    std::lock_guard<std::mutex> lock(mutex);
    if (last.version == version && last.path == path && last.systemLanguage == language) return last.file;
  }
  auto file = std::make_shared<const LanguageFile<Ch>>(LanguageFile<Ch>::Open(path));
  if (version) {
    std::lock_guard<std::mutex> lock(mutex);
    last = Resolved<Ch>{path, language, version, file};
  }
  return file;
}

// Every lookup looks at the language file afresh, and sees one version of it.
template <class Ch>
bool Find(const Ch* key, std::basic_string<Ch>& out) {
  out.clear();
  if (key == nullptr) return false;
  ProfileLookup lookup(Ports().profile);
  return OpenLanguageFile(LanguagePath(key))->Lookup(key, out);
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
