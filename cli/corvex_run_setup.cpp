#include "cli/corvex_run_setup.h"

#include <unistd.h>

#include <cstdlib>

#include "cli/command.h"
#include "common/config.h"
#include "common/text.h"
#include "common/transport.h"
#include "copy/task_flags.h"
#include "platform/sim/view.h"
#include "common/app_paths.h"
#include "common/disk_record.h"
// Discovery comes with the device-access work; until then the commands that
// need the disk list say so.
#if __has_include("common/discovery.h")
#include "common/discovery.h"
#include "common/hardware_list.h"
#define ZEL_HAVE_DISCOVERY 1
#endif

namespace zel::cli {

std::string Printable(const std::wstring& text) { return WideToUtf8(text); }

bool CorvexRunSetup::Open(std::vector<std::string>& args, std::string& error) {
  const bool yes = TakeFlag(args, "--yes");
  const bool no = TakeFlag(args, "--no");
  if (yes && no) {
    error = "--yes and --no exclude each other";
    return false;
  }
  prompter_ = std::make_unique<ConsolePrompter>(yes  ? ConsolePrompter::Answers::AlwaysYes
                                                : no ? ConsolePrompter::Answers::AlwaysNo
                                                     : ConsolePrompter::Answers::Ask);
  std::string dir;
  if (!TakeOption(args, "--machine", dir)) {
    const char* env = std::getenv("ZEL_MACHINE");
    if (env == nullptr || *env == 0) {
      error = "no machine: give --machine DIR (a machine made with zelsim create)";
      return false;
    }
    dir = env;
  }
  if (access((dir + "/machine.txt").c_str(), R_OK) != 0) {
    error = "no simulated machine in " + dir;
    return false;
  }
  machine_ = std::make_unique<sim::SimMachinePorts>(dir);

  // Each lettered volume is its host directory; its free space is what its
  // capacity leaves, none at all under the "full" fault.
  std::map<wchar_t, std::string> drives;
  for (const auto& d : machine_->DriveMap()) drives[d.letter] = d.hostDirectory;
  files_ = std::make_unique<PosixFileSystem>(drives);
  for (const auto& d : machine_->DriveMap()) {
    if (d.full) {
      files_->SetFreeSpaceLimit(d.letter, 0);
    } else if (d.capacityBytes != 0) {
      const uint64_t used = sim::DirectoryBytes(d.hostDirectory);
      files_->SetFreeSpaceLimit(d.letter, used < d.capacityBytes ? d.capacityBytes - used : 0);
    }
  }

  Platform ports = Ports();
  machine_->Fill(ports);
  ports.files = files_.get();
  ports.prompter = prompter_.get();
  ports_ = std::make_unique<ScopedPorts>(ports);
  const OsVersion v = Ports().system->Version();
  SystemFamily() = v.major == 4 ? kFamily98 : kFamilyNt;
  return true;
}

bool CorvexRunSetup::FindDisks(std::string& error) {
#ifdef ZEL_HAVE_DISCOVERY
  LoadHardwareList(ProcessPaths().configFile);
  const long result = Discover(GlobalDiskList());
  if (result != 0) {
    error = "discovery failed with system error " + std::to_string(result);
    return false;
  }
  return true;
#else
  error = "this build has no device discovery yet";
  return false;
#endif
}

bool CorvexRunSetup::TakeDisk(std::vector<std::string>& args, uint8_t& index, std::string& error) {
  std::string text;
  if (!TakeOption(args, "--disk", text)) {
    error = "--disk N is needed";
    return false;
  }
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != 0 || n < 0 || n >= static_cast<long>(GlobalDiskList().count)) {
    error = "--disk takes a disk number from 0 to " + std::to_string(static_cast<long>(GlobalDiskList().count) - 1);
    return false;
  }
  index = static_cast<uint8_t>(n);
  return true;
}

uint8_t CorvexRunSetup::ButtonMode() const { return ButtonModeFromConfig(ReadInt(L"Config", L"Button", 1)); }

}  // namespace zel::cli
