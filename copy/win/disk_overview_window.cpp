#include "copy/win/disk_overview_window.h"

#include <vector>

#include "common/disk_record.h"
#include "copy/bridge_registers.h"
#include "copy/button_latch.h"
#include "copy/main_frame_rules.h"
#include "copy/win/arrange_dialog.h"
#include "copy/win/dialog_texts.h"
#include "copy/win/progress_dialog.h"
#include "copy/win/resource.h"
#include "ports/platform.h"

namespace zel {
namespace {

// The disk record keeps a tree item in 32 bits; items are compared in that form.
uint32_t ItemKey(HTREEITEM item) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(item)); }

void InsertItems(fw::CTreeView& tree, HTREEITEM parent, const std::vector<OverviewItem>& items,
                 std::vector<HTREEITEM>* made) {
  for (const OverviewItem& item : items) {
    HTREEITEM at = tree.InsertItem(item.text, parent);
    if (made) made->push_back(at);
    InsertItems(tree, at, item.children, nullptr);
  }
}

}  // namespace

ZEL_BEGIN_MESSAGE_MAP(CDiskOverviewWindow, fw::CDialog)
  OnCommand(IDC_TASK_BUTTON, &CDiskOverviewWindow::OnTask),
  OnCommand(IDC_EXECUTE_BUTTON, &CDiskOverviewWindow::OnExecute),
  OnCommand(IDC_BACKUP_BUTTON, &CDiskOverviewWindow::OnBackup),
  OnCommand(IDC_RESTORE_BUTTON, &CDiskOverviewWindow::OnRestore),
  OnNotify(TVN_SELCHANGEDW, IDC_DISK_TREE, &CDiskOverviewWindow::OnSelectionChanged),
  OnNotify(TVN_SELCHANGEDA, IDC_DISK_TREE, &CDiskOverviewWindow::OnSelectionChanged),
ZEL_END_MESSAGE_MAP()

CDiskOverviewWindow::CDiskOverviewWindow(uint8_t buttonMode, bool noDialog)
    : CDialog(IDD_DISK_OVERVIEW), buttonMode_(buttonMode), noDialog_(noDialog), overview_(buttonMode) {}

bool CDiskOverviewWindow::OnInitDialog() {
  SetText(ReadAppDescription());
  LocaliseItem(*this, IDC_COMPUTER_NAME_LABEL, L"ComputerNameCaption");
  LocaliseItem(*this, IDC_DISK_LIST_LABEL, L"DiskListCaption");
  LocaliseItem(*this, IDC_TASK_BUTTON, L"TaskButton");
  LocaliseItem(*this, IDC_EXECUTE_BUTTON, L"ExecuteButton");
  LocaliseItem(*this, IDC_BACKUP_BUTTON, L"BackupButton");
  LocaliseItem(*this, IDC_RESTORE_BUTTON, L"RestoreButton");
  LocaliseItem(*this, IDCANCEL, L"CloseButton");
  ::ShowWindow(Item(IDC_EXECUTE_BUTTON), overview_.ShowsExecute() ? SW_SHOW : SW_HIDE);
  ::ShowWindow(Item(IDC_BACKUP_BUTTON), overview_.ShowsBackupRestore() ? SW_SHOW : SW_HIDE);
  ::ShowWindow(Item(IDC_RESTORE_BUTTON), overview_.ShowsBackupRestore() ? SW_SHOW : SW_HIDE);
  if (Ports().system) SetItemText(IDC_COMPUTER_NAME, Ports().system->ComputerName());
  tree_.Attach(Item(IDC_DISK_TREE));
  Refresh();
  EnableActions(false);
  return true;
}

void CDiskOverviewWindow::Refresh() {
  if (!tree_) return;
  refilling_ = true;
  tree_.DeleteAll();
  DiskList& disks = GlobalDiskList();
  std::vector<HTREEITEM> roots;
  InsertItems(tree_, TVI_ROOT, DiskOverviewItems(disks), &roots);
  for (size_t i = 0; i < roots.size() && i < disks.count; ++i) {
    disks.disks[i].treeItem = ItemKey(roots[i]);
    tree_.Expand(roots[i]);
  }
  overview_.Refreshed(disks);
  if (overview_.ActionsEnabled() && overview_.SelectedDisk() < roots.size()) {
    tree_.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(roots[overview_.SelectedDisk()]));
  }
  refilling_ = false;
  EnableActions(overview_.ActionsEnabled());
}

LRESULT CDiskOverviewWindow::OnSelectionChanged(NMHDR*) {
  if (refilling_) return 0;
  HTREEITEM root = tree_.Selection();
  for (HTREEITEM up = root; up != nullptr; up = tree_.Parent(up)) root = up;
  overview_.Select(GlobalDiskList(), ItemKey(root));
  EnableActions(overview_.ActionsEnabled());
  return 0;
}

void CDiskOverviewWindow::EnableActions(bool on) {
  for (int id : {IDC_TASK_BUTTON, IDC_EXECUTE_BUTTON, IDC_BACKUP_BUTTON, IDC_RESTORE_BUTTON}) {
    ::EnableWindow(Item(id), on ? TRUE : FALSE);
  }
}

void CDiskOverviewWindow::OnTask() {
  if (!overview_.ActionsEnabled()) return;
  CArrangeDialog arrange(overview_.SelectedDisk(), buttonMode_, noDialog_);
  if (arrange.DoModal(hwnd_) == IDCANCEL) ::SetFocus(tree_.Handle());
}

void CDiskOverviewWindow::RunCopy(uint8_t direction) {
  CopyProgressDialog progress;
  progress.SetDiskIndex(overview_.SelectedDisk());
  progress.SetDirection(direction);
  progress.SetButtonMode(buttonMode_);
  progress.DoModal(hwnd_);
}

void CDiskOverviewWindow::OnExecute() {
  TransportBridgeRegisters bridge;
  TransportButtonLatch latch;
  ExecuteOnDisk(GlobalDiskList(), overview_.SelectedDisk(), bridge, latch, [this] { RunCopy(0); });
}

}  // namespace zel
