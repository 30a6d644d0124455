#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "common/bytes.h"
#include "common/pass_through.h"
#include "platform/linux/linux_ports.h"

namespace zel::linux_adapters {

// The pass-through request handed to the SCSI generic driver: the command
// block, the data and the sense area stay where the request has them.
long LinuxScsi::PassThrough(const std::wstring& path, bool, std::vector<uint8_t>& buffer, uint32_t inLength) {
  DecodedPassThrough q;
  if (inLength > buffer.size() || !DecodePassThrough(buffer, q)) return kErrorInvalidParameter;
  if (long error = CheckPassThroughBuffer(q, buffer.size(), inLength); error != 0) return error;
  const std::string node = WholeDisk(DeviceNode(path));
  if (node.empty()) return kErrorFileNotFound;
  const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ErrorFromErrno(errno);

  sg_io_hdr_t io{};
  io.interface_id = 'S';
  io.cmd_len = q.cdbLength;
  io.cmdp = q.cdb.data();
  io.dxfer_len = q.dataLength;
  io.dxferp = q.dataLength > 0 ? buffer.data() + q.dataOffset : nullptr;
  io.dxfer_direction = q.dataLength == 0 ? SG_DXFER_NONE
                       : q.direction == DataDirection::In ? SG_DXFER_FROM_DEV
                                                          : SG_DXFER_TO_DEV;
  io.sbp = q.senseLength > 0 ? buffer.data() + q.senseOffset : nullptr;
  io.mx_sb_len = q.senseLength;
  io.timeout = q.timeOut * 1000;
  const int result = ::ioctl(fd, SG_IO, &io);
  const int savedErrno = errno;
  ::close(fd);
  if (result != 0) return ErrorFromErrno(savedErrno);
  if (io.status == 0 && (io.host_status != 0 || (io.driver_status & 0x0F) != 0)) return kErrorIoDevice;
  buffer[pass_through_offset::kScsiStatus] = io.status;
  if (q.direction == DataDirection::In) {
    PutLe32(&buffer[pass_through_offset::kDataTransferLength], static_cast<uint32_t>(q.dataLength - io.resid));
  }
  return 0;
}

}  // namespace zel::linux_adapters
