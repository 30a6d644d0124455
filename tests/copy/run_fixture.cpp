#include "tests/copy/run_fixture.h"

#include <gtest/gtest.h>

#include <chrono>

#include "common/disk_record.h"
#include "copy/copy_run.h"
#include "copy/task_file.h"

namespace zel::test {

void RecordingView::SetItemText(int id, const std::wstring& text) {
  std::function<void(const std::wstring&)> hook;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_.emplace_back(id, text);
    if (id == kCopyTextFile) hook = onFile;
  }
  if (hook) hook(text);
}

void RecordingView::SetCaption(const std::wstring& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  captions_.push_back(text);
}

void RecordingView::SetProgress(int percent) {
  std::lock_guard<std::mutex> lock(mutex_);
  progress_.push_back(percent);
}

std::vector<std::wstring> RecordingView::Captions() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return captions_;
}

std::vector<std::pair<int, std::wstring>> RecordingView::Texts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return texts_;
}

void RecordingView::FileNotCopied(const std::wstring& sourceFile, long error) {
  EXPECT_NE(error, kErrorSuccess);
  std::lock_guard<std::mutex> lock(mutex_);
  notCopied_.push_back(sourceFile);
}

std::vector<std::wstring> RecordingView::NotCopied() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return notCopied_;
}

std::vector<int> RecordingView::Progress() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return progress_;
}

bool RecordingBridge::Read(wchar_t letter, uint8_t sub, uint16_t address, uint16_t n, uint8_t* destination) {
  calls.push_back({false, letter, sub, address, n, 0});
  if (readFails) return false;
  *destination = registerValue;
  return true;
}

bool RecordingBridge::Write(wchar_t letter, uint8_t sub, uint16_t address, uint8_t parameter, uint8_t value) {
  calls.push_back({true, letter, sub, address, parameter, value});
  return true;
}

RunFixture::RunFixture() {
  ports_.files = &drives.Files();
  ports_.prompter = &prompter;
  scoped_ = std::make_unique<ScopedPorts>(ports_);
  DiskList& disks = GlobalDiskList();
  disks = DiskList{};
  disks.count = 1;
  disks.disks[0].identity = 0x77;
  disks.disks[0].present = 1;
  disks.disks[0].volumeCount = 1;
  disks.disks[0].volumes[0].driveLetter = u'N';
}

RunFixture::~RunFixture() { GlobalDiskList() = DiskList{}; }

RunResult RunFixture::Run(const std::vector<CopyTask>& tasks, uint8_t buttonMode, uint8_t direction) {
  DiskList none;  // the stored snapshot is empty: no remapping
  EXPECT_EQ(drives.Files().WriteFile(L"Disk77.CT", EncodeTaskFile(none, tasks)), kErrorSuccess);
  TaskList list;
  CopyRun run(view, bridge, list);
  run.SetDiskIndex(0);
  run.SetButtonMode(buttonMode);
  run.SetDirection(direction);
  RunResult result;
  result.started = runHere ? run.RunHere() : run.Start();
  if (!result.started) return result;
  if (runHere) {
    EXPECT_TRUE(run.Tick());  // nothing is left running
  } else {
    while (!run.Tick()) run.WaitForWorker(std::chrono::milliseconds(50));
  }
  result.stopped = run.Stopped();
  result.files = run.FilesCopied();
  result.bytes = run.BytesCopied();
  return result;
}

std::vector<std::wstring> RunFixture::BoxTexts() const {
  std::vector<std::wstring> texts;
  for (const ShownBox& b : prompter.Boxes()) texts.push_back(b.text);
  return texts;
}

}  // namespace zel::test
