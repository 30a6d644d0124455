#include <cstdio>
#include <cstdlib>

#include "cli/command.h"
#include "cli/zelsim_commands.h"

namespace zel::cli {

bool ReadEnclosureNumber(const Arguments& args, int& number) {
  std::string value;
  number = 1;
  if (!args.Value("--disk", value)) return true;
  char* end = nullptr;
  const long n = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != 0 || n < 1 || n > 64) return false;
  number = static_cast<int>(n);
  return true;
}

int Fail(const char* command, const std::string& message) {
  std::fprintf(stderr, "zelsim %s: %s\n", command, message.c_str());
  return 1;
}

int Usage(const char* command, const char* usage) {
  std::fprintf(stderr, "usage: zelsim %s %s\n", command, usage);
  return 2;
}

}  // namespace zel::cli
