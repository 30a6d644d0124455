#include "copy/win/disk_list_dialog.h"

#include <cwchar>

#include "common/disk_record.h"
#include "copy/main_frame_rules.h"
#include "copy/win/resource.h"
#include "ports/platform.h"

namespace zel {

DiskListDialog::DiskListDialog() : CDialog(IDD_DISK_LIST) {}

bool DiskListDialog::OnInitDialog() {
  SetText(ReadAppDescription());
  if (Ports().system) SetItemText(IDC_COMPUTER_NAME, Ports().system->ComputerName());
  tree_.Attach(Item(IDC_DISK_TREE));
  Refresh();
  return true;
}

void DiskListDialog::Refresh() {
  if (!tree_) return;
  tree_.DeleteAll();
  const DiskList& disks = GlobalDiskList();
  for (uint32_t i = 0; i < disks.count && i < kMaxDisks; ++i) {
    const DiskRecord& d = disks.disks[i];
    wchar_t line[128];
    std::swprintf(line, 128, L"Disk%02u - %ls%ls", i, FieldText(d.friendlyName).c_str(), d.present ? L" *" : L"");
    HTREEITEM item = tree_.InsertItem(line);
    for (uint16_t v = 0; v < d.volumeCount && v < kMaxVolumes; ++v) {
      wchar_t letter = static_cast<wchar_t>(d.volumes[v].driveLetter);
      if (letter && d.fixedMedia) {
        std::swprintf(line, 128, L"Partition%02u (%lc:)", v + 1u, letter);
      } else if (letter) {
        std::swprintf(line, 128, L"(%lc:)", letter);
      } else {
        std::swprintf(line, 128, L"Partition%02u ", v + 1u);
      }
      tree_.InsertItem(line, item);
    }
    tree_.Expand(item);
  }
}

}  // namespace zel
