#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "platform/sim/sim_ports.h"

namespace zel::sim {
namespace {

constexpr long kErrorFileNotFound = 2, kErrorInvalidParameter = 87, kErrorInsufficientBuffer = 122;

}  // namespace

long SimScsi::PassThrough(const std::wstring& path, bool, std::vector<uint8_t>& buffer, uint32_t inLength) {
  View view;
  std::string error;
  if (!view.Load(dir_, error)) return kErrorFileNotFound;
  const ViewDisk* disk = view.DiskByPath(path);
  if (disk == nullptr) {
    if (const ViewVolume* v = view.VolumeByPath(path)) disk = v->disk;
  }
  if (disk == nullptr) return kErrorFileNotFound;

  DecodedPassThrough q;
  if (inLength > buffer.size() || !DecodePassThrough(buffer, q) || inLength < q.layout->headerLength) {
    return kErrorInvalidParameter;
  }
  if (q.cdbLength == 0 || q.cdbLength > 16 || (q.senseLength > 0 && q.senseOffset + q.senseLength > buffer.size())) {
    return kErrorInvalidParameter;
  }
  // The data must lie inside what was handed over: the input for an
  // outgoing transfer, the output buffer for an incoming one.
  const uint64_t dataEnd = static_cast<uint64_t>(q.dataOffset) + q.dataLength;
  if (q.dataLength > 0 && q.dataOffset < q.layout->headerLength) return kErrorInvalidParameter;
  if (q.direction == DataDirection::Out && dataEnd > inLength) return kErrorInvalidParameter;
  if (dataEnd > buffer.size()) return kErrorInsufficientBuffer;

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
