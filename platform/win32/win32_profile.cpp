#include "platform/win32/win32_profile.h"

#include <windows.h>

namespace zel::win32 {

uint32_t Win32Profile::GetStringW(const std::wstring& file, const wchar_t* section,
                                  const wchar_t* key, const wchar_t* def, wchar_t* buf,
                                  uint32_t size) {
  return GetPrivateProfileStringW(section, key, def, buf, size, file.c_str());
}

uint32_t Win32Profile::GetStringA(const std::string& file, const char* section, const char* key,
                                  const char* def, char* buf, uint32_t size) {
  return GetPrivateProfileStringA(section, key, def, buf, size, file.c_str());
}

int32_t Win32Profile::GetIntW(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                              int32_t def) {
  return static_cast<int32_t>(GetPrivateProfileIntW(section, key, def, file.c_str()));
}

int32_t Win32Profile::GetIntA(const std::string& file, const char* section, const char* key,
                              int32_t def) {
  return static_cast<int32_t>(GetPrivateProfileIntA(section, key, def, file.c_str()));
}

bool Win32Profile::FileExistsW(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Profile::FileExistsA(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace zel::win32
