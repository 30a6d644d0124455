#include "common/app_paths.h"

namespace zel {

AppPaths& ProcessPaths() {
  static AppPaths paths;
  return paths;
}

AppPaths FormAppPaths(const std::wstring& modulePath, const std::wstring& languageFileName) {
#ifdef _WIN32
  const std::wstring separator = L"\\";
#else
  const std::wstring separator = L"/";
#endif
  AppPaths paths;
  size_t cut = modulePath.find_last_of(L"\\/");
  paths.programDirectory = cut == std::wstring::npos ? std::wstring() : modulePath.substr(0, cut);
  paths.configFile = paths.programDirectory + separator + L"config.ini";
  paths.languageFile = paths.programDirectory + separator + languageFileName;
  return paths;
}

}  // namespace zel
