// What every dormel sub-command that talks to a device does first: the
// ports ("--machine DIR" or this computer's devices), the supported device,
// and a prompter that prints the tool's messages on standard error.
#pragma once
#include <string>
#include <vector>

#include "cli/cli_platform.h"
#include "ports/prompter.h"

namespace zel::cli {

// Prints a box's text (without its padding blanks) and answers Yes.
class ConsolePowerPrompter : public SkinnedPrompter {
 public:
  explicit ConsolePowerPrompter(const char* name) : name_(name) {}
  int Show(int background, const std::string& text, const std::string& caption, int kind) override;
  void PlaySound(int) override {}

 private:
  const char* name_;
};

class DormelSession {
 public:
  explicit DormelSession(const char* name) : name_(name), prompter_(name) {}
  // 0 when ready; otherwise the exit status after telling the user why.
  int Open(const Arguments& args);

 private:
  const char* name_;
  ConsolePowerPrompter prompter_;
  CliPlatform platform_;
};

}  // namespace zel::cli
