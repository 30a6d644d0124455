// The one path of every vendor or standard command from its caller to the
// SCSI port: interface targets go to the process's SCSI port, ASPI targets to
// the ASPI adapter.
#pragma once
#include <cstdint>

#include "ports/scsi_port.h"

namespace zel {

// Sends `command` to `target`. `data` is the outgoing block (dataLength
// bytes) or the place for the reply. True when the request reached the device
// and the SCSI status is good; the reply is copied only then. `scsiStatus`,
// when given, receives the returned status.
bool SendScsi(const ScsiTarget& target, const VendorCommand& command, uint8_t* data,
              uint8_t* scsiStatus = nullptr);

}  // namespace zel
