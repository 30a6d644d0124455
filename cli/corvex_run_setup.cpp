#include "cli/corvex_run_setup.h"

#include <cstdlib>

#include "cli/command.h"
#include "common/app_paths.h"
#include "common/config.h"
#include "common/disk_record.h"
#include "common/discovery.h"
#include "common/text.h"
#include "copy/task_flags.h"

namespace zel::cli {

std::string Printable(const std::wstring& text) { return WideToUtf8(text); }

bool CorvexRunSetup::Open(const Arguments& args, std::string& error) {
  const bool yes = args.Has("--yes");
  const bool no = args.Has("--no");
  if (yes && no) {
    error = "--yes and --no exclude each other";
    return false;
  }
  prompter_ = std::make_unique<ConsolePrompter>(yes  ? ConsolePrompter::Answers::AlwaysYes
                                                : no ? ConsolePrompter::Answers::AlwaysNo
                                                     : ConsolePrompter::Answers::Ask);
  Platform ports = Ports();
  ports.prompter = prompter_.get();
  prompterPorts_ = std::make_unique<ScopedPorts>(ports);

  const char* env = std::getenv("ZEL_MACHINE");
  if (!args.Has("--machine") && env != nullptr && *env != 0) return platform_.Open(std::string(env), error);
  return platform_.Open(args, error);
}

bool CorvexRunSetup::FindDisks(std::string& error) {
  long result = 0;
  {
    const sim::ViewPass pass = platform_.DevicePass();
    result = Discover(GlobalDiskList());
  }
  if (result != 0) {
    error = "discovery failed with system error " + std::to_string(result);
    return false;
  }
  return true;
}
bool CorvexRunSetup::ReadDisk(const Arguments& args, uint8_t& index, std::string& error) {
  std::string text;
  if (!args.Value("--disk", text)) {
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
