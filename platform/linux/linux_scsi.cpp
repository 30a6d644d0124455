#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/linux_ports.h"
#include "platform/linux/sg_io_request.h"

namespace zel::linux_adapters {
namespace {

std::string ProgramPath() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string("PROGRAM");
}

}  // namespace

// One request, one open of the disk's node. A vendor command is not sent at
// all without CAP_SYS_RAWIO: the kernel would refuse it with a bare EPERM,
// and the user is told instead what to do.
long LinuxScsi::Execute(const ScsiTarget& target, ScsiRequest& request) {
  if (target.kind != ScsiTarget::Kind::Interface) return kErrorInvalidFunction;
  if (request.command.dataLength > 0 && request.data == nullptr) return kErrorInvalidParameter;
  const std::string node = WholeDisk(nodes_, DeviceNode(nodes_, target.path));
  if (node.empty()) return kErrorFileNotFound;
  const std::string rawIoNotice =
      node + ": the enclosure's commands need the CAP_SYS_RAWIO capability; run the tool as root (sudo), "
             "or give it the capability (sudo setcap cap_sys_rawio+ep " + ProgramPath() + ")";
  if (NeedsRawIo(request.command.cdb[0]) && !ProcessHasRawIo()) {
    SetDeviceAccessNotice(rawIoNotice);
    return kErrorAccessDenied;
  }
  const int fd = ::open(nodes_.DevFile(node).c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    if (error == EACCES || error == EPERM) {
      SetDeviceAccessNotice(node + ": no permission to open the disk; run the tool as root (sudo), or as a "
                                   "member of the disk group");
    }
    return ErrorFromErrno(error);
  }
  std::array<uint8_t, kCdbLength> cdb{};
  sg_io_hdr_t io{};
  FillSgIo(request, cdb, io);
  const int result = ::ioctl(fd, SG_IO, &io);
  const int error = errno;
  ::close(fd);
  if (result != 0) {
    if (error == EPERM) SetDeviceAccessNotice(rawIoNotice);
    return ErrorFromErrno(error);
  }
  return ReadSgIoResult(io, request);
}

}  // namespace zel::linux_adapters
