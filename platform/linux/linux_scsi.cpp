#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/linux_ports.h"

namespace zel::linux_adapters {

// The request handed to the SCSI generic driver: the command block, the data
// and the sense area stay where the request has them.
long LinuxScsi::Execute(const ScsiTarget& target, ScsiRequest& request) {
  if (target.kind != ScsiTarget::Kind::Interface) return kErrorInvalidFunction;
  const VendorCommand& command = request.command;
  if (command.dataLength > 0 && request.data == nullptr) return kErrorInvalidParameter;
  const std::string node = WholeDisk(DeviceNode(target.path));
  if (node.empty()) return kErrorFileNotFound;
  const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ErrorFromErrno(errno);
  std::array<uint8_t, 12> cdb = command.cdb;
  sg_io_hdr_t io{};
  io.interface_id = 'S';
  io.cmd_len = kCdbLength;
  io.cmdp = cdb.data();
  io.dxfer_len = command.dataLength;
  io.dxferp = command.dataLength > 0 ? request.data : nullptr;
  io.dxfer_direction = command.dataLength == 0                 ? SG_DXFER_NONE
                       : command.direction == DataDirection::In ? SG_DXFER_FROM_DEV
                                                                : SG_DXFER_TO_DEV;
  io.sbp = request.sense.data();
  io.mx_sb_len = static_cast<unsigned char>(request.sense.size());
  io.timeout = kScsiTimeOut * 1000;
  const int result = ::ioctl(fd, SG_IO, &io);
  const int savedErrno = errno;
  ::close(fd);
  if (result != 0) return ErrorFromErrno(savedErrno);
  if (io.status == 0 && (io.host_status != 0 || (io.driver_status & 0x0F) != 0)) return kErrorIoDevice;
  request.status = io.status;
  request.transferred = command.direction == DataDirection::In ? static_cast<uint32_t>(command.dataLength - io.resid) : 0;
  return 0;
}

}  // namespace zel::linux_adapters
