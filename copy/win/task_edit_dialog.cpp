#include "copy/win/task_edit_dialog.h"

#include "copy/task_edit.h"
#include "copy/task_flags.h"
#include "copy/win/browse_dialog.h"
#include "copy/win/dialog_texts.h"
#include "copy/win/resource.h"

namespace zel {
namespace {

struct OptionControl {
  int id;
  uint16_t bit;
  const wchar_t* key;
};
constexpr OptionControl kOptions[] = {
    {IDC_ACTIVE_CHECK, kTaskActive, L"ActiveButtonDes"},     {IDC_SUBDIR_CHECK, kTaskSubdirs, L"SubDirButtonDes"},
    {IDC_OVERWRITE_CHECK, kTaskOverwrite, L"OverwriteButtonDes"}, {IDC_NEWER_CHECK, kTaskNewer, L"NewerButtonDes"},
    {IDC_BACKUP_RADIO, kTaskBackup, L"BackupButtonDes"},     {IDC_RESTORE_RADIO, kTaskRestore, L"RestorButtonDes"},
    {IDC_SYNC_RADIO, kTaskSynchronise, L"SyncButtonDes"},
};

}  // namespace

ZEL_BEGIN_MESSAGE_MAP(CTaskEditDialog, fw::CDialog)
  OnCommand(IDC_SYNC_RADIO, &CTaskEditDialog::OnSynchronise),
  OnCommand(IDC_NEWER_CHECK, &CTaskEditDialog::OnNewer),
  OnCommand(IDC_SOURCE_BROWSE, &CTaskEditDialog::OnBrowseSource),
  OnCommand(IDC_DESTINATION_BROWSE, &CTaskEditDialog::OnBrowseDestination),
ZEL_END_MESSAGE_MAP()

CTaskEditDialog::CTaskEditDialog(const TaskRow& row, uint8_t disk, uint8_t buttonMode)
    : CDialog(IDD_EDIT_TASK), row_(row), disk_(disk), buttonMode_(buttonMode) {}

bool CTaskEditDialog::OnInitDialog() {
  LocaliseCaption(*this, L"EditTaskDlgCaption");
  LocaliseItem(*this, IDC_SOURCE_LABEL, L"SourceDir", L" :");
  LocaliseItem(*this, IDC_DESTINATION_LABEL, L"DestinationDir", L" :");
  LocaliseItem(*this, IDC_SOURCE_BROWSE, L"BrowseButton");
  LocaliseItem(*this, IDC_DESTINATION_BROWSE, L"BrowseButton");
  LocaliseItem(*this, IDC_ATTRIBUTE_GROUP, L"CopyAttribute");
  LocaliseItem(*this, IDC_DIRECTION_GROUP, L"TaskDirectionGroup");
  LocaliseItem(*this, IDOK, L"OkButton");
  LocaliseItem(*this, IDCANCEL, L"CancelButton");
  for (const OptionControl& o : kOptions) LocaliseItem(*this, o.id, o.key);
  ::SendDlgItemMessageW(hwnd_, IDC_SOURCE_EDIT, EM_LIMITTEXT, 260, 0);
  ::SendDlgItemMessageW(hwnd_, IDC_DESTINATION_EDIT, EM_LIMITTEXT, 260, 0);
  SetItemText(IDC_SOURCE_EDIT, row_.source);
  SetItemText(IDC_DESTINATION_EDIT, row_.destination);
  const uint16_t flags = LettersToFlags(row_.letters);
  for (const OptionControl& o : kOptions) {
    if (flags & o.bit) ::CheckDlgButton(hwnd_, o.id, BST_CHECKED);
  }
  if (buttonMode_ == kButtonModeTwo) HideDirection();
  return true;
}

// The direction group and its radios go; OK and Cancel move up under the
// Attributes group and the dialog loses the height they leave.
void CTaskEditDialog::HideDirection() {
  RECT attributes, direction;
  ::GetWindowRect(Item(IDC_ATTRIBUTE_GROUP), &attributes);
  ::GetWindowRect(Item(IDC_DIRECTION_GROUP), &direction);
  const int shift = direction.bottom - attributes.bottom;
  for (int id : {IDC_DIRECTION_GROUP, IDC_BACKUP_RADIO, IDC_RESTORE_RADIO, IDC_SYNC_RADIO}) {
    ::ShowWindow(Item(id), SW_HIDE);
  }
  for (int id : {IDOK, IDCANCEL}) {
    RECT r;
    ::GetWindowRect(Item(id), &r);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    ::SetWindowPos(Item(id), nullptr, r.left, r.top - shift, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  RECT w;
  ::GetWindowRect(hwnd_, &w);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, w.right - w.left, w.bottom - w.top - shift, SWP_NOMOVE | SWP_NOZORDER);
}

void CTaskEditDialog::OnSynchronise() {
  if (::IsDlgButtonChecked(hwnd_, IDC_SYNC_RADIO)) ::CheckDlgButton(hwnd_, IDC_NEWER_CHECK, BST_CHECKED);
}

// Newer cannot be cleared while Synchronize is chosen.
void CTaskEditDialog::OnNewer() { OnSynchronise(); }

void CTaskEditDialog::Browse(int side) {
  CBrowseDialog browse(disk_, side);
  if (browse.DoModal(hwnd_) == IDOK) SetItemText(side == 0 ? IDC_SOURCE_EDIT : IDC_DESTINATION_EDIT, browse.Path());
}

void CTaskEditDialog::OnOK() {
  TaskEditFields fields{ItemText(IDC_SOURCE_EDIT), ItemText(IDC_DESTINATION_EDIT), 0};
  for (const OptionControl& o : kOptions) {
    if (::IsDlgButtonChecked(hwnd_, o.id)) fields.flags |= o.bit;
  }
  const TaskEditResult result =
      ValidateTaskEdit(GlobalDiskList(), disk_, GlobalTaskList(), fields, reinterpret_cast<uintptr_t>(hwnd_));
  if (result.outcome != TaskEditOutcome::kAccepted) return;  // the boxes stay as the user left them
  row_ = {fields.source, fields.destination, result.letters};
  EndDialog(IDOK);
}

}  // namespace zel
