#include "copy/win/arrange_dialog.h"

#include <commdlg.h>

#include <vector>

#include "common/texts.h"
#include "copy/task_list.h"
#include "copy/win/active_list_dialog.h"
#include "copy/win/dialog_texts.h"
#include "copy/win/resource.h"
#include "copy/win/task_edit_dialog.h"

namespace zel {

ZEL_BEGIN_MESSAGE_MAP(CArrangeDialog, fw::CDialog)
  OnCommand(IDC_NEW_TASKS, &CArrangeDialog::OnNew),
  OnCommand(IDC_SAVE_TASKS, &CArrangeDialog::OnSave),
  OnCommand(IDC_ADD_TASK, &CArrangeDialog::OnAdd),
  OnCommand(IDC_DELETE_TASK, &CArrangeDialog::OnDelete),
  OnCommand(IDC_MODIFY_TASK, &CArrangeDialog::OnModify),
  OnCommand(IDC_ACTIVE_LIST_BUTTON, &CArrangeDialog::OnActiveList),
  OnNotify(NM_DBLCLK, IDC_TASK_ROWS, &CArrangeDialog::OnDoubleClick),
  OnNotify(NM_RCLICK, IDC_TASK_ROWS, &CArrangeDialog::OnRightClick),
ZEL_END_MESSAGE_MAP()

CArrangeDialog::CArrangeDialog(uint8_t disk, uint8_t buttonMode, bool noDialog)
    : CDialog(IDD_ARRANGE_TASKS),
      disk_(disk),
      buttonMode_(buttonMode),
      controller_(*this, GlobalTaskList(), disk, buttonMode, noDialog) {}

bool CArrangeDialog::OnInitDialog() {
  LocaliseItem(*this, IDC_NEW_TASKS, L"NewTaskButton");
  LocaliseItem(*this, IDC_SAVE_TASKS, L"SaveTaskButton");
  LocaliseItem(*this, IDCANCEL, L"CloseButton");
  LocaliseItem(*this, IDC_ADD_TASK, L"AddItemButton");
  LocaliseItem(*this, IDC_DELETE_TASK, L"DeleteItemButton");
  LocaliseItem(*this, IDC_MODIFY_TASK, L"ModifyItemButton");
  LocaliseItem(*this, IDC_ACTIVE_LIST_BUTTON, L"ActiveListButton");
  rows_.Attach(Item(IDC_TASK_ROWS));
  rows_.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  AddColumn(rows_, 0, TextW(L"SourceDir", L"Source Directory"), 200);
  AddColumn(rows_, 1, TextW(L"DestinationDir", L"Destination Directory"), 200);
  AddColumn(rows_, 2, TextW(L"CopyAttribute", L"Attribute"), 60);
  SetText(controller_.Caption());
  controller_.Open();
  ShowRows();
  return true;
}

void CArrangeDialog::ShowRows() {
  const int selected = rows_.NextSelected();
  rows_.DeleteAll();
  for (const TaskRow& r : controller_.Rows()) {
    const int at = rows_.AddRow(r.source);
    rows_.SetCell(at, 1, r.destination);
    rows_.SetCell(at, 2, r.letters);
  }
  if (selected >= 0 && selected < rows_.Count()) {
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    rows_.Send(LVM_SETITEMSTATE, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&item));
  }
  SetText(controller_.Caption());
}

void CArrangeDialog::OnCancel() {
  controller_.Close();
  EndDialog(IDCANCEL);
}

LRESULT CArrangeDialog::OnDoubleClick(NMHDR*) {
  controller_.DoubleClick(rows_.NextSelected());
  ShowRows();
  return 0;
}

LRESULT CArrangeDialog::OnRightClick(NMHDR*) {
  HMENU menu = ::CreatePopupMenu();
  const UINT edit = controller_.MenuEditEnabled() ? MF_STRING : MF_STRING | MF_GRAYED;
  ::AppendMenuW(menu, MF_STRING, IDC_ADD_TASK, TextW(L"AddItemButton", L"Add").c_str());
  ::AppendMenuW(menu, edit, IDC_DELETE_TASK, TextW(L"DeleteItemButton", L"Delete").c_str());
  ::AppendMenuW(menu, edit, IDC_MODIFY_TASK, TextW(L"ModifyItemButton", L"Modify").c_str());
  POINT at;
  ::GetCursorPos(&at);
  ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
  ::DestroyMenu(menu);
  return 0;
}

bool CArrangeDialog::EditTask(TaskRow& row) {
  CTaskEditDialog edit(row, disk_, buttonMode_);
  if (edit.DoModal(hwnd_) != IDOK) return false;
  row = edit.Result();
  return true;
}

int CArrangeDialog::RunActiveList() {
  CActiveListDialog dialog;
  return static_cast<int>(dialog.DoModal(hwnd_));
}

bool CArrangeDialog::ChooseTaskFile(bool save, const std::wstring& proposed, std::wstring& chosen) {
  std::vector<wchar_t> name(260, L'\0');
  proposed.copy(name.data(), name.size() - 1);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = L"Task Files\0*.CT\0";
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (save ? 0 : OFN_FILEMUSTEXIST);
  const BOOL ok = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
  if (!ok) return false;
  chosen = name.data();
  return true;
}

}  // namespace zel
