// The Windows 98 family's routes to a disk: the ASPI for Win32 library
// ("wnaspi32") and the DOS drive-map call of the "\\.\vwin32" device. The
// request blocks are the published 32-bit layouts, written at named offsets;
// the ports below carry them to the library or device (win32 adapters) or to
// the simulated machine.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zel {

// ASPI command codes and status values.
enum : uint8_t { kSrbHaInquiry = 0, kSrbExecScsiCmd = 2, kSrbGetDiskInfo = 6 };
enum : uint8_t { kSsPending = 0, kSsComp = 1 };
enum : uint8_t { kSrbDirIn = 0x08, kSrbDirOut = 0x10, kSrbEventNotify = 0x40 };

inline constexpr size_t kSrbExecSize = 80, kSrbHaInquirySize = 60, kSrbDiskInfoSize = 24;
inline constexpr uint8_t kAspiSenseLength = 14;
inline constexpr uint32_t kAspiWaitMs = 10000;

// Offsets shared by every request block, then those of each kind.
namespace srb_offset {
inline constexpr size_t kCmd = 0, kStatus = 1, kHaId = 2, kFlags = 3;
// Host-adapter inquiry.
inline constexpr size_t kHaCount = 8;
// Get disk information.
inline constexpr size_t kDiskTarget = 8, kDiskLun = 9, kDriveFlags = 10, kInt13Drive = 11;
// Execute SCSI command.
inline constexpr size_t kTarget = 8, kLun = 9, kBufLen = 12, kBufPointer = 16, kSenseLen = 20,
                        kCdbLen = 21, kHaStat = 22, kTargStat = 23, kPostProc = 24, kCdb = 48,
                        kSenseArea = 64;
}  // namespace srb_offset

// A request block in flight. The library reads the data pointer and the
// completion event from the block itself; the adapter writes `data` and
// `event` into their fields before handing the block over, and the library
// later writes the status byte back into `bytes`. The block must stay where
// it is until the request has completed.
struct AspiSrb {
  std::array<uint8_t, kSrbExecSize> bytes{};
  uint8_t* data = nullptr;
  uintptr_t event = 0;
  uint8_t Status() const { return static_cast<const volatile uint8_t&>(bytes[srb_offset::kStatus]); }
};

class AspiPort {
 public:
  virtual ~AspiPort() = default;
  virtual bool OpenLibrary(const std::wstring& name) = 0;
  virtual void CloseLibrary() = 0;
  virtual bool HasEntryPoint(const char* name) = 0;
  virtual uint32_t GetSupportInfo() = 0;  // GetASPI32SupportInfo
  virtual uint32_t SendCommand(AspiSrb& srb) = 0;  // SendASPI32Command: the block's status
  // A manual-reset event, not signalled; 0 when none can be created.
  virtual uintptr_t CreateCompletionEvent() = 0;
  virtual void ResetCompletionEvent(uintptr_t event) = 0;
  virtual bool WaitCompletionEvent(uintptr_t event, uint32_t ms) = 0;  // true when signalled in time
  virtual void CloseCompletionEvent(uintptr_t event) = 0;
  virtual void Pause(uint32_t ms) = 0;
};

// DOS device I/O control through "\\.\vwin32": registers in, registers out.
struct DosRegisters {
  uint32_t ebx = 0, edx = 0, ecx = 0, eax = 0, edi = 0, esi = 0, flags = 0;
};
inline constexpr uint32_t kVwin32DiocDosIoctl = 1;

// The 16-byte drive map record of the get-drive-map-information call.
namespace drive_map_offset {
inline constexpr size_t kAllocationLength = 0, kInfoLength = 1, kFlags = 2, kInt13Unit = 3,
                        kAssociatedDriveMap = 4, kPartitionStartRba = 8;
}
using DriveMapRecord = std::array<uint8_t, 16>;

class Vwin32Device {
 public:
  virtual ~Vwin32Device() = default;
  // The control call; EDX is pointed at `record` by the adapter. True when
  // the call itself succeeded (the carry flag is the caller's to read).
  virtual bool DosIoctl(uint32_t code, DosRegisters& regs, DriveMapRecord& record) = 0;
};

class Vwin32Port {
 public:
  virtual ~Vwin32Port() = default;
  // Opens the device with no access and delete-on-close; null when it cannot.
  virtual std::unique_ptr<Vwin32Device> Open() = 0;
};

}  // namespace zel
