// The configuration window: the computer's name, the tree of every disk with
// its partitions, and the actions on a selected enclosure (its task list,
// and a copy run). Decisions come from copy/disk_overview.h.
#pragma once
#include <cstdint>

#include "copy/disk_overview.h"
#include "framework/controls.h"
#include "framework/dialog.h"

namespace zel {

class CDiskOverviewWindow : public fw::CDialog {
 public:
  CDiskOverviewWindow(uint8_t buttonMode, bool noDialog);
  // Fills the tree again from the global disk list. The selected disk stays;
  // while it is still a present enclosure its disk line is selected again
  // and the buttons stay enabled, otherwise they are disabled.
  void Refresh();

 private:
  bool OnInitDialog() override;
  void OnOK() override { OnTask(); }  // Task is the default button
  LRESULT OnSelectionChanged(NMHDR*);
  void OnTask();
  void OnExecute();
  void OnBackup() { RunCopy(1); }
  void OnRestore() { RunCopy(2); }
  void RunCopy(uint8_t direction);
  void EnableActions(bool on);

  uint8_t buttonMode_;
  bool noDialog_;
  DiskOverview overview_;
  fw::CTreeView tree_;
  bool refilling_ = false;  // selection notices of the tree being emptied and filled are not the user's

  ZEL_DECLARE_MESSAGE_MAP()
};

}  // namespace zel
