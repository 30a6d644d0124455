#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/text.h"
#include "platform/linux/linux_ports.h"

namespace zel::linux_adapters {
namespace fs = std::filesystem;
namespace {

std::string ReadAttribute(const fs::path& file) {
  std::ifstream in(file);
  std::string text;
  std::getline(in, text);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

std::string Real(const fs::path& p) {
  std::error_code ec;
  const fs::path r = fs::canonical(p, ec);
  return ec ? std::string() : r.string();
}

bool Under(const std::string& path, const std::string& dir) {
  return path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 && path[dir.size()] == '/';
}

std::vector<std::string> SortedEntries(const fs::path& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

LinuxRoots HostRoots() {
  const char* root = std::getenv("ZEL_LINUX_ROOT");
  if (root == nullptr || root[0] == '\0') return {};
  return {std::string(root) + "/sys", std::string(root) + "/dev", std::string(root) + "/mountinfo"};
}

bool IsVirtualDisk(const std::string& name) {
  for (const char* prefix : {"loop", "ram", "zram", "dm-", "md", "nbd", "sr"}) {
    if (name.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

std::string SysfsNodes::BlockAttribute(const std::string& name, const std::string& attribute) const {
  if (name.empty() || name.find('/') != std::string::npos) return {};
  return ReadAttribute(fs::path(roots_.sys) / "class/block" / name / attribute);
}

bool SysfsNodes::IsPartition(const std::string& name) const { return !BlockAttribute(name, "partition").empty(); }

std::string SysfsNodes::DevFile(const std::string& node) const {
  if (node.rfind("/dev/", 0) != 0) return node;
  return (fs::path(roots_.dev) / node.substr(5)).string();
}

std::string SysfsNodes::NodeOfDevice(const std::string& majorMinor) const {
  if (majorMinor.empty() || majorMinor.find('/') != std::string::npos) return {};
  const std::string real = Real(fs::path(roots_.sys) / "dev/block" / majorMinor);
  return real.empty() ? std::string() : "/dev/" + fs::path(real).filename().string();
}

std::vector<std::string> SysfsNodes::MountedParts(const std::string& diskName) const {
  std::vector<std::string> parts{diskName};
  const fs::path disk = fs::path(roots_.sys) / "class/block" / diskName;
  for (const std::string& entry : SortedEntries(disk)) {
    if (fs::exists(disk / entry / "partition")) parts.push_back(entry);
  }
  std::vector<std::string> out;
  const std::vector<MountEntry> mounts = Mounts();
  for (const std::string& part : parts) {
    const std::string number = BlockAttribute(part, "dev");
    for (const MountEntry& m : mounts) {
      if (!number.empty() && m.device == number) {
        out.push_back(part);
        break;
      }
    }
  }
  return out;
}

const LetterMap& SysfsNodes::DriveLetters() const { return ownLetters_ ? letters_ : ProcessDriveLetters(); }

DevInst SysfsNodes::Id(const std::string& realPath) {
  auto it = std::find(paths_.begin(), paths_.end(), realPath);
  if (it != paths_.end()) return static_cast<DevInst>(it - paths_.begin() + 1);
  paths_.push_back(realPath);
  return static_cast<DevInst>(paths_.size());
}

std::string SysfsNodes::PathOf(DevInst inst) const {
  return inst >= 1 && inst <= paths_.size() ? paths_[inst - 1] : std::string();
}

// Disks, partitions, CD-ROMs and USB devices as sysfs shows them.
std::vector<InterfaceEntry> LinuxDeviceTree::PresentInterfaces(const Guid& cls, size_t max) {
  std::vector<InterfaceEntry> out;
  const fs::path block = fs::path(nodes_.Root()) / "block";
  auto add = [&](const std::string& path, const fs::path& sys) {
    if (out.size() < max) out.push_back({Utf8ToWide(path), nodes_.Id(Real(sys))});
  };
  if (cls == kGuidDevInterfaceUsbDevice) {
    const fs::path usb = fs::path(nodes_.Root()) / "bus/usb/devices";
    for (const std::string& name : SortedEntries(usb)) {
      if (name.find(':') != std::string::npos || !fs::exists(usb / name / "idVendor")) continue;
      add((usb / name).string(), usb / name);
    }
    return out;
  }
  for (const std::string& name : SortedEntries(block)) {
    const bool cdrom = name.rfind("sr", 0) == 0;
    if (cls == kGuidDevInterfaceCdrom) {
      if (cdrom) add("/dev/" + name, block / name);
    } else if (cls == kGuidDevInterfaceDisk) {
      if (!IsVirtualDisk(name)) add("/dev/" + name, block / name);
    } else if (cls == kGuidDevInterfaceVolume && !IsVirtualDisk(name)) {
      for (const std::string& part : SortedEntries(block / name)) {
        if (fs::exists(block / name / part / "partition")) add("/dev/" + part, block / name / part);
      }
    }
  }
  return out;
}

std::vector<DevInst> LinuxDeviceTree::EnumeratorDevices(const std::wstring&, size_t) { return {}; }

// A USB device's children are the disks below it, in SCSI address order; a
// disk's children are its partitions.
std::vector<DevInst> LinuxDeviceTree::Children(DevInst inst) {
  std::vector<DevInst> out;
  const std::string self = nodes_.PathOf(inst);
  if (self.empty()) return out;
  const fs::path block = fs::path(nodes_.Root()) / "block";
  if (fs::exists(fs::path(self) / "idVendor")) {
    std::vector<std::pair<std::string, std::string>> disks;  // (real path, name)
    for (const std::string& name : SortedEntries(block)) {
      const std::string real = Real(block / name);
      if (Under(real, self)) disks.emplace_back(real, name);
    }
    std::sort(disks.begin(), disks.end());
    for (const auto& d : disks) out.push_back(nodes_.Id(d.first));
  } else if (fs::exists(fs::path(self) / "dev") && !fs::exists(fs::path(self) / "partition")) {
    for (const std::string& part : SortedEntries(self)) {
      if (fs::exists(fs::path(self) / part / "partition")) out.push_back(nodes_.Id(Real(fs::path(self) / part)));
    }
  }
  return out;
}

uint32_t LinuxDeviceTree::Parent(DevInst inst, DevInst& out) {
  const std::string self = nodes_.PathOf(inst);
  if (self.empty()) return kCrInvalidDevnode;
  if (fs::exists(fs::path(self) / "partition")) {
    out = nodes_.Id(fs::path(self).parent_path().string());
    return kCrSuccess;
  }
  // The nearest USB device above it.
  for (fs::path p = fs::path(self).parent_path(); p.has_relative_path() && p != p.root_path(); p = p.parent_path()) {
    if (fs::exists(p / "idVendor") && fs::exists(p / "busnum")) {
      out = nodes_.Id(p.string());
      return kCrSuccess;
    }
  }
  return kCrNoSuchDevnode;
}

uint32_t LinuxDeviceTree::FirstChild(DevInst inst, DevInst& out) {
  if (nodes_.PathOf(inst).empty()) return kCrInvalidDevnode;
  const std::vector<DevInst> children = Children(inst);
  if (children.empty()) return kCrNoSuchDevnode;
  out = children.front();
  return kCrSuccess;
}

uint32_t LinuxDeviceTree::NextSibling(DevInst inst, DevInst& out) {
  DevInst parent = 0;
  if (uint32_t cr = Parent(inst, parent); cr != kCrSuccess) return cr;
  const std::vector<DevInst> siblings = Children(parent);
  auto it = std::find(siblings.begin(), siblings.end(), inst);
  if (it == siblings.end() || ++it == siblings.end()) return kCrNoSuchDevnode;
  out = *it;
  return kCrSuccess;
}

bool LinuxDeviceTree::Property(DevInst inst, DeviceProperty which, uint32_t capacityBytes, std::wstring& out) {
  const fs::path self = nodes_.PathOf(inst);
  if (self.empty()) return false;
  std::string text;
  if (fs::exists(self / "idVendor")) {
    if (which == DeviceProperty::HardwareId) {
      const unsigned vid = static_cast<unsigned>(std::strtoul(ReadAttribute(self / "idVendor").c_str(), nullptr, 16));
      const unsigned pid = static_cast<unsigned>(std::strtoul(ReadAttribute(self / "idProduct").c_str(), nullptr, 16));
      const unsigned rev = static_cast<unsigned>(std::strtoul(ReadAttribute(self / "bcdDevice").c_str(), nullptr, 16));
      char id[64];
      std::snprintf(id, sizeof id, "USB\\VID_%04X&PID_%04X&REV_%04X", vid, pid, rev);
      text = id;
    } else {
      text = ReadAttribute(self / "product");
      if (text.empty()) text = "USB Mass Storage Device";
    }
  } else if (fs::exists(self / "device")) {
    if (which == DeviceProperty::HardwareId) {
      text = fs::exists(self / "partition") ? "STORAGE\\Volume" : "GenDisk";
    } else {
      text = ReadAttribute(self / "device/vendor");
      const std::string model = ReadAttribute(self / "device/model");
      if (!model.empty()) text += (text.empty() ? "" : " ") + model;
      DevInst parent = 0;
      if (!text.empty() && Parent(inst, parent) == kCrSuccess && nodes_.PathOf(parent).find("/usb") != std::string::npos) {
        text += " USB Device";
      }
    }
  }
  if (text.empty()) return false;
  const std::wstring wide = Utf8ToWide(text);
  if ((wide.size() + 1) * 2 > capacityBytes) return false;
  out = wide;
  return true;
}

long LinuxDeviceTree::HardwareKeyValue(DevInst, const std::wstring&, uint32_t, std::vector<uint8_t>&) {
  return 2;  // no Windows 98 registry keys here
}

// A disk stays in the kernel's view while it is "disabled": nothing is to be
// released, and enabling it again does the re-enumeration's work.
uint32_t LinuxDeviceTree::Disable(DevInst inst) {
  const fs::path self = nodes_.PathOf(inst);
  return !self.empty() && fs::exists(self / "dev") && !fs::exists(self / "partition") ? kCrSuccess : kCrFailure;
}

// Re-enumerating a disk is reading it again (RereadDisk).
uint32_t LinuxDeviceTree::Enable(DevInst inst) {
  const fs::path self = nodes_.PathOf(inst);
  if (self.empty() || !fs::exists(self / "dev") || fs::exists(self / "partition")) return kCrFailure;
  return RereadDisk(nodes_, "/dev/" + self.filename().string()) == 0 ? kCrSuccess : kCrFailure;
}

long RereadDisk(const SysfsNodes& nodes, const std::string& node) {
  const std::string name = fs::path(node).filename().string();
  if (name.empty() || nodes.IsPartition(name)) return kErrorInvalidParameter;
  {
    std::ofstream rescan(fs::path(nodes.Root()) / "class/block" / name / "device/rescan");
    if (rescan) rescan << "1\n";
  }
  const int fd = ::open(nodes.DevFile(node).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ErrorFromErrno(errno);
  const int result = ::ioctl(fd, BLKRRPART);
  const int error = errno;
  ::close(fd);
  return result == 0 ? 0 : ErrorFromErrno(error);
}

}  // namespace zel::linux_adapters
