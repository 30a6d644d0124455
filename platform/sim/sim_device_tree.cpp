#include <algorithm>

#include "common/text.h"
#include "platform/sim/sim_ports.h"

namespace zel::sim {

std::vector<InterfaceEntry> SimDeviceTree::PresentInterfaces(const Guid& cls, size_t max) {
  std::vector<InterfaceEntry> out;
  const auto view = CurrentView(dir_);
  if (!view) return out;
  auto add = [&](const std::wstring& path, DevInst inst) {
    if (out.size() < max) out.push_back({path, inst});
  };
  if (cls == kGuidDevInterfaceUsbDevice) {
    for (const ViewUsb& u : view->usb) add(u.interfacePath, u.inst);
  } else if (cls == kGuidDevInterfaceDisk || cls == kGuidDevInterfaceCdrom) {
    const bool cdrom = cls == kGuidDevInterfaceCdrom;
    for (const ViewDisk& d : view->disks) {
      if ((d.disk->media == Media::Cdrom) == cdrom) add(d.interfacePath, d.inst);
    }
  } else if (cls == kGuidDevInterfaceVolume) {
    for (const ViewVolume& v : view->volumes) {
      if (v.mounted) add(v.interfacePath, v.inst);
    }
  }
  return out;
}

std::vector<DevInst> SimDeviceTree::EnumeratorDevices(const std::wstring& enumerator, size_t max) {
  std::vector<DevInst> out;
  const auto view = CurrentView(dir_);
  if (!view) return out;
  const std::string name = WideToUtf8(UpperWide(enumerator));
  for (const auto& [inst, node] : view->nodes) {
    if (node.enumerator == name && out.size() < max) out.push_back(inst);
  }
  return out;
}

uint32_t SimDeviceTree::Parent(DevInst inst, DevInst& out) {
  const auto view = CurrentView(dir_);
  if (!view || view->nodes.count(inst) == 0) return kCrInvalidDevnode;
  const DevInst parent = view->nodes.at(inst).parent;
  if (parent == 0) return kCrNoSuchDevnode;
  out = parent;
  return kCrSuccess;
}

uint32_t SimDeviceTree::FirstChild(DevInst inst, DevInst& out) {
  const auto view = CurrentView(dir_);
  if (!view || view->nodes.count(inst) == 0) return kCrInvalidDevnode;
  const auto& children = view->nodes.at(inst).children;
  if (children.empty()) return kCrNoSuchDevnode;
  out = children.front();
  return kCrSuccess;
}

uint32_t SimDeviceTree::NextSibling(DevInst inst, DevInst& out) {
  const auto view = CurrentView(dir_);
  if (!view || view->nodes.count(inst) == 0) return kCrInvalidDevnode;
  const DevInst parent = view->nodes.at(inst).parent;
  if (parent == 0) return kCrNoSuchDevnode;
  const auto above = view->nodes.find(parent);
  if (above == view->nodes.end()) return kCrNoSuchDevnode;
  const auto& siblings = above->second.children;
  auto it = std::find(siblings.begin(), siblings.end(), inst);
  if (it == siblings.end() || ++it == siblings.end()) return kCrNoSuchDevnode;
  out = *it;
  return kCrSuccess;
}

bool SimDeviceTree::Property(DevInst inst, DeviceProperty which, uint32_t capacityBytes, std::wstring& out) {
  const auto view = CurrentView(dir_);
  if (!view) return false;
  std::wstring text;
  if (const ViewUsb* u = view->UsbByInst(inst)) {
    if (which == DeviceProperty::HardwareId) text = u->usb->hardwareId;
    else text = L"USB Mass Storage Device";
  } else if (const ViewDisk* d = view->DiskByInst(inst)) {
    const bool bridge = d->enclosure != nullptr;
    switch (which) {
      case DeviceProperty::FriendlyName:
        text = d->disk->friendly;
        break;
      case DeviceProperty::DeviceDesc:
        text = bridge && !view->machine.IsNt() ? ScsiDescription(*d->enclosure) : d->disk->friendly;
        break;
      case DeviceProperty::HardwareId:
        if (bridge) text = ScsiHardwareId(*d->enclosure);
        else text = d->disk->media == Media::Cdrom ? L"GenCdRom" : L"GenDisk";
        break;
    }
  } else if (view->nodes.count(inst) != 0 && view->nodes.at(inst).enumerator == "USBSTOR") {
    text = which == DeviceProperty::HardwareId ? L"USBSTOR\\GenDisk" : L"USB Mass Storage Function";
  }
  if (text.empty()) return false;
  if ((text.size() + 1) * 2 > capacityBytes) return false;
  out = text;
  return true;
}

long SimDeviceTree::HardwareKeyValue(DevInst inst, const std::wstring& name, uint32_t capacityBytes,
                                     std::vector<uint8_t>& out) {
  const auto view = CurrentView(dir_);
  if (!view) return 2;
  const ViewDisk* d = view->DiskByInst(inst);
  if (d == nullptr) return 2;
  if (!EqualsNoCaseWide(name, L"CurrentDriveLetterAssignment")) return 2;
  const std::string letters = view->DriveLetters(*d);
  if (letters.empty()) return 2;
  if (letters.size() > capacityBytes) return 234;
  out.assign(letters.begin(), letters.end());
  return 0;
}

uint32_t SimDeviceTree::Disable(DevInst inst) {
  const auto view = CurrentView(dir_);
  return view && view->nodes.count(inst) != 0 ? kCrSuccess : kCrInvalidDevnode;
}

uint32_t SimDeviceTree::Enable(DevInst inst) { return Disable(inst); }

}  // namespace zel::sim
