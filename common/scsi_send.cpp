#include "common/scsi_send.h"

#include <cstring>
#include <vector>

#include "common/aspi.h"
#include "ports/platform.h"

namespace zel {

bool SendScsi(const ScsiTarget& target, const VendorCommand& command, uint8_t* data, uint8_t* scsiStatus) {
  ScsiPort* port = nullptr;
  if (target.kind == ScsiTarget::Kind::Interface) port = Ports().scsi;
  if (target.kind == ScsiTarget::Kind::Aspi) port = &AspiScsiPort();
  if (port == nullptr) return false;
  // The port works on a copy, so that a failed request leaves the caller's
  // reply untouched.
  std::vector<uint8_t> buffer(command.dataLength, 0);
  if (command.direction == DataDirection::Out && data != nullptr && !buffer.empty()) {
    std::memcpy(buffer.data(), data, buffer.size());
  }
  ScsiRequest request;
  request.command = command;
  request.data = buffer.empty() ? nullptr : buffer.data();
  if (port->Execute(target, request) != 0) return false;
  if (scsiStatus != nullptr) *scsiStatus = request.status;
  if (request.status != kScsiStatusGood) return false;
  if (command.direction == DataDirection::In && data != nullptr && !buffer.empty()) {
    std::memcpy(data, buffer.data(), buffer.size());
  }
  return true;
}

}  // namespace zel
