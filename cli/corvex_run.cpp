// corvex run --disk N [--direction 1|2] [--machine DIR] [--yes|--no]
// Runs the copy tasks of a disk in the terminal: a progress bar per task with
// the file being copied, the questions on the terminal (or answered by --yes
// or --no), the summary. Ctrl-C asks whether to cancel. Exit status 0 when
// the run completed, 1 when it was cancelled, stopped, had nothing to run or
// could not copy a file (each such file is named on standard error).
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/corvex_run_setup.h"
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
// directories on lines of their own, the bar redrawn in place on a terminal
// (a line per task otherwise).
class TerminalView : public CopyView {
 public:
  explicit TerminalView(std::FILE* out) : out_(out), live_(isatty(fileno(out)) != 0) {}

  void SetItemText(int id, const std::wstring& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (id == kCopyTextFrom) {
      from_ = text;
    } else if (id == kCopyTextTo) {
      EndLine();
      std::fprintf(out_, "  %s -> %s\n", Printable(from_).c_str(), Printable(text).c_str());
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
    if (percent == 100 && changed && !live_) std::fprintf(out_, "  100%%\n");
    Draw(changed);
  }
  void FileNotCopied(const std::wstring& sourceFile, long error) override {
    std::lock_guard<std::mutex> lock(mutex_);
    EndLine();
    std::fprintf(stderr, "corvex run: not copied: %s (system error %ld)\n", Printable(sourceFile).c_str(), error);
  }
  uintptr_t Owner() const override { return 0; }

  // Before a message box: the bar's line is ended so the box starts clean.
  void MakeRoom() {
    std::lock_guard<std::mutex> lock(mutex_);
    EndLine();
  }

 private:
  void Draw(bool force) {
    if (!live_) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDraw_ < std::chrono::milliseconds(50)) return;
    lastDraw_ = now;
    constexpr int kWidth = 30;
    const int filled = percent_ * kWidth / 100;
    std::string name = Printable(file_);
    if (name.size() > 40) name = "..." + name.substr(name.size() - 37);
    std::fprintf(out_, "\r  [%s%s] %3d%% %-40s", std::string(filled, '#').c_str(),
                 std::string(kWidth - filled, '.').c_str(), percent_, name.c_str());
    std::fflush(out_);
    open_ = true;
  }
  void EndLine() {
    if (open_) std::fprintf(out_, "\n");
    open_ = false;
  }

  std::FILE* out_;
  bool live_;
  bool open_ = false;
  std::mutex mutex_;
  std::wstring from_, file_;
  int percent_ = -1;
  std::chrono::steady_clock::time_point lastDraw_{};
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "corvex run: %s\n", message.c_str());
  return 1;
}

}  // namespace

int RunCorvexRun(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  CorvexRunSetup setup;
  std::string error;
  if (!setup.Open(args, error)) return Fail(error);
  std::string directionText;
  const bool hasDirection = TakeOption(args, "--direction", directionText);
  if (hasDirection && directionText != "1" && directionText != "2") return Fail("--direction takes 1 or 2");
  uint8_t disk = 0;
  if (!setup.FindDisks(error) || !setup.TakeDisk(args, disk, error)) return Fail(error);
  if (!args.empty()) return Fail("unexpected argument " + args[0]);

  TerminalView view(stdout);
  setup.Prompter().BeforeBox([&view] { view.MakeRoom(); });
  TransportBridgeRegisters bridge;
  const uint8_t mode = setup.ButtonMode();
  const DiskRecord& record = GlobalDiskList().disks[disk];

  // As the configuration window starts its runs: in the one-button mode the
  // enclosure shows it is busy and the tasks take their own directions; in the
  // two-button mode the run is a backup (1) or a restore (2).
  CopyRun run(view, bridge);
  run.SetDiskIndex(disk);
  run.SetButtonMode(mode);
  if (mode == kButtonModeOne) {
    SetBusyIndication(record, bridge);
  } else {
    run.SetDirection(hasDirection ? static_cast<uint8_t>(directionText[0] - '0') : uint8_t{kDirectionBackup});
  }

  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &action, nullptr);
  int status = 1;
  if (run.Start()) {
    for (;;) {
      if (gInterrupted.exchange(false) && run.WorkerRunning()) run.Cancel();
      if (run.Tick()) break;
      run.WaitForWorker(std::chrono::milliseconds(50));
    }
    status = run.Stopped() || run.FilesNotCopied() > 0 ? 1 : 0;
  }
  if (mode == kButtonModeOne) {
    // Releases button 1's latch by the route the button watch takes.
    TransportButtonLatch().Write(disk, kButton1Bit);
  }
  signal(SIGINT, SIG_DFL);
  return status;
}

}  // namespace zel::cli
