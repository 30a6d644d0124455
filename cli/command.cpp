#include "cli/command.h"

#include <cstdio>
#include <cstring>

namespace zel::cli {

int Dispatch(const char* tool, const std::vector<Command>& commands, int argc, char** argv) {
  bool asked = false;
  if (argc >= 2) {
    for (const Command& c : commands) {
      if (std::strcmp(argv[1], c.name) == 0) {
        std::vector<std::string> args(argv + 2, argv + argc);
        return c.run(args);
      }
    }
    asked = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0;
    if (!asked) std::fprintf(stderr, "%s: unknown command '%s'\n", tool, argv[1]);
  }
  // Asked for, the usage is the answer (standard output, success); otherwise
  // it explains a mistake (standard error, status 2).
  std::FILE* out = asked ? stdout : stderr;
  std::fprintf(out, "usage: %s COMMAND [ARGS]\n\n", tool);
  for (const Command& c : commands) {
    std::fprintf(out, "  %s %s %s\n      %s\n", tool, c.name, c.usage, c.summary);
  }
  return asked ? 0 : 2;
}

bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == name && i + 1 < args.size()) {
      value = args[i + 1];
      args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
      return true;
    }
    if (args[i].rfind(name + "=", 0) == 0) {
      value = args[i].substr(name.size() + 1);
      args.erase(args.begin() + static_cast<long>(i));
      return true;
    }
  }
  return false;
}

bool TakeFlag(std::vector<std::string>& args, const std::string& name) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == name) {
      args.erase(args.begin() + static_cast<long>(i));
      return true;
    }
  }
  return false;
}

}  // namespace zel::cli
