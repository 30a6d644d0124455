// The emulated bridge controller of one simulated enclosure. Its state (the
// button latch, the bridge registers, the security and power settings) lives
// in "<enclosure>.state" beside machine.txt and the fault knobs in "faults";
// both are read afresh for every command and written back whole, so a second
// process (zelsim, a test) can press the button or set a fault while a
// program polls.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ports/scsi_port.h"
#include "platform/sim/machine.h"

namespace zel::sim {

inline constexpr uint32_t kSectorSize = 512;

struct BridgeState {
  uint8_t button = 0xFF;                     // the latch: a 0 bit is an unacknowledged press
  std::map<uint32_t, uint8_t> registers;     // (sub << 16 | address) -> byte
  bool partitioned = false;
  uint32_t publicSectors = 0;                // size of the public disk while partitioned
  bool locked = false;
  bool passwordSet = false;
  std::array<uint8_t, 12> password{};        // the block as the tool sent it
  bool spm = true;
  uint16_t timer = 0;
  bool defaultSpm = true;
  uint16_t defaultTimer = 0x0B40;
  bool plugged = true;                       // false: pulled out, none of its units is there

  uint8_t Register(uint8_t sub, uint16_t address) const;
  void SetRegister(uint8_t sub, uint16_t address, uint8_t value);
  bool operator==(const BridgeState&) const = default;
};

// The fault knobs of a machine ("faults" file). Names as zelsim takes them.
struct Faults {
  bool statusReadFails = false;        // status-read-fails: E0 fails at the control call
  std::vector<std::string> failing;    // command-fails: "E5", "EB04", "25", ... fail at the control call
  bool busy = false;                   // busy: every command ends in CHECK CONDITION
  std::map<char, uint32_t> notReady;   // not-ready=E:3: three more free-space queries fail with 21
  std::vector<char> full;              // full=E,F: no free space left
  bool aspiMissing = false;            // aspi-missing: the ASPI library cannot be loaded
  bool aspiTimeout = false;            // aspi-timeout: requests stay pending
  bool noEvent = false;                // no-event: no completion event can be created
  bool vwin32Missing = false;          // vwin32-missing: "\\.\vwin32" cannot be opened
};

std::string FaultsPath(const Machine& m);
Faults LoadFaults(const Machine& m);
// Sets ("name", "value") or clears ("name", "") one knob; false for an unknown name.
bool SetFault(const Machine& m, const std::string& name, const std::string& value, std::string& error);
// One free-space query of a volume: true when it is not ready (and counts
// it). `seen` is the faults as the caller has just read them.
bool ConsumeNotReady(const Machine& m, char letter, const Faults& seen);
extern const char* const kFaultNames[];

std::string StatePath(const Machine& m, const SimEnclosure& e);
// `text`, when given, receives the state file's text the state came from.
BridgeState LoadBridgeState(const Machine& m, const SimEnclosure& e, std::string* text = nullptr);
// `knownToDiffer`: the caller has just read, under the machine's lock, a
// state from the file that differs from `s`.
bool SaveBridgeState(const Machine& m, const SimEnclosure& e, const BridgeState& s, bool knownToDiffer = false);

// One command as it reaches the bridge, and its outcome. `error` is a system
// error code of the control call (the command did not reach the bridge).
struct BridgeRequest {
  int part = 0;  // which unit of the enclosure: 0 public/whole, 1 private
  std::array<uint8_t, 16> cdb{};
  DataDirection direction = DataDirection::In;
  uint32_t dataLength = 0;
  std::vector<uint8_t> dataOut;
};
struct BridgeReply {
  long error = 0;
  uint8_t status = kScsiStatusGood;
  std::array<uint8_t, 18> sense{};
  std::vector<uint8_t> dataIn;
};

BridgeReply ExecuteBridgeCommand(const Machine& m, const SimEnclosure& e, const BridgeRequest& request);

// Byte range of a unit in the enclosure's image, from the bridge state.
struct UnitExtent {
  bool present = false;   // the private unit exists only while partitioned
  bool locked = false;    // the private unit while locked: no media
  uint64_t firstSector = 0;
  uint64_t sectors = 0;
};
UnitExtent UnitOf(const SimEnclosure& e, const BridgeState& s, int part);
// Whether two states of `e` show the host the same units: plugged in or not,
// and each unit there or not, locked or not, where and how large. A change of
// anything else (the latch, a register, the timer) leaves the units as they were.
bool SameUnits(const SimEnclosure& e, const BridgeState& a, const BridgeState& b);

// Raw access to an enclosure's image (sparse file). 0 or a system error code.
long ReadImage(const Machine& m, const SimEnclosure& e, uint64_t byteOffset, uint8_t* buf, uint32_t bytes);
long WriteImage(const Machine& m, const SimEnclosure& e, uint64_t byteOffset, const uint8_t* buf, uint32_t bytes);
bool CreateImage(const Machine& m, const SimEnclosure& e, std::string& error);

// Handlers of the command families, each in its own file. They return false
// when the operation code is not theirs.
namespace bridge_detail {
void CheckCondition(BridgeReply& r, uint8_t senseKey, uint8_t asc);
bool ButtonCommand(const Machine& m, const SimEnclosure& e, BridgeState& s, const BridgeRequest& q,
                   BridgeReply& r, bool& changed);
bool SecurityCommand(const Machine& m, const SimEnclosure& e, BridgeState& s, const BridgeRequest& q,
                     BridgeReply& r, bool& changed);
bool PowerCommand(const Machine& m, const SimEnclosure& e, BridgeState& s, const BridgeRequest& q,
                  BridgeReply& r, bool& changed);
bool MediaCommand(const Machine& m, const SimEnclosure& e, BridgeState& s, const BridgeRequest& q,
                  BridgeReply& r, bool& changed);
}  // namespace bridge_detail

}  // namespace zel::sim
