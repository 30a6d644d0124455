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

std::string ClassAttribute(const std::string& node, const char* attribute) {
  std::ifstream in("/sys/class/block/" + Name(node) + "/" + attribute);
  std::string text;
  std::getline(in, text);
  return text;
}

bool IsPartition(const std::string& node) { return fs::exists("/sys/class/block/" + Name(node) + "/partition"); }

// Mount point and file-system type of a device node, from mountinfo.
struct Mount {
  std::string directory;
  std::string type;
  std::string source;
};

std::vector<Mount> Mounts() {
  std::vector<Mount> out;
  std::ifstream in("/proc/self/mountinfo");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string id, parent, devno, root, point, word;
    fields >> id >> parent >> devno >> root >> point;
    while (fields >> word && word != "-") {
    }
    Mount m;
    m.directory = point;
    fields >> m.type >> m.source;
    out.push_back(m);
  }
  return out;
}

bool Mounted(const std::string& node) {
  const std::vector<Mount> mounts = Mounts();
  return std::any_of(mounts.begin(), mounts.end(), [&](const Mount& m) { return m.source == node; });
}

std::string LetterDirectory(wchar_t letter) {
  const auto letters = DriveLettersFromEnvironment();
  auto it = letters.find(static_cast<wchar_t>(std::towupper(static_cast<wint_t>(letter))));
  return it == letters.end() ? std::string() : it->second;
}

wchar_t LetterOf(const std::wstring& root) {
  if (root.size() >= 2 && root[1] == L':') return root[0];
  if (root.size() == 6 && root.compare(0, 4, L"\\\\.\\") == 0 && root[5] == L':') return root[4];
  return 0;
}

long DiskBytes(int fd, uint64_t& bytes, uint32_t& sectorSize) {
  int ssz = 512;
  if (::ioctl(fd, BLKGETSIZE64, &bytes) != 0) return ErrorFromErrno(errno);
  if (::ioctl(fd, BLKSSZGET, &ssz) != 0) ssz = 512;
  sectorSize = static_cast<uint32_t>(ssz);
  return 0;
}

class LinuxRawDevice : public RawDevice {
 public:
  LinuxRawDevice(int fd, std::string node) : fd_(fd), node_(std::move(node)) {}
  long Read(uint64_t offset, void* buf, uint32_t bytes) override {
    const ssize_t n = ::pread(fd_.get(), buf, bytes, static_cast<off_t>(offset));
    if (n < 0) return ErrorFromErrno(errno);
    return static_cast<uint32_t>(n) == bytes ? 0 : 38;  // reached the end of the file
  }
  long Write(uint64_t offset, const void* buf, uint32_t bytes) override {
    const ssize_t n = ::pwrite(fd_.get(), buf, bytes, static_cast<off_t>(offset));
    if (n < 0) return ErrorFromErrno(errno);
    if (static_cast<uint32_t>(n) != bytes) return 112;
    return ::fsync(fd_.get()) == 0 ? 0 : ErrorFromErrno(errno);
  }
  long Geometry(DiskGeometry& out) override {
    LinuxStorage storage(nodes_);
    return storage.Geometry(Utf8ToWide(node_), out);
  }
  // A mounted file system is never taken away from under its users here:
  // locking or dismounting it is refused as the system refuses a volume in use.
  long Lock() override { return Mounted(node_) ? kErrorAccessDenied : 0; }
  long Dismount() override { return Mounted(node_) ? kErrorAccessDenied : 0; }
  long Unlock() override { return 0; }

 private:
  Fd fd_;
  std::string node_;
  SysfsNodes nodes_{"/sys"};
};

}  // namespace

long ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT: case ENXIO: case ENODEV: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES: case EPERM: case EROFS: return kErrorAccessDenied;
    case EBUSY: return 170;          // the requested resource is in use
    case ENOMEDIUM: return 21;       // not ready
    case EIO: return kErrorIoDevice;           // I/O device error
    case EINVAL: return kErrorInvalidParameter;
    case ENOSPC: return 112;
    case ENOTTY: case EOPNOTSUPP: return kErrorInvalidFunction;
    default: return 31;              // a device attached to the system is not functioning
  }
}

std::map<wchar_t, std::string> ParseDriveLetters(const std::string& text) {
  std::map<wchar_t, std::string> out;
  std::istringstream items(text);
  std::string item;
  while (std::getline(items, item, ';')) {
    const size_t eq = item.find('=');
    if (eq != 1 || item.size() < 3 || !std::isalpha(static_cast<unsigned char>(item[0]))) continue;
    out[static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(item[0])))] = item.substr(2);
  }
  return out;
}

std::map<wchar_t, std::string> DriveLettersFromEnvironment() {
  const char* text = std::getenv("ZEL_DRIVES");
  return ParseDriveLetters(text != nullptr ? text : "");
}

std::string DeviceNode(const std::wstring& path) {
  const std::string text = WideToUtf8(path);
  if (text.rfind("/dev/", 0) == 0) return text;
  const wchar_t letter = LetterOf(path);
  if (letter == 0) return {};
  const std::string dir = LetterDirectory(letter);
  if (dir.empty()) return {};
  std::error_code ec;
  const std::string real = fs::weakly_canonical(dir, ec).string();
  for (const Mount& m : Mounts()) {
    if (m.directory == real && m.source.rfind("/dev/", 0) == 0) return m.source;
  }
  return {};
}

std::string WholeDisk(const std::string& node) {
  if (!IsPartition(node)) return node;
  std::error_code ec;
  const fs::path real = fs::canonical("/sys/class/block/" + Name(node), ec);
  return ec ? node : "/dev/" + real.parent_path().filename().string();
}

long LinuxStorage::Geometry(const std::wstring& path, DiskGeometry& out) {
  const std::string node = WholeDisk(DeviceNode(path));
  if (node.empty()) return kErrorFileNotFound;
  Fd fd(::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.ok()) return ErrorFromErrno(errno);
  uint64_t bytes = 0;
  uint32_t sectorSize = 512;
  if (long e = DiskBytes(fd.get(), bytes, sectorSize); e != 0) return e;
  out = DiskGeometry{};
  out.bytesPerSector = sectorSize;
  out.sectorsPerTrack = 63;
  out.tracksPerCylinder = 255;
  out.cylinders = static_cast<int64_t>(bytes / (static_cast<uint64_t>(sectorSize) * 63 * 255));
  out.mediaType = ClassAttribute(node, "removable") == "1" ? kMediaRemovable : kMediaFixed;
  return 0;
}

long LinuxStorage::Layout(const std::wstring& path, DriveLayout& out) {
  const std::string node = WholeDisk(DeviceNode(path));
  if (node.empty()) return kErrorFileNotFound;
  Fd fd(::open(node.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.ok()) return ErrorFromErrno(errno);
  uint8_t sector[512];
  if (::pread(fd.get(), sector, sizeof sector, 0) != static_cast<ssize_t>(sizeof sector)) return ErrorFromErrno(errno);
  ParseMbrLayout(sector, out);
  return 0;
}

long LinuxStorage::VolumeExtents(const std::wstring& path, std::vector<DiskExtent>& out) {
  const std::string node = DeviceNode(path);
  if (node.empty()) return kErrorFileNotFound;
  if (!IsPartition(node)) return kErrorInvalidFunction;
  const uint64_t start = std::strtoull(ClassAttribute(node, "start").c_str(), nullptr, 10);
  const uint64_t size = std::strtoull(ClassAttribute(node, "size").c_str(), nullptr, 10);
  const std::wstring disk = Utf8ToWide(WholeDisk(node));
  uint32_t number = 0;
  for (const InterfaceEntry& d : LinuxDeviceTree(nodes_).PresentInterfaces(kGuidDevInterfaceDisk, 1024)) {
    if (d.path == disk) break;
    ++number;
  }
  out = {{number, static_cast<int64_t>(start * 512), static_cast<int64_t>(size * 512)}};
  return 0;
}

long LinuxStorage::VolumeNumber(const std::wstring& path, uint32_t& out) {
  const std::wstring node = Utf8ToWide(DeviceNode(path));
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
  const std::string dir = LetterDirectory(LetterOf(root));
  const std::string node = DeviceNode(root);
  if (dir.empty() || node.empty()) return kErrorPathNotFound;
  out = VolumeInfo{};
  for (const Mount& m : Mounts()) {
    if (m.source == node) out.fileSystem = Utf8ToWide(UpperAnsi(m.type == "vfat" ? std::string("FAT32") : m.type));
  }
  std::error_code ec;
  for (const char* kind : {"by-label", "by-uuid"}) {
    const fs::path links = fs::path("/dev/disk") / kind;
    for (fs::directory_iterator it(links, ec), end; !ec && it != end; it.increment(ec)) {
      if (fs::canonical(it->path(), ec).string() != node) continue;
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
  const std::string dir = LetterDirectory(LetterOf(root));
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
  const std::string dir = LetterDirectory(LetterOf(root));
  struct statvfs s {};
  if (dir.empty()) return kErrorPathNotFound;
  if (::statvfs(dir.c_str(), &s) != 0) return ErrorFromErrno(errno);
  totalBytes = static_cast<uint64_t>(s.f_blocks) * s.f_frsize;
  freeBytes = static_cast<uint64_t>(s.f_bavail) * s.f_frsize;
  return 0;
}

uint32_t LinuxStorage::DriveType(const std::wstring& root) {
  const std::string node = WholeDisk(DeviceNode(root));
  if (node.empty()) return LetterDirectory(LetterOf(root)).empty() ? kDriveNoRootDir : kDriveFixed;
  if (Name(node).rfind("sr", 0) == 0) return kDriveCdrom;
  return ClassAttribute(node, "removable") == "1" ? kDriveRemovable : kDriveFixed;
}

std::unique_ptr<RawDevice> LinuxStorage::OpenRaw(const std::wstring& path, long& error) {
  const std::string node = DeviceNode(path);
  if (node.empty()) {
    error = kErrorFileNotFound;
    return nullptr;
  }
  const int fd = ::open(node.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    error = ErrorFromErrno(errno);
    return nullptr;
  }
  error = 0;
  return std::make_unique<LinuxRawDevice>(fd, node);
}

void LinuxPorts::Fill(Platform& ports) {
  ports.deviceTree = &deviceTree;
  ports.storage = &storage;
  ports.scsi = &scsi;
}

}  // namespace zel::linux_adapters
