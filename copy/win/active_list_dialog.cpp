#include "copy/win/active_list_dialog.h"

#include "common/texts.h"
#include "copy/win/dialog_texts.h"
#include "copy/win/resource.h"

namespace zel {

ZEL_BEGIN_MESSAGE_MAP(CActiveListDialog, fw::CDialog)
  OnCommand(IDC_MOVE_TO_ACTIVE, &CActiveListDialog::OnMoveToActive),
  OnCommand(IDC_MOVE_TO_INACTIVE, &CActiveListDialog::OnMoveToInactive),
ZEL_END_MESSAGE_MAP()

CActiveListDialog::CActiveListDialog() : CDialog(IDD_ACTIVE_LIST), model_(GlobalTaskList()) {}

bool CActiveListDialog::OnInitDialog() {
  LocaliseCaption(*this, L"ActiveListDlgCaption");
  LocaliseItem(*this, IDC_ACTIVE_LABEL, L"ActiveTasks");
  LocaliseItem(*this, IDC_INACTIVE_LABEL, L"InactiveTasks");
  LocaliseItem(*this, IDCANCEL, L"CloseButton");
  active_.Attach(Item(IDC_ACTIVE_ROWS));
  inactive_.Attach(Item(IDC_INACTIVE_ROWS));
  for (fw::CListView* list : {&active_, &inactive_}) {
    list->SetExtendedStyle(LVS_EX_FULLROWSELECT);
    AddColumn(*list, 0, TextW(L"SourceDir", L"Source Directory"), 120);
    AddColumn(*list, 1, TextW(L"DestinationDir", L"Destination Directory"), 120);
  }
  model_.Open();
  Show();
  return true;
}

void CActiveListDialog::Show() {
  const std::pair<fw::CListView*, const std::vector<TaskPair>*> sides[] = {{&active_, &model_.Active()},
                                                                          {&inactive_, &model_.Inactive()}};
  for (const auto& [list, pairs] : sides) {
    list->DeleteAll();
    for (const TaskPair& p : *pairs) list->SetCell(list->AddRow(p.source), 1, p.destination);
  }
}

std::vector<int> CActiveListDialog::Selected(const fw::CListView& list) const {
  std::vector<int> rows;
  for (int at = list.NextSelected(); at >= 0; at = list.NextSelected(at)) rows.push_back(at);
  return rows;
}

void CActiveListDialog::OnMoveToActive() {
  model_.MoveToActive(Selected(inactive_));
  Show();
}

void CActiveListDialog::OnMoveToInactive() {
  model_.MoveToInactive(Selected(active_));
  Show();
}

}  // namespace zel
