// Files and directories, addressed by Windows-form paths ("E:\\Backup\\a.txt").
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zel {

// File attributes as the system numbers them.
enum : uint32_t {
  kAttrReadOnly = 0x01, kAttrHidden = 0x02, kAttrSystem = 0x04, kAttrDirectory = 0x10,
  kAttrArchive = 0x20, kAttrNormal = 0x80, kInvalidAttributes = 0xFFFFFFFF
};

// System error codes the rules look at.
enum : long {
  kErrorSuccess = 0, kErrorFileNotFound = 2, kErrorPathNotFound = 3, kErrorAccessDenied = 5,
  kErrorNoMoreFiles = 18, kErrorHandleDiskFull = 39, kErrorFileExists = 80, kErrorDiskFull = 112,
  kErrorAlreadyExists = 183
};

// One directory entry, as FindFirstFile/FindNextFile report it. Times are
// FILETIMEs: 100-nanosecond units since 1 January 1601 (UTC).
struct FindData {
  uint32_t attributes = 0;
  uint64_t creationTime = 0;
  uint64_t lastAccessTime = 0;
  uint64_t lastWriteTime = 0;
  uint64_t size = 0;
  std::wstring name;
};

// An open enumeration; closed when the object goes away.
class FindHandle {
 public:
  virtual ~FindHandle() = default;
  // 0 with the next entry, kErrorNoMoreFiles at the end, or another error.
  virtual long Next(FindData& out) = 0;
};

class FileSystemPort {
 public:
  virtual ~FileSystemPort() = default;
  // Pattern such as "E:\\Backup\\*". Null with `error` set when nothing matches
  // or the directory cannot be read; otherwise the first entry is in `first`.
  virtual std::unique_ptr<FindHandle> FindFirst(const std::wstring& pattern, FindData& first,
                                                long& error) = 0;
  virtual uint32_t GetAttributes(const std::wstring& path) = 0;  // kInvalidAttributes when missing
  virtual long SetAttributes(const std::wstring& path, uint32_t attributes) = 0;
  // Copies one file with its attributes and last-write time, replacing an
  // existing target unless failIfExists. 0 or a system error code (112 when the
  // target disk is full); a failed copy never changes the source.
  virtual long CopyFile(const std::wstring& from, const std::wstring& to, bool failIfExists) = 0;
  virtual long CreateDirectory(const std::wstring& path) = 0;  // 183 when it exists
  virtual long ReadFile(const std::wstring& path, uint64_t maxBytes, std::vector<uint8_t>& out) = 0;
  // Creates or truncates the file and writes all bytes.
  virtual long WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes) = 0;
  virtual long DeleteFile(const std::wstring& path) = 0;
};

}  // namespace zel
