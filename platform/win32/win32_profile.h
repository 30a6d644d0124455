// The profile port on Windows: the system's profile functions themselves.
#pragma once
#include "ports/profile_port.h"

namespace zel::win32 {

class Win32Profile final : public ProfilePort {
 public:
  uint32_t GetStringW(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                      const wchar_t* def, wchar_t* buf, uint32_t size) override;
  uint32_t GetStringA(const std::string& file, const char* section, const char* key,
                      const char* def, char* buf, uint32_t size) override;
  int32_t GetIntW(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                  int32_t def) override;
  int32_t GetIntA(const std::string& file, const char* section, const char* key,
                  int32_t def) override;
  bool FileExistsW(const std::wstring& path) override;
  bool FileExistsA(const std::string& path) override;
};

}  // namespace zel::win32
