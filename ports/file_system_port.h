// Files and directories, addressed by Windows-form paths ("E:\\Backup\\a.txt")
// or by paths relative to the process's current directory ("Disk1A2B.CT").
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ports/system_errors.h"

// <windows.h> makes these names macros of its narrow and wide functions; the
// port's methods are our own. Include it before this header where both are needed.
#undef CopyFile
#undef CreateDirectory
#undef DeleteFile

namespace zel {

// File attributes as the system numbers them.
enum : uint32_t {
  kAttrReadOnly = 0x01, kAttrHidden = 0x02, kAttrSystem = 0x04, kAttrDirectory = 0x10,
  kAttrArchive = 0x20, kAttrNormal = 0x80, kInvalidAttributes = 0xFFFFFFFF
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

// How much of the attributes an enumeration reports. Hidden and system may
// be kept apart from the directory entry (the POSIX adapter keeps them in an
// extended attribute), costing a look per entry that a caller which does not
// look at them is spared by leaving them out; every other bit is there.
enum class FindAttributes { kAll, kWithoutHiddenAndSystem };

// Whether an enumeration reports the "." and ".." entries. A caller that
// skips them anyway leaves them out, which spares the POSIX adapter a look
// at the parent directory for every directory read.
enum class DotEntries { kListed, kLeftOut };

// When a copied file takes its target's name. Normally only once it is whole,
// so that neither a failed copy nor a killed process leaves a piece under
// it. A target inside a directory that the copy is still making under a
// partial name (common/partial_name.h), which nobody takes for a copy, may
// take its name at once: the whole directory takes its own name later.
enum class TargetName { kWhenWhole, kAtOnce };

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
  // Pattern such as "E:\\Backup\\*" (the last part may hold * and ?), or an
  // exact path whose own entry is wanted. Entries come in the order the file
  // system keeps them, "." and ".." included below a drive's root unless
  // `dots` leaves them out. Null with `error` set when nothing matches or the
  // directory cannot be read; otherwise the first entry is in `first`.
  virtual std::unique_ptr<FindHandle> FindFirst(const std::wstring& pattern, FindData& first, long& error,
                                                FindAttributes wanted, DotEntries dots = DotEntries::kListed) = 0;
  virtual uint32_t GetAttributes(const std::wstring& path) = 0;  // kInvalidAttributes when missing
  virtual long SetAttributes(const std::wstring& path, uint32_t attributes) = 0;
  // Copies one file with its attributes and last-write time, replacing an
  // existing target unless failIfExists (80 then); a read-only target is
  // refused with 5. 0 or a system error code (112 when the target disk is
  // full). A failed copy never changes the source and leaves the target as it
  // was before: the new contents appear under the target's name only whole,
  // unless `naming` lets them take it at once (a failure then removes them).
  virtual long CopyFile(const std::wstring& from, const std::wstring& to, bool failIfExists,
                        TargetName naming = TargetName::kWhenWhole) = 0;
  virtual long CreateDirectory(const std::wstring& path) = 0;  // 183 when it exists
  // Gives a directory another name in the same parent directory, never over
  // an existing entry (183 then).
  virtual long MoveDirectory(const std::wstring& from, const std::wstring& to) = 0;
  // Removes a directory with everything in it. A link in it is removed
  // itself, never followed.
  virtual long RemoveTree(const std::wstring& path) = 0;
  // The file's first bytes, at most maxBytes of them.
  virtual long ReadFile(const std::wstring& path, uint64_t maxBytes, std::vector<uint8_t>& out) = 0;
  // Creates or replaces the file with exactly these bytes. A failure leaves an
  // earlier file of that name as it was; a read-only one is refused with 5.
  virtual long WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes) = 0;
  virtual long DeleteFile(const std::wstring& path) = 0;  // 5 for a read-only file
  // Sets the last-write time (a FILETIME) of a file or directory.
  virtual long SetLastWriteTime(const std::wstring& path, uint64_t fileTime) = 0;
  // Where a path leads on the machine, so that two paths on different drives
  // can be told to be one inside the other (a drive that is a folder of
  // another): the directory behind the drive letter with links followed,
  // for a path that does not exist yet its nearest existing parent's place
  // and the rest of the path. The path itself where the adapter knows no more.
  virtual std::wstring Location(const std::wstring& path) { return path; }
};

}  // namespace zel
