#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "platform/sim/sim_ports.h"

namespace zel::sim {
long SimScsi::PassThrough(const std::wstring& path, bool, std::vector<uint8_t>& buffer, uint32_t inLength) {
  View view;
  std::string error;
  if (!view.Load(dir_, error)) return kErrorFileNotFound;
  if (!view.machine.IsNt()) return kErrorInvalidFunction;  // no pass-through on the Windows 98 family
  const ViewDisk* disk = view.DiskByPath(path);
  if (disk == nullptr) {
    if (const ViewVolume* v = view.VolumeByPath(path)) disk = v->disk;
  }
  if (disk == nullptr) return kErrorFileNotFound;

  DecodedPassThrough q;
  if (inLength > buffer.size() || !DecodePassThrough(buffer, q)) return kErrorInvalidParameter;
  if (long error = CheckPassThroughBuffer(q, buffer.size(), inLength); error != 0) return error;
  const uint64_t dataEnd = static_cast<uint64_t>(q.dataOffset) + q.dataLength;

  BridgeReply reply;
  if (disk->enclosure == nullptr) {
    // An ordinary disk: vendor commands are not its language.
    bridge_detail::CheckCondition(reply, 0x05, 0x20);
  } else {
    BridgeRequest request;
    request.part = disk->disk->part;
    request.cdb = q.cdb;
    std::fill(request.cdb.begin() + q.cdbLength, request.cdb.end(), 0);
    request.direction = q.direction;
    request.dataLength = q.dataLength;
    if (q.direction == DataDirection::Out) {
      request.dataOut.assign(buffer.begin() + q.dataOffset, buffer.begin() + static_cast<long>(dataEnd));
    }
    reply = ExecuteBridgeCommand(view.machine, *disk->enclosure, request);
    if (reply.error != 0) return reply.error;
  }
  buffer[pass_through_offset::kScsiStatus] = reply.status;
  if (reply.status != kScsiStatusGood) {
    std::memcpy(&buffer[q.senseOffset], reply.sense.data(), std::min<size_t>(q.senseLength, reply.sense.size()));
  }
  if (q.direction == DataDirection::In) {
    std::copy(reply.dataIn.begin(), reply.dataIn.end(), buffer.begin() + q.dataOffset);
    PutLe32(&buffer[pass_through_offset::kDataTransferLength], static_cast<uint32_t>(reply.dataIn.size()));
  }
  return 0;
}

}  // namespace zel::sim
