// Directory and file work of the setup libraries: make a path, copy files in
// the four copy modes, and remove a tree.
#pragma once
#include <string>
#include <vector>

#include "platform/file_system_port.h"
#include "setup/setup_codes.h"
#include "setup/setup_host.h"

namespace zel::setup {

enum CopyMode : int {
  kCopyNames = 0,      // the listed file names, replacing read-only targets too
  kCopyPatterns = 1,   // every file matching each listed pattern
  kCopyFiles = 2,      // every plain file of the source directory
  kCopyTree = 6,       // kCopyFiles, then the same for every sub-directory
};

class SetupFiles {
 public:
  SetupFiles(FileSystemPort& files, SetupHost& host) : files_(files), host_(host) {}

  // Creates every missing directory of `base` + "\" + `sub`, below `base`;
  // with an empty `base`, `sub` is a full path and the walk starts below its
  // root. A directory that cannot be made gives kMakeDirFailed; the walk goes
  // on, so the last failure is the result.
  Result MakePath(const std::wstring& base, const std::wstring& sub);

  // Copies from `source` into `base` + "\" + `sub` (or `sub` alone when
  // `base` is empty), which is made first. Every file is tried; the result is
  // the last failure, or kOk.
  Result Copy(const std::wstring& base, const std::wstring& sub, const std::wstring& source,
              const std::vector<std::wstring>& names, int mode);

  // Deletes everything below `dir`, depth first, read-only files included,
  // then `dir` itself. A directory link (junction or symbolic link) is
  // removed as a link and never followed, so the walk stays inside `dir`.
  // kNoSuchDirectory when `dir` is missing; otherwise the last system error
  // of a file or directory that could not be removed, or kOk.
  Result RemoveTree(const std::wstring& dir);

  // Removes the empty directories `base` + "\" + `sub` and its parents up
  // to, not including, `base`. A directory that still holds anything stays.
  void RemoveEmptyParents(const std::wstring& base, const std::wstring& sub);

 private:
  Result CopyInto(const std::wstring& target, const std::wstring& source, const std::vector<std::wstring>& names,
                  int mode);
  Result CopyOne(const std::wstring& from, const std::wstring& to, bool clearTarget);

  FileSystemPort& files_;
  SetupHost& host_;
};

}  // namespace zel::setup
