// Facts about the running system that the portable rules ask for.
#pragma once
#include <cstdint>
#include <string>

namespace zel {

struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};

class SystemPort {
 public:
  virtual ~SystemPort() = default;
  // The system default language identifier (GetSystemDefaultLangID).
  virtual uint16_t DefaultLanguage() = 0;
  // Milliseconds since start-up (GetTickCount).
  virtual uint32_t TickCount() = 0;
  // The version as GetVersionEx reports it.
  virtual OsVersion Version() = 0;
  // The computer's name, or empty when it cannot be read.
  virtual std::wstring ComputerName() = 0;
  // Full path of the running executable.
  virtual std::wstring ModulePath() = 0;
  virtual std::wstring CurrentDirectory() = 0;
  // Makes `dir` the current directory (SetCurrentDirectory); false on failure.
  // Not named after the system function: <windows.h> makes that name a macro.
  virtual bool ChangeDirectory(const std::wstring& dir) = 0;
  virtual void Sleep(uint32_t ms) = 0;
};

}  // namespace zel
