#include "sim_fixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/app_paths.h"
#include "common/aspi.h"
#include "common/device_list.h"
#include "common/hardware_list.h"
#include "common/text.h"
#include "common/transport.h"
#include "platform/posix/posix_platform.h"

namespace zel::test {
long RecordingScsi::PassThrough(const std::wstring& path, bool overlapped, std::vector<uint8_t>& buffer,
                                uint32_t inLength) {
  DecodedPassThrough d;
  if (DecodePassThrough(buffer, d)) {
    Sent s{d.cdb[0], {}};
    if (d.direction == DataDirection::Out) {
      s.data.assign(buffer.begin() + d.dataOffset, buffer.begin() + d.dataOffset + d.dataLength);
    }
    sent.push_back(s);
  }
  return inner_.PassThrough(path, overlapped, buffer, inLength);
}

void SimFixture::SetUpMachine(const sim::CreateOptions& options) {
  namespace fs = std::filesystem;
  dir = (fs::temp_directory_path() / ("security_sim." + std::to_string(::getpid()) + "." +
                                      ::testing::UnitTest::GetInstance()->current_test_info()->name()))
            .string();
  fs::remove_all(dir);
  std::string error;
  ASSERT_TRUE(sim::CreateMachine(dir, options, error)) << error;
  machine = std::make_unique<sim::SimMachinePorts>(dir);
  Platform ports = posix::PosixPlatform();  // profile reads for the language file
  machine->Fill(ports);
  scsi = std::make_unique<RecordingScsi>(machine->scsi);
  ports.scsi = scsi.get();
  ports.skinned = &prompter;
  ports.family = options.windows98 ? SystemFamily::Win98 : SystemFamily::Nt;
  scope = std::make_unique<ScopedPorts>(ports);
  ProcessPaths().languageFile = Utf8ToWide(ZEL_TESSARY_MLF);
  LoadHardwareList(Utf8ToWide(ZEL_TESSARY_CONFIG));
  if (options.windows98) {
    ASSERT_TRUE(LoadAspiCommandOnly());
  }
  Rediscover();
}

void SimFixture::Rediscover() { ASSERT_EQ(EnumerateDevices(GlobalDeviceList()), 0); }

void SimFixture::TearDown() {
  if (AspiLoaded()) UnloadAspi();
  GlobalDeviceList().entries.clear();
  FreeHardwareList();
  scope.reset();
  ProcessPaths().languageFile.clear();
  std::filesystem::remove_all(dir);
}

sim::BridgeState SimFixture::State() const {
  sim::Machine m;
  std::string error;
  sim::LoadMachine(dir, m, error);
  return sim::LoadBridgeState(m, m.enclosures.at(0));
}

void SimFixture::SetState(const std::string& key, const std::string& value) {
  std::string error;
  ASSERT_TRUE(sim::SetBridgeValue(dir, 1, key, value, error)) << error;
  Rediscover();
}

std::vector<uint8_t> SimFixture::Image() const {
  sim::Machine m;
  std::string error;
  sim::LoadMachine(dir, m, error);
  std::ifstream in(m.PathOf(m.enclosures.at(0).image), std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bytes.resize(m.enclosures.at(0).sectors * 512, 0);  // the sparse tail reads as zeros
  return bytes;
}

uint64_t SimFixture::ImageSectors() const {
  sim::Machine m;
  std::string error;
  sim::LoadMachine(dir, m, error);
  return m.enclosures.at(0).sectors;
}

std::vector<std::string> SimFixture::MessageKeysShown() const {
  std::vector<std::string> out;
  for (const ShownMessage& m : prompter.shown) out.push_back(m.text);
  return out;
}

}  // namespace zel::test
