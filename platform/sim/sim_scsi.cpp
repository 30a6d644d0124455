#include <algorithm>
#include <cstring>

#include "platform/sim/sim_ports.h"

namespace zel::sim {

// The command block goes to the emulated bridge as it is.
long SimScsi::Execute(const ScsiTarget& target, ScsiRequest& request) {
  if (target.kind != ScsiTarget::Kind::Interface) return kErrorInvalidFunction;
  std::string error;
  const auto view = CurrentView(dir_, error);
  if (!view) return kErrorFileNotFound;
  if (!view->machine.IsNt()) return kErrorInvalidFunction;  // no pass-through on the Windows 98 family
  const ViewDisk* disk = view->DiskByPath(target.path);
  if (disk == nullptr) {
    if (const ViewVolume* v = view->VolumeByPath(target.path)) disk = v->disk;
  }
  if (disk == nullptr) return kErrorFileNotFound;
  const VendorCommand& command = request.command;
  if (command.dataLength > 0 && request.data == nullptr) return kErrorInvalidParameter;
  BridgeReply reply;
  if (disk->enclosure == nullptr) {
    // An ordinary disk: vendor commands are not its language.
    bridge_detail::CheckCondition(reply, 0x05, 0x20);
  } else {
    BridgeRequest bridgeRequest;
    bridgeRequest.part = disk->disk->part;
    std::copy(command.cdb.begin(), command.cdb.end(), bridgeRequest.cdb.begin());
    bridgeRequest.direction = command.direction;
    bridgeRequest.dataLength = command.dataLength;
    if (command.direction == DataDirection::Out && command.dataLength > 0) {
      bridgeRequest.dataOut.assign(request.data, request.data + command.dataLength);
    }
    reply = ExecuteBridgeCommand(view->machine, *disk->enclosure, bridgeRequest);
    if (reply.error != 0) return reply.error;
  }
  request.status = reply.status;
  if (reply.status != kScsiStatusGood) {
    std::memcpy(request.sense.data(), reply.sense.data(), std::min(request.sense.size(), reply.sense.size()));
  }
  request.transferred = 0;
  if (command.direction == DataDirection::In) {
    const size_t n = std::min<size_t>(reply.dataIn.size(), command.dataLength);
    std::copy(reply.dataIn.begin(), reply.dataIn.begin() + static_cast<long>(n), request.data);
    request.transferred = static_cast<uint32_t>(n);
  }
  return 0;
}

}  // namespace zel::sim
