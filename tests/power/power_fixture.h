// A bridge that answers the power tool's commands from a script, records the
// command blocks it receives and fails the operations it is told to; one
// device in the device list; a recording skinned prompter.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <set>
#include <vector>

#include "ports/platform.h"
#include "ports/scsi_port.h"
#include "tests/support/scripted_prompter.h"

namespace zel::test {

class ScriptedBridge : public ScsiPort {
 public:
  std::array<uint8_t, 3> status{0x01, 0x00, 0x00};  // the EB 01 reply
  uint8_t powerRegister = 0;                         // the E2 reply for 0x001A
  std::set<std::pair<uint8_t, uint8_t>> failing;     // (op, byte 1) that fail
  std::vector<std::array<uint8_t, 12>> received;
  std::vector<VendorCommand> requests;

  long Execute(const ScsiTarget& target, ScsiRequest& request) override;
  // Operation and sub-command of each command received: "EB02", "E200", ...
  std::vector<std::string> Sent() const;
};

class PowerFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  ScriptedBridge bridge;
  ScriptedSkinnedPrompter prompter;
  std::unique_ptr<ScopedPorts> scope;
};

}  // namespace zel::test
