// The system port on Windows.
#pragma once
#include "ports/system_port.h"

namespace zel::win32 {

class Win32System final : public SystemPort {
 public:
  uint16_t DefaultLanguage() override;
  uint32_t TickCount() override;
  OsVersion Version() override;
  std::wstring ComputerName() override;
  std::wstring ModulePath() override;
  std::wstring CurrentDirectory() override;
  bool ChangeDirectory(const std::wstring& dir) override;
  void Sleep(uint32_t ms) override;
};

}  // namespace zel::win32
