// Stand-ins for the machine in the Corvex program's tests: a registry holding
// the autostart value, a device tree of sibling units and a button latch.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "copy/button_latch.h"
#include "ports/platform.h"

namespace zel::test {

// One value under one key is all the start-up reads.
class FakeRegistry : public RegistryPort {
 public:
  std::map<std::wstring, RegValue> values;  // "key|name"
  long KeyExists(RegRoot, const std::wstring&) override { return 0; }
  long CreateKey(RegRoot, const std::wstring&) override { return 0; }
  long ReadValue(RegRoot, const std::wstring& key, const std::wstring& name, uint32_t maxBytes,
                 RegValue& out) override {
    auto it = values.find(key + L"|" + name);
    if (it == values.end()) return 2;
    if (it->second.data.size() > maxBytes) return 234;
    out = it->second;
    return 0;
  }
  long WriteValue(RegRoot, const std::wstring& key, const RegValue& v) override {
    values[key + L"|" + v.name] = v;
    return 0;
  }
  long DeleteValue(RegRoot, const std::wstring&, const std::wstring&) override { return 0; }
  long EnumValues(RegRoot, const std::wstring&, std::vector<RegValue>&) override { return 0; }
  long DeleteTree(RegRoot, const std::wstring&) override { return 0; }
};

// A device tree that knows only sibling links.
class SiblingTree : public DeviceTreePort {
 public:
  std::map<DevInst, DevInst> next;
  std::vector<InterfaceEntry> PresentInterfaces(const Guid&, size_t) override { return {}; }
  std::vector<DevInst> EnumeratorDevices(const std::wstring&, size_t) override { return {}; }
  uint32_t Parent(DevInst, DevInst&) override { return 13; }
  uint32_t FirstChild(DevInst, DevInst&) override { return 13; }
  uint32_t NextSibling(DevInst inst, DevInst& out) override {
    auto it = next.find(inst);
    if (it == next.end()) return 13;
    out = it->second;
    return 0;
  }
  bool Property(DevInst, DeviceProperty, uint32_t, std::wstring&) override { return false; }
  long HardwareKeyValue(DevInst, const std::wstring&, uint32_t, std::vector<uint8_t>&) override { return 2; }
  uint32_t Disable(DevInst) override { return 0; }
  uint32_t Enable(DevInst) override { return 0; }
};

// A latch per disk that records every access. Writes replace the byte, the
// way the bridge stores it.
class FakeLatch : public ButtonLatch {
 public:
  std::map<uint32_t, uint8_t> status;  // missing: unreadable (0xFF)
  std::vector<std::string> log;        // "read 0", "write 0 fd"
  uint8_t Read(uint32_t i) override {
    log.push_back("read " + std::to_string(i));
    auto it = status.find(i);
    return it == status.end() ? 0xFF : it->second;
  }
  void Write(uint32_t i, uint8_t v) override {
    char buf[32];
    std::snprintf(buf, sizeof buf, "write %u %02x", i, v);
    log.push_back(buf);
    status[i] = v;
  }
};

}  // namespace zel::test
