#include "platform/sim/bridge.h"
#include "platform/sim/volume_mount.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <fstream>

#include "common/vendor_protocol.h"
#include "ports/system_errors.h"
#include "platform/sim/image_io.h"
#include "platform/sim/machine_watch.h"
#include "platform/sim/state_file.h"

namespace zel::sim {
namespace fs = std::filesystem;

const char* const kFaultNames[] = {"status-read-fails", "command-fails", "busy", "not-ready", "full",
                                   "aspi-missing", "aspi-timeout", "no-event", "vwin32-missing", nullptr};

uint8_t BridgeState::Register(uint8_t sub, uint16_t address) const {
  auto it = registers.find((static_cast<uint32_t>(sub) << 16) | address);
  return it == registers.end() ? 0 : it->second;
}

void BridgeState::SetRegister(uint8_t sub, uint16_t address, uint8_t value) {
  registers[(static_cast<uint32_t>(sub) << 16) | address] = value;
}

namespace {

#ifdef _WIN32
// Windows cannot replace a file that another thread or process holds open,
// so there the state is read under the lock as well.
constexpr bool kReadsTakeTheLock = true;
#else
constexpr bool kReadsTakeTheLock = false;
#endif

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> out;
  for (size_t at = 0; at < text.size();) {
    size_t comma = text.find(',', at);
    if (comma == std::string::npos) comma = text.size();
    if (comma > at) out.push_back(text.substr(at, comma - at));
    at = comma + 1;
  }
  return out;
}

std::string UpperAscii(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::string FaultsPath(const Machine& m) { return m.PathOf("faults"); }

namespace {

// A machine without faults has no faults file, and is asked about it at
// every port call. Its absence stands while no name has been made in the
// machine's directory since it was found missing: the epoch of the
// directory's names it was missing at, by machine.
std::mutex faultsMissingMutex;
std::map<std::string, uint64_t> faultsMissingAt;
constexpr size_t kMostFaultsMissing = 16;

bool FaultsKnownMissing(const Machine& m, uint64_t epoch) {
  if (epoch == 0) return false;
  std::lock_guard<std::mutex> lock(faultsMissingMutex);
  auto it = faultsMissingAt.find(m.dir);
  return it != faultsMissingAt.end() && it->second == epoch;
}

void NoteFaultsMissing(const Machine& m, uint64_t epoch, bool missing) {
  std::lock_guard<std::mutex> lock(faultsMissingMutex);
  if (!missing || epoch == 0) {
    faultsMissingAt.erase(m.dir);
    return;
  }
  if (faultsMissingAt.size() >= kMostFaultsMissing && faultsMissingAt.count(m.dir) == 0) faultsMissingAt.clear();
  faultsMissingAt[m.dir] = epoch;
}

}  // namespace

Faults LoadFaults(const Machine& m) {
  // The epoch is taken before the file is looked for: a file made after
  // that moves it.
  const uint64_t epoch = NamesEpoch(m.dir);
  if (FaultsKnownMissing(m, epoch)) return Faults{};
  KeyValues kv;
  bool missing = false;
  ReadKeyValues(FaultsPath(m), kv, nullptr, &missing);
  NoteFaultsMissing(m, epoch, missing);
  Faults f;
  auto on = [&](const char* key) { return kv.count(key) != 0 && kv[key] != "0"; };
  f.statusReadFails = on("status-read-fails");
  f.busy = on("busy");
  f.aspiMissing = on("aspi-missing");
  f.aspiTimeout = on("aspi-timeout");
  f.noEvent = on("no-event");
  f.vwin32Missing = on("vwin32-missing");
  for (const std::string& c : SplitList(kv["command-fails"])) f.failing.push_back(UpperAscii(c));
  for (const std::string& item : SplitList(kv["not-ready"])) {
    if (item.size() >= 3 && item[1] == ':') {
      f.notReady[static_cast<char>(std::toupper(static_cast<unsigned char>(item[0])))] =
          static_cast<uint32_t>(ParseNumber(item.substr(2), 0));
    }
  }
  for (const std::string& item : SplitList(kv["full"])) {
    f.full.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(item[0]))));
  }
  return f;
}

bool SetFault(const Machine& m, const std::string& name, const std::string& value, std::string& error) {
  bool known = false;
  for (const char* const* n = kFaultNames; *n != nullptr; ++n) known = known || name == *n;
  if (!known) {
    error = "unknown fault '" + name + "'";
    return false;
  }
  StateLock lock(m.dir);
  KeyValues kv;
  if (!ReadKeyValues(FaultsPath(m), kv)) {
    error = "cannot read " + FaultsPath(m);
    return false;
  }
  if (value.empty() || value == "0" || value == "off") {
    kv.erase(name);
  } else {
    kv[name] = value;
  }
  if (!WriteKeyValues(FaultsPath(m), kv)) {
    error = "cannot write " + FaultsPath(m);
    return false;
  }
  return true;
}

bool ConsumeNotReady(const Machine& m, char letter, const Faults& seen) {
  // Seldom set: looked at without the lock first (in the faults the caller
  // has just read), counted down under it.
  if (!kReadsTakeTheLock) {
    if (auto it = seen.notReady.find(letter); it == seen.notReady.end() || it->second == 0) return false;
  }
  StateLock lock(m.dir);
  Faults f = LoadFaults(m);
  auto it = f.notReady.find(letter);
  if (it == f.notReady.end() || it->second == 0) return false;
  --it->second;
  KeyValues kv;
  ReadKeyValues(FaultsPath(m), kv);
  std::string list;
  for (const auto& [l, n] : f.notReady) {
    if (n == 0) continue;
    if (!list.empty()) list += ",";
    list += std::string(1, l) + ":" + std::to_string(n);
  }
  if (list.empty()) kv.erase("not-ready");
  else kv["not-ready"] = list;
  WriteKeyValues(FaultsPath(m), kv);
  return true;
}

std::string StatePath(const Machine& m, const SimEnclosure& e) { return m.PathOf(e.id + ".state"); }

namespace {

BridgeState ParseBridgeState(const std::string& text) {
  KeyValues kv = ParseKeyValues(text);
  BridgeState s;
  auto num = [&](const char* key, uint64_t def) {
    auto it = kv.find(key);
    return it == kv.end() ? def : ParseNumber(it->second, def);
  };
  s.button = static_cast<uint8_t>(num("button", 0xFF));
  s.partitioned = num("partitioned", 0) != 0;
  s.publicSectors = static_cast<uint32_t>(num("public-sectors", 0));
  s.locked = num("locked", 0) != 0;
  s.passwordSet = num("password-set", 0) != 0;
  std::string password;
  if (ParseHexBytes(kv["password"], password) && password.size() == 12) {
    std::copy(password.begin(), password.end(), s.password.begin());
  }
  s.spm = num("spm", 1) != 0;
  s.timer = static_cast<uint16_t>(num("timer", 0));
  s.defaultSpm = num("default-spm", 1) != 0;
  s.defaultTimer = static_cast<uint16_t>(num("default-timer", 0x0B40));
  s.plugged = num("plugged", 1) != 0;
  for (const auto& [key, value] : kv) {
    unsigned where[2] = {};  // sub-address and address, as "reg.SS.AAAA" names them
    if (key.compare(0, 4, "reg.") == 0 && ReadDottedNumbers(std::string_view(key).substr(4), 16, where, 2) == 2) {
      s.SetRegister(static_cast<uint8_t>(where[0]), static_cast<uint16_t>(where[1]),
                    static_cast<uint8_t>(ParseNumber(value, 0)));
    }
  }
  return s;
}

// The last state taken from each state file, with the text it came from:
// every bridge command reads the state, and it seldom changes.
struct ParsedState {
  std::string text;
  BridgeState state;
};
std::mutex parsedStatesMutex;
std::map<std::string, ParsedState> parsedStates;
constexpr size_t kMostParsedStates = 16;

}  // namespace

BridgeState LoadBridgeState(const Machine& m, const SimEnclosure& e, std::string* text) {
  const std::string path = StatePath(m, e);
  std::string read;
  ReadKeyValuesText(path, read);  // a file that cannot be read gives the defaults, as a missing one
  std::lock_guard<std::mutex> lock(parsedStatesMutex);
  auto it = parsedStates.find(path);
  if (it == parsedStates.end() || it->second.text != read) {
    if (it == parsedStates.end() && parsedStates.size() >= kMostParsedStates) parsedStates.clear();
    ParsedState& kept = parsedStates[path];
    kept.state = ParseBridgeState(read);
    kept.text = read;
    it = parsedStates.find(path);
  }
  if (text != nullptr) *text = std::move(read);
  return it->second.state;
}

bool SaveBridgeState(const Machine& m, const SimEnclosure& e, const BridgeState& s, bool knownToDiffer) {
  KeyValues kv;
  kv["button"] = Hex(s.button, 2);
  kv["partitioned"] = s.partitioned ? "1" : "0";
  kv["public-sectors"] = std::to_string(s.publicSectors);
  kv["locked"] = s.locked ? "1" : "0";
  kv["password-set"] = s.passwordSet ? "1" : "0";
  kv["password"] = HexBytes(s.password.data(), s.password.size());
  kv["spm"] = s.spm ? "1" : "0";
  kv["timer"] = Hex(s.timer, 4);
  kv["default-spm"] = s.defaultSpm ? "1" : "0";
  kv["default-timer"] = Hex(s.defaultTimer, 4);
  kv["plugged"] = s.plugged ? "1" : "0";
  for (const auto& [key, value] : s.registers) {
    char name[32];
    std::snprintf(name, sizeof name, "reg.%02X.%04X", key >> 16, key & 0xFFFF);
    kv[name] = Hex(value, 2);
  }
  // A state that comes out as it stands is not written again. The file
  // mostly holds the very text this state writes; one edited by hand is
  // compared by its values.
  const std::string path = StatePath(m, e);
  const std::string text = KeyValuesText(kv);
  std::string now;
  if (!knownToDiffer && ReadKeyValuesText(path, now) && (now == text || ParseKeyValues(now) == kv)) return true;
  return WriteTextFileAtomically(path, text);
}

UnitExtent UnitOf(const SimEnclosure& e, const BridgeState& s, int part) {
  UnitExtent u;
  const bool split = s.partitioned && s.publicSectors > 0 && s.publicSectors < e.sectors;
  if (!s.plugged) return u;
  if (part == 0) {
    u.present = true;
    u.sectors = split ? s.publicSectors : e.sectors;
  } else if (part == 1 && split) {
    u.present = true;
    u.locked = s.locked;
    u.firstSector = s.publicSectors;
    u.sectors = e.sectors - s.publicSectors;
  }
  return u;
}

bool SameUnits(const SimEnclosure& e, const BridgeState& a, const BridgeState& b) {
  if (a.plugged != b.plugged) return false;
  for (int part = 0; part < 2; ++part) {
    const UnitExtent x = UnitOf(e, a, part), y = UnitOf(e, b, part);
    if (x.present != y.present || x.locked != y.locked || x.firstSector != y.firstSector || x.sectors != y.sectors) {
      return false;
    }
  }
  return true;
}

long ReadImage(const Machine& m, const SimEnclosure& e, uint64_t offset, uint8_t* buf, uint32_t bytes) {
  if (offset + bytes > e.sectors * kSectorSize) return 27;  // sector not found
  return ReadImageFile(m.PathOf(e.image), offset, buf, bytes);
}

long WriteImage(const Machine& m, const SimEnclosure& e, uint64_t offset, const uint8_t* buf, uint32_t bytes) {
  if (offset + bytes > e.sectors * kSectorSize) return 27;
  NoteOwnWrite();
  return WriteImageFile(m.PathOf(e.image), offset, buf, bytes);
}

bool CreateImage(const Machine& m, const SimEnclosure& e, std::string& error) {
  NoteOwnWrite();
  const std::string path = m.PathOf(e.image);
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
      error = "cannot create " + path;
      return false;
    }
  }
  std::error_code ec;
  fs::resize_file(path, e.sectors * kSectorSize, ec);  // sparse where the file system allows
  if (ec) {
    error = "cannot size " + path + ": " + ec.message();
    return false;
  }
  return true;
}

namespace bridge_detail {

void CheckCondition(BridgeReply& r, uint8_t senseKey, uint8_t asc) {
  r.status = kScsiStatusCheckCondition;
  r.sense.fill(0);
  r.sense[0] = 0x70;  // current error, fixed format
  r.sense[2] = senseKey;
  r.sense[7] = 10;
  r.sense[12] = asc;
  r.dataIn.clear();
}

}  // namespace bridge_detail

BridgeReply ExecuteBridgeCommand(const Machine& m, const SimEnclosure& e, const BridgeRequest& q) {
  using namespace bridge_detail;
  BridgeReply r;
  const Faults faults = LoadFaults(m);
  const uint8_t op = q.cdb[0];
  if (op == kOpReadButtonStatus && faults.statusReadFails) {
    r.error = kErrorIoDevice;
    return r;
  }
  const std::string name = Hex(op, 2).substr(2);
  const std::string withSub = op == kOpPower ? name + Hex(q.cdb[1], 2).substr(2) : name;
  for (const std::string& f : faults.failing) {
    if (f == name || f == withSub) {
      r.error = kErrorIoDevice;
      return r;
    }
  }
  if (faults.busy) {
    CheckCondition(r, 0x02, 0x04);  // not ready: logical unit not ready
    return r;
  }
  // Sector reads and writes and the plain SCSI questions never change the
  // state. Every other command is answered from the state as last written
  // (each write replaces the file whole); one that changes it is done again
  // under the lock on the state as it then stands, and written.
  const bool media = op == kOpTestUnitReady || op == kOpInquiry || op == kOpReadCapacity || op == kOpRead10 ||
                     op == kOpWrite10;
  std::optional<StateLock> lock;
  if (!media && (kReadsTakeTheLock || op == kOpEraseDisk)) lock.emplace(m.dir);  // erase reaches beyond the state
  BridgeState state, before;
  bool changed = false;
  bool handled = false;
  for (;;) {
    state = LoadBridgeState(m, e);
    before = state;
    changed = false;
    handled = ButtonCommand(m, e, state, q, r, changed) || SecurityCommand(m, e, state, q, r, changed) ||
              PowerCommand(m, e, state, q, r, changed) || MediaCommand(m, e, state, q, r, changed);
    if (media || !changed || state == before || lock) break;
    r = BridgeReply{};
    lock.emplace(m.dir);
  }
  if (!handled) CheckCondition(r, 0x05, 0x20);  // illegal request: invalid command operation code
  // A state that differs from the one just read under the lock differs from
  // the file's: it is written without comparing the texts.
  if (changed && !SaveBridgeState(m, e, state, lock.has_value() && !(state == before))) {
    r = BridgeReply{};
    CheckCondition(r, 0x04, 0x44);  // hardware error
  }
  // A new split presents the disks anew; the system mounts what it finds.
  if (op == kOpSetPartitionSize && changed && r.status == kScsiStatusGood) MountFormattedVolumes(m.dir, e.id);
  if (r.status == kScsiStatusGood) r.dataIn.resize(std::min<size_t>(r.dataIn.size(), q.dataLength));
  return r;
}

}  // namespace zel::sim
