#include "common/pass_through.h"

#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "ports/platform.h"
#include "ports/system_errors.h"

namespace zel {

std::vector<uint8_t> EncodePassThrough(const PassThroughLayout& layout, const VendorCommand& c,
                                       const uint8_t* outData) {
  using namespace pass_through_offset;
  const uint32_t room = std::max(c.dataRoom, c.dataLength);
  std::vector<uint8_t> b(layout.DataOffset() + room, 0);
  PutLe16(&b[kLength], static_cast<uint16_t>(layout.headerLength));
  b[kCdbLengthAt] = kCdbLength;
  b[kSenseInfoLength] = kSenseLength;
  b[kDataIn] = static_cast<uint8_t>(c.direction);
  PutLe32(&b[kDataTransferLength], c.dataLength);
  PutLe32(&b[kTimeOutValue], kPassThroughTimeOut);
  if (layout.dataBufferOffsetWidth == 8) {
    PutLe64(&b[layout.dataBufferOffsetAt], layout.DataOffset());
  } else {
    PutLe32(&b[layout.dataBufferOffsetAt], layout.DataOffset());
  }
  PutLe32(&b[layout.senseInfoOffsetAt], layout.SenseOffset());
  std::memcpy(&b[layout.cdbAt], c.cdb.data(), c.cdb.size());
  if (c.direction == DataDirection::Out && c.dataLength > 0 && outData != nullptr) {
    std::memcpy(&b[layout.DataOffset()], outData, c.dataLength);
  }
  return b;
}

uint32_t PassThroughInLength(const PassThroughLayout& layout, const VendorCommand& c) {
  return c.sendWhole ? layout.DataOffset() + std::max(c.dataRoom, c.dataLength) : layout.headerLength;
}

bool DecodePassThrough(const std::vector<uint8_t>& b, DecodedPassThrough& out) {
  using namespace pass_through_offset;
  if (b.size() < kPassThrough32.headerLength) return false;
  const uint16_t length = GetLe16(&b[kLength]);
  const PassThroughLayout* layout = nullptr;
  if (length == kPassThrough32.headerLength) layout = &kPassThrough32;
  if (length == kPassThrough64.headerLength) layout = &kPassThrough64;
  if (layout == nullptr || b.size() < layout->headerLength) return false;
  out.layout = layout;
  out.cdbLength = b[kCdbLengthAt];
  out.senseLength = b[kSenseInfoLength];
  out.direction = b[kDataIn] == 0 ? DataDirection::Out : DataDirection::In;
  out.dataLength = GetLe32(&b[kDataTransferLength]);
  out.timeOut = GetLe32(&b[kTimeOutValue]);
  const uint64_t dataOffset = layout->dataBufferOffsetWidth == 8 ? GetLe64(&b[layout->dataBufferOffsetAt])
                                                                 : GetLe32(&b[layout->dataBufferOffsetAt]);
  if (dataOffset > UINT32_MAX) return false;
  out.dataOffset = static_cast<uint32_t>(dataOffset);
  out.senseOffset = GetLe32(&b[layout->senseInfoOffsetAt]);
  std::memcpy(out.cdb.data(), &b[layout->cdbAt], out.cdb.size());
  return true;
}

long CheckPassThroughBuffer(const DecodedPassThrough& q, size_t bufferSize, uint32_t inLength) {
  if (inLength > bufferSize || inLength < q.layout->headerLength) return kErrorInvalidParameter;
  if (q.cdbLength == 0 || q.cdbLength > 16) return kErrorInvalidParameter;
  if (q.senseLength > 0 && static_cast<uint64_t>(q.senseOffset) + q.senseLength > bufferSize) return kErrorInvalidParameter;
  const uint64_t dataEnd = static_cast<uint64_t>(q.dataOffset) + q.dataLength;
  if (q.dataLength > 0 && q.dataOffset < q.layout->headerLength) return kErrorInvalidParameter;
  if (q.direction == DataDirection::Out && dataEnd > inLength) return kErrorInvalidParameter;
  if (dataEnd > bufferSize) return kErrorInsufficientBuffer;
  return 0;
}

bool SendVendorCommand(const std::wstring& path, bool overlapped, const VendorCommand& command,
                       uint8_t* data, uint8_t* scsiStatus) {
  ScsiPort* port = Ports().scsi;
  if (port == nullptr) return false;
  const PassThroughLayout& layout = kBuildPassThrough;
  std::vector<uint8_t> buffer = EncodePassThrough(layout, command, data);
  const long error = port->PassThrough(path, overlapped, buffer, PassThroughInLength(layout, command));
  if (error != 0 || buffer.size() < layout.DataOffset() + command.dataLength) return false;
  const uint8_t status = buffer[pass_through_offset::kScsiStatus];
  if (scsiStatus != nullptr) *scsiStatus = status;
  if (status != kScsiStatusGood) return false;
  if (command.direction == DataDirection::In && command.dataLength > 0 && data != nullptr) {
    std::memcpy(data, &buffer[layout.DataOffset()], command.dataLength);
  }
  return true;
}

}  // namespace zel
