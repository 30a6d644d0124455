#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/text.h"
#include "platform/linux/linux_ports.h"
#include "common/mbr_layout.h"

namespace zel::linux_adapters {
namespace fs = std::filesystem;
namespace {

constexpr uint32_t kMediaRemovable = 11;
constexpr long kErrorBusy = 170;  // the requested resource is in use

// An open file descriptor, closed when it goes.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }

 private:
  int fd_;
};

std::string Name(const std::string& node) { return fs::path(node).filename().string(); }

std::string LetterDirectory(const SysfsNodes& nodes, wchar_t letter) {
  const LetterMap& letters = nodes.DriveLetters();
  auto it = letters.find(static_cast<wchar_t>(std::towupper(static_cast<wint_t>(letter))));
  return it == letters.end() ? std::string() : it->second;
}

// The mount of a node (the last one, which hides the others).
const MountEntry* MountOf(const SysfsNodes& nodes, const std::vector<MountEntry>& mounts, const std::string& node) {
  const std::string number = nodes.BlockAttribute(Name(node), "dev");
  const MountEntry* found = nullptr;
  for (const MountEntry& m : mounts) {
    if (!number.empty() && m.device == number) found = &m;
  }
  return found;
}

wchar_t LetterOf(const std::wstring& root) {
  if (root.size() >= 2 && root[1] == L':') return root[0];
  if (root.size() == 6 && root.compare(0, 4, L"\\\\.\\") == 0 && root[5] == L':') return root[4];
  return 0;
}

class LinuxRawDevice : public RawDevice {
 public:
  LinuxRawDevice(int fd, std::string node, SysfsNodes& nodes)
      : fd_(fd), node_(std::move(node)), nodes_(nodes), wholeDisk_(!nodes.IsPartition(Name(node_))) {}
  // A new partition table is read by the kernel when the disk is let go.
  ~LinuxRawDevice() override {
    if (tableWritten_) ::ioctl(fd_.get(), BLKRRPART);
  }
  long Read(uint64_t offset, void* buf, uint32_t bytes) override {
    const ssize_t n = ::pread(fd_.get(), buf, bytes, static_cast<off_t>(offset));
    if (n < 0) return ErrorFromErrno(errno);
    return static_cast<uint32_t>(n) == bytes ? 0 : 38;  // reached the end of the file
  }
  long Write(uint64_t offset, const void* buf, uint32_t bytes) override {
    const ssize_t n = ::pwrite(fd_.get(), buf, bytes, static_cast<off_t>(offset));
    if (n < 0) return ErrorFromErrno(errno);
    if (static_cast<uint32_t>(n) != bytes) return 112;
    if (wholeDisk_ && offset < 512) tableWritten_ = true;
    return ::fsync(fd_.get()) == 0 ? 0 : ErrorFromErrno(errno);
  }
  long Geometry(DiskGeometry& out) override {
    LinuxStorage storage(nodes_);
    return storage.Geometry(Utf8ToWide(node_), out);
  }
  // A mounted file system is never taken away from under its users here:
  // locking or dismounting it is refused as the system refuses a volume in use.
  long Lock() override { return Mounted() ? long{kErrorAccessDenied} : 0; }
  long Dismount() override { return Mounted() ? long{kErrorAccessDenied} : 0; }
  long Unlock() override { return 0; }

 private:
  bool Mounted() const {
    const std::vector<MountEntry> mounts = nodes_.Mounts();
    return MountOf(nodes_, mounts, node_) != nullptr;
  }
  Fd fd_;
  std::string node_;
  SysfsNodes& nodes_;
  bool wholeDisk_;
  bool tableWritten_ = false;
};

}  // namespace

long ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT: case ENXIO: case ENODEV: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES: case EPERM: case EROFS: return kErrorAccessDenied;
    case EBUSY: return kErrorBusy;
    case ENOMEDIUM: return 21;       // not ready
    case EIO: return kErrorIoDevice;           // I/O device error
    case EINVAL: return kErrorInvalidParameter;
    case ENOSPC: return 112;
    case ENOTTY: case EOPNOTSUPP: return kErrorInvalidFunction;
    default: return 31;              // a device attached to the system is not functioning
  }
}

std::string DeviceNode(const SysfsNodes& nodes, const std::wstring& path) {
  const std::string text = WideToUtf8(path);
  if (text.rfind("/dev/", 0) == 0) return text;
  const wchar_t letter = LetterOf(path);
  if (letter == 0) return {};
  const std::string dir = LetterDirectory(nodes, letter);
  if (dir.empty()) return {};
  std::error_code ec;
  const std::string real = fs::weakly_canonical(dir, ec).string();
  std::string node;
  for (const MountEntry& m : nodes.Mounts()) {
    if (m.directory == real) node = nodes.NodeOfDevice(m.device);
  }
  return node;
}

std::string WholeDisk(const SysfsNodes& nodes, const std::string& node) {
  if (!nodes.IsPartition(Name(node))) return node;
  std::error_code ec;
  const fs::path real = fs::canonical(fs::path(nodes.Root()) / "class/block" / Name(node), ec);
  return ec ? node : "/dev/" + real.parent_path().filename().string();
}

namespace {
std::string gAccessNotice;  // the first refusal of the process
}  // namespace

std::string DeviceAccessNotice() { return gAccessNotice; }
void SetDeviceAccessNotice(const std::string& text) {
  if (gAccessNotice.empty()) gAccessNotice = text;
}

// Sizes come from sysfs, which every user may read: counting the disks needs
// no access to their nodes.
long LinuxStorage::Geometry(const std::wstring& path, DiskGeometry& out) {
  const std::string node = WholeDisk(nodes_, DeviceNode(nodes_, path));
  const std::string size = nodes_.BlockAttribute(Name(node), "size");
  if (node.empty() || size.empty()) return kErrorFileNotFound;
  const uint64_t bytes = std::strtoull(size.c_str(), nullptr, 10) * 512;  // always 512-byte units
  uint32_t sectorSize =
      static_cast<uint32_t>(std::strtoul(nodes_.BlockAttribute(Name(node), "queue/logical_block_size").c_str(), nullptr, 10));
  if (sectorSize == 0) sectorSize = 512;
  out = DiskGeometry{};
  out.bytesPerSector = sectorSize;
  out.sectorsPerTrack = 63;
  out.tracksPerCylinder = 255;
  out.cylinders = static_cast<int64_t>(bytes / (static_cast<uint64_t>(sectorSize) * 63 * 255));
  out.mediaType = nodes_.BlockAttribute(Name(node), "removable") == "1" ? kMediaRemovable : kMediaFixed;
  return 0;
}

long LinuxStorage::Layout(const std::wstring& path, DriveLayout& out) {
  const std::string node = WholeDisk(nodes_, DeviceNode(nodes_, path));
  if (node.empty()) return kErrorFileNotFound;
  Fd fd(::open(nodes_.DevFile(node).c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.ok()) return ErrorFromErrno(errno);
  uint8_t sector[512];
  if (::pread(fd.get(), sector, sizeof sector, 0) != static_cast<ssize_t>(sizeof sector)) return ErrorFromErrno(errno);
  ParseMbrLayout(sector, out);
  return 0;
}

long LinuxStorage::VolumeExtents(const std::wstring& path, std::vector<DiskExtent>& out) {
  const std::string node = DeviceNode(nodes_, path);
  if (node.empty()) return kErrorFileNotFound;
  if (!nodes_.IsPartition(Name(node))) return kErrorInvalidFunction;
  const uint64_t start = std::strtoull(nodes_.BlockAttribute(Name(node), "start").c_str(), nullptr, 10);
  const uint64_t size = std::strtoull(nodes_.BlockAttribute(Name(node), "size").c_str(), nullptr, 10);
  const std::wstring disk = Utf8ToWide(WholeDisk(nodes_, node));
  uint32_t number = 0;
  for (const InterfaceEntry& d : LinuxDeviceTree(nodes_).PresentInterfaces(kGuidDevInterfaceDisk, 1024)) {
    if (d.path == disk) break;
    ++number;
  }
  out = {{number, static_cast<int64_t>(start * 512), static_cast<int64_t>(size * 512)}};
  return 0;
}

long LinuxStorage::VolumeNumber(const std::wstring& path, uint32_t& out) {
  const std::wstring node = Utf8ToWide(DeviceNode(nodes_, path));
  if (node.empty()) return kErrorFileNotFound;
  uint32_t number = 1;
  for (const InterfaceEntry& v : LinuxDeviceTree(nodes_).PresentInterfaces(kGuidDevInterfaceVolume, 1024)) {
    if (v.path == node) {
      out = number;
      return 0;
    }
    ++number;
  }
  return kErrorInvalidFunction;
}

long LinuxStorage::VolumeInformation(const std::wstring& root, VolumeInfo& out) {
  const std::string dir = LetterDirectory(nodes_, LetterOf(root));
  const std::string node = DeviceNode(nodes_, root);
  if (dir.empty() || node.empty()) return kErrorPathNotFound;
  out = VolumeInfo{};
  const std::vector<MountEntry> mounts = nodes_.Mounts();
  if (const MountEntry* m = MountOf(nodes_, mounts, node)) {
    out.fileSystem = Utf8ToWide(UpperAnsi(m->type == "vfat" ? std::string("FAT32") : m->type));
  }
  std::error_code ec;
  const std::string file = fs::weakly_canonical(nodes_.DevFile(node), ec).string();
  for (const char* kind : {"by-label", "by-uuid"}) {
    const fs::path links = fs::path(nodes_.Roots().dev) / "disk" / kind;
    for (fs::directory_iterator it(links, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code linkError;
      if (fs::canonical(it->path(), linkError).string() != file || linkError) continue;
      std::string name = it->path().filename().string();
      if (std::string(kind) == "by-label") {
        // udev writes blanks and other bytes as \xNN.
        std::string label;
        for (size_t i = 0; i < name.size(); ++i) {
          if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            label.push_back(static_cast<char>(std::strtol(name.substr(i + 2, 2).c_str(), nullptr, 16)));
            i += 3;
          } else {
            label.push_back(name[i]);
          }
        }
        out.label = Utf8ToWide(label);
      } else if (name.size() == 9 && name[4] == '-') {
        out.serialNumber = static_cast<uint32_t>(std::strtoul((name.substr(0, 4) + name.substr(5)).c_str(), nullptr, 16));
      }
    }
    ec.clear();
  }
  return 0;
}

long LinuxStorage::DiskFreeSpace(const std::wstring& root, FreeSpace& out) {
  const std::string dir = LetterDirectory(nodes_, LetterOf(root));
  struct statvfs s {};
  if (dir.empty()) return kErrorPathNotFound;
  if (::statvfs(dir.c_str(), &s) != 0) return ErrorFromErrno(errno);
  out.bytesPerSector = 512;
  out.sectorsPerCluster = static_cast<uint32_t>(std::max<unsigned long>(s.f_frsize / 512, 1));
  out.totalClusters = static_cast<uint32_t>(std::min<uint64_t>(s.f_blocks, UINT32_MAX));
  out.freeClusters = static_cast<uint32_t>(std::min<uint64_t>(s.f_bavail, UINT32_MAX));
  return 0;
}

long LinuxStorage::DiskFreeSpaceEx(const std::wstring& root, uint64_t& totalBytes, uint64_t& freeBytes) {
  const std::string dir = LetterDirectory(nodes_, LetterOf(root));
  struct statvfs s {};
  if (dir.empty()) return kErrorPathNotFound;
  if (::statvfs(dir.c_str(), &s) != 0) return ErrorFromErrno(errno);
  totalBytes = static_cast<uint64_t>(s.f_blocks) * s.f_frsize;
  freeBytes = static_cast<uint64_t>(s.f_bavail) * s.f_frsize;
  return 0;
}

uint32_t LinuxStorage::DriveType(const std::wstring& root) {
  const std::string node = WholeDisk(nodes_, DeviceNode(nodes_, root));
  if (node.empty()) return LetterDirectory(nodes_, LetterOf(root)).empty() ? kDriveNoRootDir : kDriveFixed;
  if (Name(node).rfind("sr", 0) == 0) return kDriveCdrom;
  return nodes_.BlockAttribute(Name(node), "removable") == "1" ? kDriveRemovable : kDriveFixed;
}

// A whole disk is opened for writing only when no file system on it is
// mounted: every partition is checked against the mount table (not only the
// ones with a drive letter), and the node is opened exclusively, so that the
// kernel refuses it while anything else (a mount made since, a swap area, a
// device-mapper or RAID member) holds the disk or one of its partitions.
std::unique_ptr<RawDevice> LinuxStorage::OpenRaw(const std::wstring& path, long& error) {
  const std::string node = DeviceNode(nodes_, path);
  if (node.empty()) {
    error = kErrorFileNotFound;
    return nullptr;
  }
  const bool wholeDisk = !nodes_.IsPartition(Name(node));
  if (wholeDisk) {
    const std::vector<std::string> mounted = nodes_.MountedParts(Name(node));
    if (!mounted.empty()) {
      SetDeviceAccessNotice(node + ": /dev/" + mounted.front() +
                            " is mounted; unmount every partition of the disk first (umount /dev/" +
                            mounted.front() + ")");
      error = kErrorBusy;
      return nullptr;
    }
  }
  const int fd = ::open(nodes_.DevFile(node).c_str(), O_RDWR | O_CLOEXEC | (wholeDisk ? O_EXCL : 0));
  if (fd < 0) {
    const int e = errno;
    if (e == EACCES || e == EPERM) {
      SetDeviceAccessNotice(node + ": no permission to write the disk; run the tool as root (sudo)");
    } else if (e == EBUSY) {
      SetDeviceAccessNotice(node + ": the disk is in use (a partition is mounted or held by the system)");
    }
    error = ErrorFromErrno(e);
    return nullptr;
  }
  error = 0;
  return std::make_unique<LinuxRawDevice>(fd, node, nodes_);
}

void LinuxPorts::Fill(Platform& ports) {
  ports.deviceTree = &deviceTree;
  ports.storage = &storage;
  ports.scsi = &scsi;
  ports.registry = &registry;
}

}  // namespace zel::linux_adapters
