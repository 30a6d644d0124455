#include "cli/dormel_session.h"

#include <cstdio>

#include "common/device_list.h"
#include "ports/platform.h"

namespace zel::cli {

int ConsolePowerPrompter::Show(int, const std::string& text, const std::string&, int) {
  const size_t end = text.find_last_not_of(' ');
  std::fprintf(stderr, "%s: %s\n", name_, text.substr(0, end == std::string::npos ? 0 : end + 1).c_str());
  return kIdYes;
}

int DormelSession::Open(const Arguments& args) {
  std::string error;
  if (!platform_.Open(args, error)) {
    std::fprintf(stderr, "%s: %s\n", name_, error.c_str());
    return 1;
  }
  Ports().skinned = &prompter_;
  if (const sim::ViewPass pass = platform_.DevicePass();
      EnumerateDevices(GlobalDeviceList()) != 0 || GlobalDeviceList().entries.empty()) {
    std::fprintf(stderr, "%s: no supported device\n", name_);
    return 1;
  }
  return 0;
}

}  // namespace zel::cli
