// A fresh simulated machine per test in a directory of its own, its adapters
// installed as the process's ports, scripted prompters for both kinds of box
// and a record of every vendor request that reached the emulated bridge.
//
// By default the shipped hardware list comes from a small profile fake and no
// adapter of the build's system lies beneath the machine (no real sleeps, no
// host clock). CreateOnHost puts the build's own profile, file and system
// adapters beneath it instead, so that a program's shipped language and
// configuration files are read as the program reads them.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/bridge.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_builder.h"
#include "platform/sim/sim_ports.h"
#include "ports/platform.h"
#include "ports/scsi_port.h"
#include "tests/support/scripted_prompter.h"

namespace zel::test {

// [HardwareID] only, from a map; other keys give their defaults.
class HardwareProfile : public ProfilePort {
 public:
  std::map<std::wstring, std::wstring> values{{L"DeviceCount", L"2"},
                                              {L"Device00", L"USB\\VID_3F1A&PID_0C35"},
                                              {L"Device01", L"USB\\VID_3F1A&PID_0C36"}};
  uint32_t GetStringW(const std::wstring& file, const wchar_t* section, const wchar_t* key, const wchar_t* def,
                      wchar_t* buf, uint32_t size) override;
  uint32_t GetStringA(const std::string& file, const char* section, const char* key, const char* def, char* buf,
                      uint32_t size) override;
  int32_t GetIntW(const std::wstring& file, const wchar_t* section, const wchar_t* key, int32_t def) override;
  int32_t GetIntA(const std::string& file, const char* section, const char* key, int32_t def) override;
  bool FileExistsW(const std::wstring&) override { return false; }
  bool FileExistsA(const std::string&) override { return false; }
};

// Passes requests on and keeps the operation code and outgoing data of each.
class RecordingScsi : public ScsiPort {
 public:
  explicit RecordingScsi(ScsiPort& inner) : inner_(inner) {}
  long Execute(const ScsiTarget& target, ScsiRequest& request) override;
  struct Sent {
    uint8_t op;
    std::vector<uint8_t> data;
  };
  std::vector<Sent> sent;

 private:
  ScsiPort& inner_;
};

class SimMachineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Builds the machine and attaches its ports, the hardware list from
  // `profile`.
  void Create(const sim::CreateOptions& options = {});
  // Builds the machine with the build's own adapters beneath its ports;
  // nothing is loaded.
  void CreateOnHost(const sim::CreateOptions& options = {});
  // A program's shipped language file and hardware list, read through the
  // build's profile adapter; then ASPI on a Windows 98 machine and the device
  // list, as the program starts.
  void LoadProgramFiles(const std::string& languageFile, const std::string& configFile);
  // (Re)attaches the ports to the machine directory, as a restart would.
  void Use();
  // Builds the device list again, as a device change would.
  void Rediscover();

  sim::Machine Machine();
  void Save(sim::Machine& m);
  void Fault(const std::string& name, const std::string& value = "1");

  // The first enclosure's bridge state, one of its values (the device list is
  // built again afterwards) and its whole disk image, the sparse tail as zeros.
  sim::BridgeState State();
  void SetState(const std::string& key, const std::string& value);
  std::vector<uint8_t> Image();
  uint64_t ImageSectors();

  std::string dir;
  HardwareProfile profile;
  ScriptedPrompter prompter;
  ScriptedSkinnedPrompter skinned;  // Cancel once its answers run out
  std::unique_ptr<sim::SimMachinePorts> simPorts;
  std::unique_ptr<RecordingScsi> scsi;
  std::unique_ptr<ScopedPorts> scope;

 private:
  bool onHost_ = false;
};

}  // namespace zel::test
