// The arrange dialog: the tasks of one disk in a list view, the buttons and
// right-click menu that change them, and the task file dialogs. What each
// click does is decided by copy/arrange_tasks.h; this view shows its rows.
#pragma once
#include <cstdint>
#include <string>

#include "copy/arrange_tasks.h"
#include "framework/controls.h"
#include "framework/dialog.h"

namespace zel {

class CArrangeDialog : public fw::CDialog, private ArrangeHost {
 public:
  CArrangeDialog(uint8_t disk, uint8_t buttonMode, bool noDialog);

 private:
  bool OnInitDialog() override;
  void OnOK() override {}  // Enter changes nothing
  void OnCancel() override;
  void OnNew() {
    controller_.New();
    ShowRows();
  }
  void OnSave() {
    controller_.Save();
    ShowRows();
  }
  void OnAdd() {
    controller_.Add();
    ShowRows();
  }
  void OnDelete() {
    controller_.Delete(rows_.NextSelected());
    ShowRows();
  }
  void OnModify() {
    controller_.Modify(rows_.NextSelected());
    ShowRows();
  }
  void OnActiveList() {
    controller_.ActiveList();
    ShowRows();
  }
  LRESULT OnDoubleClick(NMHDR*);
  LRESULT OnRightClick(NMHDR*);
  // Shows the controller's rows and caption after a change.
  void ShowRows();

  // ArrangeHost
  bool EditTask(TaskRow& row) override;
  int RunActiveList() override;
  bool ChooseTaskFile(bool save, const std::wstring& proposed, std::wstring& chosen) override;
  uintptr_t Owner() const override { return reinterpret_cast<uintptr_t>(hwnd_); }

  uint8_t disk_;
  uint8_t buttonMode_;
  ArrangeTasks controller_;
  fw::CListView rows_;

  ZEL_DECLARE_MESSAGE_MAP()
};

}  // namespace zel
