// What a copy run shows while it works. The progress dialog of the Windows
// program and the terminal of the command-line tool both implement it; the
// run calls it from its worker thread as well as from the thread that owns
// the view.
#pragma once
#include <cstdint>
#include <string>

namespace zel {

// Control identifiers of the progress dialog.
enum : int {
  kCopyLabelSource = 1040,       // "Source Directory:"
  kCopyLabelDestination = 1041,  // "Destination Directory:"
  kCopyLabelStatus = 1042,       // "Copy Status:"
  kCopyLabelProgress = 1043,     // "Progress :"
  kCopyTextFrom = 1016,          // the directory copied from
  kCopyTextTo = 1017,            // the directory copied to
  kCopyTextFile = 1020,          // the source file being handled
  kCopyProgressBar = 1018,       // percent of the current task, 0 to 100
};

class CopyView {
 public:
  virtual ~CopyView() = default;
  // A label or one of the three texts, by control identifier.
  virtual void SetItemText(int id, const std::wstring& text) = 0;
  virtual void SetCaption(const std::wstring& text) = 0;
  virtual void SetProgress(int percent) = 0;
  // A file that could not be copied, with the system error code; the run goes
  // on and counts it for the summary. Views that list nothing leave it be.
  virtual void FileNotCopied(const std::wstring& sourceFile, long error) {
    (void)sourceFile;
    (void)error;
  }
  // The window that owns the run's message boxes (0 for none).
  virtual uintptr_t Owner() const = 0;
  // Whether the view has the four labels: a view without them is not given
  // their texts, which saves looking them up in the language file.
  virtual bool HasLabels() const { return true; }
};

}  // namespace zel
