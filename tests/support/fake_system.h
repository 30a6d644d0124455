// A system port whose answers are fields a test sets: the default language,
// the clock, the version, the names and a working directory that keeps every
// change asked of it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ports/platform.h"

namespace zel::test {

class FakeSystem final : public SystemPort {
 public:
  uint16_t language = 0x0409;
  uint32_t tick = 0x12345678;
  OsVersion version{5, 1, 2600};
  std::wstring computerName = L"TEST";
  std::wstring modulePath;
  std::wstring currentDirectory;
  bool directoryChangesWork = false;            // otherwise every change fails
  std::vector<std::wstring> directoryChanges;  // every change asked for

  uint16_t DefaultLanguage() override { return language; }
  uint32_t TickCount() override { return tick; }
  OsVersion Version() override { return version; }
  std::wstring ComputerName() override { return computerName; }
  std::wstring ModulePath() override { return modulePath; }
  std::wstring CurrentDirectory() override { return currentDirectory; }
  bool ChangeDirectory(const std::wstring& dir) override {
    directoryChanges.push_back(dir);
    if (!directoryChangesWork) return false;
    currentDirectory = dir;
    return true;
  }
  void Sleep(uint32_t) override {}
};

}  // namespace zel::test
