// The active list dialog: the tasks of the task list split into active and
// inactive, moved between the two (copy/active_list.h). Its result is 1 when
// a task was moved.
#pragma once
#include <vector>

#include "copy/active_list.h"
#include "framework/controls.h"
#include "framework/dialog.h"

namespace zel {

class CActiveListDialog : public fw::CDialog {
 public:
  CActiveListDialog();

 private:
  bool OnInitDialog() override;
  void OnCancel() override { EndDialog(model_.Result()); }
  void OnOK() override {}
  void OnMoveToActive();
  void OnMoveToInactive();
  void Show();
  std::vector<int> Selected(const fw::CListView& list) const;

  ActiveList model_;
  fw::CListView active_;
  fw::CListView inactive_;

  ZEL_DECLARE_MESSAGE_MAP()
};

}  // namespace zel
