// A copy run's view in the terminal, around the view that shows the run. The
// run goes on the program's own thread, so Ctrl-C is taken up where the run
// calls its view: before each file and at the end of each task. The question
// whether to cancel is asked there, and the copying waits for the answer.
#pragma once
#include <atomic>
#include <string>

#include "copy/copy_run.h"
#include "copy/copy_view.h"

namespace zel::cli {

class InterruptibleView : public CopyView {
 public:
  // `interrupted` is set by the program's Ctrl-C handler.
  InterruptibleView(CopyView& shown, std::atomic<bool>& interrupted) : shown_(shown), interrupted_(interrupted) {}
  // The run that a Ctrl-C asks to cancel; none before this is called.
  void Attach(CopyRun& run) { run_ = &run; }

  void SetItemText(int id, const std::wstring& text) override;
  void SetCaption(const std::wstring& text) override;
  void SetProgress(int percent) override;
  void FileNotCopied(const std::wstring& sourceFile, long error) override;
  uintptr_t Owner() const override { return shown_.Owner(); }
  bool HasLabels() const override { return shown_.HasLabels(); }

 private:
  void AskIfInterrupted();

  CopyView& shown_;
  std::atomic<bool>& interrupted_;
  CopyRun* run_ = nullptr;
};

}  // namespace zel::cli
