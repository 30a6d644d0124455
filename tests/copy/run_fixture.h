// A copy run on real files with a recording view, a scripted prompter and
// recorded bridge register commands.
#pragma once
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "copy/bridge_registers.h"
#include "copy/copy_task.h"
#include "copy/copy_view.h"
#include "ports/platform.h"
#include "tests/support/scripted_prompter.h"
#include "tests/copy/test_drives.h"

namespace zel::test {

class RecordingView : public CopyView {
 public:
  void SetItemText(int id, const std::wstring& text) override;
  void SetCaption(const std::wstring& text) override;
  void SetProgress(int percent) override;
  void FileNotCopied(const std::wstring& sourceFile, long error) override;
  uintptr_t Owner() const override { return 0x4242; }

  std::vector<std::wstring> Captions() const;
  std::vector<std::pair<int, std::wstring>> Texts() const;
  std::vector<int> Progress() const;
  std::vector<std::wstring> NotCopied() const;
  // Called on every file shown (from the worker).
  std::function<void(const std::wstring&)> onFile;

 private:
  mutable std::mutex mutex_;
  std::vector<std::wstring> captions_;
  std::vector<std::pair<int, std::wstring>> texts_;
  std::vector<int> progress_;
  std::vector<std::wstring> notCopied_;
};

struct RegisterCall {
  bool write;
  wchar_t letter;
  uint8_t sub;
  uint16_t address;
  uint16_t nOrParameter;
  uint8_t value;
};

class RecordingBridge : public BridgeRegisters {
 public:
  bool Read(wchar_t letter, uint8_t sub, uint16_t address, uint16_t n, uint8_t* destination) override;
  bool Write(wchar_t letter, uint8_t sub, uint16_t address, uint8_t parameter, uint8_t value) override;
  std::vector<RegisterCall> calls;
  uint8_t registerValue = 0xFF;
  bool readFails = false;
};

struct RunResult {
  bool started = false;
  bool stopped = false;
  uint32_t files = 0;
  uint64_t bytes = 0;
};

class RunFixture {
 public:
  RunFixture();
  ~RunFixture();
  // Writes the tasks as the task file of the run's disk and runs them.
  RunResult Run(const std::vector<CopyTask>& tasks, uint8_t buttonMode = 1, uint8_t direction = 0);
  // Texts of the boxes shown, in order.
  std::vector<std::wstring> BoxTexts() const;

  TestDrives drives;
  ScriptedPrompter prompter;
  RecordingView view;
  RecordingBridge bridge;
  bool runHere = false;  // Run runs the tasks on the test's thread (RunHere), not a worker's

 private:
  Platform ports_;
  std::unique_ptr<ScopedPorts> scoped_;
};

}  // namespace zel::test
