// The profile port on POSIX systems: INI files read by our own reader, with
// the buffer and result rules of the system's profile functions.
//
// Paths are host paths (UTF-8 in the 8-bit form). The 8-bit form works on
// the text converted to UTF-8, the system code page here; when a value does
// not fit, it is cut at a whole character, the rest of the buffer is zeroed
// and size - 1 is returned as the system returns it for a cut value, so a
// cut text is always recognisable by its count.
#pragma once
#include <string_view>

#include "ports/profile_port.h"

namespace zel::posix {

class PosixProfile final : public ProfilePort {
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
  void BeginLookup() override;
  void EndLookup() override;
  // The parsed file itself, which is kept while the file stands unchanged.
  std::shared_ptr<const void> FileVersionW(const std::wstring& path) override;
  std::shared_ptr<const void> FileVersionA(const std::string& path) override;
};

// The integer rule of GetPrivateProfileInt applied to a value read as text:
// leading blanks, an optional sign, an optional base prefix (0x, 0o, 0b),
// then digits up to the first other character; the value wraps modulo 2^32.
// Text without leading digits gives 0.
int32_t ParseProfileInt(std::wstring_view text);

}  // namespace zel::posix
