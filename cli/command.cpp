#include "cli/command.h"

#include <CLI/CLI.hpp>
#include <cstring>
#include <map>

#ifndef ZEL_TOOLS_VERSION
#define ZEL_TOOLS_VERSION "unknown"
#endif

namespace zel::cli {

const Option kMachineOption{"--machine", "DIR", "use the simulated machine in DIR instead of this computer's devices"};
const Option kCodePageOption{"--code-page", "N", "code page of the password and hint (default: the system's)"};
const Option kYesOption{"--yes", nullptr, "answer yes to every question"};
const Option kJsonOption{"--json", nullptr, "print the result as one JSON object"};
const Option kQuietOption{"--quiet", nullptr, "print only the values, one a line, without captions"};

std::string UsageLine(const char* tool, const Command& command) {
  std::string line = std::string(tool) + " " + command.name;
  if (command.operands[0] != '\0') line += std::string(" ") + command.operands;
  for (const Option& o : command.options) {
    line += std::string(" [") + o.name;
    if (o.value != nullptr) line += std::string(" ") + o.value;
    line += "]";
  }
  return line;
}

namespace {

struct Parsed {
  CLI::App* app = nullptr;
  std::vector<std::pair<const Option*, CLI::Option*>> options;
  std::vector<std::string> operands;
};

void PrintUsage(const Tool& tool, const Command* command, std::FILE* out) {
  if (command != nullptr) {
    std::fprintf(out, "usage: %s\n", UsageLine(tool.name, *command).c_str());
    std::fprintf(out, "Try '%s %s --help' for more information.\n", tool.name, command->name);
    return;
  }
  std::fprintf(out, "usage: %s COMMAND [ARGS]\n", tool.name);
  std::fprintf(out, "Try '%s --help' for more information.\n", tool.name);
}

}  // namespace

int Dispatch(const Tool& tool, int argc, char** argv) {
  // The documents made from the option table at build time.
  if (argc == 2 && std::strcmp(argv[1], "--man-page") == 0) {
    WriteManPage(tool, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--bash-completion") == 0) {
    WriteBashCompletion(tool, stdout);
    return 0;
  }

  CLI::App app(tool.summary, tool.name);
  app.set_version_flag("--version", std::string(tool.name) + " " + ZEL_TOOLS_VERSION);
  app.require_subcommand(1);
  // A command line that names its sub-command needs only that one's options
  // made; the whole table is made for the tool's own help and for mistakes.
  const Command* named = nullptr;
  for (const Command& c : tool.commands) {
    if (argc >= 2 && std::strcmp(argv[1], c.name) == 0) named = &c;
  }
  std::map<const Command*, Parsed> parsed;
  for (const Command& c : tool.commands) {
    if (named != nullptr && named != &c) continue;
    Parsed& p = parsed[&c];
    p.app = app.add_subcommand(c.name, c.summary);
    for (const Option& o : c.options) {
      CLI::Option* added = o.value != nullptr ? p.app->add_option(o.name, o.help)->type_name(o.value)
                                              : p.app->add_flag(o.name, o.help);
      p.options.emplace_back(&o, added);
    }
    if (c.details != nullptr) p.app->footer(c.details);
    if (c.operands[0] != '\0') p.app->add_option(c.verbs ? "verb" : "operands", p.operands, c.operands);
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version
    if (argc >= 2 && argv[1][0] != '-' && app.get_subcommands().empty()) {
      std::fprintf(stderr, "%s: unknown command '%s'\n", tool.name, argv[1]);
      PrintUsage(tool, nullptr, stderr);
      return 2;
    }
    const Command* used = nullptr;
    for (auto& [c, p] : parsed) {
      if (p.app->parsed()) used = c;
    }
    std::fprintf(stderr, "%s%s%s: %s\n", tool.name, used ? " " : "", used ? used->name : "", e.what());
    PrintUsage(tool, used, stderr);
    return 2;
  }

  for (auto& [c, p] : parsed) {
    if (!p.app->parsed()) continue;
    Arguments args;
    for (const auto& [option, result] : p.options) args.AddOption(option->name, result);
    args.SetOperands(p.operands);
    return c->run(args);
  }
  PrintUsage(tool, nullptr, stderr);
  return 2;
}

// An option that is not in the sub-command's table was not given: shared
// code (a session that takes --yes where the table has it) may ask for it.
const CLI::Option* Arguments::Find(const char* name) const {
  for (const auto& [known, result] : options_) {
    if (known == name) return result;
  }
  return nullptr;
}

bool Arguments::Has(const char* name) const {
  const CLI::Option* option = Find(name);
  return option != nullptr && option->count() > 0;
}

bool Arguments::Value(const char* name, std::string& out) const {
  const CLI::Option* option = Find(name);
  if (option == nullptr || option->count() == 0 || option->results().empty()) return false;
  out = option->results().back();
  return true;
}

}  // namespace zel::cli
