#include <cstdio>
#include <filesystem>

#include "cli/zelsim_commands.h"
#include "common/text.h"
#include "platform/sim/bridge.h"
#include "platform/sim/state_file.h"
#include "platform/sim/view.h"

namespace zel::cli {
namespace {

const char* MediaName(sim::Media m) {
  switch (m) {
    case sim::Media::Removable: return "removable";
    case sim::Media::Cdrom: return "cdrom";
    default: return "fixed";
  }
}

std::string Absolute(const std::string& path) {
  std::error_code ec;
  const auto p = std::filesystem::absolute(path, ec);
  return ec ? path : p.lexically_normal().string();
}

}  // namespace

int ZelsimShow(const Arguments& args) {
  const std::vector<std::string>& operands = args.Operands();
  if (operands.size() != 1) return Usage("show", "DIR");
  sim::View view;
  std::string error;
  if (!view.Load(operands[0], error)) return Fail("show", error);
  const sim::Machine& m = view.machine;
  std::printf("machine %s: %s family, version %u.%u.%u\n", Absolute(m.dir).c_str(),
              m.IsNt() ? "NT" : "Windows 98", m.version.major, m.version.minor, m.version.build);
  for (const sim::SimUsb& u : m.usb) std::printf("usb %s %s\n", u.id.c_str(), WideToUtf8(u.hardwareId).c_str());

  for (size_t i = 0; i < m.enclosures.size(); ++i) {
    const sim::SimEnclosure& e = m.enclosures[i];
    const sim::BridgeState& s = view.states[e.id];
    std::printf("enclosure %zu (%s) on %s: %d button%s, %llu MiB, image %s\n", i + 1, e.id.c_str(), e.usb.c_str(),
                e.buttons, e.buttons == 1 ? "" : "s",
                static_cast<unsigned long long>(e.sectors * sim::kSectorSize / (1024 * 1024)),
                Absolute(m.PathOf(e.image)).c_str());
    std::printf("  inquiry \"%s\" \"%s\" \"%s\"\n", e.vendor.c_str(), e.product.c_str(), e.revision.c_str());
    std::printf("  button %s  partitioned %d  public-sectors %u  locked %d  password-set %d\n",
                sim::Hex(s.button, 2).c_str(), s.partitioned, s.publicSectors, s.locked, s.passwordSet);
    std::printf("  spm %d  timer %s  defaults: spm %d timer %s\n", s.spm, sim::Hex(s.timer, 4).c_str(), s.defaultSpm,
                sim::Hex(s.defaultTimer, 4).c_str());
    for (const auto& [key, value] : s.registers) {
      std::printf("  register %02X.%04X = %s\n", key >> 16, key & 0xFFFF, sim::Hex(value, 2).c_str());
    }
    std::printf("  state file %s\n", Absolute(sim::StatePath(m, e)).c_str());
  }

  for (const sim::SimDisk& d : m.disks) {
    const sim::ViewDisk* present = nullptr;
    for (const sim::ViewDisk& vd : view.disks) {
      if (vd.disk == &d) present = &vd;
    }
    std::printf("disk %s: %s, %s \"%s\"", d.id.c_str(), MediaName(d.media),
                d.enclosure.empty() ? d.bus.c_str() : ("unit " + std::to_string(d.part) + " of " + d.enclosure).c_str(),
                WideToUtf8(d.friendly).c_str());
    if (present == nullptr) {
      std::printf(", absent\n");
      continue;
    }
    std::printf(", %llu bytes, signature %s, lun %d\n    %s\n", static_cast<unsigned long long>(present->bytes),
                sim::Hex(present->layout.signature, 8).c_str(), d.lun, WideToUtf8(present->interfacePath).c_str());
    for (const PartitionInfo& p : present->layout.partitions) {
      std::printf("    partition %u: type %s at %lld, %lld bytes%s%s\n", p.partitionNumber,
                  sim::Hex(p.partitionType, 2).c_str(), static_cast<long long>(p.startingOffset),
                  static_cast<long long>(p.partitionLength), p.bootIndicator ? ", boot" : "",
                  p.recognizedPartition ? "" : ", not recognised");
    }
  }

  for (const sim::SimVolume& v : m.volumes) {
    const sim::ViewVolume* present = nullptr;
    for (const sim::ViewVolume& vv : view.volumes) {
      if (vv.volume == &v && vv.mounted) present = &vv;
    }
    std::printf("volume %s: %c%s %s partition %d, %s \"%s\", number %u, serial %s, capacity %llu, %s\n", v.id.c_str(),
                v.letter != 0 ? v.letter : '-', v.letter != 0 ? ":" : "", v.disk.c_str(), v.partition,
                WideToUtf8(v.fileSystem).c_str(), WideToUtf8(v.label).c_str(), v.number, sim::Hex(v.serial, 8).c_str(),
                static_cast<unsigned long long>(v.capacity), present != nullptr ? "mounted" : "not mounted");
    if (!v.dir.empty()) std::printf("    %c: -> %s\n", v.letter != 0 ? v.letter : '-', Absolute(m.PathOf(v.dir)).c_str());
  }

  sim::KeyValues faults;
  sim::ReadKeyValues(sim::FaultsPath(m), faults);
  if (faults.empty()) std::printf("faults: none\n");
  for (const auto& [name, value] : faults) std::printf("fault %s = %s\n", name.c_str(), value.c_str());
  return 0;
}

}  // namespace zel::cli

namespace zel::cli {

int ZelsimDrives(const Arguments& args) {
  const std::vector<std::string>& operands = args.Operands();
  if (operands.size() != 1) return Usage("drives", "DIR");
  sim::Machine m;
  std::string error;
  if (!sim::LoadMachine(operands[0], m, error)) return Fail("drives", error);
  std::string line;
  for (const DriveMapping& d : sim::MachineDriveMap(operands[0])) {
    if (!line.empty()) line += ";";
    line += static_cast<char>(d.letter);
    line += "=" + Absolute(d.hostDirectory);
  }
  std::printf("%s\n", line.c_str());
  return 0;
}

}  // namespace zel::cli
