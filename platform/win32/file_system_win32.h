// The file-system port on Windows: the system's own file functions.
#pragma once
#include "ports/file_system_port.h"

namespace zel {

class Win32FileSystem : public FileSystemPort {
 public:
  std::unique_ptr<FindHandle> FindFirst(const std::wstring& pattern, FindData& first, long& error,
                                        FindAttributes wanted,
                                        DotEntries dots = DotEntries::kListed) override;
  uint32_t GetAttributes(const std::wstring& path) override;
  long SetAttributes(const std::wstring& path, uint32_t attributes) override;
  long CopyFile(const std::wstring& from, const std::wstring& to, bool failIfExists,
                TargetName naming = TargetName::kWhenWhole) override;
  long CreateDirectory(const std::wstring& path) override;
  long MoveDirectory(const std::wstring& from, const std::wstring& to) override;
  long RemoveTree(const std::wstring& path) override;
  long ReadFile(const std::wstring& path, uint64_t maxBytes, std::vector<uint8_t>& out) override;
  long WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes) override;
  long DeleteFile(const std::wstring& path) override;
  long SetLastWriteTime(const std::wstring& path, uint64_t fileTime) override;
};

}  // namespace zel
