#include <windows.h>
// After windows.h:
#include <cfgmgr32.h>
#include <setupapi.h>

#include <vector>

#include "platform/win32/win32_device_ports.h"
#include "platform/win32/win32_handles.h"

namespace zel::win32 {
namespace {

GUID ToGuid(const Guid& g) {
  GUID out;
  out.Data1 = g.data1;
  out.Data2 = g.data2;
  out.Data3 = g.data3;
  for (int i = 0; i < 8; ++i) out.Data4[i] = g.data4[static_cast<size_t>(i)];
  return out;
}

// A set of devices from the setup API, destroyed with its owner.
struct DeviceInfoSetTraits {
  static bool Valid(HDEVINFO h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HDEVINFO h) { SetupDiDestroyDeviceInfoList(h); }
};
using DeviceInfoSet = Owned<HDEVINFO, DeviceInfoSetTraits>;

constexpr DWORD kMaxDetailBytes = 4096;

}  // namespace

std::vector<InterfaceEntry> Win32DeviceTree::PresentInterfaces(const Guid& cls, size_t max) {
  std::vector<InterfaceEntry> out;
  const GUID guid = ToGuid(cls);
  DeviceInfoSet set(SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  if (!set) return out;
  std::vector<BYTE> detail(kMaxDetailBytes);
  for (DWORD i = 0; out.size() < max; ++i) {
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &guid, i, &data)) break;
    auto* d = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(detail.data());
    std::fill(detail.begin(), detail.end(), 0);
    d->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    if (!SetupDiGetDeviceInterfaceDetailW(set.get(), &data, d, kMaxDetailBytes - sizeof(wchar_t), nullptr, &info)) {
      continue;  // a path longer than any the suite can keep
    }
    out.push_back({std::wstring(d->DevicePath), info.DevInst});
  }
  return out;
}

std::vector<DevInst> Win32DeviceTree::EnumeratorDevices(const std::wstring& enumerator, size_t max) {
  std::vector<DevInst> out;
  DeviceInfoSet set(SetupDiGetClassDevsW(nullptr, enumerator.c_str(), nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT));
  if (!set) return out;
  for (DWORD i = 0; out.size() < max; ++i) {
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    if (!SetupDiEnumDeviceInfo(set.get(), i, &info)) break;
    out.push_back(info.DevInst);
  }
  return out;
}

uint32_t Win32DeviceTree::Parent(DevInst inst, DevInst& out) {
  DEVINST parent = 0;
  const CONFIGRET cr = CM_Get_Parent(&parent, inst, 0);
  if (cr == CR_SUCCESS) out = parent;
  return cr;
}

uint32_t Win32DeviceTree::FirstChild(DevInst inst, DevInst& out) {
  DEVINST child = 0;
  const CONFIGRET cr = CM_Get_Child(&child, inst, 0);
  if (cr == CR_SUCCESS) out = child;
  return cr;
}

uint32_t Win32DeviceTree::NextSibling(DevInst inst, DevInst& out) {
  DEVINST sibling = 0;
  const CONFIGRET cr = CM_Get_Sibling(&sibling, inst, 0);
  if (cr == CR_SUCCESS) out = sibling;
  return cr;
}

bool Win32DeviceTree::Property(DevInst inst, DeviceProperty which, uint32_t capacityBytes, std::wstring& out) {
  ULONG property = CM_DRP_FRIENDLYNAME;
  if (which == DeviceProperty::HardwareId) property = CM_DRP_HARDWAREID;
  if (which == DeviceProperty::DeviceDesc) property = CM_DRP_DEVICEDESC;
  std::vector<wchar_t> buffer(capacityBytes / sizeof(wchar_t) + 1, 0);
  ULONG type = 0, length = capacityBytes;
  if (CM_Get_DevNode_Registry_PropertyW(inst, property, &type, buffer.data(), &length, 0) != CR_SUCCESS) return false;
  buffer.back() = 0;
  out = buffer.data();  // the first string of a multi-string
  return true;
}

long Win32DeviceTree::HardwareKeyValue(DevInst inst, const std::wstring& name, uint32_t capacityBytes,
                                       std::vector<uint8_t>& out) {
  RegKey key;
  if (CM_Open_DevNode_Key(inst, KEY_READ, 0, RegDisposition_OpenExisting, key.put(), CM_REGISTRY_HARDWARE) !=
      CR_SUCCESS) {
    return ERROR_FILE_NOT_FOUND;
  }
  out.assign(capacityBytes, 0);
  DWORD type = 0, length = capacityBytes;
  const LONG result = RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, out.data(), &length);
  if (result != ERROR_SUCCESS) {
    out.clear();
    return result;
  }
  out.resize(length);
  return 0;
}

uint32_t Win32DeviceTree::Disable(DevInst inst) { return CM_Disable_DevNode(inst, 0); }
uint32_t Win32DeviceTree::Enable(DevInst inst) { return CM_Enable_DevNode(inst, 0); }

void Win32DevicePorts::Fill(Platform& ports) {
  ports.deviceTree = &deviceTree;
  ports.storage = &storage;
  ports.scsi = &scsi;
  ports.registry = &registry;
  ports.aspi = &aspi;
  ports.vwin32 = &vwin32;
}

}  // namespace zel::win32
