// corvex watch [--machine DIR] [--presses N] [--seconds S] [--yes|--no]
// The button watch in the terminal, on the simulated machine: every 2 seconds
// the button latch of every supported disk is read; a press runs the copy
// tasks of its disk (and of the enclosure's other units), each run logged a
// line at a time with its summary, and is then acknowledged. Presses made
// before the watch started are dropped. Ends after N presses were handled,
// after S seconds, or on Ctrl-C (which first asks to cancel a run that is
// going on). Exit status 0, 1 when the machine cannot be used, or 77 when
// this computer's enclosure cannot be reached for lack of access.
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/command.h"
#include "platform/linux/linux_ports.h"
#include "cli/corvex_run_setup.h"
#include "cli/interruptible_view.h"
#include "common/discovery.h"
#include "copy/bridge_registers.h"
#include "copy/button_latch.h"
#include "copy/button_watch.h"
#include "copy/copy_run.h"
#include "copy/main_frame_rules.h"

namespace zel::cli {
namespace {

using Clock = std::chrono::steady_clock;

std::atomic<bool> gInterrupted{false};
void OnInterrupt(int) { gInterrupted = true; }

// A run as a log: the task, its two directories, each file as it is copied
// and the end of each task, one line each (a watch's output is read later as
// often as it is watched).
class LogView : public CopyView {
 public:
  void SetItemText(int id, const std::wstring& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (id == kCopyTextFrom) from_ = text;
    if (id == kCopyTextTo) std::printf("  %s -> %s\n", Printable(from_).c_str(), Printable(text).c_str());
    if (id == kCopyTextFile) std::printf("    %s\n", Printable(text).c_str());
    std::fflush(stdout);
  }
  void SetCaption(const std::wstring& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    std::printf("%s\n", Printable(text).c_str());
  }
  void SetProgress(int) override {}
  uintptr_t Owner() const override { return 0; }
  bool HasLabels() const override { return false; }

 private:
  std::mutex mutex_;
  std::wstring from_;
};

// The main frame's part without a window: the two timers as deadlines, the
// copy runs in the terminal.
class TerminalHost : public ButtonWatchHost {
 public:
  explicit TerminalHost(uint8_t buttonMode) : buttonMode_(buttonMode) {}

  void StartPollTimer() override { nextPoll_ = Clock::now() + std::chrono::milliseconds(kPollPeriodMs); }
  void StopPollTimer() override { nextPoll_.reset(); }
  void StartRescanTimer() override { nextRescan_ = Clock::now() + std::chrono::milliseconds(kRescanPeriodMs); }
  void StopRescanTimer() override { nextRescan_.reset(); }
  void RunCopy(uint32_t disk, uint8_t direction) override {
    const DiskRecord& record = GlobalDiskList().disks[disk];
    std::printf("button %u: copy tasks of disk %u (%s)\n", direction, disk,
                Printable(FieldText(record.friendlyName)).c_str());
    LogView log;
    InterruptibleView view(log, gInterrupted);
    CopyRun run(view, bridge_);
    view.Attach(run);
    run.SetDiskIndex(static_cast<uint8_t>(disk));
    run.SetDirection(direction);
    run.SetButtonMode(buttonMode_);
    if (!run.RunHere()) return;
    run.Tick();
    // A Ctrl-C that came as the run ended was meant for the run, not the watch.
    gInterrupted = false;
  }
  void EndButtonRun() override {
    ++handled_;
    std::printf("press acknowledged\n");
    std::fflush(stdout);
  }
  void RefreshConfiguration() override {}

  // Which timer is due now, if any.
  bool PollDue() { return Due(nextPoll_, kPollPeriodMs); }
  bool RescanDue() { return Due(nextRescan_, kRescanPeriodMs); }
  int Handled() const { return handled_; }

 private:
  static bool Due(std::optional<Clock::time_point>& next, unsigned periodMs) {
    if (!next || Clock::now() < *next) return false;
    *next = Clock::now() + std::chrono::milliseconds(periodMs);
    return true;
  }

  uint8_t buttonMode_;
  TransportBridgeRegisters bridge_;
  std::optional<Clock::time_point> nextPoll_, nextRescan_;
  int handled_ = 0;
};

// No access to the enclosure (the user service does not restart on it).
constexpr int kExitNoAccess = 77;

int Fail(const std::string& message) {
  std::fprintf(stderr, "corvex watch: %s\n", message.c_str());
  return 1;
}

bool ReadCount(const Arguments& args, const char* name, long& out, std::string& error) {
  std::string text;
  if (!args.Value(name, text)) return true;
  char* end = nullptr;
  out = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != 0 || out <= 0) {
    error = std::string(name) + " takes a positive number";
    return false;
  }
  return true;
}

}  // namespace

int RunCorvexWatch(const Arguments& args) {
  CorvexRunSetup setup;
  std::string error;
  long presses = 0, seconds = 0;
  if (!setup.Open(args, error)) return Fail(error);
  if (!ReadCount(args, "--presses", presses, error) || !ReadCount(args, "--seconds", seconds, error)) {
    return Fail(error);
  }

  TerminalHost host(setup.ButtonMode());
  TransportButtonLatch latch;
  ButtonWatch watch(host, latch, GlobalDiskList(), &Discover, setup.ButtonMode());
  if (!setup.FindDisks(error)) {
    std::printf("%s; looking again every %u s\n", error.c_str(), kRescanPeriodMs / 1000);
    host.StartRescanTimer();
  }
  ResetButtonLatches(latch, GlobalDiskList());
  // Without access to the enclosure no press could ever be seen: say so (the
  // platform tells what to do as it closes) rather than watch in vain.
  if (!linux_adapters::DeviceAccessNotice().empty()) {
    Fail("the enclosure cannot be reached");
    return kExitNoAccess;
  }
  uint32_t supported = 0;
  for (uint32_t i = 0; i < GlobalDiskList().count; ++i) supported += GlobalDiskList().disks[i].present;
  std::printf("watching the buttons of %u supported disk(s); Ctrl-C ends\n", supported);
  std::fflush(stdout);

  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &action, nullptr);
  host.StartPollTimer();
  const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
  while (!gInterrupted.exchange(false)) {
    if (host.RescanDue()) watch.Rescan();
    if (host.PollDue()) watch.Poll();
    if (presses > 0 && host.Handled() >= presses) break;
    if (seconds > 0 && Clock::now() >= end) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::printf("%d press(es) handled\n", host.Handled());
  return 0;
}

}  // namespace zel::cli
