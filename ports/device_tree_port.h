// The configuration manager's device tree and the setup API's lists.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zel {

using DevInst = uint32_t;  // a device instance handle; 0 means none

struct Guid {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  std::array<uint8_t, 8> data4;
  bool operator==(const Guid&) const = default;
};

inline constexpr Guid kGuidDevInterfaceDisk{0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
inline constexpr Guid kGuidDevInterfaceVolume{0x53F5630D, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
inline constexpr Guid kGuidDevInterfaceCdrom{0x53F56308, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
inline constexpr Guid kGuidDevInterfaceUsbDevice{0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

struct InterfaceEntry {
  std::wstring path;  // device interface path
  DevInst inst = 0;   // device instance that exposes it
};

enum class DeviceProperty { FriendlyName, HardwareId, DeviceDesc };

// Results of the tree calls are configuration-manager codes: 0 success,
// anything else failure (13, "no such device node", when there is no
// parent, child or sibling).
class DeviceTreePort {
 public:
  virtual ~DeviceTreePort() = default;
  // Present device interfaces of a class, in the system's order, at most `max`.
  virtual std::vector<InterfaceEntry> PresentInterfaces(const Guid& cls, size_t max) = 0;
  // Present devices of every class under one enumerator ("ESDI", "SCSI", "USB").
  virtual std::vector<DevInst> EnumeratorDevices(const std::wstring& enumerator, size_t max) = 0;
  virtual uint32_t Parent(DevInst inst, DevInst& out) = 0;
  virtual uint32_t FirstChild(DevInst inst, DevInst& out) = 0;
  virtual uint32_t NextSibling(DevInst inst, DevInst& out) = 0;
  // A registry property of the device read into a buffer of `capacityBytes`.
  // Texts come back without their terminator; for a multi-string only the first
  // string. False when the property is missing or does not fit.
  virtual bool Property(DevInst inst, DeviceProperty which, uint32_t capacityBytes,
                        std::wstring& out) = 0;
  // A value of the device's hardware registry key (raw bytes, at most capacityBytes).
  virtual long HardwareKeyValue(DevInst inst, const std::wstring& name, uint32_t capacityBytes,
                                std::vector<uint8_t>& out) = 0;
  virtual uint32_t Disable(DevInst inst) = 0;
  virtual uint32_t Enable(DevInst inst) = 0;
};

}  // namespace zel
