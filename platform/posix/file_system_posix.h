// The file-system port on a POSIX host. Drive letters are mapped to host
// directories the way Wine's dosdevices are ("E:\\a\\b" is <dir of E>/a/b);
// relative paths are taken against the process's current directory and a
// path that starts with a separator is a host path.
//
// Attributes: read-only is the absence of every write permission bit; hidden
// and system live in the extended attribute "user.DOSATTRIB" as the text
// "0x%x", where Wine and Samba keep them, so a file hidden by the Windows
// build under Wine is hidden here too and the reverse. Files are always
// archive, as Wine shows them. A copy carries the attribute along; a host file
// system without user extended attributes cannot keep hidden (SetAttributes
// then answers 50).
// Last-write times are the host's modification times at 100 ns resolution.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "ports/file_system_port.h"

namespace zel {

class PosixFileSystem : public FileSystemPort {
 public:
  // Upper-case letter -> host directory.
  explicit PosixFileSystem(std::map<wchar_t, std::string> drives = {});

  // The host path of a Windows-form path; false for an unmapped drive.
  bool HostPath(const std::wstring& path, std::string& out) const;

  // A full volume for tests: from now on at most `bytes` more may be written
  // to the drive (replaced files give their space back). Writes past it fail
  // with 112 the way a full disk does, part of the file already written.
  void SetFreeSpaceLimit(wchar_t letter, uint64_t bytes);
  // The same with the free space worked out by `freeBytes` when a write to
  // the drive first needs it: counting a volume's files takes a while, and a
  // run that only reads the drive never needs them.
  void SetFreeSpaceLimit(wchar_t letter, std::function<uint64_t()> freeBytes);

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
  std::wstring Location(const std::wstring& path) override;

 private:
  struct FreeSpace {
    std::function<uint64_t()> count;  // until the first write needs the bytes
    uint64_t bytes = 0;
  };

  // The drive letter a path is on, or 0.
  static wchar_t DriveOf(const std::wstring& path);
  // The free bytes left on the drive of `path`, null when it is not limited.
  // limitsMutex_ is held whenever they are read or changed.
  uint64_t* FreeBytesOf(const std::wstring& path);
  // Bytes removed from the drive of `path` are free again.
  void GiveBack(const std::wstring& path, uint64_t bytes);

  std::map<wchar_t, std::string> drives_;
  std::mutex limitsMutex_;
  std::map<wchar_t, FreeSpace> freeLimits_;
};

}  // namespace zel
