// The progress dialog of a copy run: the Win32 view of the copy engine's
// run controller (copy/copy_run.h). The run's worker thread reports through
// the CopyView calls below; they never touch a control themselves but store
// the latest texts, caption and percentage under a lock and post one notice
// to the dialog, whose own thread then sets the controls. Posting never
// blocks the worker, so the dialog may wait for it without a deadlock, and
// updates that arrive faster than the screen shows them fold into one.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "copy/bridge_registers.h"
#include "copy/copy_view.h"
#include "framework/controls.h"
#include "framework/dialog.h"

namespace zel {

class CopyRun;

class CopyProgressDialog : public fw::CDialog, private CopyView {
 public:
  CopyProgressDialog();
  ~CopyProgressDialog() override;

  // Inputs for the next run (the same object may run again, each run with
  // its own totals).
  void SetDiskIndex(uint8_t index) { diskIndex_ = index; }
  void SetDirection(uint8_t direction) { direction_ = direction; }
  void SetButtonMode(uint8_t mode) { buttonMode_ = mode; }

 private:
  bool OnInitDialog() override;
  void OnOK() override {}  // Enter does not end a run
  void OnCancel() override;
  LRESULT OnTimer(WPARAM id, LPARAM);
  LRESULT OnViewUpdate(WPARAM, LPARAM);

  // CopyView, from any thread.
  void SetItemText(int id, const std::wstring& text) override;
  void SetCaption(const std::wstring& text) override;
  void SetProgress(int percent) override;
  uintptr_t Owner() const override { return reinterpret_cast<uintptr_t>(hwnd_); }

  struct Pending {
    std::map<int, std::wstring> texts;
    std::optional<std::wstring> caption;
    std::optional<int> percent;
  };
  template <class F>
  void Queue(F change);

  uint8_t diskIndex_ = 0;
  uint8_t direction_ = 0;
  uint8_t buttonMode_ = 1;
  TransportBridgeRegisters bridge_;
  std::unique_ptr<CopyRun> run_;
  fw::CProgressBar bar_;
  std::mutex mutex_;
  Pending pending_;
  bool noticePosted_ = false;

  ZEL_DECLARE_MESSAGE_MAP()
};

}  // namespace zel
