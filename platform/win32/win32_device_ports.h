// The Windows adapters of the device ports: SetupAPI and the configuration
// manager for the device tree, DeviceIoControl for storage and SCSI
// pass-through, the registry, and the ASPI library with the vwin32 device
// of the Windows 98 family.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "common/aspi.h"
#include "ports/device_tree_port.h"
#include "ports/platform.h"
#include "ports/registry_port.h"
#include "ports/scsi_port.h"
#include "ports/storage_port.h"

namespace zel::win32 {

class Win32DeviceTree : public DeviceTreePort {
 public:
  std::vector<InterfaceEntry> PresentInterfaces(const Guid& cls, size_t max) override;
  std::vector<DevInst> EnumeratorDevices(const std::wstring& enumerator, size_t max) override;
  uint32_t Parent(DevInst inst, DevInst& out) override;
  uint32_t FirstChild(DevInst inst, DevInst& out) override;
  uint32_t NextSibling(DevInst inst, DevInst& out) override;
  bool Property(DevInst inst, DeviceProperty which, uint32_t capacityBytes, std::wstring& out) override;
  long HardwareKeyValue(DevInst inst, const std::wstring& name, uint32_t capacityBytes,
                        std::vector<uint8_t>& out) override;
  uint32_t Disable(DevInst inst) override;
  uint32_t Enable(DevInst inst) override;
};

class Win32Storage : public StoragePort {
 public:
  long Geometry(const std::wstring& path, DiskGeometry& out) override;
  long Layout(const std::wstring& path, DriveLayout& out) override;
  long VolumeExtents(const std::wstring& path, std::vector<DiskExtent>& out) override;
  long VolumeNumber(const std::wstring& path, uint32_t& out) override;
  long VolumeInformation(const std::wstring& root, VolumeInfo& out) override;
  long DiskFreeSpace(const std::wstring& root, FreeSpace& out) override;
  long DiskFreeSpaceEx(const std::wstring& root, uint64_t& totalBytes, uint64_t& freeBytes) override;
  uint32_t DriveType(const std::wstring& root) override;
  std::unique_ptr<RawDevice> OpenRaw(const std::wstring& path, long& error) override;
};

class Win32Scsi : public ScsiPort {
 public:
  long PassThrough(const std::wstring& path, bool overlapped, std::vector<uint8_t>& buffer,
                   uint32_t inLength) override;
};

class Win32Registry : public RegistryPort {
 public:
  long KeyExists(RegRoot root, const std::wstring& key) override;
  long CreateKey(RegRoot root, const std::wstring& key) override;
  long ReadValue(RegRoot root, const std::wstring& key, const std::wstring& name, uint32_t maxBytes,
                 RegValue& out) override;
  long WriteValue(RegRoot root, const std::wstring& key, const RegValue& value) override;
  long DeleteValue(RegRoot root, const std::wstring& key, const std::wstring& name) override;
  long EnumValues(RegRoot root, const std::wstring& key, std::vector<RegValue>& out) override;
  long DeleteTree(RegRoot root, const std::wstring& key) override;
};

// The ASPI for Win32 library. Its request blocks carry 32-bit pointers, so
// only the 32-bit build can hand them over; the 64-bit build never finds
// the (32-bit) library.
class Win32Aspi : public AspiPort {
 public:
  ~Win32Aspi() override;
  bool OpenLibrary(const std::wstring& name) override;
  void CloseLibrary() override;
  bool HasEntryPoint(const char* name) override;
  uint32_t GetSupportInfo() override;
  uint32_t SendCommand(AspiSrb& srb) override;
  uintptr_t CreateCompletionEvent() override;
  void ResetCompletionEvent(uintptr_t event) override;
  bool WaitCompletionEvent(uintptr_t event, uint32_t ms) override;
  void CloseCompletionEvent(uintptr_t event) override;
  void Pause(uint32_t ms) override;

 private:
  void* module_ = nullptr;
  void* send_ = nullptr;
  void* info_ = nullptr;
};

class Win32Vwin32 : public Vwin32Port {
 public:
  std::unique_ptr<Vwin32Device> Open() override;
};

// All of them, for a program's start-up.
class Win32DevicePorts {
 public:
  void Fill(Platform& ports);
  Win32DeviceTree deviceTree;
  Win32Storage storage;
  Win32Scsi scsi;
  Win32Registry registry;
  Win32Aspi aspi;
  Win32Vwin32 vwin32;
};

}  // namespace zel::win32
