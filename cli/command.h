// Sub-commands of the command-line front ends. Each tool's main holds a
// table of these; each sub-command lives in a file of its own. The table is
// the one description of the options: the parser, --help, the usage lines,
// the man page and the bash completion are all made from it.
#pragma once
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace CLI {
class Option;
}  // namespace CLI

namespace zel::cli {

// What the command line gave one sub-command, read from the parser's results
// against the sub-command's option table: the parser decided what is
// accepted, and this is the only way a sub-command reads it.
class Arguments {
 public:
  // Whether a flag or an option was given (one the table does not have
  // never is).
  bool Has(const char* name) const;
  // The value given to an option; false when it was not given.
  bool Value(const char* name, std::string& out) const;
  // The operands in their order; for a sub-command with verbs, the verb and
  // its words.
  const std::vector<std::string>& Operands() const { return operands_; }

  // Made by the parser (and by tests): the options of the table with the
  // parser's result of each, and the operands.
  void AddOption(const char* name, const CLI::Option* result) { options_.emplace_back(name, result); }
  void SetOperands(std::vector<std::string> operands) { operands_ = std::move(operands); }

 private:
  const CLI::Option* Find(const char* name) const;
  std::vector<std::pair<std::string, const CLI::Option*>> options_;
  std::vector<std::string> operands_;
};

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
  int (*run)(const Arguments& args);
  // The sub-command takes verbs of its own (corvex tasks): its operands are
  // the verb and the verb's words, the options of the table given anywhere
  // among them.
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

}  // namespace zel::cli
