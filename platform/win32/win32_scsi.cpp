#include <windows.h>
// After windows.h:
#include <winioctl.h>
#include <ntddscsi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "common/bytes.h"

#include "common/pass_through.h"
#include "platform/win32/win32_device_ports.h"
#include "platform/win32/win32_handles.h"

namespace zel::win32 {

// The request the portable code builds is the system's structure, field for
// field, in this build's layout.
static_assert(sizeof(SCSI_PASS_THROUGH) == kBuildPassThrough.headerLength);
static_assert(offsetof(SCSI_PASS_THROUGH, Length) == pass_through_offset::kLength);
static_assert(offsetof(SCSI_PASS_THROUGH, ScsiStatus) == pass_through_offset::kScsiStatus);
static_assert(offsetof(SCSI_PASS_THROUGH, PathId) == pass_through_offset::kPathId);
static_assert(offsetof(SCSI_PASS_THROUGH, TargetId) == pass_through_offset::kTargetId);
static_assert(offsetof(SCSI_PASS_THROUGH, Lun) == pass_through_offset::kLun);
static_assert(offsetof(SCSI_PASS_THROUGH, CdbLength) == pass_through_offset::kCdbLengthAt);
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoLength) == pass_through_offset::kSenseInfoLength);
static_assert(offsetof(SCSI_PASS_THROUGH, DataIn) == pass_through_offset::kDataIn);
static_assert(offsetof(SCSI_PASS_THROUGH, DataTransferLength) == pass_through_offset::kDataTransferLength);
static_assert(offsetof(SCSI_PASS_THROUGH, TimeOutValue) == pass_through_offset::kTimeOutValue);
static_assert(offsetof(SCSI_PASS_THROUGH, DataBufferOffset) == kBuildPassThrough.dataBufferOffsetAt);
static_assert(sizeof(SCSI_PASS_THROUGH::DataBufferOffset) == kBuildPassThrough.dataBufferOffsetWidth);
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoOffset) == kBuildPassThrough.senseInfoOffsetAt);
static_assert(offsetof(SCSI_PASS_THROUGH, Cdb) == kBuildPassThrough.cdbAt);
static_assert(IOCTL_SCSI_PASS_THROUGH == 0x4D004);
#if !defined(_WIN64)
static_assert(sizeof(SCSI_PASS_THROUGH) == 44 && kBuildPassThrough.DataOffset() == 62);
#endif

// The request goes to the system as one pass-through buffer: header, sense
// area, data room.
long Win32Scsi::Execute(const ScsiTarget& target, ScsiRequest& request) {
  if (target.kind != ScsiTarget::Kind::Interface) return ERROR_INVALID_FUNCTION;
  const VendorCommand& command = request.command;
  if (command.dataLength > 0 && request.data == nullptr) return ERROR_INVALID_PARAMETER;
  const PassThroughLayout& layout = kBuildPassThrough;
  std::vector<uint8_t> buffer = EncodePassThrough(layout, command, request.data);
  KernelHandle device(OpenDevice(target.path, target.overlapped));
  if (!device) return static_cast<long>(GetLastError());
  const long error = Control(device.get(), target.overlapped, IOCTL_SCSI_PASS_THROUGH, buffer.data(),
                             PassThroughInLength(layout, command), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (error != 0) return error;
  request.status = buffer[pass_through_offset::kScsiStatus];
  std::memcpy(request.sense.data(), &buffer[layout.SenseOffset()], request.sense.size());
  request.transferred = 0;
  if (command.direction == DataDirection::In && command.dataLength > 0) {
    const uint32_t n = std::min(GetLe32(&buffer[pass_through_offset::kDataTransferLength]), command.dataLength);
    std::memcpy(request.data, &buffer[layout.DataOffset()], command.dataLength);
    request.transferred = n;
  }
  return 0;
}

}  // namespace zel::win32
