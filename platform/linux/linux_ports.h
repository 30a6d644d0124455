// Adapters of the device ports for a real enclosure on Linux: sysfs for the
// device tree, block-device requests and reads for storage, SG_IO for the
// vendor commands. Disks are named by their device nodes ("/dev/sdb"),
// partitions stand for volumes, and drive letters come from ZEL_DRIVES
// ("E=/media/disk;F=/mnt/private"): each letter names the volume mounted on
// that directory.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ports/device_tree_port.h"
#include "ports/platform.h"
#include "ports/scsi_port.h"
#include "ports/storage_port.h"

namespace zel::linux_adapters {

// Drive letters and directories from ZEL_DRIVES (or the given text).
std::map<wchar_t, std::string> DriveLettersFromEnvironment();
std::map<wchar_t, std::string> ParseDriveLetters(const std::string& text);

// Device nodes of sysfs as device instances: each sysfs directory is given a
// number the first time it is seen.
class SysfsNodes {
 public:
  explicit SysfsNodes(std::string sysRoot) : root_(std::move(sysRoot)) {}
  DevInst Id(const std::string& realPath);
  std::string PathOf(DevInst inst) const;
  const std::string& Root() const { return root_; }

 private:
  std::string root_;
  std::vector<std::string> paths_;
};

class LinuxDeviceTree : public DeviceTreePort {
 public:
  explicit LinuxDeviceTree(SysfsNodes& nodes) : nodes_(nodes) {}
  std::vector<InterfaceEntry> PresentInterfaces(const Guid& cls, size_t max) override;
  std::vector<DevInst> EnumeratorDevices(const std::wstring& enumerator, size_t max) override;
  uint32_t Parent(DevInst inst, DevInst& out) override;
  uint32_t FirstChild(DevInst inst, DevInst& out) override;
  uint32_t NextSibling(DevInst inst, DevInst& out) override;
  bool Property(DevInst inst, DeviceProperty which, uint32_t capacityBytes, std::wstring& out) override;
  long HardwareKeyValue(DevInst inst, const std::wstring& name, uint32_t capacityBytes,
                        std::vector<uint8_t>& out) override;
  uint32_t Disable(DevInst inst) override;
  uint32_t Enable(DevInst inst) override;

 private:
  std::vector<DevInst> Children(DevInst inst);
  SysfsNodes& nodes_;
};

class LinuxStorage : public StoragePort {
 public:
  explicit LinuxStorage(SysfsNodes& nodes) : nodes_(nodes) {}
  long Geometry(const std::wstring& path, DiskGeometry& out) override;
  long Layout(const std::wstring& path, DriveLayout& out) override;
  long VolumeExtents(const std::wstring& path, std::vector<DiskExtent>& out) override;
  long VolumeNumber(const std::wstring& path, uint32_t& out) override;
  long VolumeInformation(const std::wstring& root, VolumeInfo& out) override;
  long DiskFreeSpace(const std::wstring& root, FreeSpace& out) override;
  long DiskFreeSpaceEx(const std::wstring& root, uint64_t& totalBytes, uint64_t& freeBytes) override;
  uint32_t DriveType(const std::wstring& root) override;
  std::unique_ptr<RawDevice> OpenRaw(const std::wstring& path, long& error) override;

 private:
  SysfsNodes& nodes_;
};

class LinuxScsi : public ScsiPort {
 public:
  long PassThrough(const std::wstring& path, bool overlapped, std::vector<uint8_t>& buffer,
                   uint32_t inLength) override;
};

// A device path as a block device node: "/dev/sdb1" stays, "\\.\E:" and
// "E:\" become the node mounted on E's directory. Empty when unknown.
std::string DeviceNode(const std::wstring& path);
// The whole disk of a partition node ("/dev/sdb1" -> "/dev/sdb").
std::string WholeDisk(const std::string& node);
// A system error code for an errno value.
long ErrorFromErrno(int error);

class LinuxPorts {
 public:
  LinuxPorts() : nodes("/sys"), deviceTree(nodes), storage(nodes) {}
  void Fill(Platform& ports);
  SysfsNodes nodes;
  LinuxDeviceTree deviceTree;
  LinuxStorage storage;
  LinuxScsi scsi;
};

}  // namespace zel::linux_adapters
