#include "platform/sim/bridge.h"
#include "platform/sim/view.h"
#include "platform/sim/volume_mount.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <vector>
#include <fstream>

#include "common/hex_text.h"
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
  if (kv.empty()) return Faults{};
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

// A state file's text read straight into a state: the keys it knows, each
// as its last line gives it; registers in the order of their keys' names.
BridgeState ParseBridgeState(const std::string& text) {
  BridgeState s;
  std::string_view password;
  std::vector<std::pair<std::string_view, std::string_view>> registers;
  auto number = [](std::string_view value, uint64_t def) { return ParseNumber(value, def); };
  ForEachKeyValue(text, [&](std::string_view key, std::string_view value) {
    if (key == "button") s.button = static_cast<uint8_t>(number(value, 0xFF));
    else if (key == "partitioned") s.partitioned = number(value, 0) != 0;
    else if (key == "public-sectors") s.publicSectors = static_cast<uint32_t>(number(value, 0));
    else if (key == "locked") s.locked = number(value, 0) != 0;
    else if (key == "password-set") s.passwordSet = number(value, 0) != 0;
    else if (key == "password") password = value;
    else if (key == "spm") s.spm = number(value, 1) != 0;
    else if (key == "timer") s.timer = static_cast<uint16_t>(number(value, 0));
    else if (key == "default-spm") s.defaultSpm = number(value, 1) != 0;
    else if (key == "default-timer") s.defaultTimer = static_cast<uint16_t>(number(value, 0x0B40));
    else if (key == "plugged") s.plugged = number(value, 1) != 0;
    else if (key.substr(0, 4) == "reg.") registers.emplace_back(key, value);
  });
  std::string bytes;
  if (ParseHexBytes(password, bytes) && bytes.size() == 12) {
    std::copy(bytes.begin(), bytes.end(), s.password.begin());
  }
  // The same name twice counts with its last value; names that differ but
  // give the same register are taken in the order of the names.
  std::stable_sort(registers.begin(), registers.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 0; i < registers.size(); ++i) {
    if (i + 1 < registers.size() && registers[i + 1].first == registers[i].first) continue;
    unsigned where[2] = {};  // sub-address and address, as "reg.SS.AAAA" names them
    if (ReadDottedNumbers(registers[i].first.substr(4), 16, where, 2) == 2) {
      s.SetRegister(static_cast<uint8_t>(where[0]), static_cast<uint16_t>(where[1]),
                    static_cast<uint8_t>(number(registers[i].second, 0)));
    }
  }
  return s;
}

// The text a state is written as: one "key=value" line for each, in the
// order of the keys' names, as the machine's other files are written.
std::string BridgeStateText(const BridgeState& s) {
  std::string text;
  text.reserve(256 + 19 * s.registers.size());
  auto line = [&](const char* key) -> std::string& { return text.append(key).append(1, '='); };
  auto flag = [&](const char* key, bool on) { line(key).append(on ? "1\n" : "0\n"); };
  auto hex = [&](const char* key, uint64_t value, int digits) {
    AppendHexNumber(line(key).append("0x"), value, digits);
    text += '\n';
  };
  hex("button", s.button, 2);
  flag("default-spm", s.defaultSpm);
  hex("default-timer", s.defaultTimer, 4);
  flag("locked", s.locked);
  flag("partitioned", s.partitioned);
  line("password").append(HexBytes(s.password.data(), s.password.size())).append(1, '\n');
  flag("password-set", s.passwordSet);
  flag("plugged", s.plugged);
  line("public-sectors").append(std::to_string(s.publicSectors)).append(1, '\n');
  for (const auto& [key, value] : s.registers) {  // "reg.SS.AAAA", in the order of the names
    text += "reg.";
    AppendHexNumber(text, key >> 16, 2);
    text += '.';
    AppendHexNumber(text, key & 0xFFFF, 4);
    text += "=0x";
    AppendHexNumber(text, value, 2);
    text += '\n';
  }
  flag("spm", s.spm);
  hex("timer", s.timer, 4);
  return text;
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
  // A state that comes out as it stands is not written again. The file
  // mostly holds the very text this state writes; one edited by hand is
  // compared by its values.
  const std::string path = StatePath(m, e);
  const std::string text = BridgeStateText(s);
  std::string now;
  if (!knownToDiffer && ReadKeyValuesText(path, now) && (now == text || ParseKeyValues(now) == ParseKeyValues(text))) {
    return true;
  }
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
  NoteOwnImageWrite(m, e, offset, bytes);
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
