// Sub-commands of the command-line front ends. Each tool's main holds a
// table of these; each sub-command lives in a file of its own.
#pragma once
#include <string>
#include <vector>

namespace zel::cli {

struct Command {
  const char* name;
  const char* usage;    // one line: arguments and options
  const char* summary;  // one line: what it does
  int (*run)(const std::vector<std::string>& args);  // args after the sub-command name
};

// Runs the sub-command named by argv[1], or prints the tool's usage.
int Dispatch(const char* tool, const std::vector<Command>& commands, int argc, char** argv);

// Takes "--name VALUE" (or "--name=VALUE") out of args; true when present.
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value);
// Takes a flag "--name" out of args; true when present.
bool TakeFlag(std::vector<std::string>& args, const std::string& name);

}  // namespace zel::cli
