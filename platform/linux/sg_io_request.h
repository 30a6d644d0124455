// One command through the SCSI generic driver's SG_IO request: how a request
// of the SCSI port is written into the driver's header, and how the header's
// answer is read back the way the pass-through route reads its own (the
// request reached the device, then the SCSI status and the sense decide).
#pragma once
#include <scsi/sg.h>

#include <array>
#include <cstdint>
#include <string>

#include "ports/scsi_port.h"

namespace zel::linux_adapters {

inline constexpr int kCapSysRawIo = 17;  // bit of CAP_SYS_RAWIO in the capability sets

// Fills `io` for `request`; `cdb` is the command block the header points at
// and must outlive the request, as must request.data and request.sense.
void FillSgIo(ScsiRequest& request, std::array<uint8_t, kCdbLength>& cdb, sg_io_hdr_t& io);

// 0 when the command reached the device (status, sense and the bytes that
// came in are then in `request`); otherwise a system error code: 121 when
// the 32 seconds ran out, 1117 for a lost or refused device.
long ReadSgIoResult(const sg_io_hdr_t& io, ScsiRequest& request);

// The kernel passes only ordinary commands through SG_IO for everyone;
// vendor operation codes (0xC0 and up) need CAP_SYS_RAWIO.
bool NeedsRawIo(uint8_t operationCode);
// Whether the effective set of a /proc/PID/status text holds CAP_SYS_RAWIO.
bool StatusHasRawIo(const std::string& procStatus);
bool ProcessHasRawIo();

}  // namespace zel::linux_adapters
