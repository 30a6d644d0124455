#include "cli/cli_platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/command.h"
#include "common/app_paths.h"
#include "common/hardware_list.h"
#include "common/transport.h"
#include "platform/linux/linux_ports.h"
#include "platform/sim/machine.h"
#include "platform/sim/sim_ports.h"

namespace zel::cli {
namespace {

// The [HardwareID] section of the shipped config.ini, answered when no
// profile adapter is given to the tools: the identifiers of the two
// enclosure models and nothing else.
class ShippedHardwareProfile : public ProfilePort {
 public:
  uint32_t GetStringW(const std::wstring&, const wchar_t* section, const wchar_t* key, const wchar_t* def,
                      wchar_t* buf, uint32_t size) override {
    const wchar_t* value = def;
    if (section != nullptr && key != nullptr && std::wcscmp(section, L"HardwareID") == 0) {
      if (std::wcscmp(key, L"Device00") == 0) value = L"USB\\VID_3F1A&PID_0C35";
      if (std::wcscmp(key, L"Device01") == 0) value = L"USB\\VID_3F1A&PID_0C36";
    }
    const size_t n = value == nullptr || size == 0 ? 0 : std::min<size_t>(std::wcslen(value), size - 1);
    if (size > 0) {
      std::wmemcpy(buf, value != nullptr ? value : L"", n);
      buf[n] = 0;
    }
    return static_cast<uint32_t>(n);
  }
  uint32_t GetStringA(const std::string&, const char*, const char*, const char* def, char* buf,
                      uint32_t size) override {
    const size_t n = def == nullptr || size == 0 ? 0 : std::min<size_t>(std::strlen(def), size - 1);
    if (size > 0) {
      std::memcpy(buf, def != nullptr ? def : "", n);
      buf[n] = 0;
    }
    return static_cast<uint32_t>(n);
  }
  int32_t GetIntW(const std::wstring&, const wchar_t* section, const wchar_t* key, int32_t def) override {
    if (section != nullptr && key != nullptr && std::wcscmp(section, L"HardwareID") == 0 &&
        std::wcscmp(key, L"DeviceCount") == 0) {
      return 2;
    }
    return def;
  }
  int32_t GetIntA(const std::string&, const char*, const char*, int32_t def) override { return def; }
  bool FileExistsW(const std::wstring&) override { return false; }
  bool FileExistsA(const std::string&) override { return false; }
};

std::vector<DriveMapping> EnvironmentDriveMap() {
  std::vector<DriveMapping> out;
  for (const auto& [letter, dir] : linux_adapters::DriveLettersFromEnvironment()) {
    DriveMapping d;
    d.letter = letter;
    d.hostDirectory = dir;
    d.mounted = true;
    out.push_back(d);
  }
  return out;
}

}  // namespace

struct CliPlatform::Adapters {
  std::unique_ptr<sim::SimMachinePorts> sim;
  std::unique_ptr<linux_adapters::LinuxPorts> host;
  ShippedHardwareProfile shippedProfile;
  // The file-system adapter over DriveMap(): the copy work's PosixFileSystem
  // is made here once it is part of the build; until then the tools that
  // need files get none.
  std::unique_ptr<FileSystemPort> files;
};

CliPlatform::CliPlatform() : adapters_(std::make_unique<Adapters>()) {}
CliPlatform::~CliPlatform() {
  scoped_.reset();
  FreeHardwareList();
}

bool CliPlatform::Open(std::vector<std::string>& args, std::string& error) {
  Platform ports = Ports();  // keep whatever the program set up already (prompter, profile)
  simulated_ = TakeOption(args, "--machine", machineDir_);
  if (simulated_) {
    sim::Machine machine;
    if (!sim::LoadMachine(machineDir_, machine, error)) return false;
    adapters_->sim = std::make_unique<sim::SimMachinePorts>(machineDir_);
    adapters_->sim->Fill(ports);
    SystemFamily() = machine.IsNt() ? kFamilyNt : kFamily98;
  } else {
    adapters_->host = std::make_unique<linux_adapters::LinuxPorts>();
    adapters_->host->Fill(ports);
    SystemFamily() = kFamilyNt;  // interface-based discovery over sysfs
  }
  if (ports.profile == nullptr) ports.profile = &adapters_->shippedProfile;
  ports.files = adapters_->files.get();
  scoped_ = std::make_unique<ScopedPorts>(ports);
  LoadHardwareList(ProcessPaths().configFile);
  return true;
}

int CliPlatform::OpenForCommand(const char* name, const char* usage, const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  std::string error;
  if (!Open(args, error)) {
    std::fprintf(stderr, "%s: %s\n", name, error.c_str());
    return 1;
  }
  if (!args.empty()) {
    std::fprintf(stderr, "usage: %s %s\n", name, usage);
    return 2;
  }
  return 0;
}

std::vector<DriveMapping> CliPlatform::DriveMap() const {
  if (adapters_->sim) return adapters_->sim->DriveMap();
  return EnvironmentDriveMap();
}

}  // namespace zel::cli
