// A machine for the Linux adapters, built in a temporary directory from a
// tree file of sysfs/sysfs's "record-tree" form: sysfs below sys/, one file
// per device node below dev/ (a disk's file holds its partition table), and
// a mount table that the test fills.
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "platform/linux/linux_ports.h"

namespace zel::testing_sysfs {

class SysfsMachine {
 public:
  // Builds the machine of `treeFiles` (names in the fixture folder).
  explicit SysfsMachine(std::initializer_list<const char*> treeFiles);
  ~SysfsMachine();
  SysfsMachine(const SysfsMachine&) = delete;
  SysfsMachine& operator=(const SysfsMachine&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  linux_adapters::LinuxRoots Roots() const;
  // Mounts the node `name` ("sdb1") on a new directory; returns the directory.
  std::string Mount(const std::string& name, const std::string& type = "vfat");
  // The partition-table signature written for a disk.
  uint32_t Signature(const std::string& disk) const { return signatures_.at(disk); }
  std::string DevFile(const std::string& name) const { return (root_ / "dev" / name).string(); }

 private:
  void Load(const std::filesystem::path& file);
  std::filesystem::path root_;
  std::map<std::string, std::string> devices_;  // name -> major:minor
  std::map<std::string, uint32_t> signatures_;
  int mounts_ = 0;
};

}  // namespace zel::testing_sysfs
