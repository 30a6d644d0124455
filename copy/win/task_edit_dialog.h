// The edit dialog: one task's paths, options and direction. OK ends it only
// when the task passes the checks of copy/task_edit.h.
#pragma once
#include <cstdint>
#include <string>

#include "copy/arrange_tasks.h"
#include "framework/dialog.h"

namespace zel {

class CTaskEditDialog : public fw::CDialog {
 public:
  CTaskEditDialog(const TaskRow& row, uint8_t disk, uint8_t buttonMode);
  // The edited task after OK.
  const TaskRow& Result() const { return row_; }

 private:
  bool OnInitDialog() override;
  void OnOK() override;
  void OnSynchronise();
  void OnNewer();
  void OnBrowseSource() { Browse(0); }
  void OnBrowseDestination() { Browse(1); }
  void Browse(int side);
  void HideDirection();

  TaskRow row_;
  uint8_t disk_;
  uint8_t buttonMode_;

  ZEL_DECLARE_MESSAGE_MAP()
};

}  // namespace zel
