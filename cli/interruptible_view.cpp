#include "cli/interruptible_view.h"

namespace zel::cli {

// A second Ctrl-C while the question is up is taken as part of it, not as
// a second question; one after a cancelled run's answer changes nothing.
void InterruptibleView::AskIfInterrupted() {
  if (run_ == nullptr || !interrupted_.exchange(false) || run_->Stopped()) return;
  run_->Cancel();
  interrupted_ = false;
}

void InterruptibleView::SetItemText(int id, const std::wstring& text) {
  AskIfInterrupted();
  shown_.SetItemText(id, text);
}

void InterruptibleView::SetCaption(const std::wstring& text) {
  AskIfInterrupted();
  shown_.SetCaption(text);
}

void InterruptibleView::SetProgress(int percent) {
  AskIfInterrupted();
  shown_.SetProgress(percent);
}

void InterruptibleView::FileNotCopied(const std::wstring& sourceFile, long error) {
  AskIfInterrupted();
  shown_.FileNotCopied(sourceFile, error);
}

}  // namespace zel::cli
