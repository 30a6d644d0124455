#include "platform/win32/win32_platform.h"

#include <windows.h>

#include "platform/win32/win32_device_ports.h"
#include "platform/win32/win32_profile.h"
#include "platform/win32/win32_system.h"

namespace zel::win32 {

SystemPort& SystemAdapter() {
  static Win32System system;
  return system;
}

ProfilePort& ProfileAdapter() {
  static Win32Profile profile;
  return profile;
}

Platform Win32Platform() {
  Platform p;
  p.system = &SystemAdapter();
  p.profile = &ProfileAdapter();
  static Win32DevicePorts devices;  // device tree, storage, SCSI, registry, ASPI, vwin32
  devices.Fill(p);
  return p;
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace zel::win32
