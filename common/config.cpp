#include "common/config.h"

#include <vector>

#include "common/app_paths.h"
#include "common/profile_chars.h"

namespace zel {
namespace {

template <class Ch>
int32_t IntFrom(const std::basic_string<Ch>& file, const Ch* section, const Ch* key, int32_t def) {
  ProfilePort* port = Ports().profile;
  if (port == nullptr) return def;
  return ProfileChars<Ch>::GetInt(*port, file, section, key, def);
}

template <class Ch>
std::basic_string<Ch> StringFrom(const std::basic_string<Ch>& file, const Ch* section,
                                 const Ch* key, const Ch* def, uint32_t capacity) {
  ProfilePort* port = Ports().profile;
  if (port == nullptr || capacity == 0) {
    std::basic_string<Ch> d = def ? def : std::basic_string<Ch>();
    return capacity == 0 ? std::basic_string<Ch>() : d.substr(0, capacity - 1);
  }
  std::vector<Ch> buf(capacity, Ch(0));
  uint32_t n = ProfileChars<Ch>::Get(*port, file, section, key, def, buf.data(), capacity);
  if (n >= capacity) n = capacity - 1;
  // The count of a cut 8-bit text may reach past a zeroed tail: stop at the terminator.
  return std::basic_string<Ch>(buf.data(), n).c_str();
}

std::string ConfigFileA() { return WideToAnsi(ProcessPaths().configFile); }

}  // namespace

int32_t ReadInt(const wchar_t* section, const wchar_t* key, int32_t def) {
  return IntFrom(ProcessPaths().configFile, section, key, def);
}
int32_t ReadInt(const char* section, const char* key, int32_t def) {
  return IntFrom(ConfigFileA(), section, key, def);
}
std::wstring ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* def,
                        uint32_t capacity) {
  return StringFrom(ProcessPaths().configFile, section, key, def, capacity);
}
std::string ReadString(const char* section, const char* key, const char* def, uint32_t capacity) {
  return StringFrom(ConfigFileA(), section, key, def, capacity);
}

int32_t ReadInt(const std::wstring& file, const wchar_t* section, const wchar_t* key, int32_t def) {
  return IntFrom(file, section, key, def);
}
int32_t ReadInt(const std::string& file, const char* section, const char* key, int32_t def) {
  return IntFrom(file, section, key, def);
}
std::wstring ReadString(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                        const wchar_t* def, uint32_t capacity) {
  return StringFrom(file, section, key, def, capacity);
}
std::string ReadString(const std::string& file, const char* section, const char* key,
                       const char* def, uint32_t capacity) {
  return StringFrom(file, section, key, def, capacity);
}

}  // namespace zel
