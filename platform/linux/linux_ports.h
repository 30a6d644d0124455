// Adapters of the device ports for a real enclosure on Linux: sysfs for the
// device tree, block-device requests and reads for storage, SG_IO for the
// vendor commands. Disks are named by their device nodes ("/dev/sdb"),
// partitions stand for volumes, and each drive letter names the volume
// mounted on its directory (the letters file, or ZEL_DRIVES; see
// drive_letters.h). Everything is read below three roots (sysfs, the device
// nodes and the mount table), so a recorded tree reads as the machine does.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ports/device_tree_port.h"
#include "ports/registry_port.h"
#include "ports/platform.h"
#include "ports/scsi_port.h"
#include "ports/storage_port.h"
#include "platform/linux/drive_letters.h"
#include "platform/linux/mount_table.h"

namespace zel::linux_adapters {

struct LinuxRoots {
  std::string sys = "/sys";
  std::string dev = "/dev";
  std::string mountInfo = "/proc/self/mountinfo";
};

// This computer's roots; ZEL_LINUX_ROOT=DIR reads DIR/sys, DIR/dev and
// DIR/mountinfo instead (a recorded machine, for trying the tools on it).
LinuxRoots HostRoots();

// The machine as the adapters see it: sysfs directories as device instances
// (each directory is given a number the first time it is seen), block
// devices by name, the mount table and the drive letters.
class SysfsNodes {
 public:
  explicit SysfsNodes(LinuxRoots roots = {}) : roots_(std::move(roots)) {}
  explicit SysfsNodes(std::string sysRoot) { roots_.sys = std::move(sysRoot); }
  DevInst Id(const std::string& realPath);
  std::string PathOf(DevInst inst) const;
  const std::string& Root() const { return roots_.sys; }
  const LinuxRoots& Roots() const { return roots_; }

  // A block device's attribute ("size", "device/vendor"), its first line
  // without trailing blanks; empty when missing.
  std::string BlockAttribute(const std::string& name, const std::string& attribute) const;
  bool IsPartition(const std::string& name) const;
  // The file standing for a node: "/dev/sdb" under the device root.
  std::string DevFile(const std::string& node) const;
  // The node of a "major:minor" number ("/dev/sdb1"); empty when sysfs does
  // not know it.
  std::string NodeOfDevice(const std::string& majorMinor) const;
  std::vector<MountEntry> Mounts() const { return ReadMountTable(roots_.mountInfo); }
  // The disk and those of its partitions that are mounted now, by name.
  std::vector<std::string> MountedParts(const std::string& diskName) const;

  // The drive letters: the ones set here, otherwise the process's.
  void SetDriveLetters(LetterMap letters) { letters_ = std::move(letters), ownLetters_ = true; }
  const LetterMap& DriveLetters() const;

 private:
  LinuxRoots roots_;
  std::vector<std::string> paths_;
  LetterMap letters_;
  bool ownLetters_ = false;
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
  explicit LinuxScsi(SysfsNodes& nodes) : nodes_(nodes) {}
  long Execute(const ScsiTarget& target, ScsiRequest& request) override;

 private:
  SysfsNodes& nodes_;
};

struct RegistryLine;

// The registry's keys and values that the tools keep on this computer (the
// password hint), in the file "registry" of the user's configuration
// directory, which every tool reads afresh; and the mounted-device table,
// made each time from the drive letters and the mount table: one
// "\DosDevices\E:" value for each letter whose directory has a volume
// mounted, holding the volume's node ("/dev/sde1"), as the discovery of
// removable disks reads it.
class LinuxRegistry : public RegistryPort {
 public:
  explicit LinuxRegistry(SysfsNodes& nodes);
  void SetFile(std::string file) { file_ = std::move(file); }
  long KeyExists(RegRoot root, const std::wstring& key) override;
  long CreateKey(RegRoot root, const std::wstring& key) override;
  long ReadValue(RegRoot root, const std::wstring& key, const std::wstring& name, uint32_t maxBytes,
                 RegValue& out) override;
  long WriteValue(RegRoot root, const std::wstring& key, const RegValue& value) override;
  long DeleteValue(RegRoot root, const std::wstring& key, const std::wstring& name) override;
  long EnumValues(RegRoot root, const std::wstring& key, std::vector<RegValue>& out) override;
  long DeleteTree(RegRoot root, const std::wstring& key) override;

 private:
  std::vector<RegValue> MountedDevices() const;
  std::vector<RegValue> StoredValues(const std::string& key) const;
  // Reads the file, lets `change` alter its lines and writes it back whole,
  // all under the file's lock; `change`'s error leaves the file as it was.
  long Change(const std::function<long(std::vector<RegistryLine>&)>& change);
  SysfsNodes& nodes_;
  std::string file_;
};

// A device path as a block device node: "/dev/sdb1" stays, "\\.\E:" and
// "E:\" become the node mounted on E's directory. Empty when unknown.
std::string DeviceNode(const SysfsNodes& nodes, const std::wstring& path);
// The whole disk of a partition node ("/dev/sdb1" -> "/dev/sdb").
std::string WholeDisk(const SysfsNodes& nodes, const std::string& node);
// Loop, RAM, device-mapper, RAID, network and optical devices: not disks of
// the machine's own.
bool IsVirtualDisk(const std::string& name);
// Re-enumerates a disk node: the SCSI device reads its capacity again and the
// kernel reads the partition table again (after a new table was written, or a
// split changed the size), so the new partitions appear without plugging the
// enclosure in again. 0, or the system error code (the kernel refuses while
// a partition is in use).
long RereadDisk(const SysfsNodes& nodes, const std::string& node);
// A system error code for an errno value.
long ErrorFromErrno(int error);

// Why this process was last refused a device, told so that the user knows
// what to do ("... needs the CAP_SYS_RAWIO capability: run it with sudo");
// empty when nothing was refused.
std::string DeviceAccessNotice();
void SetDeviceAccessNotice(const std::string& text);

class LinuxPorts {
 public:
  LinuxPorts() : nodes(HostRoots()), deviceTree(nodes), storage(nodes), scsi(nodes), registry(nodes) {}
  void Fill(Platform& ports);
  SysfsNodes nodes;  // first: the adapters below keep a reference
  LinuxDeviceTree deviceTree;
  LinuxStorage storage;
  LinuxScsi scsi;
  LinuxRegistry registry;
};

}  // namespace zel::linux_adapters
