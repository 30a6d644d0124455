// The tessary front end's terminal: the tool's messages (text and caption
// as the language file gives them), its questions, password entry without
// echo and the progress values.
#pragma once
#include <string>
#include <vector>

#include "cli/cli_platform.h"
#include "cli/progress_bar.h"
#include "ports/prompter.h"
#include "security/partition_format.h"

namespace zel::cli {

class TerminalPrompter : public SkinnedPrompter {
 public:
  explicit TerminalPrompter(bool assumeYes) : assumeYes_(assumeYes) {}
  // Questions take y/yes from the terminal (or the next line of standard
  // input); with --yes they are answered Yes at once. Other boxes print.
  int Show(int background, const std::string& text, const std::string& caption, int kind) override;
  void PlaySound(int) override {}

 private:
  bool assumeYes_;
};

// Reads one line: from the terminal without echo when standard input is a
// terminal, otherwise the next line of standard input. False at its end. A
// carriage return before the line's end (a file with CR LF endings) is not
// part of the line.
bool ReadSecret(const char* prompt, std::string& out);
// Reads one visible line (the hint); false at the end of the input.
bool ReadLine(const char* prompt, std::string& out);

// The terminal speaks UTF-8; passwords and hints go to the bridge and the
// hint store as the code page's bytes (security/code_page.h). False, after
// telling the user which character the code page cannot hold, when the text
// does not convert.
bool TypedToCodePage(const char* name, const std::string& typed, std::string& bytes);
// The code page's bytes as the terminal shows them.
std::string CodePageToTerminal(const std::string& bytes);

// Partition progress: a line "progress N%" on standard output when that is
// not a terminal, the bar (bytes of the disk done, rate, time left) on
// standard error when that is one.
class TerminalProgress : public PartitionView {
 public:
  explicit TerminalProgress(uint64_t diskBytes);
  ~TerminalProgress() override;
  void ShowProgress(uint8_t percent) override;
  void SetBusy(bool) override {}

 private:
  uint64_t diskBytes_;
  bool lines_;
  ProgressBar bar_;
};

// What every security sub-command does first: the ports (simulated machine
// with --machine), --yes, the code page of passwords and hints
// (--code-page N, 1252 unless given), the terminal prompter, the system
// family's route and the device list. `Open` returns 0 when the tool can go on, otherwise
// the exit status after telling the user why.
class TessarySession {
 public:
  TessarySession() = default;
  ~TessarySession();
  TessarySession(const TessarySession&) = delete;
  TessarySession& operator=(const TessarySession&) = delete;
  int Open(const char* name, const char* usage, const Arguments& args);
  // Builds the device list again (after the enclosure changed its disks).
  void Rediscover();
  // One look at the simulated machine for a run of commands (see sim::ViewPass).
  sim::ViewPass DevicePass() const { return platform_.DevicePass(); }

 private:
  CliPlatform platform_;
  std::unique_ptr<TerminalPrompter> prompter_;
  bool aspi_ = false;
};

}  // namespace zel::cli
