#include "platform/sim/machine_builder.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "common/boot_records.h"
#include "common/bytes.h"
#include "common/vendor_protocol.h"
#include "platform/sim/bridge.h"
#include "platform/sim/machine.h"
#include "platform/sim/sim_ports.h"
#include "platform/sim/state_file.h"

namespace zel::sim {
namespace fs = std::filesystem;
namespace {

constexpr uint64_t kFirstPartitionSector = 2048;
constexpr uint64_t kMiB = 1024 * 1024;

bool Finish(Machine& m, std::string& error) {
  if (!SaveMachine(m, error)) return false;
  for (const SimVolume& v : m.volumes) {
    std::error_code ec;
    if (!v.dir.empty()) fs::create_directories(m.PathOf(v.dir), ec);
  }
  return WriteMountedDevices(m.dir, error);
}

char NextFreeLetter(const Machine& m) {
  for (char c = 'E'; c <= 'Z'; ++c) {
    bool used = false;
    for (const SimVolume& v : m.volumes) used = used || v.letter == c;
    if (!used) return c;
  }
  return 0;
}

uint32_t NextVolumeNumber(const Machine& m) {
  uint32_t n = 0;
  for (const SimVolume& v : m.volumes) n = std::max(n, v.number);
  return n + 1;
}

bool WriteFat(const Machine& m, const std::string& enclosureId, uint64_t firstSector, uint64_t sectors,
              uint32_t signature, uint32_t serial, std::string& error);

// Adds an enclosure unit with its image, bridge state and volumes.
bool AddEnclosure(Machine& m, const std::string& usb, int lun, uint32_t diskMb, int buttons, std::string& error) {
  const std::string id = "enc" + std::to_string(m.enclosures.size() + 1);
  SimEnclosure e;
  e.id = id;
  e.usb = usb;
  e.image = id + ".img";
  e.sectors = static_cast<uint64_t>(diskMb) * kMiB / kSectorSize;
  e.buttons = buttons;
  if (e.sectors <= kFirstPartitionSector * 2) {
    error = "the enclosure's disk must be larger than 2 MiB";
    return false;
  }
  m.enclosures.push_back(e);
  const int bios = 0x81 + static_cast<int>(2 * (m.enclosures.size() - 1));
  for (int part = 0; part < 2; ++part) {
    SimDisk d;
    d.id = id + "d" + std::to_string(part);
    d.media = Media::Fixed;
    d.enclosure = id;
    d.part = part;
    d.lun = lun + part;
    d.usb = usb;
    d.bus = "scsi";
    d.friendly = L"ZELTECH ONE TOUCH DISK USB Device";
    d.bios = bios + part;
    m.disks.push_back(d);
    SimVolume v;
    v.id = id + "v" + std::to_string(part);
    v.disk = d.id;
    v.partition = 1;
    v.letter = NextFreeLetter(m);
    v.dir = std::string("drives/") + v.letter;
    v.label = part == 0 ? L"ZELDISK" : L"PRIVATE";
    v.fileSystem = L"FAT32";
    v.serial = 0x5A450000u + static_cast<uint32_t>(m.volumes.size());
    v.capacity = (e.sectors - kFirstPartitionSector) * kSectorSize;
    v.number = NextVolumeNumber(m);
    m.volumes.push_back(v);
  }
  if (!CreateImage(m, e, error)) return false;
  const SimVolume& publicVolume = m.volumes[m.volumes.size() - 2];
  if (!WriteFat(m, id, 0, e.sectors, 0x5A454C00u + static_cast<uint32_t>(m.enclosures.size()),
                         publicVolume.serial, error)) {
    return false;
  }
  if (!SaveBridgeState(m, e, BridgeState{})) {
    error = "cannot write " + StatePath(m, e);
    return false;
  }
  return true;
}

int EnclosureIndex(const Machine& m, int number, std::string& error) {
  if (number < 1 || static_cast<size_t>(number) > m.enclosures.size()) {
    error = "no enclosure " + std::to_string(number) + " (the machine has " + std::to_string(m.enclosures.size()) + ")";
    return -1;
  }
  return number - 1;
}

}  // namespace

bool WriteFatPartition(const std::string& dir, const std::string& enclosureId, uint64_t firstSector, uint64_t sectors,
                       uint32_t signature, uint32_t serial, std::string& error) {
  Machine m;
  return LoadMachine(dir, m, error) && WriteFat(m, enclosureId, firstSector, sectors, signature, serial, error);
}

namespace {

bool WriteFat(const Machine& m, const std::string& enclosureId, uint64_t firstSector, uint64_t sectors,
              uint32_t signature, uint32_t serial, std::string& error) {
  const SimEnclosure* e = m.FindEnclosure(enclosureId);
  if (e == nullptr || sectors <= kFirstPartitionSector) {
    error = "no room for a partition";
    return false;
  }
  uint8_t mbr[kSectorSize] = {};
  PutLe32(mbr + mbr_offset::kDiskSignature, signature);
  mbr[mbr_offset::kType] = 0x0C;  // FAT32 with LBA
  PutLe32(mbr + mbr_offset::kFirstSector, static_cast<uint32_t>(kFirstPartitionSector));
  PutLe32(mbr + mbr_offset::kSectorCount, static_cast<uint32_t>(sectors - kFirstPartitionSector));
  mbr[mbr_offset::kSignature] = kSectorMark0;
  mbr[mbr_offset::kSignature + 1] = kSectorMark1;
  using namespace boot_offset;
  uint8_t boot[kSectorSize] = {};
  boot[kJump] = 0xEB;
  boot[kJump + 1] = 0x58;
  boot[kJump + 2] = 0x90;
  std::memcpy(boot + kOemName, "MSWIN4.1", 8);
  PutLe16(boot + kBytesPerSector, kSectorSize);
  boot[kSectorsPerCluster] = 8;
  PutLe32(boot + kTotal32, static_cast<uint32_t>(sectors - kFirstPartitionSector));
  boot[kBootSig32] = 0x29;
  PutLe32(boot + kSerial32, serial);
  std::memcpy(boot + kLabel32, "ZELDISK    ", 11);
  std::memcpy(boot + kFsType32, "FAT32   ", 8);
  boot[kSignature] = kSectorMark0;
  boot[kSignature + 1] = kSectorMark1;
  if (WriteImage(m, *e, firstSector * kSectorSize, mbr, kSectorSize) != 0 ||
      WriteImage(m, *e, (firstSector + kFirstPartitionSector) * kSectorSize, boot, kSectorSize) != 0) {
    error = "cannot write the image of " + enclosureId;
    return false;
  }
  return true;
}

}  // namespace

bool CreateMachine(const std::string& dir, const CreateOptions& o, std::string& error) {
  std::error_code ec;
  if (fs::exists(fs::path(dir) / kMachineFile, ec)) {
    error = dir + " already holds a machine";
    return false;
  }
  fs::create_directories(dir, ec);
  if (ec) {
    error = "cannot create " + dir + ": " + ec.message();
    return false;
  }
  Machine m;
  m.dir = dir;
  m.family = o.windows98 ? "98" : "nt";
  m.version = o.windows98 ? OsVersion{4, 10, 2222} : OsVersion{5, 1, 2600};

  SimDisk hd;
  hd.id = "hd0";
  hd.media = Media::Fixed;
  hd.bus = "ide";
  hd.friendly = L"ST380011A";
  hd.bytes = 80026361856ull;
  hd.signature = 0x1A2B3C4D;
  hd.bios = 0x80;
  hd.partitions.push_back({32256, 80023749120ll, 0x07, true, true});
  m.disks.push_back(hd);
  SimDisk cd;
  cd.id = "cd0";
  cd.media = Media::Cdrom;
  cd.bus = "ide";
  cd.friendly = L"HL-DT-ST DVD-ROM GDR8163B";
  m.disks.push_back(cd);
  SimVolume c;
  c.id = "sys";
  c.disk = "hd0";
  c.partition = 1;
  c.letter = 'C';
  c.dir = "drives/C";
  c.label = L"SYSTEM";
  c.fileSystem = o.windows98 ? L"FAT32" : L"NTFS";
  c.serial = 0x0C0FFEE0;
  c.capacity = 80023749120ull;
  c.number = 1;
  m.volumes.push_back(c);
  SimVolume d;
  d.id = "dvd";
  d.disk = "cd0";
  d.partition = 0;
  d.letter = 'D';
  d.dir = "drives/D";
  d.label = L"SOFTWARE";
  d.fileSystem = L"CDFS";
  d.serial = 0x0D0D0D0D;
  d.capacity = 650 * kMiB;
  m.volumes.push_back(d);

  m.usb.push_back({"usb1", o.twoButton ? kTwoButtonHardwareId : kOneButtonHardwareId});
  if (!AddEnclosure(m, "usb1", 0, o.diskMb, o.twoButton ? 2 : 1, error)) return false;
  if (!Finish(m, error)) return false;
  // Keys every installed system has and the programs write into without
  // creating them: the log-on Run key and the key of the password hint.
  SimRegistry registry(m.dir);
  for (const wchar_t* key : {L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                             L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\Icon Hints"}) {
    if (registry.CreateKey(RegRoot::LocalMachine, key) != 0) {
      error = "cannot write the registry of " + m.dir;
      return false;
    }
  }
  return true;
}

bool AddLun(const std::string& dir, int number, uint32_t diskMb, std::string& error) {
  Machine m;
  if (!LoadMachine(dir, m, error)) return false;
  const int index = EnclosureIndex(m, number, error);
  if (index < 0) return false;
  const SimEnclosure base = m.enclosures[static_cast<size_t>(index)];
  int lun = 0;
  for (const SimDisk& disk : m.disks) {
    if (disk.usb == base.usb) lun = std::max(lun, disk.lun + 1);
  }
  if (!AddEnclosure(m, base.usb, lun, diskMb, base.buttons, error)) return false;
  return Finish(m, error);
}

bool PressButton(const std::string& dir, int number, int button, std::string& error) {
  Machine m;
  if (!LoadMachine(dir, m, error)) return false;
  const int index = EnclosureIndex(m, number, error);
  if (index < 0) return false;
  const SimEnclosure& e = m.enclosures[static_cast<size_t>(index)];
  if (button < 1 || button > e.buttons) {
    error = "enclosure " + std::to_string(number) + " has no button " + std::to_string(button);
    return false;
  }
  StateLock lock(m.dir);
  BridgeState s = LoadBridgeState(m, e);
  s.button = static_cast<uint8_t>(s.button & ~(button == 1 ? kButton1Bit : kButton2Bit));
  if (!SaveBridgeState(m, e, s)) {
    error = "cannot write " + StatePath(m, e);
    return false;
  }
  return true;
}

bool SetBridgeValue(const std::string& dir, int number, const std::string& key, const std::string& value,
                    std::string& error) {
  Machine m;
  if (!LoadMachine(dir, m, error)) return false;
  const int index = EnclosureIndex(m, number, error);
  if (index < 0) return false;
  const SimEnclosure& e = m.enclosures[static_cast<size_t>(index)];
  static const char* const known[] = {"button", "partitioned", "public-sectors", "locked", "password-set",
                                      "password", "spm", "timer", "default-spm", "default-timer", "plugged"};
  bool ok = key.rfind("reg.", 0) == 0;
  for (const char* k : known) ok = ok || key == k;
  if (!ok) {
    error = "unknown bridge value '" + key + "'";
    return false;
  }
  // Through the state's own reader and writer, so the file stays well formed.
  StateLock lock(m.dir);
  KeyValues kv;
  ReadKeyValues(StatePath(m, e), kv);
  kv[key] = value;
  if (!WriteKeyValues(StatePath(m, e), kv) || !SaveBridgeState(m, e, LoadBridgeState(m, e))) {
    error = "cannot write " + StatePath(m, e);
    return false;
  }
  return true;
}

}  // namespace zel::sim
