// A simulated machine with one enclosure in a temporary directory, its ports
// installed for the test, a scripted skinned prompter and the shipped
// language file of the security tool.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "common/pass_through.h"
#include "ports/platform.h"
#include "platform/sim/bridge.h"
#include "platform/sim/machine_builder.h"
#include "platform/sim/sim_ports.h"

namespace zel::test {

struct ShownMessage {
  int background;
  std::string text, caption;
  int kind;
};

class ScriptedSkinnedPrompter : public SkinnedPrompter {
 public:
  int Show(int background, const std::string& text, const std::string& caption, int kind) override {
    shown.push_back({background, text, caption, kind});
    if (answers.empty()) return kIdCancel;
    int a = answers.front();
    answers.pop_front();
    return a;
  }
  void PlaySound(int) override {}
  std::deque<int> answers;  // for the boxes in order; Cancel once they run out
  std::vector<ShownMessage> shown;
};

// Passes requests to the simulated machine and keeps the command blocks and
// outgoing data that reached it.
class RecordingScsi : public ScsiPort {
 public:
  explicit RecordingScsi(ScsiPort& inner) : inner_(inner) {}
  long PassThrough(const std::wstring& path, bool overlapped, std::vector<uint8_t>& buffer,
                   uint32_t inLength) override;
  struct Sent {
    uint8_t op;
    std::vector<uint8_t> data;
  };
  std::vector<Sent> sent;

 private:
  ScsiPort& inner_;
};

class SimFixture : public ::testing::Test {
 protected:
  void SetUp() override { SetUpMachine(sim::CreateOptions{}); }
  void TearDown() override;
  void SetUpMachine(const sim::CreateOptions& options);
  // Builds the device list again, as a device change would.
  void Rediscover();

  sim::BridgeState State() const;
  void SetState(const std::string& key, const std::string& value);
  std::vector<uint8_t> Image() const;  // the whole disk image
  uint64_t ImageSectors() const;
  std::vector<std::string> MessageKeysShown() const;  // by English text

  std::string dir;
  std::unique_ptr<sim::SimMachinePorts> machine;
  std::unique_ptr<RecordingScsi> scsi;
  ScriptedSkinnedPrompter prompter;
  std::unique_ptr<ScopedPorts> scope;
};

}  // namespace zel::test
