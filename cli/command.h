// Sub-commands of the command-line front ends. Each tool's main holds a
// table of these; each sub-command lives in a file of its own. The table is
// the one description of the options: the parser, --help, the usage lines,
// the man page and the bash completion are all made from it.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace zel::cli {

struct Option {
  const char* name;   // "--machine"
  const char* value;  // "DIR"; nullptr for a flag
  const char* help;   // one line
};

struct Command {
  const char* name;
  const char* operands;  // positional arguments, "" when there are none
  const char* summary;   // one line: what it does
  std::vector<Option> options;
  // args after the sub-command name: the options given, each as "--name" or
  // "--name VALUE", then the operands in their order.
  int (*run)(const std::vector<std::string>& args);
  // The sub-command takes verbs of its own (corvex tasks): everything after
  // its name is handed over, the options after the operands.
  bool verbs = false;
  // More text for --help and the man page (the verbs of such a sub-command).
  const char* details = nullptr;
};

struct Tool {
  const char* name;
  const char* summary;
  std::vector<Command> commands;
};

// Options shared by the sub-commands that address a device.
extern const Option kMachineOption;
extern const Option kCodePageOption;
extern const Option kYesOption;
extern const Option kJsonOption;
extern const Option kQuietOption;

// Parses argv and runs the sub-command it names. Help and --version go to
// standard output (status 0); a mistake is named with the usage line on
// standard error (status 2).
int Dispatch(const Tool& tool, int argc, char** argv);

// "corvex run --disk N [--direction 1|2] ...": the usage line of a sub-command.
std::string UsageLine(const char* tool, const Command& command);

// The man page (roff) and the bash completion script of a tool.
void WriteManPage(const Tool& tool, std::FILE* out);
void WriteBashCompletion(const Tool& tool, std::FILE* out);

// Takes "--name VALUE" (or "--name=VALUE") out of args; true when present.
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value);
// Takes a flag "--name" out of args; true when present.
bool TakeFlag(std::vector<std::string>& args, const std::string& name);

}  // namespace zel::cli
