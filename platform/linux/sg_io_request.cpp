#include "platform/linux/sg_io_request.h"

#include <fstream>
#include <sstream>

#include "ports/system_errors.h"

namespace zel::linux_adapters {
namespace {

constexpr uint8_t kHostTimeOut = 0x03;    // DID_TIME_OUT
constexpr uint8_t kDriverTimeOut = 0x06;  // DRIVER_TIMEOUT
constexpr uint16_t kDriverErrorMask = 0x07;  // beside it, 0x08 only says that sense came back
constexpr long kErrorSemTimeout = 121;

}  // namespace

void FillSgIo(ScsiRequest& request, std::array<uint8_t, kCdbLength>& cdb, sg_io_hdr_t& io) {
  const VendorCommand& command = request.command;
  cdb = command.cdb;
  io = sg_io_hdr_t{};
  io.interface_id = 'S';
  io.cmd_len = kCdbLength;
  io.cmdp = cdb.data();
  io.dxfer_len = command.dataLength;
  io.dxferp = command.dataLength > 0 ? request.data : nullptr;
  io.dxfer_direction = command.dataLength == 0                 ? SG_DXFER_NONE
                       : command.direction == DataDirection::In ? SG_DXFER_FROM_DEV
                                                                : SG_DXFER_TO_DEV;
  request.sense.fill(0);
  io.sbp = request.sense.data();
  io.mx_sb_len = static_cast<unsigned char>(request.sense.size());
  io.timeout = kScsiTimeOut * 1000;  // milliseconds
}

long ReadSgIoResult(const sg_io_hdr_t& io, ScsiRequest& request) {
  if (io.host_status == kHostTimeOut || (io.driver_status & kDriverErrorMask) == kDriverTimeOut) {
    return kErrorSemTimeout;
  }
  if (io.host_status != 0 || (io.driver_status & kDriverErrorMask) != 0) return kErrorIoDevice;
  request.status = io.status;
  const bool in = request.command.direction == DataDirection::In && request.command.dataLength > 0;
  const int resid = io.resid < 0 ? 0 : io.resid;
  request.transferred = in && static_cast<uint32_t>(resid) < request.command.dataLength
                            ? request.command.dataLength - static_cast<uint32_t>(resid)
                            : 0;
  return 0;
}

bool NeedsRawIo(uint8_t operationCode) { return operationCode >= 0xC0; }

bool StatusHasRawIo(const std::string& procStatus) {
  std::istringstream lines(procStatus);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("CapEff:", 0) != 0) continue;
    const unsigned long long set = std::stoull(line.substr(7), nullptr, 16);
    return ((set >> kCapSysRawIo) & 1) != 0;
  }
  return false;
}

bool ProcessHasRawIo() {
  std::ifstream in("/proc/self/status");
  std::ostringstream text;
  text << in.rdbuf();
  return StatusHasRawIo(text.str());
}

}  // namespace zel::linux_adapters
