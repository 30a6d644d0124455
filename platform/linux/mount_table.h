// The kernel's mount table (/proc/self/mountinfo) as the tools need it: which
// block device is mounted where, and with which file system. Devices are
// named by their "major:minor" numbers, which name a device however its node
// was spelt on the mount command line.
#pragma once
#include <string>
#include <vector>

namespace zel::linux_adapters {

struct MountEntry {
  std::string device;     // "8:17"
  std::string directory;  // the mount point, "\040" and the like decoded
  std::string type;       // "vfat", "ext4", ...
  std::string source;     // "/dev/sdb1" as given when it was mounted
};

// Lines that do not have the mountinfo shape are skipped.
std::vector<MountEntry> ParseMountInfo(const std::string& text);
std::vector<MountEntry> ReadMountTable(const std::string& mountInfoPath);

}  // namespace zel::linux_adapters
