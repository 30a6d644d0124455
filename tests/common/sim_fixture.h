// A fresh simulated machine per test, with its adapters as the process's
// ports and the shipped hardware list loaded through a small profile fake.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "common/hardware_list.h"
#include "common/text.h"
#include "common/transport.h"
#include "ports/platform.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_builder.h"
#include "platform/sim/sim_ports.h"

namespace zel::test {

// [HardwareID] only, from a map; other keys give their defaults.
class HardwareProfile : public ProfilePort {
 public:
  std::map<std::wstring, std::wstring> values{{L"DeviceCount", L"2"},
                                              {L"Device00", L"USB\\VID_3F1A&PID_0C35"},
                                              {L"Device01", L"USB\\VID_3F1A&PID_0C36"}};
  uint32_t GetStringW(const std::wstring&, const wchar_t* section, const wchar_t* key, const wchar_t* def, wchar_t* buf,
                      uint32_t size) override {
    if (size < 2) return 0;
    if (key == nullptr || section == nullptr || std::wstring(section) != L"HardwareID") {
      buf[0] = buf[1] = 0;  // no other sections, no key lists
      return 0;
    }
    auto it = values.find(key);
    const std::wstring v = it != values.end() ? it->second : std::wstring(def);
    const size_t n = std::min<size_t>(v.size(), size - 1);
    std::copy(v.begin(), v.begin() + static_cast<long>(n), buf);
    buf[n] = 0;
    return static_cast<uint32_t>(n);
  }
  uint32_t GetStringA(const std::string&, const char* section, const char* key, const char* def, char* buf,
                      uint32_t size) override {
    if (size < 2) return 0;
    if (key == nullptr || section == nullptr || std::string(section) != "HardwareID") {
      buf[0] = buf[1] = 0;
      return 0;
    }
    auto it = values.find(Utf8ToWide(key));
    const std::string v = it != values.end() ? WideToUtf8(it->second) : std::string(def);
    const size_t n = std::min<size_t>(v.size(), size - 1);
    std::copy(v.begin(), v.begin() + static_cast<long>(n), buf);
    buf[n] = 0;
    return static_cast<uint32_t>(n);
  }
  int32_t GetIntW(const std::wstring&, const wchar_t* section, const wchar_t* key, int32_t def) override {
    if (key == nullptr || section == nullptr || std::wstring(section) != L"HardwareID") return def;
    auto it = values.find(key);
    if (it == values.end()) return def;
    try {
      return std::stoi(it->second);
    } catch (...) {
      return 0;
    }
  }
  int32_t GetIntA(const std::string& f, const char* s, const char* key, int32_t def) override {
    return GetIntW(Utf8ToWide(f), Utf8ToWide(s).c_str(), Utf8ToWide(key).c_str(), def);
  }
  bool FileExistsW(const std::wstring&) override { return false; }
  bool FileExistsA(const std::string&) override { return false; }
};

// Remembers every message box.
class RecordingPrompter : public Prompter {
 public:
  std::vector<std::wstring> texts;
  int MessageBox(uintptr_t, const std::wstring& text, const std::wstring&, uint32_t) override {
    texts.push_back(text);
    return kIdOk;
  }
};

class SimMachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = (std::filesystem::path(::testing::TempDir()) /
            (std::string("zelsim_") + info->test_suite_name() + "_" + info->name()))
               .string();
    std::filesystem::remove_all(dir_);
  }
  void TearDown() override {
    scoped_.reset();
    FreeHardwareList();
    std::filesystem::remove_all(dir_);
  }
  void Create(sim::CreateOptions options = {}) {
    std::string error;
    ASSERT_TRUE(sim::CreateMachine(dir_, options, error)) << error;
    Use();
  }
  // (Re)attaches the ports to the machine directory.
  void Use() {
    scoped_.reset();
    machinePorts_ = std::make_unique<sim::SimMachinePorts>(dir_);
    Platform p;
    p.profile = &profile_;
    p.prompter = &prompter_;
    machinePorts_->Fill(p);
    p.family = Machine().IsNt() ? SystemFamily::Nt : SystemFamily::Win98;
    scoped_ = std::make_unique<ScopedPorts>(p);
    LoadHardwareList(L"config.ini");
  }
  sim::Machine Machine() {
    sim::Machine m;
    std::string error;
    EXPECT_TRUE(sim::LoadMachine(dir_, m, error)) << error;
    return m;
  }
  void Save(sim::Machine& m) {
    std::string error;
    ASSERT_TRUE(sim::SaveMachine(m, error)) << error;
    ASSERT_TRUE(sim::WriteMountedDevices(dir_, error)) << error;
  }
  void Fault(const std::string& name, const std::string& value = "1") {
    std::string error;
    ASSERT_TRUE(sim::SetFault(Machine(), name, value, error)) << error;
  }

  std::string dir_;
  HardwareProfile profile_;
  RecordingPrompter prompter_;
  std::unique_ptr<sim::SimMachinePorts> machinePorts_;
  std::unique_ptr<ScopedPorts> scoped_;
};

}  // namespace zel::test
