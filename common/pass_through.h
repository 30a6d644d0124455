// The SCSI pass-through request of the NT family, as the win32 SCSI adapter
// builds it: one buffer holding the
// system's SCSI_PASS_THROUGH header, an 18-byte sense area right behind it and
// the data right behind that. The header is the system structure of the
// build: 44 bytes on 32-bit Windows, 56 bytes on 64-bit Windows (where the
// data-buffer offset field is pointer-wide and aligned). Both layouts are
// written here with explicit encoders so that either can be built and read
// on any host.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ports/scsi_port.h"

namespace zel {

struct PassThroughLayout {
  uint32_t headerLength;       // the Length field: sizeof(SCSI_PASS_THROUGH)
  uint32_t dataBufferOffsetAt; // where the DataBufferOffset field sits
  uint32_t dataBufferOffsetWidth;  // 4 or 8 bytes (ULONG_PTR)
  uint32_t senseInfoOffsetAt;  // where the SenseInfoOffset field sits
  uint32_t cdbAt;              // where the 16-byte command block sits
  constexpr uint32_t SenseOffset() const { return headerLength; }
  constexpr uint32_t DataOffset() const { return headerLength + 18; }
};

// Fields common to both layouts.
namespace pass_through_offset {
inline constexpr size_t kLength = 0, kScsiStatus = 2, kPathId = 3, kTargetId = 4, kLun = 5,
                        kCdbLengthAt = 6, kSenseInfoLength = 7, kDataIn = 8,
                        kDataTransferLength = 12, kTimeOutValue = 16;
}

inline constexpr PassThroughLayout kPassThrough32{44, 20, 4, 24, 28};
inline constexpr PassThroughLayout kPassThrough64{56, 24, 8, 32, 36};
static_assert(kPassThrough32.SenseOffset() == 44 && kPassThrough32.DataOffset() == 62);
static_assert(kPassThrough64.SenseOffset() == 56 && kPassThrough64.DataOffset() == 74);

// The layout of the running build.
inline constexpr const PassThroughLayout& kBuildPassThrough =
    sizeof(void*) == 8 ? kPassThrough64 : kPassThrough32;

inline constexpr uint32_t kPassThroughTimeOut = kScsiTimeOut;

// A command table's "sent / received" sizes of the 32-bit request read as:
// 44 / 62+r is {room r, header only}, s / s is {room s - 62, whole}. So
// 44 / 68 is room 6; 64 / 64 room 2 whole; 88 / 88 (24 bytes out) room 26
// whole. The 64-bit request is 12 bytes longer in the header and keeps the
// same room.

// The zero-filled request with every field set; for an outgoing transfer
// `outData` (dataLength bytes) is placed at the data offset.
std::vector<uint8_t> EncodePassThrough(const PassThroughLayout& layout, const VendorCommand& command,
                                       const uint8_t* outData);
// Bytes handed to the control call as input.
uint32_t PassThroughInLength(const PassThroughLayout& layout, const VendorCommand& command);

// A request read back from its bytes, as the system reads it.
struct DecodedPassThrough {
  const PassThroughLayout* layout = nullptr;
  uint8_t cdbLength = 0;
  uint8_t senseLength = 0;
  DataDirection direction = DataDirection::In;
  uint32_t dataLength = 0;
  uint32_t timeOut = 0;
  uint32_t dataOffset = 0;
  uint32_t senseOffset = 0;
  std::array<uint8_t, 16> cdb{};
};
// Reads the header; the layout is told by its Length field. False when the
// buffer is too short for it or the length is neither 44 nor 56.
bool DecodePassThrough(const std::vector<uint8_t>& buffer, DecodedPassThrough& out);

// The check the system makes of a decoded request against the buffer it came
// in: the data of an outgoing transfer must lie inside the bytes sent, that
// of an incoming one inside the buffer. 0, or 87 (invalid parameter) or 122
// (buffer too small) as the system's pass-through answers.
long CheckPassThroughBuffer(const DecodedPassThrough& request, size_t bufferSize, uint32_t inLength);

}  // namespace zel
