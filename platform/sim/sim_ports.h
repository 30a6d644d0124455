// The simulated machine's adapters of the device ports. Each keeps only the
// machine directory and reads the machine afresh on every call.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/aspi.h"
#include "ports/device_tree_port.h"
#include "ports/platform.h"
#include "ports/registry_port.h"
#include "ports/scsi_port.h"
#include "platform/sim/view.h"
#include "ports/storage_port.h"
#include "ports/system_port.h"

namespace zel::sim {

class SimDeviceTree : public DeviceTreePort {
 public:
  explicit SimDeviceTree(std::string dir) : dir_(std::move(dir)) {}
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

 private:
  std::string dir_;
};

class SimStorage : public StoragePort {
 public:
  explicit SimStorage(std::string dir) : dir_(std::move(dir)) {}
  long Geometry(const std::wstring& path, DiskGeometry& out) override;
  long Layout(const std::wstring& path, DriveLayout& out) override;
  long VolumeExtents(const std::wstring& path, std::vector<DiskExtent>& out) override;
  long VolumeNumber(const std::wstring& path, uint32_t& out) override;
  void VolumeNumbers(const std::vector<std::wstring>& paths, std::vector<long>& errors,
                     std::vector<uint32_t>& numbers) override;
  long VolumeInformation(const std::wstring& root, VolumeInfo& out) override;
  long DiskFreeSpace(const std::wstring& root, FreeSpace& out) override;
  long DiskFreeSpaceEx(const std::wstring& root, uint64_t& totalBytes, uint64_t& freeBytes) override;
  uint32_t DriveType(const std::wstring& root) override;
  std::unique_ptr<RawDevice> OpenRaw(const std::wstring& path, long& error) override;

 private:
  std::string dir_;
};

class SimScsi : public ScsiPort {
 public:
  explicit SimScsi(std::string dir) : dir_(std::move(dir)) {}
  long Execute(const ScsiTarget& target, ScsiRequest& request) override;

 private:
  std::string dir_;
};

// The registry kept in "registry.txt" of the machine directory.
class SimRegistry : public RegistryPort {
 public:
  explicit SimRegistry(std::string dir) : dir_(std::move(dir)) {}
  long KeyExists(RegRoot root, const std::wstring& key) override;
  long CreateKey(RegRoot root, const std::wstring& key) override;
  long ReadValue(RegRoot root, const std::wstring& key, const std::wstring& name, uint32_t maxBytes,
                 RegValue& out) override;
  long WriteValue(RegRoot root, const std::wstring& key, const RegValue& value) override;
  long DeleteValue(RegRoot root, const std::wstring& key, const std::wstring& name) override;
  long EnumValues(RegRoot root, const std::wstring& key, std::vector<RegValue>& out) override;
  long DeleteTree(RegRoot root, const std::wstring& key) override;

 private:
  std::string dir_;
};

// ASPI for Win32 on a Windows 98 machine: one host adapter per SCSI disk.
class SimAspi : public AspiPort {
 public:
  explicit SimAspi(std::string dir) : dir_(std::move(dir)) {}
  bool OpenLibrary(const std::wstring& name) override;
  void CloseLibrary() override { loaded_ = false; }
  bool HasEntryPoint(const char* name) override;
  uint32_t GetSupportInfo() override;
  uint32_t SendCommand(AspiSrb& srb) override;
  uintptr_t CreateCompletionEvent() override;
  void ResetCompletionEvent(uintptr_t event) override { events_[event] = false; }
  bool WaitCompletionEvent(uintptr_t event, uint32_t ms) override;
  void CloseCompletionEvent(uintptr_t event) override { events_.erase(event); }
  void Pause(uint32_t) override {}

 private:
  std::string dir_;
  bool loaded_ = false;
  uintptr_t nextEvent_ = 1;
  std::map<uintptr_t, bool> events_;
};

class SimVwin32 : public Vwin32Port {
 public:
  explicit SimVwin32(std::string dir) : dir_(std::move(dir)) {}
  std::unique_ptr<Vwin32Device> Open() override;

 private:
  std::string dir_;
};

// The machine's version; the rest from the system port it stands in for
// (or the host's clock and directories when there is none).
class SimSystem : public SystemPort {
 public:
  explicit SimSystem(std::string dir) : dir_(std::move(dir)) {}
  uint16_t DefaultLanguage() override { return host != nullptr ? host->DefaultLanguage() : 0x0409; }
  uint32_t TickCount() override;
  OsVersion Version() override;
  std::wstring ComputerName() override { return host != nullptr ? host->ComputerName() : L"ZELSIM"; }
  std::wstring ModulePath() override { return host != nullptr ? host->ModulePath() : L""; }
  std::wstring CurrentDirectory() override;
  bool ChangeDirectory(const std::wstring& dir) override;
  void Sleep(uint32_t ms) override;
  SystemPort* host = nullptr;

 private:
  std::string dir_;
};

// Every device adapter of one simulated machine.
class SimMachinePorts {
 public:
  explicit SimMachinePorts(const std::string& dir)
      : deviceTree(dir), storage(dir), scsi(dir), registry(dir), aspi(dir), vwin32(dir), system(dir), dir_(dir) {}
  // Points the device members of `ports` at these adapters, and the system
  // port at one that reports the machine's version.
  void Fill(Platform& ports);
  std::vector<DriveMapping> DriveMap() const { return MachineDriveMap(dir_); }
  const std::string& Directory() const { return dir_; }

  SimDeviceTree deviceTree;
  SimStorage storage;
  SimScsi scsi;
  SimRegistry registry;
  SimAspi aspi;
  SimVwin32 vwin32;
  SimSystem system;

 private:
  std::string dir_;
};

// The mounted-device table of the machine's lettered volumes, written into
// its registry file (as the system keeps it: entries stay when a volume goes).
bool WriteMountedDevices(const std::string& dir, std::string& error);

}  // namespace zel::sim
