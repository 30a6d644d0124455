// The device walk through SetupAPI, loaded by name when it is needed and
// unloaded after: the Windows 98 family does not always have it.
#include <windows.h>
#include <setupapi.h>

#include "setup/pellix/win/win32_system.h"

namespace zel::pellix {
namespace {

using ClassGuidsFromNameFn = BOOL(WINAPI*)(PCSTR, LPGUID, DWORD, PDWORD);
using GetClassDevsFn = HDEVINFO(WINAPI*)(const GUID*, PCSTR, HWND, DWORD);
using EnumDeviceInfoFn = BOOL(WINAPI*)(HDEVINFO, DWORD, PSP_DEVINFO_DATA);
using GetDeviceRegistryPropertyFn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD,
                                                  PBYTE, DWORD, PDWORD);
using CallClassInstallerFn = BOOL(WINAPI*)(DI_FUNCTION, HDEVINFO, PSP_DEVINFO_DATA);
using DestroyDeviceInfoListFn = BOOL(WINAPI*)(HDEVINFO);

class Library {
 public:
  explicit Library(const char* name) : module_(LoadLibraryA(name)) {}
  ~Library() {
    if (module_) FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  bool Loaded() const { return module_ != nullptr; }
  template <class Fn>
  Fn Get(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};

// The first string of a device's hardware identifier list; empty when it has
// none.
std::string FirstHardwareId(GetDeviceRegistryPropertyFn getProperty, HDEVINFO set,
                            SP_DEVINFO_DATA& device) {
  BYTE buffer[2048 + 2] = {};
  DWORD type = 0;
  if (!getProperty(set, &device, SPDRP_HARDWAREID, &type, buffer, sizeof buffer - 2, nullptr)) {
    return {};
  }
  return std::string(reinterpret_cast<const char*>(buffer));  // ends at the first terminator
}

}  // namespace

uint32_t Win32System::WalkDevices(const char* className,
                                  const std::function<DeviceAction(const std::string&)>& visit) {
  Library setupApi("setupapi.dll");
  if (!setupApi.Loaded()) return kSetupApiMissing;
  auto classGuidsFromName = setupApi.Get<ClassGuidsFromNameFn>("SetupDiClassGuidsFromNameA");
  auto getClassDevs = setupApi.Get<GetClassDevsFn>("SetupDiGetClassDevsA");
  auto enumDeviceInfo = setupApi.Get<EnumDeviceInfoFn>("SetupDiEnumDeviceInfo");
  auto getProperty = setupApi.Get<GetDeviceRegistryPropertyFn>("SetupDiGetDeviceRegistryPropertyA");
  auto callClassInstaller = setupApi.Get<CallClassInstallerFn>("SetupDiCallClassInstaller");
  auto destroyList = setupApi.Get<DestroyDeviceInfoListFn>("SetupDiDestroyDeviceInfoList");
  if (!classGuidsFromName || !getClassDevs || !enumDeviceInfo || !getProperty ||
      !callClassInstaller || !destroyList) {
    return kSetupApiMissing;
  }

  // The class is looked up by its name; the list holds the present devices
  // of every class, and the identifiers decide.
  GUID classGuid = {};
  DWORD classCount = 0;
  classGuidsFromName(className, &classGuid, 1, &classCount);
  HDEVINFO set = getClassDevs(classCount ? &classGuid : nullptr, nullptr, nullptr,
                              DIGCF_PRESENT | DIGCF_ALLCLASSES);
  if (set == INVALID_HANDLE_VALUE) return kDeviceListFailed;

  uint32_t result = kOk;
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  // A removed device keeps its place in the list, so the index moves on.
  for (DWORD index = 0; enumDeviceInfo(set, index, &device); ++index) {
    if (visit(FirstHardwareId(getProperty, set, device)) != DeviceAction::kRemove) continue;
    if (!callClassInstaller(DIF_REMOVE, set, &device)) {
      result = kDeviceRefused;
      break;
    }
  }
  destroyList(set);
  return result;
}

}  // namespace zel::pellix
