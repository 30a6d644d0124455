#include <windows.h>
// After windows.h:
#include <winioctl.h>
#include <ntddscsi.h>

#include <cstddef>

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

long Win32Scsi::PassThrough(const std::wstring& path, bool overlapped, std::vector<uint8_t>& buffer,
                            uint32_t inLength) {
  if (inLength > buffer.size()) return ERROR_INVALID_PARAMETER;
  KernelHandle device(OpenDevice(path, overlapped));
  if (!device) return static_cast<long>(GetLastError());
  return Control(device.get(), overlapped, IOCTL_SCSI_PASS_THROUGH, buffer.data(), inLength, buffer.data(),
                 static_cast<DWORD>(buffer.size()));
}

}  // namespace zel::win32
