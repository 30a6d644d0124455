#include "cli/cli_platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>

#include "cli/command.h"
#include "common/app_paths.h"
#include "common/device_list.h"
#include "common/hardware_list.h"
#include "common/transport.h"
#include "platform/linux/linux_ports.h"
#include "platform/posix/file_system_posix.h"
#include "platform/sim/bridge.h"
#include "platform/sim/machine.h"
#include "platform/sim/sim_ports.h"
#include "platform/sim/view.h"

namespace zel::cli {
namespace {

std::vector<DriveMapping> HostDriveMap() { return linux_adapters::MountedDriveMap(linux_adapters::SysfsNodes(linux_adapters::HostRoots())); }

// A simulated machine's "full" volumes refuse a new folder with 112, as a FAT
// volume without a free cluster does. ("not-ready" needs nothing here: the
// free-space query of discovery meets it before any folder is made.)
class SimulatedVolumes : public PosixFileSystem {
 public:
  SimulatedVolumes(std::map<wchar_t, std::string> drives, std::string machineDir)
      : PosixFileSystem(std::move(drives)), machineDir_(std::move(machineDir)) {}

  long CreateDirectory(const std::wstring& path) override {
    const wchar_t letter = path.size() >= 2 && path[1] == L':' ? static_cast<wchar_t>(std::towupper(path[0])) : 0;
    const auto view = letter >= L'A' && letter <= L'Z' ? sim::CurrentView(machineDir_) : nullptr;
    if (view != nullptr) {
      const sim::Faults faults = sim::LoadFaults(view->machine);
      if (std::find(faults.full.begin(), faults.full.end(), static_cast<char>(letter)) != faults.full.end()) {
        return kErrorDiskFull;
      }
    }
    return PosixFileSystem::CreateDirectory(path);
  }

 private:
  std::string machineDir_;
};

// The file-system adapter over the drive map: each letter is its host
// directory, and its free space is what the volume's capacity leaves (none at
// all under the "full" fault), so a full volume fails a copy with 112. The
// files already there are counted when the first write to the volume needs it
// (a simulated machine keeps that count between processes).
std::unique_ptr<FileSystemPort> MakeFileSystem(const std::vector<DriveMapping>& drives, const std::string& machineDir) {
  std::map<wchar_t, std::string> dirs;
  for (const auto& d : drives) dirs[d.letter] = d.hostDirectory;
  auto files = machineDir.empty() ? std::make_unique<PosixFileSystem>(dirs)
                                  : std::make_unique<SimulatedVolumes>(dirs, machineDir);
  for (const auto& d : drives) {
    if (d.full) {
      files->SetFreeSpaceLimit(d.letter, 0);
    } else if (d.capacityBytes != 0) {
      const std::string keep =
          machineDir.empty() ? std::string() : sim::UsedBytesFile(machineDir, static_cast<char>(d.letter));
      files->SetFreeSpaceLimit(d.letter, [dir = d.hostDirectory, capacity = d.capacityBytes, keep] {
        return sim::FreeBytes(capacity, dir, keep);
      });
    }
  }
  return files;
}

}  // namespace

struct CliPlatform::Adapters {
  std::unique_ptr<sim::SimMachinePorts> sim;
  std::unique_ptr<FileSystemPort> files;
};

CliPlatform::CliPlatform() : adapters_(std::make_unique<Adapters>()) {}
CliPlatform::~CliPlatform() {
  // A device refused on this computer is explained once, with what to do.
  const std::string notice = simulated_ ? std::string() : linux_adapters::DeviceAccessNotice();
  if (!notice.empty()) std::fprintf(stderr, "%s\n", notice.c_str());
  scoped_.reset();
  FreeHardwareList();
}

bool CliPlatform::Open(const Arguments& args, std::string& error) {
  std::string dir;
  if (args.Value("--machine", dir) && dir.empty()) {
    error = "--machine needs the machine's directory";  // never this computer by mistake
    return false;
  }
  return Open(dir, error);
}

bool CliPlatform::Open(const std::string& machineDir, std::string& error) {
  Platform ports = Ports();  // keep whatever the program set up already (prompter, profile)
  machineDir_ = machineDir;
  simulated_ = !machineDir_.empty();
  if (simulated_) {
    // The machine as its ports will see it at their first call.
    const auto view = sim::CurrentView(machineDir_, error);
    if (view == nullptr) return false;
    adapters_->sim = std::make_unique<sim::SimMachinePorts>(machineDir_);
    adapters_->sim->Fill(ports);
    ports.family = view->machine.IsNt() ? SystemFamily::Nt : SystemFamily::Win98;
  } else {
    // This computer's devices: the Linux adapters the program installed.
    ports.family = SystemFamily::Nt;  // interface-based discovery over sysfs
    std::string lettersError;
    linux_adapters::ProcessDriveLetters(&lettersError);
    if (!lettersError.empty()) std::fprintf(stderr, "warning: %s\n", lettersError.c_str());
  }
  adapters_->files = MakeFileSystem(DriveMap(), simulated_ ? machineDir_ : std::string());
  if (adapters_->files) ports.files = adapters_->files.get();
  scoped_ = std::make_unique<ScopedPorts>(ports);
  LoadHardwareList(ProcessPaths().configFile);
  return true;
}

int CliPlatform::OpenForCommand(const char* name, const Arguments& args) {
  std::string error;
  if (!Open(args, error)) {
    std::fprintf(stderr, "%s: %s\n", name, error.c_str());
    return 1;
  }
  return 0;
}

void CliPlatform::RereadDisks() const {
  if (simulated_) return;
  const linux_adapters::SysfsNodes nodes(linux_adapters::HostRoots());
  for (const DeviceEntry& entry : GlobalDeviceList().entries) {
    if (long error = linux_adapters::RereadDisk(nodes, entry.interfacePath); error != 0) {
      std::fprintf(stderr, "warning: %s: the kernel did not read the disk again (error %ld); "
                           "plug the enclosure in again to see its new partitions\n",
                   entry.interfacePath.c_str(), error);
    }
  }
}

std::vector<DriveMapping> CliPlatform::DriveMap() const {
  if (adapters_->sim) return adapters_->sim->DriveMap();
  return HostDriveMap();
}

}  // namespace zel::cli
