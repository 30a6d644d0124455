#include "copy/browse_folders.h"

#include <algorithm>
#include <cwctype>

#include "ports/file_system_port.h"
#include "ports/platform.h"

namespace zel {

std::vector<wchar_t> BrowseRoots(const DiskList& disks, uint8_t disk, int side) {
  std::vector<wchar_t> roots;
  for (uint32_t i = 0; i < disks.count && i < kMaxDisks; ++i) {
    if ((side == kBrowseDestination) != (i == disk)) continue;
    const DiskRecord& d = disks.disks[i];
    for (uint16_t v = 0; v < d.volumeCount && v < kMaxVolumes; ++v) {
      if (d.volumes[v].driveLetter != 0) roots.push_back(static_cast<wchar_t>(d.volumes[v].driveLetter));
    }
  }
  return roots;
}

std::vector<std::wstring> SubfolderNames(const std::wstring& directory) {
  std::vector<std::wstring> names;
  FileSystemPort* files = Ports().files;
  if (files == nullptr) return names;
  FindData entry;
  long error = 0;
  auto find = files->FindFirst(directory + L"\\*", entry, error, FindAttributes::kWithoutHiddenAndSystem,
                                DotEntries::kLeftOut);
  if (!find) return names;
  do {
    if ((entry.attributes & kAttrDirectory) && entry.name != L"." && entry.name != L"..") names.push_back(entry.name);
  } while (find->Next(entry) == 0);
  std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) {
      return std::towlower(static_cast<wint_t>(x)) < std::towlower(static_cast<wint_t>(y));
    });
  });
  return names;
}

std::wstring FolderPath(const std::vector<std::wstring>& namesFromRoot) {
  std::wstring path;
  for (size_t i = 0; i < namesFromRoot.size(); ++i) path += (i == 0 ? L"" : L"\\") + namesFromRoot[i];
  return path;
}

}  // namespace zel
