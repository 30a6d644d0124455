#include "tests/support/sim_machine.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/app_paths.h"
#include "common/aspi.h"
#include "common/device_list.h"
#include "common/hardware_list.h"
#include "common/text.h"
#include "common/transport.h"
#include "tests/support/test_files.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace zel::test {
namespace {

// Machines of test runs side by side (native and Wine, several work trees)
// never share a directory.
int ProcessId() {
#ifdef _WIN32
  return _getpid();
#else
  return static_cast<int>(getpid());
#endif
}

bool IsHardwareSection(const std::wstring& section) { return section == L"HardwareID"; }

template <typename Char>
uint32_t CopyOut(const std::basic_string<Char>& value, Char* buf, uint32_t size) {
  const size_t n = std::min<size_t>(value.size(), size - 1);
  std::copy(value.begin(), value.begin() + static_cast<long>(n), buf);
  buf[n] = 0;
  return static_cast<uint32_t>(n);
}

}  // namespace

uint32_t HardwareProfile::GetStringW(const std::wstring&, const wchar_t* section, const wchar_t* key,
                                     const wchar_t* def, wchar_t* buf, uint32_t size) {
  if (size < 2) return 0;
  if (key == nullptr || section == nullptr || !IsHardwareSection(section)) {
    buf[0] = buf[1] = 0;  // no other sections, no key lists
    return 0;
  }
  auto it = values.find(key);
  return CopyOut(it != values.end() ? it->second : std::wstring(def), buf, size);
}

uint32_t HardwareProfile::GetStringA(const std::string&, const char* section, const char* key, const char* def,
                                     char* buf, uint32_t size) {
  if (size < 2) return 0;
  if (key == nullptr || section == nullptr || !IsHardwareSection(Utf8ToWide(section))) {
    buf[0] = buf[1] = 0;
    return 0;
  }
  auto it = values.find(Utf8ToWide(key));
  return CopyOut(it != values.end() ? WideToUtf8(it->second) : std::string(def), buf, size);
}

int32_t HardwareProfile::GetIntW(const std::wstring&, const wchar_t* section, const wchar_t* key, int32_t def) {
  if (key == nullptr || section == nullptr || !IsHardwareSection(section)) return def;
  auto it = values.find(key);
  if (it == values.end()) return def;
  try {
    return std::stoi(it->second);
  } catch (...) {
    return 0;
  }
}

int32_t HardwareProfile::GetIntA(const std::string& file, const char* section, const char* key, int32_t def) {
  return GetIntW(Utf8ToWide(file), Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(), def);
}

long RecordingScsi::Execute(const ScsiTarget& target, ScsiRequest& request) {
  Sent s{request.command.cdb[0], {}};
  if (request.command.direction == DataDirection::Out && request.data != nullptr) {
    s.data.assign(request.data, request.data + request.command.dataLength);
  }
  sent.push_back(s);
  return inner_.Execute(target, request);
}

void SimMachineTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  dir = (std::filesystem::path(::testing::TempDir()) /
         ("zelsim_" + std::to_string(ProcessId()) + "_" + info->test_suite_name() + "_" + info->name()))
            .string();
  std::filesystem::remove_all(dir);
  prompter.SetDefaultAnswer(kIdOk);
  skinned.SetDefaultAnswer(kIdCancel);
}

void SimMachineTest::TearDown() {
  if (AspiLoaded()) UnloadAspi();
  GlobalDeviceList().entries.clear();
  FreeHardwareList();
  scope.reset();
  ProcessPaths().languageFile.clear();
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

void SimMachineTest::Create(const sim::CreateOptions& options) {
  onHost_ = false;
  std::string error;
  ASSERT_TRUE(sim::CreateMachine(dir, options, error)) << error;
  Use();
}

void SimMachineTest::CreateOnHost(const sim::CreateOptions& options) {
  onHost_ = true;
  std::string error;
  ASSERT_TRUE(sim::CreateMachine(dir, options, error)) << error;
  Use();
}

void SimMachineTest::LoadProgramFiles(const std::string& languageFile, const std::string& configFile) {
  ProcessPaths().languageFile = Utf8ToWide(languageFile);
  LoadHardwareList(Utf8ToWide(configFile));
  if (!Machine().IsNt()) {
    ASSERT_TRUE(LoadAspiCommandOnly());
  }
  Rediscover();
}

void SimMachineTest::Use() {
  scope.reset();
  simPorts = std::make_unique<sim::SimMachinePorts>(dir);
  Platform p;
  if (onHost_) {
    p = BuildPlatform();
  } else {
    p.profile = &profile;
  }
  p.prompter = &prompter;
  p.skinned = &skinned;
  simPorts->Fill(p);
  scsi = std::make_unique<RecordingScsi>(simPorts->scsi);
  p.scsi = scsi.get();
  p.family = Machine().IsNt() ? SystemFamily::Nt : SystemFamily::Win98;
  scope = std::make_unique<ScopedPorts>(p);
  if (!onHost_) LoadHardwareList(L"config.ini");
}

void SimMachineTest::Rediscover() { ASSERT_EQ(EnumerateDevices(GlobalDeviceList()), 0); }

sim::Machine SimMachineTest::Machine() {
  sim::Machine m;
  std::string error;
  EXPECT_TRUE(sim::LoadMachine(dir, m, error)) << error;
  return m;
}

void SimMachineTest::Save(sim::Machine& m) {
  std::string error;
  ASSERT_TRUE(sim::SaveMachine(m, error)) << error;
  ASSERT_TRUE(sim::WriteMountedDevices(dir, error)) << error;
}

void SimMachineTest::Fault(const std::string& name, const std::string& value) {
  std::string error;
  ASSERT_TRUE(sim::SetFault(Machine(), name, value, error)) << error;
}

sim::BridgeState SimMachineTest::State() {
  sim::Machine m = Machine();
  return sim::LoadBridgeState(m, m.enclosures.at(0));
}

void SimMachineTest::SetState(const std::string& key, const std::string& value) {
  std::string error;
  ASSERT_TRUE(sim::SetBridgeValue(dir, 1, key, value, error)) << error;
  Rediscover();
}

std::vector<uint8_t> SimMachineTest::Image() {
  sim::Machine m = Machine();
  std::ifstream in(m.PathOf(m.enclosures.at(0).image), std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bytes.resize(m.enclosures.at(0).sectors * 512, 0);
  return bytes;
}

uint64_t SimMachineTest::ImageSectors() { return Machine().enclosures.at(0).sectors; }

}  // namespace zel::test
