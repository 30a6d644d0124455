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

// Which of the system's two device routes the process takes: the Windows 98
// family reaches disks through ASPI, the NT family through pass-through
// requests to interface paths. Decided once at start-up and kept in the
// port table.
enum class SystemFamily : uint8_t { Undecided, Win98, Nt, Unsupported };

// Windows 98 and Me (4.10, 4.90) are the 98 family; every version 5 or 6 is
// the NT family (current systems report 6.2 to programs that do not declare
// them); everything else is unsupported.
SystemFamily ClassifySystem(const OsVersion& version);

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
