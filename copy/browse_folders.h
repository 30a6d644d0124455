// The browse dialog's decisions: which drives a side of a task may use, the
// folders shown below a directory, and the path of a tree item.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/disk_record.h"

namespace zel {

enum : int { kBrowseSource = 0, kBrowseDestination = 1 };

// The lettered volumes a side may use, in disk and entry order: the edited
// disk's for the destination, every other disk's for the source.
std::vector<wchar_t> BrowseRoots(const DiskList& disks, uint8_t disk, int side);

// The subfolders of `directory` ("E:" or "E:\\Photos"), files and "." and
// ".." left out, sorted by name without regard to case. Empty when the
// directory cannot be read.
std::vector<std::wstring> SubfolderNames(const std::wstring& directory);

// The path of an item from the names on the way down from its root: the
// bare drive "E:" for a root, "E:\\Photos\\2019" below it.
std::wstring FolderPath(const std::vector<std::wstring>& namesFromRoot);

}  // namespace zel
