// One copy run of a disk's tasks, the controller behind the progress dialog
// and the terminal: it loads the disk's task file, copies on a worker thread
// (or on the caller's), and when the copying has ended shows the summary and
// clears the enclosures' busy indication. The view that shows it drives it:
//
//   if (!run.Start()) close;             // nothing to run (already told)
//   every second: if (run.Tick()) close; // the run has ended
//   on the cancel button: run.Cancel();
//
// A view without a timer of its own waits with WaitForWorker between ticks,
// and so sees the end as soon as it comes. A view with no window to keep
// answering (the terminal) runs the tasks on its own thread with RunHere and
// then calls Tick once; it asks to cancel from within its own calls.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "copy/bridge_registers.h"
#include "copy/copy_view.h"
#include "copy/run_state.h"
#include "copy/task_list.h"

namespace zel {

class CopyRun {
 public:
  CopyRun(CopyView& view, BridgeRegisters& bridge, TaskList& tasks = GlobalTaskList());
  ~CopyRun();  // waits for a worker that is still running
  CopyRun(const CopyRun&) = delete;
  CopyRun& operator=(const CopyRun&) = delete;

  // Inputs set by the starter before Start.
  void SetDiskIndex(uint8_t index) { diskIndex_ = index; }
  void SetDirection(uint8_t direction) { direction_ = direction; }
  void SetButtonMode(uint8_t mode) { buttonMode_ = mode; }

  // Sets the labels, loads the task file of the disk and starts the worker.
  // False, after telling the user, when there is no task to run.
  bool Start();
  // The same run on the calling thread: returns once the tasks have ended
  // (true), or false when there is no task to run, as Start. The run calls
  // its view before every file and at the end of every task, and Cancel may
  // be called from there.
  bool RunHere();
  // Asks whether to cancel; on Yes the worker stops before its next file.
  void Cancel();
  // False while the worker runs; once it has ended, shows the summary, clears
  // the busy indication of every present disk and returns true (once).
  bool Tick();
  // Waits until the worker has ended or `timeout` has passed; true when it
  // has ended (or never started).
  bool WaitForWorker(std::chrono::milliseconds timeout);

  bool Stopped() const { return state_.stop; }
  bool WorkerRunning() const { return state_.workerRunning; }
  uint32_t FilesCopied() const { return state_.filesCopied; }
  uint32_t FilesNotCopied() const { return state_.filesNotCopied; }
  uint64_t BytesCopied() const { return state_.bytesCopied; }

 private:
  bool Prepare();  // the labels and the task file; false (told) when there is nothing to run
  void Worker();

  CopyView& view_;
  BridgeRegisters& bridge_;
  TaskList& tasks_;
  uint8_t diskIndex_ = 0;
  uint8_t direction_ = 0;
  uint8_t buttonMode_ = 1;
  RunState state_;
  std::thread worker_;
  std::mutex endMutex_;
  std::condition_variable ended_;
  bool started_ = false;
  bool finished_ = false;
};

}  // namespace zel
