#include "copy/copy_run.h"

#include "common/texts.h"
#include "copy/run_texts.h"
#include "copy/task_file.h"
#include "copy/task_loop.h"
#include "copy/user_message.h"

namespace zel {
namespace {

struct Label {
  int id;
  const wchar_t* key;
  const wchar_t* tail;
};
constexpr Label kLabels[] = {
    {kCopyLabelSource, L"SourceDir", L" :"},
    {kCopyLabelDestination, L"DestinationDir", L" :"},
    {kCopyLabelStatus, L"CopyStatus", L""},
    {kCopyLabelProgress, L"CopyProgress", L""},
};

}  // namespace

CopyRun::CopyRun(CopyView& view, BridgeRegisters& bridge, TaskList& tasks)
    : view_(view), bridge_(bridge), tasks_(tasks) {}

CopyRun::~CopyRun() {
  if (worker_.joinable()) worker_.join();
}

bool CopyRun::Prepare() {
  // Labels whose text is missing keep the view's own.
  if (view_.HasLabels()) {
    for (const Label& l : kLabels) {
      std::wstring text;
      if (FindTextW(l.key, text)) view_.SetItemText(l.id, text + l.tail);
    }
  }
  const DiskList& disks = GlobalDiskList();
  const bool loaded = diskIndex_ < kMaxDisks &&
                      tasks_.Load(TaskFileName(disks.disks[diskIndex_].identity), true) != 0;
  if (!loaded || tasks_.Count() == 0) {
    ShowMessage(view_.Owner(), TextW(L"MsgStr15", L"Can not find any copy task to execute!"), kCaptionError,
                L"Error Message", kMbIconError);
    return false;
  }
  started_ = true;
  state_.workerRunning = true;
  return true;
}

bool CopyRun::Start() {
  if (!Prepare()) return false;
  worker_ = std::thread([this] { Worker(); });
  return true;
}

// A thread of its own would cost more than the whole of a short run: its
// start, and the waking of the waiting thread on another processor at its end.
bool CopyRun::RunHere() {
  if (!Prepare()) return false;
  Worker();
  return true;
}

void CopyRun::Worker() {
  RunTaskLoop(tasks_, buttonMode_, direction_, state_, view_);
  {
    std::lock_guard<std::mutex> lock(endMutex_);
    state_.workerRunning = false;
  }
  ended_.notify_all();
}

bool CopyRun::WaitForWorker(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(endMutex_);
  return ended_.wait_for(lock, timeout, [this] { return !state_.workerRunning; });
}

void CopyRun::Cancel() {
  if (ShowMessage(view_.Owner(), TextW(L"MsgStr27", L"Do you really want to cancel copy task?"), kCaptionPrompt,
                  L"Prompt Message", kMbYesNo | kMbIconInformation) == kIdYes) {
    state_.stop = true;
  }
}

bool CopyRun::Tick() {
  if (!started_ || finished_ || state_.workerRunning) return false;
  if (worker_.joinable()) worker_.join();
  finished_ = true;
  const bool stopped = state_.stop;
  ShowMessage(view_.Owner(), SummaryText(stopped, state_.filesCopied, state_.bytesCopied, state_.filesNotCopied),
              kCaptionInformation, L"Information Message", SummaryStyle(stopped));
  ClearBusyIndication(GlobalDiskList(), bridge_);
  return true;
}

}  // namespace zel
