// corvex run --disk N [--direction 1|2] [--machine DIR] [--yes|--no]
// Runs the copy tasks of a disk in the terminal: a progress bar per task with
// the file being copied (standard error, on a terminal), the questions on the terminal (or answered by --yes
// or --no), the summary. Ctrl-C asks whether to cancel. Exit status 0 when
// the run completed, 1 when it was cancelled, stopped, had nothing to run or
// could not copy a file (each such file is named on standard error).
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/corvex_run_setup.h"
#include "cli/interruptible_view.h"
#include "cli/progress_bar.h"
#include "common/transport.h"
#include "copy/bridge_registers.h"
#include "copy/button_latch.h"
#include "copy/copy_run.h"
#include "copy/task_flags.h"
#include "copy/task_loop.h"

namespace zel::cli {
namespace {

std::atomic<bool> gInterrupted{false};
void OnInterrupt(int) { gInterrupted = true; }

// The progress dialog's controls on a terminal: the caption and the two
// directories on lines of their own (standard output), a line "100%" per
// finished task, and while a task runs the progress bar on standard error
// when that is a terminal: files and bytes copied, rate, time left, file.
// Into a pipe or a file the lines go out as a task's work starts: a caption
// goes with the directories that follow it, and a "100%" with what comes
// next (another task, a message, the end), each in one write. Anything on
// standard error waits until they are out, so the two keep their order.
class TerminalView : public CopyView {
 public:
  TerminalView(std::FILE* out, const CopyRun* const* run) : out_(out), run_(run), bar_(stderr) {}

  void SetItemText(int id, const std::wstring& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (id == kCopyTextFrom) {
      from_ = text;
    } else if (id == kCopyTextTo) {
      EndLine();
      std::fprintf(out_, "  %s -> %s\n", Printable(from_).c_str(), Printable(text).c_str());
      SendLines();
    } else if (id == kCopyTextFile) {
      file_ = text;
      Draw(false);
    }
  }
  void SetCaption(const std::wstring& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    EndLine();
    std::fprintf(out_, "%s\n", Printable(text).c_str());
  }
  void SetProgress(int percent) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool changed = percent != percent_;
    percent_ = percent;
    if (percent == 100 && changed) {
      Draw(true);
      EndLine();
      std::fprintf(out_, "  100%%\n");
      return;
    }
    Draw(changed);
  }
  void FileNotCopied(const std::wstring& sourceFile, long error) override {
    std::lock_guard<std::mutex> lock(mutex_);
    EndLine();
    SendLines();
    std::fprintf(stderr, "corvex run: not copied: %s (system error %ld)\n", Printable(sourceFile).c_str(), error);
  }
  uintptr_t Owner() const override { return 0; }
  bool HasLabels() const override { return false; }

  // Before a message box: the bar's line is cleared so the box starts clean.
  void MakeRoom() {
    std::lock_guard<std::mutex> lock(mutex_);
    EndLine();
    SendLines();
  }

 private:
  void Draw(bool force) {
    if (!bar_.Live() || percent_ < 0) return;
    SendLines();
    ProgressSample sample;
    sample.percent = percent_;
    sample.countsFiles = true;
    if (*run_ != nullptr) {
      sample.files = (*run_)->FilesCopied();
      sample.bytes = (*run_)->BytesCopied();
    }
    sample.seconds = bar_.Seconds();
    bar_.Update(sample, Printable(file_), force);
  }
  void EndLine() { bar_.Clear(); }
  // What standard output holds goes out (a terminal has had it line by line).
  void SendLines() { std::fflush(out_); }

  std::FILE* out_;
  const CopyRun* const* run_;
  ProgressBar bar_;
  std::mutex mutex_;
  std::wstring from_, file_;
  int percent_ = -1;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "corvex run: %s\n", message.c_str());
  return 1;
}

}  // namespace

int RunCorvexRun(const Arguments& args) {
  CorvexRunSetup setup;
  std::string error;
  if (!setup.Open(args, error)) return Fail(error);
  std::string directionText;
  const bool hasDirection = args.Value("--direction", directionText);
  if (hasDirection && directionText != "1" && directionText != "2") return Fail("--direction takes 1 or 2");
  uint8_t disk = 0;
  if (!setup.FindDisks(error) || !setup.ReadDisk(args, disk, error)) return Fail(error);

  const CopyRun* counters = nullptr;  // set once the run exists; the view is made first
  TerminalView shown(stdout, &counters);
  setup.Prompter().BeforeBox([&shown] { shown.MakeRoom(); });
  InterruptibleView view(shown, gInterrupted);
  TransportBridgeRegisters bridge;
  const uint8_t mode = setup.ButtonMode();
  const DiskRecord& record = GlobalDiskList().disks[disk];

  // As the configuration window starts its runs: in the one-button mode the
  // enclosure shows it is busy and the tasks take their own directions; in the
  // two-button mode the run is a backup (1) or a restore (2).
  CopyRun run(view, bridge);
  counters = &run;
  view.Attach(run);
  run.SetDiskIndex(disk);
  run.SetButtonMode(mode);
  if (mode == kButtonModeOne) {
    // The register is read and written back on one look at the machine.
    const sim::ViewPass pass = setup.DevicePass();
    SetBusyIndication(record, bridge);
  } else {
    run.SetDirection(hasDirection ? static_cast<uint8_t>(directionText[0] - '0') : uint8_t{kDirectionBackup});
  }

  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &action, nullptr);
  int status = 1;
  const bool ran = run.RunHere();
  {
    // The summary's clearing of the busy indication and the latch's release
    // are short steps after the copying: each looks at the machine once.
    const sim::ViewPass pass = setup.DevicePass();
    if (ran) {
      run.Tick();
      status = run.Stopped() || run.FilesNotCopied() > 0 ? 1 : 0;
    }
    if (mode == kButtonModeOne) {
      // Releases button 1's latch by the route the button watch takes.
      TransportButtonLatch().Write(disk, kButton1Bit);
    }
  }
  signal(SIGINT, SIG_DFL);
  return status;
}

}  // namespace zel::cli
