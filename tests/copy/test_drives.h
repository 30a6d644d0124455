// Real files for the copy tests, on two drive letters. Natively the POSIX
// adapter maps M: and N: to fresh temporary directories; under Wine the
// letters are mapped by the test runner (ZEL_WINE_DRIVES) and emptied here.
// The process's current directory is a fresh directory too, for task files.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ports/file_system_port.h"

namespace zel::test {

class TestDrives {
 public:
  TestDrives();
  ~TestDrives();
  // False when the drive letters are not there (a Wine run without the mapping).
  bool Ready() const { return ready_; }
  FileSystemPort& Files() { return *files_; }
  // Host file system adapter with a free-space limit on N:; false where the
  // build has none (the Windows build).
  bool LimitFreeSpace(uint64_t bytes);

  // Helpers over the port; each fails the test on an error.
  void Dir(const std::wstring& path);
  void File(const std::wstring& path, const std::string& contents, uint64_t lastWriteTime = 0);
  std::string Read(const std::wstring& path);
  bool Exists(const std::wstring& path);
  uint32_t Attributes(const std::wstring& path);
  uint64_t LastWriteTime(const std::wstring& path);
  // Names of a directory's entries without "." and "..", sorted.
  std::vector<std::wstring> List(const std::wstring& dir);

 private:
  std::unique_ptr<FileSystemPort> files_;
  std::filesystem::path work_;
  std::filesystem::path previousCwd_;
  bool ready_ = true;
};

// A file time in 2020 plus `seconds`.
uint64_t TimeAt(int64_t seconds);

}  // namespace zel::test
